// The one dispatcher: the word counts each command takes, and the failures
// it tells to where a line came from (the ':' line, the socket and toggle
// lists, or a line of the configuration file).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/cmd.h"
#include "commands/cmd_fixture.h"

namespace
{

std::vector<std::string> shown;

void record(const char *text)
{
	shown.emplace_back(text);
}

const cmd_source from_prompt{ nullptr, 0, false, record };
const cmd_source from_file{ "korvane.conf", 12, false, record };

class CmdDispatch : public CmdTest
{
protected:
	void SetUp() override
	{
		CmdTest::SetUp();
		shown.clear();
		library_of(3);
		add_playlist("rock", 2);
		add_playlist("untitled", 0, false)->needs_saving = true;
	}
	void TearDown() override
	{
		shown.clear();
		CmdTest::TearDown();
	}
};

std::string word0_of(const std::string &line)
{
	return line.substr(0, line.find(' '));
}

struct count_case {
	const char *line;
	const char *usage; // nullptr: the count is right, the handler decides
	int code;
};

// Too few and too many words give the usage with code 1 from every source;
// words within the bounds reach the handler, whose own refusal shows no
// usage here.
TEST_F(CmdDispatch, CountsOutsideTheBoundsGiveTheUsage)
{
	// clang-format off
	const count_case cases[] = {
		{ "bind quit",              "usage: bind <action> <keycode>",                          1 },
		{ "bind a b c d",           "usage: bind <action> <keycode>",                          1 },
		{ "b quit",                 "usage: b <action> <keycode>",                             1 },
		{ "bind nope q",            nullptr,                                                   1 },
		{ "bind nope control q",    nullptr,                                                   1 },
		{ "color",                  "usage: color ITEM=FG,BG",                                 1 },
		{ "col a b",                "usage: col ITEM=FG,BG",                                   1 },
		{ "color player",           nullptr,                                                   2 },
		{ "display",                "usage: display [ reset | show | <display-description> ]", 1 },
		{ "d show reset",           "usage: display [ reset | show | <display-description> ]", 1 },
		{ "display bogus",          nullptr,                                                   1 },
		{ "filter",                 "usage: filter[!] token [token2 ...]",                     1 },
		{ "f!",                     "usage: filter[!] token [token2 ...]",                     1 },
		{ "mode",                   "usage: mode [ linear | loop | random ]",                  1 },
		{ "mode loop random",       "usage: mode [ linear | loop | random ]",                  1 },
		{ "mode bogus",             nullptr,                                                   2 },
		{ "new a b",                "usage: new [name]",                                       1 },
		{ "new rock",               nullptr,                                                   2 },
		{ "playlist",               "usage: playlist <list-name>",                             1 },
		{ "p a b",                  "usage: playlist <list-name>",                             1 },
		{ "q now",                  "usage: q[!]",                                             1 },
		{ "q! now",                 "usage: q[!]",                                             1 },
		{ "q",                      nullptr,                                                   2 },
		{ "reload",                 "usage: reload [ db | conf ]",                             1 },
		{ "rel db conf",            "usage: rel [ db | conf ]",                                1 },
		{ "reload foo",             nullptr,                                                   2 },
		{ "se a=1 b=2",             "usage: se <property>=<value>",                            1 },
		{ "set lhide",              nullptr,                                                   2 },
		{ "sort",                   "usage: sort <sort-description>",                          1 },
		{ "so a b",                 "usage: sort <sort-description>",                          1 },
		{ "sort foo",               nullptr,                                                   2 },
		{ "unbind",                 "usage: unbind [* | action <ACTION> | key <KEYCODE> ]",    1 },
		{ "unbind key a b c",       "usage: unbind [* | action <ACTION> | key <KEYCODE> ]",    1 },
		{ "unbind * *",             nullptr,                                                   1 },
		{ "unbind key a b",         nullptr,                                                   1 },
		{ "w a b",                  "usage: w[!] [name]",                                      1 },
		{ "w! a b",                 "usage: w[!] [name]",                                      1 },
		{ "w rock",                 nullptr,                                                   4 },
		{ "toggle",                 "usage: toggle <register> <action1> / ...",                1 },
		{ "t a",                    "usage: t <register> <action1> / ...",                     1 },
		{ "toggle ab mode loop / mode random / mode linear", nullptr,                          1 },
	};
	// clang-format on
	const std::vector<std::string> before = registry();
	for (const count_case &c : cases) {
		std::vector<std::string> expected;
		if (c.usage != nullptr)
			expected.emplace_back(c.usage);

		shown.clear();
		EXPECT_EQ(cmd_dispatch(c.line, from_prompt), c.code) << c.line;
		EXPECT_EQ(shown, expected) << c.line;

		// The file adds its line after whatever the usage said.
		expected.push_back("korvane.conf line 12: error with command '" + word0_of(c.line) +
		                   "' [" + std::to_string(c.code) + "]");
		shown.clear();
		EXPECT_EQ(cmd_dispatch(c.line, from_file), c.code) << c.line;
		EXPECT_EQ(shown, expected) << c.line;
	}
	// No refused line reached a handler that would have acted.
	EXPECT_EQ(registry(), before);
	EXPECT_EQ(sig_quit, 0);
	EXPECT_EQ(toggleset_size(), 0);
	EXPECT_EQ(player_info.mode, MODE_LINEAR);
}

// The text after prefix as the one shown, or nothing shown.
std::vector<std::string> one_or_none(const char *prefix, const char *text)
{
	if (text == nullptr)
		return {};
	return { std::string(prefix) + text };
}

struct source_case {
	const char *line;
	int code;
	const char *prompt_text; // nullptr: nothing shown
	const char *file_text;   // after "korvane.conf line 12: "; nullptr: nothing
};

// The failures the dispatcher tells itself, in the words of each source.
TEST_F(CmdDispatch, EachSourceInItsOwnWords)
{
	// clang-format off
	const source_case cases[] = {
		{ "filter 'abc", CMD_PARSE_ERROR, "parse error: Unmatched quotes in 'filter 'abc'", "parse error: Unmatched quotes" },
		{ "quit",        CMD_UNKNOWN,     "Unknown commands 'quit'",                        "unknown command'quit'" },
		{ "",            CMD_UNKNOWN,     "Unknown commands ''",                            "unknown command''" },
		{ "s lhide=yes", CMD_AMBIGUOUS,   "Ambiguous abbreviation 's'",                     "ambiguous abbreviation 's'" },
		{ "! ls",        CMD_AMBIGUOUS,   "Ambiguous abbreviation '!'",                     "ambiguous abbreviation '!'" },
		{ "mode bogus",  2,               nullptr,                                          "error with command 'mode' [2]" },
		{ "playlist zz", 0,               nullptr,                                          nullptr },
		{ "mode loop",   0,               nullptr,                                          nullptr },
	};
	// clang-format on
	for (const source_case &c : cases) {
		shown.clear();
		EXPECT_EQ(cmd_dispatch(c.line, from_prompt), c.code) << c.line;
		EXPECT_EQ(shown, one_or_none("", c.prompt_text)) << c.line;

		shown.clear();
		EXPECT_EQ(cmd_dispatch(c.line, from_file), c.code) << c.line;
		EXPECT_EQ(shown, one_or_none("korvane.conf line 12: ", c.file_text)) << c.line;
	}
	EXPECT_EQ(player_info.mode, MODE_LOOP);
}

// At start-up a count outside the bounds ends the program with the code;
// the usage shown a moment before goes with the screen.
TEST_F(CmdDispatch, AFatalSourceEndsTheProgram)
{
	const cmd_source at_startup{ "korvane.conf", 4, true, record };
	EXPECT_EXIT(cmd_dispatch("bind quit", at_startup), testing::ExitedWithCode(1),
	            "^[^\n]*: korvane.conf line 4: error with command 'bind' \\[1\\]\n$");
	EXPECT_EXIT(cmd_dispatch("w a b", at_startup), testing::ExitedWithCode(1),
	            "^[^\n]*: korvane.conf line 4: error with command 'w' \\[1\\]\n$");
	EXPECT_EXIT(cmd_dispatch("so", at_startup), testing::ExitedWithCode(1),
	            "^[^\n]*: korvane.conf line 4: error with command 'so' \\[1\\]\n$");
}

} // namespace
