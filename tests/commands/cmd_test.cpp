// Selecting a command by its typed word, the boolean words, and every
// command's refusals with their codes.
#include <gtest/gtest.h>

#include <string>

#include "commands/cmd.h"
#include "commands/cmd_fixture.h"

namespace
{

struct match_case {
	const char *word, *name;
	bool matches;
};

TEST(Cmd, MatchCommandName)
{
	// clang-format off
	const match_case cases[] = {
		{ "filter",   "filter", true },
		{ "filt",     "filter", true },
		{ "filter!",  "filter", true },
		{ "f!",       "filter", true },
		{ "filter!x", "filter", true },  // cut at the first '!'
		{ "q!",       "q",      true },
		{ "w!",       "w",      true },
		{ "quit",     "q",      false }, // longer than the name
		{ "filters",  "filter", false },
		{ "Q",        "q",      false }, // case matters
		{ "x!",       "filter", false },
		{ "",         "bind",   false }, // the empty word selects nothing
		{ "!",        "sort",   true },  // cut to the empty prefix
		{ "!!",       "bind",   true },
	};
	// clang-format on
	for (const match_case &c : cases)
		EXPECT_EQ(match_command_name(c.word, c.name), c.matches)
		        << c.word << " / " << c.name;
}

TEST(Cmd, SelectByUniquePrefix)
{
	struct select_case {
		const char *word;
		int row;
	};
	// clang-format off
	const select_case cases[] = {
		{ "b", 0 }, { "c", 1 }, { "d", 2 }, { "f", 3 }, { "m", 4 }, { "n", 5 },
		{ "p", 6 }, { "q", 7 }, { "r", 8 }, { "u", 11 }, { "w", 12 }, { "t", 13 },
		{ "s", CMD_AMBIGUOUS }, { "se", 9 }, { "so", 10 }, { "set", 9 }, { "sort!", 10 },
		{ "q!", 7 }, { "w!", 12 }, { "filter!", 3 }, { "unb", 11 }, { "tog", 13 },
		{ "quit", CMD_UNKNOWN }, { "Q", CMD_UNKNOWN }, { "x", CMD_UNKNOWN },
		{ "", CMD_UNKNOWN }, { "!", CMD_AMBIGUOUS }, { "s!", CMD_AMBIGUOUS },
	};
	// clang-format on
	for (const select_case &c : cases)
		EXPECT_EQ(cmd_select(c.word), c.row) << c.word;
}

TEST(Cmd, TableRowsInOrder)
{
	const char *names[CMD_TABLE_SIZE] = { "bind", "color",    "display", "filter", "mode",
		                              "new",  "playlist", "q",       "reload", "set",
		                              "sort", "unbind",   "w",       "toggle", "salvage" };
	for (int i = 0; i < CMD_TABLE_SIZE; i++)
		EXPECT_STREQ(cmd_table[i].name, names[i]);
}

TEST(Cmd, Str2bool)
{
	struct bool_case {
		const char *word;
		int rc;
		bool value;
	};
	// clang-format off
	const bool_case cases[] = {
		{ "true", 0, true }, { "T", 0, true }, { "YES", 0, true }, { "y", 0, true },
		{ "True", 0, true }, { "yEs", 0, true },
		{ "false", 0, false }, { "f", 0, false }, { "No", 0, false }, { "N", 0, false },
		{ "1", -1, false }, { "0", -1, false }, { "on", -1, false }, { "", -1, false },
		{ "yess", -1, false }, { "tru", -1, false },
	};
	// clang-format on
	for (const bool_case &c : cases) {
		for (bool before : { false, true }) {
			bool v = before;
			EXPECT_EQ(str2bool(c.word, v), c.rc) << c.word;
			EXPECT_EQ(v, c.rc == 0 ? c.value : before) << c.word;
		}
	}
}

using CmdCodes = CmdTest;

// Each line's handler code on the library of three records with the
// playlists rock (a file) and untitled (none), the library viewed.
TEST_F(CmdCodes, EachRefusalWithItsCode)
{
	struct code_case {
		const char *line;
		int code;
	};
	// clang-format off
	const code_case cases[] = {
		{ "color",                   1 }, { "color a b",              1 },
		{ "color player",            2 }, { "color player=red",       3 },
		{ "color foo=red,blue",      4 }, { "color artist=pink,red",  5 },
		{ "color artist=red,pink",   6 }, { "color =red,red",         4 },
		{ "display",                 1 }, { "display show reset",     1 },
		{ "display bogus",           1 }, { "display Artist",         1 },
		{ "filter",                  1 }, { "filter!",                1 },
		{ "mode",                    1 }, { "mode loop random",       1 },
		{ "mode bogus",              2 }, { "mode loops",             2 },
		{ "set",                     0 }, { "set a=1 b=2",            1 },
		{ "set lwidth?",             0 }, { "set bogus?",             7 },
		{ "set lhide",               2 }, { "set lhide=maybe",        4 },
		{ "set match-fname=1",       5 }, { "set save-sorts=on",      6 },
		{ "set foo=1",               7 }, { "set lwidth=abc",         3 },
		{ "set lwidth=0",            3 }, { "se lwidth=",             3 },
		{ "sort",                    1 }, { "sort a b",               1 },
		{ "sort foo",                2 }, { "sort artist,,bogus",     2 },
		{ "bind",                    1 }, { "bind quit",              1 },
		{ "bind a b c d",            1 }, { "bind nope q",            1 },
		{ "bind quit ab",            1 }, { "bind quit control Q",    1 },
		{ "bind quit ctrl q",        1 },
		{ "unbind",                  1 }, { "unbind key",             1 },
		{ "unbind * *",              1 }, { "unbind action nope",     1 },
		{ "unbind key ab",           1 }, { "unbind key control Q",   1 },
		{ "unbind key a b c",        1 }, { "unbind foo bar",         1 },
		{ "new a b",                 1 }, { "new rock",               2 },
		{ "new x/y",                 3 }, { "new /",                  3 },
		{ "playlist",                1 }, { "playlist a b",           1 },
		{ "playlist zzz",            0 }, { "playlist ''",            1 },
		{ "q now",                   1 }, { "q! now",                 1 },
		{ "q",                       2 },
		{ "reload",                  1 }, { "reload db conf",         1 },
		{ "reload foo",              2 },
		{ "w a b",                   1 }, { "w",                      2 },
		{ "w rock",                  4 }, { "w a/b",                  5 },
		{ "w! ../x",                 5 },
		{ "toggle",                  1 }, { "toggle a",               1 },
		{ "toggle ab mode loop",     1 }, { "toggle 1 mode loop",     1 },
		{ "toggle '' mode loop",     1 },
	};
	// clang-format on
	library_of(3);
	add_playlist("rock", 2);
	playlist *untitled = add_playlist("untitled", 0, false);
	untitled->needs_saving = true;
	const std::vector<std::string> before = registry();

	for (const code_case &c : cases)
		EXPECT_EQ(run(c.line), c.code) << c.line;

	// Nothing changed.
	EXPECT_EQ(registry(), before);
	EXPECT_EQ(viewing_playlist, medialib.library);
	EXPECT_EQ(sig_quit, 0);
	EXPECT_EQ(toggleset_size(), 0);
	EXPECT_FALSE(file_exists(dir / "../x.playlist"));
	EXPECT_FALSE(file_exists(dir / "x"));
	EXPECT_EQ(read_file(dir / "rock.playlist"), "/m/track000.mp3\n/m/track001.mp3\n");
	EXPECT_EQ(player_info.mode, MODE_LINEAR);
	EXPECT_EQ(mi_display_tostr(), "Artist.20,Album.20,Title.20,-Track.4,-Year.4,-Length.9");
	for (bool set : field_color_set)
		EXPECT_FALSE(set);
}

// A long name would make a file name the system refuses; the tokenizer
// never gives an empty word, but a handler refuses one all the same.
TEST_F(CmdCodes, NamesThatCannotBeFiles)
{
	library_of(1);
	EXPECT_EQ(cmd_new({ "new", "" }), 3);
	EXPECT_EQ(cmd_write({ "w", "" }), 5);
	EXPECT_EQ(registry(), (std::vector<std::string>{ "--LIBRARY--", "--FILTER--" }));
	const std::string longest(238, 'a'), too_long(239, 'a');
	EXPECT_EQ(run("new " + too_long), 3);
	EXPECT_EQ(run("w " + too_long), 5);
	EXPECT_EQ(run("new " + longest), 0);
	EXPECT_TRUE(file_exists(dir / (longest + ".playlist")));
}

// A NUL byte would cut the file name short: at the start of the name the
// save would open the directory itself and end the program.
TEST_F(CmdCodes, NamesHoldingANulByte)
{
	library_of(1);
	for (const std::string &name : { std::string("\0", 1), std::string("a\0b", 3) }) {
		EXPECT_EQ(run("new " + name), 3);
		EXPECT_EQ(run("w " + name), 5);
		EXPECT_EQ(run("w! " + name), 5);
	}
	EXPECT_EQ(registry(), (std::vector<std::string>{ "--LIBRARY--", "--FILTER--" }));
	EXPECT_FALSE(file_exists(dir / "a"));
}

// What a run of the wrong command word leaves: the lines select nothing.
TEST_F(CmdCodes, WordsThatSelectNothing)
{
	for (const char *line : { "s lhide=yes", "quit", "Q", "", "   ", "! ls" })
		EXPECT_EQ(run(line), -1) << line;
}

} // namespace
