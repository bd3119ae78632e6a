// The screen as it first appears, and how it follows window switches,
// playlists being opened, the file information page, redraws and resizes.
#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <set>
#include <string>
#include <vector>

#include "harness/tmux_screen.h"
#include "screen/screen_libraries.h"

namespace
{

const std::string MORNING =
        columns("Alpha Band", "First Light", "Morning Song", "  1", "2001", "2s");
const std::string EVENING = columns("Alpha Band", "First Light", "Evening", "  2", "2001", "1s");
const std::string GALE = columns("Beta Trio", "", "Gale", "", "1999", "1s");

// The library window's column of rows 2 to rows-2, border included.
std::vector<std::string> library_column(int rows)
{
	std::vector<std::string> col = { "--LIBRARY--       x", "--FILTER--        x",
		                         "a-playlist-with-a-x", "empty             x",
		                         "rock              x" };
	col.resize(static_cast<size_t>(rows - 3), "~                 x");
	return col;
}

// The whole first screen of the small home on a terminal of cols x rows.
std::vector<std::string> first_screen(int cols, int rows)
{
	const size_t w = static_cast<size_t>(cols - 19);
	std::vector<std::string> playlist = { cut(MORNING, w), cut(EVENING, w), cut(GALE, w) };
	std::vector<std::string> screen = { "korvane...",
		                            repeat("q", 18) + "w" + repeat("q", cols - 19) };
	std::vector<std::string> left = library_column(rows);
	for (size_t i = 0; i < left.size(); i++)
		screen.push_back(left[i] + (i < playlist.size() ? playlist[i] : "~"));
	screen.push_back(status_row("[library]      1,0    20%", cols));
	return screen;
}

TEST(Screen, FirstScreenRowByRow)
{
	small_home home;
	tmux_screen s(home, {}, 110, 24);

	std::vector<std::string> rows = {
		"korvane...",
		repeat("q", 18) + "w" + repeat("q", 91),
		"--LIBRARY--       x" + MORNING,
		"--FILTER--        x" + EVENING,
		"a-playlist-with-a-x" + GALE,
		"empty             x~",
		"rock              x~",
	};
	while (rows.size() < 23)
		rows.push_back("~                 x~");
	rows.push_back(status_row("[library]      1,0    20%", 110));
	s.wait_for_screen(rows);
	EXPECT_EQ(first_screen(110, 24), rows);

	// The player bar in green; the library window's cursor row in reverse
	// video; the playlist window's cursor row, inactive, without; the rows
	// past the end "~" in blue.
	s.wait_for_style(0, repeat("g", 10));
	s.wait_for_style(1, repeat(".", 110));
	s.wait_for_style(2, repeat("#", 18) + repeat(".", 83));
	s.wait_for_style(3, repeat(".", 101));
	s.wait_for_style(6, repeat(".", 19) + "b");
	s.wait_for_style(7, "b" + repeat(".", 18) + "b");
	s.wait_for_style(23, repeat(".", 110));
}

TEST(Screen, TabSwitchesTheActiveWindow)
{
	small_home home;
	tmux_screen s(home, {}, 110, 24);

	s.keys({ "Tab" });
	s.wait_for_row(23, status_row("[playlist:--LIBRARY--]      1,0    33%", 110));
	s.wait_for_style(2, repeat(".", 19) + repeat("#", 82));

	// The cursor of the inactive window stays where it was, without reverse
	// video.
	s.keys({ "j" });
	s.wait_for_row(23, status_row("[playlist:--LIBRARY--]      2,0    66%", 110));
	s.wait_for_style(2, repeat(".", 101));
	s.wait_for_style(3, repeat(".", 19) + repeat("#", 82));

	s.keys({ "Tab" });
	s.wait_for_row(23, status_row("[library]      1,0    20%", 110));
	s.wait_for_style(2, repeat("#", 18) + repeat(".", 83));
	s.wait_for_style(3, repeat(".", 101));
}

TEST(Screen, EnterOpensThePlaylistUnderTheCursor)
{
	struct step {
		std::vector<std::string> keys;
		std::vector<std::string> playlist; // rows 2 on of the playlist window
		const char *status;
	};
	const std::string missing = "/music/missing.ogg";
	const std::vector<step> steps = {
		{ { "G", "Enter" },
		  { MORNING, missing, GALE, "~" },
		  "[playlist:rock]      1,0    33%" },
		{ { "Tab", "k", "Enter" }, { "~", "~" }, "[playlist:empty]      1,0   100%" },
		{ { "Tab", "g", "g", "j", "Enter" },
		  { "~", "~" },
		  "[playlist:--FILTER--]      1,0   100%" },
		{ { "Tab", "3", "G", "Enter" },
		  { EVENING, "~" },
		  "[playlist:a-playlist-with-a-long-name]      1,0   100%" },
		{ { "Tab", "g", "g", "Enter" },
		  { MORNING, EVENING, GALE, "~" },
		  "[playlist:--LIBRARY--]      1,0    33%" },
	};

	small_home home;
	tmux_screen s(home, {}, 110, 24);
	const std::vector<std::string> left = library_column(24);
	for (const step &st : steps) {
		SCOPED_TRACE(st.status);
		s.keys(st.keys);
		std::vector<std::string> rows;
		for (size_t i = 0; i < st.playlist.size(); i++)
			rows.push_back(left[i] + st.playlist[i]);
		rows.push_back(left[st.playlist.size()] + "~");
		s.wait_for_rows(2, rows);
		s.wait_for_row(23, status_row(st.status, 110));
		// The playlist window is active: its first row in reverse video,
		// a file or the "~" of an empty playlist.
		s.wait_for_style(2,
		                 repeat(".", 19) + (st.playlist[0] == "~" ? "#" : repeat("#", 82)));
	}
}

// "Last Updated" as the file information page shows a time, in UTC.
std::string updated_row(time_t t)
{
	char when[100];
	struct tm tm_buf;
	strftime(when, sizeof when, "%d %B %Y at %H:%M:%S", gmtime_r(&t, &tm_buf));
	return std::string("   Last Updated: ") + when;
}

TEST(Screen, FileInformationPageToggles)
{
	small_home home;
	const screen_library &lib = small_library();
	tmux_screen s(home, {}, 110, 24);
	const std::vector<std::string> left = library_column(24);

	// In the library window 'm' does nothing.
	s.keys({ "m", "j" });
	s.wait_for_row(23, status_row("[library]      2,0    40%", 110));
	s.wait_for_row(2, left[0] + MORNING);

	s.keys({ "Tab", "m" });
	const std::vector<std::string> page = {
		"What korvane knows about the file/URL:",
		lib.media / "morning.flac",
		"",
		"Meta-Information:",
		"    Artist: \"Alpha Band\"",
		"     Album: \"First Light\"",
		"     Title: \"Morning Song\"",
		"     Track: \"  1\"",
		"      Year: \"2001\"",
		"     Genre: \"(null)\"",
		"    Length: \"2s\"",
		"   Comment: \"(null)\"",
		"",
		"Additional Details:",
		"         Length: 2 seconds",
		"           URL?: No",
	};
	std::set<std::string> updated;
	for (time_t t = lib.added_from; t <= lib.added_to; t++)
		updated.insert(left[page.size()] + updated_row(t));
	s.wait_until(
	        [&](const screen_capture &c) {
		        if (c.rows.size() != 24)
			        return false;
		        for (size_t i = 0; i < page.size(); i++)
			        if (c.rows[2 + i] != left[i] + page[i])
				        return false;
		        return updated.count(c.rows[2 + page.size()]) == 1 &&
		               c.rows[3 + page.size()] == left[page.size() + 1];
	        },
	        "the information page of Morning Song, last updated between " +
	                updated_row(lib.added_from) + " and " + updated_row(lib.added_to));

	// 'm' again shows the playlist again.
	s.keys({ "m" });
	s.wait_for_rows(2, { left[0] + MORNING, left[1] + EVENING, left[2] + GALE, left[3] + "~" });

	// On a row without a file: a message, in the messages' red.
	s.keys({ "Tab", "Enter", "m" });
	s.wait_for_row(23, "no file here");
	s.wait_for_style(23, repeat("r", 12));
}

TEST(Screen, RedrawPaintsEverythingAgain)
{
	small_home home;
	tmux_screen s(home);
	s.wait_for_screen(first_screen(80, 24));

	s.write_to_terminal("\033[2J\033[10;30Hstray output");
	s.wait_for_row(9, repeat(" ", 29) + "stray output");
	s.keys({ "C-l" });
	s.wait_for_screen(first_screen(80, 24));
}

TEST(Screen, ResizeRepaintsAtTheNewSize)
{
	small_home home;
	tmux_screen s(home);
	s.wait_for_screen(first_screen(80, 24));

	s.resize(110, 30);
	s.wait_for_screen(first_screen(110, 30));

	// Shrinking below the cursor puts it on the last row of the window;
	// growing again leaves it there.
	s.keys({ "G" });
	s.wait_for_row(29, status_row("[library]      5,0   100%", 110));
	s.resize(80, 6);
	s.wait_for_screen({ "korvane...", repeat("q", 18) + "w" + repeat("q", 61),
	                    "--LIBRARY--       x" + cut(MORNING, 61),
	                    "--FILTER--        x" + cut(EVENING, 61),
	                    "a-playlist-with-a-x" + cut(GALE, 61),
	                    status_row("[library]      3,0    60%") });
	s.wait_for_style(4, repeat("#", 18) + repeat(".", 47));

	s.resize(80, 24);
	std::vector<std::string> rows = first_screen(80, 24);
	rows[23] = status_row("[library]      3,0    60%");
	s.wait_for_screen(rows);
	s.wait_for_style(4, repeat("#", 18) + repeat(".", 47));
}

TEST(Screen, TooSmallATerminalShowsANoticeUntilItGrows)
{
	small_home home;
	tmux_screen s(home);
	s.wait_for_screen(first_screen(80, 24));

	// One column fewer than the library window and two more.
	s.resize(19, 24);
	std::vector<std::string> notice(24, "");
	notice[0] = "Terminal too small";
	s.wait_for_screen(notice);

	// Three rows. Hiding and showing the library window meanwhile waits
	// for room.
	s.resize(80, 3);
	s.wait_for_screen({ "Terminal too small for korvane.", "", "" });
	s.type(":set lhide=yes\r");
	s.keys({ "Tab", "Tab", "Tab" });
	s.resize(80, 2);
	s.keys({ "Tab" });
	s.type(":set lhide=no\r");
	s.wait_for_screen({ "Terminal too small for korvane.", "" });

	// Exactly the smallest size: windows of one row, a playlist window of
	// one column; the status text is cut at its right.
	s.resize(20, 4);
	s.wait_for_screen({ "korvane...", repeat("q", 18) + "wq", "--LIBRARY--       xA",
	                    "[library]      1,0" });

	s.resize(80, 24);
	s.wait_for_screen(first_screen(80, 24));
}

} // namespace
