// The screen's texts measured in terminal cells: what a UTF-8 locale shows
// as written, what the C locale shows as '?', and the cuts and pads that
// never split a character.
#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

#include "base/text.h"
#include "meta/mi_sort.h"
#include "screen/paint_text.h"

namespace
{

// The character type of a locale for the test's length.
class ctype_locale
{
public:
	explicit ctype_locale(const char *name)
	{
		if (setlocale(LC_CTYPE, name) == nullptr)
			ADD_FAILURE() << "no locale " << name;
	}
	~ctype_locale() { setlocale(LC_CTYPE, "C"); }
	ctype_locale(const ctype_locale &) = delete;
	ctype_locale &operator=(const ctype_locale &) = delete;
};

const char UTF8[] = "C.UTF-8";

} // namespace

TEST(PaintCells, screen_text_keeps_text_and_replaces_what_a_terminal_acts_on)
{
	ctype_locale l(UTF8);
	ASSERT_TRUE(text_utf8_locale());
	struct {
		const char *text, *shown;
	} cases[] = {
		{ "Björk", "Björk" },
		{ "坂本龍一", "坂本龍一" },
		{ "Мумий Тролль", "Мумий Тролль" },
		{ "e\xcc\x81t\xc3\xa9", "e\xcc\x81t\xc3\xa9" }, // decomposed and composed
		{ "🎸 rock", "🎸 rock" },
		{ "a\rb\nc\td", "a?b?c?d" },
		{ "\x1b[2Jgone", "?[2Jgone" },
		{ "x\302\23331my", "x?31my" }, // C1 CSI
		{ "del\x7f", "del?" },
		{ "cut \xe5\x9d", "cut ??" },    // a sequence cut short
		{ "lone \xa9", "lone ?" },       // a continuation byte alone
		{ "over\xc0\xaf", "over??" },    // an overlong '/'
		{ "sur\xed\xa0\x80", "sur???" }, // a surrogate
		{ "Latin-1 Bj\xf6rk", "Latin-1 Bj?rk" },
		{ "\342\200\256evil", "?evil" },       // right-to-left override
		{ "\xe2\x81\xa6iso", "?iso" },         // an isolate
		{ "\314\201alone", " \314\201alone" }, // a mark with no character
	};
	for (const auto &c : cases)
		EXPECT_EQ(screen_text(c.text), c.shown) << c.text;
}

TEST(PaintCells, c_locale_shows_one_question_mark_per_character)
{
	ASSERT_FALSE(text_utf8_locale());
	struct {
		const char *text, *shown;
	} cases[] = {
		{ "Björk", "Bj?rk" },    { "坂本龍一", "????" },
		{ "🎸 rock", "? rock" },  { "e\xcc\x81", "e?" },
		{ "Bj\xf6rk", "Bj?rk" }, // Latin-1 bytes, each its own '?'
		{ "a\nb\x1b", "a?b?" },  { "plain ASCII ~", "plain ASCII ~" },
	};
	for (const auto &c : cases) {
		EXPECT_EQ(screen_text(c.text), c.shown) << c.text;
		EXPECT_EQ(pad_text(c.text, 16, MI_ALIGN_LEFT).size(), 16u) << c.text;
	}
}

TEST(PaintCells, cells_count_wide_characters_twice_and_marks_not_at_all)
{
	ctype_locale l(UTF8);
	struct {
		const char *text;
		int cells;
	} cases[] = {
		{ "", 0 },      { "abc", 3 },    { "坂本", 4 }, { "e\xcc\x81", 1 }, { "😀", 2 },
		{ "Björk", 5 }, { "한국어", 6 }, { "ｶﾀｶﾅ", 4 }, { "Ελληνικά", 8 },  { "a坂b", 4 },
	};
	for (const auto &c : cases)
		EXPECT_EQ(text_cells(c.text), c.cells) << c.text;
}

TEST(PaintCells, cut_never_splits_a_character)
{
	ctype_locale l(UTF8);
	struct {
		const char *text;
		int skip, n;
		const char *cut;
	} cases[] = {
		{ "坂本龍一", 0, 8, "坂本龍一" },
		{ "坂本龍一", 0, 5, "坂本 " }, // the wide character at the edge: a blank
		{ "坂本龍一", 1, 4, " 本 " },  // cut at both edges
		{ "坂本龍一", 2, 2, "本" },
		{ "坂本龍一", 7, 3, " " },
		{ "坂本龍一", 8, 3, "" },
		{ "ae\xcc\x81z", 0, 2, "ae\xcc\x81" }, // marks stay with their character
		{ "ae\xcc\x81z", 1, 1, "e\xcc\x81" },
		{ "ae\xcc\x81z", 0, 1, "a" },
		{ "ae\xcc\x81z", 2, 1, "z" },
		{ "😀x", 0, 1, " " },
		{ "😀x", 1, 2, " x" },
		{ "abc", 0, 0, "" },
		{ "abc", 5, 3, "" },
	};
	for (const auto &c : cases) {
		EXPECT_EQ(cut_cells(c.text, c.skip, c.n), c.cut)
		        << c.text << " from " << c.skip << " for " << c.n;
		EXPECT_LE(text_cells(cut_cells(c.text, c.skip, c.n)), c.n) << c.text;
	}
}

TEST(PaintCells, pad_fills_to_exactly_n_cells)
{
	ctype_locale l(UTF8);
	struct {
		const char *text;
		int n, align;
		const char *padded;
	} cases[] = {
		{ "坂本", 6, MI_ALIGN_LEFT, "坂本  " },
		{ "坂本", 6, MI_ALIGN_RIGHT, "  坂本" },
		{ "坂本龍一", 5, MI_ALIGN_LEFT, "坂本 " },
		{ "坂本龍一", 5, MI_ALIGN_RIGHT, "坂本 " },
		{ "e\xcc\x81", 3, MI_ALIGN_LEFT, "e\xcc\x81  " },
		{ "😀😀", 3, MI_ALIGN_LEFT, "😀 " },
		{ "a\nb", 4, MI_ALIGN_LEFT, "a?b " },
		{ "abcdef", 4, MI_ALIGN_RIGHT, "abcd" },
	};
	for (const auto &c : cases) {
		EXPECT_EQ(pad_text(c.text, c.n, c.align), c.padded) << c.text;
		EXPECT_EQ(text_cells(pad_text(c.text, c.n, c.align)), c.n) << c.text;
	}
}

TEST(PaintCells, wrap_breaks_between_characters)
{
	ctype_locale l(UTF8);
	using rows = std::vector<std::string>;
	EXPECT_EQ(wrap_cells("", 4), rows{});
	EXPECT_EQ(wrap_cells("abcde", 2), (rows{ "ab", "cd", "e" }));
	EXPECT_EQ(wrap_cells("坂本龍一", 3), (rows{ "坂", "本", "龍", "一" }));
	EXPECT_EQ(wrap_cells("a坂本", 4), (rows{ "a坂", "本" }));
	EXPECT_EQ(wrap_cells("ae\xcc\x81", 1), (rows{ "a", "e\xcc\x81" }));
}

TEST(PaintCells, columns_after_wide_titles_start_in_the_same_cell)
{
	ctype_locale l(UTF8);
	mi_display d;
	d.nfields = 3;
	d.fields[0] = CINFO_ARTIST, d.widths[0] = 7, d.align[0] = MI_ALIGN_LEFT;
	d.fields[1] = CINFO_TRACK, d.widths[1] = 3, d.align[1] = MI_ALIGN_RIGHT;
	d.fields[2] = CINFO_TITLE, d.widths[2] = 6, d.align[2] = MI_ALIGN_LEFT;
	struct {
		const char *artist;
		int hoffset;
		const char *first;
	} cases[] = {
		{ "Abba", 0, "Abba   " },    { "坂本龍一", 0, "坂本龍 " },
		{ "Björk", 0, "Björk  " },   { "e\xcc\x81mile", 0, "e\xcc\x81mile  " },
		{ "坂本龍一", 1, " 本龍 " }, { "😀😀😀😀", 2, "😀😀 " },
	};
	for (const auto &c : cases) {
		meta_info mi;
		mi.cinfo[CINFO_ARTIST] = c.artist;
		mi.cinfo[CINFO_TRACK] = "7";
		mi.cinfo[CINFO_TITLE] = "夜の歌です";
		std::vector<row_column> cols = row_columns(mi, d, c.hoffset, 40);
		ASSERT_EQ(cols.size(), 3u) << c.artist;
		EXPECT_EQ(cols[0].text, c.first) << c.artist;
		EXPECT_EQ(cols[1].x, 8 - c.hoffset) << c.artist;
		EXPECT_EQ(cols[1].text, "  7");
		EXPECT_EQ(cols[2].x, 12 - c.hoffset) << c.artist;
		EXPECT_EQ(cols[2].text, "夜の歌");
		EXPECT_EQ(text_cells(cols[0].text), 7 - c.hoffset) << c.artist;
	}
}

TEST(PaintCells, player_bar_cuts_by_cells)
{
	ctype_locale l(UTF8);
	std::string title;
	for (int i = 0; i < 30; i++)
		title += "坂";
	play_time t = play_time_of(5, 100);
	EXPECT_EQ(player_bar_text('-', false, t, title),
	          "[-]          +00:00:05 (5%) " + title.substr(0, 24 * 3) + " ");
	meta_info mi;
	mi.filename = "/m/" + title;
	// The last 49 of the name's 63 cells: half a character is a blank.
	EXPECT_EQ(player_bar_field_text(mi, CINFO_TITLE), " " + title.substr(0, 24 * 3));
}
