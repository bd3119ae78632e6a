// The player front: the queue, the play mode and what the screen asks of
// the player.
#pragma once

#include "playlist/playlist.h"

enum { MODE_LINEAR = 0, MODE_LOOP = 1, MODE_RANDOM = 2 };

struct player_state {
	int mode = MODE_LINEAR;
	playlist *queue = nullptr; // the playlist being played
	int qidx = -1;             // index in queue of the playing file
};

extern player_state player_info;

// Whether a file is loaded and playing or paused.
bool player_is_playing();
bool player_is_paused();
// The position in the playing file, in seconds.
float player_get_position();
// The volume, 0 to 100; -1 while it is not known.
float player_get_volume();
// Reads what the player said and asks for the position again.
void player_monitor();
