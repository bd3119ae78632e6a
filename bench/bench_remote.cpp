// The remote-control socket under load: a burst of 1,000 commands sent back
// to back to a running korvane on a terminal of tmux, until the screen shows
// all of them handled in order; then korvane -c processes, each timed from
// its start to its exit, next to a bare process.
//
//   cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DKORVANE_BENCH=ON -DKORVANE_TESTS=OFF
//   cmake --build build-bench --target bench_remote korvane && build-bench/bench/bench_remote
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "base/owners.h"
#include "bench_library.h"
#include "bench_private.h"
#include "bench_timing.h"
#include "library/db_file.h"
#include "remote/sock.h"

namespace
{

constexpr int SCREEN_COLS = 80, SCREEN_ROWS = 24;
constexpr int WINDOW_ROWS = SCREEN_ROWS - 3; // the library window
constexpr int BURST = 1000;                  // BURST - 1 new playlists, then G
constexpr int DASH_C_RUNS = 200;

[[noreturn]] void die(const std::string &what)
{
	fprintf(stderr, "bench_remote: %s: %s\n", what.c_str(), strerror(errno));
	exit(1);
}

const char *verdict(bool met)
{
	return met ? "met" : "MISSED";
}

// Runs argv to its end with the environment env; its exit status, or -1.
// cpu, when given, gets the CPU time it used, user and system.
int run(const std::vector<std::string> &argv, const std::vector<std::string> &env = {},
        std::string *out = nullptr, double *cpu = nullptr)
{
	int fds[2];
	if (out != nullptr && pipe(fds) == -1)
		die("pipe");
	pid_t pid = fork();
	if (pid == -1)
		die("fork");
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

// korvane on a terminal of its own, on a tmux server of the benchmark's.
class tmux_korvane
{
public:
	tmux_korvane(const std::string &dir, const std::string &korvane, const std::string &home)
	    : socket(dir + "/tmux.sock")
	{
		std::string conf = dir + "/tmux.conf";
		FILE *f = fopen(conf.c_str(), "w");
		if (f == nullptr)
			die(conf);
		fputs("set -g status off\n", f);
		fclose(f);
		std::string command = "exec env -i HOME='" + home +
		                      "' PATH=/usr/bin:/bin TERM=screen '" + korvane + "'";
		if (run({ "tmux", "-f", conf, "-S", socket, "new-session", "-d", "-x",
		          std::to_string(SCREEN_COLS), "-y", std::to_string(SCREEN_ROWS),
		          command }) != 0)
			die("tmux new-session");
	}
	~tmux_korvane() { run({ "tmux", "-S", socket, "kill-server" }); }

	// The screen's rows, without trailing blanks.
	std::vector<std::string> rows() const
	{
		std::string text;
		run({ "tmux", "-S", socket, "capture-pane", "-p", "-t", "0" }, {}, &text);
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

	// Waits until the screen satisfies pred, for at most limit seconds;
	// the seconds since start when it did, or -1.
	double wait_until(const std::function<bool(const std::vector<std::string> &)> &pred,
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

private:
	std::string socket;
};

// The status bar of the library window with the cursor on line of n rows.
std::string library_status(int line, int n)
{
	char text[100];
	snprintf(text, sizeof text, "[library] %6d,%-3d %3d%%", line, 0, (line * 100) / n);
	return std::string(static_cast<size_t>(SCREEN_COLS) - strlen(text), ' ') + text;
}

std::string playlist_name(int i)
{
	char name[16];
	snprintf(name, sizeof name, "b%04d", i);
	return name;
}

// The library window shows the end of the registry, the cursor on its last
// row: the BURST - 1 playlists in the order they were made, after the two
// pseudo-playlists, each marked "+" as not saved.
bool burst_shown(const std::vector<std::string> &rows)
{
	const int n = 2 + BURST - 1;
	if (rows.size() != static_cast<size_t>(SCREEN_ROWS) || rows[23] != library_status(n, n))
		return false;
	for (int r = 0; r < WINDOW_ROWS; r++) {
		const int index = n - WINDOW_ROWS + r; // in the registry
		const std::string &row = rows[2 + static_cast<size_t>(r)];
		const std::string name = playlist_name(index - 1);
		if (row.size() < 1 + name.size() || row[0] != '+' ||
		    row.compare(1, name.size(), name) != 0)
			return false;
	}
	return true;
}

double percentile(std::vector<double> v, double p)
{
	std::sort(v.begin(), v.end());
	return v[std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())))];
}

// Runs of one program: wall clock from the fork to the end of the wait,
// and the CPU time the process used.
struct process_times {
	std::vector<double> wall, cpu;
};

process_times time_processes(const std::vector<std::string> &argv,
                             const std::vector<std::string> &env, int runs)
{
	process_times t;
	for (int i = 0; i < runs; i++) {
		double cpu = 0;
		auto start = clock_type::now();
		if (run(argv, env, nullptr, &cpu) != 0) {
			fprintf(stderr, "bench_remote: %s failed\n", argv[0].c_str());
			exit(1);
		}
		t.wall.push_back(seconds_since(start));
		t.cpu.push_back(cpu);
	}
	return t;
}

void print_times(const char *name, const process_times &t)
{
	printf("  %-30s %6.2f %6.2f %6.2f   %6.2f %6.2f\n", name, percentile(t.wall, 0.5) * 1e3,
	       percentile(t.wall, 0.9) * 1e3, *std::max_element(t.wall.begin(), t.wall.end()) * 1e3,
	       percentile(t.cpu, 0.5) * 1e3, *std::max_element(t.cpu.begin(), t.cpu.end()) * 1e3);
}

} // namespace

int main(int argc, char *argv[])
{
	std::string korvane = argc > 1 ? argv[1] : KORVANE_BINARY;

	const std::string tmpl = bench_private_dir("remote");
	std::string dir = tmpl, home = dir + "/home", conf = home + "/.korvane";
	if (mkdir(home.c_str(), 0700) == -1 || mkdir(conf.c_str(), 0700) == -1 ||
	    mkdir((conf + "/playlists").c_str(), 0700) == -1)
		die("mkdir");
	// The player the program starts stays silent.
	if (mkdir((home + "/.mplayer").c_str(), 0700) == -1)
		die("mkdir");
	if (FILE *f = fopen((home + "/.mplayer/config").c_str(), "w")) {
		fputs("ao=null\nvo=null\n", f);
		fclose(f);
	}
	bench_make_library(100, 1);
	medialib_db_save(conf + "/korvane.db");

	int status = 0;
	{
		tmux_korvane screen(dir, korvane, home);
		auto started = clock_type::now();
		if (screen.wait_until(
		            [](const std::vector<std::string> &rows) {
			            return rows.size() == SCREEN_ROWS &&
			                   rows[23] == library_status(1, 2);
		            },
		            started, 20) < 0) {
			fprintf(stderr, "bench_remote: korvane did not come up\n");
			return 1;
		}

		// The burst, from one blocking socket as korvane -c sends.
		std::vector<std::string> burst;
		for (int i = 1; i < BURST; i++)
			burst.push_back("new " + playlist_name(i));
		burst.push_back("jumpto_line");
		unique_fd fd(socket(AF_UNIX, SOCK_DGRAM, 0));
		sockaddr_un addr = {};
		addr.sun_family = AF_UNIX;
		strcpy(addr.sun_path, SOCK_PATH);
		auto start = clock_type::now();
		for (const std::string &text : burst)
			if (sendto(fd.get(), text.data(), text.size(), 0,
			           reinterpret_cast<sockaddr *>(&addr), sizeof addr) == -1)
				die("sendto");
		double sent = seconds_since(start);
		double shown = screen.wait_until(burst_shown, start, 10);

		printf("burst of %d commands (%d x new NAME, then G) on an %dx%d terminal of "
		       "tmux:\n",
		       BURST, BURST - 1, SCREEN_COLS, SCREEN_ROWS);
		printf("  all sent (blocking sender)   %7.3f s\n", sent);
		if (shown < 0) {
			printf("  WRONG: the screen never showed all %d playlists in order\n",
			       BURST - 1);
			for (const std::string &row : screen.rows())
				printf("  |%s\n", row.c_str());
			status = 1;
		} else {
			printf("  all handled, in order, shown %7.3f s   (target <= 1 s: %s)\n",
			       shown, verdict(shown <= 1.0));
		}

		// korvane -c, each a process of its own against the running instance.
		std::vector<std::string> env = { "HOME=" + home, "PATH=/usr/bin:/bin" };
		process_times bare = time_processes({ "/bin/true" }, env, DASH_C_RUNS);
		process_times empty = time_processes({ KORVANE_EMPTY_BINARY }, env, DASH_C_RUNS);
		process_times dash_c =
		        time_processes({ korvane, "-c", "scroll_up" }, env, DASH_C_RUNS);
		const int n = 2 + BURST - 1;
		double handled = screen.wait_until(
		        [&](const std::vector<std::string> &rows) {
			        return rows.size() == SCREEN_ROWS &&
			               rows[23] == library_status(n - DASH_C_RUNS, n);
		        },
		        clock_type::now(), 10);

		printf("%d processes each, run one after the other; wall clock from the fork to "
		       "the "
		       "end of the wait\nand the CPU time of the process, ms:\n",
		       DASH_C_RUNS);
		printf("  %-30s %6s %6s %6s   %6s %6s\n", "", "median", "90%", "max", "CPU", "max");
		print_times("bare process (/bin/true)", bare);
		print_times("empty, with korvane's libraries", empty);
		print_times("korvane -c scroll_up", dash_c);
		double worst = *std::max_element(dash_c.wall.begin(), dash_c.wall.end());
		long over = std::count_if(dash_c.wall.begin(), dash_c.wall.end(),
		                          [](double t) { return t > 0.005; });
		printf("  korvane -c, each at most 5 ms: %s (%ld of %d over; median %s)\n",
		       verdict(worst <= 0.005), over, DASH_C_RUNS,
		       verdict(percentile(dash_c.wall, 0.5) <= 0.005));
		if (handled < 0) {
			printf("  WRONG: the instance did not move up %d lines\n", DASH_C_RUNS);
			status = 1;
		}
	}

	run({ "rm", "-rf", dir });
	return status;
}
