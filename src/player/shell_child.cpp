#include "player/shell_child.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

extern char **environ;

namespace
{

// What SIGINT and SIGQUIT did before the child took them.
struct sigaction saved_int, saved_quit;

// Every signal at its default action and none blocked, for the child.
bool clean_signals(posix_spawnattr_t &attr)
{
	sigset_t all, none;
	sigfillset(&all);
	sigemptyset(&none);
	return posix_spawnattr_setsigdefault(&attr, &all) == 0 &&
	       posix_spawnattr_setsigmask(&attr, &none) == 0 &&
	       posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK) == 0;
}

} // namespace

pid_t shell_child_start(const std::string &line)
{
	posix_spawnattr_t attr;
	if (posix_spawnattr_init(&attr) != 0)
		return -1;
	pid_t pid = -1;
	const char *argv[] = { "sh", "-c", line.c_str(), nullptr };
	if (clean_signals(attr) &&
	    posix_spawn(&pid, "/bin/sh", nullptr, &attr, const_cast<char *const *>(argv),
	                environ) != 0)
		pid = -1;
	posix_spawnattr_destroy(&attr);
	if (pid == -1)
		return -1;

	// As the shell's own wait for a command does: the keys that interrupt
	// the command must not end korvane too.
	struct sigaction ignore = {};
	ignore.sa_handler = SIG_IGN;
	sigemptyset(&ignore.sa_mask);
	sigaction(SIGINT, &ignore, &saved_int);
	sigaction(SIGQUIT, &ignore, &saved_quit);
	return pid;
}

bool shell_child_ended(pid_t pid)
{
	pid_t r;
	do
		r = waitpid(pid, nullptr, WNOHANG);
	while (r == -1 && errno == EINTR);
	if (r == 0)
		return false;
	sigaction(SIGINT, &saved_int, nullptr);
	sigaction(SIGQUIT, &saved_quit, nullptr);
	return true;
}
