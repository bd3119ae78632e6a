// The start of a benchmark that runs the interactive program: a private /tmp,
// since korvane binds the one remote-control socket there, and a fresh
// directory in it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "harness/private_tmp.h"

// Enters a private /tmp (warning when that is not allowed) and makes a
// directory /tmp/korvane-bench-NAME.XXXXXX in it; exits when it cannot.
inline std::string bench_private_dir(const char *name)
{
	std::string why;
	if (!enter_private_tmp({}, why))
		fprintf(stderr,
		        "bench_%s: no private /tmp (%s); no other korvane may run meanwhile\n",
		        name, why.c_str());
	std::string tmpl = std::string("/tmp/korvane-bench-") + name + ".XXXXXX";
	if (mkdtemp(tmpl.data()) == nullptr) {
		perror("mkdtemp");
		exit(1);
	}
	return tmpl;
}
