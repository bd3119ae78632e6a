// A stand-in for the player program in slave mode, built under the name
// `mplayer` for the tests to put first on PATH. It appends every byte it
// receives to $FAKEPLAYER_LOG, its pid to $FAKEPLAYER_PIDS and the lines
// of the signals it ignores and blocks from /proc/self/status (SigIgn and
// SigBlk, in hexadecimal) to $FAKEPLAYER_SIGNALS, and answers
// the commands it reads from the script in $FAKEPLAYER_SCRIPT, whose lines
// read
//
//   on PREFIX reply TEXT
//
// A command line that begins with PREFIX is answered with TEXT, where \n
// stands for a line end and \\ for a backslash, in one write. Several lines
// for one prefix answer its commands one after another, the last one for
// good. "quit" and the end of the input end the program.
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace
{

struct rule {
	std::string prefix;
	std::vector<std::string> replies;
	size_t next = 0;
};

std::string unescape(const std::string &text)
{
	std::string out;
	for (size_t i = 0; i < text.size(); i++) {
		if (text[i] == '\\' && i + 1 < text.size()) {
			char c = text[++i];
			out += c == 'n' ? '\n' : c;
		} else {
			out += text[i];
		}
	}
	return out;
}

std::vector<rule> read_script(const char *path)
{
	std::vector<rule> rules;
	std::ifstream in(path != nullptr ? path : "");
	std::string line;
	const std::string on = "on ", reply = " reply ";
	while (std::getline(in, line)) {
		size_t at = line.find(reply);
		if (line.compare(0, on.size(), on) != 0 || at == std::string::npos)
			continue;
		std::string prefix = line.substr(on.size(), at - on.size());
		std::string text = unescape(line.substr(at + reply.size()));
		rule *r = nullptr;
		for (rule &known : rules)
			if (known.prefix == prefix)
				r = &known;
		if (r == nullptr)
			r = &rules.emplace_back(rule{ prefix, {}, 0 });
		r->replies.push_back(text);
	}
	return rules;
}

void write_all(int fd, const std::string &text)
{
	size_t done = 0;
	while (done < text.size()) {
		ssize_t n = write(fd, text.data() + done, text.size() - done);
		if (n <= 0)
			return;
		done += static_cast<size_t>(n);
	}
}

// Appends text to the file named by the environment variable var.
void record(const char *var, const std::string &text)
{
	const char *path = getenv(var);
	if (path == nullptr)
		return;
	int fd = open(path, O_WRONLY | O_APPEND | O_CREAT, 0644);
	if (fd == -1)
		return;
	write_all(fd, text);
	close(fd);
}

// The SigIgn and SigBlk lines of this process's status, as it started.
std::string signal_lines()
{
	std::ifstream status("/proc/self/status");
	std::string line, out;
	while (std::getline(status, line))
		if (line.rfind("SigIgn:", 0) == 0 || line.rfind("SigBlk:", 0) == 0)
			out += line + "\n";
	return out;
}

} // namespace

int main()
{
	record("FAKEPLAYER_SIGNALS", signal_lines());
	record("FAKEPLAYER_PIDS", std::to_string(getpid()) + "\n");
	std::vector<rule> rules = read_script(getenv("FAKEPLAYER_SCRIPT"));

	std::string pending;
	char buf[4096];
	for (;;) {
		ssize_t n = read(STDIN_FILENO, buf, sizeof buf);
		if (n <= 0)
			return 0;
		std::string chunk(buf, static_cast<size_t>(n));
		record("FAKEPLAYER_LOG", chunk);
		pending += chunk;

		size_t end;
		while ((end = pending.find('\n')) != std::string::npos) {
			std::string command = pending.substr(0, end);
			pending.erase(0, end + 1);
			if (command == "quit")
				return 0;
			for (rule &r : rules) {
				if (command.compare(0, r.prefix.size(), r.prefix) != 0)
					continue;
				write_all(STDOUT_FILENO, r.replies[r.next]);
				if (r.next + 1 < r.replies.size())
					r.next++;
				break;
			}
		}
	}
}
