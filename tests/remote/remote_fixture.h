// Helpers for the tests of the remote-control socket with two user ids: the
// tests' own and the user nobody, whom a process of the tests becomes in a
// child (the tests that need both are skipped unless they run as root).
#pragma once

#include <fcntl.h>
#include <grp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "base/owners.h"
#include "harness/harness.h"
#include "remote/sock.h"

#define SKIP_UNLESS_ROOT()                                                                         \
	do {                                                                                       \
		if (geteuid() != 0)                                                                \
			GTEST_SKIP() << "a second user id needs root";                             \
	} while (0)

// In a namespace of their own: inline helpers of other tests' headers end
// up in the same binary.
namespace remote_tests
{

constexpr uid_t NOBODY = 65534;

// Waits until done() holds; fails the test after ten seconds.
inline bool wait_for(const std::function<bool()> &done, const std::string &what)
{
	const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
	while (!done()) {
		if (std::chrono::steady_clock::now() >= deadline) {
			ADD_FAILURE() << "timed out waiting for " << what;
			return false;
		}
		std::this_thread::sleep_for(std::chrono::milliseconds(5));
	}
	return true;
}

inline sockaddr_un sock_path_address()
{
	sockaddr_un addr = {};
	addr.sun_family = AF_UNIX;
	strcpy(addr.sun_path, SOCK_PATH);
	return addr;
}

// A child process that runs f as the user uid (the caller's ids when uid is
// the caller's) and exits with its result, or 125 when the ids could not be
// changed.
class child_as
{
public:
	child_as(uid_t uid, const std::function<int()> &f) : pid(fork())
	{
		if (pid == 0) {
			if (uid != geteuid() &&
			    (setgroups(0, nullptr) == -1 || setgid(uid) == -1 || setuid(uid) == -1))
				_exit(125);
			_exit(f());
		}
	}
	child_as(const child_as &) = delete;
	child_as &operator=(const child_as &) = delete;
	~child_as()
	{
		if (pid > 0) {
			kill(pid, SIGKILL);
			waitpid(pid, nullptr, 0);
		}
	}
	// Its exit status (128 + the signal that ended it); the child is killed
	// and the test fails when it has not ended in ten seconds.
	int wait()
	{
		int status = 0;
		if (!wait_for([&] { return waitpid(pid, &status, WNOHANG) != 0; },
		              "a child process to end"))
			return -1;
		pid = -1;
		return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
	}

private:
	pid_t pid;
};

inline int run_as(uid_t uid, const std::function<int()> &f)
{
	return child_as(uid, f).wait();
}

// Sends text as the user uid straight to the path, past every check of
// sock_send: 0 when the kernel accepted it, else the errno of the send.
inline int send_as(uid_t uid, const std::string &text)
{
	return run_as(uid, [&] {
		unique_fd fd(socket(AF_UNIX, SOCK_DGRAM, 0));
		sockaddr_un addr = sock_path_address();
		return sendto(fd.get(), text.data(), text.size(), 0,
		              reinterpret_cast<sockaddr *>(&addr), sizeof addr) == -1
		               ? errno
		               : 0;
	});
}

// A datagram socket bound at the path by the tests, its file then given to
// owner with the given mode: an instance of any user that the tests can read.
class raw_listener
{
public:
	explicit raw_listener(uid_t owner = geteuid(), mode_t mode = 0600)
	{
		unlink(SOCK_PATH);
		fd.reset(socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
		sockaddr_un addr = sock_path_address();
		EXPECT_EQ(bind(fd.get(), reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0);
		EXPECT_EQ(lchown(SOCK_PATH, owner, owner), 0);
		EXPECT_EQ(chmod(SOCK_PATH, mode), 0);
	}
	// The next datagram already queued; nothing when none is. A send to a
	// local socket has queued its datagram by the time it returns.
	std::optional<std::string> queued()
	{
		char buf[256];
		ssize_t n = recv(fd.get(), buf, sizeof buf, MSG_DONTWAIT);
		if (n < 0)
			return std::nullopt;
		return std::string(buf, static_cast<size_t>(n));
	}
	// Stops listening; the file stays, as a killed instance leaves it.
	void close() { fd.reset(); }

private:
	unique_fd fd;
};

// Puts a file of the user uid at the path: a "regular file", a "symbolic
// link", a "directory" or a "stale socket" that nothing listens on.
inline void make_file(const std::string &kind, uid_t uid)
{
	if (kind == "regular file")
		write_file(SOCK_PATH, "");
	else if (kind == "symbolic link")
		ASSERT_EQ(symlink("/nonexistent", SOCK_PATH), 0);
	else if (kind == "directory")
		ASSERT_EQ(mkdir(SOCK_PATH, 0700), 0);
	else
		raw_listener(uid).close();
	ASSERT_EQ(lchown(SOCK_PATH, uid, uid), 0);
}

// Which file a path names, and whose it is.
struct file_id {
	dev_t dev = 0;
	ino_t ino = 0;
	uid_t uid = 0;
	mode_t mode = 0;
	bool operator==(const file_id &) const = default;
};

inline std::optional<file_id> file_at(const std::string &path)
{
	struct stat st;
	if (lstat(path.c_str(), &st) == -1)
		return std::nullopt;
	return file_id{ st.st_dev, st.st_ino, st.st_uid, st.st_mode };
}

// Makes home and everything in it the user's.
inline void give_home(const korvane_home &home, uid_t uid)
{
	if (uid != geteuid()) {
		const std::string id = std::to_string(uid);
		run_program("chown", { "-R", id + ":" + id, home.path() });
	}
}

// Runs korvane with home as the user uid, the home being the user's.
inline run_result run_as_user(uid_t uid, const korvane_home &home,
                              const std::vector<std::string> &args,
                              std::function<void()> in_child = {})
{
	run_options opts;
	opts.home = home.path();
	opts.as_nobody = uid == NOBODY;
	opts.in_child = std::move(in_child);
	return run_korvane(args, opts);
}

inline const char EMPTY_DB_LINES[] = "The korvane database is currently empty.\n"
                                     "See 'korvane -e help add' for how to add files.\n";
inline const char NOT_RUNNING[] = "korvane: Failed to send message. Korvane not running?\n";
inline const char FOREIGN_WARNING[] =
        "korvane: /tmp/.korvane belongs to another user; remote control is off\n";

} // namespace remote_tests
