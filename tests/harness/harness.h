// Black-box harness: runs the real korvane binary (or any program) with a
// private HOME, a given standard input, arguments and environment, and
// collects its exit status and output.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

struct run_result {
	int status = -1;        // exit status, or 128 + signal number
	std::string out;        // standard output
	std::string err;        // standard error
	bool timed_out = false; // killed at the deadline
};

struct run_options {
	std::string home;                                     // HOME of the child; unset when empty
	std::string input;                                    // fed to standard input, then closed
	std::string cwd;                                      // working directory of the child
	std::vector<std::pair<std::string, std::string>> env; // extra variables
	std::function<void()> in_child;                       // runs in the child before exec
	bool as_nobody = false; // the child drops to the user nobody (when run as root)
	// The child and its process group are killed when it has not ended and
	// closed its output by then, and the test fails.
	std::chrono::milliseconds deadline = std::chrono::seconds(60);
};

// Runs prog with args (argv[0] is prog) and a clean environment: PATH, TZ=UTC
// and HOME as given, plus opts.env. The child leads a process group of its
// own. Input the child does not read is dropped.
run_result run_program(const std::string &prog, const std::vector<std::string> &args,
                       const run_options &opts = {});
// Runs the korvane binary under test; with opts.as_nobody, the copy of it
// below.
run_result run_korvane(const std::vector<std::string> &args, const run_options &opts = {});
// A copy of the korvane binary below a directory anyone may enter, for
// children running as another user: the build tree may lie below a directory
// only its owner may enter. Made once per test process, removed at its end.
const std::string &korvane_binary_for_anyone();

// A private directory removed with everything in it when the object dies.
class temp_dir
{
public:
	temp_dir();
	~temp_dir();
	temp_dir(const temp_dir &) = delete;
	temp_dir &operator=(const temp_dir &) = delete;
	const std::string &path() const { return dir; }
	std::string operator/(const std::string &rel) const { return dir + "/" + rel; }

private:
	std::string dir;
};

// A private HOME with korvane's directories and an empty database in it.
class korvane_home : public temp_dir
{
public:
	explicit korvane_home(bool init = true);
	std::string db() const { return *this / ".korvane/korvane.db"; }
	std::string playlists() const { return *this / ".korvane/playlists"; }
	// Runs korvane with this HOME.
	run_result run(const std::vector<std::string> &args, const std::string &input = "") const;
};

std::string read_file(const std::string &path);
void write_file(const std::string &path, const std::string &content);
bool file_exists(const std::string &path);
// Splits text into its lines (without their line ends).
std::vector<std::string> lines_of(const std::string &text);
