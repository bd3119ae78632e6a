// The interactive program with a library of 100,000 records: start-up until
// the first full paint, peak memory and idle CPU of the real binary on a
// pseudo-terminal, and single keys and a full repaint in-process on a
// headless screen, each next to a baseline measured in the same run.
//
//   cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DKORVANE_BENCH=ON -DKORVANE_TESTS=OFF
//   cmake --build build-bench --target bench_screen korvane && build-bench/bench/bench_screen
#include <curses.h>
#include <malloc.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "base/globals.h"
#include "base/owners.h"
#include "bench_areas.h"
#include "bench_library.h"
#include "bench_private.h"
#include "bench_timing.h"
#include "core/startup.h"
#include "bindings/keybindings.h"
#include "input/input.h"
#include "keys/kb_execute.h"
#include "library/db_file.h"
#include "library/medialib.h"
#include "meta/mi_query.h"
#include "meta/mi_sort.h"
#include "screen/colors.h"
#include "screen/paint.h"
#include "screen/paint_text.h"
#include "screen/ui.h"

namespace
{

constexpr int SCREEN_ROWS = 50, SCREEN_COLS = 160, LIBRARY_WIDTH = 18;
constexpr int NRECORDS = 100000;
constexpr int STARTUP_RUNS = 11;
constexpr double IDLE_SECONDS = 10;
constexpr int CTRL_F = 6;
constexpr int AREA_RUNS = 5;
constexpr const char *LOAD_AND_SORT = "--load-and-sort";
constexpr const char *KEYS = "--keys";
constexpr const char *SORTED_MARK = "[sorted]";
constexpr std::string_view IDLE_PROMPT = ":mode lo"; // typed and left open while idle

[[noreturn]] void die(const std::string &what)
{
	fprintf(stderr, "bench_screen: %s: %s\n", what.c_str(), strerror(errno));
	exit(1);
}

double best(const std::vector<double> &v)
{
	return *std::min_element(v.begin(), v.end());
}

const char *verdict(bool met)
{
	return met ? "met" : "MISSED";
}

// What start-up does before the screen: the shared state, the load of the
// database and playlists, and the sort of the library.
void load_and_sort(const std::string &db, const std::string &playlists)
{
	mi_query_init();
	mi_sort_init();
	mi_display_init();
	medialib_load(db, playlists);
	std::sort(medialib.library->files.begin(), medialib.library->files.end(),
	          [](const meta_info *a, const meta_info *b) { return mi_compare(a, b) < 0; });
}

// A child process whose standard input, output and error are a new
// pseudo-terminal of SCREEN_ROWS x SCREEN_COLS; its master side is read here.
class pty_child
{
public:
	explicit pty_child(const std::function<void()> &run)
	{
		winsize ws = {};
		ws.ws_row = SCREEN_ROWS;
		ws.ws_col = SCREEN_COLS;
		int fd;
		pid = forkpty(&fd, nullptr, nullptr, &ws);
		if (pid == -1)
			die("forkpty");
		if (pid == 0) {
			run();
			_exit(127);
		}
		master.reset(fd);
	}
	pty_child(const pty_child &) = delete;
	pty_child &operator=(const pty_child &) = delete;
	~pty_child() { stop(); }

	// Reads on until text appears at or after from in the output; its
	// position, or none at the deadline or the end of the output.
	std::optional<size_t> wait_for(std::string_view text, size_t from, double timeout)
	{
		auto start = clock_type::now();
		for (;;) {
			size_t at = out.find(text, from);
			if (at != std::string::npos)
				return at;
			double left = timeout - seconds_since(start);
			if (left <= 0 || !read_some(static_cast<int>(left * 1000) + 1))
				return std::nullopt;
		}
	}

	// Writes text on the terminal as if typed.
	void type(std::string_view text)
	{
		if (write(master.get(), text.data(), text.size()) !=
		    static_cast<ssize_t>(text.size()))
			die("write to the terminal");
	}

	// Reads and drops the output for a while; the number of bytes read.
	size_t drain(double seconds)
	{
		size_t before = dropped + out.size();
		auto start = clock_type::now();
		double left;
		while ((left = seconds - seconds_since(start)) > 0)
			if (!read_some(static_cast<int>(left * 1000) + 1, false))
				break;
		return dropped + out.size() - before;
	}

	// Reads the output, keeping none, until the end or the deadline, while
	// also collecting everything from other_fd until its end.
	void drain_while_reading(int other_fd, std::string &other, double timeout)
	{
		auto start = clock_type::now();
		bool other_open = true;
		while (other_open && seconds_since(start) < timeout) {
			pollfd fds[2] = { { master.get(), POLLIN, 0 }, { other_fd, POLLIN, 0 } };
			if (poll(fds, 2, 100) == -1 && errno != EINTR)
				die("poll");
			char buf[65536];
			if (fds[0].revents != 0 && !eof) {
				ssize_t n = read(master.get(), buf, sizeof buf);
				if (n <= 0)
					eof = true;
			}
			if (fds[1].revents != 0) {
				ssize_t n = read(other_fd, buf, sizeof buf);
				if (n > 0)
					other.append(buf, static_cast<size_t>(n));
				else
					other_open = false;
			}
		}
	}

	// Ends the child with SIGTERM, reads what it still writes and reaps it;
	// its wait status.
	int stop()
	{
		if (pid <= 0)
			return 0;
		kill(pid, SIGTERM);
		auto start = clock_type::now();
		while (!eof && seconds_since(start) < 5)
			read_some(100, false);
		int status = 0;
		if (waitpid(pid, &status, WNOHANG) == 0) {
			kill(pid, SIGKILL);
			waitpid(pid, &status, 0);
		}
		pid = 0;
		master.reset();
		return status;
	}

	pid_t pid = 0;
	std::string out;

private:
	// One wait of at most timeout_ms for output and one read; false at the
	// end of the output (the terminal's other side closed).
	bool read_some(int timeout_ms, bool keep = true)
	{
		if (eof)
			return false;
		pollfd p = { master.get(), POLLIN, 0 };
		int n = poll(&p, 1, timeout_ms);
		if (n == -1 && errno != EINTR)
			die("poll");
		if (n <= 0)
			return true;
		char buf[65536];
		ssize_t got = read(master.get(), buf, sizeof buf);
		if (got <= 0) {
			eof = true;
			return false;
		}
		if (keep)
			out.append(buf, static_cast<size_t>(got));
		else
			dropped += static_cast<size_t>(got);
		return true;
	}

	unique_fd master;
	bool eof = false;
	size_t dropped = 0;
};

// A number from /proc/<pid>/status (sizes in kB); -1 when missing.
long proc_status(pid_t pid, const std::string &field)
{
	std::ifstream f("/proc/" + std::to_string(pid) + "/status");
	std::string line;
	while (std::getline(f, line))
		if (line.starts_with(field + ":"))
			return std::stol(line.substr(field.size() + 1));
	return -1;
}

// The CPU time the process has used so far, user and system, in seconds,
// as /proc/<pid>/stat counts it (clock ticks).
double proc_cpu_seconds(pid_t pid)
{
	std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
	std::string all((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
	std::istringstream rest(all.substr(all.rfind(')') + 2));
	std::vector<std::string> fields;
	std::string word;
	while (rest >> word)
		fields.push_back(word);
	// Fields 14 and 15 of the file; the rest starts at field 3.
	double ticks = std::stod(fields.at(11)) + std::stod(fields.at(12));
	return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// The time the process has run on a CPU, in nanoseconds, finer than the
// clock ticks; -1 when the system does not say.
double proc_run_ns(pid_t pid)
{
	std::ifstream f("/proc/" + std::to_string(pid) + "/schedstat");
	double ns = -1;
	f >> ns;
	return f ? ns : -1;
}

// The text that the first full paint puts last in the playlist window: a run
// of its last row that curses can only write out character by character
// (no blanks, no character twice in a row).
std::string last_row_mark()
{
	const int width = SCREEN_COLS - LIBRARY_WIDTH - 1;
	const meta_info &mi = *medialib.library->files.at(SCREEN_ROWS - 4);
	std::string line(static_cast<size_t>(width), ' ');
	if (!row_has_columns(mi, mi_display_desc))
		line = pad_text(mi.filename.value_or(""), width, MI_ALIGN_LEFT);
	else
		for (const row_column &c : row_columns(mi, mi_display_desc, 0, width))
			line.replace(static_cast<size_t>(c.x), c.text.size(), c.text);

	std::string longest, run;
	for (char c : line + " ") {
		if (c == ' ' || (!run.empty() && run.back() == c)) {
			if (run.size() > longest.size())
				longest = run;
			run.clear();
		}
		if (c != ' ')
			run += c;
	}
	return longest;
}

// What a child runs: the program argv[0] with argv and the environment env.
std::function<void()> exec_of(const std::vector<std::string> &argv,
                              const std::vector<std::string> &env)
{
	return [argv, env] {
		std::vector<char *> args, envp;
		for (const std::string &a : argv)
			args.push_back(const_cast<char *>(a.c_str()));
		args.push_back(nullptr);
		for (const std::string &e : env)
			envp.push_back(const_cast<char *>(e.c_str()));
		envp.push_back(nullptr);
		execve(args[0], args.data(), envp.data());
	};
}

struct startup_figures {
	std::vector<double> seconds, cpu; // wall clock, and the process's CPU time
	long hwm_kb = 0;
};

// Starts argv on the terminal and times it until both first and mark have
// appeared in its output, in either order (the paint writes the areas in an
// order of its own); with idle, also measures the CPU it uses over
// IDLE_SECONDS after that, having first typed typed (a prompt to hold open)
// when given.
bool time_startup(const std::vector<std::string> &argv, const std::vector<std::string> &env,
                  std::string_view first, std::string_view mark, startup_figures &fig, bool idle,
                  std::string_view typed = {})
{
	std::function<void()> run = exec_of(argv, env);
	auto start = clock_type::now();
	pty_child child(run);
	std::optional<size_t> at = child.wait_for(first, 0, 20);
	if (at)
		at = child.wait_for(mark, 0, 20);
	double elapsed = seconds_since(start);
	double cpu = proc_run_ns(child.pid) / 1e9;
	if (!at) {
		std::string tail = child.out.substr(child.out.size() -
		                                    std::min<size_t>(child.out.size(), 400));
		std::replace_if(
		        tail.begin(), tail.end(), [](char c) { return c < 32 || c > 126; }, '.');
		fprintf(stderr, "bench_screen: %s: no \"%.*s\" in its output; its end: %s\n",
		        argv[0].c_str(), static_cast<int>(mark.size()), mark.data(), tail.c_str());
		return false;
	}
	fig.seconds.push_back(elapsed);
	fig.cpu.push_back(cpu >= 0 ? cpu : proc_cpu_seconds(child.pid));
	fig.hwm_kb = std::max(fig.hwm_kb, proc_status(child.pid, "VmHWM"));

	if (idle) {
		// The rest of the paint's last refresh, after the mark, is no idling.
		child.drain(0.5);
		if (!typed.empty()) {
			// The prompt's echo: its last two characters, written together.
			const size_t from = child.out.size();
			child.type(typed);
			if (!child.wait_for(typed.substr(typed.size() - 2), from, 5)) {
				fprintf(stderr, "bench_screen: the typed \"%.*s\" was not echoed\n",
				        static_cast<int>(typed.size()), typed.data());
				return false;
			}
			child.drain(0.5);
		}
		double cpu0 = proc_cpu_seconds(child.pid), ns0 = proc_run_ns(child.pid);
		long sw0 = proc_status(child.pid, "voluntary_ctxt_switches");
		size_t bytes = child.drain(IDLE_SECONDS);
		double idle_cpu = proc_cpu_seconds(child.pid) - cpu0;
		double ns = proc_run_ns(child.pid) - ns0;
		long wakeups = proc_status(child.pid, "voluntary_ctxt_switches") - sw0;
		if (typed.empty())
			printf("idle for %.0f s after the first paint:\n", IDLE_SECONDS);
		else
			printf("idle for %.0f s after the first paint, a prompt open with \"%.*s\" "
			       "typed:\n",
			       IDLE_SECONDS, static_cast<int>(typed.size()), typed.data());
		printf("  CPU, user and system  %8.3f s   (target <= 0.1 s: %s)\n", idle_cpu,
		       verdict(idle_cpu <= 0.1));
		if (ns0 >= 0)
			printf("  time on a CPU         %8.3f ms\n", ns / 1e6);
		printf("  wake-ups              %8ld\n", wakeups);
		printf("  bytes written         %8zu\n", bytes);
		if (!typed.empty()) {
			// What the real program writes for one more character of the
			// line: the character alone when it repaints only the prompt.
			child.type(typed.substr(typed.size() - 1));
			printf("  then one more character typed: %zu bytes written\n",
			       child.drain(0.5));
		}
	}
	return true;
}

// The baseline process: the load and sort of start-up alone, then a mark on
// the terminal, then a wait for the end.
[[noreturn]] void load_and_sort_main()
{
	globals_init_from_home();
	load_and_sort(db_file, playlist_dir);
	printf("%d records %s\n", medialib.library->nfiles(), SORTED_MARK);
	fflush(stdout);
	for (;;)
		pause();
}

// The samples of one timed operation: wall clock and the thread's CPU time,
// which other work on a shared machine inflates less.
struct samples {
	explicit samples(std::string name) : name(std::move(name)) {}

	std::string name;
	std::vector<double> wall, cpu;

	template <typename F>
	void time(F f)
	{
		const sample s = timed(f);
		wall.push_back(s.wall);
		cpu.push_back(s.cpu);
	}
};

// The in-process half, a process of its own on the terminal (its heap as
// fresh as the program's): the state as start-up builds it, the playlist
// window active, then each key many times. The figures go to result_fd.
[[noreturn]] void keys_main(int result_fd)
{
	globals_init_from_home();
	load_and_sort(db_file, playlist_dir);
	startup_screen();
	paint_all();
	kb_execute(KB_KEY_TAB);
	paint_flush();

	samples j{ "j" }, G{ "G" }, gg{ "g g" }, ctrl_f{ "^F" };
	samples n{ "n, all rows" }, repaint{ "full repaint" };
	samples bare_paint{ "bare paint" }, bare_walk{ "bare walk" };
	swindow &pw = ui.playlist;

	// The cursor walks down the screen, then the view scrolls.
	for (int i = 0; i < 300; i++)
		j.time([] {
			kb_execute('j');
			paint_flush();
		});
	for (int i = 0; i < 50; i++) {
		G.time([] {
			kb_execute('G');
			paint_flush();
		});
		gg.time([] {
			kb_execute('g');
			input_feed('g');
			paint_flush();
		});
	}
	for (int i = 0; i < 200; i++)
		ctrl_f.time([] {
			kb_execute(CTRL_F);
			paint_flush();
		});

	// One record matches, the one just above the cursor: the search walks
	// every other row and wraps. A 'j' after each puts the cursor back.
	const int cursor = NRECORDS / 2;
	numprefix_set(cursor + 1);
	kb_execute('G');
	paint_flush();
	const meta_info *target = medialib.library->files[cursor - 1];
	std::string token = *target->filename;
	for (const auto &text : target->cinfo) {
		std::istringstream words(text.value_or(""));
		std::string w;
		while (words >> w) {
			mi_query_clear();
			mi_query_add_token(w);
			if (w.size() >= 5 && w.size() < token.size() &&
			    std::count_if(medialib.library->files.begin(),
			                  medialib.library->files.end(), mi_match) == 1)
				token = w;
		}
	}
	mi_query_clear();
	mi_query_setraw(token);
	mi_query_add_token(token);
	search_direction = FORWARD;
	int missed = 0;
	for (int i = 0; i < 30; i++) {
		n.time([] {
			kb_execute('n');
			paint_flush();
		});
		missed += pw.cursor_index() != cursor - 1;
		kb_execute('j');
		paint_flush();
	}

	for (int i = 0; i < 50; i++)
		repaint.time([] {
			ui_clear();
			paint_flush();
		});

	// Bare curses: a clear and a whole screen of record texts in one refresh.
	std::vector<std::string> lines;
	for (int r = 0; r < SCREEN_ROWS; r++) {
		std::string line;
		for (const auto &text : medialib.library->files[r]->cinfo)
			line += text.value_or("") + " ";
		line.resize(SCREEN_COLS, ' ');
		lines.push_back(line);
	}
	for (int i = 0; i < 50; i++)
		bare_paint.time([&] {
			clear();
			for (int r = 0; r < SCREEN_ROWS; r++)
				mvaddnstr(r, 0, lines[r].c_str(), SCREEN_COLS);
			refresh();
		});

	// Bare walk: strcasestr of the token over every record's texts and file
	// name, the least that a search through every row has to do.
	int found = 0;
	for (int i = 0; i < 30; i++)
		bare_walk.time([&] {
			found = 0;
			for (const meta_info *mi : medialib.library->files) {
				bool hit =
				        strcasestr(mi->filename->c_str(), token.c_str()) != nullptr;
				for (const auto &text : mi->cinfo)
					hit = hit ||
					      (text && strcasestr(text->c_str(), token.c_str()));
				found += hit;
			}
		});
	const std::vector<key_areas> areas = bench_areas_measure(AREA_RUNS);
	ui_destroy();

	std::string report = std::to_string(token.size()) + " " + std::to_string(found) + " " +
	                     std::to_string(missed) + "\n";
	for (const samples &s : { j, G, gg, ctrl_f, n, repaint, bare_paint, bare_walk }) {
		report += s.name;
		report += '\t';
		for (size_t i = 0; i < s.wall.size(); i++) {
			char num[64];
			snprintf(num, sizeof num, " %.9f %.9f", s.wall[i], s.cpu[i]);
			report += num;
		}
		report += '\n';
	}
	report += bench_areas_report(areas);
	if (write(result_fd, report.data(), report.size()) != static_cast<ssize_t>(report.size()))
		_exit(1);
	close(result_fd);
	_exit(0);
}

// Runs keys_main on a terminal and prints its figures.
void report_keys(const std::string &self, const std::vector<std::string> &env)
{
	int fds[2];
	if (pipe(fds) == -1)
		die("pipe");
	std::string text;
	{
		std::function<void()> run = exec_of({ self, KEYS, std::to_string(fds[1]) }, env);
		pty_child child([&] {
			close(fds[0]);
			run();
		});
		close(fds[1]);
		child.drain_while_reading(fds[0], text, 300);
		close(fds[0]);
	}

	// First the length of the search token, the records it matches and the
	// times 'n' missed its match; then one line an operation: its name, a
	// tab, pairs of wall and CPU time.
	std::vector<samples> all;
	std::istringstream lines(text);
	size_t token_len = 0;
	int found = 0, missed = 0;
	lines >> token_len >> found >> missed;
	std::string line;
	std::vector<key_areas> areas;
	while (std::getline(lines, line)) {
		if (bench_areas_parse(line, areas))
			continue;
		size_t tab = line.find('\t');
		if (tab == std::string::npos)
			continue;
		samples s{ line.substr(0, tab) };
		std::istringstream nums(line.substr(tab + 1));
		double w, c;
		while (nums >> w >> c) {
			s.wall.push_back(w);
			s.cpu.push_back(c);
		}
		all.push_back(s);
	}
	if (all.size() != 8) {
		fprintf(stderr, "bench_screen: the in-process part gave no figures\n");
		exit(1);
	}
	const samples &paint = all[6], &walk = all[7];

	printf("in-process on a %dx%d terminal, %d records, playlist window active; "
	       "median of the runs, wall clock and (CPU time), ms:\n",
	       SCREEN_COLS, SCREEN_ROWS, NRECORDS);
	printf("  bare curses paint     %4zu runs %7.2f (%6.2f)  clear, %d full rows, one "
	       "refresh\n",
	       paint.wall.size(), median(paint.wall) * 1e3, median(paint.cpu) * 1e3, SCREEN_ROWS);
	printf("  bare walk             %4zu runs %7.2f (%6.2f)  strcasestr of the %zu-byte "
	       "token over every record\n",
	       walk.wall.size(), median(walk.wall) * 1e3, median(walk.cpu) * 1e3, token_len);
	for (int i = 0; i < 6; i++) {
		const samples &s = all[static_cast<size_t>(i)];
		const samples &base = i == 4 ? walk : paint;
		double m = median(s.wall);
		printf("  %-14s %4zu runs %7.2f (%6.2f)  %5.2fx bare %s; target <= 30 ms: %s\n",
		       s.name.c_str(), s.wall.size(), m * 1e3, median(s.cpu) * 1e3,
		       m / median(base.wall), i == 4 ? "walk " : "paint", verdict(m <= 0.030));
	}
	if (found != 1 || missed != 0)
		printf("  WRONG: the token matches %d records; 'n' missed it %d times\n", found,
		       missed);
	bench_areas_print(areas);
}

} // namespace

int main(int argc, char *argv[])
{
	if (argc > 1 && strcmp(argv[1], LOAD_AND_SORT) == 0)
		load_and_sort_main();
	if (argc > 2 && strcmp(argv[1], KEYS) == 0)
		keys_main(atoi(argv[2]));
	std::string korvane = argc > 1 ? argv[1] : KORVANE_BINARY;

	const std::string tmpl = bench_private_dir("screen");
	std::string home = tmpl, conf = home + "/.korvane";
	std::string db = conf + "/korvane.db", playlists = conf + "/playlists";
	if (mkdir(conf.c_str(), 0700) == -1 || mkdir(playlists.c_str(), 0700) == -1)
		die("mkdir");

	bench_make_library(NRECORDS, 1);
	medialib_db_save(db);

	// The in-process load and sort, for reference; the baseline is the
	// same work as a process of its own.
	double in_process = 1e9;
	for (int i = 0; i < 3; i++)
		in_process = std::min(in_process, timed([&] { load_and_sort(db, playlists); }).wall);
	std::string mark = last_row_mark();
	medialib_destroy();
	malloc_trim(0);

	char self[4096];
	ssize_t len = readlink("/proc/self/exe", self, sizeof self - 1);
	if (len <= 0)
		die("readlink /proc/self/exe");
	self[len] = '\0';
	std::vector<std::string> env = { "HOME=" + home, "TERM=xterm", "PATH=/usr/bin:/bin" };

	startup_figures base, prog;
	for (int i = 0; i < STARTUP_RUNS; i++) {
		if (!time_startup({ self, LOAD_AND_SORT }, env, SORTED_MARK, SORTED_MARK, base,
		                  false) ||
		    !time_startup({ korvane }, env, "[library]", mark, prog, false))
			return 1;
	}

	printf("start-up with %d records until the first full paint, %dx%d terminal, "
	       "%d runs each;\nmedian and best, wall clock and (CPU time of the process), s:\n",
	       NRECORDS, SCREEN_COLS, SCREEN_ROWS, STARTUP_RUNS);
	printf("  load and sort in-process          %.3f (best of 3)\n", in_process);
	printf("  baseline process: load and sort   %.3f (%.3f)  best %.3f (%.3f)\n",
	       median(base.seconds), median(base.cpu), best(base.seconds), best(base.cpu));
	printf("  korvane to the first full paint   %.3f (%.3f)  best %.3f (%.3f)  "
	       "target <= 0.3 s: %s\n",
	       median(prog.seconds), median(prog.cpu), best(prog.seconds), best(prog.cpu),
	       verdict(median(prog.seconds) <= 0.3));
	double ratio = median(prog.seconds) / median(base.seconds);
	printf("  korvane / baseline                %.2fx (%.2fx)  best %.2fx (%.2fx)  "
	       "target <= 1.6x: %s\n",
	       ratio, median(prog.cpu) / median(base.cpu), best(prog.seconds) / best(base.seconds),
	       best(prog.cpu) / best(base.cpu), verdict(ratio <= 1.6));
	printf("peak resident memory after the first paint:\n");
	double base_mb = static_cast<double>(base.hwm_kb) * 1024 / 1e6;
	double prog_mb = static_cast<double>(prog.hwm_kb) * 1024 / 1e6;
	printf("  baseline process: load and sort   %5.1f MB\n", base_mb);
	printf("  korvane                           %5.1f MB  target <= 80 MB: %s\n", prog_mb,
	       verdict(prog_mb <= 80));
	fflush(stdout);

	startup_figures idle, idle_prompt;
	if (!time_startup({ korvane }, env, "[library]", mark, idle, true))
		return 1;
	fflush(stdout);
	if (!time_startup({ korvane }, env, "[library]", mark, idle_prompt, true, IDLE_PROMPT))
		return 1;
	fflush(stdout);

	report_keys(self, env);

	unlink(db.c_str());
	rmdir(playlists.c_str());
	rmdir(conf.c_str());
	rmdir(home.c_str());
	return 0;
}
