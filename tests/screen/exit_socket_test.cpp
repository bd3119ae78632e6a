// Every way the user ends the program ends it with status 0 and gives the
// terminal back as it was.
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <string>

#include "harness/tmux_screen.h"
#include "screen/screen_libraries.h"

namespace
{

struct ending {
	const char *name;
	std::function<void(tmux_screen &)> end;
};

// A signal, after a search line is typed when typed is not empty.
ending by_signal(const char *name, int sig, const std::string &typed = "")
{
	return { name, [sig, typed](tmux_screen &s) {
		        if (!typed.empty()) {
			        s.type(typed);
			        s.wait_for_row(23, typed);
		        }
		        s.signal(sig);
		} };
}

class Exit : public testing::TestWithParam<ending>
{
};

TEST_P(Exit, WithStatus0AndTheTerminalAsBefore)
{
	long_home home;
	tmux_screen s(home);
	s.wait_for_row(23, status_row("[library]      1,0    50%"));

	GetParam().end(s);
	EXPECT_EQ(s.wait_exit(), 0) << s.err();
	EXPECT_EQ(s.err(), "");
	EXPECT_NE(s.stty_before(), "");
	EXPECT_EQ(s.stty_after(), s.stty_before());
}

INSTANTIATE_TEST_SUITE_P(
        Screen, Exit,
        testing::Values(by_signal("SIGTERM", SIGTERM), by_signal("SIGHUP", SIGHUP),
                        by_signal("SIGINT", SIGINT), by_signal("SIGQUIT", SIGQUIT),
                        // A quit signal while a line is typed ends the line
                        // as Enter would, then the program.
                        by_signal("SIGTERMWhileASearchIsTyped", SIGTERM, "/song"),
                        ending{ "ControlC", [](tmux_screen &s) { s.keys({ "C-c" }); } },
                        ending{ "ControlCAfterACount",
                                [](tmux_screen &s) {
	                                s.keys({ "5", "C-c" });
                                } }),
        [](const testing::TestParamInfo<ending> &info) { return info.param.name; });

// Too small a terminal at start-up leaves no room for a list window: the
// program ends with its error, and still gives the terminal back. Three
// rows leave the windows no row at all (curses would take a height of 0
// as the rest of the screen).
TEST(Screen, StartingTooSmallEndsWithTheWindowError)
{
	const struct {
		int cols, rows;
	} sizes[] = { { 19, 24 }, { 80, 3 }, { 80, 2 } };
	for (const auto &size : sizes) {
		SCOPED_TRACE(std::to_string(size.cols) + "x" + std::to_string(size.rows));
		long_home home;
		tmux_screen s(home, {}, size.cols, size.rows, tmux_screen::no_wait{});
		EXPECT_EQ(s.wait_exit(), 1);
		EXPECT_EQ(s.err(), "korvane: swindow_new: failed to create window\n");
		EXPECT_NE(s.stty_before(), "");
		EXPECT_EQ(s.stty_after(), s.stty_before());
	}
}

} // namespace
