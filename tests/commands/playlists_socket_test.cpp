// The playlist commands on the screen: new, playlist, w and w! with the
// files they write, q over unsaved playlists, and reload db while a file
// plays.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness/tmux_screen.h"
#include "player/player_home.h"
#include "screen/screen_libraries.h"

namespace
{

void command(tmux_screen &s, const std::string &line)
{
	s.type(":" + line);
	s.wait_for_row(23, cut(":" + line, 80));
	s.keys({ "Enter" });
}

void expect_said(tmux_screen &s, const std::string &text, char style)
{
	s.wait_for_row(23, cut(text, 80));
	s.wait_for_style(23, repeat(std::string(1, style), static_cast<int>(cut(text, 80).size())));
}

// The library window's rows from row 2 on, each name padded to the window.
void expect_library(tmux_screen &s, const std::vector<std::string> &names)
{
	std::vector<std::string> rows;
	for (const std::string &n : names)
		rows.push_back(n + repeat(" ", 18 - static_cast<int>(n.size())) + "x");
	s.wait_until(
	        [&](const screen_capture &c) {
		        for (size_t i = 0; i < rows.size(); i++)
			        if (c.rows[2 + i].compare(0, 19, rows[i]) != 0)
				        return false;
		        return c.rows[2 + rows.size()].compare(0, 1, "~") == 0;
	        },
	        "the library window to list the playlists");
}

bool bar_starts_with(const screen_capture &c, const std::string &text)
{
	return c.rows[0].rfind(text, 0) == 0;
}

TEST(Playlists, NewJumpWriteAndSaveAs)
{
	small_home home;
	const screen_library &lib = small_library();
	const std::string dir = home.playlists() + "/";
	tmux_screen s(home);

	command(s, "new");
	expect_said(s, "playlist \"untitled\" added", 'r');
	command(s, "n rockabilly");
	expect_said(s, "playlist \"rockabilly\" added", 'r');
	EXPECT_EQ(read_file(dir + "rockabilly.playlist"), "");
	command(s, "new rockabilly");
	expect_said(s, "playlist \"rockabilly\" already exists.", 'R');
	expect_library(s, { "--LIBRARY--", "--FILTER--", "a-playlist-with-a-", "empty", "rock",
	                    "+untitled", "+rockabilly" });

	// A name given whole wins; a start that several begin with does not.
	command(s, "playlist rock");
	expect_said(s, "jumped to playlist: rock", 'r');
	command(s, "playlist roc");
	expect_said(s, "no unique match for: roc", 'R');
	command(s, "playlist rocka");
	expect_said(s, "jumped to playlist: rockabilly", 'r');
	command(s, "w");
	expect_said(s, "\"" + dir + "rockabilly.playlist\" 0 songs written", 'r');
	expect_library(s, { "--LIBRARY--", "--FILTER--", "a-playlist-with-a-", "empty", "rock",
	                    "+untitled", "rockabilly" });
	command(s, "playlist u");
	command(s, "w");
	expect_said(s, "use \"w name\" for new playlists", 'R');

	// The library saved as a playlist, then another playlist saved over an
	// existing one, which moves to the end.
	command(s, "playlist --L");
	command(s, "w best");
	expect_said(s, "\"" + dir + "best.playlist\" 3 songs written", 'r');
	EXPECT_EQ(read_file(dir + "best.playlist"), lib.media / "morning.flac\n" +
	                                                    lib.media / "evening.ogg\n" +
	                                                    lib.media / "gale.flac\n");
	command(s, "w best");
	expect_said(s, "playlist with that name exists (use \"w!\" to overwrite)", 'R');
	command(s, "playlist a-");
	command(s, "w! rock");
	expect_said(s, "\"" + dir + "rock.playlist\" 1 songs written", 'r');
	EXPECT_EQ(read_file(dir + "rock.playlist"), lib.media / "evening.ogg\n");
	expect_library(s, { "--LIBRARY--", "--FILTER--", "a-playlist-with-a-", "empty", "+untitled",
	                    "rockabilly", "best", "rock" });

	command(s, "q");
	expect_said(s, "there are playlists with unsaved changes (untitled).  use \"q!\" to force.",
	            'R');
	command(s, "q!");
	EXPECT_EQ(s.wait_exit(), 0);
}

// korvane on the small home with the fake player.
struct player_session {
	player_session()
	{
		player.script({});
		s = std::make_unique<tmux_screen>(home, std::vector<std::string>{}, 80, 24,
		                                  player.env());
	}
	// Plays the file on row n of the playlist window, which is active.
	void play(int n)
	{
		s->keys({ "g", "g" });
		for (int i = 0; i < n; i++)
			s->keys({ "j" });
		s->keys({ "Enter" });
		s->wait_until([](const screen_capture &c) { return bar_starts_with(c, "[O] "); },
		              "a file to play");
	}
	small_home home;
	fake_player player;
	std::unique_ptr<tmux_screen> s;
};

// Saving over the playlist that plays: the copy takes its place, and the
// player goes on through it.
TEST(Playlists, ForcedSaveOverThePlayingPlaylist)
{
	player_session p;
	tmux_screen &s = *p.s;
	const screen_library &lib = small_library();

	command(s, "new zz");
	command(s, "playlist rock");
	p.play(0);
	command(s, "w! rock");
	expect_said(s, "\"" + p.home.playlists() + "/rock.playlist\" 3 songs written", 'r');
	// The copy, now at the end of the registry, is the playing playlist.
	s.wait_until(
	        [](const screen_capture &c) {
		        return c.rows[6].rfind("+zz ", 0) == 0 &&
		               c.rows[7].rfind("rock ", 0) == 0 &&
		               c.styles[7].rfind(repeat("g", 18), 0) == 0 &&
		               c.styles[6].rfind(repeat(".", 18), 0) == 0;
	        },
	        "the copy of rock, playing, after zz");
	s.keys({ ")" });
	wait_for(
	        [&] {
		        const std::vector<std::string> c = p.player.commands();
		        return !c.empty() &&
		               c.back().rfind("loadfile \"/music/missing.ogg\"", 0) == 0;
	        },
	        "the next file of the copy to be played");
	s.keys({ ")" });
	wait_for(
	        [&] {
		        const std::vector<std::string> c = p.player.commands();
		        return c.back().rfind("loadfile \"" + lib.media / "gale.flac", 0) == 0;
	        },
	        "the file after it");
	command(s, "q!");
	EXPECT_EQ(s.wait_exit(), 0);
}

TEST(Playlists, ReloadDbWhileAFilePlays)
{
	player_session p;
	tmux_screen &s = *p.s;

	command(s, "new");
	command(s, "new extra");
	s.keys({ "Tab" });
	p.play(1);
	s.keys({ "j" });
	s.wait_for_row(23, status_row("[playlist:--LIBRARY--]      3,0   100%"));

	command(s, "reload db");
	s.wait_until([](const screen_capture &c) { return bar_starts_with(c, "korvane..."); },
	             "the player to stop");
	wait_for(
	        [&] {
		        const std::vector<std::string> c = p.player.commands();
		        return !c.empty() && c.back() == "stop";
	        },
	        "the stop");
	// The library from its first row; the unsaved playlist is gone, the
	// saved one was read again.
	s.wait_for_row(23, status_row("[playlist:--LIBRARY--]      1,0    33%"));
	expect_library(
	        s, { "--LIBRARY--", "--FILTER--", "a-playlist-with-a-", "empty", "extra", "rock" });
	command(s, "q");
	EXPECT_EQ(s.wait_exit(), 0);
}

} // namespace
