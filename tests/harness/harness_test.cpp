// The harness itself, with children that end early or never end.
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <string>
#include <vector>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "base/owners.h"
#include "harness/harness.h"

namespace
{

TEST(Harness, InputTheChildDoesNotReadIsDropped)
{
	struct {
		std::vector<std::string> command;
		std::string out;
	} cases[] = {
		{ { "true" }, "" },
		// Closing its input first, the child is gone for every later write.
		{ { "sh", "-c", "exec <&-; echo read none" }, "read none\n" },
		{ { "head", "-c", "3" }, "xxx" },
	};
	run_options opts;
	opts.input = std::string(1 << 20, 'x');
	for (const auto &c : cases) {
		std::vector<std::string> args(c.command.begin() + 1, c.command.end());
		run_result r = run_program(c.command[0], args, opts);
		EXPECT_EQ(r.status, 0) << c.command[0];
		EXPECT_EQ(r.out, c.out) << c.command[0];
		EXPECT_FALSE(r.timed_out) << c.command[0];
	}
}

TEST(Harness, ChildRunningAtTheDeadlineIsKilledWithItsGroup)
{
	run_options opts;
	opts.deadline = std::chrono::seconds(1);
	const std::vector<std::string> args = { "-c", "sleep 30 & echo $!; wait" };
	run_result r;
	EXPECT_NONFATAL_FAILURE(
	        r = run_program("sh", args, opts),
	        "killed at its deadline of 1000 ms: sh -c sleep 30 & echo $!; wait");
	EXPECT_TRUE(r.timed_out);
	EXPECT_EQ(r.status, 128 + SIGKILL);

	// The shell's own child went with it.
	ASSERT_NE(r.out, "");
	unique_fd sleeper(static_cast<int>(syscall(SYS_pidfd_open, std::stoi(r.out), 0)));
	if (sleeper) {
		pollfd end = { sleeper.get(), POLLIN, 0 };
		EXPECT_EQ(poll(&end, 1, 10000), 1) << "sleep 30 outlived the deadline";
	}
}

} // namespace
