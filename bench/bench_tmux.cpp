#include "bench_tmux.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>

#include "library/db_file.h"

namespace
{

// Whether pid runs; a zombie that no one reaps has ended.
bool process_alive(pid_t pid)
{
	std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
	std::string all((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
	const size_t paren = all.rfind(')');
	return paren != std::string::npos && paren + 2 < all.size() && all[paren + 2] != 'Z';
}

} // namespace

void bench_die(const std::string &what)
{
	fprintf(stderr, "%s: %s: %s\n", program_invocation_short_name, what.c_str(),
	        strerror(errno));
	exit(1);
}

const char *bench_verdict(bool met)
{
	return met ? "met" : "MISSED";
}

int bench_run(const std::vector<std::string> &argv, const std::vector<std::string> &env,
              std::string *out, double *cpu)
{
	int fds[2];
	if (out != nullptr && pipe(fds) == -1)
		bench_die("pipe");
	pid_t pid = fork();
	if (pid == -1)
		bench_die("fork");
	if (pid == 0) {
		if (out != nullptr) {
			dup2(fds[1], 1);
			close(fds[0]);
			close(fds[1]);
		}
		std::vector<char *> args, envp;
		for (const std::string &a : argv)
			args.push_back(const_cast<char *>(a.c_str()));
		args.push_back(nullptr);
		for (const std::string &e : env)
			envp.push_back(const_cast<char *>(e.c_str()));
		envp.push_back(nullptr);
		if (env.empty())
			execvp(args[0], args.data());
		else
			execve(args[0], args.data(), envp.data());
		_exit(127);
	}
	if (out != nullptr) {
		close(fds[1]);
		out->clear();
		char buf[4096];
		ssize_t n;
		while ((n = read(fds[0], buf, sizeof buf)) > 0)
			out->append(buf, static_cast<size_t>(n));
		close(fds[0]);
	}
	int status = 0;
	rusage ru = {};
	if (wait4(pid, &status, 0, &ru) == -1)
		return -1;
	if (cpu != nullptr)
		*cpu = static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
		       static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
	return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

tmux_korvane::tmux_korvane(const std::string &dir, const std::string &name,
                           const std::string &korvane, const std::string &home)
    : socket(dir + "/tmux-" + name + ".sock")
{
	std::string conf = dir + "/tmux.conf";
	FILE *f = fopen(conf.c_str(), "w");
	if (f == nullptr)
		bench_die(conf);
	fputs("set -g status off\n", f);
	fclose(f);
	std::string command =
	        "exec env -i HOME='" + home + "' PATH=/usr/bin:/bin TERM=screen '" + korvane + "'";
	if (bench_run({ "tmux", "-f", conf, "-S", socket, "new-session", "-d", "-x",
	                std::to_string(SCREEN_COLS), "-y", std::to_string(SCREEN_ROWS),
	                command }) != 0)
		bench_die("tmux new-session");
}

tmux_korvane::~tmux_korvane()
{
	const pid_t pid = pane_pid();
	bench_run({ "tmux", "-S", socket, "kill-server" });
	auto start = clock_type::now();
	while (pid > 0 && process_alive(pid) && seconds_since(start) < 5)
		std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

void tmux_korvane::keys(const std::vector<std::string> &keys, bool literal) const
{
	std::vector<std::string> argv = { "tmux", "-S", socket, "send-keys", "-t", "0" };
	if (literal)
		argv.push_back("-l");
	argv.insert(argv.end(), keys.begin(), keys.end());
	if (bench_run(argv) != 0)
		bench_die("tmux send-keys");
}

std::vector<std::string> tmux_korvane::rows() const
{
	std::string text;
	bench_run({ "tmux", "-S", socket, "capture-pane", "-p", "-t", "0" }, {}, &text);
	std::vector<std::string> lines;
	size_t start = 0, nl;
	while ((nl = text.find('\n', start)) != std::string::npos) {
		std::string line = text.substr(start, nl - start);
		line.erase(line.find_last_not_of(' ') + 1);
		lines.push_back(line);
		start = nl + 1;
	}
	return lines;
}

double tmux_korvane::wait_until(const std::function<bool(const std::vector<std::string> &)> &pred,
                                clock_type::time_point start, double limit) const
{
	auto deadline = clock_type::now() + std::chrono::duration<double>(limit);
	while (clock_type::now() < deadline) {
		if (pred(rows()))
			return seconds_since(start);
		std::this_thread::sleep_for(std::chrono::milliseconds(2));
	}
	return -1;
}

bool tmux_korvane::came_up() const
{
	return wait_until(
	               [](const std::vector<std::string> &rows) {
		               return rows.size() == SCREEN_ROWS &&
		                      rows[23] == bench_library_status(1, 2);
	               },
	               clock_type::now(), 20) >= 0;
}

pid_t tmux_korvane::pane_pid() const
{
	std::string text;
	bench_run({ "tmux", "-S", socket, "display-message", "-p", "-t", "0", "#{pane_pid}" }, {},
	          &text);
	return static_cast<pid_t>(atol(text.c_str()));
}

void bench_make_home(const std::string &home)
{
	const std::string conf = home + "/.korvane";
	if (mkdir(home.c_str(), 0700) == -1 || mkdir(conf.c_str(), 0700) == -1 ||
	    mkdir((conf + "/playlists").c_str(), 0700) == -1 ||
	    mkdir((home + "/.mplayer").c_str(), 0700) == -1)
		bench_die("mkdir " + home);
	if (FILE *f = fopen((home + "/.mplayer/config").c_str(), "w")) {
		fputs("ao=null\nvo=null\n", f);
		fclose(f);
	}
	medialib_db_save(conf + "/korvane.db");
}

std::string bench_library_status(int line, int n)
{
	char text[100];
	snprintf(text, sizeof text, "[library] %6d,%-3d %3d%%", line, 0, (line * 100) / n);
	return std::string(static_cast<size_t>(SCREEN_COLS) - strlen(text), ' ') + text;
}

std::string bench_playlist_name(int i)
{
	char name[16];
	snprintf(name, sizeof name, "b%04d", i);
	return name;
}

double bench_percentile(std::vector<double> v, double p)
{
	std::sort(v.begin(), v.end());
	return v[std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())))];
}

double bench_run_seconds(pid_t pid)
{
	std::ifstream f("/proc/" + std::to_string(pid) + "/schedstat");
	double ns = -1;
	f >> ns;
	return f ? ns / 1e9 : -1;
}
