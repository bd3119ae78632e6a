#include "harness/harness.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include <gtest/gtest.h>

#include "base/owners.h"

namespace
{

using steady = std::chrono::steady_clock;

constexpr uid_t NOBODY = 65534;

void set_nonblock(int fd)
{
	fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

// Ignores SIGPIPE while it lives, so that input written to a child that has
// already gone fails with EPIPE instead of killing the test binary.
class sigpipe_ignored
{
public:
	sigpipe_ignored()
	{
		struct sigaction ignore = {};
		ignore.sa_handler = SIG_IGN;
		sigaction(SIGPIPE, &ignore, &saved);
	}
	~sigpipe_ignored() { sigaction(SIGPIPE, &saved, nullptr); }
	sigpipe_ignored(const sigpipe_ignored &) = delete;
	sigpipe_ignored &operator=(const sigpipe_ignored &) = delete;

private:
	struct sigaction saved = {};
};

// A descriptor that becomes readable when the process ends; holds nothing
// where the kernel offers none.
unique_fd end_of(pid_t pid)
{
#ifdef SYS_pidfd_open
	return unique_fd(static_cast<int>(syscall(SYS_pidfd_open, pid, 0)));
#else
	(void)pid;
	return unique_fd();
#endif
}

[[noreturn]] void exec_child(const std::string &prog, const std::vector<std::string> &args,
                             const run_options &opts, int in, int out, int err)
{
	setpgid(0, 0);
	dup2(in, 0);
	dup2(out, 1);
	dup2(err, 2);
	signal(SIGPIPE, SIG_DFL);
	if (!opts.cwd.empty() && chdir(opts.cwd.c_str()) == -1)
		_exit(126);

	const char *path = getenv("PATH");
	std::string keep_path = path ? path : "/usr/bin:/bin";
	clearenv();
	setenv("PATH", keep_path.c_str(), 1);
	setenv("TZ", "UTC", 1);
	// The sanitizers' reports must fail the test, not hide in a log.
	setenv("ASAN_OPTIONS", "detect_leaks=1:abort_on_error=0:exitcode=99", 1);
	setenv("UBSAN_OPTIONS", "print_stacktrace=1:halt_on_error=1:exitcode=99", 1);
	if (!opts.home.empty())
		setenv("HOME", opts.home.c_str(), 1);
	for (const auto &[k, v] : opts.env)
		setenv(k.c_str(), v.c_str(), 1);
	if (opts.in_child)
		opts.in_child();
	if (opts.as_nobody && geteuid() == 0 &&
	    (setgroups(0, nullptr) == -1 || setgid(NOBODY) == -1 || setuid(NOBODY) == -1))
		_exit(125);

	std::vector<char *> argv;
	argv.push_back(const_cast<char *>(prog.c_str()));
	for (const auto &a : args)
		argv.push_back(const_cast<char *>(a.c_str()));
	argv.push_back(nullptr);
	execvp(prog.c_str(), argv.data());
	_exit(127);
}

std::string command_line(const std::string &prog, const std::vector<std::string> &args)
{
	std::string line = prog;
	for (const auto &a : args)
		line += " " + a;
	return line;
}

} // namespace

run_result run_program(const std::string &prog, const std::vector<std::string> &args,
                       const run_options &opts)
{
	int in[2], out[2], err[2];
	if (pipe2(in, O_CLOEXEC) == -1 || pipe2(out, O_CLOEXEC) == -1 ||
	    pipe2(err, O_CLOEXEC) == -1)
		throw std::runtime_error("pipe failed");

	pid_t pid = fork();
	if (pid == -1)
		throw std::runtime_error("fork failed");
	if (pid == 0)
		exec_child(prog, args, opts, in[0], out[1], err[1]);
	// Also here, so that the group exists before any kill below.
	setpgid(pid, pid);

	close(in[0]);
	close(out[1]);
	close(err[1]);
	unique_fd input(in[1]), output(out[0]), errors(err[0]);
	set_nonblock(input.get());
	set_nonblock(output.get());
	set_nonblock(errors.get());
	if (opts.input.empty())
		input.reset();

	sigpipe_ignored no_sigpipe;
	unique_fd ended = end_of(pid);
	const steady::time_point deadline = steady::now() + opts.deadline;
	run_result r;
	size_t written = 0;
	int status = 0;
	bool reaped = false;
	char buf[65536];
	while (output || errors || !reaped) {
		auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - steady::now());
		if (left.count() <= 0) {
			kill(-pid, SIGKILL);
			r.timed_out = true;
			break;
		}
		// Without a descriptor for the child's end, look again shortly.
		if (!reaped && !ended)
			left = std::min(left, std::chrono::milliseconds(10));

		pollfd fds[4];
		int n = 0;
		for (const unique_fd *fd : { &output, &errors, &ended })
			if (*fd)
				fds[n++] = { fd->get(), POLLIN, 0 };
		if (input)
			fds[n++] = { input.get(), POLLOUT, 0 };
		if (poll(fds, n, static_cast<int>(left.count())) == -1 && errno != EINTR)
			throw std::runtime_error("poll failed");

		for (int i = 0; i < n; i++) {
			if (fds[i].revents == 0)
				continue;
			if (fds[i].fd == input.get()) {
				ssize_t w = write(input.get(), opts.input.data() + written,
				                  opts.input.size() - written);
				if (w > 0)
					written += static_cast<size_t>(w);
				// EPIPE: the child closed its input without reading it all.
				if ((w < 0 && errno != EAGAIN && errno != EINTR) ||
				    written == opts.input.size())
					input.reset();
			} else if (fds[i].fd == output.get() || fds[i].fd == errors.get()) {
				bool is_out = fds[i].fd == output.get();
				ssize_t got = read(fds[i].fd, buf, sizeof buf);
				if (got > 0)
					(is_out ? r.out : r.err)
					        .append(buf, static_cast<size_t>(got));
				else if (got == 0 || (errno != EAGAIN && errno != EINTR))
					(is_out ? output : errors).reset();
			}
		}
		if (!reaped && waitpid(pid, &status, WNOHANG) == pid) {
			reaped = true;
			ended.reset();
		}
	}
	if (!reaped)
		waitpid(pid, &status, 0);
	r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
	if (r.timed_out)
		ADD_FAILURE() << "killed at its deadline of " << opts.deadline.count()
		              << " ms: " << command_line(prog, args);
	return r;
}

run_result run_korvane(const std::vector<std::string> &args, const run_options &opts)
{
	return run_program(opts.as_nobody ? korvane_binary_for_anyone() : KORVANE_BINARY, args,
	                   opts);
}

const std::string &korvane_binary_for_anyone()
{
	struct anyone_copy {
		pid_t maker = getpid();
		std::string dir;
		std::string binary;

		anyone_copy()
		{
			char tmpl[] = "/tmp/korvane-anyone.XXXXXX";
			if (mkdtemp(tmpl) == nullptr)
				throw std::runtime_error("mkdtemp failed");
			dir = tmpl;
			binary = dir + "/korvane";
			std::filesystem::copy_file(KORVANE_BINARY, binary);
			std::filesystem::permissions(dir, std::filesystem::perms(0755));
			std::filesystem::permissions(binary, std::filesystem::perms(0755));
		}
		~anyone_copy()
		{
			// Children forked by death tests end here too; the copy is the maker's.
			std::error_code ignored;
			if (getpid() == maker)
				std::filesystem::remove_all(dir, ignored);
		}
	};
	static anyone_copy copy;
	return copy.binary;
}

temp_dir::temp_dir()
{
	char tmpl[] = "/tmp/korvane-test.XXXXXX";
	if (mkdtemp(tmpl) == nullptr)
		throw std::runtime_error("mkdtemp failed");
	dir = tmpl;
}

temp_dir::~temp_dir()
{
	// Tests may drop permissions inside; give them back before removing.
	run_program("chmod", { "-R", "u+rwx", dir });
	run_program("rm", { "-rf", dir });
}

korvane_home::korvane_home(bool init)
{
	// The player started by the interactive program never makes a sound
	// and needs no display.
	mkdir((*this / ".mplayer").c_str(), 0700);
	write_file(*this / ".mplayer/config", "ao=null\nvo=null\n");
	if (init) {
		run_result r = run({ "-e", "init" });
		if (r.status != 0)
			throw std::runtime_error("korvane -e init failed: " + r.err);
	}
}

run_result korvane_home::run(const std::vector<std::string> &args, const std::string &input) const
{
	run_options opts;
	opts.home = path();
	opts.input = input;
	return run_korvane(args, opts);
}

std::string read_file(const std::string &path)
{
	std::ifstream in(path, std::ios::binary);
	std::ostringstream ss;
	ss << in.rdbuf();
	return ss.str();
}

void write_file(const std::string &path, const std::string &content)
{
	std::ofstream out(path, std::ios::binary | std::ios::trunc);
	out << content;
}

bool file_exists(const std::string &path)
{
	struct stat st;
	return lstat(path.c_str(), &st) == 0;
}

std::vector<std::string> lines_of(const std::string &text)
{
	std::vector<std::string> lines;
	std::istringstream in(text);
	std::string line;
	while (std::getline(in, line))
		lines.push_back(line);
	return lines;
}
