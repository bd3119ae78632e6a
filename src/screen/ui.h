// The screen state: the player bar, the command row and the two scrollable
// windows between them, set up, resized and taken down here.
#pragma once

#include "screen/swindow.h"

struct ui_state {
	window_ptr player;  // one row at the top
	window_ptr command; // one row at the bottom
	swindow library;    // the list of playlists, on the left
	swindow playlist;   // the files of one playlist, on the right
	swindow *active = &library;
	int lwidth = 18;        // width of the library window
	bool lhide = false;     // hide the library window while the playlist window is active
	bool too_small = false; // the terminal shrank below what the layout needs
};

extern ui_state ui;

// Starts curses and creates the four windows.
void ui_init(int lwidth);
// Deletes the windows and ends curses; harmless when curses is not running.
void ui_destroy();
// Follows a change of the terminal's size.
void ui_resize();
void ui_hide_library();
void ui_unhide_library();
// Clears every window and the whole screen.
void ui_clear();
// Whether the screen is away for a shell command: suspended and not resumed.
bool ui_is_ended();
// Whether the screen is up: ui_init has run and ui_destroy has not.
bool ui_is_up();
// The terminal's size as curses knows it.
int ui_rows();
int ui_cols();

// The keys read below are the bytes and keypad codes of curses; in a UTF-8
// locale a character that is not ASCII comes whole, as input_key_of_char
// (input/keycodes.h) gives it.

// What ui_read_key found.
enum ui_key_result {
	UI_KEY,          // a key
	UI_NO_KEY,       // nothing after all (a resize notice, a signal)
	UI_END_OF_INPUT, // standard input has ended: nothing will come again
};
// Reads one key once the wait has said the keyboard has something.
ui_key_result ui_read_key(int &key);
// A key that is already there (put back, or read ahead by curses), without
// waiting; -1 when there is none.
int ui_poll_key();

// Leaves the screen for a shell command: the terminal's modes are saved and
// it shows its normal screen.
void ui_suspend();
// Raw mode while the screen is away, so that one key can be read.
void ui_raw();
// Back to the screen with the saved modes; the caller repaints.
void ui_resume();
