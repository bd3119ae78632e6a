// The command language: the table of ':' commands, how a typed word selects
// one, and the one entry that runs a command line.
#pragma once

#include <climits>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// A command handler: argv[0] is the command word as typed, the rest its
// arguments, as many as its row allows. Returns 0, or a failure code after
// showing the failure.
using cmd_handler = int (*)(const std::vector<std::string> &argv);

// A row's max_args when any number of arguments is taken.
constexpr int CMD_ARGS_ANY = INT_MAX;

// One command. The counts are of the arguments (the words after the command
// word); outside them the dispatcher shows usage, a printf format that may
// take the command word, and fails with usage_code.
struct cmd_entry {
	const char *name;
	cmd_handler handler;
	int min_args, max_args;
	const char *usage;
	int usage_code;
};

constexpr int CMD_TABLE_SIZE = 15;
extern const cmd_entry cmd_table[CMD_TABLE_SIZE];

// What cmd_select gives for a word that selects no row, or several;
// cmd_dispatch also gives CMD_PARSE_ERROR for a line it cannot split.
constexpr int CMD_UNKNOWN = -1;
constexpr int CMD_AMBIGUOUS = -2;
constexpr int CMD_PARSE_ERROR = -3;

// Shows a failure on the message line.
void cmd_show_error(const char *text);

// Where a command line came from, which decides how its failures are told.
struct cmd_source {
	// The configuration file and the number of the line; no file for the
	// ':' line, the socket and the toggle lists.
	const char *file = nullptr;
	size_t line = 0;
	// Whether a failure ends the program (the configuration file at start-up).
	bool fatal = false;
	// Where the failures that do not end the program go.
	void (*show)(const char *text) = cmd_show_error;
};

// Whether the typed word selects the command name: the word, cut at its
// first '!', is a prefix of name; an empty word selects nothing.
bool match_command_name(std::string_view word, std::string_view name);
// The cmd_table row that word selects, testing every row; CMD_UNKNOWN or
// CMD_AMBIGUOUS when not exactly one matches.
int cmd_select(std::string_view word);
// Splits a command line, selects its row, checks the count of its words and
// runs it, telling any failure to the source. 0; the handler's or the
// count's failure code; or CMD_PARSE_ERROR, CMD_UNKNOWN, CMD_AMBIGUOUS.
int cmd_dispatch(const std::string &text, const cmd_source &source);
// Runs a command line from the ':' line, the socket or a toggle list.
void cmd_execute(const std::string &text);
// Shows the usage of handler's row with the command word; gives code.
int cmd_usage(cmd_handler handler, const std::vector<std::string> &argv, int code);
// 0 with value set for true/t/yes/y and false/f/no/n in any case, else -1.
int str2bool(std::string_view word, bool &value);
// Whether word is the keyword, in any case.
bool cmd_keyword(std::string_view word, const char *keyword);

// Whether a sort of a saved playlist marks it as changed.
extern bool save_sorts;

struct playlist;

// How "reload conf" reads the configuration file again: the program's top
// floor gives its reader. A file that is being read is not read again from
// within.
struct cmd_config_reader {
	bool (*is_loading)();
	int (*reload)(); // 0, or 1 when a line failed and was shown
};
extern const cmd_config_reader *config_reader;

// The playlists with unsaved changes, pseudo-playlists left out.
std::vector<const playlist *> cmd_unsaved_playlists();

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
int cmd_salvage(const std::vector<std::string> &argv);
int cmd_reload(const std::vector<std::string> &argv);
int cmd_write(const std::vector<std::string> &argv);
