// A playlist window set up by hand, without a terminal, for running key
// actions in-process. The painting calls are harmless while the screen is
// not up.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bindings/keybindings.h"
#include "input/input.h"
#include "keys/kb_execute.h"
#include "library/medialib.h"
#include "meta/mi_query.h"
#include "meta/mi_sort.h"
#include "playlist/playlist.h"
#include "screen/paint.h"
#include "screen/ui.h"

class KeysTest : public testing::Test
{
protected:
	void SetUp() override { reset(); }
	void TearDown() override
	{
		reset();
		medialib_destroy();
		kb_free();
	}

	// The playlist window of h rows and w columns, active, showing n files
	// named /m/track000.mp3 and so on.
	void show_files(int n, int h, int w = 80)
	{
		records.clear();
		files = playlist_new();
		for (int i = 0; i < n; i++) {
			mi_ptr mi = mi_new();
			char name[32];
			snprintf(name, sizeof name, "/m/track%03d.mp3", i);
			mi->filename = name;
			files->files.push_back(mi.get());
			records.push_back(std::move(mi));
		}
		viewing_playlist = files.get();
		ui.playlist.h = h;
		ui.playlist.w = w;
		ui.active = &ui.playlist;
	}

	// Puts the window's view and cursor at voffset and crow.
	static void place(swindow &w, int crow, int voffset)
	{
		w.crow = crow;
		w.voffset = voffset;
	}

	std::vector<mi_ptr> records;
	playlist_ptr files;

private:
	static void reset_window(swindow &w)
	{
		w.w = w.h = w.crow = w.voffset = w.hoffset = 0;
	}

	void reset()
	{
		input_clear();
		kb_init();
		numprefix_clear();
		visual_start = -1;
		search_direction = FORWARD;
		mi_query_init();
		mi_display_init();
		medialib_new_state();
		reset_window(ui.library);
		reset_window(ui.playlist);
		ui.active = &ui.library;
		ui.lhide = false;
		viewing_playlist = nullptr;
		showing_file_info = false;
	}
};
