// The player front's queue arithmetic and checks against a backend of the
// test's own, in-process; the mplayer backend's loadfile text and its
// search of $PATH.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "harness/harness.h"
#include "player/mplayer.h"
#include "player/player.h"
#include "player/test_backend.h"

namespace
{

class PlayerFront : public testing::Test
{
protected:
	// A queue of n files named 0 to n-1.
	void queue(int n)
	{
		records.clear();
		files = playlist_new();
		for (int i = 0; i < n; i++) {
			mi_ptr mi = mi_new();
			mi->filename = std::to_string(i);
			files->files.push_back(mi.get());
			records.push_back(std::move(mi));
		}
		player_info.queue = files.get();
	}

	test_backend_in_use backend;
	std::vector<std::string> &calls = backend.calls();
	std::vector<mi_ptr> records;
	playlist_ptr files;
};

struct skip_case {
	const char *name;
	int mode, nfiles, qidx, n;
	std::vector<std::string> calls; // what the backend is asked
	int qidx_after;
};

class PlayerSkip : public PlayerFront, public testing::WithParamInterface<skip_case>
{
};

TEST_P(PlayerSkip, MovesByTheModeAndPlays)
{
	const skip_case &c = GetParam();
	queue(c.nfiles);
	player_info.mode = c.mode;
	player_info.qidx = c.qidx;
	player_skip_song(c.n);
	EXPECT_EQ(calls, c.calls);
	EXPECT_EQ(player_info.qidx, c.qidx_after);
}

const std::vector<std::string> STOP = { "stop" };

INSTANTIATE_TEST_SUITE_P(
        Player, PlayerSkip,
        testing::Values(skip_case{ "LinearNext", MODE_LINEAR, 5, 3, 1, { "play 4" }, 4 },
                        skip_case{ "LinearNextPastTheEndStops", MODE_LINEAR, 5, 4, 1, STOP, 0 },
                        skip_case{ "LinearBackPastTheStartStops", MODE_LINEAR, 5, 1, -2, STOP, 0 },
                        skip_case{ "LinearBack", MODE_LINEAR, 5, 3, -2, { "play 1" }, 1 },
                        skip_case{ "LinearHugeCountStops", MODE_LINEAR, 5, 4, INT_MAX, STOP, 0 },
                        skip_case{ "LoopNextWraps", MODE_LOOP, 5, 4, 1, { "play 0" }, 0 },
                        skip_case{ "LoopNextBy7", MODE_LOOP, 5, 4, 7, { "play 1" }, 1 },
                        skip_case{ "LoopBackWraps", MODE_LOOP, 5, 0, -1, { "play 4" }, 4 },
                        skip_case{ "LoopBackBy3", MODE_LOOP, 5, 1, -3, { "play 3" }, 3 },
                        skip_case{ "LoopBackBy7", MODE_LOOP, 5, 1, -7, { "play 4" }, 4 },
                        skip_case{ "LoopHugeCount", MODE_LOOP, 5, 4, INT_MAX, { "play 1" }, 1 },
                        skip_case{ "RandomOneFile", MODE_RANDOM, 1, 0, 1, { "play 0" }, 0 },
                        skip_case{ "RandomOneFileBack", MODE_RANDOM, 1, 0, -1, { "play 0" }, 0 },
                        // The queue lost files while playing.
                        skip_case{ "LinearEmptiedQueueStops", MODE_LINEAR, 0, 2, 1, STOP, 0 },
                        skip_case{ "LoopEmptiedQueueStops", MODE_LOOP, 0, 2, 1, STOP, 0 },
                        skip_case{ "LoopEmptiedQueueBackStops", MODE_LOOP, 0, 2, -1, STOP, 0 },
                        skip_case{ "RandomEmptiedQueueStops", MODE_RANDOM, 0, 2, 1, STOP, 0 },
                        skip_case{ "LoopShrunkQueueBack", MODE_LOOP, 3, 4, -1, { "play 0" }, 0 },
                        skip_case{ "LinearShrunkQueueBackStops", MODE_LINEAR, 3, 5, -1, STOP, 0 },
                        skip_case{ "AnotherModeDoesNothing", 7, 5, 2, 1, {}, 2 }),
        [](const testing::TestParamInfo<skip_case> &info) { return info.param.name; });

TEST_F(PlayerFront, RandomModePicksByTheRandomGenerator)
{
	queue(50);
	player_info.mode = MODE_RANDOM;
	player_info.qidx = 0;
	srand(7);
	const int first = rand() % 50, second = rand() % 50;
	srand(7);
	player_skip_song(1);
	player_skip_song(-1);
	EXPECT_EQ(calls, (std::vector<std::string>{ "play " + std::to_string(first),
	                                            "play " + std::to_string(second) }));
	EXPECT_EQ(player_info.qidx, second);
}

TEST_F(PlayerFront, NothingHappensWhileNothingPlays)
{
	queue(5);
	player_info.qidx = 2;
	backend.set_playing(false);
	for (int mode : { MODE_LINEAR, MODE_LOOP, MODE_RANDOM }) {
		player_info.mode = mode;
		player_skip_song(1);
		player_skip_song(-1);
	}
	player_pause();
	player_seek(10);
	player_volume_step(1);
	EXPECT_EQ(calls, std::vector<std::string>{});
	EXPECT_EQ(player_info.qidx, 2);

	backend.set_playing(true);
	player_pause();
	player_seek(-60);
	player_volume_step(-2);
	EXPECT_EQ(calls, (std::vector<std::string>{ "pause", "seek -60", "volume -2.000000" }));
}

TEST_F(PlayerFront, PlayPlaysTheFileAtTheQueueIndex)
{
	queue(3);
	player_set_queue(files.get(), 2);
	player_play();
	EXPECT_EQ(calls, std::vector<std::string>{ "play 2" });
}

TEST_F(PlayerFront, PlayWithABadQueueOrIndexEndsTheProgram)
{
	player_set_queue(nullptr, 0);
	EXPECT_EXIT(player_play(), testing::ExitedWithCode(1), ": player_play: bad queue/qidx\n");
	queue(3);
	for (int bad : { -1, 3, 4 }) {
		player_info.qidx = bad;
		EXPECT_EXIT(player_play(), testing::ExitedWithCode(1),
		            ": player_play: qidx " + std::to_string(bad) + " out-of-range\n");
	}
}

TEST(Player, AnUnknownBackendEndsTheProgram)
{
	for (const char *name : { "", "xine", "mplayer2" })
		EXPECT_EXIT(player_init(name), testing::ExitedWithCode(1),
		            std::string(": backend '") + name + "' not supported\n");
}

// The fake player stands in for mplayer; the backend is chosen in any case.
TEST(Player, TheMplayerBackendIsChosenInAnyCase)
{
	EXPECT_EXIT(
	        {
		        setenv("PATH", FAKEPLAYER_DIR, 1);
		        player_init("MPlayer");
		        bool ok = std::string(player_info.backend.name) == "mplayer" &&
		                  player_info.mode == MODE_LINEAR && player_info.qidx == -1 &&
		                  player_info.queue == nullptr && !player_is_playing() &&
		                  player_get_volume() == -1;
		        player_destroy();
		        player_destroy();
		        exit(ok ? 0 : 2);
	        },
	        testing::ExitedWithCode(0), "");
}

struct loadfile_case {
	const char *name;
	std::string file;
	std::optional<std::string> command;
};

class PlayerLoadfile : public testing::TestWithParam<loadfile_case>
{
};

TEST_P(PlayerLoadfile, WritesTheNameForThePlayerToReadItBack)
{
	EXPECT_EQ(mplayer_loadfile_command(GetParam().file), GetParam().command);
}

const std::string QUERY = "\nget_property time_pos\n";

INSTANTIATE_TEST_SUITE_P(
        Player, PlayerLoadfile,
        testing::Values(loadfile_case{ "Plain", "/m/a b.ogg",
                                       "\nloadfile \"/m/a b.ogg\" 0" + QUERY },
                        loadfile_case{ "Apostrophe", "/m/it's.ogg",
                                       "\nloadfile \"/m/it's.ogg\" 0" + QUERY },
                        loadfile_case{ "Quotes", "/m/\"hi\".ogg",
                                       "\nloadfile \"/m/\\\"hi\\\".ogg\" 0" + QUERY },
                        loadfile_case{ "Backslashes", "/m/a\\b\\\"c.ogg",
                                       "\nloadfile \"/m/a\\\\b\\\\\\\"c.ogg\" 0" + QUERY },
                        loadfile_case{ "QuoteAndCommandOnOneLine", "/m/x\" 0; run \"touch y",
                                       "\nloadfile \"/m/x\\\" 0; run \\\"touch y\" 0" + QUERY },
                        // A backslash before the closing quote would escape it.
                        loadfile_case{ "EndingInABackslash", "/m/it's \"a\"\tb\\",
                                       "\nloadfile /m/it\\'s\\ \\\"a\\\"\\\tb\\\\" + QUERY },
                        loadfile_case{ "OnlyABackslash", "\\", "\nloadfile \\\\" + QUERY },
                        loadfile_case{ "LineFeed", "/m/x\" 0\nrun \"touch y", std::nullopt },
                        loadfile_case{ "CarriageReturn", "/m/x\r.ogg", std::nullopt },
                        loadfile_case{ "LineFeedLast", "/m/x.ogg\n", std::nullopt }),
        [](const testing::TestParamInfo<loadfile_case> &info) { return info.param.name; });

struct path_case {
	const char *name;
	std::string path; // $PATH, with D for the directory holding the programs
	const char *program;
	bool found;
};

class PlayerExeInPath : public testing::TestWithParam<path_case>
{
};

TEST_P(PlayerExeInPath, FindsExecutablesInTheDirectoriesOfPath)
{
	temp_dir dir;
	write_file(dir / "prog", "#!/bin/sh\n");
	chmod((dir / "prog").c_str(), 0755);
	write_file(dir / "data", "");
	chmod((dir / "data").c_str(), 0644);

	std::string path = GetParam().path;
	for (size_t at = 0; (at = path.find('D', at)) != std::string::npos; at += dir.path().size())
		path.replace(at, 1, dir.path());
	EXPECT_EXIT(
	        {
		        // The working directory holds the programs too: an empty part
		        // of $PATH must not find them there.
		        if (chdir(dir.path().c_str()) != 0)
			        exit(3);
		        setenv("PATH", path.c_str(), 1);
		        exit(exe_in_path(GetParam().program) ? 0 : 1);
	        },
	        testing::ExitedWithCode(GetParam().found ? 0 : 1), "");
}

INSTANTIATE_TEST_SUITE_P(Player, PlayerExeInPath,
                         testing::Values(path_case{ "Found", "/nonexistent:D", "prog", true },
                                         path_case{ "EmptyPartsAround", ":D:", "prog", true },
                                         path_case{ "NotExecutable", "D", "data", false },
                                         path_case{ "Missing", "D", "nothing", false },
                                         path_case{ "EmptyPartsAreNotTheWorkingDirectory",
                                                    "::/nonexistent:", "prog", false },
                                         path_case{ "EmptyPath", "", "prog", false }),
                         [](const testing::TestParamInfo<path_case> &info) {
	                         return info.param.name;
                         });

} // namespace
