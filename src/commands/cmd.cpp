// The command table and the dispatch of command lines.
#include "commands/cmd.h"

#include <strings.h>

#include <cstring>
#include <optional>

#include "commands/str2argv.h"
#include "screen/message.h"

// clang-format off
const cmd_entry cmd_table[CMD_TABLE_SIZE] = {
	{ "bind",     cmd_bind },
	{ "color",    cmd_color },
	{ "display",  cmd_display },
	{ "filter",   cmd_filter },
	{ "mode",     cmd_mode },
	{ "new",      cmd_new },
	{ "playlist", cmd_playlist },
	{ "q",        cmd_quit },
	{ "reload",   cmd_reload },
	{ "set",      cmd_set },
	{ "sort",     cmd_sort },
	{ "unbind",   cmd_unbind },
	{ "w",        cmd_write },
	{ "toggle",   cmd_toggle },
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

void cmd_execute(const std::string &text)
{
	std::vector<std::string> argv;
	std::optional<std::string> errmsg;
	if (str2argv(text, argv, errmsg) != 0) {
		paint_error("parse error: %s in '%s'", errmsg->c_str(), text.c_str());
		return;
	}

	const std::string word0 = argv.empty() ? "" : argv[0];
	const int row = cmd_select(word0);
	if (row == CMD_UNKNOWN)
		paint_error("Unknown commands '%s'", word0.c_str());
	else if (row == CMD_AMBIGUOUS)
		paint_error("Ambiguous abbreviation '%s'", word0.c_str());
	else
		cmd_table[row].handler(argv);
	argv_free(argv);
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
