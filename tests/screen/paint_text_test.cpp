#include <gtest/gtest.h>

#include "meta/mi_sort.h"
#include "screen/paint_text.h"

TEST(PaintText, num2sfmt_pads_and_cuts_to_the_width)
{
	EXPECT_EQ(num2sfmt(7, MI_ALIGN_LEFT), "%-7.7s");
	EXPECT_EQ(num2sfmt(12, MI_ALIGN_RIGHT), "%12.12s");
	EXPECT_EQ(pad_text("abc", 5, MI_ALIGN_LEFT), "abc  ");
	EXPECT_EQ(pad_text("abc", 5, MI_ALIGN_RIGHT), "  abc");
	EXPECT_EQ(pad_text("abcdef", 4, MI_ALIGN_RIGHT), "abcd");
	EXPECT_EXIT(num2sfmt(0, MI_ALIGN_LEFT), testing::ExitedWithCode(1),
	            ": num2sfmt: invalid number 0 provided\n$");
}

TEST(PaintText, status_bar_text_gives_the_row_offset_and_percent)
{
	struct {
		bool library;
		const char *name;
		int crow, voffset, hoffset, nrows;
		const char *text;
	} cases[] = {
		{ true, "", 0, 0, 0, 4, "[library]      1,0    25%" },
		{ false, "road-trip", 2, 10, 5, 30, "[playlist:road-trip]     13,5    43%" },
		{ false, "empty", 0, 0, 0, 0, "[playlist:empty]      1,0   100%" },
		{ false, "x", 19, 80, 1234, 100, "[playlist:x]    100,1234 100%" },
	};
	for (const auto &c : cases)
		EXPECT_EQ(status_bar_text(c.library, c.name, c.crow, c.voffset, c.hoffset, c.nrows),
		          c.text);
}

TEST(PaintText, play_time_rounds_to_whole_seconds_and_percent)
{
	struct {
		float p;
		int length;
		int h, m, s, percent;
	} cases[] = {
		{ 3725.6f, 7200, 1, 2, 6, 52 }, { 1799.4f, 3600, 0, 29, 59, 50 },
		{ 59.5f, 120, 0, 1, 0, 50 },    { 0.0f, 0, 0, 0, 0, -1 },
		{ 10.0f, 0, 0, 0, 10, -1 },     { 1.5f, 200, 0, 0, 2, 1 },
	};
	for (const auto &c : cases) {
		play_time t = play_time_of(c.p, c.length);
		EXPECT_EQ(t.hours, c.h) << c.p;
		EXPECT_EQ(t.minutes, c.m) << c.p;
		EXPECT_EQ(t.seconds, c.s) << c.p;
		EXPECT_EQ(t.percent, c.percent) << c.p;
	}
}

TEST(PaintText, player_bar_shows_mode_pause_time_and_text)
{
	play_time t = play_time_of(3725.6f, 0);
	EXPECT_EQ(player_bar_text('O', true, t, "Album"),
	          "[O] -PAUSED- +01:02:06 (-1%) Album" + std::string(44, ' '));
	t = play_time_of(5, 100);
	EXPECT_EQ(player_bar_text('?', false, t, std::string(60, 'x')),
	          "[?]          +00:00:05 (5%) " + std::string(49, 'x'));
}

TEST(PaintText, player_bar_falls_back_to_the_end_of_the_file_name)
{
	meta_info mi;
	mi.filename = std::string(10, 'a') + std::string(50, 'b');
	mi.cinfo[CINFO_TITLE] = "Title";
	EXPECT_EQ(player_bar_field_text(mi, CINFO_TITLE), "Title");
	EXPECT_EQ(player_bar_field_text(mi, CINFO_ARTIST), std::string(49, 'b'));
	mi.filename = std::string(49, 'c');
	EXPECT_EQ(player_bar_field_text(mi, CINFO_ALBUM), std::string(49, 'c'));
}

namespace
{

// Artist.6 left, Track.4 right, Title.5 left.
mi_display three_columns()
{
	mi_display d;
	d.nfields = 3;
	d.fields[0] = CINFO_ARTIST, d.widths[0] = 6, d.align[0] = MI_ALIGN_LEFT;
	d.fields[1] = CINFO_TRACK, d.widths[1] = 4, d.align[1] = MI_ALIGN_RIGHT;
	d.fields[2] = CINFO_TITLE, d.widths[2] = 5, d.align[2] = MI_ALIGN_LEFT;
	return d;
}

std::string render(const std::vector<row_column> &cols, int w)
{
	std::string row(static_cast<size_t>(w), ' ');
	for (const auto &c : cols)
		row.replace(static_cast<size_t>(c.x), c.text.size(), c.text);
	return row;
}

} // namespace

TEST(PaintText, row_columns_lay_out_and_scroll_horizontally)
{
	meta_info mi;
	mi.filename = "/m/f.mp3";
	mi.cinfo[CINFO_ARTIST] = "Abba";
	mi.cinfo[CINFO_TRACK] = "12";
	mi.cinfo[CINFO_TITLE] = "Waterloo";
	mi_display d = three_columns();

	struct {
		int hoffset, w;
		const char *row;
	} cases[] = {
		{ 0, 20, "Abba     12 Water   " }, // columns with one blank between
		{ 2, 20, "ba     12 Water     " }, // the left column scrolls its text
		{ 6, 20, "  12 Water          " }, // the first column is gone whole
		{ 8, 20, "12 Water            " }, // only the right column's fill scrolls
		{ 9, 20, "2 Water             " }, // then its text
		{ 10, 20, "Water               " },
		{ 13, 20, "er                  " },
		{ 15, 20, "                    " }, // past every column: blank
		{ 0, 9, "Abba   12" },              // the window cuts a column
		{ 0, 13, "Abba     12 W" },
	};
	for (const auto &c : cases)
		EXPECT_EQ(render(row_columns(mi, d, c.hoffset, c.w), c.w), c.row)
		        << "hoffset " << c.hoffset << " w " << c.w;
}

TEST(PaintText, absent_fields_are_blank_and_a_record_without_any_shows_its_name)
{
	meta_info mi;
	mi.filename = "/m/x.ogg";
	mi_display d = three_columns();
	EXPECT_FALSE(row_has_columns(mi, d));
	mi.cinfo[CINFO_TITLE] = "T";
	EXPECT_TRUE(row_has_columns(mi, d));
	EXPECT_EQ(render(row_columns(mi, d, 0, 17), 17), "            T    ");
	EXPECT_FALSE(row_has_columns(mi, mi_display{}));
}
