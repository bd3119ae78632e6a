// Editing playlists on the screen the vi way: cut, yank and paste with
// their second keys and counts, visual selections, undo and redo through
// the history, deleting playlists from the library window and the refusals,
// with the playlist files checked after ':w'.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "harness/tmux_screen.h"
#include "player/player_home.h"
#include "screen/screen_libraries.h"

namespace
{

// Types a ':' line, waits until the prompt shows it, and enters it.
void command(tmux_screen &s, const std::string &line)
{
	s.type(":" + line);
	s.wait_for_row(23, cut(":" + line, 80));
	s.keys({ "Enter" });
}

// Waits for text on the command row: an error on red, or a message in red.
void expect_said(tmux_screen &s, const std::string &text, bool error)
{
	const std::string shown = cut(text, 80);
	s.wait_for_row(23, shown);
	s.wait_for_style(23, repeat(error ? "R" : "r", static_cast<int>(shown.size())));
}

void expect_message(tmux_screen &s, const std::string &text)
{
	expect_said(s, text, false);
}

// Keys, then what the command row says.
void keys_say(tmux_screen &s, const std::vector<std::string> &keys, const std::string &text,
              bool error = false)
{
	s.keys(keys);
	expect_said(s, text, error);
}

std::string track(int n)
{
	return long_library().media / ("t" + two_digits(n) + ".flac");
}

// The long library with the playlist mix of the tracks 1 to 10.
struct mix_home : long_home {
	mix_home()
	{
		std::vector<std::string> entries;
		for (int n = 1; n <= 10; n++)
			entries.push_back(track(n));
		add_playlist(*this, "mix", entries);
	}
	std::string mix() const { return playlists() + "/mix.playlist"; }
};

// Writes the viewed playlist with ':w' and checks that its file lists the
// tracks of the long library with the numbers given.
void expect_saved(tmux_screen &s, const mix_home &home, const std::vector<int> &tracks)
{
	command(s, "w");
	expect_message(s, "\"" + home.mix() + "\" " + std::to_string(tracks.size()) +
	                          " songs written");
	std::string want;
	for (int n : tracks)
		want += track(n) + "\n";
	EXPECT_EQ(read_file(home.mix()), want);
}

// The status bar of the playlist window on mix with the cursor on line of
// a list of nrows.
std::string mix_status(int line, int nrows)
{
	char text[100];
	snprintf(text, sizeof text, "[playlist:mix] %6d,%-3d %3d%%", line, 0,
	         nrows == 0 ? 100 : line * 100 / nrows);
	return status_row(text);
}

// Whether the library window's row r names the playlist name, marked as
// changed or not.
bool library_row_is(const screen_capture &c, int r, const std::string &name)
{
	return c.rows[static_cast<size_t>(r)].compare(
	               0, 19, name + repeat(" ", 18 - static_cast<int>(name.size())) + "x") == 0;
}

void expect_library_row(tmux_screen &s, int r, const std::string &name)
{
	s.wait_until([&](const screen_capture &c) { return library_row_is(c, r, name); },
	             "library row " + std::to_string(r) + " to read " + name);
}

// Starts korvane on home and opens mix in the playlist window.
void open_mix(tmux_screen &s)
{
	command(s, "playlist mix");
	expect_message(s, "jumped to playlist: mix");
}

TEST(Edit, CutYankAndPasteTheViWay)
{
	mix_home home;
	tmux_screen s(home);
	open_mix(s);

	// d d on the last file: the cursor goes to the new last file; p puts
	// the file back after it.
	s.keys({ "G" });
	s.wait_for_row(23, mix_status(10, 10));
	keys_say(s, { "d", "d" }, "1 fewer files.");
	expect_library_row(s, 4, "+mix");
	s.keys({ "j" });
	s.wait_for_row(23, mix_status(9, 9));
	expect_saved(s, home, { 1, 2, 3, 4, 5, 6, 7, 8, 9 });
	keys_say(s, { "p" }, "Pasted 1 files.");
	expect_saved(s, home, { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 });

	// 5 d d with three files from the cursor to the end cuts those three.
	s.keys({ "8", "G" });
	s.wait_for_row(23, mix_status(8, 10));
	keys_say(s, { "5", "d", "d" }, "3 fewer files.");
	expect_saved(s, home, { 1, 2, 3, 4, 5, 6, 7 });

	// d then j cuts nothing and moves one row; the count is lost.
	s.keys({ "g", "g", "3", "d", "j" });
	s.wait_for_row(23, mix_status(2, 7));
	expect_library_row(s, 4, "mix");
	keys_say(s, { "u" }, "Undo successfull.");
	expect_saved(s, home, { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 });
	keys_say(s, { "C-r" }, "Redo successfull.");

	// v j j y yanks three files and ends visual mode, so p pastes them.
	keys_say(s, { "v", "j", "j", "y" }, "Yanked 3 files.");
	keys_say(s, { "p" }, "Pasted 3 files.");
	expect_saved(s, home, { 1, 2, 3, 4, 2, 3, 4, 5, 6, 7 });
	keys_say(s, { "u" }, "Undo successfull.");

	// v k k d cuts the anchor's file and the two above it.
	keys_say(s, { "v", "k", "k", "d" }, "3 fewer files.");
	expect_saved(s, home, { 1, 5, 6, 7 });

	// y y p: the file under the cursor twice.
	keys_say(s, { "y", "y" }, "Yanked 1 files.");
	keys_say(s, { "p" }, "Pasted 1 files.");
	expect_saved(s, home, { 1, 5, 5, 6, 7 });
	keys_say(s, { "P" }, "Pasted 1 files.");
	expect_saved(s, home, { 1, 5, 5, 5, 6, 7 });

	// d G cuts from the cursor to the end whatever the count; y G yanks so.
	s.keys({ "g", "g", "j", "j" });
	s.wait_for_row(23, mix_status(3, 6));
	keys_say(s, { "4", "y", "G" }, "Yanked 4 files.");
	keys_say(s, { "9", "d", "G" }, "4 fewer files.");
	expect_saved(s, home, { 1, 5 });
	s.keys({ "k" });
	s.wait_for_row(23, mix_status(1, 2));
	keys_say(s, { "P" }, "Pasted 4 files.");
	expect_saved(s, home, { 5, 5, 6, 7, 1, 5 });
}

TEST(Edit, UndoAndRedoThroughTheHistory)
{
	mix_home home;
	tmux_screen s(home);
	open_mix(s);

	keys_say(s, { "d", "d" }, "1 fewer files.");
	expect_saved(s, home, { 2, 3, 4, 5, 6, 7, 8, 9, 10 });
	keys_say(s, { "j", "2", "d", "d" }, "2 fewer files.");
	expect_saved(s, home, { 2, 5, 6, 7, 8, 9, 10 });

	// Undo puts the cut files back where they were; redo cuts them again.
	const struct {
		const char *key;
		const char *said;
		std::vector<int> tracks;
	} steps[] = {
		{ "u", "Undo successfull.", { 2, 3, 4, 5, 6, 7, 8, 9, 10 } },
		{ "u", "Undo successfull.", { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 } },
		{ "u", "Nothing to undo.", { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 } },
		{ "C-r", "Redo successfull.", { 2, 3, 4, 5, 6, 7, 8, 9, 10 } },
		{ "C-r", "Redo successfull.", { 2, 5, 6, 7, 8, 9, 10 } },
		{ "C-r", "Nothing to redo.", { 2, 5, 6, 7, 8, 9, 10 } },
		{ "u", "Undo successfull.", { 2, 3, 4, 5, 6, 7, 8, 9, 10 } },
	};
	for (const auto &st : steps) {
		SCOPED_TRACE(st.said);
		keys_say(s, { st.key }, st.said);
		expect_saved(s, home, st.tracks);
	}

	// A new edit loses what could be redone: 101 pastes of the file yanked
	// (track 3), of which only the last 100 can be undone.
	s.keys({ "g", "g", "j" });
	keys_say(s, { "y", "y" }, "Yanked 1 files.");
	keys_say(s, std::vector<std::string>(101, "p"), "Pasted 1 files.");
	std::vector<int> pasted = { 2, 3 };
	pasted.insert(pasted.end(), 101, 3);
	pasted.insert(pasted.end(), { 4, 5, 6, 7, 8, 9, 10 });
	expect_saved(s, home, pasted);
	keys_say(s, { "C-r" }, "Nothing to redo.");
	keys_say(s, std::vector<std::string>(100, "u"), "Undo successfull.");
	keys_say(s, { "u" }, "Nothing to undo.");
	expect_saved(s, home, { 2, 3, 3, 4, 5, 6, 7, 8, 9, 10 });
	keys_say(s, std::vector<std::string>(100, "C-r"), "Redo successfull.");
	keys_say(s, { "C-r" }, "Nothing to redo.");
	expect_saved(s, home, pasted);

	command(s, "q");
	EXPECT_EQ(s.wait_exit(), 0);
}

// The answers to the question before a playlist is deleted.
TEST(Edit, DeletingAPlaylistFromTheLibraryWindow)
{
	small_home home;
	tmux_screen s(home);
	const std::string rock = home.playlists() + "/rock.playlist";
	const std::string question = "Are you sure you want to delete 'rock'?";

	s.keys({ "G" });
	s.wait_for_row(23, status_row("[library]      5,0   100%"));
	keys_say(s, { "2", "d", "d" }, "cannot delete multiple playlists", true);

	const struct {
		std::vector<std::string> answer;
		const char *said;
	} answers[] = {
		{ { "n", "Enter" }, "playlist 'rock' not deleted" },
		{ { "Escape" }, "delete of 'rock' cancelled" },
		{ { "m", "a", "y", "b", "e", "Enter" }, "playlist 'rock' not deleted" },
		{ { "Enter" }, "delete of 'rock' cancelled" },
		{ { "N", "o", "p", "e", "Enter" }, "playlist 'rock' not deleted" },
	};
	for (const auto &a : answers) {
		SCOPED_TRACE(a.said);
		s.keys({ "d", "d" });
		s.wait_for_row(23, question);
		keys_say(s, a.answer, a.said);
		expect_library_row(s, 6, "rock");
		EXPECT_TRUE(file_exists(rock));
	}

	s.keys({ "d", "d" });
	s.wait_for_row(23, question);
	s.keys({ "Y", "Enter" });
	s.wait_until([](const screen_capture &c) { return c.rows[6].rfind("~", 0) == 0; },
	             "rock to leave the library window");
	expect_library_row(s, 5, "empty");
	EXPECT_FALSE(file_exists(rock));
	// The cursor is on the new last playlist.
	s.keys({ "k", "j" });
	s.wait_for_row(23, status_row("[library]      4,0   100%"));

	// The viewed playlist deleted: the library shows instead.
	s.keys({ "Enter" });
	s.wait_for_row(23, status_row("[playlist:empty]      1,0   100%"));
	s.keys({ "Tab", "d", "d" });
	s.wait_for_row(23, "Are you sure you want to delete 'empty'?");
	s.keys({ "y", "Enter" });
	s.wait_until([](const screen_capture &c) { return c.rows[5].rfind("~", 0) == 0; },
	             "empty to leave the library window");
	s.keys({ "Tab" });
	s.wait_for_row(23, status_row("[playlist:--LIBRARY--]      1,0    33%"));
	command(s, "q");
	EXPECT_EQ(s.wait_exit(), 0);
}

// Deleting the playlist that plays stops the player first.
TEST(Edit, DeletingThePlayingPlaylist)
{
	small_home home;
	fake_player player;
	player.script({});
	tmux_screen s(home, {}, 80, 24, player.env());

	command(s, "playlist rock");
	s.keys({ "Enter" });
	s.wait_until([](const screen_capture &c) { return c.rows[0].rfind("[O] ", 0) == 0; },
	             "a file to play");
	s.keys({ "Tab", "G", "d", "d" });
	s.wait_for_row(23, "Are you sure you want to delete 'rock'?");
	s.keys({ "y", "Enter" });
	s.wait_until([](const screen_capture &c) { return c.rows[0].rfind("korvane...", 0) == 0; },
	             "the player to stop");
	wait_for(
	        [&] {
		        const std::vector<std::string> c = player.commands();
		        return !c.empty() && c.back() == "stop";
	        },
	        "the stop");
	EXPECT_FALSE(file_exists(home.playlists() + "/rock.playlist"));
	// Nothing plays on from the released playlist.
	s.keys({ ")", "Tab" });
	s.wait_for_row(23, status_row("[playlist:--LIBRARY--]      1,0    33%"));
	command(s, "q");
	EXPECT_EQ(s.wait_exit(), 0);
}

// Pasting from the library window, and every refusal with its message.
TEST(Edit, LibraryWindowPastesAndRefusals)
{
	small_home home;
	tmux_screen s(home);
	const screen_library &lib = small_library();

	keys_say(s, { "d", "d" }, "cannot delete pseudo-playlists like LIBRARY or FILTER", true);
	keys_say(s, { "v" }, "No visual mode in library window.  Sorry.");
	keys_say(s, { "j", "d", "d" }, "cannot delete pseudo-playlists like LIBRARY or FILTER",
	         true);
	keys_say(s, { "y" }, "cannot yank in library window", true);
	keys_say(s, { "u" }, "Cannot undo in library window.");
	keys_say(s, { "C-r" }, "Cannot redo in library window.");
	keys_say(s, { "p" }, "nothing to paste", true);

	// The playlist window on the library.
	keys_say(s, { "Tab", "d", "d" }, "cannot delete from library", true);
	keys_say(s, { "2", "y", "y" }, "Yanked 2 files.");
	keys_say(s, { "p" }, "Cannot alter --LIBRARY-- psuedo-playlist", true);

	// P in the library window inserts at the beginning, p appends.
	s.keys({ "Tab", "g", "g", "j", "j" });
	keys_say(s, { "P" }, "Pasted 2 files to 'a-playlist-with-a-long-name'");
	expect_library_row(s, 4, "+a-playlist-with-a");
	keys_say(s, { "j", "p" }, "Pasted 2 files to 'empty'");
	keys_say(s, { "k", "k", "p" }, "Pasted 2 files to '--FILTER--'");
	keys_say(s, { "k", "P" }, "Cannot alter --LIBRARY-- psuedo-playlist", true);
	command(s, "playlist a-");
	command(s, "w");
	expect_message(s, "\"" + home.playlists() +
	                          "/a-playlist-with-a-long-name.playlist\" 3 songs written");
	EXPECT_EQ(read_file(home.playlists() + "/a-playlist-with-a-long-name.playlist"),
	          lib.media / "morning.flac\n" + lib.media / "evening.ogg\n" +
	                  lib.media / "evening.ogg\n");

	// An empty playlist: nothing to yank or cut.
	command(s, "playlist empty");
	command(s, "w");
	expect_message(s, "\"" + home.playlists() + "/empty.playlist\" 2 songs written");
	keys_say(s, { "u" }, "Undo successfull.");
	keys_say(s, { "y" }, "nothing to yank!", true);
	keys_say(s, { "d", "d" }, "nothing to delete here!");
	command(s, "q!");
	EXPECT_EQ(s.wait_exit(), 0);
}

// A NUL key after d or y ends the action; reload db empties the buffer.
TEST(Edit, NulSecondKeyAndReload)
{
	small_home home;
	tmux_screen s(home);

	command(s, "playlist rock");
	keys_say(s, { "y", "y" }, "Yanked 1 files.");
	s.keys({ "d", "C-Space", "y", "C-Space", "Tab" });
	expect_library_row(s, 6, "rock");
	keys_say(s, { "Tab", "u" }, "Nothing to undo.");
	// The buffer still holds the file yanked first.
	keys_say(s, { "G", "p" }, "Pasted 1 files.");
	command(s, "w");
	expect_message(s, "\"" + home.playlists() + "/rock.playlist\" 4 songs written");
	EXPECT_EQ(read_file(home.playlists() + "/rock.playlist"),
	          small_library().media / "morning.flac\n/music/missing.ogg\n" +
	                  small_library().media / "gale.flac\n" +
	                  small_library().media / "morning.flac\n");

	command(s, "reload db");
	command(s, "playlist rock");
	keys_say(s, { "p" }, "nothing to paste", true);
	command(s, "q");
	EXPECT_EQ(s.wait_exit(), 0);
}

} // namespace
