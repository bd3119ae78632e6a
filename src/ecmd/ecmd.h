// The e-commands: batch commands run as "korvane -e NAME [args ...]".
#pragma once

#include <string>

// One row of the e-command table. exec gets the e-command's own words (word 0
// is its name, the vector ends with a null pointer) and returns the exit
// status; help prints the manual page, or is null.
struct ecmd {
	const char *name;
	int (*exec)(int argc, char *argv[]);
	void (*help)();
};

extern const ecmd ecmd_table[];
extern const int ecmd_count;

// The row named exactly name, or null.
const ecmd *ecmd_lookup(const char *name);

int ecmd_init(int argc, char *argv[]);
int ecmd_add(int argc, char *argv[]);
int ecmd_addurl(int argc, char *argv[]);
int ecmd_check(int argc, char *argv[]);
int ecmd_rm(int argc, char *argv[]);
int ecmd_update(int argc, char *argv[]);
int ecmd_flush(int argc, char *argv[]);
int ecmd_tag(int argc, char *argv[]);
int ecmd_help(int argc, char *argv[]);

// Prints a manual page: its text, then a line end.
void ecmd_print_page(const char *page);

void ecmd_help_init();
void ecmd_help_add();
void ecmd_help_addurl();
void ecmd_help_check();
void ecmd_help_rm();
void ecmd_help_update();
void ecmd_help_flush();
void ecmd_help_tag();

// Answers to prompts: one line of at most 254 bytes from standard input, the
// line end kept; none at the end of input.
bool ecmd_read_answer(std::string &line);
// Whether the line read is "yes\n" or "y\n", in any case.
bool ecmd_answer_is_yes(const std::string &line);
