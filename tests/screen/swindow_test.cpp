#include <gtest/gtest.h>

#include "bindings/kb_args.h"
#include "screen/swindow.h"

namespace
{

int content_rows = 0;

} // namespace

TEST(Swindow, scroll_clamps_each_direction)
{
	struct {
		int nrows, h, voffset, hoffset, direction, n;
		int want_voffset, want_hoffset;
	} cases[] = {
		{ 100, 20, 0, 0, DOWN, 5, 5, 0 },        { 100, 20, 75, 0, DOWN, 10, 80, 0 },
		{ 10, 20, 0, 0, DOWN, 5, 0, 0 },         { 20, 20, 0, 0, DOWN, 1, 0, 0 },
		{ 100, 20, 3, 0, UP, 5, 0, 0 },          { 100, 20, 30, 0, UP, 5, 25, 0 },
		{ 100, 20, 0, 4, LEFT, 9, 0, 0 },        { 100, 20, 0, 4, LEFT, 3, 0, 1 },
		{ 100, 20, 0, 4, RIGHT, 1000, 0, 1004 },
	};
	for (const auto &c : cases) {
		swindow sw;
		content_rows = c.nrows;
		sw.rows = [] { return content_rows; };
		sw.h = c.h, sw.voffset = c.voffset, sw.hoffset = c.hoffset;
		sw.crow = 7;
		swindow_scroll(sw, c.direction, c.n);
		EXPECT_EQ(sw.voffset, c.want_voffset);
		EXPECT_EQ(sw.hoffset, c.want_hoffset);
		EXPECT_EQ(sw.crow, 7);
	}
}

TEST(Swindow, a_bad_direction_is_fatal)
{
	swindow sw;
	EXPECT_EXIT(swindow_scroll(sw, FORWARD, 1), testing::ExitedWithCode(1),
	            "swindow_scroll: bad direction: ");
}

TEST(Swindow, a_lower_window_keeps_the_cursor_on_its_last_row)
{
	swindow sw;
	sw.h = 20, sw.crow = 15;
	swindow_set_height(sw, 10);
	EXPECT_EQ(sw.crow, 9);
	swindow_set_height(sw, 30);
	EXPECT_EQ(sw.crow, 9);
}
