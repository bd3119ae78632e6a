// Moving through the windows with vi keys and number prefixes: rows, pages,
// screen positions, lines and percentages, and columns, on a long list, on
// short lists and on an empty one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "harness/tmux_screen.h"
#include "screen/screen_libraries.h"

namespace
{

// The keys as a trace shows them.
std::string key_list(const std::vector<std::string> &keys)
{
	std::string list = "keys";
	for (const std::string &k : keys)
		list += " " + k;
	return list;
}

// Keys, then where the playlist window of the long library stands: its top
// row (an index from 0), the cursor's line (from 1) and the columns
// scrolled away.
struct long_step {
	std::vector<std::string> keys;
	int top, line, hoff;
};

// Runs the steps one after the other in the playlist window of the long
// library, on a terminal of 80 x 24 (windows of 21 rows and, for the
// playlist, 61 columns), checking the window and the status bar after each.
void walk_long_list(const std::vector<long_step> &steps)
{
	long_home home;
	tmux_screen s(home);
	s.keys({ "Tab" });
	s.wait_for_row(23, long_status(1));
	for (const long_step &st : steps) {
		SCOPED_TRACE(key_list(st.keys));
		s.keys(st.keys);
		std::vector<std::string> rows = long_rows(st.top, st.hoff);
		rows.push_back(long_status(st.line, st.hoff));
		s.wait_for_rows(2, rows);
	}
}

TEST(Navigation, RowsPagesAndJumpsOnALongList)
{
	walk_long_list({
	        { { "j" }, 0, 2, 0 },
	        { { "5", "j" }, 0, 7, 0 },
	        { { "k" }, 0, 6, 0 },
	        { { "2", "k" }, 0, 4, 0 },
	        // The view follows just far enough to keep the cursor on screen.
	        { { "2", "5", "j" }, 8, 29, 0 },
	        { { "G" }, 39, 60, 0 },
	        // 'j' on the last line stays there.
	        { { "j", "k" }, 39, 59, 0 },
	        { { "g", "g" }, 0, 1, 0 },
	        { { "k", "j" }, 0, 2, 0 },
	        { { "3", "0", "G" }, 9, 30, 0 },
	        { { "H" }, 9, 10, 0 },
	        { { "3", "H" }, 9, 12, 0 },
	        { { "L" }, 9, 30, 0 },
	        { { "3", "L" }, 9, 28, 0 },
	        { { "M" }, 9, 20, 0 },
	        // Half and whole pages keep the cursor's screen row while the
	        // view can move.
	        { { "C-d" }, 19, 30, 0 },
	        { { "C-u" }, 9, 20, 0 },
	        { { "C-f" }, 30, 41, 0 },
	        { { "C-f" }, 39, 50, 0 },
	        // At the end the cursor moves instead, up to the last line.
	        { { "C-d" }, 39, 60, 0 },
	        { { "5", "k" }, 39, 55, 0 },
	        { { "C-f" }, 39, 60, 0 },
	        { { "C-b" }, 18, 39, 0 },
	        { { "2", "C-b" }, 0, 21, 0 },
	        { { "C-b" }, 0, 1, 0 },
	        // ^E and ^Y move the view by rows; the cursor stays on its file
	        // while it can.
	        { { "C-e" }, 1, 2, 0 },
	        { { "5", "j" }, 1, 7, 0 },
	        { { "3", "C-e" }, 4, 7, 0 },
	        { { "C-y" }, 3, 7, 0 },
	        { { "5", "C-y" }, 0, 9, 0 },
	        { { "5", "0", "%" }, 9, 30, 0 },
	        // '%' without a count does nothing.
	        { { "%", "j" }, 10, 31, 0 },
	        { { "1", "0", "0", "%" }, 39, 60, 0 },
	        { { "1", "%" }, 0, 1, 0 },
	        // 'g' and another key: that key acts, the count is lost.
	        { { "g", "j" }, 0, 2, 0 },
	        { { "3", "g", "j" }, 0, 3, 0 },
	        { { "1", "2", "g", "g" }, 0, 12, 0 },
	        { { "Down", "Down", "Up" }, 0, 13, 0 },
	        { { "NPage" }, 21, 34, 0 },
	        { { "PPage" }, 0, 13, 0 },
	        { { "-" }, 0, 12, 0 },
	        // A 0 with no count before it is a key; after a digit, a digit.
	        { { "l", "0", "5", "j" }, 0, 17, 0 },
	        { { "1", "0", "j" }, 6, 27, 0 },
	});
}

TEST(Navigation, ColumnsOfTheLongList)
{
	// The display is 83 columns wide, the window 61: at most 22 scrolled.
	walk_long_list({
	        { { "l" }, 0, 1, 1 },
	        { { "5", "l" }, 0, 1, 6 },
	        { { "h" }, 0, 1, 5 },
	        { { "$" }, 0, 1, 22 },
	        { { "l", "h" }, 0, 1, 21 },
	        { { "0" }, 0, 1, 0 },
	        { { "3", "0", "l" }, 0, 1, 22 },
	        { { "1", "0", "h" }, 0, 1, 12 },
	        { { "9", "9", "h" }, 0, 1, 0 },
	        { { "Right", "Space" }, 0, 1, 2 },
	        { { "Left" }, 0, 1, 1 },
	        { { "$", "^" }, 0, 1, 0 },
	        { { "$", "|" }, 0, 1, 0 },
	        // The terminal's backspace key.
	        { { "$", "BSpace" }, 0, 1, 21 },
	        // A lone 0 scrolls to the leftmost column before G jumps.
	        { { "0", "G" }, 39, 60, 0 },
	});
}

TEST(Navigation, CountsStopAtTheLargestInt)
{
	const std::string big = "99999999999999999999"; // 20 digits
	auto with_big_count = [&](const std::vector<std::string> &keys) {
		std::vector<std::string> all;
		for (char d : big)
			all.emplace_back(1, d);
		all.insert(all.end(), keys.begin(), keys.end());
		return all;
	};
	walk_long_list({
	        { with_big_count({ "j" }), 39, 60, 0 },
	        { with_big_count({ "k" }), 0, 1, 0 },
	        { with_big_count({ "C-f" }), 39, 40, 0 },
	        { with_big_count({ "C-b" }), 0, 1, 0 },
	        { with_big_count({ "C-e" }), 39, 40, 0 },
	        { with_big_count({ "C-y" }), 0, 21, 0 },
	        { with_big_count({ "L" }), 0, 1, 0 },
	        { with_big_count({ "H" }), 0, 21, 0 },
	        { with_big_count({ "%", "j" }), 1, 22, 0 },
	        { with_big_count({ "G" }), 39, 60, 0 },
	        { with_big_count({ "l" }), 39, 60, 22 },
	        { with_big_count({ "h" }), 39, 60, 0 },
	        { with_big_count({ "C-u" }), 0, 21, 0 },
	        { with_big_count({ "C-d" }), 39, 60, 0 },
	});
}

TEST(Navigation, UnboundKeysDoNothingAndKeepTheCount)
{
	long_home home;
	tmux_screen s(home);
	s.keys({ "Tab" });
	s.wait_for_row(23, long_status(1));

	// Function keys and other keys above 255, ESC outside any prompt, a
	// control key and bytes above 127.
	s.keys({ "5", "Q", "F5", "F12", "Home", "End", "IC", "DC", "Escape", "C-h" });
	s.type("\xc3\xa9");
	s.keys({ "j" });
	std::vector<std::string> rows = long_rows(0);
	rows.push_back(long_status(6));
	s.wait_for_rows(2, rows);
	EXPECT_FALSE(s.bell_rung());
}

// The library window of the small home, scrolled hoff columns, with the
// playlist window beside it, and the status bar with the cursor on line.
std::vector<std::string> small_library_rows(int line, int hoff)
{
	const char *names[] = { "--LIBRARY--", "--FILTER--", "a-playlist-with-a-long-name", "empty",
		                "rock" };
	const char *playlist[] = { "Alpha Band           First Light          Morning Song",
		                   "Alpha Band           First Light          Evening",
		                   "Beta Trio                                 Gale", "~", "~" };
	std::vector<std::string> rows;
	for (int i = 0; i < 5; i++) {
		std::string name = names[i];
		name = name.substr(std::min(static_cast<size_t>(hoff), name.size()), 18);
		char left[20];
		snprintf(left, sizeof left, "%-18sx", name.c_str());
		rows.push_back(left + std::string(playlist[i]));
	}
	for (int i = 5; i < 21; i++)
		rows.push_back("~                 x~");
	char text[40];
	snprintf(text, sizeof text, "[library] %6d,%-3d %3d%%", line, hoff, line * 100 / 5);
	rows.push_back(status_row(text));
	return rows;
}

TEST(Navigation, ShortListsInBothWindows)
{
	struct step {
		std::vector<std::string> keys;
		int line, hoff;
	};
	// The library window: five playlists in 21 rows.
	const std::vector<step> library_steps = {
		{ { "j" }, 2, 0 },
		{ { "G" }, 5, 0 },
		{ { "j", "k" }, 4, 0 },
		{ { "g", "g" }, 1, 0 },
		{ { "L" }, 5, 0 },
		{ { "M" }, 3, 0 },
		{ { "H" }, 1, 0 },
		{ { "C-d" }, 5, 0 },
		{ { "C-u" }, 1, 0 },
		{ { "C-f" }, 5, 0 },
		{ { "C-b" }, 1, 0 },
		// The view cannot move; the cursor moves by the rows asked.
		{ { "3", "j", "C-y" }, 5, 0 },
		{ { "C-e" }, 4, 0 },
		{ { "5", "0", "%" }, 2, 0 },
		{ { "1", "0", "0", "%" }, 5, 0 },
		// Columns: as far as the longest name needs (27 - 18).
		{ { "l" }, 5, 1 },
		{ { "$" }, 5, 9 },
		{ { "h" }, 5, 8 },
		{ { "2", "0", "l" }, 5, 9 },
		{ { "0" }, 5, 0 },
	};
	small_home home;
	tmux_screen s(home);
	for (const step &st : library_steps) {
		SCOPED_TRACE("library window, " + key_list(st.keys));
		s.keys(st.keys);
		s.wait_for_rows(2, small_library_rows(st.line, st.hoff));
	}

	// The playlist window: three files.
	const std::vector<step> playlist_steps = {
		{ { "G" }, 3, 0 },   { { "g", "g" }, 1, 0 }, { { "C-d" }, 3, 0 },
		{ { "C-u" }, 1, 0 }, { { "C-f" }, 3, 0 },    { { "C-b" }, 1, 0 },
		{ { "L" }, 3, 0 },   { { "M" }, 2, 0 },      { { "5", "j" }, 3, 0 },
		{ { "C-e" }, 2, 0 }, { { "C-y" }, 3, 0 },
	};
	s.keys({ "Tab" });
	for (const step &st : playlist_steps) {
		SCOPED_TRACE("playlist window, " + key_list(st.keys));
		s.keys(st.keys);
		char text[60];
		snprintf(text, sizeof text, "[playlist:--LIBRARY--] %6d,%-3d %3d%%", st.line,
		         st.hoff, st.line * 100 / 3);
		s.wait_for_row(23, status_row(text));
		// The cursor row in reverse video, as far as its text goes.
		const size_t lengths[] = { 54, 49, 46 };
		s.wait_for_style(1 + st.line,
		                 std::string(19, '.') + std::string(lengths[st.line - 1], '#'));
	}
}

TEST(Navigation, AnEmptyList)
{
	// Line 0: in an empty list the screen-position keys and the page keys
	// that move the cursor leave it before the first row, which the status
	// bar shows as line 0; the row keys bring it back.
	struct step {
		std::vector<std::string> keys;
		int line, hoff;
	};
	const std::vector<step> steps = {
		{ { "G" }, 1, 0 },   { { "L" }, 0, 0 },      { { "k" }, 1, 0 },
		{ { "M" }, 0, 0 },   { { "j" }, 1, 0 },      { { "H" }, 0, 0 },
		{ { "C-e" }, 1, 0 }, { { "C-d" }, 0, 0 },    { { "C-y" }, 1, 0 },
		{ { "C-f" }, 0, 0 }, { { "g", "g" }, 1, 0 }, { { "L", "5", "0", "%" }, 1, 0 },
		{ { "l" }, 1, 1 },   { { "$" }, 1, 22 },     { { "0" }, 1, 0 },
	};
	small_home home;
	tmux_screen s(home);
	s.keys({ "j", "Enter" });
	std::vector<std::string> rows(21, "~");
	rows[0] = "--LIBRARY--       x~";
	rows[1] = "--FILTER--        x~";
	rows[2] = "a-playlist-with-a-x~";
	rows[3] = "empty             x~";
	rows[4] = "rock              x~";
	for (size_t i = 5; i < rows.size(); i++)
		rows[i] = "~                 x~";
	s.wait_for_rows(2, rows);
	for (const step &st : steps) {
		SCOPED_TRACE(key_list(st.keys));
		s.keys(st.keys);
		char text[60];
		snprintf(text, sizeof text, "[playlist:--FILTER--] %6d,%-3d %3d%%", st.line,
		         st.hoff, 100);
		s.wait_for_row(23, status_row(text));
		s.wait_for_rows(2, rows);
	}

	// Searching an empty list finds nothing.
	s.keys({ "n" });
	s.wait_for_row(23, "Pattern not found:");
}

} // namespace
