// korvane on an 80x24 terminal of a tmux server of the benchmark's own, for
// the benchmarks of the remote-control socket: the processes they run, the
// instance with a HOME of its own, and what its screen shows.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

#include "bench_timing.h"

constexpr int SCREEN_COLS = 80, SCREEN_ROWS = 24;
constexpr int WINDOW_ROWS = SCREEN_ROWS - 3; // the library window

// Ends the benchmark with what failed and the system's error.
[[noreturn]] void bench_die(const std::string &what);
const char *bench_verdict(bool met);

// Runs argv to its end with the environment env; its exit status, or -1.
// out, when given, gets its standard output; cpu the CPU time it used, user
// and system.
int bench_run(const std::vector<std::string> &argv, const std::vector<std::string> &env = {},
              std::string *out = nullptr, double *cpu = nullptr);

// korvane on a terminal of its own, on a tmux server of the benchmark's
// (its socket in dir, named after name), with HOME=home.
class tmux_korvane
{
public:
	tmux_korvane(const std::string &dir, const std::string &name, const std::string &korvane,
	             const std::string &home);
	// Ends the server and waits for korvane to be gone, so that it does not
	// unlink the socket file under the next instance.
	~tmux_korvane();
	tmux_korvane(const tmux_korvane &) = delete;
	tmux_korvane &operator=(const tmux_korvane &) = delete;

	// Types keys on korvane's terminal: tmux key names, or text as it is.
	void keys(const std::vector<std::string> &keys, bool literal = false) const;
	// The screen's rows, without trailing blanks.
	std::vector<std::string> rows() const;
	// Waits until the screen satisfies pred, for at most limit seconds;
	// the seconds since start when it did, or -1.
	double wait_until(const std::function<bool(const std::vector<std::string> &)> &pred,
	                  clock_type::time_point start, double limit) const;
	// Waits until korvane shows its library window with the cursor on the
	// first of its two pseudo-playlists.
	bool came_up() const;
	// korvane's process id.
	pid_t pane_pid() const;

private:
	std::string socket;
};

// Makes a HOME for one instance: the database of the library in memory (as
// bench_make_library leaves it), an empty playlists directory and a player
// that stays silent.
void bench_make_home(const std::string &home);

// The status bar of the library window with the cursor on line of n rows.
std::string bench_library_status(int line, int n);
// The playlists the benchmarks make: b0000, b0001, ...
std::string bench_playlist_name(int i);

double bench_percentile(std::vector<double> v, double p);
// The time the process has run on a CPU so far, in seconds (from its
// schedstat, finer than clock ticks); -1 when the system does not say.
double bench_run_seconds(pid_t pid);
