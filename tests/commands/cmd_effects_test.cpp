// What the commands change when they succeed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/cmd_fixture.h"
#include "meta/mi_query.h"
#include "meta/mi_sort.h"
#include "playlist/playlist_file.h"

namespace
{

using CmdEffects = CmdTest;

std::vector<std::string> names_of(const playlist &p)
{
	std::vector<std::string> names;
	for (const meta_info *mi : p.files)
		names.push_back(mi->filename.value_or(""));
	return names;
}

TEST_F(CmdEffects, FilterNarrowsWhatIsShown)
{
	library_of(30, { "Live at Home", "Studio", "live again" });
	playlist &results = *medialib.filter_results;
	ui.playlist.crow = 5;
	ui.playlist.voffset = 3;
	ui.playlist.hoffset = 2;

	struct step {
		const char *line;
		int nfiles;
	};
	const step steps[] = {
		{ "filter track00", 10 },   // the file names match
		{ "filter! 5", 9 },         // narrowed: the results filtered again
		{ "filter! track00", 0 },   // all of them go
		{ "playlist --LIB", 0 },    // back to the library
		{ "filt live", 2 },         // titles in any case
		{ "playlist --LIB", 0 },    //
		{ "filter! live", 28 },     //
		{ "playlist --LIB", 0 },    //
		{ "filter live !home", 1 }, // a '!' token must not match
	};
	for (const step &s : steps) {
		ASSERT_EQ(run(s.line), 0) << s.line;
		if (s.line[0] == 'p')
			continue;
		EXPECT_EQ(viewing_playlist, &results) << s.line;
		EXPECT_EQ(results.nfiles(), s.nfiles) << s.line;
		EXPECT_EQ(ui.playlist.nrows(), s.nfiles) << s.line;
		EXPECT_EQ(ui.playlist.crow + ui.playlist.voffset + ui.playlist.hoffset, 0);
	}
	EXPECT_EQ(results.name, "--FILTER--");
	EXPECT_EQ(mi_query_getraw(), "live !home ");
	EXPECT_EQ(query.ntokens(), 2);

	// Without file names only the titles are searched.
	ASSERT_EQ(run("playlist --LIB"), 0);
	ASSERT_EQ(run("set match-fname=no"), 0);
	ASSERT_EQ(run("filter track"), 0);
	EXPECT_EQ(results.nfiles(), 0);
}

// Changes made to one set of filter results cannot be undone on the next:
// the undo would remove entries the new results do not have.
TEST_F(CmdEffects, FilterStartsTheResultsWithNoHistory)
{
	library_of(30);
	playlist &results = *medialib.filter_results;
	ASSERT_EQ(run("filter track00"), 0);
	ASSERT_EQ(results.nfiles(), 10);
	playlist_file_add(results, medialib.library->files.data(), 10, 20, true);
	ASSERT_EQ(run("playlist --LIB"), 0);
	ASSERT_EQ(run("filter track01"), 0);
	EXPECT_EQ(results.nfiles(), 10);
	EXPECT_EQ(playlist_undo(results), 1);
	EXPECT_EQ(results.nfiles(), 10);
}

TEST_F(CmdEffects, SortMarksSavedPlaylistsOnlyWithSaveSorts)
{
	library_of(3, { "b", "c", "a" });
	playlist *rock = add_playlist("rock", 3);

	ASSERT_EQ(run("sort title"), 0);
	EXPECT_EQ(names_of(*medialib.library),
	          (std::vector<std::string>{ "/m/track002.mp3", "/m/track000.mp3",
	                                     "/m/track001.mp3" }));

	// A bad description changes neither the order nor the description.
	ASSERT_EQ(run("sort -title,bogus"), 2);
	EXPECT_EQ(mi_sort_desc.nfields, 1);
	EXPECT_FALSE(mi_sort_desc.descending[0]);
	EXPECT_EQ(names_of(*medialib.library)[0], "/m/track002.mp3");

	viewing_playlist = rock;
	ASSERT_EQ(run("sort -title"), 0);
	EXPECT_EQ(names_of(*rock)[0], "/m/track001.mp3");
	EXPECT_FALSE(rock->needs_saving);

	ASSERT_EQ(run("set save-sorts=yes"), 0);
	ASSERT_EQ(run("so title"), 0);
	EXPECT_TRUE(rock->needs_saving);
	EXPECT_EQ(run("q"), 2);

	// Sorting the library never marks it.
	viewing_playlist = medialib.library;
	ASSERT_EQ(run("sort -title"), 0);
	EXPECT_FALSE(medialib.library->needs_saving);
}

TEST_F(CmdEffects, SettingsAndModes)
{
	library_of(1);
	struct step {
		const char *line;
		bool lhide, match_fname, save;
		int mode;
	};
	const step steps[] = {
		{ "mode LOOP", false, true, false, MODE_LOOP },
		{ "mode random", false, true, false, MODE_RANDOM },
		{ "set LHIDE=T", true, true, false, MODE_RANDOM },
		{ "se match-FNAME=n", true, false, false, MODE_RANDOM },
		{ "set save-sorts=Yes", true, false, true, MODE_RANDOM },
		{ "set lhide=false", false, false, true, MODE_RANDOM },
		{ "mode linear", false, false, true, MODE_LINEAR },
	};
	for (const step &s : steps) {
		ASSERT_EQ(run(s.line), 0) << s.line;
		EXPECT_EQ(ui.lhide, s.lhide) << s.line;
		EXPECT_EQ(query.match_fname, s.match_fname) << s.line;
		EXPECT_EQ(save_sorts, s.save) << s.line;
		EXPECT_EQ(player_info.mode, s.mode) << s.line;
	}
}

TEST_F(CmdEffects, ColorMarksTheFieldsOfThePair)
{
	ASSERT_EQ(run("color playlist=red,default"), 0);
	for (bool set : field_color_set)
		EXPECT_FALSE(set);
	ASSERT_EQ(run("color ARTIST=yellow,Default"), 0);
	ASSERT_EQ(run("color year=default,default"), 0);
	for (int f = 0; f < MI_NUM_CINFO; f++)
		EXPECT_EQ(field_color_set[f], f == CINFO_ARTIST || f == CINFO_YEAR) << f;
}

TEST_F(CmdEffects, DisplaySetAndReset)
{
	ASSERT_EQ(run("display Title.10,-year.4"), 0);
	EXPECT_EQ(mi_display_tostr(), "Title.10,-Year.4");
	ASSERT_EQ(run("display show"), 0);
	EXPECT_EQ(mi_display_tostr(), "Title.10,-Year.4");
	ASSERT_EQ(run("d RESET"), 0);
	EXPECT_EQ(mi_display_tostr(), "Artist.20,Album.20,Title.20,-Track.4,-Year.4,-Length.9");
}

TEST_F(CmdEffects, BindAndUnbind)
{
	auto action_of = [](int key) {
		for (const KeyBinding &b : keybindings)
			if (b.key == key)
				return static_cast<int>(b.action);
		return -1;
	};
	ASSERT_EQ(run("bind quit control q"), 0);
	EXPECT_EQ(action_of(17), quit);
	ASSERT_EQ(run("bind MEDIA_STOP j"), 0);
	EXPECT_EQ(action_of('j'), media_stop);
	ASSERT_EQ(run("bind redraw space"), 0);
	EXPECT_EQ(action_of(' '), redraw);
	ASSERT_EQ(run("unbind key control c"), 0);
	EXPECT_EQ(action_of(3), -1);
	ASSERT_EQ(run("unbind action scroll_up"), 0);
	EXPECT_EQ(action_of('k'), -1);
	EXPECT_EQ(action_of(KB_KEY_UP), -1);
	ASSERT_EQ(run("unbind KEY Tab"), 0);
	EXPECT_EQ(action_of(KB_KEY_TAB), -1);
	// Unbinding what is not bound is no failure.
	ASSERT_EQ(run("unbind key Tab"), 0);
	ASSERT_EQ(run("unbind *"), 0);
	EXPECT_TRUE(keybindings.empty());
}

TEST_F(CmdEffects, NewPlaylists)
{
	library_of(2);
	add_playlist("rock", 1);
	ASSERT_EQ(run("new"), 0);
	ASSERT_EQ(run("n"), 0);
	ASSERT_EQ(run("new Rock"), 0);
	EXPECT_EQ(registry(), (std::vector<std::string>{ "--LIBRARY--", "--FILTER--", "rock",
	                                                 "untitled", "untitled", "Rock" }));
	EXPECT_EQ(ui.library.nrows(), 6);
	for (int i = 3; i < 6; i++)
		EXPECT_TRUE(medialib.playlists[i]->needs_saving);
	EXPECT_FALSE(medialib.playlists[3]->filename);
	EXPECT_EQ(medialib.playlists[5]->filename, dir / "Rock.playlist");
	EXPECT_EQ(read_file(dir / "Rock.playlist"), "");
	EXPECT_EQ(run("q"), 2);
	EXPECT_EQ(sig_quit, 0);
	EXPECT_EQ(run("q!"), 0);
	EXPECT_EQ(sig_quit, 1);
}

TEST_F(CmdEffects, PlaylistByPrefix)
{
	library_of(3);
	add_playlist("rock", 1);
	playlist *rockabilly = add_playlist("rockabilly", 2);
	ui.playlist.crow = 4;

	// A name given whole wins over the longer names it begins.
	playlist *rock = medialib.playlists.back().get() == rockabilly
	                         ? medialib.playlists[medialib.playlists.size() - 2].get()
	                         : nullptr;
	ASSERT_EQ(run("playlist rock"), 0);
	EXPECT_EQ(viewing_playlist, rock);
	ASSERT_EQ(run("playlist roc"), 0); // not unique
	EXPECT_EQ(viewing_playlist, rock);
	ui.active = &ui.library;
	ASSERT_EQ(run("playlist rocka"), 0);
	EXPECT_EQ(viewing_playlist, rockabilly);
	EXPECT_EQ(ui.active, &ui.playlist);
	EXPECT_EQ(ui.playlist.nrows(), 2);
	EXPECT_EQ(ui.playlist.crow, 0);
	ASSERT_EQ(run("p --F"), 0);
	EXPECT_EQ(viewing_playlist, medialib.filter_results);
}

TEST_F(CmdEffects, WriteAndSaveAs)
{
	library_of(3);
	playlist *rock = add_playlist("rock", 2);
	rock->needs_saving = true;
	viewing_playlist = rock;
	ASSERT_EQ(run("w"), 0);
	EXPECT_FALSE(rock->needs_saving);
	EXPECT_EQ(read_file(dir / "rock.playlist"), "/m/track000.mp3\n/m/track001.mp3\n");

	// The filter results saved under a name: a new playlist at the end.
	viewing_playlist = medialib.library;
	ASSERT_EQ(run("filter 2"), 0);
	ASSERT_EQ(run("w best"), 0);
	EXPECT_EQ(registry(),
	          (std::vector<std::string>{ "--LIBRARY--", "--FILTER--", "rock", "best" }));
	EXPECT_EQ(ui.library.nrows(), 4);
	EXPECT_EQ(read_file(dir / "best.playlist"), "/m/track002.mp3\n");
	EXPECT_FALSE(medialib.filter_results->needs_saving);
	EXPECT_FALSE(medialib.playlists[3]->needs_saving);
	EXPECT_EQ(viewing_playlist, medialib.filter_results);

	// Taken: refused unless forced, then replaced by a copy at the end.
	viewing_playlist = medialib.library;
	EXPECT_EQ(run("w best"), 4);
	ASSERT_EQ(run("w! rock"), 0);
	EXPECT_EQ(registry(),
	          (std::vector<std::string>{ "--LIBRARY--", "--FILTER--", "best", "rock" }));
	EXPECT_EQ(ui.library.nrows(), 4);
	EXPECT_EQ(read_file(dir / "rock.playlist"),
	          "/m/track000.mp3\n/m/track001.mp3\n/m/track002.mp3\n");
}

// Replacing the playlist that is viewed and played: the copy is shown and
// played on, with the history of the playlist it replaces.
TEST_F(CmdEffects, ForcedSaveOverTheViewedAndPlayingPlaylist)
{
	library_of(3);
	playlist *rock = add_playlist("rock", 2);
	add_playlist("jazz", 1);
	playlist_file_append(*rock, medialib.library->files[2], true);
	viewing_playlist = playing_playlist = player_info.queue = rock;
	player_info.qidx = 1;

	ASSERT_EQ(run("w! rock"), 0);
	playlist *copy = medialib.playlists.back().get();
	EXPECT_EQ(registry(),
	          (std::vector<std::string>{ "--LIBRARY--", "--FILTER--", "jazz", "rock" }));
	EXPECT_EQ(viewing_playlist, copy);
	EXPECT_EQ(playing_playlist, copy);
	EXPECT_EQ(player_info.queue, copy);
	EXPECT_EQ(player_info.qidx, 1);
	EXPECT_EQ(copy->nfiles(), 3);
	EXPECT_FALSE(copy->needs_saving);
	EXPECT_EQ(read_file(dir / "rock.playlist"),
	          "/m/track000.mp3\n/m/track001.mp3\n/m/track002.mp3\n");
	// The change made before the save can still be undone.
	EXPECT_EQ(playlist_undo(*copy), 0);
	EXPECT_EQ(copy->nfiles(), 2);

	// Saved as another playlist's name: the viewed one stays as it was.
	ASSERT_EQ(run("w! jazz"), 0);
	EXPECT_EQ(viewing_playlist, copy);
	EXPECT_EQ(registry(),
	          (std::vector<std::string>{ "--LIBRARY--", "--FILTER--", "rock", "jazz" }));
}

TEST_F(CmdEffects, ToggleStoresTheList)
{
	ASSERT_EQ(run("toggle m mode linear / mode loop / mode random"), 0);
	ASSERT_EQ(run("tog x / filter 'a b' / / set lhide=yes /"), 0);
	toggle_list *m = toggle_get('m');
	ASSERT_NE(m, nullptr);
	EXPECT_EQ(m->commands,
	          (std::vector<std::string>{ "mode linear ", "mode loop ", "mode random " }));
	EXPECT_EQ(m->index, 2);
	EXPECT_EQ(toggle_get('x')->commands,
	          (std::vector<std::string>{ "filter 'a b' ", "set lhide=yes " }));

	ASSERT_EQ(run("toggle m mode loop"), 0);
	EXPECT_EQ(toggle_get('m')->commands, (std::vector<std::string>{ "mode loop " }));
	EXPECT_EQ(toggleset_size(), 2);
	EXPECT_EQ(toggle_get('M'), nullptr);
}

} // namespace
