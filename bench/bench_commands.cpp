// The ':' commands that walk the whole library, at 100,000 records on a
// headless screen (curses on a pseudo-terminal that nobody looks at): a
// filter with two tokens, a sort with a three-field description, and a
// reload of the database, each next to the bare work at its core measured
// in the same run.
//
//   cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DKORVANE_BENCH=ON -DKORVANE_TESTS=OFF
//   cmake --build build-bench --target bench_commands && build-bench/bench/bench_commands
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "base/globals.h"
#include "bench_library.h"
#include "bench_timing.h"
#include "commands/cmd.h"
#include "bindings/keybindings.h"
#include "library/db_file.h"
#include "library/medialib.h"
#include "meta/mi_query.h"
#include "meta/mi_sort.h"
#include "screen/colors.h"
#include "screen/paint.h"
#include "screen/ui.h"

namespace
{

constexpr int SCREEN_ROWS = 50, SCREEN_COLS = 160;
constexpr int NRECORDS = 100000;
constexpr const char *FILTER_LINE = "filter ab !zq";
constexpr const char *SORT_DESCRIPTION = "artist,-year,title";
// Runs of the filter, the sort and the reload, and their targets in seconds.
constexpr int RUNS[3] = { 21, 9, 5 };
constexpr double TARGETS[3] = { 0.050, 0.150, 0.300 };

[[noreturn]] void die(const std::string &what)
{
	fprintf(stderr, "bench_commands: %s: %s\n", what.c_str(), strerror(errno));
	exit(1);
}

struct figure {
	std::string name;
	std::vector<sample> command, bare;
};

// "wall cpu" pairs, one a sample.
std::string samples_text(const std::vector<sample> &v)
{
	std::string text;
	char num[64];
	for (const sample &x : v) {
		snprintf(num, sizeof num, " %.6f %.6f", x.wall, x.cpu);
		text += num;
	}
	return text;
}

// The medians of the wall clock and CPU times.
sample medians(std::istringstream in)
{
	std::vector<double> wall, cpu;
	for (double w, c; in >> w >> c;) {
		wall.push_back(w);
		cpu.push_back(c);
	}
	return { median(wall), median(cpu) };
}

// The program's state after start-up on the terminal the process has, then
// each command many times; the figures go to result_fd, one line each: the
// name, a tab, the command's samples, a '|', the bare samples.
[[noreturn]] void commands_main(int result_fd)
{
	mi_query_init();
	mi_sort_init();
	mi_display_init();
	medialib_load(db_file, playlist_dir);
	std::vector<meta_info *> started = medialib.library->files;
	std::sort(started.begin(), started.end(),
	          [](const meta_info *a, const meta_info *b) { return mi_compare(a, b) < 0; });
	medialib.library->files = started;
	kb_init();
	ui_init(18);
	paint_setup_colors();
	show_playlist(medialib.library);
	paint_all();
	paint_flush();

	figure filter{ "filter, two tokens", {}, {} };
	int matched = 0, mismatch = 0;
	for (int i = 0; i < RUNS[0]; i++) {
		show_playlist(medialib.library);
		paint_flush();
		filter.command.push_back(timed([] {
			cmd_execute(FILTER_LINE);
			paint_flush();
		}));
		matched = medialib.filter_results->nfiles();
		int n = 0;
		// The same tests over the records in the order they lie in memory.
		filter.bare.push_back(timed([&] {
			for (const mi_ptr &mi : medialib.records)
				n += mi_match(mi.get());
		}));
		mismatch = matched - n;
	}

	// Each sort starts from the order start-up left.
	figure sort{ "sort, three fields", {}, {} };
	std::optional<std::string> err;
	for (int i = 0; i < RUNS[1]; i++) {
		show_playlist(medialib.library);
		paint_flush();
		medialib.library->files = started;
		mi_sort_init();
		sort.command.push_back(
		        timed([] {
			cmd_execute(std::string("sort ") + SORT_DESCRIPTION);
			paint_flush();
		}));
		std::vector<meta_info *> files = started;
		mi_sort_set(SORT_DESCRIPTION, err);
		sort.bare.push_back(timed([&] {
			std::sort(files.begin(), files.end(),
			          [](const meta_info *a, const meta_info *b) {
				          return mi_compare(a, b) < 0;
			          });
		}));
	}

	figure reload{ "reload db", {}, {} };
	for (int i = 0; i < RUNS[2]; i++) {
		reload.command.push_back(timed([] {
			cmd_execute("reload db");
			paint_flush();
		}));
		reload.bare.push_back(timed([] {
			medialib_destroy();
			medialib_load(db_file, playlist_dir);
		}));
	}
	show_playlist(medialib.library);
		paint_flush();
	ui_destroy();

	std::string report = std::to_string(matched) + " " + std::to_string(mismatch) + "\n";
	for (const figure &f : { filter, sort, reload }) {
		report += f.name + "\t" + samples_text(f.command) + " |" + samples_text(f.bare) +
		          "\n";
	}
	if (write(result_fd, report.data(), report.size()) != static_cast<ssize_t>(report.size()))
		_exit(1);
	_exit(0);
}

// Runs commands_main on a new pseudo-terminal, reading and dropping what it
// draws, and gives its report.
std::string run_on_terminal()
{
	int fds[2];
	if (pipe(fds) == -1)
		die("pipe");
	winsize ws = {};
	ws.ws_row = SCREEN_ROWS;
	ws.ws_col = SCREEN_COLS;
	int master;
	pid_t pid = forkpty(&master, nullptr, nullptr, &ws);
	if (pid == -1)
		die("forkpty");
	if (pid == 0) {
		close(fds[0]);
		setenv("TERM", "xterm", 1);
		commands_main(fds[1]);
	}
	close(fds[1]);

	std::string report;
	bool open = true;
	while (open) {
		pollfd p[2] = { { master, POLLIN, 0 }, { fds[0], POLLIN, 0 } };
		if (poll(p, 2, 1000) == -1 && errno != EINTR)
			die("poll");
		char buf[65536];
		if (p[0].revents != 0 && read(master, buf, sizeof buf) <= 0)
			p[0].fd = -1;
		if (p[1].revents != 0) {
			ssize_t n = read(fds[0], buf, sizeof buf);
			if (n > 0)
				report.append(buf, static_cast<size_t>(n));
			else
				open = false;
		}
	}
	int status;
	waitpid(pid, &status, 0);
	close(master);
	close(fds[0]);
	if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
		die("the run on the terminal failed");
	return report;
}

} // namespace

int main()
{
	char tmpl[] = "/tmp/korvane-bench-commands.XXXXXX";
	if (mkdtemp(tmpl) == nullptr)
		die("mkdtemp");
	const std::string home = tmpl;
	db_file = home + "/korvane.db";
	playlist_dir = home + "/playlists";
	conf_file = home + "/korvane.conf";
	if (mkdir(playlist_dir.c_str(), 0700) == -1)
		die("mkdir");
	bench_make_library(NRECORDS, 1);
	medialib_db_save(db_file);
	medialib_destroy();

	std::istringstream lines(run_on_terminal());
	int matched = 0, mismatch = 0;
	lines >> matched >> mismatch;
	printf("%d records on a headless %dx%d screen; median of the runs, wall clock and\n"
	       "(CPU time of the thread), ms; the filter \"%s\" keeps %d records:\n",
	       NRECORDS, SCREEN_COLS, SCREEN_ROWS, FILTER_LINE, matched);
	const char *bare_names[] = { "mi_match, records in memory order",
		                     "std::sort with mi_compare",
		                     "medialib_destroy and medialib_load" };
	std::string line;
	std::getline(lines, line);
	for (int i = 0; i < 3 && std::getline(lines, line); i++) {
		size_t tab = line.find('\t'), bar = line.find('|');
		sample c = medians(std::istringstream(line.substr(tab + 1, bar - tab - 1)));
		sample b = medians(std::istringstream(line.substr(bar + 1)));
		// On a loaded machine the wall clock also counts the waits for a
		// CPU, hence the verdict on both.
		printf("  :%-20s %2d runs %7.1f (%7.1f)  target <= %3.0f ms: %s (CPU %s)\n",
		       line.substr(0, tab).c_str(), RUNS[i], c.wall * 1e3, c.cpu * 1e3,
		       TARGETS[i] * 1e3, c.wall <= TARGETS[i] ? "met" : "MISSED",
		       c.cpu <= TARGETS[i] ? "met" : "MISSED");
		printf("   bare: %-34s %7.1f (%7.1f)  command / bare %.2fx\n", bare_names[i],
		       b.wall * 1e3, b.cpu * 1e3, c.wall / b.wall);
	}
	if (mismatch != 0)
		printf("  WRONG: the filter and the bare match differ by %d records\n", mismatch);

	unlink(db_file.c_str());
	rmdir(playlist_dir.c_str());
	rmdir(home.c_str());
	return 0;
}
