// The player actions in-process, against the test backend: what each key
// asks of the player, with and without a count.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "keys/kba.h"
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

} // namespace
