// Cursor and view movement in the active window: rows, pages, columns,
// jumps to a screen position or a line, and searches.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/error.h"
#include "commands/str2argv.h"
#include "keys/kba.h"
#include "input/input.h"
#include "input/line_editor.h"
#include "keys/kb_execute.h"
#include "library/medialib.h"
#include "meta/mi_query.h"
#include "meta/mi_sort.h"
#include "screen/message.h"
#include "screen/paint.h"
#include "screen/paint_text.h"
#include "screen/ui.h"

namespace
{

// The last screen row that shows content.
int maxrow(const swindow &w)
{
	return w.voffset + w.h < w.nrows() ? w.h - 1 : w.nrows() - w.voffset - 1;
}

// swindow_scroll for a distance that may be far beyond the list (counts go
// up to the largest int): the view never moves further than the rows or
// columns there are, so the distance is cut to that.
void scroll_by(swindow &w, int direction, int64_t n)
{
	int64_t limit;
	switch (direction) {
	case UP:
		limit = w.voffset;
		break;
	case DOWN:
		limit = w.nrows();
		break;
	case LEFT:
		limit = w.hoffset;
		break;
	default:
		limit = INT_MAX - w.hoffset;
		break;
	}
	swindow_scroll(w, direction, static_cast<int>(std::clamp<int64_t>(n, 0, limit)));
}

// The prefix when one was typed (it is used up), else none_value.
int take_prefix_or(int none_value)
{
	const int n = numprefix_get();
	if (n <= 0)
		return none_value;
	numprefix_clear();
	return n;
}

// A record for a jump to a line: the key that asked for it decides what no
// count means.
KbaArgs line_jump(int key)
{
	KbaArgs a = kba_args_none();
	a.scale = NUMBER;
	a.num = key;
	return a;
}

// The longest playlist name: how wide the library window's content is.
int longest_playlist_name()
{
	size_t longest = 0;
	for (const auto &p : medialib.playlists)
		longest = std::max(longest,
		                   p->name ? static_cast<size_t>(text_cells(screen_text(*p->name))) : 0);
	return static_cast<int>(longest);
}

bool library_row_matches(int row)
{
	if (row >= medialib.nplaylists())
		return false;
	const std::optional<std::string> &name = medialib.playlists[row]->name;
	return mi_match_str(name ? std::string_view(*name) : std::string_view());
}

bool playlist_row_matches(int row)
{
	if (viewing_playlist == nullptr || row >= viewing_playlist->nfiles())
		return false;
	return mi_match(viewing_playlist->files[row]);
}

void playlist_row_ahead(int row, bool texts)
{
	if (viewing_playlist != nullptr && row < viewing_playlist->nfiles())
		mi_prefetch(viewing_playlist->files[row], texts);
}

// Moves the cursor of w to line target (from 1; 0 acts like 1).
void jump_to_line(swindow &w, int target)
{
	if (target <= w.voffset) {
		swindow_scroll(w, UP, w.voffset - target + 1);
		w.crow = 0;
	} else if (target > w.voffset + w.h) {
		swindow_scroll(w, DOWN, target - w.h - w.voffset);
		w.crow = w.h - 1;
	} else {
		w.crow = target - w.voffset - 1;
	}
	paint_active_window();
}

} // namespace

void kba_scroll_row(KbaArgs a)
{
	swindow &w = *ui.active;
	const int n = numprefix_take();
	int64_t crow = w.crow;

	switch (a.direction) {
	case DOWN:
		crow += n;
		break;
	case UP:
		crow -= n;
		break;
	default:
		fatal("%s: invalid direction", "kba_scroll_row");
	}

	if (crow < 0) {
		scroll_by(w, UP, -crow);
		crow = 0;
	}
	if (crow + w.voffset >= w.nrows())
		crow = w.nrows() - w.voffset - 1;
	if (crow >= w.h) {
		scroll_by(w, DOWN, crow - w.h + 1);
		crow = w.h - 1;
	}
	if (crow < 0)
		crow = 0;
	w.crow = static_cast<int>(crow);

	paint_active_window();
}

void scroll_page(KbaArgs a)
{
	swindow &w = *ui.active;
	const int old_offset = w.voffset;
	const int old_maxrow = maxrow(w);
	const int n = numprefix_take();
	int64_t crow = w.crow;

	switch (a.amount) {
	case SINGLE:
		// The view moves; the cursor stays on its content row.
		scroll_by(w, a.direction, n);
		if (a.direction == UP)
			crow += n;
		else if (a.direction == DOWN)
			crow -= n;
		if (crow < 0)
			crow = 0;
		if (crow + w.voffset >= w.nrows())
			crow = w.nrows() - w.voffset - 1;
		if (crow >= w.h)
			crow = w.h - 1;
		if (crow < 0)
			crow = 0;
		break;
	case HALF:
	case WHOLE: {
		// The cursor keeps its screen row unless the view could not move.
		const int64_t step = static_cast<int64_t>(a.amount == HALF ? w.h / 2 : w.h) * n;
		scroll_by(w, a.direction, step);
		if (a.direction == UP && old_offset == 0 && w.voffset == 0) {
			crow = std::max<int64_t>(crow - step, 0);
		} else if (a.direction == DOWN && w.voffset == old_offset) {
			crow = std::min<int64_t>(crow + step, old_maxrow);
		}
		break;
	}
	default:
		fatal("scroll_page: invalid amount");
	}
	w.crow = static_cast<int>(crow);

	paint_active_window();
}

void scroll_col(KbaArgs a)
{
	swindow &w = *ui.active;
	const int n = numprefix_take();
	const int width = &w == &ui.playlist ? mi_display_getwidth() : longest_playlist_name();
	const int maxh = std::max(width - w.w, 0);

	switch (a.amount) {
	case WHOLE:
		if (a.direction == RIGHT)
			w.hoffset = maxh;
		else if (a.direction == LEFT)
			w.hoffset = 0;
		else
			fatal("scroll_col: invalid direction");
		break;
	case SINGLE:
		if (a.direction != LEFT && a.direction != RIGHT)
			fatal("scroll_col: invalid direction");
		scroll_by(w, a.direction, n);
		if (w.hoffset > maxh)
			w.hoffset = maxh;
		break;
	default:
		fatal("scroll_col: invalid amount");
	}

	paint_active_window();
}

void jumpto_page(KbaArgs a)
{
	swindow &w = *ui.active;
	const int64_t n = take_prefix_or(0);
	const int last = maxrow(w);
	int64_t crow;

	switch (a.placement) {
	case TOP:
		crow = n - 1;
		break;
	case MIDDLE:
		crow = last / 2;
		break;
	case BOTTOM:
		crow = last - n + 1;
		break;
	default:
		fatal("jumpto_page: invalid location");
	}

	if (crow < 0)
		crow = 0;
	if (crow >= w.h)
		crow = w.h - 1;
	if (crow > last)
		crow = last;
	w.crow = static_cast<int>(crow);

	paint_active_window();
}

void jumpto_file(KbaArgs a)
{
	swindow &w = *ui.active;
	const int p = take_prefix_or(-1);
	int target;

	switch (a.scale) {
	case PERCENT:
		if (p < 1 || p > 100)
			return;
		target = static_cast<int>(static_cast<float>(w.nrows()) *
		                          (static_cast<float>(p) / 100.0f));
		break;
	case NUMBER:
		if (a.num == 'G') {
			target = p == -1 ? w.nrows() : std::min(p, w.nrows());
		} else if (a.num == 'g') {
			// The second key decides: 'g' (or NUL) jumps, any other is
			// handled as a key of its own.
			input_next_key([p](int key) {
				if (key != 'g' && key != 0) {
					input_unget(key);
					return;
				}
				swindow &active = *ui.active;
				jump_to_line(active, p == -1 ? 1 : std::min(p, active.nrows()));
			});
			return;
		} else {
			fatal("jumpto_file: NUMBER type with no num!");
		}
		break;
	default:
		fatal("jumpto_file: invalid scale");
	}
	jump_to_line(w, target);
}

void kba_jump_to_line(int line)
{
	// A count typed before the key that asked for it is used up.
	numprefix_clear();
	swindow &w = *ui.active;
	jump_to_line(w, std::min(line, w.nrows()));
}

void kba_go(KbaArgs)
{
	jumpto_file(line_jump('g'));
}

namespace
{

// Runs a search typed after the prompt.
void run_search(KbaDirection direction, const std::string &line)
{
	std::vector<std::string> words;
	std::optional<std::string> errmsg;
	if (str2argv(line, words, errmsg) != 0) {
		paint_error("parse error: %s in '%s'", errmsg.value_or("").c_str(), line.c_str());
		return;
	}

	mi_query_clear();
	mi_query_setraw(line);
	for (const std::string &word : words)
		mi_query_add_token(word);
	search_direction = direction;
	argv_free(words);

	KbaArgs find = kba_args_none();
	find.direction = SAME;
	search_find(find);
}

} // namespace

void search(KbaArgs a)
{
	const char *prompt;
	switch (a.direction) {
	case FORWARD:
		prompt = "/";
		break;
	case BACKWARD:
		prompt = "?";
		break;
	default:
		fatal("search: invalid direction");
	}

	const KbaDirection direction = a.direction;
	input_push(std::make_unique<line_editor>(prompt,
	                                         [direction](std::optional<std::string> line) {
		                                         if (!line)
			                                         paint_clear_command();
		                                         else
			                                         run_search(direction, *line);
	                                         }));
}

int search_next_row(int start, int nrows, bool forward, bool (*matches)(int row),
                    const char *&notice, void (*ahead)(int row, bool texts))
{
	// The rows fetched ahead: records this far, their texts half as far.
	constexpr int AHEAD = 32;
	auto wrapped = [&](int i) {
		int idx = forward ? start + i : start - i;
		return idx < 0 ? idx + nrows : idx >= nrows ? idx - nrows : idx;
	};
	notice = nullptr;
	int i = 1;
	do {
		if (ahead != nullptr && i + AHEAD < nrows) {
			ahead(wrapped(i + AHEAD), false);
			ahead(wrapped(i + AHEAD / 2), true);
		}
		int idx = forward ? start + i : start - i;
		if (idx < 0) {
			idx = (idx % nrows + nrows) % nrows;
			notice = "search hit TOP, continuing at BOTTOM";
		} else if (idx >= nrows) {
			idx %= nrows;
			notice = "search hit BOTTOM, continuing at TOP";
		}
		if (matches(idx))
			return idx;
		i++;
	} while (i < nrows);
	return -1;
}

void search_find(KbaArgs a)
{
	bool forward;
	switch (a.direction) {
	case SAME:
		forward = search_direction == FORWARD;
		break;
	case OPPOSITE:
		forward = search_direction != FORWARD;
		break;
	default:
		fatal("search_find: invalid direction");
	}

	const swindow &w = *ui.active;
	const char *notice = nullptr;
	bool (*matches)(int) = &w == &ui.library ? library_row_matches : playlist_row_matches;
	void (*ahead)(int, bool) = &w == &ui.library ? nullptr : playlist_row_ahead;
	const int idx = w.nrows() > 0 ? search_next_row(w.cursor_index(), w.nrows(), forward, matches,
	                                              notice, ahead)
	                            : -1;
	if (idx == -1) {
		paint_error("Pattern not found: %s", mi_query_getraw().value_or("").c_str());
		return;
	}

	kba_jump_to_line(idx + 1);
	if (notice != nullptr)
		paint_message("%s", notice);
}
