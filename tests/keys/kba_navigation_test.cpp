#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>

#include "keys/kba.h"
#include "keys/keys_fixture.h"

namespace
{

using KbaNavigation = KeysTest;

// One key (with its count) on a playlist window of h rows over nrows files.
struct row_case {
	const char *what;
	int nrows, h;
	int crow, voffset; // before
	int prefix;
	int key;
	int want_crow, want_voffset;
};

// clang-format off
const row_case row_cases[] = {
	{ "j moves the cursor down",             100, 20,  0,  0,   0, 'j',            1,  0 },
	{ "25 j shows rows 6 to 25",             100, 20,  0,  0,  25, 'j',           19,  6 },
	{ "k on the first row does nothing",     100, 20,  0,  0,   0, 'k',            0,  0 },
	{ "3 k from the top row scrolls up",     100, 20,  0, 10,   3, 'k',            0,  7 },
	{ "j on the last row does nothing",      100, 20, 19, 80,   0, 'j',           19, 80 },
	{ "9 j stops at the end of a short list",  5, 20,  3,  0,   9, 'j',            4,  0 },
	{ "j on an empty list",                    0, 20,  0,  0,   0, 'j',            0,  0 },
	{ "largest count j",                     100, 20,  3,  0, INT_MAX, 'j',       19, 80 },
	{ "largest count k",                     100, 20,  3, 50, INT_MAX, 'k',        0,  0 },
	{ "^D scrolls half a window",            100, 20,  5, 30,   0, 4,              5, 40 },
	{ "^D at the end moves the cursor",      100, 20,  5, 80,   0, 4,             15, 80 },
	{ "^D stops at the last row",            100, 20, 15, 80,   0, 4,             19, 80 },
	{ "^D on a short list",                    5, 20,  0,  0,   0, 4,              4,  0 },
	{ "3 ^F scrolls 60 rows",                100, 20,  2,  0,   3, 6,              2, 60 },
	{ "PageDown scrolls a window",           100, 20,  2,  0,   0, KB_KEY_NPAGE,   2, 20 },
	{ "largest count ^F",                    100, 20,  2,  0, INT_MAX, 6,          2, 80 },
	{ "^U at the top moves the cursor",      100, 20, 15,  0,   0, 21,             5,  0 },
	{ "^U near the top keeps the cursor",    100, 20, 15,  5,   0, 21,            15,  0 },
	{ "^B at the top goes to row 0",         100, 20, 15,  0,   0, 2,              0,  0 },
	{ "largest count ^B",                    100, 20, 15, 50, INT_MAX, 2,         15,  0 },
	{ "^E scrolls one row",                  100, 20,  5,  0,   0, 5,              4,  1 },
	{ "^E keeps the cursor on the top row",  100, 20,  0,  0,   0, 5,              0,  1 },
	{ "^Y at the top moves the cursor down", 100, 20,  5,  0,   0, 25,             6,  0 },
	{ "3 ^Y scrolls back",                   100, 20,  5, 10,   3, 25,             8,  7 },
	{ "largest count ^E",                    100, 20,  5,  0, INT_MAX, 5,          0, 80 },
	{ "% without a count does nothing",        3, 20,  2,  0,   0, '%',            2,  0 },
	{ "50 % of 3 rows goes to line 1",         3, 20,  2,  0,  50, '%',            0,  0 },
	{ "100 % goes to the last line",         100, 20,  0,  0, 100, '%',           19, 80 },
	{ "101 % does nothing",                  100, 20,  3,  0, 101, '%',            3,  0 },
	{ "30 % of 7 rows goes to line 2",         7, 20,  0,  0,  30, '%',            1,  0 },
	{ "G goes to the last line",             100, 20,  0,  0,   0, 'G',           19, 80 },
	{ "G on an empty list",                    0, 20,  0,  0,   0, 'G',            0,  0 },
	{ "50 G scrolls down",                   100, 20,  0,  0,  50, 'G',           19, 30 },
	{ "5 G above the view",                  100, 20,  0, 30,   5, 'G',            0,  4 },
	{ "12 G inside the view",                100, 20,  0,  5,  12, 'G',            6,  5 },
	{ "500 G goes to the last line",         100, 20,  0,  0, 500, 'G',           19, 80 },
	{ "H goes to the top row",               100, 20,  7, 10,   0, 'H',            0, 10 },
	{ "3 H goes to the third row",           100, 20,  7, 10,   3, 'H',            2, 10 },
	{ "30 H stops at the bottom row",        100, 20,  0,  0,  30, 'H',           19,  0 },
	{ "30 H stops at the last file",           5, 20,  0,  0,  30, 'H',            4,  0 },
	{ "M goes to the middle",                100, 20,  0, 10,   0, 'M',            9, 10 },
	{ "M uses up its count",                 100, 20,  0,  0,   7, 'M',            9,  0 },
	{ "M on a short list",                     5, 20,  0,  0,   0, 'M',            2,  0 },
	{ "L goes to the bottom row",            100, 20,  0,  0,   0, 'L',           19,  0 },
	{ "3 L goes to the third from bottom",   100, 20,  0,  0,   3, 'L',           17,  0 },
	{ "L on a short list",                     5, 20,  0,  0,   0, 'L',            4,  0 },
	{ "30 L stops at the top row",           100, 20,  5,  0,  30, 'L',            0,  0 },
	{ "largest count L",                     100, 20,  5,  0, INT_MAX, 'L',        0,  0 },
};
// clang-format on

TEST_F(KbaNavigation, RowsPagesAndJumps)
{
	for (const row_case &c : row_cases) {
		show_files(c.nrows, c.h);
		place(ui.playlist, c.crow, c.voffset);
		numprefix_set(c.prefix);
		EXPECT_TRUE(kb_execute(c.key)) << c.what;
		EXPECT_EQ(ui.playlist.crow, c.want_crow) << c.what;
		EXPECT_EQ(ui.playlist.voffset, c.want_voffset) << c.what;
		EXPECT_EQ(numprefix_get(), 0) << c.what;
	}
}

TEST_F(KbaNavigation, ColumnsOfThePlaylistWindow)
{
	// The default display is 83 columns wide.
	struct {
		const char *what;
		int w, hoffset, prefix, key, want;
	} cases[] = {
		{ "$ goes to the last column", 40, 0, 0, '$', 43 },
		{ "$ on a wide window", 100, 5, 0, '$', 0 },
		{ "l moves one column", 40, 0, 0, 'l', 1 },
		{ "100 l stops at the last column", 40, 0, 100, 'l', 43 },
		{ "l at the last column", 40, 43, 0, 'l', 43 },
		{ "largest count l", 40, 5, INT_MAX, 'l', 43 },
		{ "h at the left edge", 40, 0, 0, 'h', 0 },
		{ "3 h", 40, 10, 3, 'h', 7 },
		{ "largest count h", 40, 10, INT_MAX, 'h', 0 },
		{ "0 goes to the first column", 40, 20, 0, '0', 0 },
		{ "| goes to the first column", 40, 20, 0, '|', 0 },
		{ "space moves right", 40, 0, 0, ' ', 1 },
		{ "backspace moves left", 40, 3, 0, KB_KEY_BACKSPACE, 2 },
	};
	for (const auto &c : cases) {
		show_files(10, 20, c.w);
		ui.playlist.hoffset = c.hoffset;
		numprefix_set(c.prefix);
		EXPECT_TRUE(kb_execute(c.key)) << c.what;
		EXPECT_EQ(ui.playlist.hoffset, c.want) << c.what;
		EXPECT_EQ(numprefix_get(), 0) << c.what;
	}
}

TEST_F(KbaNavigation, ColumnsOfTheLibraryWindow)
{
	playlist_ptr named = playlist_new();
	named->name = "a rather long name";
	medialib_playlist_add(std::move(named));
	medialib_playlist_add(playlist_new());
	ui.library.w = 10;
	ui.library.h = 20;

	EXPECT_TRUE(kb_execute('$'));
	EXPECT_EQ(ui.library.hoffset, 8);
	EXPECT_TRUE(kb_execute('0'));
	EXPECT_EQ(ui.library.hoffset, 0);
	numprefix_set(50);
	EXPECT_TRUE(kb_execute('l'));
	EXPECT_EQ(ui.library.hoffset, 8);
}

// The rows search_next_row is told match.
std::set<int> matching_rows;

bool row_matches(int row)
{
	return matching_rows.count(row) != 0;
}

TEST(SearchNextRow, OrderAndWrapNotices)
{
	const char *top = "search hit TOP, continuing at BOTTOM";
	const char *bottom = "search hit BOTTOM, continuing at TOP";
	struct {
		const char *what;
		int start, nrows;
		bool forward;
		std::set<int> matching;
		int want;
		const char *notice;
	} cases[] = {
		{ "forward from the last row", 99, 100, true, { 0 }, 0, bottom },
		{ "backward from the first row", 0, 100, false, { 99 }, 99, top },
		{ "forward, nearest first", 10, 100, true, { 5, 20, 30 }, 20, nullptr },
		{ "backward, nearest first", 10, 100, false, { 5, 20 }, 5, nullptr },
		{ "the cursor's own row is skipped", 10, 100, true, { 10 }, -1, nullptr },
		{ "a single row is its own match", 0, 1, true, { 0 }, 0, bottom },
		{ "a single row backward", 0, 1, false, { 0 }, 0, top },
		{ "nothing matches", 4, 10, true, {}, -1, nullptr },
		{ "cursor past a shrunk list", 15, 10, true, { 6 }, 6, bottom },
	};
	for (const auto &c : cases) {
		matching_rows = c.matching;
		const char *notice = "unset";
		EXPECT_EQ(search_next_row(c.start, c.nrows, c.forward, row_matches, notice), c.want)
		        << c.what;
		if (c.want != -1) {
			EXPECT_STREQ(notice, c.notice) << c.what;
		}
	}
}

// Sets the query as a search for words would.
void search_for(const char *words)
{
	mi_query_clear();
	mi_query_setraw(words);
	mi_query_add_token(words);
}

TEST_F(KbaNavigation, FindNextAndPrevious)
{
	show_files(100, 20);
	records[0]->filename = "/m/intro.mp3";
	records[50]->filename = "/m/interlude-intro.mp3";
	search_for("intro");
	place(ui.playlist, 19, 80);

	EXPECT_TRUE(kb_execute('n')); // wraps to the top
	EXPECT_EQ(ui.playlist.cursor_index(), 0);
	EXPECT_EQ(ui.playlist.crow, 0);
	EXPECT_EQ(numprefix_get(), 0);

	EXPECT_TRUE(kb_execute('N')); // backward, wrapping to the bottom
	EXPECT_EQ(ui.playlist.voffset, 31);
	EXPECT_EQ(ui.playlist.crow, 19);

	EXPECT_TRUE(kb_execute('n'));
	EXPECT_EQ(ui.playlist.cursor_index(), 0);

	search_direction = BACKWARD;
	EXPECT_TRUE(kb_execute('n'));
	EXPECT_EQ(ui.playlist.cursor_index(), 50);
}

TEST_F(KbaNavigation, FindNextWithTheEmptyQueryTakesTheNextRow)
{
	show_files(100, 20);
	place(ui.playlist, 3, 0);
	numprefix_set(9); // has no effect on 'n'
	EXPECT_TRUE(kb_execute('n'));
	EXPECT_EQ(ui.playlist.crow, 4);
	EXPECT_EQ(numprefix_get(), 0);
}

// The count is dropped all the same: it never carries over to the next key.
TEST_F(KbaNavigation, PatternNotFoundDropsThePrefix)
{
	struct {
		const char *what;
		int nrows;
	} cases[] = { { "no row matches", 100 }, { "empty list", 0 } };
	for (const auto &c : cases) {
		show_files(c.nrows, 20);
		search_for("nowhere");
		place(ui.playlist, 3, 0);
		numprefix_set(7);
		EXPECT_TRUE(kb_execute('n')) << c.what;
		EXPECT_EQ(ui.playlist.crow, 3) << c.what;
		EXPECT_EQ(numprefix_get(), 0) << c.what;
	}
}

TEST_F(KbaNavigation, FindInTheLibraryWindow)
{
	playlist_ptr unnamed = playlist_new();
	medialib_playlist_add(std::move(unnamed));
	ui.library.h = 20;
	ui.library.w = 18;
	search_for("filter");

	EXPECT_TRUE(kb_execute('n'));
	EXPECT_EQ(ui.library.crow, 1);
	EXPECT_TRUE(kb_execute('n')); // the only match: the row itself is not tested
	EXPECT_EQ(ui.library.crow, 1);

	search_for("!library");
	EXPECT_TRUE(kb_execute('n')); // the unnamed playlist counts as empty
	EXPECT_EQ(ui.library.crow, 2);
}

} // namespace
