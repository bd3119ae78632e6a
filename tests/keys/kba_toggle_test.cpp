#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "keys/kba.h"

namespace
{

// The indexes successive steps of n reach from a list just made (index
// size - 1).
std::vector<ssize_t> walk(ssize_t size, int64_t n, bool forward, int steps)
{
	std::vector<ssize_t> seen;
	ssize_t index = size - 1;
	for (int i = 0; i < steps; i++) {
		index = toggle_step(index, size, n, forward);
		seen.push_back(index);
	}
	return seen;
}

TEST(KbaToggle, StepsRoundTheRing)
{
	struct step_case {
		const char *what;
		ssize_t size;
		int64_t n;
		bool forward;
		std::vector<ssize_t> want;
	};
	const step_case cases[] = {
		{ "t runs 0, 1, 2, 0", 3, 1, true, { 0, 1, 2, 0, 1 } },
		{ "T runs 1, 0, 2", 3, 1, false, { 1, 0, 2, 1, 0 } },
		{ "2 t skips one", 3, 2, true, { 1, 0, 2 } },
		{ "2 T skips one", 3, 2, false, { 0, 1, 2 } },
		{ "4 t moves one step of 3", 3, 4, true, { 0, 1, 2 } },
		{ "4 T moves one step of 3", 3, 4, false, { 1, 0, 2 } },
		{ "3 t runs the same command again", 3, 3, true, { 2, 2 } },
		{ "one command forward", 1, 1, true, { 0, 0 } },
		{ "one command backward", 1, 1, false, { 0, 0 } },
		{ "5 T on one command", 1, 5, false, { 0 } },
		{ "the largest count", 7, INT_MAX, true, { 0, 1 } }, // INT_MAX mod 7 = 1
		{ "the largest count back", 7, INT_MAX, false, { 5, 4 } },
	};
	for (const step_case &c : cases) {
		SCOPED_TRACE(c.what);
		EXPECT_EQ(walk(c.size, c.n, c.forward, static_cast<int>(c.want.size())), c.want);
	}
}

} // namespace
