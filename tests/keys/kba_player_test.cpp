// The player actions in-process, against the test backend: what each key
// asks of the player, with and without a count.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/cmd.h"
#include "input/input.h"
#include "keys/kba.h"
#include "meta/mi_sort.h"
#include "playlist/ybuffer.h"
#include "keys/keys_fixture.h"
#include "player/player.h"
#include "player/test_backend.h"

namespace
{

class KbaPlayer : public KeysTest
{
protected:
	void SetUp() override
	{
		KeysTest::SetUp();
		show_files(10, 20);
		player_set_queue(files.get(), 2);
		player_info.mode = MODE_LOOP;
		playing_playlist = files.get();
	}
	void TearDown() override
	{
		playing_playlist = nullptr;
		KeysTest::TearDown();
	}
	test_backend_in_use backend;
};

struct key_case {
	const char *name;
	int count; // the number prefix; 0 for none
	int key;
	std::string call;
};

class KbaPlayerKeys : public KbaPlayer, public testing::WithParamInterface<key_case>
{
};

TEST_P(KbaPlayerKeys, AskThePlayerAndTakeTheCount)
{
	const key_case &c = GetParam();
	numprefix_set(c.count);
	EXPECT_TRUE(kb_execute(c.key));
	EXPECT_EQ(backend.calls(), std::vector<std::string>{ c.call });
	EXPECT_EQ(numprefix_get(), 0);
}

INSTANTIATE_TEST_SUITE_P(
        Keys, KbaPlayerKeys,
        testing::Values(key_case{ "Next", 0, ')', "play /m/track003.mp3" },
                        key_case{ "NextFive", 5, ')', "play /m/track007.mp3" },
                        key_case{ "Previous", 0, '(', "play /m/track001.mp3" },
                        key_case{ "PreviousThreeWraps", 3, '(', "play /m/track009.mp3" },
                        key_case{ "Pause", 0, 'z', "pause" }, key_case{ "Stop", 0, 's', "stop" },
                        key_case{ "VolumeUp", 0, '>', "volume 1.000000" },
                        key_case{ "VolumeDownTen", 10, '<', "volume -10.000000" },
                        key_case{ "SeekForward", 0, 'f', "seek 10" },
                        key_case{ "SeekForwardThrice", 3, 'f', "seek 30" },
                        key_case{ "SeekForwardBracket", 0, ']', "seek 10" },
                        key_case{ "SeekBackward", 0, 'b', "seek -10" },
                        key_case{ "SeekBackwardBracket", 2, '[', "seek -20" },
                        key_case{ "SeekForwardMinute", 0, 'F', "seek 60" },
                        key_case{ "SeekForwardMinuteBrace", 0, '}', "seek 60" },
                        key_case{ "SeekBackTwoMinutes", 2, 'B', "seek -120" },
                        key_case{ "SeekBackMinuteBrace", 0, '{', "seek -60" },
                        // As far as an int goes.
                        key_case{ "SeekHugeCount", 2147483647, 'F', "seek 2147483647" }),
        [](const testing::TestParamInfo<key_case> &info) { return info.param.name; });

TEST_F(KbaPlayer, StopForgetsThePlayingPlaylist)
{
	EXPECT_TRUE(kb_execute('s'));
	EXPECT_EQ(playing_playlist, nullptr);
	EXPECT_EQ(player_info.queue, files.get());
}

TEST_F(KbaPlayer, WhileNothingPlaysTheKeysDoNothingButTakeTheCount)
{
	backend.set_playing(false);
	for (int key : { ')', '(', '>', '<', 'f', 'B' }) {
		numprefix_set(4);
		EXPECT_TRUE(kb_execute(key));
		EXPECT_EQ(numprefix_get(), 0);
	}
	EXPECT_TRUE(kb_execute('z'));
	EXPECT_EQ(backend.calls(), std::vector<std::string>{});
	EXPECT_EQ(player_info.qidx, 2);
}

TEST_F(KbaPlayer, EnterPlaysTheFileUnderTheCursorFromTheViewedPlaylist)
{
	playlist_ptr other = playlist_new();
	other->files = { files->files[5], files->files[6] };
	viewing_playlist = other.get();
	place(ui.playlist, 1, 0);
	EXPECT_TRUE(kb_execute(KB_KEY_ENTER));
	EXPECT_EQ(player_info.queue, other.get());
	EXPECT_EQ(player_info.qidx, 1);
	EXPECT_EQ(playing_playlist, other.get());
	EXPECT_EQ(backend.calls(), std::vector<std::string>{ "play /m/track006.mp3" });
	player_set_queue(nullptr, -1);
}

// The playing file is track002, row 2 of ten; the cursor is on row c.
class KbaFollow : public KbaPlayer
{
protected:
	void SetUp() override
	{
		KbaPlayer::SetUp();
		ybuffer_init();
		mi_sort_init();
		files->name = "mine";
		player_play();
		backend.calls().clear();
	}
	void TearDown() override
	{
		ybuffer_free();
		KbaPlayer::TearDown();
	}
	void keys_at(int row, const std::vector<int> &keys)
	{
		ui.playlist.crow = row;
		for (int k : keys)
			input_feed(k);
	}
	const meta_info *playing_record() const { return files->files[static_cast<size_t>(player_info.qidx)]; }
};

TEST_F(KbaFollow, TheQueueFollowsThePlayingRecordThroughEdits)
{
	const meta_info *playing = files->files[2];
	input_set_normal([](int key) { kb_execute(key); });
	keys_at(0, { 'd', 'd' }); // cut above
	EXPECT_EQ(player_info.qidx, 1);
	keys_at(4, { 'y', 'y' });
	keys_at(0, { 'P' }); // paste above
	EXPECT_EQ(player_info.qidx, 2);
	keys_at(0, { 'u', 'u' }); // the paste and the cut undone
	EXPECT_EQ(player_info.qidx, 2);
	keys_at(0, { 18 }); // the cut redone
	EXPECT_EQ(player_info.qidx, 1);
	EXPECT_EQ(playing_record(), playing);

	// Titles j to a: the title order is the reverse of the rows'.
	for (int i = 0; i < 10; i++)
		records[static_cast<size_t>(i)]->cinfo[CINFO_TITLE] = std::string(1, static_cast<char>('j' - i));
	cmd_execute("sort title");
	EXPECT_EQ(playing_record(), playing);
	EXPECT_EQ(player_info.qidx, 7);
	EXPECT_TRUE(player_playing_row(files.get(), 7));
	EXPECT_TRUE(backend.calls().empty());
	input_set_normal(nullptr);
}

TEST_F(KbaFollow, ThePlayingRowCutPlaysOnAndNextIsTheRowThatFollowedIt)
{
	input_set_normal([](int key) { kb_execute(key); });
	numprefix_set(2);
	keys_at(2, { 'd', 'd' }); // track002 and track003
	EXPECT_TRUE(player_info.record_left);
	EXPECT_EQ(player_info.record, records[2].get());
	EXPECT_FALSE(player_playing_row(files.get(), 2));
	keys_at(0, { ')' });
	EXPECT_EQ(backend.calls(), std::vector<std::string>{ "play /m/track004.mp3" });
	EXPECT_FALSE(player_info.record_left);
	EXPECT_EQ(player_info.qidx, 2);
	input_set_normal(nullptr);
}

TEST_F(KbaFollow, JumpToPlayingShowsThePlayingRow)
{
	viewing_playlist = nullptr;
	ui.active = &ui.library;
	EXPECT_TRUE(kb_execute('i'));
	EXPECT_EQ(viewing_playlist, files.get());
	EXPECT_EQ(ui.active, &ui.playlist);
	EXPECT_EQ(ui.playlist.cursor_index(), 2);

	backend.set_playing(false);
	ui.playlist.crow = 7;
	EXPECT_TRUE(kb_execute('i'));
	EXPECT_EQ(ui.playlist.cursor_index(), 7);
}

} // namespace
