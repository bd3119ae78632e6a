#include "harness/harness.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <gtest/gtest.h>

namespace
{

void set_nonblock(int fd)
{
	fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

} // namespace

run_result run_program(const std::string &prog, const std::vector<std::string> &args,
                       const run_options &opts)
{
	int in[2], out[2], err[2];
	if (pipe(in) == -1 || pipe(out) == -1 || pipe(err) == -1)
		throw std::runtime_error("pipe failed");

	pid_t pid = fork();
	if (pid == -1)
		throw std::runtime_error("fork failed");
	if (pid == 0) {
		dup2(in[0], 0);
		dup2(out[1], 1);
		dup2(err[1], 2);
		for (int fd : { in[0], in[1], out[0], out[1], err[0], err[1] })
			close(fd);
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

		std::vector<char *> argv;
		argv.push_back(const_cast<char *>(prog.c_str()));
		for (const auto &a : args)
			argv.push_back(const_cast<char *>(a.c_str()));
		argv.push_back(nullptr);
		execvp(prog.c_str(), argv.data());
		_exit(127);
	}

	close(in[0]);
	close(out[1]);
	close(err[1]);
	set_nonblock(in[1]);
	set_nonblock(out[0]);
	set_nonblock(err[0]);

	run_result r;
	size_t written = 0;
	int infd = in[1];
	if (opts.input.empty()) {
		close(infd);
		infd = -1;
	}
	bool out_open = true, err_open = true;
	char buf[65536];
	while (out_open || err_open) {
		pollfd fds[3];
		int n = 0;
		if (out_open)
			fds[n++] = { out[0], POLLIN, 0 };
		if (err_open)
			fds[n++] = { err[0], POLLIN, 0 };
		if (infd != -1)
			fds[n++] = { infd, POLLOUT, 0 };
		if (poll(fds, n, 60000) <= 0)
			break;
		for (int i = 0; i < n; i++) {
			if (fds[i].revents == 0)
				continue;
			if (fds[i].fd == infd) {
				ssize_t w = write(infd, opts.input.data() + written,
				                  opts.input.size() - written);
				if (w > 0)
					written += static_cast<size_t>(w);
				if (w < 0 || written == opts.input.size()) {
					close(infd);
					infd = -1;
				}
				continue;
			}
			ssize_t got = read(fds[i].fd, buf, sizeof buf);
			if (got > 0) {
				(fds[i].fd == out[0] ? r.out : r.err)
				        .append(buf, static_cast<size_t>(got));
			} else if (got == 0 || errno != EAGAIN) {
				(fds[i].fd == out[0] ? out_open : err_open) = false;
			}
		}
	}
	if (infd != -1)
		close(infd);
	close(out[0]);
	close(err[0]);

	int status = 0;
	waitpid(pid, &status, 0);
	r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
	return r;
}

run_result run_korvane(const std::vector<std::string> &args, const run_options &opts)
{
	return run_program(KORVANE_BINARY, args, opts);
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
