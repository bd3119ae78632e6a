// The remote-control socket under load: a burst of 1,000 commands sent back
// to back to a running korvane on a terminal of tmux, until the screen shows
// all of them handled in order; then korvane -c processes, each timed from
// its start to its exit, next to a bare process.
//
//   cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DKORVANE_BENCH=ON -DKORVANE_TESTS=OFF
//   cmake --build build-bench --target bench_remote korvane && build-bench/bench/bench_remote
#include <sys/socket.h>
#include <sys/un.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/owners.h"
#include "bench_library.h"
#include "bench_private.h"
#include "bench_timing.h"
#include "bench_tmux.h"
#include "remote/sock.h"

namespace
{

constexpr int BURST = 1000; // BURST - 1 new playlists, then G
constexpr int DASH_C_RUNS = 200;

// The library window shows the end of the registry, the cursor on its last
// row: the BURST - 1 playlists in the order they were made, after the two
// pseudo-playlists, each marked "+" as not saved.
bool burst_shown(const std::vector<std::string> &rows)
{
	const int n = 2 + BURST - 1;
	if (rows.size() != static_cast<size_t>(SCREEN_ROWS) ||
	    rows[23] != bench_library_status(n, n))
		return false;
	for (int r = 0; r < WINDOW_ROWS; r++) {
		const int index = n - WINDOW_ROWS + r; // in the registry
		const std::string &row = rows[2 + static_cast<size_t>(r)];
		const std::string name = bench_playlist_name(index - 1);
		if (row.size() < 1 + name.size() || row[0] != '+' ||
		    row.compare(1, name.size(), name) != 0)
			return false;
	}
	return true;
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
		if (bench_run(argv, env, nullptr, &cpu) != 0) {
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
	printf("  %-30s %6.2f %6.2f %6.2f   %6.2f %6.2f\n", name,
	       bench_percentile(t.wall, 0.5) * 1e3, bench_percentile(t.wall, 0.9) * 1e3,
	       *std::max_element(t.wall.begin(), t.wall.end()) * 1e3,
	       bench_percentile(t.cpu, 0.5) * 1e3,
	       *std::max_element(t.cpu.begin(), t.cpu.end()) * 1e3);
}

} // namespace

int main(int argc, char *argv[])
{
	std::string korvane = argc > 1 ? argv[1] : KORVANE_BINARY;

	const std::string tmpl = bench_private_dir("remote");
	std::string dir = tmpl, home = dir + "/home";
	bench_make_library(100, 1);
	bench_make_home(home);

	int status = 0;
	{
		tmux_korvane screen(dir, "burst", korvane, home);
		if (!screen.came_up()) {
			fprintf(stderr, "bench_remote: korvane did not come up\n");
			return 1;
		}

		// The burst, from one blocking socket as korvane -c sends.
		std::vector<std::string> burst;
		for (int i = 1; i < BURST; i++)
			burst.push_back("new " + bench_playlist_name(i));
		burst.push_back("jumpto_line");
		unique_fd fd(socket(AF_UNIX, SOCK_DGRAM, 0));
		sockaddr_un addr = {};
		addr.sun_family = AF_UNIX;
		strcpy(addr.sun_path, SOCK_PATH);
		auto start = clock_type::now();
		for (const std::string &text : burst)
			if (sendto(fd.get(), text.data(), text.size(), 0,
			           reinterpret_cast<sockaddr *>(&addr), sizeof addr) == -1)
				bench_die("sendto");
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
			       shown, bench_verdict(shown <= 1.0));
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
			               rows[23] == bench_library_status(n - DASH_C_RUNS, n);
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
		       bench_verdict(worst <= 0.005), over, DASH_C_RUNS,
		       bench_verdict(bench_percentile(dash_c.wall, 0.5) <= 0.005));
		if (handled < 0) {
			printf("  WRONG: the instance did not move up %d lines\n", DASH_C_RUNS);
			status = 1;
		}
	}

	bench_run({ "rm", "-rf", dir });
	return status;
}
