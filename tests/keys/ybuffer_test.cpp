#include "playlist/ybuffer.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

// Records for the buffer to point to; only their addresses matter.
std::vector<meta_info *> some_records(std::vector<mi_ptr> &owner, int n)
{
	std::vector<meta_info *> v;
	for (int i = 0; i < n; i++) {
		owner.push_back(mi_new());
		v.push_back(owner.back().get());
	}
	return v;
}

TEST(Ybuffer, GrowsInStepsOf100)
{
	struct grow_case {
		const char *what;
		int held;  // records in the buffer before
		int added; // one at a time, or at once
		bool at_once;
		int want_capacity;
	};
	const grow_case cases[] = {
		{ "the 100th record fits", 99, 1, false, 100 },
		{ "the 101st record grows it", 100, 1, false, 200 },
		{ "250 at once grow it to 300", 0, 250, true, 300 },
		{ "100 at once fit an empty buffer", 0, 100, true, 100 },
		{ "nothing added", 100, 0, true, 100 },
		{ "one past a full 200", 150, 51, true, 300 },
	};
	for (const grow_case &c : cases) {
		SCOPED_TRACE(c.what);
		std::vector<mi_ptr> owner;
		const std::vector<meta_info *> recs = some_records(owner, c.held + c.added);
		ybuffer_init();
		EXPECT_EQ(ybuffer.capacity(), 100);
		for (int i = 0; i < c.held; i++)
			ybuffer_add(recs[i]);
		if (c.at_once)
			ybuffer_add_files(recs.data() + c.held, c.added);
		else
			for (int i = c.held; i < c.held + c.added; i++)
				ybuffer_add(recs[i]);
		EXPECT_EQ(ybuffer.files, recs);
		EXPECT_EQ(ybuffer.capacity(), c.want_capacity);
		ybuffer_free();
	}
}

TEST(Ybuffer, ClearKeepsTheRoomAndFreeReleasesIt)
{
	std::vector<mi_ptr> owner;
	const std::vector<meta_info *> recs = some_records(owner, 150);
	ybuffer_init();
	ybuffer_add_files(recs.data(), 150);
	ybuffer_clear();
	EXPECT_EQ(ybuffer.nfiles(), 0);
	EXPECT_EQ(ybuffer.capacity(), 200);
	ybuffer_add(recs[7]);
	EXPECT_EQ(ybuffer.files, std::vector<meta_info *>{ recs[7] });
	ybuffer_free();
	EXPECT_EQ(ybuffer.nfiles(), 0);
	EXPECT_EQ(ybuffer.capacity(), 0);
}

} // namespace
