// korvane -c while a ':' line is being typed: 1,000 of them one after the
// other, each timed from its start to its exit, while the line stays open on
// the terminal, against the same 1,000 with no prompt open; the order they
// ran in read back from the library window, and the typed line finished and
// run after them.
//
//   cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DKORVANE_BENCH=ON -DKORVANE_TESTS=OFF
//   cmake --build build-bench --target bench_prompt korvane && build-bench/bench/bench_prompt
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "bench_library.h"
#include "bench_private.h"
#include "bench_timing.h"
#include "bench_tmux.h"

namespace
{

constexpr int ORDERED = 1000; // korvane -c 'new b0000' to 'new b0999'
constexpr double SLOW_DASH_C = 0.1;
// The ':' line typed before the 1,000 and finished after them.
constexpr const char *TYPED_BEFORE = ":new typ";
constexpr const char *TYPED_AFTER = "ed";
constexpr const char *TYPED_NAME = "typed";

// The playlist names in the rows of the library window: each from the
// second column (the first holds the mark of unsaved changes).
std::vector<std::string> library_names(const std::vector<std::string> &rows)
{
	std::vector<std::string> names;
	for (int r = 0; r < WINDOW_ROWS && 2 + static_cast<size_t>(r) < rows.size(); r++) {
		const std::string &row = rows[2 + static_cast<size_t>(r)];
		size_t end = 1;
		while (end < row.size() && (isalnum(static_cast<unsigned char>(row[end])) ||
		                            row[end] == '-' || row[end] == '_'))
			end++;
		if (end > 1)
			names.push_back(row.substr(1, end - 1));
	}
	return names;
}

// The screen once it has settled after a key: two captures alike, the status
// bar other than before.
std::optional<std::vector<std::string>> settled_after(const tmux_korvane &screen,
                                                      const std::string &status_before)
{
	std::vector<std::string> last;
	if (screen.wait_until(
	            [&](const std::vector<std::string> &rows) {
		            bool same = rows == last;
		            last = rows;
		            return same && rows.size() == SCREEN_ROWS && rows[23] != status_before;
	            },
	            clock_type::now(), 5) < 0)
		return std::nullopt;
	return last;
}

// Every playlist the library window lists, top to bottom, read from its
// first line down half a window (^D) at a time, each view joined where it
// overlaps the one before; nothing (and why) when it cannot be read so.
std::optional<std::vector<std::string>> read_registry(const tmux_korvane &screen, int n,
                                                      std::string &why)
{
	screen.keys({ "g", "g" });
	std::vector<std::string> rows;
	if (screen.wait_until(
	            [&](const std::vector<std::string> &r) {
		            rows = r;
		            return r.size() == SCREEN_ROWS && r[23] == bench_library_status(1, n);
	            },
	            clock_type::now(), 5) < 0) {
		why = "'g g' did not bring the cursor to line 1 of " + std::to_string(n);
		return std::nullopt;
	}
	std::vector<std::string> all = library_names(rows);
	while (rows[23] != bench_library_status(n, n)) {
		screen.keys({ "C-d" });
		std::optional<std::vector<std::string>> next = settled_after(screen, rows[23]);
		if (!next) {
			why = "^D did not move the cursor from \"" + rows[23] + "\"";
			return std::nullopt;
		}
		rows = *next;
		std::vector<std::string> names = library_names(rows);
		auto at = names.empty() ? all.end() : std::find(all.begin(), all.end(), names[0]);
		const size_t overlap = static_cast<size_t>(all.end() - at);
		if (at == all.end() || overlap > names.size() ||
		    !std::equal(at, all.end(), names.begin())) {
			why = "a view after ^D does not continue the one before it";
			return std::nullopt;
		}
		all.insert(all.end(), names.begin() + static_cast<long>(overlap), names.end());
	}
	return all;
}

// The first difference of two lists of names, for a report.
std::string first_difference(const std::vector<std::string> &got,
                             const std::vector<std::string> &want)
{
	size_t i = 0;
	while (i < got.size() && i < want.size() && got[i] == want[i])
		i++;
	auto at = [](const std::vector<std::string> &v, size_t i) {
		return i < v.size() ? v[i] : std::string("(end)");
	};
	return "line " + std::to_string(i + 1) + " shows " + at(got, i) + " where " + at(want, i) +
	       " belongs (" + std::to_string(got.size()) + " of " + std::to_string(want.size()) +
	       " lines)";
}

// What one instance made of ORDERED korvane -c, with or without a prompt.
struct ordered_figures {
	std::vector<double> wall, cpu; // of each korvane -c
	int failed = 0;                // ended with a status other than 0
	long slow = 0;                 // took more than SLOW_DASH_C
	double handled = -1;           // from the last return until its message showed
	double instance_cpu = -1;      // korvane's time on a CPU meanwhile
	bool in_order = false;
	std::string order_note; // what was wrong with the order
	int files = 0;          // playlist files saved
	bool typed_kept = false, typed_ran = false;
};

// A fresh instance; with prompt, TYPED_BEFORE typed on its terminal first.
// Then ORDERED korvane -c 'new bNNNN', each timed; the wait until the
// instance showed the last one handled; with prompt, the line finished and
// run. Then the order: the library window must list the two
// pseudo-playlists, b0000 to b0999 as sent and, with prompt, the typed
// playlist last.
ordered_figures ordered_run(const std::string &dir, const std::string &korvane, bool prompt)
{
	ordered_figures fig;
	const std::string name = prompt ? "prompt" : "plain";
	const std::string home = dir + "/home-" + name;
	bench_make_home(home);
	tmux_korvane screen(dir, name, korvane, home);
	if (!screen.came_up()) {
		fprintf(stderr, "bench_prompt: korvane did not come up\n");
		exit(1);
	}
	std::vector<std::string> want = library_names(screen.rows());
	if (prompt) {
		screen.keys({ TYPED_BEFORE }, true);
		if (screen.wait_until(
		            [](const std::vector<std::string> &rows) {
			            return rows.size() == SCREEN_ROWS && rows[23] == TYPED_BEFORE;
		            },
		            clock_type::now(), 5) < 0) {
			fprintf(stderr, "bench_prompt: the ':' line did not open\n");
			exit(1);
		}
	}

	std::vector<std::string> env = { "HOME=" + home, "PATH=/usr/bin:/bin" };
	const pid_t pid = screen.pane_pid();
	const double cpu0 = bench_run_seconds(pid);
	for (int i = 0; i < ORDERED; i++) {
		want.push_back(bench_playlist_name(i));
		double cpu = 0;
		auto start = clock_type::now();
		if (bench_run({ korvane, "-c", "new " + bench_playlist_name(i) }, env, nullptr,
		              &cpu) != 0)
			fig.failed++;
		const double wall = seconds_since(start);
		fig.wall.push_back(wall);
		fig.cpu.push_back(cpu);
		fig.slow += wall > SLOW_DASH_C;
	}
	const std::string last = "playlist \"" + bench_playlist_name(ORDERED - 1) + "\" added";
	fig.handled = screen.wait_until(
	        [&](const std::vector<std::string> &rows) {
		        return rows.size() == SCREEN_ROWS &&
		               rows[23].find(last) != std::string::npos;
	        },
	        clock_type::now(), 10);
	if (cpu0 >= 0)
		fig.instance_cpu = bench_run_seconds(pid) - cpu0;

	if (prompt) {
		// The line comes back with the next key, as it was typed.
		const std::string line = std::string(TYPED_BEFORE) + TYPED_AFTER;
		screen.keys({ TYPED_AFTER }, true);
		fig.typed_kept =
		        screen.wait_until(
		                [&](const std::vector<std::string> &rows) {
			                return rows.size() == SCREEN_ROWS && rows[23] == line;
		                },
		                clock_type::now(), 5) >= 0;
		screen.keys({ "Enter" });
		const std::string added = std::string("playlist \"") + TYPED_NAME + "\" added";
		fig.typed_ran = screen.wait_until(
		                        [&](const std::vector<std::string> &rows) {
			                        return rows.size() == SCREEN_ROWS &&
			                               rows[23].find(added) != std::string::npos;
		                        },
		                        clock_type::now(), 5) >= 0;
		want.push_back(TYPED_NAME);
	}

	std::optional<std::vector<std::string>> got =
	        read_registry(screen, static_cast<int>(want.size()), fig.order_note);
	if (got) {
		fig.in_order = *got == want;
		if (!fig.in_order)
			fig.order_note = first_difference(*got, want);
	}
	for (int i = 0; i < ORDERED; i++) {
		struct stat st;
		const std::string file =
		        home + "/.korvane/playlists/" + bench_playlist_name(i) + ".playlist";
		fig.files += stat(file.c_str(), &st) == 0;
	}
	return fig;
}

double worst(const std::vector<double> &v)
{
	return *std::max_element(v.begin(), v.end());
}

void print_ordered(const char *name, const ordered_figures &f)
{
	printf("  %-34s %6.2f %6.2f %7.2f   %6.2f   %4ld %6d\n", name,
	       bench_percentile(f.wall, 0.5) * 1e3, bench_percentile(f.wall, 0.9) * 1e3,
	       worst(f.wall) * 1e3, bench_percentile(f.cpu, 0.5) * 1e3, f.slow, f.failed);
}

// The prompt's run against the plain one, and what each showed.
bool report_ordered(const ordered_figures &plain, const ordered_figures &prompt)
{
	printf("%d korvane -c 'new b0000' to 'new b%04d', one after the other, on a fresh "
	       "instance each;\nwall clock from the fork to the end of the wait and the CPU "
	       "time of the process, ms:\n",
	       ORDERED, ORDERED - 1);
	printf("  %-34s %6s %6s %7s   %6s   %4s %6s\n", "", "median", "90%", "max", "CPU", ">100",
	       "failed");
	print_ordered("no prompt open (baseline)", plain);
	const std::string typed = std::string("':' line open, \"") + TYPED_BEFORE + "\" typed";
	print_ordered(typed.c_str(), prompt);
	printf("  %-34s %5.2fx %5.2fx %6.2fx   %5.2fx\n", "prompt open / baseline",
	       bench_percentile(prompt.wall, 0.5) / bench_percentile(plain.wall, 0.5),
	       bench_percentile(prompt.wall, 0.9) / bench_percentile(plain.wall, 0.9),
	       worst(prompt.wall) / worst(plain.wall),
	       bench_percentile(prompt.cpu, 0.5) / bench_percentile(plain.cpu, 0.5));
	const bool none_slow = prompt.slow == 0 && prompt.failed == 0;
	printf("  with the prompt open, none over 100 ms and all sent: %s\n",
	       bench_verdict(none_slow));

	bool ok = true;
	for (const auto &[label, f] :
	     { std::pair{ "baseline", &plain }, { "prompt open", &prompt } }) {
		printf("  %s:\n", label);
		if (f->handled >= 0)
			printf("    the last one's message shown %.1f ms after it returned\n",
			       f->handled * 1e3);
		else
			printf("    WRONG: the last one's message never showed\n");
		if (f->instance_cpu >= 0)
			printf("    korvane's time on a CPU for them %.1f ms (%.0f us each)\n",
			       f->instance_cpu * 1e3, f->instance_cpu / ORDERED * 1e6);
		printf("    playlist files saved           %d of %d\n", f->files, ORDERED);
		if (f->in_order)
			printf("    all ran in order: the library window lists b0000 to b%04d as "
			       "sent%s\n",
			       ORDERED - 1, f == &prompt ? ", then typed" : "");
		else
			printf("    NOT IN ORDER: %s\n", f->order_note.c_str());
		ok = ok && f->handled >= 0 && f->in_order && f->files == ORDERED;
	}
	printf("  the typed line kept: \"%s\" then \"%s\" shows \"%s%s\": %s; ENTER ran it: %s\n",
	       TYPED_BEFORE, TYPED_AFTER, TYPED_BEFORE, TYPED_AFTER,
	       prompt.typed_kept ? "yes" : "NO", prompt.typed_ran ? "yes" : "NO");
	return ok && prompt.typed_kept && prompt.typed_ran;
}

} // namespace

int main(int argc, char *argv[])
{
	std::string korvane = argc > 1 ? argv[1] : KORVANE_BINARY;
	const std::string dir = bench_private_dir("prompt");
	bench_make_library(100, 1);

	const ordered_figures plain = ordered_run(dir, korvane, false);
	const ordered_figures prompt = ordered_run(dir, korvane, true);
	const bool ok = report_ordered(plain, prompt);

	bench_run({ "rm", "-rf", dir });
	return ok ? 0 : 1;
}
