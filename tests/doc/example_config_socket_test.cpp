// The example configuration of the source tree loads on a real screen:
// every line runs without an error.
#include <gtest/gtest.h>

#include <string>

#include "harness/tmux_screen.h"
#include "player/player_home.h"
#include "screen/screen_libraries.h"

namespace
{

TEST(ExampleConfig, LoadsWithoutAnError)
{
	long_home home;
	fake_player player;
	player.script({});
	// A last line q ends the program once the file has run and the screen
	// is painted.
	write_file(home / ".korvane/korvane.conf",
	           read_file(std::string(KORVANE_SOURCE_DIR) + "/korvane.conf.example") + "q\n");
	tmux_screen s(home, {}, 80, 24, player.env(), tmux_screen::no_wait{});
	EXPECT_EQ(s.wait_exit(), 0);
	EXPECT_EQ(s.err(), "");
}

} // namespace
