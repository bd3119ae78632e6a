// What the batch side writes to a terminal: file names and texts with their
// control characters escaped, so that a file name cannot retitle the
// terminal or move its cursor. Into a pipe the bytes go as they are.
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#include <gtest/gtest.h>

#include "harness/harness.h"
#include "harness/media.h"

namespace
{

// A file name that retitles a terminal and rings its bell.
const std::string EVIL = "evil\x1b]0;owned\x07.ogg";
const std::string EVIL_ESCAPED = "evil\\x1b]0;owned\\x07.ogg";

// Runs korvane with standard output and standard error on a terminal, and
// returns what the terminal received.
std::string run_on_terminal(const korvane_home &home, const std::vector<std::string> &args)
{
	int master = -1, slave = -1;
	if (openpty(&master, &slave, nullptr, nullptr, nullptr) == -1) {
		ADD_FAILURE() << "openpty failed";
		return "";
	}
	// No line-end translation: the bytes arrive as written.
	termios raw;
	tcgetattr(slave, &raw);
	cfmakeraw(&raw);
	tcsetattr(slave, TCSANOW, &raw);

	run_options opts;
	opts.home = home.path();
	opts.in_child = [slave] {
		dup2(slave, 1);
		dup2(slave, 2);
	};
	run_result r = run_korvane(args, opts);
	EXPECT_NE(r.status, 99) << "sanitizer report";
	close(slave);

	std::string seen;
	fcntl(master, F_SETFL, O_NONBLOCK);
	char buf[4096];
	for (ssize_t n; (n = read(master, buf, sizeof buf)) > 0;)
		seen.append(buf, static_cast<size_t>(n));
	close(master);
	return seen;
}

TEST(TerminalOutput, ControlCharactersInNamesAreEscapedOnATerminalOnly)
{
	korvane_home home;
	make_media(home / EVIL, { "Artist", "", "Title", "", "", 0, 0 });
	char buf[PATH_MAX];
	ASSERT_NE(realpath(home.path().c_str(), buf), nullptr);
	const std::string dir = buf;
	write_file(home.playlists() + "/list.playlist", dir + "/" + EVIL + "\n");

	// Into a pipe, as ever: the bytes of the name.
	run_result piped = home.run({ "-e", "add", dir + "/" + EVIL });
	ASSERT_EQ(piped.status, 0) << piped.err;
	EXPECT_NE(piped.out.find("+ " + dir + "/" + EVIL + "\n"), std::string::npos);
	run_result r = home.run({ "-e", "flush" });
	EXPECT_NE(r.out.find(dir + "/" + EVIL + ", "), std::string::npos);

	struct {
		std::vector<std::string> args;
		std::string shown;
	} cases[] = {
		{ { "-e", "add", dir + "/" + EVIL }, ". " + dir + "/" + EVIL_ESCAPED + "\n" },
		{ { "-e", "flush" }, dir + "/" + EVIL_ESCAPED + ", " },
		{ { "-e", "check", "-d", dir + "/" + EVIL },
		  "Checking: '" + dir + "/" + EVIL_ESCAPED },
		{ { "-e", "rm", "-f", dir + "/nope\x1b[2J" },
		  "korvane: rm: " + dir + "/nope\\x1b[2J: No such file or URL\n" },
	};
	for (const auto &c : cases) {
		SCOPED_TRACE(c.args[1]);
		std::string seen = run_on_terminal(home, c.args);
		EXPECT_NE(seen.find(c.shown), std::string::npos) << seen;
		EXPECT_EQ(seen.find('\x1b'), std::string::npos) << seen;
		EXPECT_EQ(seen.find('\x07'), std::string::npos) << seen;
	}

	// The start-up warnings of the playlists, too.
	ASSERT_EQ(home.run({ "-e", "rm", "-f", dir + "/" + EVIL }).status, 0);
	std::string seen = run_on_terminal(home, { "-e", "flush" });
	EXPECT_NE(seen.find("file \"" + dir + "/" + EVIL_ESCAPED + "\" is NOT in media database"),
	          std::string::npos)
	        << seen;
	EXPECT_EQ(seen.find('\x1b'), std::string::npos) << seen;
}

} // namespace
