// "korvane -c" to an instance that does not read its socket (stopped with
// SIGSTOP): once the instance's queue is full, -c gives up after about a
// second instead of waiting for it, and what was queued runs when the
// instance goes on. A second instance still sees that one is running.
#include <csignal>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "harness/tmux_screen.h"
#include "remote/remote_fixture.h"
#include "screen/screen_libraries.h"

namespace
{

using namespace remote_tests;

const char QUEUE_FULL[] =
        "korvane: korvane is not reading its commands (queue full); message not sent\n";

bool stopped(pid_t pid)
{
	std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
	std::string stat((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
	size_t paren = stat.rfind(')');
	return paren != std::string::npos && paren + 2 < stat.size() && stat[paren + 2] == 'T';
}

// korvane -c text with home, ended and failed at a deadline of a few
// seconds: a -c that waited for the instance would wait for ever.
run_result send_soon(const korvane_home &home, const std::string &text)
{
	run_options opts;
	opts.home = home.path();
	opts.deadline = std::chrono::seconds(5);
	return run_korvane({ "-c", text }, opts);
}

// The instance on s, showing its playlist window, is stopped and its queue
// filled with scroll_down until a -c fails; the number queued.
int stop_and_fill(const long_home &home, tmux_screen &s)
{
	run_result r = send_soon(home, "switch_window");
	EXPECT_EQ(r.status, 0) << r.err;
	s.wait_for_row(23, long_status(1));
	s.signal(SIGSTOP);
	EXPECT_TRUE(wait_for([&] { return stopped(s.pid()); }, "the program to stop"));

	// The kernel queues a dozen or so; far fewer than the library's rows.
	for (int queued = 0; queued < 50; queued++) {
		r = send_soon(home, "scroll_down");
		if (r.status != 0) {
			EXPECT_FALSE(r.timed_out) << "korvane -c waited for the stopped instance";
			EXPECT_EQ(r.status, 1);
			EXPECT_EQ(r.out, "");
			EXPECT_EQ(r.err, QUEUE_FULL);
			EXPECT_GT(queued, 0);
			return queued;
		}
		EXPECT_EQ(r.err, "");
	}
	ADD_FAILURE() << "the queue never filled";
	return 0;
}

TEST(RemoteControl, DashCGivesUpOnAFullQueueAndTheQueuedCommandsRunLater)
{
	long_home home;
	tmux_screen s(home);
	const int queued = stop_and_fill(home, s);

	// Every later one fails the same way while the queue stays full.
	run_result again = send_soon(home, "scroll_down");
	EXPECT_EQ(again.status, 1);
	EXPECT_EQ(again.err, QUEUE_FULL);

	s.signal(SIGCONT);
	s.wait_for_row(23, long_status(1 + queued));
	// And the queue takes commands again.
	run_result r = send_soon(home, "scroll_down");
	EXPECT_EQ(r.status, 0) << r.err;
	s.wait_for_row(23, long_status(2 + queued));
}

// The probe of a starting instance finds the queue full too: an instance
// is there, so the newcomer runs without a socket and leaves the first
// one's file alone.
TEST(RemoteControl, SecondInstanceLeavesTheSocketOfAStoppedOneAlone)
{
	long_home first_home, second_home;
	tmux_screen first(first_home);
	std::optional<file_id> sock = file_at(SOCK_PATH);
	ASSERT_TRUE(sock);
	const int queued = stop_and_fill(first_home, first);

	tmux_screen second(second_home);
	EXPECT_EQ(file_at(SOCK_PATH), sock);

	first.signal(SIGCONT);
	first.wait_for_row(23, long_status(1 + queued));
	run_result r = send_soon(second_home, "scroll_down");
	EXPECT_EQ(r.status, 0) << r.err;
	first.wait_for_row(23, long_status(2 + queued));
	second.wait_for_row(23, status_row("[library]      1,0    50%"));
}

} // namespace
