// Painting: each operation erases its area of the screen and draws it anew
// from the program's state.
#pragma once

#include "meta/meta_info.h"
#include "playlist/playlist.h"

// The playlist shown in the playlist window.
extern playlist *viewing_playlist;
// The playlist the player was started from; none while nothing was played.
extern playlist *playing_playlist;
// Whether the playlist window shows a file's information page.
extern bool showing_file_info;

void paint_all();
void paint_borders();
void paint_player();
void paint_status_bar();
void paint_library();
void paint_playlist();
// Shows what is known about one record in place of the playlist.
void paint_playlist_file_info(const meta_info *mi);
// Repaints the active window (library or playlist) and then the status bar.
void paint_active_window();
