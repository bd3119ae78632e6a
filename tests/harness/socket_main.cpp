// main() of the tests that use the remote-control socket, whose path is the
// same for every korvane on the machine: they run in a private /tmp. Where
// none can be had they are skipped (exit status 77) rather than touch the
// machine's socket.
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "harness/private_tmp.h"

int main(int argc, char **argv)
{
	testing::InitGoogleTest(&argc, argv);
	std::string why;
	if (!GTEST_FLAG_GET(list_tests) &&
	    !enter_private_tmp({ KORVANE_BINARY, KORVANE_SOURCE_DIR }, why)) {
		fprintf(stderr, "%s: skipped: no private /tmp for the socket (%s)\n", argv[0],
		        why.c_str());
		return 77;
	}
	return RUN_ALL_TESTS();
}
