// The texts that painting puts on the screen, worked out without a terminal:
// the padding formats, the status bar, the player bar and the columns of one
// playlist row.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "meta/meta_info.h"
#include "meta/mi_sort.h"

// In a UTF-8 locale (text_utf8_locale) the screen shows texts as written,
// measured in terminal cells; in any other locale every character that is
// not ASCII is shown as one '?'.
// text as the screen shows it: each control character (C0, DEL, C1, the
// bidirectional overrides and isolates), each byte that is no part of a
// valid UTF-8 character and, outside a UTF-8 locale, each character that is
// not ASCII, as one '?'; a mark with no character before it goes on a blank.
std::string screen_text(std::string_view text);
// The terminal cells a text from screen_text takes.
int text_cells(std::string_view shown);
// The part of a text from screen_text that starts skip cells in and takes
// at most n cells. A character is never split: the cells of a wide
// character cut by either edge are blanks. Marks stay with their character.
std::string cut_cells(std::string_view shown, int skip, int n);
// A text from screen_text in rows of at most w cells, none splitting a
// character; none for an empty text.
std::vector<std::string> wrap_cells(std::string_view shown, int w);

// A printf format for a text padded to n characters and cut after n, left
// or right aligned (MI_ALIGN_LEFT or anything else). Fatal when n < 1.
std::string num2sfmt(int n, int align);
// text as shown on the screen in exactly n cells: cut after n, padded with
// blanks on the right (MI_ALIGN_LEFT) or on the left (anything else).
// Fatal when n < 1.
std::string pad_text(std::string_view text, int n, int align);

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
// (its last 49 cells when it takes 50 or more).
std::string player_bar_field_text(const meta_info &mi, int field);
// The player bar's text.
std::string player_bar_text(char mode_marker, bool paused, const play_time &t,
                            const std::string &text);

// One column of a playlist row, ready to print at column x.
struct row_column {
	int x;
	int field;
	std::string text; // exactly as many cells as the column shows
};
// Whether a record shows in columns: the description has columns and the
// record has at least one of their fields.
bool row_has_columns(const meta_info &mi, const mi_display &d);
// The columns of one row of a window w cells wide, scrolled hoffset cells.
std::vector<row_column> row_columns(const meta_info &mi, const mi_display &d, int hoffset, int w);
