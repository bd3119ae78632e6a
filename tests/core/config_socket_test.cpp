// The configuration file as the program meets it: at start-up, where a
// failing line ends the program after the screen, and through reload conf,
// where it is reported and the program goes on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness/tmux_screen.h"
#include "player/player_home.h"
#include "screen/screen_libraries.h"

namespace
{

std::string conf_of(const korvane_home &home)
{
	return home / ".korvane/korvane.conf";
}

struct fatal_line {
	const char *name;
	const char *text;
	const char *message; // after the file name
};

class ConfigAtStartup : public testing::TestWithParam<fatal_line>
{
};

TEST_P(ConfigAtStartup, FailingLineEndsTheProgramAfterTheScreen)
{
	long_home home;
	write_file(conf_of(home), GetParam().text);
	tmux_screen s(home, {}, 80, 24, tmux_screen::no_wait{});
	EXPECT_EQ(s.wait_exit(), 1);
	EXPECT_EQ(s.err(), "korvane: " + conf_of(home) + " " + GetParam().message + "\n");
	EXPECT_NE(s.stty_before(), "");
	EXPECT_EQ(s.stty_after(), s.stty_before());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
        Config, ConfigAtStartup,
        testing::Values(
                fatal_line{ "Unknown", "# a comment\n\nmode loop\nbogus word\n",
                            "line 4: unknown command'bogus'" },
                fatal_line{ "Ambiguous", "s lhide=yes\n", "line 1: ambiguous abbreviation 's'" },
                fatal_line{ "Parse", "mode loop\nfilter \"a#b\"\n",
                            "line 2: parse error: Unmatched quotes" },
                fatal_line{ "CodeOfAContinuedLine", "mode loop\nset \\\nfoo\\\n=1\nq\n",
                            "line 4: error with command 'set' [7]" },
                fatal_line{ "ReloadItself", "reload conf\n",
                            "line 1: error with command 'reload' [4]" },
                fatal_line{ "WidthTooLarge", "set lwidth=79\n",
                            "line 1: error with command 'set' [3]" }),
        [](const testing::TestParamInfo<fatal_line> &info) { return info.param.name; });
// clang-format on

// A file whose last line is q: the screen comes up and the program ends
// at once, having run every line.
TEST(Config, FileEndingInQuit)
{
	long_home home;
	write_file(conf_of(home), "# korvane.conf\n"
	                          "\n"
	                          "set lwidth=10   # narrow\n"
	                          "display \\\n"
	                          "   Title.12\n"
	                          "w \\#1\n"
	                          "q\n");
	tmux_screen s(home, {}, 80, 24, tmux_screen::no_wait{});
	EXPECT_EQ(s.wait_exit(), 0);
	EXPECT_EQ(s.err(), "");
	EXPECT_EQ(lines_of(read_file(home.playlists() + "/#1.playlist")).size(), 60u);
}

// Start-up sets the play mode after the file: a mode random in it is lost.
TEST(Config, ModeLineIsOverriddenAtStartup)
{
	small_home home;
	fake_player player;
	player.script({});
	write_file(conf_of(home), "mode random\ndisplay Title.12\n");
	tmux_screen s(home, {}, 80, 24, player.env());
	s.wait_for_row(2, "--LIBRARY--       xMorning Song");
	s.keys({ "Tab", "Enter" });
	s.wait_until([](const screen_capture &c) { return c.rows[0].rfind("[O] ", 0) == 0; },
	             "the file to play in loop mode");
}

// While the program runs, a broken line is shown on the message line and
// ends the reading: the lines before it have taken effect, those after it
// have not.
TEST(Config, ReloadReportsABrokenLineAndGoesOn)
{
	long_home home;
	const std::string conf = conf_of(home);
	write_file(conf, "display Title.12\n");
	tmux_screen s(home);
	s.wait_for_row(2, "--LIBRARY--       xSong 01");

	write_file(conf, "display Artist.12\n"
	                 "# two\n"
	                 "set \\\n"
	                 "   lhide\n"
	                 "display Album.12\n");
	s.type(":reload conf");
	s.keys({ "Enter" });
	const std::string error = conf + " line 4: error with command 'set' [2]";
	s.wait_for_row(23, cut(error, 80));
	s.wait_for_style(23, repeat("R", static_cast<int>(cut(error, 80).size())));
	s.wait_for_row(2, "--LIBRARY--       xArtist 01");
	EXPECT_TRUE(s.bell_rung());

	write_file(conf, "display Album.12\n");
	s.type(":rel CONF");
	s.keys({ "Enter" });
	s.wait_for_row(2, "--LIBRARY--       xAlbum 01");
	s.type(":q");
	s.keys({ "Enter" });
	EXPECT_EQ(s.wait_exit(), 0);
}

} // namespace
