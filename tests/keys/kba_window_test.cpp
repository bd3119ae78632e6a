#include <gtest/gtest.h>

#include "core/signals.h"
#include "keys/kba.h"
#include "keys/keys_fixture.h"

namespace
{

using KbaWindow = KeysTest;

TEST_F(KbaWindow, QuitSetsTheFlag)
{
	sig_quit = 0;
	EXPECT_TRUE(kb_execute(3));
	EXPECT_EQ(sig_quit, 1);
	sig_quit = 0;
}

TEST_F(KbaWindow, TabSwitchesBetweenTheWindows)
{
	EXPECT_TRUE(kb_execute(KB_KEY_TAB));
	EXPECT_EQ(ui.active, &ui.playlist);
	EXPECT_TRUE(kb_execute(KB_KEY_TAB));
	EXPECT_EQ(ui.active, &ui.library);
}

TEST_F(KbaWindow, EnterOpensThePlaylistUnderTheCursor)
{
	playlist_ptr p = playlist_new();
	p->name = "mine";
	show_files(30, 20);
	p->files = files->files;
	medialib_playlist_add(std::move(p));

	ui.active = &ui.library;
	ui.library.h = 20;
	place(ui.library, 2, 0);
	ui.playlist.crow = 7;
	ui.playlist.voffset = 4;
	ui.playlist.hoffset = 9;

	EXPECT_TRUE(kb_execute(KB_KEY_ENTER));
	EXPECT_EQ(viewing_playlist, medialib.playlists[2].get());
	EXPECT_EQ(ui.active, &ui.playlist);
	EXPECT_EQ(ui.playlist.nrows(), 30);
	EXPECT_EQ(ui.playlist.crow, 0);
	EXPECT_EQ(ui.playlist.voffset, 0);
	EXPECT_EQ(ui.playlist.hoffset, 0);

	// The filter results, empty for now.
	kb_execute(KB_KEY_TAB);
	place(ui.library, 1, 0);
	EXPECT_TRUE(kb_execute(KB_KEY_ENTER));
	EXPECT_EQ(viewing_playlist, medialib.filter_results);
	EXPECT_EQ(ui.playlist.nrows(), 0);
	EXPECT_EQ(ui.active, &ui.playlist);

	// Off the list of playlists: nothing happens.
	kb_execute(KB_KEY_TAB);
	place(ui.library, 5, 0);
	EXPECT_TRUE(kb_execute(KB_KEY_ENTER));
	EXPECT_EQ(viewing_playlist, medialib.filter_results);
	EXPECT_EQ(ui.active, &ui.library);
}

TEST_F(KbaWindow, FileInfoAndPlayOffTheListChangeNothing)
{
	show_files(3, 20);
	for (int key : { int{ 'm' }, KB_KEY_ENTER }) {
		place(ui.playlist, 5, 0);
		EXPECT_TRUE(kb_execute(key)) << key;
		EXPECT_EQ(ui.active, &ui.playlist) << key;
		EXPECT_EQ(ui.playlist.crow, 5) << key;
		EXPECT_FALSE(showing_file_info) << key;
	}
	ui.active = &ui.library;
	EXPECT_TRUE(kb_execute('m'));
	EXPECT_EQ(ui.active, &ui.library);
}

} // namespace
