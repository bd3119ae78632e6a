// The interactive program on a terminal of its own: korvane runs in a
// detached tmux session of a fixed size, on a tmux server of its own, and a
// test sends keys, signals and resizes and reads the screen back through
// capture-pane, waiting for what it expects against a deadline.
//
// Rows are read as capture-pane gives them, without trailing blanks. The
// line-drawing characters come out as the letters of the VT100 line-drawing
// set: q for a horizontal line, x for a vertical one, w for the T-piece.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "harness/harness.h"

// One capture of the whole screen. styles[r] has one code per character of
// rows[r]: '#' reverse video; an upper-case colour letter for a cell on a
// coloured background (R red, G green, B blue, ...); a lower-case one for a
// coloured character on the default background; '.' for the terminal's
// default colours.
struct screen_capture {
	std::vector<std::string> rows;
	std::vector<std::string> styles;
	// The rows, numbered, for failure messages.
	std::string dump() const;
};

// Parses the output of capture-pane -e -p into rows and their styles.
screen_capture parse_capture(const std::string &escaped);

class tmux_screen
{
public:
	using clock = std::chrono::steady_clock;
	// How long any wait lasts before the test fails; generous, because the
	// program may run under the sanitizers.
	static constexpr std::chrono::milliseconds WAIT = std::chrono::seconds(15);

	// Starts korvane with HOME at home and the given arguments on a terminal
	// of cols x rows, and waits until its player bar shows.
	tmux_screen(const korvane_home &home, std::vector<std::string> args = {}, int cols = 80,
	            int rows = 24);
	// Starts it the same way without waiting for the screen, for a program
	// that may end at once.
	struct no_wait {
	};
	tmux_screen(const korvane_home &home, std::vector<std::string> args, int cols, int rows,
	            no_wait);
	// Either way with variables added to the program's environment; a PATH
	// among them replaces the test's own. A LANG, LC_ALL or LC_CTYPE naming
	// UTF-8 among them gives the program a UTF-8 terminal: tmux then runs
	// in that locale with -u, and captures come out in UTF-8.
	using environment = std::vector<std::pair<std::string, std::string>>;
	tmux_screen(const korvane_home &home, std::vector<std::string> args, int cols, int rows,
	            const environment &env);
	tmux_screen(const korvane_home &home, std::vector<std::string> args, int cols, int rows,
	            const environment &env, no_wait);
	// Starts it through a launcher, the words of a program that sets
	// something up and then execs the rest of its words (the program and
	// its arguments), and waits for its player bar.
	struct through {
		std::vector<std::string> launcher;
	};
	tmux_screen(const korvane_home &home, std::vector<std::string> args, int cols, int rows,
	            const environment &env, const through &how);
	// Starts it as the user nobody (when the tests run as root), from a copy
	// of the binary that nobody can reach, and waits for its player bar;
	// home must be nobody's.
	struct as_nobody {
	};
	tmux_screen(const korvane_home &home, std::vector<std::string> args, int cols, int rows,
	            as_nobody);
	// Ends the program if it still runs (SIGTERM, then SIGKILL at the
	// deadline) and fails the test unless it then ends with status 0 (the
	// sanitizers end it with 99); kills the tmux server.
	~tmux_screen();
	tmux_screen(const tmux_screen &) = delete;
	tmux_screen &operator=(const tmux_screen &) = delete;

	// Sends keys by their tmux names ("j", "C-d", "Enter", "Escape", "F5").
	void keys(const std::vector<std::string> &names);
	// Sends text literally, character by character.
	void type(const std::string &text);
	// Makes the terminal cols x rows.
	void resize(int cols, int rows);
	// Sends a signal to the korvane process.
	void signal(int sig);
	// Closes the terminal under the program, as closing its window does.
	void close_terminal();
	// Writes bytes straight to the terminal, behind the program's back.
	void write_to_terminal(const std::string &bytes);
	// Whether the program has rung the terminal's bell since it started.
	bool bell_rung();

	screen_capture capture();
	std::vector<std::string> rows() { return capture().rows; }

	// Waits until the screen satisfies pred; what says what was awaited. On
	// time-out fails the test, showing the whole screen, and throws to end
	// it.
	void wait_until(const std::function<bool(const screen_capture &)> &pred,
	                const std::string &what);
	// Waits until row r reads text exactly.
	void wait_for_row(int r, const std::string &text);
	// Waits until the rows from first on read texts exactly.
	void wait_for_rows(int first, const std::vector<std::string> &texts);
	// Waits until the whole screen reads texts exactly, row by row.
	void wait_for_screen(const std::vector<std::string> &texts);
	// Waits until the styles of row r are codes exactly.
	void wait_for_style(int r, const std::string &codes);

	// Waits for the program to end and returns its exit status (128 + the
	// signal number when a signal ended it); on time-out as wait_until.
	int wait_exit();
	// What the program wrote on standard error.
	std::string err() const;
	// The terminal's settings (stty -g) before the program started and after
	// it ended.
	std::string stty_before() const;
	std::string stty_after() const;
	pid_t pid() const { return korvane_pid; }

private:
	void start(const korvane_home &home, const std::vector<std::string> &args, int cols,
	           int rows, const environment &env = {}, bool nobody = false,
	           const std::vector<std::string> &launcher = {});
	void wait_for_player_bar();
	// Runs a tmux command on this server; unless must is false, throws
	// when it fails.
	run_result tmux(const std::vector<std::string> &args, bool must = true) const;
	std::string wait_for_file(const std::string &name, const std::string &what);

	temp_dir dir; // the tmux socket, the wrapper script and what it records
	std::string socket;
	std::string utf8_locale; // the program's UTF-8 locale; empty for none
	pid_t korvane_pid = -1;
	bool ended = false;
	int status = -1;
};
