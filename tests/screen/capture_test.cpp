// Reading tmux's capture of a screen with its attributes: the texts and one
// style code per character.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness/tmux_screen.h"

namespace
{

struct capture_case {
	const char *name;
	std::string escaped;
	std::vector<std::string> rows, styles;
};

class Capture : public testing::TestWithParam<capture_case>
{
};

TEST_P(Capture, RowsAndStyles)
{
	screen_capture c = parse_capture(GetParam().escaped);
	EXPECT_EQ(c.rows, GetParam().rows);
	EXPECT_EQ(c.styles, GetParam().styles);
}

INSTANTIATE_TEST_SUITE_P(
        Screen, Capture,
        testing::Values(
                capture_case{ "Plain", "ab\ncd\n", { "ab", "cd" }, { "..", ".." } },
                // Attributes carry from one row to the next until changed.
                capture_case{ "ColourAcrossRows",
                              "\033[32mkorv\n\033[39mx\n",
                              { "korv", "x" },
                              { "gggg", "." } },
                capture_case{ "ReverseAndReset",
                              "\033[7mab \033[0m\033[39m\033[49mc\n",
                              { "ab c" },
                              { "###." } },
                capture_case{ "Backgrounds",
                              "\033[41mP\033[49m\033[31mm\033[7mr\033[27m\033[39m.\n",
                              { "Pmr." },
                              { "Rr#." } },
                capture_case{ "ColoursBy256AndBright",
                              "\033[38;5;4ma\033[94mb\033[39;48;5;1mc\n",
                              { "abc" },
                              { "bbR" } },
                // The line-drawing set is shifted in and out around its
                // letters.
                capture_case{ "LineDrawing", "\016qqw\017a\016x\017\n", { "qqwax" }, { "....." } },
                capture_case{ "TrailingBlanksDropped",
                              "\033[7m~  \033[0m\n   \n",
                              { "~", "" },
                              { "#", "" } },
                capture_case{ "LastRowWithoutLineEnd", "a\nb", { "a", "b" }, { ".", "." } }),
        [](const testing::TestParamInfo<capture_case> &info) { return info.param.name; });

} // namespace
