#include <cerrno>
#include <cstdio>
#include <unistd.h>

#include <gtest/gtest.h>

#include "base/error.h"

namespace
{

int hook_runs = 0;

// Says how often it ran, on standard error before the fatal message.
void counting_hook()
{
	hook_runs++;
	fprintf(stderr, "hook run %d\n", hook_runs);
}

// A hook that itself fails fatally must not run again.
void failing_hook()
{
	counting_hook();
	fatal("from the hook");
}

} // namespace

TEST(Error, fatal_runs_the_hook_once_then_prints_and_exits_1)
{
	EXPECT_EXIT(
	        {
		        error_set_fatal_hook(counting_hook);
		        fatal("broken %s", "thing");
	        },
	        testing::ExitedWithCode(1), "^hook run 1\n[^\n]*: broken thing\n$");
}

TEST(Error, fatal_sys_keeps_the_system_error_across_the_hook)
{
	EXPECT_EXIT(
	        {
		        error_set_fatal_hook([] {
			        errno = 0;
			        counting_hook();
		        });
		        errno = ENOENT;
		        fatal_sys("open %s", "x");
	        },
	        testing::ExitedWithCode(1),
	        "^hook run 1\n[^\n]*: open x: No such file or directory\n$");
}

TEST(Error, a_fatal_error_inside_the_hook_does_not_run_it_again)
{
	EXPECT_EXIT(
	        {
		        error_set_fatal_hook(failing_hook);
		        fatal("first");
	        },
	        testing::ExitedWithCode(1), "^hook run 1\n[^\n]*: from the hook\n$");
}

TEST(Error, warnings_do_not_run_the_hook)
{
	EXPECT_EXIT(
	        {
		        error_set_fatal_hook(counting_hook);
		        warn_msg("careful");
		        fflush(stderr);
		        _exit(hook_runs);
	        },
	        testing::ExitedWithCode(0), "careful");
}
