// Commands run in-process on a library of records, without a terminal: the
// handlers' messages go nowhere, their codes and effects are checked.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "commands/cmd.h"
#include "commands/str2argv.h"
#include "core/signals.h"
#include "harness/harness.h"
#include "keys/keys_fixture.h"
#include "commands/toggle.h"
#include "library/medialib.h"
#include "player/player.h"
#include "playlist/playlist_file.h"
#include "screen/colors.h"

class CmdTest : public KeysTest
{
protected:
	void SetUp() override
	{
		KeysTest::SetUp();
		mi_sort_init();
		toggleset_init();
		save_sorts = false;
		sig_quit = 0;
		reset_player();
		medialib.playlist_dir = dir.path();
		for (int i = 0; i < MI_NUM_CINFO; i++) {
			field_colors[i] = COLOR_ITEMS + 1 + i;
			field_color_set[i] = false;
		}
	}
	void TearDown() override
	{
		sig_quit = 0;
		reset_player();
		playing_playlist = nullptr;
		toggleset_free();
		KeysTest::TearDown();
	}

	// The library holds n records /m/trackNNN.mp3 with the titles of
	// titles (the rest untitled), shown in the playlist window.
	void library_of(int n, const std::vector<std::string> &titles = {})
	{
		show_files(n, 20);
		for (size_t i = 0; i < titles.size(); i++)
			records[i]->cinfo[CINFO_TITLE] = titles[i];
		medialib.library->files = files->files;
		viewing_playlist = medialib.library;
	}

	// Adds a playlist of the library's first n records to the registry,
	// and its file when it has one.
	playlist *add_playlist(const std::string &name, int n, bool with_file = true)
	{
		playlist_ptr p = playlist_new();
		p->name = name;
		if (with_file)
			p->filename = dir / (name + ".playlist");
		p->files.assign(medialib.library->files.begin(),
		                medialib.library->files.begin() + n);
		if (with_file)
			playlist_save(*p);
		playlist *raw = p.get();
		medialib_playlist_add(std::move(p));
		return raw;
	}

	// Runs one command line as ':' would and gives its failure code; -1
	// when the line selects no single command.
	static int run(const std::string &line)
	{
		const int rc = cmd_dispatch(line, cmd_source{});
		return rc < 0 ? -1 : rc;
	}

	// The names of the registry's playlists, in order.
	static std::vector<std::string> registry()
	{
		std::vector<std::string> names;
		for (const playlist_ptr &p : medialib.playlists)
			names.push_back(p->name.value_or("(none)"));
		return names;
	}

	temp_dir dir;

private:
	// The player as before player_init: its backend plays nothing.
	static void reset_player()
	{
		player_info.mode = MODE_LINEAR;
		player_info.queue = nullptr;
		player_info.qidx = -1;
	}
};
