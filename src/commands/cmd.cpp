// The command table and the dispatch of command lines.
#include "commands/cmd.h"

#include <strings.h>
#include <sys/types.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <optional>

#include "base/error.h"
#include "commands/str2argv.h"
#include "screen/message.h"

// Each row: the name, the handler, the fewest and most arguments, the usage
// and the code of a count outside them.
// clang-format off
const cmd_entry cmd_table[CMD_TABLE_SIZE] = {
	{ "bind",     cmd_bind,     2, 3,            "usage: %s <action> <keycode>",                            1 },
	{ "color",    cmd_color,    1, 1,            "usage: %s ITEM=FG,BG",                                    1 },
	{ "display",  cmd_display,  1, 1,            "usage: display [ reset | show | <display-description> ]", 1 },
	{ "filter",   cmd_filter,   1, CMD_ARGS_ANY, "usage: filter[!] token [token2 ...]",                     1 },
	{ "mode",     cmd_mode,     1, 1,            "usage: mode [ linear | loop | random ]",                  1 },
	{ "new",      cmd_new,      0, 1,            "usage: new [name]",                                       1 },
	{ "playlist", cmd_playlist, 1, 1,            "usage: playlist <list-name>",                             1 },
	{ "q",        cmd_quit,     0, 0,            "usage: q[!]",                                             1 },
	{ "reload",   cmd_reload,   1, 1,            "usage: %s [ db | conf ]",                                 1 },
	{ "set",      cmd_set,      0, 1,            "usage: %s <property>=<value>",                            1 },
	{ "sort",     cmd_sort,     1, 1,            "usage: sort <sort-description>",                          1 },
	{ "unbind",   cmd_unbind,   1, 3,            "usage: unbind [* | action <ACTION> | key <KEYCODE> ]",    1 },
	{ "w",        cmd_write,    0, 1,            "usage: w[!] [name]",                                      1 },
	{ "toggle",   cmd_toggle,   2, CMD_ARGS_ANY, "usage: %s <register> <action1> / ...",                    1 },
	{ "salvage",  cmd_salvage,  1, 1,            "usage: salvage <name>",                                   1 },
};
// clang-format on

bool match_command_name(std::string_view word, std::string_view name)
{
	if (word.empty())
		return false;
	if (word == name)
		return true;
	std::string_view cut = word.substr(0, word.find('!'));
	return cut.size() <= name.size() && name.substr(0, cut.size()) == cut;
}

int cmd_select(std::string_view word)
{
	int found = CMD_UNKNOWN, matches = 0;
	for (int i = 0; i < CMD_TABLE_SIZE; i++) {
		if (match_command_name(word, cmd_table[i].name)) {
			found = i;
			matches++;
		}
	}
	return matches > 1 ? CMD_AMBIGUOUS : found;
}

void cmd_show_error(const char *text)
{
	paint_error("%s", text);
}

namespace
{

// Tells the source of a failure: the file's line before the text when it
// is the configuration file; the end of the program when it is fatal.
__attribute__((format(printf, 2, 3))) void report(const cmd_source &source, const char *fmt, ...)
{
	char text[1024];
	size_t n = 0;
	if (source.file != nullptr) {
		const int len = snprintf(text, sizeof text, "%s line %zd: ", source.file,
		                         static_cast<ssize_t>(source.line));
		n = std::min(static_cast<size_t>(std::max(len, 0)), sizeof text - 1);
	}
	va_list ap;
	va_start(ap, fmt);
	vsnprintf(text + n, sizeof text - n, fmt, ap);
	va_end(ap);
	if (source.fatal)
		fatal("%s", text);
	source.show(text);
}

// The usage of row with the command word, which the text may name.
std::string usage_of(const cmd_entry &row, const std::string &word0)
{
	char text[512];
	snprintf(text, sizeof text, row.usage, word0.c_str());
	return text;
}

} // namespace

int cmd_dispatch(const std::string &text, const cmd_source &source)
{
	const bool from_file = source.file != nullptr;
	std::vector<std::string> argv;
	std::optional<std::string> errmsg;
	if (str2argv(text, argv, errmsg) != 0) {
		if (from_file)
			report(source, "parse error: %s", errmsg->c_str());
		else
			report(source, "parse error: %s in '%s'", errmsg->c_str(), text.c_str());
		return CMD_PARSE_ERROR;
	}

	const std::string word0 = argv.empty() ? "" : argv[0];
	const int row = cmd_select(word0);
	if (row == CMD_UNKNOWN) {
		report(source, from_file ? "unknown command'%s'" : "Unknown commands '%s'",
		       word0.c_str());
		return row;
	}
	if (row == CMD_AMBIGUOUS) {
		report(source,
		       from_file ? "ambiguous abbreviation '%s'" : "Ambiguous abbreviation '%s'",
		       word0.c_str());
		return row;
	}

	const cmd_entry &entry = cmd_table[row];
	const size_t nargs = argv.size() - 1;
	int rc = 0;
	if (nargs < static_cast<size_t>(entry.min_args) ||
	    nargs > static_cast<size_t>(entry.max_args)) {
		source.show(usage_of(entry, word0).c_str());
		rc = entry.usage_code;
	} else {
		rc = entry.handler(argv);
	}
	argv_free(argv);
	// The handler has shown its own message; the file names the line.
	if (rc != 0 && from_file)
		report(source, "error with command '%s' [%i]", word0.c_str(), rc);
	return rc;
}

void cmd_execute(const std::string &text)
{
	cmd_dispatch(text, cmd_source{});
}

int cmd_usage(cmd_handler handler, const std::vector<std::string> &argv, int code)
{
	for (const cmd_entry &row : cmd_table)
		if (row.handler == handler)
			paint_error("%s", usage_of(row, argv[0]).c_str());
	return code;
}

bool cmd_keyword(std::string_view word, const char *keyword)
{
	return word.size() == strlen(keyword) &&
	       strncasecmp(word.data(), keyword, word.size()) == 0;
}

int str2bool(std::string_view word, bool &value)
{
	static const struct {
		const char *word;
		bool value;
	} words[] = {
		{ "true", true },   { "t", true },  { "yes", true }, { "y", true },
		{ "false", false }, { "f", false }, { "no", false }, { "n", false },
	};
	for (const auto &w : words) {
		if (cmd_keyword(word, w.word)) {
			value = w.value;
			return 0;
		}
	}
	return -1;
}
