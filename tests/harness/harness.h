// Black-box harness: runs the real korvane binary (or any program) with a
// private HOME, a given standard input, arguments and environment, and
// collects its exit status and output.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

struct run_result {
	int status = -1; // exit status, or 128 + signal number
	std::string out; // standard output
	std::string err; // standard error
};

struct run_options {
	std::string home;                                     // HOME of the child; unset when empty
	std::string input;                                    // fed to standard input, then closed
	std::string cwd;                                      // working directory of the child
	std::vector<std::pair<std::string, std::string>> env; // extra variables
	std::function<void()> in_child;                       // runs in the child before exec
};

// Runs prog with args (argv[0] is prog) and a clean environment: PATH, TZ=UTC
// and HOME as given, plus opts.env.
run_result run_program(const std::string &prog, const std::vector<std::string> &args,
                       const run_options &opts = {});
// Runs the korvane binary under test.
run_result run_korvane(const std::vector<std::string> &args, const run_options &opts = {});

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
