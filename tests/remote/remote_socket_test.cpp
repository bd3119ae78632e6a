// "korvane -c" driving a running instance on its terminal: actions named in
// any case, commands and their errors on that instance's message line, the
// commands up to 999 bytes and the refusal of longer ones, the probe text, an empty datagram, a datagram and a key
// arriving together, a second instance without a socket, and the socket
// file that a killed instance leaves.
#include <sys/ioctl.h>

#include <csignal>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "harness/tmux_screen.h"
#include "remote/remote_fixture.h"
#include "screen/screen_libraries.h"

namespace
{

using namespace remote_tests;

const std::string LIBRARY_LINE_1 = status_row("[library]      1,0    50%");
const std::string LIBRARY_LINE_2 = status_row("[library]      2,0   100%");

// Sends text with korvane -c, which says nothing and succeeds.
void send(const korvane_home &home, const std::string &text)
{
	run_result r = home.run({ "-c", text });
	EXPECT_EQ(r.status, 0) << r.err;
	EXPECT_EQ(r.out, "");
	EXPECT_EQ(r.err, "");
}

TEST(RemoteControl, ActionsAreNamedInAnyCase)
{
	long_home home;
	tmux_screen s(home);
	s.wait_for_row(23, LIBRARY_LINE_1);
	struct step {
		const char *sent;
		std::string status;
	};
	for (const step &st : std::vector<step>{ { "switch_window", long_status(1) },
	                                         { "scroll_down", long_status(2) },
	                                         { "SCROLL_DOWN", long_status(3) },
	                                         { "sCrOlL_dOwN", long_status(4) },
	                                         { "Switch_Window", LIBRARY_LINE_1 } }) {
		SCOPED_TRACE(st.sent);
		send(home, st.sent);
		s.wait_for_row(23, st.status);
	}
}

// Three tracks of half a minute; each shows its name on the player bar,
// whichever field the bar shows.
const screen_library &named_library()
{
	static std::unique_ptr<screen_library> lib = [] {
		auto l = std::make_unique<screen_library>();
		for (std::string name : { "Alpha", "Bravo", "Charlie" }) {
			media_tags tags;
			tags.artist = name;
			tags.album = name + " Album";
			tags.title = name + " Song";
			make_media(l->media / (name + ".ogg"), tags, 30.0);
		}
		add_media(*l);
		return l;
	}();
	return *lib;
}

TEST(RemoteControl, MediaNextInAnyCase)
{
	korvane_home home;
	install(home, named_library());
	tmux_screen s(home);
	s.keys({ "Tab", "Enter" });
	struct step {
		const char *sent; // nothing for the first file
		const char *playing;
	};
	for (const step &st : { step{ nullptr, "Alpha" }, step{ "media_next", "Bravo" },
	                        step{ "MEDIA_NEXT", "Charlie" }, step{ "Media_Next", "Alpha" } }) {
		SCOPED_TRACE(st.sent ? st.sent : "Enter");
		if (st.sent)
			send(home, st.sent);
		s.wait_until(
		        [&](const screen_capture &c) {
			        return c.rows[0].find(st.playing) != std::string::npos;
		        },
		        std::string("the player bar to show ") + st.playing);
	}
}

TEST(RemoteControl, CommandsRunAndFailOnTheReceivingInstance)
{
	long_home home;
	tmux_screen s(home);
	s.wait_for_row(23, LIBRARY_LINE_1);
	const std::string blanks(59, ' ');
	struct step {
		std::string sent, row;
	};
	const std::vector<step> steps = {
		{ "mode random", "mode changed to: random" },
		{ "mode bogus",
		  "invalid mode \"bogus\".  must be one of: linear, loop, or random" },
		{ "Q", "Unknown commands 'Q'" },
		{ "s", "Ambiguous abbreviation 's'" },
		{ "", "Unknown commands ''" },
		{ "WHOWASPHONE?\n", "Unknown commands 'WHOWASPHONE?'" },
		// 64, 65, 70 and 999 bytes run whole.
		{ blanks + "abcde", "Unknown commands 'abcde'" },
		{ blanks + " abcde", "Unknown commands 'abcde'" },
		{ blanks + " abcdefghij", "Unknown commands 'abcdefghij'" },
		{ std::string(990, ' ') + "123456789", "Unknown commands '123456789'" },
	};
	for (const step &st : steps) {
		SCOPED_TRACE("sent '" + st.sent + "'");
		// Something else on the message line first, so that each row
		// awaited is the step's own.
		send(home, "mode loop");
		s.wait_for_row(23, "mode changed to: loop");
		send(home, st.sent);
		s.wait_for_row(23, st.row);
	}
}

TEST(RemoteControl, ALongerCommandIsRefusedBeforeItIsSent)
{
	long_home home;
	tmux_screen s(home);
	send(home, "mode loop");
	s.wait_for_row(23, "mode changed to: loop");
	run_result r = home.run({ "-c", std::string(991, ' ') + "new toolong" });
	EXPECT_EQ(r.status, 1);
	EXPECT_EQ(r.err, "korvane: a remote command may be at most 999 bytes long; not sent\n");
	// Several -c send several commands, in order.
	r = home.run({ "-c", "new first", "-c", "new second", "-c", "mode random" });
	EXPECT_EQ(r.status, 0) << r.err;
	s.wait_for_row(23, "mode changed to: random");
	EXPECT_TRUE(file_exists(home.playlists() + "/first.playlist"));
	EXPECT_TRUE(file_exists(home.playlists() + "/second.playlist"));
	EXPECT_FALSE(file_exists(home.playlists() + "/toolong.playlist"));
}

TEST(RemoteControl, ProbeTextIsIgnored)
{
	long_home home;
	tmux_screen s(home);
	send(home, "WHOWASPHONE?");
	send(home, "mode loop");
	s.wait_for_row(23, "mode changed to: loop");
	// The probe, handled before, neither failed nor rang.
	EXPECT_FALSE(s.bell_rung());
	send(home, "WHOWASPHONE?\n");
	s.wait_for_row(23, "Unknown commands 'WHOWASPHONE?'");
	s.wait_until([&](const screen_capture &) { return s.bell_rung(); }, "the bell");
}

bool stopped(pid_t pid)
{
	std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
	std::string stat((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
	size_t paren = stat.rfind(')');
	return paren != std::string::npos && paren + 2 < stat.size() && stat[paren + 2] == 'T';
}

// The bytes waiting to be read on the process's terminal.
int terminal_input(pid_t pid)
{
	unique_fd tty(open(("/proc/" + std::to_string(pid) + "/fd/0").c_str(),
	                   O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
	int n = 0;
	return tty && ioctl(tty.get(), FIONREAD, &n) == 0 ? n : -1;
}

// The program is stopped while a datagram and a key reach it; once it goes
// on, it sees both in one turn.
TEST(RemoteControl, DatagramRunsBeforeAKeyThatCameWithIt)
{
	long_home home;
	tmux_screen s(home);
	s.wait_for_row(23, LIBRARY_LINE_1);
	s.signal(SIGSTOP);
	ASSERT_TRUE(wait_for([&] { return stopped(s.pid()); }, "the program to stop"));
	send(home, "switch_window");
	s.keys({ "j" });
	ASSERT_TRUE(wait_for([&] { return terminal_input(s.pid()) > 0; },
	                     "the key on the program's terminal"));
	s.signal(SIGCONT);
	// The datagram first makes j move in the playlist window; the key first
	// would move in the library window and leave the playlist on line 1.
	s.wait_for_row(23, long_status(2));
}

TEST(RemoteControl, SecondInstanceRunsWithoutASocketWhileDashCReachesTheFirst)
{
	long_home first_home, second_home;
	tmux_screen first(first_home);
	std::optional<file_id> sock = file_at(SOCK_PATH);
	ASSERT_TRUE(sock);
	tmux_screen second(second_home);
	EXPECT_EQ(file_at(SOCK_PATH), sock) << "the second left the first one's socket alone";

	send(second_home, "switch_window");
	send(second_home, "scroll_down");
	first.wait_for_row(23, long_status(2));
	second.wait_for_row(23, LIBRARY_LINE_1);

	// The second never listens, even once the first has ended.
	first.signal(SIGTERM);
	EXPECT_EQ(first.wait_exit(), 0);
	run_result r = second_home.run({ "-c", "scroll_down" });
	EXPECT_EQ(r.status, 1);
	EXPECT_EQ(r.err, NOT_RUNNING);
	EXPECT_EQ(file_at(SOCK_PATH), sock);

	second.signal(SIGTERM);
	EXPECT_EQ(second.wait_exit(), 0);
	EXPECT_EQ(second.err(), "");
}

TEST(RemoteControl, SocketFileOfAKilledInstanceIsReplacedByTheNext)
{
	long_home home;
	{
		tmux_screen killed(home);
		killed.signal(SIGKILL);
		EXPECT_EQ(killed.wait_exit(), 128 + SIGKILL);
	}
	std::optional<file_id> stale = file_at(SOCK_PATH);
	ASSERT_TRUE(stale);
	EXPECT_TRUE(S_ISSOCK(stale->mode));
	run_result r = home.run({ "-c", "scroll_down" });
	EXPECT_EQ(r.status, 1);
	EXPECT_EQ(r.err, NOT_RUNNING);

	tmux_screen next(home);
	send(home, "scroll_down");
	next.wait_for_row(23, LIBRARY_LINE_2);
	next.signal(SIGTERM);
	EXPECT_EQ(next.wait_exit(), 0);
	EXPECT_EQ(next.err(), "");
}

// A file of ours that cannot be replaced is no reason to run without a
// socket: start-up ends.
TEST(RemoteControl, StartEndsWhenItsOwnPathCannotBeTaken)
{
	korvane_home home;
	unlink(SOCK_PATH);
	ASSERT_EQ(mkdir(SOCK_PATH, 0700), 0);
	run_result r = home.run({});
	EXPECT_EQ(r.status, 1);
	EXPECT_EQ(r.out, "");
	EXPECT_EQ(r.err, "korvane: failed to open socket.\n");
	rmdir(SOCK_PATH);
}

} // namespace
