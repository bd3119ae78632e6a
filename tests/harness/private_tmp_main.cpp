// private-tmp COMMAND [ARG]...: runs the command in a private /tmp, for
// scripts that start korvane. The working directory and every argument
// naming a path below /tmp stay reachable. Exits 77 (a skipped test) when no
// private /tmp can be had.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "harness/private_tmp.h"

int main(int argc, char **argv)
{
	if (argc < 2) {
		fputs("usage: private-tmp command [arg]...\n", stderr);
		return 2;
	}
	std::vector<std::string> keep(argv + 1, argv + argc);
	std::string why;
	if (!enter_private_tmp(keep, why)) {
		fprintf(stderr, "private-tmp: no private /tmp (%s)\n", why.c_str());
		return 77;
	}
	execvp(argv[1], argv + 1);
	perror(argv[1]);
	return 127;
}
