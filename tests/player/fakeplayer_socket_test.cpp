// The player protocol against the fake player: the bytes korvane writes,
// how it reads the answers, and what it does when the player dies, talks
// nonsense or cannot be found.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <memory>
#include <string>
#include <vector>

#include "player/player_home.h"

namespace
{

// Four tones by Artist 1 to 4, the last with a line feed in its name, and
// the playlist "odd" with a name that ends in a backslash.
struct fake_library {
	temp_dir media;
	korvane_home maker;
	std::string plain = media / "plain.flac";
	std::string quotes = media / "say \"hi\" it's.flac";
	std::string backslash = media / "back\\slash.flac";
	std::string line_feed = media / "evil\" 0\nrun \"cd;touch pwned;#.flac";
	std::string trailing_backslash = media / "tail\\";
};

const fake_library &library()
{
	static std::unique_ptr<fake_library> lib = [] {
		auto l = std::make_unique<fake_library>();
		int n = 0;
		for (const std::string *f :
		     { &l->plain, &l->quotes, &l->backslash, &l->line_feed }) {
			n++;
			make_media(*f, { "Artist " + std::to_string(n), "", "Song", "", "", 0, 0 },
			           0.1);
		}
		add_to_library(l->maker, l->media.path());
		return l;
	}();
	return *lib;
}

struct fake_home : korvane_home {
	explicit fake_home(bool odd_playlist = false)
	{
		write_file(db(), read_file(library().maker.db()));
		// korvane warns that the playlist's file is not in the database.
		if (odd_playlist)
			write_file(playlists() + "/odd.playlist",
			           library().trailing_backslash + "\n");
	}
};

bool bar_starts_with(const screen_capture &c, const std::string &text)
{
	return !c.rows.empty() && c.rows[0].rfind(text, 0) == 0;
}

// korvane on the home with the fake player, the library in the playlist
// window, the first file playing.
struct playing_session {
	explicit playing_session(const std::vector<std::string> &script, bool odd_playlist = false)
	    : home(odd_playlist)
	{
		player.script(script);
		s = std::make_unique<tmux_screen>(home, std::vector<std::string>{}, 80, 24,
		                                  player.env());
		s->keys({ "Tab", "Enter" });
		s->wait_until([](const screen_capture &c) { return bar_starts_with(c, "[O] "); },
		              "the first file to play");
	}
	fake_home home;
	fake_player player;
	std::unique_ptr<tmux_screen> s;
};

const std::string QUERY = "\nget_property time_pos";

std::string loadfile(const std::string &quoted_name)
{
	return "loadfile \"" + quoted_name + "\" 0" + QUERY;
}

TEST(Player, WritesEachCommandByteForByte)
{
	const fake_library &lib = library();
	playing_session p({ "on pausing_keep get_property volume reply ANS_volume=50.000000\\n" },
	                  true);
	tmux_screen &s = *p.s;

	s.keys({ "z" });
	s.wait_until([](const screen_capture &c) { return bar_starts_with(c, "[O] -PAUSED- +"); },
	             "the pause");
	s.keys({ "z" });
	s.wait_until([](const screen_capture &c) { return bar_starts_with(c, "[O]          +"); },
	             "the pause to end");
	s.keys({ "f", "3", "f", "B", ">" });
	s.wait_for_row(23, "volume:  50%");
	s.keys({ "2", "<", "s" });
	s.wait_until([](const screen_capture &c) { return bar_starts_with(c, "korvane..."); },
	             "the stop");
	s.keys({ "j", "Enter", "j", "Enter", "j", "Enter" });
	s.wait_for_row(23, "can't play a file whose name holds a line break");
	s.wait_until([](const screen_capture &c) { return bar_starts_with(c, "korvane..."); },
	             "the player to stay stopped");
	s.keys({ "Tab", "G", "Enter", "Enter" });
	s.wait_until([](const screen_capture &c) { return bar_starts_with(c, "[O] "); },
	             "the playlist's file to play");
	s.keys({ "C-c" });
	EXPECT_EQ(s.wait_exit(), 0) << s.err();

	const std::string volume_50 = "pausing_keep set_property volume 50.000000";
	const std::string volume_query = "pausing_keep get_property volume";
	const std::vector<std::string> expected = {
		loadfile(lib.plain),
		"pause",
		"pause",
		"seek 10 0" + QUERY,
		"seek 30 0" + QUERY,
		"seek -60 0" + QUERY,
		"pausing_keep volume 1.000000",
		volume_query,
		"pausing_keep set_property volume 48.000000",
		volume_query,
		"stop",
		loadfile(lib.media / "say \\\"hi\\\" it's.flac"),
		volume_50,
		volume_query,
		loadfile(lib.media / "back\\\\slash.flac"),
		volume_50,
		volume_query,
		"stop",
		"loadfile " + lib.media / "tail\\\\" + QUERY,
		volume_50,
		volume_query,
		"quit",
	};
	EXPECT_EQ(p.player.commands(), expected) << p.player.log();
	EXPECT_FALSE(file_exists(p.home / "pwned"));
}

TEST(Player, OfSeveralPositionAnswersInOneReadTheLastWins)
{
	playing_session p({ "on loadfile reply "
	                    "ANS_time_pos=1.0\\nANS_time_pos=2.0\\nANS_time_pos=63.4\\n" });
	p.s->wait_until(
	        [](const screen_capture &c) {
		        return bar_starts_with(c, "[O]          +00:01:03 (");
	        },
	        "the last position");
}

TEST(Player, AnEndOfFileAmongPositionAnswersIsAllThatCounts)
{
	const fake_library &lib = library();
	playing_session p({
	        "on loadfile reply ANS_time_pos=5.0\\nANS_ERROR=PROPERTY_UNAVAILABLE\\n"
	        "ANS_time_pos=9.0\\n",
	        "on loadfile reply ANS_time_pos=2.0\\n",
	});
	p.s->wait_until(
	        [](const screen_capture &c) {
		        return bar_starts_with(c, "[O]          +00:00:02 (");
	        },
	        "the next file's position");
	const std::vector<std::string> commands = p.player.commands();
	ASSERT_GE(commands.size(), 2u);
	EXPECT_EQ(commands[0], loadfile(lib.plain));
	EXPECT_EQ(commands[1], loadfile(lib.media / "say \\\"hi\\\" it's.flac"));
}

TEST(Player, AVolumeAnswerArrivingWithTheEndOfAFileIsKept)
{
	const fake_library &lib = library();
	playing_session p({
	        "on loadfile reply ANS_volume=40.000000\\nANS_ERROR=PROPERTY_UNAVAILABLE\\n",
	        "on loadfile reply ANS_time_pos=2.0\\n",
	});
	p.s->wait_for_row(23, "volume:  40%");
	p.s->wait_until(
	        [](const screen_capture &c) {
		        return bar_starts_with(c, "[O]          +00:00:02 (");
	        },
	        "the next file's position");
	// The next file is set to the volume the player reported.
	const std::vector<std::string> commands = p.player.commands();
	ASSERT_GE(commands.size(), 3u);
	EXPECT_EQ(commands[0], loadfile(lib.plain));
	EXPECT_EQ(commands[1], loadfile(lib.media / "say \\\"hi\\\" it's.flac"));
	EXPECT_EQ(commands[2], "pausing_keep set_property volume 40.000000");
}

TEST(Player, AnAnswerWithoutANumberEndsTheProgram)
{
	fake_home home;
	fake_player player;
	player.script({ "on loadfile reply ANS_time_pos=abc\\n" });
	tmux_screen s(home, {}, 80, 24, player.env());
	s.keys({ "Tab", "Enter" });
	EXPECT_EQ(s.wait_exit(), 1);
	EXPECT_EQ(s.err(), "korvane: player_monitor: player child is misbehaving.\n");
	EXPECT_EQ(s.stty_after(), s.stty_before());
	wait_until_gone(player.wait_for_player(1));
}

TEST(Player, ADeadPlayerIsRestartedButNotWhenItDiesAgainAtOnce)
{
	const fake_library &lib = library();
	playing_session p({ "on loadfile reply ANS_time_pos=7.6\\n" });
	tmux_screen &s = *p.s;
	s.wait_until(
	        [](const screen_capture &c) {
		        return bar_starts_with(c, "[O]          +00:00:08 (");
	        },
	        "the position");

	kill(p.player.wait_for_player(1), SIGKILL);
	s.wait_for_row(23, "mplayer died.  Restarting it.");
	const pid_t second = p.player.wait_for_player(2);
	const std::vector<std::string> expected = { loadfile(lib.plain), loadfile(lib.plain),
		                                    "seek 7 0" + QUERY };
	wait_for([&] { return p.player.commands() == expected; },
	         "the file loaded again and sought to its second");

	kill(second, SIGKILL);
	EXPECT_EQ(s.wait_exit(), 1);
	EXPECT_EQ(s.err(), "The player-backend 'mplayer' has experienced a fatal error:\n"
	                   "mplayer is crashing too often.  Possible causes are:\n"
	                   "   1. mplayer is not in your $PATH\n"
	                   "   2. The installed mplayer is older, and not supported by korvane\n");
	EXPECT_EQ(s.stty_after(), s.stty_before());
	EXPECT_EQ(p.player.pids().size(), 2u);
}

TEST(Player, APlayerThatDiesWhilePausedComesBackPausedWhereItWas)
{
	const fake_library &lib = library();
	playing_session p({ "on loadfile reply ANS_time_pos=7.6\\n" });
	tmux_screen &s = *p.s;
	s.wait_until(
	        [](const screen_capture &c) {
		        return bar_starts_with(c, "[O]          +00:00:08 (");
	        },
	        "the position");
	s.keys({ "z" });
	s.wait_until([](const screen_capture &c) { return bar_starts_with(c, "[O] -PAUSED- +"); },
	             "the pause");
	kill(p.player.wait_for_player(1), SIGKILL);
	s.wait_for_row(23, "mplayer died.  Restarting it.");
	p.player.wait_for_player(2);
	const std::vector<std::string> expected = { loadfile(lib.plain), "pause", loadfile(lib.plain),
		                                    "seek 7 0" + QUERY, "pause" };
	wait_for([&] { return p.player.commands() == expected; },
	         "the file loaded again, sought to its second and paused");
	s.wait_until([](const screen_capture &c) { return bar_starts_with(c, "[O] -PAUSED- +00:00:08"); },
	             "the bar paused at the same place");
}

TEST(Player, EverythingThePlayerSaidIsReadEachTick)
{
	// Each answer comes after 40,000 bytes of chatter: all of it is read on
	// one tick, so the position shows at once and keeps up (a thousand
	// bytes a tick would take twenty seconds to reach the first).
	std::string chatter;
	for (int i = 0; i < 400; i++)
		chatter += std::string(99, 'x') + "\\n";
	playing_session p({ "on loadfile reply " + chatter + "ANS_time_pos=3.0\\n",
	                    "on get_property time_pos reply " + chatter + "ANS_time_pos=4.0\\n" });
	p.s->wait_until(
	        [](const screen_capture &c) { return bar_starts_with(c, "[O]          +00:00:04 ("); },
	        "the last position behind the chatter");
}

// korvane -Q asks the running instance what plays.
TEST(StatusQuery, PrintsWhatPlaysPausesAndStops)
{
	const fake_library &lib = library();
	playing_session p({ "on loadfile reply ANS_time_pos=7.6\\n" });
	tmux_screen &s = *p.s;
	s.wait_until([](const screen_capture &c) { return bar_starts_with(c, "[O]          +00:00:08 ("); },
	             "the position");
	const std::string tags = "tag artist Artist 1\ntag title Song\nplaylist --LIBRARY--\n";
	run_result r = p.home.run({ "-Q" });
	EXPECT_EQ(r.status, 0) << r.err;
	EXPECT_EQ(r.out, "status playing\nfile " + lib.plain + "\nposition 7\n" + tags +
	                         "mode loop\nvolume -1\n");
	s.keys({ "z" });
	s.wait_until([](const screen_capture &c) { return bar_starts_with(c, "[O] -PAUSED- +"); },
	             "the pause");
	r = p.home.run({ "-Q" });
	EXPECT_EQ(r.out, "status paused\nfile " + lib.plain + "\nposition 7\n" + tags +
	                         "mode loop\nvolume -1\n");
	s.keys({ "s" });
	s.wait_until([](const screen_capture &c) { return bar_starts_with(c, "korvane..."); },
	             "the stop");
	r = p.home.run({ "-Q" });
	EXPECT_EQ(r.out, "status stopped\n");
	EXPECT_EQ(r.err, "");
}

TEST(StatusQuery, WithNothingRunningFailsAsMinusCDoes)
{
	korvane_home home;
	run_result r = home.run({ "-Q" });
	EXPECT_EQ(r.status, 1);
	EXPECT_EQ(r.err, "korvane: Failed to send message. Korvane not running?\n");
}

TEST(StatusQuery, WatchingPrintsEveryChangeUntilTheInstanceEnds)
{
	playing_session p({ "on loadfile reply ANS_time_pos=1.0\\n" });
	tmux_screen &s = *p.s;
	// The watcher's output goes to a file, read as it grows.
	const std::string out = p.home / "watched";
	run_result watched;
	std::thread watcher([&] {
		run_options opts;
		opts.home = p.home.path();
		watched = run_program("sh", { "-c", std::string(KORVANE_BINARY) + " -Q -w > " + out },
		                      opts);
	});
	// The first block comes at once; a pause and a change of mode are
	// changes, the position moving is not.
	wait_for([&] { return file_exists(out) && read_file(out).find("mode loop") != std::string::npos; },
	         "the first block");
	s.keys({ "z" });
	s.wait_until([](const screen_capture &c) { return bar_starts_with(c, "[O] -PAUSED- +"); },
	             "the pause");
	s.type(":mode random");
	s.keys({ "Enter" });
	s.wait_until([](const screen_capture &c) { return bar_starts_with(c, "[?] -PAUSED- +"); },
	             "the mode");
	s.keys({ "C-c" });
	EXPECT_EQ(s.wait_exit(), 0);
	watcher.join();
	EXPECT_EQ(watched.status, 0) << watched.err;
	std::vector<std::string> statuses;
	for (const std::string &line : lines_of(read_file(out)))
		if (line.rfind("status ", 0) == 0 || line.rfind("mode ", 0) == 0 || line.empty())
			statuses.push_back(line);
	EXPECT_EQ(statuses, (std::vector<std::string>{ "status playing", "mode loop", "",
	                                               "status paused", "mode loop", "",
	                                               "status paused", "mode random" }))
	        << read_file(out);
}

TEST(Player, WithoutAPlayerOnPathTheProgramEnds)
{
	// Only what the terminal's wrapper script needs.
	temp_dir bin;
	for (const char *tool : { "sh", "stty", "mv" })
		ASSERT_EQ(symlink((std::string("/bin/") + tool).c_str(), (bin / tool).c_str()), 0);
	fake_home home;
	tmux_screen s(home, {}, 80, 24, { { "PATH", bin.path() } }, tmux_screen::no_wait{});
	EXPECT_EQ(s.wait_exit(), 1);
	EXPECT_EQ(s.err(), "korvane: it appears 'mplayer' does not exist in your $PATH\n");
	EXPECT_EQ(s.stty_after(), s.stty_before());
}

TEST(Player, AnUnknownBackendNamedWithMinusMEndsTheProgram)
{
	fake_home home;
	fake_player player;
	tmux_screen s(home, { "-m", "xine" }, 80, 24, player.env(), tmux_screen::no_wait{});
	EXPECT_EQ(s.wait_exit(), 1);
	EXPECT_EQ(s.err(), "korvane: backend 'xine' not supported\n");
	EXPECT_EQ(s.stty_after(), s.stty_before());
	EXPECT_EQ(player.pids().size(), 0u);
}

struct ending {
	const char *name;
	void (*end)(tmux_screen &s);
	int status;
};

class PlayerEnds : public testing::TestWithParam<ending>
{
};

TEST_P(PlayerEnds, AndThePlayerWithIt)
{
	playing_session p({});
	const pid_t player = p.player.wait_for_player(1);
	GetParam().end(*p.s);
	EXPECT_EQ(p.s->wait_exit(), GetParam().status) << p.s->err();
	wait_until_gone(player);
}

INSTANTIATE_TEST_SUITE_P(
        Player, PlayerEnds,
        testing::Values(ending{ "ControlC", [](tmux_screen &s) { s.keys({ "C-c" }); }, 0 },
                        ending{ "SIGTERM", [](tmux_screen &s) { s.signal(SIGTERM); }, 0 },
                        ending{ "SIGKILL", [](tmux_screen &s) { s.signal(SIGKILL); },
                                128 + SIGKILL }),
        [](const testing::TestParamInfo<ending> &info) { return info.param.name; });

} // namespace
