// The player child against the fake player: it starts with every signal at
// its default action and none blocked whatever korvane inherited, and the
// crash guard counts the child's deaths alone, on a clock that does not
// round to whole seconds.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "player/player_home.h"

namespace
{

// A HOME whose library holds one tone: korvane starts its player at once.
struct tone_home : korvane_home {
	tone_home()
	{
		static std::unique_ptr<korvane_home> maker = [] {
			auto m = std::make_unique<korvane_home>();
			temp_dir media;
			make_media(media / "tone.flac", { "Artist", "", "Tone", "", "", 0, 0 },
			           0.1);
			add_to_library(*m, media.path());
			return m;
		}();
		write_file(db(), read_file(maker->db()));
	}
};

// The state letter of the process in its stat file ('T' when stopped).
char process_state(pid_t pid)
{
	std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
	std::string stat((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
	size_t paren = stat.rfind(')');
	return paren != std::string::npos && paren + 2 < stat.size() ? stat[paren + 2] : '?';
}

// The mask of a /proc status line of pid ("SigIgn", "SigBlk") as a number.
unsigned long long status_mask(pid_t pid, const std::string &name)
{
	std::ifstream f("/proc/" + std::to_string(pid) + "/status");
	std::string line;
	while (std::getline(f, line))
		if (line.rfind(name + ":", 0) == 0)
			return std::stoull(line.substr(name.size() + 1), nullptr, 16);
	return 0;
}

unsigned long long bit(int sig)
{
	return 1ULL << (sig - 1);
}

// A shell may start korvane with the broken-pipe signal ignored (and
// korvane ignores it itself); signals may come blocked from whoever started
// it. None of that reaches the player, neither the first nor a restarted
// one.
TEST(PlayerChild, StartsWithDefaultSignalsAndNoneBlocked)
{
	tone_home home;
	fake_player player;
	const std::string ignored = std::to_string(SIGPIPE) + "," + std::to_string(SIGUSR1);
	const std::string blocked = std::to_string(SIGUSR2) + "," + std::to_string(SIGRTMIN + 2);
	tmux_screen s(home, {}, 80, 24, player.env(),
	              tmux_screen::through{ { SIGNAL_START, ignored, blocked } });
	// What korvane itself was given, lest the test prove nothing.
	EXPECT_EQ(status_mask(s.pid(), "SigIgn") & bit(SIGUSR1), bit(SIGUSR1));
	EXPECT_EQ(status_mask(s.pid(), "SigBlk") & bit(SIGUSR2), bit(SIGUSR2));

	kill(player.wait_for_player(1), SIGKILL);
	s.wait_for_row(23, "mplayer died.  Restarting it.");
	player.wait_for_player(2);

	const std::vector<fake_player::signal_masks> masks = player.signals();
	ASSERT_EQ(masks.size(), 2u);
	for (const fake_player::signal_masks &m : masks) {
		EXPECT_EQ(m.ignored, "0000000000000000");
		EXPECT_EQ(m.blocked, "0000000000000000");
	}
}

// Sleeps until just after the next whole second of the wall clock.
void sleep_to_next_second()
{
	timespec now;
	clock_gettime(CLOCK_REALTIME, &now);
	std::this_thread::sleep_for(std::chrono::nanoseconds(1000000000L - now.tv_nsec) +
	                            std::chrono::milliseconds(10));
}

// The first death of two 1.9 s apart, just after a whole second of the wall
// clock, so that in whole seconds they would be one second apart. The second
// kill comes at least 1.1 s after the first death was seen, however slow the
// machine.
void death_almost_two_seconds_before(tmux_screen &s, const fake_player &player)
{
	sleep_to_next_second();
	const auto killed = std::chrono::steady_clock::now();
	kill(player.pids().back(), SIGKILL);
	player.wait_for_player(2);
	s.wait_for_row(23, "mplayer died.  Restarting it.");
	const auto seen = std::chrono::steady_clock::now();
	std::this_thread::sleep_until(std::max(killed + std::chrono::milliseconds(1900),
	                                       seen + std::chrono::milliseconds(1100)));
}

// Each sends a child signal, right before the kill.
void a_stop_and_a_continue(tmux_screen &, const fake_player &player)
{
	const pid_t p = player.pids().back();
	kill(p, SIGSTOP);
	wait_for([p] { return process_state(p) == 'T'; }, "the player to stop");
	kill(p, SIGCONT);
	wait_for([p] { return process_state(p) != 'T'; }, "the player to continue");
}

// The shell's child ends right before the player dies.
void a_shell_command(tmux_screen &s, const fake_player &)
{
	s.keys({ "!" });
	s.type("true");
	s.keys({ "Enter" });
	s.wait_until(
	        [](const screen_capture &c) {
		        for (const std::string &row : c.rows)
			        if (row.find("Press ENTER") != std::string::npos)
				        return true;
		        return false;
	        },
	        "the shell's prompt to go on");
	s.keys({ "Enter" });
	s.wait_until(
	        [](const screen_capture &c) {
		        return !c.rows.empty() && c.rows[0].rfind("korvane...", 0) == 0;
	        },
	        "the screen back");
}

// What happens to the player before it is killed; the kill must restart it.
struct before_kill {
	const char *name;
	void (*happen)(tmux_screen &s, const fake_player &player);
};

class PlayerCrashGuard : public testing::TestWithParam<before_kill>
{
};

TEST_P(PlayerCrashGuard, RestartsAfter)
{
	tone_home home;
	fake_player player;
	tmux_screen s(home, {}, 80, 24, player.env());
	player.wait_for_player(1);
	GetParam().happen(s, player);

	const size_t started = player.pids().size();
	kill(player.pids().back(), SIGKILL);
	// A restart starts a player; the end for crashing too often does not.
	player.wait_for_player(started + 1);
	s.wait_for_row(23, "mplayer died.  Restarting it.");
	s.keys({ "C-c" });
	EXPECT_EQ(s.wait_exit(), 0) << s.err();
	EXPECT_EQ(s.err(), "");
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Player, PlayerCrashGuard, testing::Values(
	before_kill{ "AnotherDeathAlmostTwoSecondsBefore", death_almost_two_seconds_before },
	before_kill{ "AStopAndAContinue", a_stop_and_a_continue },
	before_kill{ "AShellCommand", a_shell_command }),
	[](const testing::TestParamInfo<before_kill> &info) { return info.param.name; });
// clang-format on

} // namespace
