// Failures a user can fix are errors the program lives through: a playlist
// that cannot be written or deleted, a playlist file that is there but not
// loaded, a database that cannot be reloaded. Unsaved playlists survive a
// quit by accident: the quit key asks first, a kill keeps them to salvage,
// and an undo past a save marks the playlist unsaved again.
#include <sys/stat.h>

#include <csignal>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "harness/tmux_screen.h"
#include "screen/screen_libraries.h"

namespace
{

void command(tmux_screen &s, const std::string &line)
{
	s.type(":" + line);
	s.wait_for_row(23, cut(":" + line, 80));
	s.keys({ "Enter" });
}

void expect_row(tmux_screen &s, int row, const std::string &start)
{
	s.wait_until([&](const screen_capture &c) { return c.rows[row].rfind(start, 0) == 0; },
	             "row " + std::to_string(row) + " to start with " + start);
}

// The status bar names the playlist shown.
void expect_status(tmux_screen &s, const std::string &name)
{
	s.wait_until(
	        [&](const screen_capture &c) {
		        return c.rows[23].find("[playlist:" + name + "]") != std::string::npos;
	        },
	        "the status bar of " + name);
}

// The library window, rows 2 on: playlist names (with '+' when unsaved).
void expect_playlists(tmux_screen &s, const std::vector<std::string> &names)
{
	for (size_t i = 0; i < names.size(); i++)
		expect_row(s, static_cast<int>(2 + i), names[i] + std::string(18 - names[i].size(), ' ') + "x");
}

TEST(Recoverable, FailedWritesAndDeletesAreErrorsAndTheProgramGoesOn)
{
	small_home home;
	const std::string dir = home.playlists();
	tmux_screen s(home);

	// A file that is there but not loaded is not written over unasked.
	write_file(dir + "/script.playlist", "/x/from-a-script.ogg\n");
	command(s, "new script");
	s.wait_for_row(23, cut("playlist file \"" + dir + "/script.playlist\" already exists (\"w! script\" replaces it)", 80));
	command(s, "w script");
	s.wait_for_row(23, cut("playlist file \"" + dir + "/script.playlist\" exists (use \"w!\" to overwrite)", 80));
	EXPECT_EQ(read_file(dir + "/script.playlist"), "/x/from-a-script.ogg\n");

	// A save that fails (here over a directory) says why; the playlist
	// stays unsaved and can be written elsewhere.
	command(s, "new mine");
	s.wait_for_row(23, "playlist \"mine\" added");
	s.keys({ "G", "Enter" });
	expect_status(s, "mine");
	mkdir((dir + "/blocked.playlist").c_str(), 0700);
	command(s, "w! blocked");
	s.wait_until(
	        [&](const screen_capture &c) {
		        return c.rows[23].rfind("failed to record playlist \"" + dir + "/blocked.p",
		                                0) == 0;
	        },
	        "the error naming the file");
	expect_playlists(s, { "--LIBRARY--", "--FILTER--", "a-playlist-with-a-", "empty", "rock",
	                      "+mine" });
	command(s, "w elsewhere");
	s.wait_for_row(23, cut("\"" + dir + "/elsewhere.playlist\" 0 songs written", 80));
	expect_playlists(s, { "--LIBRARY--", "--FILTER--", "a-playlist-with-a-", "empty", "rock",
	                      "mine", "elsewhere" });

	// Deleting a playlist whose file is already gone simply deletes it.
	unlink((dir + "/rock.playlist").c_str());
	s.keys({ "Tab", "g", "g", "j", "j", "j", "j", "d", "d" });
	s.wait_for_row(23, "Are you sure you want to delete 'rock'?");
	s.type("y");
	s.keys({ "Enter" });
	expect_playlists(s, { "--LIBRARY--", "--FILTER--", "a-playlist-with-a-", "empty", "mine",
	                      "elsewhere" });
	rmdir((dir + "/blocked.playlist").c_str());
}

TEST(Recoverable, ReloadOfADatabaseOfAnotherVersionKeepsTheLibrary)
{
	small_home home;
	tmux_screen s(home);
	// The version after the header's seven bytes becomes 3.0.0.
	std::string db = read_file(home.db());
	ASSERT_GT(db.size(), 19u);
	db.replace(7, 12, std::string("\x03\0\0\0\0\0\0\0\0\0\0\0", 12));
	write_file(home.db(), db);
	command(s, "reload db");
	s.wait_until([](const screen_capture &c) { return c.rows[23].rfind("reload db: ", 0) == 0; },
	             "the reload's error");
	expect_row(s, 2, "--LIBRARY--       xAlpha Band");
	s.keys({ "C-c" });
	EXPECT_EQ(s.wait_exit(), 0);
	EXPECT_EQ(s.stty_after(), s.stty_before());
}

TEST(Recoverable, TheQuitKeyAsksWhilePlaylistsAreUnsaved)
{
	small_home home;
	tmux_screen s(home);
	command(s, "new");
	s.wait_for_row(23, "playlist \"untitled\" added");
	s.keys({ "C-c" });
	s.wait_for_row(23, "there are playlists with unsaved changes (untitled).  use \"q!\" to force.");
	// Another key between disarms it; twice in a row quits.
	s.keys({ "j", "C-c" });
	s.wait_for_row(23, "there are playlists with unsaved changes (untitled).  use \"q!\" to force.");
	s.keys({ "C-c" });
	EXPECT_EQ(s.wait_exit(), 0);
	// The user's own word: nothing is kept to salvage.
	EXPECT_FALSE(file_exists(home.playlists() + "/.recovery/untitled.new"));
}

TEST(Recoverable, AKilledRunLeavesItsUnsavedPlaylistsToSalvage)
{
	const screen_library &lib = small_library();
	for (int sig : { SIGTERM, SIGHUP }) {
		SCOPED_TRACE(strsignal(sig));
		small_home home;
		{
			tmux_screen s(home);
			// rock loses its first entry; a new playlist gets one.
			s.keys({ "j", "j", "j", "j", "Enter" });
			expect_status(s, "rock");
			s.keys({ "d", "d" });
			expect_row(s, 6, "+rock");
			command(s, "new");
			s.keys({ "Tab", "G", "p" });
			expect_row(s, 7, "+untitled");
			s.signal(sig);
			EXPECT_EQ(s.wait_exit(), 0);
		}
		const std::string rec = home.playlists() + "/.recovery/";
		EXPECT_EQ(read_file(rec + "rock.playlist"), "/music/missing.ogg\n" + lib.media / "gale.flac\n");
		EXPECT_EQ(read_file(rec + "untitled.new"), lib.media / "morning.flac\n");
		// The playlists themselves are as they were.
		EXPECT_EQ(read_file(home.playlists() + "/rock.playlist"),
		          lib.media / "morning.flac\n/music/missing.ogg\n" + lib.media / "gale.flac\n");

		tmux_screen s(home);
		s.wait_for_row(23, "unsaved playlists kept: rock, untitled (\":salvage NAME\")");
		command(s, "salvage rock");
		s.wait_for_row(23, "playlist \"rock\" recovered, 2 files, not yet saved");
		expect_row(s, 6, "+rock");
		command(s, "salvage untitled");
		expect_row(s, 7, "+untitled");
		command(s, "salvage rock");
		s.wait_for_row(23, "no playlist \"rock\" to salvage");
		EXPECT_FALSE(file_exists(rec + "rock.playlist"));
		s.keys({ "j", "j", "j", "j", "Enter" });
		command(s, "w");
		s.wait_for_row(23, "\"" + home.playlists() + "/rock.playlist\" 2 songs written");
		EXPECT_EQ(read_file(home.playlists() + "/rock.playlist"),
		          "/music/missing.ogg\n" + lib.media / "gale.flac\n");
		command(s, "q!");
		EXPECT_EQ(s.wait_exit(), 0);
	}
}

TEST(Recoverable, AnUndoPastTheSaveMarksThePlaylistUnsaved)
{
	small_home home;
	tmux_screen s(home);
	s.keys({ "j", "j", "j", "j", "Enter" });
	expect_status(s, "rock");
	s.keys({ "d", "d" });
	expect_row(s, 6, "+rock");
	command(s, "w");
	expect_row(s, 6, "rock ");
	s.keys({ "u" });
	s.wait_for_row(23, "Undo successfull.");
	expect_row(s, 6, "+rock");
	// Redone, it is what the file holds, but stays marked until written.
	s.keys({ "C-r" });
	s.wait_for_row(23, "Redo successfull.");
	expect_row(s, 6, "+rock");
	command(s, "q");
	s.wait_for_row(23, "there are playlists with unsaved changes (rock).  use \"q!\" to force.");
}

} // namespace
