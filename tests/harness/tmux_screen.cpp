#include "harness/tmux_screen.h"

#include <unistd.h>

#include <cctype>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include <gtest/gtest.h>

namespace
{

const char SESSION[] = "korvane";
const std::chrono::milliseconds POLL = std::chrono::milliseconds(20);

// The server's own settings: no status line (the pane is the whole
// terminal), and the pane stays after the program ends, so its last screen
// can still be read.
const char TMUX_CONF[] = "set -g status off\n"
                         "set -g remain-on-exit on\n"
                         "set -g default-terminal screen\n";

// Runs as: sh run.sh DIR KORVANE ARGS... in the pane. Records the
// terminal's settings around the run and the exit status in DIR; the inner
// shell writes its pid there and becomes korvane, so that signals reach the
// program itself.
const char RUN_SH[] = R"(d=$1
shift
stty -g > "$d/stty.before"
# A test may have the program ignore signals (KORVANE_TEST_IGNORE, as the
# shell's trap names them) or read its input from a file (KORVANE_TEST_STDIN).
[ -z "${KORVANE_TEST_IGNORE:-}" ] || trap '' $KORVANE_TEST_IGNORE
if [ -n "${KORVANE_TEST_STDIN:-}" ]; then
	sh -c 'echo $$ > "$0/pid.tmp" && mv "$0/pid.tmp" "$0/pid" && exec "$@"' "$d" "$@" 2> "$d/stderr" < "$KORVANE_TEST_STDIN"
else
	sh -c 'echo $$ > "$0/pid.tmp" && mv "$0/pid.tmp" "$0/pid" && exec "$@"' "$d" "$@" 2> "$d/stderr"
fi
code=$?
stty -g > "$d/stty.after"
echo $code > "$d/status.tmp"
mv "$d/status.tmp" "$d/status"
)";

std::string shell_quote(const std::string &word)
{
	std::string q = "'";
	for (char c : word)
		q += c == '\'' ? std::string("'\\''") : std::string(1, c);
	return q + "'";
}

// The state of the SGR attributes while a capture is read.
struct sgr_state {
	int fg = -1;
	int bg = -1;
	bool reverse = false;

	char code() const
	{
		static const char letters[] = "krgybmcw";
		if (reverse)
			return '#';
		if (bg >= 0)
			return static_cast<char>(toupper(letters[bg % 8]));
		if (fg >= 0)
			return letters[fg % 8];
		return '.';
	}

	void apply(const std::vector<int> &params)
	{
		if (params.empty()) {
			*this = sgr_state{};
			return;
		}
		for (size_t i = 0; i < params.size(); i++) {
			int p = params[i];
			if (p == 0)
				*this = sgr_state{};
			else if (p == 7)
				reverse = true;
			else if (p == 27)
				reverse = false;
			else if (p >= 30 && p <= 37)
				fg = p - 30;
			else if (p >= 90 && p <= 97)
				fg = p - 90;
			else if (p == 39)
				fg = -1;
			else if (p >= 40 && p <= 47)
				bg = p - 40;
			else if (p >= 100 && p <= 107)
				bg = p - 100;
			else if (p == 49)
				bg = -1;
			else if ((p == 38 || p == 48) && i + 2 < params.size() &&
			         params[i + 1] == 5) {
				(p == 38 ? fg : bg) = params[i + 2];
				i += 2;
			} else if ((p == 38 || p == 48) && i + 4 < params.size() &&
			           params[i + 1] == 2) {
				(p == 38 ? fg : bg) = 7;
				i += 4;
			}
		}
	}
};

// Fails the test with what was awaited and what the screen showed, while
// the test's traces are still in scope, and abandons it.
[[noreturn]] void time_out(const std::string &message)
{
	ADD_FAILURE() << message;
	throw std::runtime_error("a wait for the screen timed out (see above)");
}

std::string join_rows(const std::vector<std::string> &rows)
{
	std::ostringstream out;
	for (size_t r = 0; r < rows.size(); r++)
		out << (r < 10 ? " " : "") << r << "|" << rows[r] << "\n";
	return out.str();
}

} // namespace

std::string screen_capture::dump() const
{
	return join_rows(rows);
}

screen_capture parse_capture(const std::string &escaped)
{
	screen_capture c;
	sgr_state state;
	std::string text, codes;
	auto end_row = [&] {
		size_t keep = text.find_last_not_of(' ');
		keep = keep == std::string::npos ? 0 : keep + 1;
		c.rows.push_back(text.substr(0, keep));
		c.styles.push_back(codes.substr(0, keep));
		text.clear();
		codes.clear();
	};

	for (size_t i = 0; i < escaped.size(); i++) {
		unsigned char ch = static_cast<unsigned char>(escaped[i]);
		if (ch == '\n') {
			end_row();
		} else if (ch == 0x1b && i + 1 < escaped.size() && escaped[i + 1] == '[') {
			// A control sequence: parameters, then one final byte.
			std::vector<int> params;
			std::string num;
			size_t j = i + 2;
			for (; j < escaped.size(); j++) {
				char p = escaped[j];
				if (isdigit(static_cast<unsigned char>(p))) {
					num += p;
				} else if (p == ';' || p == ':') {
					params.push_back(num.empty() ? 0 : std::stoi(num));
					num.clear();
				} else {
					break;
				}
			}
			if (!num.empty() || !params.empty())
				params.push_back(num.empty() ? 0 : std::stoi(num));
			if (j < escaped.size() && escaped[j] == 'm')
				state.apply(params);
			i = j;
		} else if (ch == 0x1b) {
			i++; // a two-byte escape; nothing tmux emits here draws
		} else if (ch == 0x0e || ch == 0x0f) {
			// Shift out and in of the line-drawing set: the letter stays.
		} else if ((ch & 0xc0) == 0x80) {
			text += static_cast<char>(ch); // continues the character before
		} else {
			text += static_cast<char>(ch);
			codes += state.code();
		}
	}
	if (!text.empty())
		end_row();
	return c;
}

tmux_screen::tmux_screen(const korvane_home &home, std::vector<std::string> args, int cols,
                         int rows)
{
	start(home, args, cols, rows);
	wait_for_player_bar();
}

tmux_screen::tmux_screen(const korvane_home &home, std::vector<std::string> args, int cols,
                         int rows, no_wait)
{
	start(home, args, cols, rows);
}

tmux_screen::tmux_screen(const korvane_home &home, std::vector<std::string> args, int cols,
                         int rows, const environment &env)
{
	start(home, args, cols, rows, env);
	wait_for_player_bar();
}

tmux_screen::tmux_screen(const korvane_home &home, std::vector<std::string> args, int cols,
                         int rows, const environment &env, no_wait)
{
	start(home, args, cols, rows, env);
}

tmux_screen::tmux_screen(const korvane_home &home, std::vector<std::string> args, int cols,
                         int rows, const environment &env, const through &how)
{
	start(home, args, cols, rows, env, false, how.launcher);
	wait_for_player_bar();
}

tmux_screen::tmux_screen(const korvane_home &home, std::vector<std::string> args, int cols,
                         int rows, as_nobody)
{
	start(home, args, cols, rows, {}, true);
	wait_for_player_bar();
}

void tmux_screen::wait_for_player_bar()
{
	wait_until(
	        [](const screen_capture &c) {
		        return !c.rows.empty() && c.rows[0].rfind("korvane...", 0) == 0;
	        },
	        "the player bar");
}

void tmux_screen::start(const korvane_home &home, const std::vector<std::string> &args, int cols,
                        int rows, const environment &env, bool nobody,
                        const std::vector<std::string> &launcher)
{
	socket = dir / "tmux.sock";
	write_file(dir / "tmux.conf", TMUX_CONF);

	write_file(dir / "run.sh", RUN_SH);
	std::string path = getenv("PATH") ? getenv("PATH") : "/usr/bin:/bin";
	std::string extra;
	for (const auto &[name, value] : env) {
		if (name == "PATH")
			path = value;
		else
			extra += " " + name + "=" + shell_quote(value);
		if ((name == "LANG" || name == "LC_ALL" || name == "LC_CTYPE") &&
		    (value.find("UTF-8") != std::string::npos ||
		     value.find("utf8") != std::string::npos))
			utf8_locale = value;
	}
	std::string command = "exec env -i HOME=" + shell_quote(home.path()) +
	                      " PATH=" + shell_quote(path) + extra +
	                      " TERM=screen TZ=UTC"
	                      " ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:exitcode=99"
	                      " UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:exitcode=99"
	                      " sh " +
	                      shell_quote(dir / "run.sh") + " " + shell_quote(dir.path()) + " ";
	for (const std::string &word : launcher)
		command += shell_quote(word) + " ";
	// setpriv changes the ids and execs, so the pid stays the program's.
	if (nobody && geteuid() == 0)
		command += "setpriv --reuid=65534 --regid=65534 --clear-groups " +
		           shell_quote(korvane_binary_for_anyone());
	else
		command += shell_quote(KORVANE_BINARY);
	for (const std::string &a : args)
		command += " " + shell_quote(a);

	std::vector<std::string> tmux_args = { "-f", dir / "tmux.conf", "-S", socket };
	run_options opts;
	if (!utf8_locale.empty()) {
		tmux_args.insert(tmux_args.begin(), "-u");
		opts.env = { { "LANG", utf8_locale } };
	}
	tmux_args.insert(tmux_args.end(),
	                 { "new-session", "-d", "-s", SESSION, "-x", std::to_string(cols), "-y",
	                   std::to_string(rows), command });
	run_result r = run_program("tmux", tmux_args, opts);
	if (r.status != 0)
		throw std::runtime_error("tmux new-session failed: " + r.err);
	korvane_pid = std::stoi(wait_for_file("pid", "the program's pid"));
}

tmux_screen::~tmux_screen()
{
	if (!ended && korvane_pid > 0) {
		kill(korvane_pid, SIGTERM);
		try {
			if (int s = wait_exit(); s != 0)
				ADD_FAILURE() << "korvane ended on SIGTERM with status " << s
				              << "; on standard error:\n"
				              << err();
		} catch (const std::exception &) {
			// The time-out is a failure already.
			kill(korvane_pid, SIGKILL);
		}
	}
	tmux({ "kill-server" }, false);
}

run_result tmux_screen::tmux(const std::vector<std::string> &args, bool must) const
{
	std::vector<std::string> all = { "-S", socket };
	run_options opts;
	if (!utf8_locale.empty()) {
		all.insert(all.begin(), "-u");
		opts.env = { { "LANG", utf8_locale } };
	}
	all.insert(all.end(), args.begin(), args.end());
	opts.deadline = std::chrono::seconds(10);
	run_result r = run_program("tmux", all, opts);
	if (must && r.status != 0)
		throw std::runtime_error("tmux " + args[0] + " failed: " + r.err);
	return r;
}

void tmux_screen::keys(const std::vector<std::string> &names)
{
	std::vector<std::string> args = { "send-keys", "-t", SESSION };
	args.insert(args.end(), names.begin(), names.end());
	tmux(args);
}

void tmux_screen::type(const std::string &text)
{
	tmux({ "send-keys", "-t", SESSION, "-l", text });
}

void tmux_screen::resize(int cols, int rows)
{
	tmux({ "resize-window", "-t", SESSION, "-x", std::to_string(cols), "-y",
	       std::to_string(rows) });
}

void tmux_screen::signal(int sig)
{
	kill(korvane_pid, sig);
}

void tmux_screen::close_terminal()
{
	tmux({ "kill-session", "-t", SESSION });
}

void tmux_screen::write_to_terminal(const std::string &bytes)
{
	std::string tty = tmux({ "display-message", "-p", "-t", SESSION, "#{pane_tty}" }).out;
	tty.erase(tty.find_last_not_of('\n') + 1);
	std::ofstream out(tty, std::ios::binary);
	out << bytes;
	if (!out.flush())
		throw std::runtime_error("cannot write to the terminal " + tty);
}

bool tmux_screen::bell_rung()
{
	// tmux marks the window of a detached session when a bell rings in it.
	return tmux({ "display-message", "-p", "-t", SESSION, "#{window_bell_flag}" }).out == "1\n";
}

screen_capture tmux_screen::capture()
{
	return parse_capture(tmux({ "capture-pane", "-p", "-e", "-t", SESSION }).out);
}

void tmux_screen::wait_until(const std::function<bool(const screen_capture &)> &pred,
                             const std::string &what)
{
	const clock::time_point deadline = clock::now() + WAIT;
	for (;;) {
		screen_capture c = capture();
		if (pred(c))
			return;
		if (clock::now() >= deadline)
			time_out("timed out waiting for " + what + "\nthe screen read:\n" +
			         c.dump() + "its styles read:\n" + join_rows(c.styles));
		std::this_thread::sleep_for(POLL);
	}
}

void tmux_screen::wait_for_row(int r, const std::string &text)
{
	wait_for_rows(r, { text });
}

void tmux_screen::wait_for_rows(int first, const std::vector<std::string> &texts)
{
	std::ostringstream what;
	what << "rows " << first << ".." << first + static_cast<int>(texts.size()) - 1
	     << " to read:\n";
	for (size_t i = 0; i < texts.size(); i++)
		what << (first + i < 10 ? " " : "") << first + i << "|" << texts[i] << "\n";
	wait_until(
	        [&](const screen_capture &c) {
		        for (size_t i = 0; i < texts.size(); i++) {
			        size_t r = static_cast<size_t>(first) + i;
			        if (r >= c.rows.size() || c.rows[r] != texts[i])
				        return false;
		        }
		        return true;
	        },
	        what.str());
}

void tmux_screen::wait_for_screen(const std::vector<std::string> &texts)
{
	wait_until([&](const screen_capture &c) { return c.rows == texts; },
	           "the screen to read:\n" + join_rows(texts));
}

void tmux_screen::wait_for_style(int r, const std::string &codes)
{
	wait_until(
	        [&](const screen_capture &c) {
		        return static_cast<size_t>(r) < c.styles.size() && c.styles[r] == codes;
	        },
	        "the styles of row " + std::to_string(r) + " to read:\n" + codes);
}

std::string tmux_screen::wait_for_file(const std::string &name, const std::string &what)
{
	const clock::time_point deadline = clock::now() + WAIT;
	while (!file_exists(dir / name)) {
		if (clock::now() >= deadline)
			time_out("timed out waiting for " + what + "; standard error read:\n" +
			         err() + "\nthe screen read:\n" +
			         parse_capture(
			                 tmux({ "capture-pane", "-p", "-t", SESSION }, false).out)
			                 .dump());
		std::this_thread::sleep_for(POLL);
	}
	return read_file(dir / name);
}

int tmux_screen::wait_exit()
{
	if (!ended) {
		status = std::stoi(wait_for_file("status", "the program to end"));
		ended = true;
	}
	return status;
}

std::string tmux_screen::err() const
{
	return read_file(dir / "stderr");
}

std::string tmux_screen::stty_before() const
{
	return read_file(dir / "stty.before");
}

std::string tmux_screen::stty_after() const
{
	return read_file(dir / "stty.after");
}
