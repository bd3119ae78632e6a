// What the player tests share: a HOME whose library holds a few short
// tones, the fake player put first on PATH with its record and script, and
// waits on processes and files with a deadline.
#pragma once

#include <signal.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "harness/harness.h"
#include "harness/media.h"
#include "harness/tmux_screen.h"
#include "library/db_file.h"
#include "meta/mi_extract.h"

// Waits until done() holds, for at most the screen's deadline; fails the
// test with what otherwise.
inline void wait_for(const std::function<bool()> &done, const std::string &what)
{
	const auto deadline = tmux_screen::clock::now() + tmux_screen::WAIT;
	while (!done()) {
		if (tmux_screen::clock::now() >= deadline) {
			ADD_FAILURE() << "timed out waiting for " << what;
			throw std::runtime_error("timed out waiting for " + what);
		}
		std::this_thread::sleep_for(std::chrono::milliseconds(20));
	}
}

// Whether the process has ended (gone, or a zombie that nobody reaped yet).
inline bool process_gone(pid_t pid)
{
	if (kill(pid, 0) == -1 && errno == ESRCH)
		return true;
	std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
	std::string all((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
	size_t paren = all.rfind(')');
	return paren == std::string::npos || all.compare(paren + 2, 1, "Z") == 0;
}

inline void wait_until_gone(pid_t pid)
{
	wait_for([pid] { return process_gone(pid); }, "process " + std::to_string(pid) + " to end");
}

// Adds every file below dir to home's database. add skips the names with a
// line break, which a playlist file cannot hold; their records are written
// into the database directly, as a database made elsewhere holds them.
inline void add_to_library(const korvane_home &home, const std::string &dir)
{
	run_result r = home.run({ "-e", "add", dir });
	if (r.status != 0)
		throw std::runtime_error("korvane -e add failed: " + r.err);
	char real_dir[PATH_MAX];
	if (realpath(dir.c_str(), real_dir) == nullptr)
		throw std::runtime_error("realpath failed for " + dir);
	FILE *db = fopen(home.db().c_str(), "a");
	for (const auto &entry : std::filesystem::directory_iterator(real_dir)) {
		const std::string name = entry.path().filename().string();
		if (name.find_first_of("\n\r") == std::string::npos)
			continue;
		mi_ptr mi = mi_extract_file(std::string(real_dir) + "/" + name);
		if (!mi)
			throw std::runtime_error("no tags in " + name);
		mi_sanitize(*mi);
		mi_fwrite(*mi, db);
	}
	fclose(db);
}

// The fake player of tests/fakeplayer, first on PATH, with its files in a
// directory of its own.
struct fake_player {
	temp_dir dir;
	std::string log() const { return read_file(dir / "log"); }
	void script(const std::vector<std::string> &lines) const
	{
		std::string text;
		for (const std::string &l : lines)
			text += l + "\n";
		write_file(dir / "script", text);
	}
	// The pids of the players started so far, in order.
	std::vector<pid_t> pids() const
	{
		std::vector<pid_t> out;
		for (const std::string &line : lines_of(read_file(dir / "pids")))
			out.push_back(std::stoi(line));
		return out;
	}
	// Waits until n players have been started; the last one's pid.
	pid_t wait_for_player(size_t n) const
	{
		wait_for([&] { return pids().size() >= n; },
		         std::to_string(n) + " player(s) to start");
		return pids().at(n - 1);
	}
	// The commands written to the players, one write each without the
	// line ends around it, leaving out the position queries of the timer.
	std::vector<std::string> commands() const
	{
		std::vector<std::string> out;
		const std::string text = log();
		size_t at = 0;
		while (at < text.size()) {
			size_t end = text.find("\n\n", at + 1);
			end = end == std::string::npos ? text.size() : end + 1;
			std::string one = text.substr(at, end - at);
			at = end;
			if (one.size() >= 2 && one.front() == '\n' && one.back() == '\n')
				one = one.substr(1, one.size() - 2);
			if (one != "get_property time_pos")
				out.push_back(one);
		}
		return out;
	}
	// What each player started so far ignored and blocked as it began: the
	// SigIgn and SigBlk masks of its status, in hexadecimal.
	struct signal_masks {
		std::string ignored, blocked;
	};
	std::vector<signal_masks> signals() const
	{
		// Two lines for each player, in the order of its status file.
		std::vector<signal_masks> out;
		const std::vector<std::string> lines = lines_of(read_file(dir / "signals"));
		for (size_t i = 0; i + 1 < lines.size(); i += 2) {
			signal_masks &m = out.emplace_back();
			for (const std::string &line : { lines[i], lines[i + 1] }) {
				const std::string mask =
				        line.substr(line.find_first_not_of(" \t", 7));
				(line.rfind("SigIgn:", 0) == 0 ? m.ignored : m.blocked) = mask;
			}
		}
		return out;
	}
	tmux_screen::environment env() const
	{
		const char *path = getenv("PATH");
		return { { "PATH",
			   std::string(FAKEPLAYER_DIR) + ":" + (path ? path : "/usr/bin:/bin") },
			 { "FAKEPLAYER_LOG", dir / "log" },
			 { "FAKEPLAYER_PIDS", dir / "pids" },
			 { "FAKEPLAYER_SIGNALS", dir / "signals" },
			 { "FAKEPLAYER_SCRIPT", dir / "script" } };
	}
};
