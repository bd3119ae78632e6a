#include <gtest/gtest.h>

#include "library/db_test_util.h"
#include "meta/mi_query.h"
#include "playlist/playlist.h"

namespace
{

class PlaylistModel : public ::testing::Test
{
protected:
	PlaylistModel()
	{
		for (int i = 0; i < 10; i++)
			pool.push_back(make_record("/r" + std::to_string(i),
			                           { ("art" + std::to_string(i)).c_str() }));
	}

	meta_info *r(int i) { return pool[i].get(); }

	playlist_ptr with(std::initializer_list<int> idx)
	{
		playlist_ptr p = playlist_new();
		for (int i : idx)
			playlist_file_append(*p, r(i), false);
		return p;
	}

	std::vector<meta_info *> refs(std::initializer_list<int> idx)
	{
		std::vector<meta_info *> v;
		for (int i : idx)
			v.push_back(r(i));
		return v;
	}

	std::vector<mi_ptr> pool;
};

TEST_F(PlaylistModel, InsertionKeepsOrderAroundThePosition)
{
	playlist_ptr p = with({ 0, 1, 2, 3, 4 });
	auto add = refs({ 5, 6, 7 });
	playlist_file_add(*p, add.data(), 2, 3, false);
	EXPECT_EQ(p->files, refs({ 0, 1, 5, 6, 7, 2, 3, 4 }));

	playlist_file_add(*p, add.data(), p->nfiles(), 1, false);
	EXPECT_EQ(p->files.back(), r(5));

	playlist_ptr empty = playlist_new();
	playlist_file_add(*empty, add.data(), 0, 2, false);
	EXPECT_EQ(empty->files, refs({ 5, 6 }));
	EXPECT_EQ(empty->hist_present, -1) << "not recorded";
	EXPECT_FALSE(empty->needs_saving);

	EXPECT_EXIT(playlist_file_add(*empty, add.data(), 3, 1, false), testing::ExitedWithCode(1),
	            "playlist_file_add: index 3 out of range");
	EXPECT_EXIT(playlist_file_add(*empty, add.data(), -1, 1, false), testing::ExitedWithCode(1),
	            "playlist_file_add: index -1 out of range");
}

TEST_F(PlaylistModel, RemovalAndReplacement)
{
	playlist_ptr one = with({ 3 });
	playlist_remove_file(*one, 0, 1, false);
	EXPECT_EQ(one->nfiles(), 0);
	EXPECT_EXIT(playlist_remove_file(*one, 0, 1, false), testing::ExitedWithCode(1),
	            "playlist_remove_file: index 0 out of range");

	playlist_ptr p = with({ 0, 1, 2, 3, 4 });
	playlist_remove_file(*p, 1, 2, false);
	EXPECT_EQ(p->files, refs({ 0, 3, 4 }));
	// A range running past the end is refused rather than read past the list.
	EXPECT_EXIT(playlist_remove_file(*p, 2, 2, false), testing::ExitedWithCode(1),
	            "playlist_remove_file: index 2 out of range");

	playlist_file_replace(*p, 1, r(9));
	EXPECT_EQ(p->files, refs({ 0, 9, 4 }));
	EXPECT_EQ(*r(3)->filename, "/r3") << "the replaced record is untouched";
	EXPECT_EXIT(playlist_file_replace(*p, 3, r(9)), testing::ExitedWithCode(1),
	            "playlist_file_replace: index 3 out of range");
}

TEST_F(PlaylistModel, RecordingMarksUnsavedChanges)
{
	playlist_ptr p = with({ 0, 1 });
	auto add = refs({ 2 });
	playlist_file_add(*p, add.data(), 1, 1, true);
	EXPECT_TRUE(p->needs_saving);
	EXPECT_EQ(p->hist_present, 0);
	ASSERT_TRUE(p->history[0]);
	EXPECT_EQ(p->history[0]->type, CHANGE_ADD);
	EXPECT_EQ(p->history[0]->location, 1);

	p->needs_saving = false;
	playlist_remove_file(*p, 0, 2, true);
	EXPECT_TRUE(p->needs_saving);
	EXPECT_EQ(p->history[1]->type, CHANGE_REMOVE);
	EXPECT_EQ(p->history[1]->files, refs({ 0, 2 }));

	// An insertion of nothing is still an edit that undo steps over.
	p->needs_saving = false;
	playlist_file_add(*p, nullptr, 0, 0, true);
	EXPECT_TRUE(p->needs_saving);
	EXPECT_EQ(p->hist_present, 2);
	EXPECT_EQ(playlist_undo(*p), 0);
	EXPECT_EQ(p->hist_present, 1);
}

TEST_F(PlaylistModel, DuplicateSharesRecordsButNotHistory)
{
	playlist_ptr p = with({ 0, 1, 2 });
	auto add = refs({ 4 });
	playlist_file_add(*p, add.data(), 0, 1, true);
	playlist_ptr d = playlist_dup(*p, std::string("/x.playlist"), std::nullopt);
	EXPECT_EQ(d->files, p->files);
	EXPECT_EQ(d->filename, "/x.playlist");
	EXPECT_FALSE(d->name);
	EXPECT_EQ(d->hist_present, -1);
	EXPECT_FALSE(d->needs_saving);

	playlist_free(std::move(p));
	EXPECT_EQ(*d->files[0]->filename, "/r4") << "records outlive the playlists";
}

TEST_F(PlaylistModel, FilterFollowsTheQuery)
{
	playlist_ptr p = with({ 0, 1, 2, 3 });
	mi_query_init();
	EXPECT_EQ(playlist_filter(*p, true), nullptr) << "no query, no filter";

	mi_query_add_token("art1");
	playlist_ptr hit = playlist_filter(*p, true);
	ASSERT_NE(hit, nullptr);
	EXPECT_EQ(hit->files, refs({ 1 }));
	EXPECT_FALSE(hit->name);
	EXPECT_FALSE(hit->needs_saving);
	EXPECT_EQ(hit->hist_present, -1);

	playlist_ptr miss = playlist_filter(*p, false);
	EXPECT_EQ(miss->files, refs({ 0, 2, 3 }));
	mi_query_init();
}

} // namespace
