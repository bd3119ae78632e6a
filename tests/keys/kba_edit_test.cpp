// The editing actions in-process: visual cuts and yanks, the keys after 'd',
// 'y' and 'g', deleting a playlist after its question, paste, undo and redo
// on playlists set up by hand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/input.h"
#include "input/keycodes.h"
#include "input/line_editor.h"
#include "keys/kb_execute.h"
#include "keys/kba.h"
#include "keys/keys_fixture.h"
#include "playlist/ybuffer.h"

namespace
{

class KbaEdit : public KeysTest
{
protected:
	void SetUp() override
	{
		KeysTest::SetUp();
		ybuffer_init();
	}
	void TearDown() override
	{
		ybuffer_free();
		KeysTest::TearDown();
	}

	// The numbers of the records, /m/trackNNN.mp3 giving NNN.
	static std::vector<int> ids(const std::vector<meta_info *> &v)
	{
		std::vector<int> out;
		for (const meta_info *mi : v)
			out.push_back(std::stoi(mi->filename->substr(8, 3)));
		return out;
	}

	// ids 0 .. n - 1
	static std::vector<int> first(int n)
	{
		std::vector<int> out;
		for (int i = 0; i < n; i++)
			out.push_back(i);
		return out;
	}

	// Yanks the records with the given numbers, which show_files made.
	void yank_records(const std::vector<int> &which)
	{
		ybuffer_clear();
		for (int i : which)
			ybuffer_add(records[static_cast<size_t>(i)].get());
	}

	// Moves the playlist of show_files into the registry, after the two
	// pseudo-playlists, and shows it.
	playlist *register_files()
	{
		playlist *p = files.get();
		p->name = "mine";
		medialib_playlist_add(std::move(files));
		ui.library.h = 20;
		return p;
	}
};

TEST_F(KbaEdit, VisualCuts)
{
	struct cut_case {
		const char *what;
		int n, h;
		int anchor, crow, voffset;
		std::vector<int> cut, left;
		int want_crow;
	};
	const cut_case cases[] = {
		{ "v j j d", 5, 20, 1, 3, 0, { 1, 2, 3 }, { 0, 4 }, 1 },
		{ "v k k d", 5, 20, 4, 2, 0, { 2, 3, 4 }, { 0, 1 }, 1 },
		{ "v d on one file", 5, 20, 2, 2, 0, { 2 }, { 0, 1, 3, 4 }, 2 },
		{ "the last file, scrolled", 30, 10, 29, 9, 20, { 29 }, first(29), 8 },
		// The cursor row goes above the window; 'k' brings it back.
		{ "all rows of the view",
		  30,
		  10,
		  29,
		  0,
		  20,
		  { 20, 21, 22, 23, 24, 25, 26, 27, 28, 29 },
		  first(20),
		  -1 },
	};
	for (const cut_case &c : cases) {
		SCOPED_TRACE(c.what);
		show_files(c.n, c.h);
		place(ui.playlist, c.crow, c.voffset);
		visual_start = c.anchor;
		EXPECT_TRUE(kb_execute('d'));
		EXPECT_EQ(visual_start, -1);
		EXPECT_EQ(ids(ybuffer.files), c.cut);
		EXPECT_EQ(ids(files->files), c.left);
		EXPECT_EQ(ui.playlist.nrows(), files->nfiles());
		EXPECT_EQ(ui.playlist.crow, c.want_crow);
		EXPECT_EQ(ui.playlist.voffset, c.voffset);
		EXPECT_TRUE(files->needs_saving);
		EXPECT_EQ(files->hist_present, 0);

		// The cut files come back where they were.
		EXPECT_TRUE(kb_execute('u'));
		EXPECT_EQ(ids(files->files), first(c.n));
		EXPECT_EQ(ui.playlist.nrows(), c.n);
	}
}

TEST_F(KbaEdit, VisualYankLeavesThePlaylistAlone)
{
	show_files(5, 20);
	place(ui.playlist, 1, 0);
	visual_start = 3;
	EXPECT_TRUE(kb_execute('y'));
	EXPECT_EQ(visual_start, -1);
	EXPECT_EQ(ids(ybuffer.files), (std::vector<int>{ 1, 2, 3 }));
	EXPECT_EQ(ids(files->files), first(5));
	EXPECT_FALSE(files->needs_saving);
	EXPECT_EQ(files->hist_present, -1);
}

TEST_F(KbaEdit, RefusalsChangeNothing)
{
	struct refusal_case {
		const char *what;
		int n;           // files in the viewed playlist
		bool library;    // the library is viewed
		bool lib_window; // the library window is active
		int anchor;      // visual mode's anchor, or -1
		int crow;
		int key;
	};
	mi_ptr spare = mi_new();
	spare->filename = "/m/track999.mp3";
	const refusal_case cases[] = {
		{ "cut from the library", 3, true, false, 0, 0, 'd' },
		{ "cut past the end", 3, false, false, 4, 4, 'd' },
		{ "yank from an empty playlist", 0, false, false, 0, 0, 'y' },
		{ "yank in the library window", 3, false, true, -1, 0, 'y' },
		{ "paste into the library", 3, true, false, -1, 0, 'p' },
		{ "paste before in the library window on the library", 3, false, true, -1, 0, 'P' },
		{ "undo in the library window", 3, false, true, -1, 0, 'u' },
		{ "redo in the library window", 3, false, true, -1, 0, 18 },
		{ "visual mode in the library window", 3, false, true, -1, 0, 'v' },
	};
	for (const refusal_case &c : cases) {
		SCOPED_TRACE(c.what);
		show_files(c.n, 20);
		if (c.library) {
			medialib.library->files = files->files;
			viewing_playlist = medialib.library;
		}
		ui.library.h = 20;
		ui.library.crow = 0;
		if (c.lib_window)
			ui.active = &ui.library;
		ui.playlist.crow = c.crow;
		visual_start = c.anchor;
		ybuffer_clear();
		ybuffer_add(spare.get());
		files->needs_saving = false;
		medialib.library->needs_saving = false;

		EXPECT_TRUE(kb_execute(c.key));
		EXPECT_EQ(ids(viewing_playlist->files), first(c.n));
		EXPECT_EQ(ids(ybuffer.files), std::vector<int>{ 999 });
		EXPECT_FALSE(viewing_playlist->needs_saving);
		EXPECT_EQ(viewing_playlist->hist_present, -1);
		EXPECT_EQ(ui.playlist.nrows(), c.n);
		if (c.key == 'v') {
			EXPECT_EQ(visual_start, -1);
		}
		medialib.library->files.clear();
	}
}

TEST_F(KbaEdit, PasteWhereThePlacementSays)
{
	struct paste_case {
		const char *what;
		bool lib_window;
		int key;
		int crow;
		std::vector<int> want;
	};
	// Five files 0 .. 4; the buffer holds 5 and 6.
	const paste_case cases[] = {
		{ "p after the cursor", false, 'p', 1, { 0, 1, 5, 6, 2, 3, 4 } },
		{ "P before the cursor", false, 'P', 1, { 0, 5, 6, 1, 2, 3, 4 } },
		{ "p on the last file appends", false, 'p', 4, { 0, 1, 2, 3, 4, 5, 6 } },
		{ "p past the end appends", false, 'p', 8, { 0, 1, 2, 3, 4, 5, 6 } },
		{ "P past the end appends", false, 'P', 8, { 0, 1, 2, 3, 4, 5, 6 } },
		{ "p above the list prepends", false, 'p', -1, { 5, 6, 0, 1, 2, 3, 4 } },
		{ "P above the list prepends", false, 'P', -1, { 5, 6, 0, 1, 2, 3, 4 } },
		{ "P in the library window prepends", true, 'P', 2, { 5, 6, 0, 1, 2, 3, 4 } },
		{ "p in the library window appends", true, 'p', 2, { 0, 1, 2, 3, 4, 5, 6 } },
	};
	for (const paste_case &c : cases) {
		SCOPED_TRACE(c.what);
		show_files(7, 20);
		files->files.resize(5);
		playlist *p = register_files();
		if (c.lib_window) {
			ui.active = &ui.library;
			ui.library.crow = c.crow;
		} else {
			ui.playlist.crow = c.crow;
		}
		yank_records({ 5, 6 });

		EXPECT_TRUE(kb_execute(c.key));
		EXPECT_EQ(ids(p->files), c.want);
		EXPECT_EQ(ui.playlist.nrows(), 7);
		EXPECT_TRUE(p->needs_saving);
		EXPECT_EQ(ids(ybuffer.files), (std::vector<int>{ 5, 6 }));

		// Undone, the playlist is as it was; the mark stays.
		EXPECT_TRUE(kb_execute(c.lib_window ? KB_KEY_TAB : 'u'));
		if (c.lib_window) {
			EXPECT_TRUE(kb_execute('u'));
		}
		EXPECT_EQ(ids(p->files), first(5));
		EXPECT_TRUE(p->needs_saving);
		medialib_new_state();
	}
}

TEST_F(KbaEdit, PasteIntoAPlaylistNotViewed)
{
	show_files(4, 20);
	files->files.resize(2);
	playlist *p = register_files();
	viewing_playlist = medialib.library;
	ui.active = &ui.library;
	ui.library.crow = 2;
	yank_records({ 2, 3 });
	EXPECT_TRUE(kb_execute('p'));
	EXPECT_EQ(ids(p->files), (std::vector<int>{ 0, 1, 2, 3 }));
	EXPECT_EQ(ui.playlist.nrows(), 0);

	// The filter results take a paste too; the library does not.
	ui.library.crow = 1;
	EXPECT_TRUE(kb_execute('P'));
	EXPECT_EQ(ids(medialib.filter_results->files), (std::vector<int>{ 2, 3 }));
	ui.library.crow = 0;
	EXPECT_TRUE(kb_execute('p'));
	EXPECT_TRUE(medialib.library->files.empty());
	EXPECT_FALSE(medialib.library->needs_saving);
}

TEST_F(KbaEdit, UndoAndRedoStepThroughTheEdits)
{
	show_files(6, 20);
	files->files.resize(4);
	yank_records({ 4, 5 });

	// Paste 4 5 after the last file, then cut the first file.
	ui.playlist.crow = 3;
	kb_execute('p');
	ui.playlist.crow = 0;
	visual_start = 0;
	kb_execute('d');
	ASSERT_EQ(ids(files->files), (std::vector<int>{ 1, 2, 3, 4, 5 }));

	struct step {
		int key;
		std::vector<int> want;
		int want_hist;
	};
	const step steps[] = {
		{ 'u', { 0, 1, 2, 3, 4, 5 }, 0 }, { 'u', { 0, 1, 2, 3 }, -1 },
		{ 'u', { 0, 1, 2, 3 }, -1 }, // nothing to undo
		{ 18, { 0, 1, 2, 3, 4, 5 }, 0 },  { 18, { 1, 2, 3, 4, 5 }, 1 },
		{ 18, { 1, 2, 3, 4, 5 }, 1 }, // nothing to redo
		{ 'u', { 0, 1, 2, 3, 4, 5 }, 0 },
	};
	for (const step &s : steps) {
		SCOPED_TRACE(testing::Message() << "key " << s.key << " to hist " << s.want_hist);
		EXPECT_TRUE(kb_execute(s.key));
		EXPECT_EQ(ids(files->files), s.want);
		EXPECT_EQ(ui.playlist.nrows(), files->nfiles());
		EXPECT_EQ(files->hist_present, s.want_hist);
	}

	// A new edit drops what could be redone. The cut left its file in the
	// buffer.
	ui.playlist.crow = 0;
	kb_execute('P');
	EXPECT_TRUE(kb_execute(18));
	EXPECT_EQ(ids(files->files), (std::vector<int>{ 0, 0, 1, 2, 3, 4, 5 }));
}

TEST_F(KbaEdit, UndoKeepsTheCursorOnTheList)
{
	show_files(12, 20);
	files->files.resize(10);
	yank_records({ 10, 11 });
	place(ui.playlist, 9, 0);
	kb_execute('p');
	place(ui.playlist, 11, 0);
	kb_execute('u');
	EXPECT_EQ(ui.playlist.nrows(), 10);
	EXPECT_EQ(ui.playlist.crow, 9);
}

TEST_F(KbaEdit, TheHistoryKeepsTheLast100Edits)
{
	show_files(1, 20);
	yank_records({ 0 });
	for (int i = 0; i < 101; i++)
		kb_execute('p');
	EXPECT_EQ(files->nfiles(), 102);
	for (int i = 0; i < 100; i++)
		kb_execute('u');
	EXPECT_EQ(files->nfiles(), 2);
	EXPECT_EQ(files->hist_present, -1);
	kb_execute('u');
	EXPECT_EQ(files->nfiles(), 2);
	for (int i = 0; i < 101; i++)
		kb_execute(18);
	EXPECT_EQ(files->nfiles(), 102);
	EXPECT_EQ(files->hist_present, 99);
}

TEST_F(KbaEdit, VisualModeTogglesInThePlaylistWindow)
{
	show_files(5, 20);
	place(ui.playlist, 3, 0);
	EXPECT_TRUE(kb_execute('v'));
	EXPECT_EQ(visual_start, 3);
	// Paste, undo and redo do nothing while it is on.
	yank_records({ 0 });
	for (int key : { int{ 'p' }, int{ 'P' }, int{ 'u' }, 18 })
		EXPECT_FALSE(kb_execute(key)) << key;
	EXPECT_EQ(files->nfiles(), 5);
	EXPECT_TRUE(kb_execute('V'));
	EXPECT_EQ(visual_start, -1);
}

TEST_F(KbaEdit, CutAndYankTakeTheKeyAfterThem)
{
	struct range_case {
		const char *what;
		int count;
		std::vector<int> keys;
		std::vector<int> taken, left;
		int given_back;
	};
	const range_case cases[] = {
		{ "d d", 0, { 'd', 'd' }, { 3 }, { 0, 1, 2, 4, 5 }, -1 },
		{ "2 d d", 2, { 'd', 'd' }, { 3, 4 }, { 0, 1, 2, 5 }, -1 },
		{ "99 d d", 99, { 'd', 'd' }, { 3, 4, 5 }, { 0, 1, 2 }, -1 },
		{ "d G", 0, { 'd', 'G' }, { 3, 4, 5 }, { 0, 1, 2 }, -1 },
		{ "y y", 0, { 'y', 'y' }, { 3 }, first(6), -1 },
		{ "3 y G", 3, { 'y', 'G' }, { 3, 4, 5 }, first(6), -1 },
		{ "d j gives j back", 0, { 'd', 'j' }, {}, first(6), 'j' },
		{ "y d gives d back", 0, { 'y', 'd' }, {}, first(6), 'd' },
		{ "d NUL does nothing", 0, { 'd', 0 }, {}, first(6), -1 },
	};
	for (const range_case &c : cases) {
		SCOPED_TRACE(c.what);
		show_files(6, 20);
		files->name = "mine";
		place(ui.playlist, 3, 0);
		yank_records({});
		numprefix_set(c.count);
		EXPECT_TRUE(kb_execute(c.keys[0]));
		EXPECT_TRUE(input_mode_open());
		input_feed(c.keys[1]);
		EXPECT_FALSE(input_mode_open());
		EXPECT_EQ(ids(ybuffer.files), c.taken);
		EXPECT_EQ(ids(files->files), c.left);
		EXPECT_EQ(input_take_ungot(), c.given_back);
		EXPECT_EQ(numprefix_get(), 0);
	}
}

TEST_F(KbaEdit, GoTakesTheKeyAfterIt)
{
	show_files(30, 10);
	place(ui.playlist, 5, 10);
	kb_execute('g');
	input_feed('g');
	EXPECT_EQ(ui.playlist.cursor_index(), 0);

	numprefix_set(12);
	kb_execute('g');
	input_feed(0);
	EXPECT_EQ(ui.playlist.cursor_index(), 11);

	kb_execute('g');
	input_feed('j');
	EXPECT_EQ(ui.playlist.cursor_index(), 11);
	EXPECT_EQ(input_take_ungot(), 'j');
}

TEST_F(KbaEdit, DeletingAPlaylistAsksFirst)
{
	show_files(3, 20);
	register_files();
	ui.active = &ui.library;
	ui.library.crow = 2;
	const std::vector<std::pair<std::string, bool>> answers = {
		{ "\x1b", true }, { "no\r", true }, { "what\r", true }, { "y\r", false },
	};
	for (const auto &[answer, kept] : answers) {
		SCOPED_TRACE(answer);
		kb_execute('d');
		input_feed('d');
		ASSERT_NE(input_prompt(), nullptr);
		EXPECT_EQ(input_prompt()->prompt(), "Are you sure you want to delete 'mine'?");
		for (char k : answer)
			input_feed(k);
		EXPECT_FALSE(input_mode_open());
		EXPECT_EQ(medialib.nplaylists(), kept ? 3 : 2);
	}
	EXPECT_EQ(viewing_playlist, medialib.library);
}

} // namespace
