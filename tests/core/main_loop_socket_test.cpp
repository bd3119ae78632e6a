// The one loop: remote commands run at once whatever the keyboard is doing
// (a typed line, a pending second key, a question, the key after a shell
// command), in order, and never take the keyboard from an open prompt; the
// end of input ends the program and its player; shell commands start with
// the default signal dispositions.
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "harness/tmux_screen.h"
#include "player/player_home.h"
#include "screen/screen_libraries.h"

namespace
{

using std::chrono::steady_clock;

// Sends text with korvane -c, which must come back at once and succeed.
void send_at_once(const korvane_home &home, const std::string &text)
{
	const auto start = steady_clock::now();
	run_result r = home.run({ "-c", text });
	const auto took = steady_clock::now() - start;
	EXPECT_EQ(r.status, 0) << text << ": " << r.err;
	// Generous for the sanitizers; a blocked send would hang until killed.
	EXPECT_LT(took, std::chrono::seconds(3)) << text;
}

bool playlist_saved(const korvane_home &home, const std::string &name)
{
	return file_exists(home.playlists() + "/" + name + ".playlist");
}

bool shows(const screen_capture &c, const std::string &row)
{
	for (const std::string &r : c.rows)
		if (r == row)
			return true;
	return false;
}

TEST(MainLoop, RemoteCommandsRunAtOnceInEveryMode)
{
	struct mode_case {
		const char *what;
		std::vector<std::string> open; // keys that open the mode
		std::string shown;             // what row 23 (or a row) shows then
		std::vector<std::string> close;
	};
	const std::string shell_prompt = "Press ENTER or type command to continue";
	const mode_case cases[] = {
		{ "a typed ':' line", { ":", "n", "e", "w", "Space", "t" }, ":new t", { "Escape" } },
		{ "a '/' line", { "/", "x" }, "/x", { "Escape" } },
		{ "after d", { "Tab", "d" }, "", { "Escape", "Tab" } },
		{ "after g", { "g" }, "", { "Escape" } },
		{ "after t", { "t" }, "", { "C-@" } },
		{ "a yes/no question", { "j", "j", "j", "d", "d" },
		  "Are you sure you want to delete 'empty'?", { "Escape", "k", "k", "k" } },
		{ "after a shell command", { "!", "t", "r", "u", "e", "Enter" }, shell_prompt,
		  { "Enter" } },
	};
	small_home home;
	tmux_screen s(home);
	int n = 0;
	for (const mode_case &c : cases) {
		SCOPED_TRACE(c.what);
		s.keys(c.open);
		if (!c.shown.empty())
			s.wait_until([&](const screen_capture &cap) { return shows(cap, c.shown); },
			             c.shown);
		// More than the socket's queue holds, each run before the next is
		// sent.
		for (int i = 0; i < 15; i++, n++) {
			const std::string name = "remote" + std::to_string(n);
			send_at_once(home, "new " + name);
			wait_for([&] { return playlist_saved(home, name); }, name);
		}
		s.keys(c.close);
	}
	// Every mode closed as it was opened: the keys work as before.
	s.wait_for_row(0, "korvane...");
	s.keys({ "G" });
	// Made and saved, the playlists still show as changed ("+"), as a new
	// one always does.
	s.wait_for_row(22, "+remote104        x~");
}

TEST(MainLoop, ATypedLineIsKeptAndAPromptIsNotOpenedOverIt)
{
	small_home home;
	tmux_screen s(home);
	s.type(":new typ");
	s.wait_for_row(23, ":new typ");

	// A remote command that would open a prompt of its own is refused and
	// says so; what it shows stays until the next key.
	send_at_once(home, "search_forward");
	s.wait_for_row(23, "'search_forward' not run: a prompt is open");
	send_at_once(home, "command_mode");
	s.wait_for_row(23, "'command_mode' not run: a prompt is open");
	s.type("e");
	s.wait_for_row(23, ":new type");
	send_at_once(home, "new other");
	s.wait_for_row(23, "playlist \"other\" added");
	s.type("d");
	s.wait_for_row(23, ":new typed");
	s.keys({ "Enter" });
	s.wait_for_row(23, "playlist \"typed\" added");
	EXPECT_TRUE(playlist_saved(home, "typed"));
	EXPECT_TRUE(playlist_saved(home, "other"));
}

TEST(MainLoop, FiftyCommandsDuringAPromptRunInOrder)
{
	long_home home;
	tmux_screen s(home, {}, 80, 60);
	s.keys({ ":" });
	s.wait_for_row(59, ":");
	for (int i = 0; i < 50; i++)
		send_at_once(home, "new p" + two_digits(i));
	s.keys({ "Escape" });
	// The library window lists the playlists in the order they were made.
	std::vector<std::string> want;
	for (int i = 0; i < 50; i++)
		want.push_back("+p" + two_digits(i));
	s.wait_until(
	        [&](const screen_capture &c) {
		        for (int i = 0; i < 50; i++)
			        if (c.rows[static_cast<size_t>(4 + i)].compare(0, 4, want[static_cast<size_t>(i)]) != 0)
				        return false;
		        return true;
	        },
	        "p00 to p49 in order");
}

// The player's pid, the one child korvane has while no shell command runs.
pid_t player_of(pid_t korvane)
{
	const std::string children = read_file("/proc/" + std::to_string(korvane) + "/task/" +
	                                       std::to_string(korvane) + "/children");
	return children.empty() ? -1 : std::stoi(children);
}

TEST(MainLoop, TheEndOfInputEndsTheProgramAndItsPlayer)
{
	small_home home;
	fake_player player;
	tmux_screen::environment env = player.env();
	env.emplace_back("KORVANE_TEST_STDIN", "/dev/null");
	tmux_screen s(home, {}, 80, 24, env, tmux_screen::no_wait{});
	EXPECT_EQ(s.wait_exit(), 0) << s.err();
	const pid_t child = player.wait_for_player(1);
	wait_for([&] { return process_gone(child); }, "the player to end");
	EXPECT_EQ(s.stty_after(), s.stty_before());
}

TEST(MainLoop, AClosedTerminalEndsTheProgramWithoutAHangup)
{
	small_home home;
	fake_player player;
	tmux_screen::environment env = player.env();
	// The hang-up is ignored, so only the end of input can end it.
	env.emplace_back("KORVANE_TEST_IGNORE", "HUP");
	tmux_screen s(home, {}, 80, 24, env);
	const pid_t child = player.wait_for_player(1);
	const pid_t korvane = s.pid();
	ASSERT_EQ(player_of(korvane), child);
	s.close_terminal();
	wait_for([&] { return process_gone(korvane); }, "korvane to end");
	wait_for([&] { return process_gone(child); }, "the player to end");
}

TEST(MainLoop, ShellCommandsStartWithTheDefaultSignals)
{
	small_home home;
	// korvane itself was started ignoring SIGPIPE: a pipeline whose reader
	// quits must still end.
	tmux_screen s(home, {}, 80, 24, { { "KORVANE_TEST_IGNORE", "PIPE" } });
	s.type("!while :; do echo x; done | head -1; grep SigIgn /proc/self/status");
	s.keys({ "Enter" });
	s.wait_until(
	        [&](const screen_capture &c) {
		        return shows(c, "x") &&
		               shows(c, "Press ENTER or type command to continue");
	        },
	        "the pipeline to end");
	// grep itself ignores none of the standard signals (the C library
	// keeps two of its own above them).
	s.wait_until(
	        [&](const screen_capture &c) {
		        for (const std::string &r : c.rows)
			        if (r.compare(0, 7, "SigIgn:") == 0)
				        return (std::stoull(r.substr(8), nullptr, 16) & 0x7fffffffULL) == 0;
		        return false;
	        },
	        "no standard signal ignored");
	s.keys({ "Enter" });
	s.wait_for_row(0, "korvane...");
}

} // namespace
