// signal-start IGNORED BLOCKED PROGRAM [ARG...]: runs the program with the
// signals numbered in IGNORED ignored and those in BLOCKED blocked (lists of
// numbers joined by commas, "-" for none), as a shell or a service manager
// may start one. Both survive the exec.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace
{

std::vector<int> numbers(const std::string &list)
{
	std::vector<int> out;
	std::istringstream in(list == "-" ? "" : list);
	std::string word;
	while (std::getline(in, word, ','))
		out.push_back(std::stoi(word));
	return out;
}

} // namespace

int main(int argc, char *argv[])
{
	if (argc < 4) {
		fprintf(stderr, "usage: signal-start IGNORED BLOCKED PROGRAM [ARG...]\n");
		return 2;
	}
	for (int sig : numbers(argv[1]))
		if (signal(sig, SIG_IGN) == SIG_ERR) {
			perror("signal-start: signal");
			return 2;
		}
	sigset_t blocked;
	sigemptyset(&blocked);
	for (int sig : numbers(argv[2]))
		sigaddset(&blocked, sig);
	if (sigprocmask(SIG_BLOCK, &blocked, nullptr) == -1) {
		perror("signal-start: sigprocmask");
		return 2;
	}
	execvp(argv[3], argv + 3);
	perror("signal-start: exec");
	return 127;
}
