// The CPU korvane itself uses over 10 s while the real mplayer plays a file
// (silently: ao=null and vo=null in the benchmark's HOME), and over 10 s
// with nothing playing; the player child's CPU is not counted.
//
//   cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DKORVANE_BENCH=ON -DKORVANE_TESTS=OFF
//   cmake --build build-bench --target bench_player korvane && build-bench/bench/bench_player
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/owners.h"
#include "bench_private.h"

namespace
{

constexpr double MEASURE_SECONDS = 10;
constexpr int TONE_SECONDS = 30; // longer than a run, so one file plays throughout

using clock_type = std::chrono::steady_clock;

[[noreturn]] void die(const std::string &what)
{
	fprintf(stderr, "bench_player: %s: %s\n", what.c_str(), strerror(errno));
	exit(1);
}

double seconds_since(clock_type::time_point start)
{
	return std::chrono::duration<double>(clock_type::now() - start).count();
}

// User and system CPU of a process so far, in seconds.
double cpu_seconds(pid_t pid)
{
	std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
	std::string all((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
	std::istringstream rest(all.substr(all.rfind(')') + 2));
	std::vector<std::string> fields;
	for (std::string w; rest >> w;)
		fields.push_back(w);
	return (std::stod(fields.at(11)) + std::stod(fields.at(12))) /
	       static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Time on a CPU in seconds, finer than the clock ticks; -1 when unknown.
double run_seconds(pid_t pid)
{
	std::ifstream f("/proc/" + std::to_string(pid) + "/schedstat");
	double ns = -1;
	f >> ns;
	return f ? ns / 1e9 : -1;
}

long voluntary_switches(pid_t pid)
{
	std::ifstream f("/proc/" + std::to_string(pid) + "/status");
	for (std::string line; std::getline(f, line);)
		if (line.starts_with("voluntary_ctxt_switches:"))
			return std::stol(line.substr(24));
	return -1;
}

// korvane on a pseudo-terminal of its own, its output read and dropped.
class korvane_on_pty
{
public:
	korvane_on_pty(const std::string &korvane, const std::vector<std::string> &env)
	{
		winsize ws = {};
		ws.ws_row = 24;
		ws.ws_col = 80;
		int fd;
		pid = forkpty(&fd, nullptr, nullptr, &ws);
		if (pid == -1)
			die("forkpty");
		if (pid == 0) {
			std::vector<char *> envp;
			for (const std::string &e : env)
				envp.push_back(const_cast<char *>(e.c_str()));
			envp.push_back(nullptr);
			char *argv[] = { const_cast<char *>(korvane.c_str()), nullptr };
			execve(argv[0], argv, envp.data());
			_exit(127);
		}
		master.reset(fd);
	}
	korvane_on_pty(const korvane_on_pty &) = delete;
	korvane_on_pty &operator=(const korvane_on_pty &) = delete;
	~korvane_on_pty()
	{
		kill(pid, SIGTERM);
		read_for(2, "");
		int status;
		if (waitpid(pid, &status, WNOHANG) == 0) {
			kill(pid, SIGKILL);
			waitpid(pid, &status, 0);
		}
	}

	void send(const std::string &keys)
	{
		if (write(master.get(), keys.data(), keys.size()) !=
		    static_cast<ssize_t>(keys.size()))
			die("write to the terminal");
	}

	// Reads for at most seconds, until text appears (never for ""); whether
	// it did. The bytes read are counted.
	bool read_for(double seconds, const std::string &text)
	{
		auto start = clock_type::now();
		std::string seen;
		double left;
		while ((left = seconds - seconds_since(start)) > 0) {
			pollfd p = { master.get(), POLLIN, 0 };
			if (poll(&p, 1, static_cast<int>(left * 1000) + 1) <= 0)
				continue;
			char buf[65536];
			ssize_t n = read(master.get(), buf, sizeof buf);
			if (n <= 0)
				return false;
			bytes += static_cast<size_t>(n);
			if (!text.empty()) {
				seen.append(buf, static_cast<size_t>(n));
				if (seen.find(text) != std::string::npos)
					return true;
				if (seen.size() > 4 * text.size() + 65536)
					seen.erase(0, seen.size() - text.size());
			}
		}
		return false;
	}

	pid_t pid;
	size_t bytes = 0;

private:
	unique_fd master;
};

struct figures {
	double cpu, run;
	long wakeups;
	size_t bytes;
};

figures measure(korvane_on_pty &k)
{
	double cpu0 = cpu_seconds(k.pid), run0 = run_seconds(k.pid);
	long sw0 = voluntary_switches(k.pid);
	size_t bytes0 = k.bytes;
	k.read_for(MEASURE_SECONDS, "");
	return { cpu_seconds(k.pid) - cpu0, run_seconds(k.pid) - run0,
		 voluntary_switches(k.pid) - sw0, k.bytes - bytes0 };
}

void report(const char *what, const figures &f, double target)
{
	printf("%s, %.0f s:\n", what, MEASURE_SECONDS);
	printf("  CPU, user and system  %7.3f s  (%.2f%% of a core; target <= %.1f s: %s)\n", f.cpu,
	       f.cpu * 100 / MEASURE_SECONDS, target, f.cpu <= target ? "met" : "MISSED");
	if (f.run >= 0)
		printf("  time on a CPU         %7.3f ms\n", f.run * 1e3);
	printf("  wake-ups              %7ld\n", f.wakeups);
	printf("  bytes written         %7zu\n", f.bytes);
}

int run(const std::string &korvane, const std::string &home)
{
	const std::string music = home + "/music";
	if (mkdir(music.c_str(), 0700) == -1 || mkdir((home + "/.mplayer").c_str(), 0700) == -1)
		die("mkdir");
	std::ofstream(home + "/.mplayer/config") << "ao=null\nvo=null\n";
	std::string env_prefix = "env -i HOME='" + home + "' PATH=/usr/bin:/bin ";
	std::string make = "sox -q -n -r 44100 -c 1 '" + music + "/tone.ogg' synth " +
	                   std::to_string(TONE_SECONDS) + " sine 440";
	if (system(make.c_str()) != 0 ||
	    system((env_prefix + "'" + korvane + "' -e init > /dev/null 2>&1").c_str()) != 0 ||
	    system((env_prefix + "'" + korvane + "' -e add '" + music + "' > /dev/null 2>&1")
	                   .c_str()) != 0) {
		fprintf(stderr, "bench_player: could not make the library (sox, korvane -e)\n");
		return 1;
	}

	const std::vector<std::string> env = { "HOME=" + home, "TERM=xterm", "PATH=/usr/bin:/bin" };
	{
		korvane_on_pty k(korvane, env);
		if (!k.read_for(20, "[library]")) {
			fprintf(stderr, "bench_player: korvane did not start\n");
			return 1;
		}
		report("idle, nothing playing", measure(k), 0.1);
	}
	{
		korvane_on_pty k(korvane, env);
		if (!k.read_for(20, "[library]")) {
			fprintf(stderr, "bench_player: korvane did not start\n");
			return 1;
		}
		k.send("\t\r"); // to the playlist window, play the file
		// The player bar's mode marker shows once a file plays.
		if (!k.read_for(20, "[O]")) {
			fprintf(stderr, "bench_player: the file did not play\n");
			return 1;
		}
		k.read_for(1, "");
		report("playing a file", measure(k), MEASURE_SECONDS / 100);
	}
	return 0;
}

} // namespace

int main(int argc, char *argv[])
{
	std::string korvane = argc > 1 ? argv[1] : KORVANE_BINARY;
	const std::string tmpl = bench_private_dir("player");
	int status = run(korvane, tmpl);
	std::string clean = std::string("rm -rf '") + tmpl + "'";
	if (system(clean.c_str()) != 0)
		fprintf(stderr, "bench_player: could not remove %s\n", tmpl.c_str());
	return status;
}
