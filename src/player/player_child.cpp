#include "player/player_child.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "base/error.h"

namespace
{

// How long finish waits for the child to end after its last words.
constexpr int FINISH_WAIT_MS = 1000;
// How long the rest of a command begun in a full pipe may wait for room.
constexpr int SEND_WAIT_MS = 1000;

// In the child, between fork and exec: says what failed on standard error
// (where there still is one) and ends the child alone, without the
// parent's exit handlers.
[[noreturn]] void child_fail(const char *who, const char *what)
{
	char line[256];
	int n = snprintf(line, sizeof line, "%s: %s: %s: %s\n", program_invocation_short_name, who,
	                 what, strerror(errno));
	if (n > 0 && write(STDERR_FILENO, line, static_cast<size_t>(n)) < 0) {
		// Nothing more to say it with.
	}
	_exit(1);
}

// In the child: the pipe ends become its standard input and output,
// standard error goes to /dev/null and every other descriptor is closed.
// The ends are first moved above 2, so that neither can be overwritten by
// the other's dup2 whatever numbers they had.
void child_descriptors(const char *who, int in, int out)
{
	int high_in = fcntl(in, F_DUPFD, 3);
	int high_out = fcntl(out, F_DUPFD, 3);
	if (high_in == -1 || high_out == -1 || dup2(high_in, STDIN_FILENO) == -1 ||
	    dup2(high_out, STDOUT_FILENO) == -1)
		child_fail(who, "child dup()'s failed");

	int null = open("/dev/null", O_WRONLY);
	if (null == -1) {
		if (close(STDERR_FILENO) == -1 && errno != EBADF)
			child_fail(who, "child close()'s failed(1)");
	} else if (null != STDERR_FILENO && dup2(null, STDERR_FILENO) == -1) {
		child_fail(who, "child dup()'s failed");
	}
	if (close_range(3, ~0U, 0) == -1)
		child_fail(who, "child close()'s failed(2)");
}

// In the child: every signal back to its default action and none blocked,
// whatever this process ignores or blocks (a shell may have started it with
// the broken-pipe signal ignored; the main loop blocks its signals outside
// its wait), since the exec keeps both. The action goes first, so that a
// signal unblocked here finds no handler of ours. The numbers the C
// library keeps for itself refuse the change, which is as well.
void child_signals_default(const char *who)
{
	struct sigaction dfl = {};
	dfl.sa_handler = SIG_DFL;
	sigemptyset(&dfl.sa_mask);
	for (int sig = 1; sig < NSIG; sig++)
		if (sig != SIGKILL && sig != SIGSTOP)
			sigaction(sig, &dfl, nullptr);
	sigset_t none;
	sigemptyset(&none);
	if (sigprocmask(SIG_SETMASK, &none, nullptr) == -1)
		child_fail(who, "child sigprocmask() failed");
}

int elapsed_ms(const timespec &since)
{
	timespec now;
	clock_gettime(CLOCK_MONOTONIC, &now);
	return static_cast<int>((now.tv_sec - since.tv_sec) * 1000 +
	                        (now.tv_nsec - since.tv_nsec) / 1000000);
}

} // namespace

player_child::~player_child()
{
	close_pipes();
	if (child > 0) {
		kill(child, SIGKILL);
		waitpid(child, nullptr, 0);
	}
}

void player_child::start(const char *who, const char *file, char *const argv[])
{
	int to[2], from[2];
	if (pipe2(to, O_CLOEXEC) == -1)
		fatal_sys("%s: pipe() failed", who);
	if (pipe2(from, O_CLOEXEC) == -1) {
		int saved = errno;
		close(to[0]);
		close(to[1]);
		errno = saved;
		fatal_sys("%s: pipe() failed", who);
	}

	const pid_t parent = getpid();
	pid_t pid = fork();
	if (pid == -1)
		fatal_sys("%s: fork() failed", who);

	if (pid == 0) {
		// The child dies with this process; if this process died before
		// the request was made, the child goes at once.
		if (prctl(PR_SET_PDEATHSIG, SIGKILL) == -1 || getppid() != parent)
			_exit(1);
		child_descriptors(who, to[0], from[1]);
		child_signals_default(who);
		// A group of its own: the keys that interrupt a shell command on
		// the terminal must not reach the player too.
		setpgid(0, 0);
		execvp(file, argv);
		kill(parent, SIGCHLD);
		_exit(1);
	}

	child = pid;
	if (close(to[0]) == -1 || close(from[1]) == -1)
		fatal_sys("%s: parent close()'s failed", who);
	to_child.reset(to[1]);
	from_child.reset(from[0]);

	for (int fd : { from_child.get(), to_child.get() }) {
		int flags = fcntl(fd, F_GETFL);
		if (flags == -1)
			fatal_sys("%s: fcntl() failed to get current flags", who);
		if (fcntl(fd, F_SETFL, flags | O_NONBLOCK) == -1)
			fatal_sys("%s: fcntl() failed to set pipe non-blocking", who);
	}
}

// The pipe does not block: a child that stops reading (hung on a stream)
// must not stop the program once the pipe is full. A command that finds no
// room is dropped whole; one longer than the pipe writes at once gets a
// second to go through, so that no piece of it is left to join the next.
void player_child::send(std::string_view text)
{
	timespec start;
	clock_gettime(CLOCK_MONOTONIC, &start);
	bool begun = false;
	while (to_child && !text.empty()) {
		ssize_t n = write(to_child.get(), text.data(), text.size());
		if (n > 0) {
			text.remove_prefix(static_cast<size_t>(n));
			begun = true;
			continue;
		}
		if (n == -1 && errno == EINTR)
			continue;
		int left = SEND_WAIT_MS - elapsed_ms(start);
		if (n == 0 || errno != EAGAIN || !begun || left <= 0)
			return; // gone (the broken-pipe signal is ignored), or full
		pollfd p = { to_child.get(), POLLOUT, 0 };
		poll(&p, 1, left);
	}
}

std::optional<std::string> player_child::receive(size_t max)
{
	if (!from_child)
		return std::string();
	std::string text(max, '\0');
	ssize_t n = read(from_child.get(), text.data(), max);
	if (n == -1 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
		return std::nullopt;
	text.resize(n > 0 ? static_cast<size_t>(n) : 0);
	return text;
}

bool player_child::has_exited()
{
	if (child <= 0)
		return true;
	pid_t r = waitpid(child, nullptr, WNOHANG);
	if (r == 0)
		return false;
	// Reaped now, or not a child of ours any more.
	child = -1;
	return true;
}

void player_child::close_pipes()
{
	to_child.reset();
	from_child.reset();
}

void player_child::finish(std::string_view last_words)
{
	send(last_words);
	to_child.reset();

	// The child's output ends when the child does.
	timespec start;
	clock_gettime(CLOCK_MONOTONIC, &start);
	bool ended = false;
	while (from_child && !ended && child > 0) {
		int left = FINISH_WAIT_MS - elapsed_ms(start);
		if (left <= 0)
			break;
		pollfd p = { from_child.get(), POLLIN, 0 };
		if (poll(&p, 1, left) <= 0)
			continue; // a signal, or the time is up
		char buf[1024];
		ssize_t n = read(from_child.get(), buf, sizeof buf);
		ended = n == 0 || (n == -1 && errno != EAGAIN && errno != EINTR);
	}
	from_child.reset();

	if (child > 0) {
		if (!ended)
			kill(child, SIGKILL);
		while (waitpid(child, nullptr, 0) == -1 && errno == EINTR) {
		}
		child = -1;
	}
}
