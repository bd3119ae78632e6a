// The configuration loader in-process: the lines it reads, what a failing
// line does at start-up (the end of the program) and while the program runs
// (a report, and no more lines).
#include <gtest/gtest.h>

#include <string>

#include "base/globals.h"
#include "commands/cmd_fixture.h"
#include "core/config.h"
#include "meta/mi_query.h"

namespace
{

class Config : public CmdTest
{
protected:
	void SetUp() override
	{
		CmdTest::SetUp();
		library_of(3);
		conf_file = dir / "korvane.conf";
	}
	void TearDown() override
	{
		conf_file.clear();
		CmdTest::TearDown();
	}
	void write_conf(const std::string &text) { write_file(conf_file, text); }
};

TEST_F(Config, AMissingFileIsNoConfiguration)
{
	EXPECT_EQ(load_config(), 0);
	EXPECT_EQ(load_config(config_errors::report), 0);
}

TEST_F(Config, CommentsBlanksContinuationsAndEscapes)
{
	write_conf("# only a comment\n"
	           "\n"
	           "   \t\n"
	           "  # an indented comment\n"
	           "mode random   # the rest is a comment\n"
	           "set \\\n"
	           "lhide\\\n"
	           "=yes\n"
	           "toggle a filter \\#x / filter a\\\\\n"
	           "q");
	EXPECT_EQ(load_config(), 0);
	EXPECT_EQ(player_info.mode, MODE_RANDOM);
	EXPECT_TRUE(ui.lhide);
	// The escaped '#' reaches the command; an escaped backslash at the end
	// of a line does not continue it.
	ASSERT_NE(toggle_get('a'), nullptr);
	EXPECT_EQ(toggle_get('a')->commands,
	          (std::vector<std::string>{ "filter #x ", "filter a\\ " }));
	EXPECT_EQ(sig_quit, 1);
}

// While the program runs a failing line is reported and ends the reading;
// the lines before it have taken effect.
TEST_F(Config, ReportStopsAtTheFailingLine)
{
	write_conf("mode loop\n"
	           "set lhide=yes\n"
	           "set lwidth=abc\n"
	           "mode random\n");
	EXPECT_EQ(load_config(config_errors::report), 1);
	EXPECT_EQ(player_info.mode, MODE_LOOP);
	EXPECT_TRUE(ui.lhide);
	EXPECT_FALSE(config_is_loading());

	// reload conf runs it the same way and gives its own code.
	player_info.mode = MODE_LINEAR;
	EXPECT_EQ(run("reload conf"), 3);
	EXPECT_EQ(player_info.mode, MODE_LOOP);
	write_conf("mode random\n");
	EXPECT_EQ(run("rel CONF"), 0);
	EXPECT_EQ(player_info.mode, MODE_RANDOM);
}

// A file that reloads itself would never end.
TEST_F(Config, ReloadingFromTheFileIsRefused)
{
	write_conf("mode loop\nreload conf\nmode random\n");
	EXPECT_EQ(load_config(config_errors::report), 1);
	EXPECT_EQ(player_info.mode, MODE_LOOP);
	EXPECT_EXIT(load_config(), testing::ExitedWithCode(1),
	            "line 2: error with command 'reload' \\[4\\]\n$");
}

struct fatal_case {
	const char *name;
	const char *text;
	const char *message; // after the file name
};

class ConfigFatal : public Config, public testing::WithParamInterface<fatal_case>
{
};

TEST_P(ConfigFatal, EndsTheProgramNamingFileAndLine)
{
	write_conf(GetParam().text);
	EXPECT_EXIT(load_config(), testing::ExitedWithCode(1),
	            "^[^\n]*: " + conf_file + " " + GetParam().message + "\n$");
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
        Lines, ConfigFatal,
        testing::Values(
                fatal_case{ "Unknown", "mode loop\nbogus\n", "line 2: unknown command'bogus'" },
                fatal_case{ "Ambiguous", "\n\ns lhide=yes\n", "line 3: ambiguous abbreviation 's'" },
                fatal_case{ "QuoteCutByAComment", "filter \"a#b\"\n",
                            "line 1: parse error: Unmatched quotes" },
                fatal_case{ "UnmatchedQuote", "\nfilter 'abc\n", "line 2: parse error: Unmatched quotes" },
                fatal_case{ "ContinuedOverThreeLines", "set \\\nfoo\\\n=1\n",
                            "line 3: error with command 'set' \\[7\\]" },
                fatal_case{ "SeventhLine", "mode loop\n# two\nmode linear\n\nset lhide=no\nmode random\ncolor player=red\nbogus\n",
                            "line 7: error with command 'color' \\[3\\]" },
                fatal_case{ "UsageCode", "mode\n", "line 1: error with command 'mode' \\[1\\]" },
                fatal_case{ "PlaylistNameWithASlash", "new a/b\n", "line 1: error with command 'new' \\[3\\]" }),
        [](const testing::TestParamInfo<fatal_case> &info) { return info.param.name; });
// clang-format on

} // namespace
