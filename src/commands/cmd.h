// The command language: the table of ':' commands, how a typed word selects
// one, and the one entry that runs a command line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// A command handler: argv[0] is the command word as typed, the rest its
// arguments. Returns 0, or a failure code after showing the failure.
using cmd_handler = int (*)(const std::vector<std::string> &argv);

struct cmd_entry {
	const char *name;
	cmd_handler handler;
};

constexpr int CMD_TABLE_SIZE = 14;
extern const cmd_entry cmd_table[CMD_TABLE_SIZE];

// What cmd_select gives for a word that selects no row, or several.
constexpr int CMD_UNKNOWN = -1;
constexpr int CMD_AMBIGUOUS = -2;

// Whether the typed word selects the command name: the word, cut at its
// first '!', is a prefix of name; an empty word selects nothing.
bool match_command_name(std::string_view word, std::string_view name);
// The cmd_table row that word selects, testing every row; CMD_UNKNOWN or
// CMD_AMBIGUOUS when not exactly one matches.
int cmd_select(std::string_view word);
// Splits a command line, runs its command and shows any failure.
void cmd_execute(const std::string &text);
// 0 with value set for true/t/yes/y and false/f/no/n in any case, else -1.
int str2bool(std::string_view word, bool &value);
// Whether word is the keyword, in any case.
bool cmd_keyword(std::string_view word, const char *keyword);

// Whether a sort of a saved playlist marks it as changed.
extern bool save_sorts;

// How "reload conf" reads the configuration file again: the program's top
// floor gives its reader. A file that is being read is not read again from
// within.
struct cmd_config_reader {
	bool (*is_loading)();
	int (*reload)(); // 0, or 1 when a line failed and was shown
};
extern const cmd_config_reader *config_reader;

// The view commands.
int cmd_color(const std::vector<std::string> &argv);
int cmd_display(const std::vector<std::string> &argv);
int cmd_filter(const std::vector<std::string> &argv);
int cmd_mode(const std::vector<std::string> &argv);
int cmd_set(const std::vector<std::string> &argv);
int cmd_sort(const std::vector<std::string> &argv);

// The binding and toggle commands.
int cmd_bind(const std::vector<std::string> &argv);
int cmd_unbind(const std::vector<std::string> &argv);
int cmd_toggle(const std::vector<std::string> &argv);

// The playlist and quit commands.
int cmd_new(const std::vector<std::string> &argv);
int cmd_playlist(const std::vector<std::string> &argv);
int cmd_quit(const std::vector<std::string> &argv);
int cmd_reload(const std::vector<std::string> &argv);
int cmd_write(const std::vector<std::string> &argv);
