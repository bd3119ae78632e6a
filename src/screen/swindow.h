// A scrollable window: a curses window with the scroll state of the content
// behind it. The scroll arithmetic needs no terminal.
#pragma once

#include <memory>

// The curses window type, kept out of this header so that code which only
// scrolls never sees curses.
struct _win_st;
struct curses_window_deleter {
	void operator()(_win_st *w) const;
};
using window_ptr = std::unique_ptr<_win_st, curses_window_deleter>;

// The view of a list: which rows are shown and where the cursor is. The
// number of rows is the content's own, asked of it whenever it is needed,
// so no caller keeps it in step.
struct swindow {
	window_ptr cwin;          // none while the library window is hidden
	int (*rows)() = nullptr;  // the number of content rows; none without it
	int w = 0;                // width in columns
	int h = 0;                // height in rows
	int crow = 0;             // cursor row on the screen
	int voffset = 0;          // content row shown on screen row 0
	int hoffset = 0;          // cells scrolled off to the left

	// The content rows behind the window.
	int nrows() const { return rows != nullptr ? rows() : 0; }
	// The content row under the cursor.
	int cursor_index() const { return voffset + crow; }
	// Whether the cursor is on a content row.
	bool cursor_on_row() const { return cursor_index() >= 0 && cursor_index() < nrows(); }
};

// A window of h rows and w columns at row y, column x; the scroll state 0.
void swindow_new(swindow &sw, int h, int w, int y, int x);
// Resizes and moves the window, keeping crow below h.
void swindow_resize(swindow &sw, int h, int w, int y, int x);
// Moves voffset (UP, DOWN) or hoffset (LEFT, RIGHT) by n; crow stays.
void swindow_scroll(swindow &sw, int direction, int n);
// Stores a new height and keeps crow below it.
void swindow_set_height(swindow &sw, int h);
// Brings the cursor back within the window and, when the list shrank under
// it, onto its last row (which lies above the window when the view is
// scrolled past the new end, until a movement brings it back). Done before
// the list is drawn.
void swindow_normalise(swindow &sw);
// Shows the view from its first row and column.
void swindow_home(swindow &sw);
