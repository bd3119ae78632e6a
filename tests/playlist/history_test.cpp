#include "playlist/playlist.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{

class History : public testing::Test
{
protected:
	// Records named r0, r1, ... that the playlists below point to.
	meta_info *rec(int i)
	{
		while (static_cast<int>(records_.size()) <= i) {
			records_.push_back(mi_new());
			records_.back()->filename = "r" + std::to_string(records_.size() - 1);
		}
		return records_[i].get();
	}

	// A playlist holding rec(first) .. rec(first + n - 1), not recorded.
	playlist_ptr make(int first, int n)
	{
		auto p = playlist_new();
		for (int i = 0; i < n; i++)
			playlist_file_append(*p, rec(first + i), false);
		return p;
	}

	std::vector<meta_info *> recs(std::initializer_list<int> ids)
	{
		std::vector<meta_info *> v;
		for (int i : ids)
			v.push_back(rec(i));
		return v;
	}

private:
	std::vector<mi_ptr> records_;
};

TEST_F(History, NothingToUndoOrRedo)
{
	auto p = make(0, 3);
	EXPECT_EQ(playlist_undo(*p), 1);
	EXPECT_EQ(playlist_redo(*p), 1);
	EXPECT_EQ(p->files, recs({ 0, 1, 2 }));

	auto empty = playlist_new();
	EXPECT_EQ(playlist_undo(*empty), 1);
	EXPECT_EQ(playlist_redo(*empty), 1);
}

TEST_F(History, UndoRedoPaste)
{
	auto p = make(0, 5);
	const auto pasted = recs({ 10, 11, 12 });
	playlist_file_add(*p, pasted.data(), 2, 3, true);
	EXPECT_EQ(p->files, recs({ 0, 1, 10, 11, 12, 2, 3, 4 }));

	EXPECT_EQ(playlist_undo(*p), 0);
	EXPECT_EQ(p->files, recs({ 0, 1, 2, 3, 4 }));
	EXPECT_EQ(playlist_undo(*p), 1);

	EXPECT_EQ(playlist_redo(*p), 0);
	EXPECT_EQ(p->files, recs({ 0, 1, 10, 11, 12, 2, 3, 4 }));
	EXPECT_EQ(playlist_redo(*p), 1);
}

TEST_F(History, UndoRedoCut)
{
	auto p = make(0, 8);
	playlist_remove_file(*p, 5, 2, true);
	EXPECT_EQ(p->files, recs({ 0, 1, 2, 3, 4, 7 }));

	EXPECT_EQ(playlist_undo(*p), 0);
	EXPECT_EQ(p->files, recs({ 0, 1, 2, 3, 4, 5, 6, 7 }));

	EXPECT_EQ(playlist_redo(*p), 0);
	EXPECT_EQ(p->files, recs({ 0, 1, 2, 3, 4, 7 }));
}

TEST_F(History, UndoesInReverseOrder)
{
	auto p = make(0, 4);
	playlist_remove_file(*p, 0, 1, true);                  // 1 2 3
	playlist_file_add(*p, recs({ 9 }).data(), 3, 1, true); // 1 2 3 9
	playlist_remove_file(*p, 1, 2, true);                  // 1 9

	const std::vector<std::vector<meta_info *>> states = {
		recs({ 0, 1, 2, 3 }), recs({ 1, 2, 3 }), recs({ 1, 2, 3, 9 }), recs({ 1, 9 })
	};
	for (int i = 2; i >= 0; i--) {
		ASSERT_EQ(playlist_undo(*p), 0);
		EXPECT_EQ(p->files, states[i]);
	}
	EXPECT_EQ(playlist_undo(*p), 1);
	for (int i = 1; i <= 3; i++) {
		ASSERT_EQ(playlist_redo(*p), 0);
		EXPECT_EQ(p->files, states[i]);
	}
	EXPECT_EQ(playlist_redo(*p), 1);
}

TEST_F(History, NewEditDropsRedo)
{
	auto p = make(0, 3);
	playlist_file_add(*p, recs({ 10 }).data(), 0, 1, true);
	playlist_file_add(*p, recs({ 11 }).data(), 0, 1, true);
	ASSERT_EQ(playlist_undo(*p), 0);
	playlist_remove_file(*p, 0, 1, true);
	EXPECT_EQ(p->files, recs({ 0, 1, 2 }));
	EXPECT_EQ(playlist_redo(*p), 1);

	// The history now holds the first paste and the cut.
	ASSERT_EQ(playlist_undo(*p), 0);
	EXPECT_EQ(p->files, recs({ 10, 0, 1, 2 }));
	ASSERT_EQ(playlist_undo(*p), 0);
	EXPECT_EQ(p->files, recs({ 0, 1, 2 }));
	EXPECT_EQ(playlist_undo(*p), 1);
}

TEST_F(History, KeepsTheLastHundredEdits)
{
	auto p = playlist_new();
	for (int i = 0; i < 101; i++)
		playlist_file_append(*p, rec(i), true);
	EXPECT_EQ(p->hist_present, history_size - 1);

	for (int i = 0; i < 100; i++)
		ASSERT_EQ(playlist_undo(*p), 0) << i;
	EXPECT_EQ(playlist_undo(*p), 1);
	// The first append was forgotten, so it is still in the playlist.
	EXPECT_EQ(p->files, recs({ 0 }));

	for (int i = 0; i < 100; i++)
		ASSERT_EQ(playlist_redo(*p), 0) << i;
	EXPECT_EQ(playlist_redo(*p), 1);
	EXPECT_EQ(p->nfiles(), 101);
	EXPECT_EQ(p->files.back(), rec(100));
}

TEST_F(History, UndoKeepsTheUnsavedMark)
{
	auto p = make(0, 2);
	EXPECT_FALSE(p->needs_saving);
	playlist_remove_file(*p, 0, 1, true);
	EXPECT_TRUE(p->needs_saving);
	ASSERT_EQ(playlist_undo(*p), 0);
	EXPECT_EQ(p->files, recs({ 0, 1 }));
	EXPECT_TRUE(p->needs_saving);

	p->needs_saving = false; // as after :w
	ASSERT_EQ(playlist_redo(*p), 0);
	EXPECT_FALSE(p->needs_saving);
}

TEST_F(History, UnrecordedReorderReusesPositions)
{
	auto p = make(0, 3);
	playlist_file_add(*p, recs({ 10, 11 }).data(), 0, 2, true);
	// An unrecorded sort puts other records at the pasted positions.
	std::sort(p->files.begin(), p->files.end(), [](const meta_info *a, const meta_info *b) {
		return *a->filename < *b->filename;
	});
	ASSERT_EQ(p->files, recs({ 0, 1, 10, 11, 2 }));

	ASSERT_EQ(playlist_undo(*p), 0);
	EXPECT_EQ(p->files, recs({ 10, 11, 2 }));
	ASSERT_EQ(playlist_redo(*p), 0);
	EXPECT_EQ(p->files, recs({ 10, 11, 10, 11, 2 }));
}

TEST_F(History, UndoOutsideThePlaylistIsFatal)
{
	struct {
		const char *label;
		int pos, n; // the recorded paste
		int drop;   // entries removed afterwards without recording
	} cases[] = {
		{ "location past the end", 3, 1, 1 },
		{ "range runs past the end", 2, 2, 2 },
	};
	for (const auto &c : cases) {
		auto p = make(0, 3);
		std::vector<meta_info *> pasted(c.n, rec(20));
		playlist_file_add(*p, pasted.data(), c.pos, c.n, true);
		playlist_remove_file(*p, p->nfiles() - c.drop, c.drop, false);
		const std::string expected = ": playlist_remove_file: index " +
		                             std::to_string(c.pos) + " out of range\n$";
		EXPECT_EXIT(playlist_undo(*p), testing::ExitedWithCode(1), expected) << c.label;
	}
}

TEST_F(History, RedoOutsideThePlaylistIsFatal)
{
	auto p = make(0, 4);
	playlist_remove_file(*p, 2, 2, true);
	ASSERT_EQ(playlist_undo(*p), 0);
	playlist_remove_file(*p, 3, 1, false);
	EXPECT_EXIT(playlist_redo(*p), testing::ExitedWithCode(1),
	            ": playlist_remove_file: index 2 out of range\n$");
}

} // namespace
