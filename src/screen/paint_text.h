// The texts that painting puts on the screen, worked out without a terminal:
// the padding formats, the status bar, the player bar and the columns of one
// playlist row.
#pragma once

#include <string>
#include <vector>

#include "meta/meta_info.h"
#include "meta/mi_sort.h"

// A printf format for a text padded to n characters and cut after n, left
// or right aligned (MI_ALIGN_LEFT or anything else). Fatal when n < 1.
std::string num2sfmt(int n, int align);
// A text printed with the format of num2sfmt.
std::string pad_text(const std::string &text, int n, int align);

// The status text of a window: which window, where the cursor is, how far
// the view is scrolled and the cursor's row as a percentage.
std::string status_bar_text(bool library, const std::string &playlist_name, int crow, int voffset,
                            int hoffset, int nrows);

// The whole-second parts and percentage of a play position.
struct play_time {
	int hours, minutes, seconds, percent;
};
// The position p in seconds of a file of length seconds (percent -1 when
// the length is unknown).
play_time play_time_of(float p, int length);

// What the player bar shows of a file: the field's text, or the file name
// (its last 49 characters when it has 50 or more).
std::string player_bar_field_text(const meta_info &mi, int field);
// The player bar's text.
std::string player_bar_text(char mode_marker, bool paused, const play_time &t,
                            const std::string &text);

// One column of a playlist row, ready to print at column x.
struct row_column {
	int x;
	int field;
	std::string text; // exactly as many characters as the column shows
};
// Whether a record shows in columns: the description has columns and the
// record has at least one of their fields.
bool row_has_columns(const meta_info &mi, const mi_display &d);
// The columns of one row of a window w wide, scrolled hoffset characters.
std::vector<row_column> row_columns(const meta_info &mi, const mi_display &d, int hoffset, int w);
