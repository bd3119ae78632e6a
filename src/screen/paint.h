// Painting: actions and commands mark the areas of the screen whose state
// changed; the main loop paints the marked areas once, anew from the
// program's state, before it waits again.
#pragma once

#include "meta/meta_info.h"
#include "playlist/playlist.h"

// The playlist shown in the playlist window.
extern playlist *viewing_playlist;
// The playlist the player was started from; none while nothing was played.
extern playlist *playing_playlist;
// Whether the playlist window shows a file's information page.
extern bool showing_file_info;
// Where visual mode began in the viewed playlist; -1 while it is off.
extern int visual_start;

// Shows p in the playlist window from its first row; visual mode ends when
// the playlist changes.
void show_playlist(playlist *p);

// Every area, the borders and the status bar included.
void paint_all();
void paint_borders();
void paint_player();
// The status bar on the command row, in place of any message there.
void paint_status_bar();
void paint_library();
void paint_playlist();
// Shows what is known about one record in place of the playlist.
void paint_playlist_file_info(const meta_info *mi);
// The active window (library or playlist) and then the status bar.
void paint_active_window();

// Paints what was marked since the last time; nothing while the screen is
// not up or is away for a shell command (the marks wait for its return).
void paint_flush();

// How often each area was painted, for measuring what a key repaints.
struct paint_counts {
	long borders = 0, player = 0, library = 0, playlist = 0, command_row = 0, prompt = 0;
	long total() const { return borders + player + library + playlist + command_row + prompt; }
};
const paint_counts &paint_stats();
