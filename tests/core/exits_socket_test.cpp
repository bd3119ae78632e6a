// Every way out gives the terminal back: a crash signal ends the screen
// first and then ends the program as the signal does; a quit while a line
// is typed never runs the line.
#include <csignal>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "harness/tmux_screen.h"
#include "player/player_home.h"
#include "screen/screen_libraries.h"

namespace
{

TEST(Exits, ACrashGivesTheTerminalBack)
{
	for (int sig : { SIGSEGV, SIGBUS, SIGFPE, SIGABRT }) {
		SCOPED_TRACE(strsignal(sig));
		small_home home;
		fake_player player;
		tmux_screen s(home, {}, 80, 24, player.env());
		const pid_t child = player.wait_for_player(1);
		s.signal(sig);
		EXPECT_EQ(s.wait_exit(), 128 + sig);
		EXPECT_EQ(s.stty_after(), s.stty_before());
		wait_until_gone(child);
	}
}

TEST(Exits, AQuitWhileALineIsTypedNeverRunsIt)
{
	struct quit_case {
		const char *what;
		const char *prompt; // and what the line starts with
		int sig;            // 0: the terminal closes
	};
	const quit_case cases[] = {
		{ "a shell line on a hang-up", "!touch ", SIGHUP },
		{ "a shell line on a terminate", "!touch ", SIGTERM },
		{ "a ':' shell line on an interrupt", ":!touch ", SIGINT },
		{ "a shell line on a quit signal", "!touch ", SIGQUIT },
		{ "a command on a hang-up", ":w ", SIGHUP },
		{ "a shell line when the terminal closes", "!touch ", 0 },
	};
	for (const quit_case &c : cases) {
		SCOPED_TRACE(c.what);
		small_home home;
		const std::string made = home / "typed";
		// The hang-up is ignored when the terminal closes, so that only the
		// end of input ends the program.
		tmux_screen::environment env;
		if (c.sig == 0)
			env.emplace_back("KORVANE_TEST_IGNORE", "HUP");
		tmux_screen s(home, {}, 80, 24, env);
		const std::string line =
		        c.prompt + (c.prompt[1] == 'w' ? std::string("typed") : made);
		s.type(line);
		s.wait_for_row(23, line.substr(0, 80));
		if (c.sig != 0) {
			s.signal(c.sig);
		} else {
			s.close_terminal();
		}
		EXPECT_EQ(s.wait_exit(), 0);
		EXPECT_FALSE(file_exists(made));
		EXPECT_FALSE(file_exists(home.playlists() + "/typed.playlist"));
	}
}

} // namespace
