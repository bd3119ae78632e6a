#include <curses.h>

#include <algorithm>
#include <ctime>

#include "library/medialib.h"
#include "meta/mi_sort.h"
#include "player/player.h"
#include "screen/colors.h"
#include "screen/draw.h"
#include "screen/paint.h"
#include "screen/paint_text.h"
#include "screen/ui.h"

namespace
{

bool can_paint(const swindow &sw)
{
	return ui_is_up() && !ui.too_small && sw.cwin;
}

int pair(int item)
{
	return COLOR_PAIR(colors[item]);
}

void print_padded(WINDOW *w, int row, int col, const std::string &text, int n)
{
	if (n > 0)
		mvwaddstr(w, row, col, pad_text(text, n, MI_ALIGN_LEFT).c_str());
}

} // namespace

void draw_library()
{
	swindow &sw = ui.library;
	if (!can_paint(sw))
		return;
	WINDOW *w = sw.cwin.get();
	bool active = ui.active == &ui.library;

	werase(w);
	wattron(w, pair(COLOR_LIBRARY));
	for (int i = 0; i < sw.h; i++) {
		int idx = sw.voffset + i;
		const playlist *p =
		        idx < medialib.nplaylists() ? medialib.playlists[idx].get() : nullptr;
		bool playing = p != nullptr && p == playing_playlist;
		bool bold = p != nullptr && p->needs_saving;
		bool cursor = i == sw.crow;
		int name_col = 0;

		if (playing)
			wattron(w, pair(COLOR_PLAYING_LIBRARY));
		if (bold) {
			wattron(w, A_BOLD);
			mvwaddch(w, i, 0, '+');
			name_col = 1;
		}
		if (cursor)
			wattron(w, active ? A_REVERSE : pair(COLOR_CURRENT_INACTIVE));
		if (p == nullptr)
			wattron(w, pair(COLOR_TILDAS_LIBRARY));

		if (p != nullptr) {
			std::string name = p->name.value_or("");
			size_t from = std::min(static_cast<size_t>(sw.hoffset), name.size());
			print_padded(w, i, name_col, name.substr(from), sw.w);
		} else {
			mvwaddch(w, i, 0, '~');
		}

		if (p == nullptr) {
			wattroff(w, pair(COLOR_TILDAS_LIBRARY));
			wattron(w, pair(COLOR_LIBRARY));
		}
		if (cursor) {
			wattroff(w, active ? A_REVERSE : pair(COLOR_CURRENT_INACTIVE));
			wattron(w, pair(COLOR_LIBRARY));
		}
		if (bold) {
			wattroff(w, A_BOLD);
			wattron(w, pair(COLOR_LIBRARY));
		}
		if (playing) {
			wattroff(w, pair(COLOR_PLAYING_LIBRARY));
			wattron(w, pair(COLOR_LIBRARY));
		}
	}
	wattroff(w, pair(COLOR_LIBRARY));
	wnoutrefresh(w);
}

void draw_playlist()
{
	swindow &sw = ui.playlist;
	if (!can_paint(sw) || viewing_playlist == nullptr)
		return;
	WINDOW *w = sw.cwin.get();
	const playlist &v = *viewing_playlist;
	bool active = ui.active == &ui.playlist;
	int cursor_idx = sw.cursor_index();
	const mi_display &d = mi_display_desc;

	werase(w);
	for (int i = 0; i < sw.h; i++) {
		int idx = sw.voffset + i;
		const meta_info *f = idx < v.nfiles() ? v.files[idx] : nullptr;
		bool selected = visual_start != -1 && active &&
		                idx >= std::min(visual_start, cursor_idx) &&
		                idx <= std::max(visual_start, cursor_idx);
		bool playing = &v == playing_playlist && player_playing_row(&v, idx);
		bool reverse = (i == sw.crow && active) || selected;
		bool inactive_cursor = i == sw.crow && !active;

		wattron(w, pair(COLOR_PLAYLIST));
		if (playing)
			wattron(w, pair(COLOR_PLAYING_PLAYLIST));
		if (reverse)
			wattron(w, A_REVERSE);
		if (inactive_cursor)
			wattron(w, pair(COLOR_CURRENT_INACTIVE));

		if (f == nullptr) {
			wattron(w, pair(COLOR_TILDAS_PLAYLIST));
			mvwaddch(w, i, 0, '~');
		} else {
			print_padded(w, i, 0, " ", sw.w);
			if (!row_has_columns(*f, d)) {
				print_padded(w, i, 0, f->filename.value_or(""), sw.w);
			} else {
				for (const row_column &c : row_columns(*f, d, sw.hoffset, sw.w)) {
					bool own = !playing && field_color_set[c.field];
					if (own)
						wattron(w, COLOR_PAIR(field_colors[c.field]));
					mvwaddstr(w, i, c.x, c.text.c_str());
					if (own) {
						wattroff(w, COLOR_PAIR(field_colors[c.field]));
						wattron(w, pair(COLOR_PLAYLIST));
					}
				}
			}
		}

		if (f == nullptr)
			wattroff(w, pair(COLOR_TILDAS_PLAYLIST));
		if (reverse)
			wattroff(w, A_REVERSE);
		if (inactive_cursor)
			wattroff(w, pair(COLOR_CURRENT_INACTIVE));
		if (playing)
			wattroff(w, pair(COLOR_PLAYING_PLAYLIST));
		wattroff(w, pair(COLOR_PLAYLIST));
	}
	wnoutrefresh(w);
}

void draw_playlist_file_info(const meta_info *mi)
{
	swindow &sw = ui.playlist;
	if (!can_paint(sw))
		return;
	WINDOW *w = sw.cwin.get();
	std::string name = mi->filename.value_or("");
	int width = std::max(sw.w, 1);
	int k = static_cast<int>((name.size() + width - 1) / width);

	werase(w);
	wattron(w, pair(COLOR_PLAYLIST));
	mvwaddstr(w, 0, 0, "What korvane knows about the file/URL:");
	mvwaddstr(w, 1, 0, name.c_str());
	mvwaddstr(w, k + 2, 0, "Meta-Information:");
	for (int i = 0; i < MI_NUM_CINFO; i++) {
		const auto &text = mi->cinfo[i];
		mvwprintw(w, k + 3 + i, 0, "%10s: \"%s\"", MI_CINFO_NAMES[i],
		          text ? text->c_str() : "(null)");
	}
	mvwaddstr(w, k + 12, 0, "Additional Details:");
	mvwprintw(w, k + 13, 0, "%15s: %i seconds", "Length", mi->length);
	mvwprintw(w, k + 14, 0, "%15s: %s", "URL?", mi->is_url ? "Yes" : "No");

	char when[255];
	time_t t = static_cast<time_t>(mi->last_updated);
	struct tm tm_buf;
	if (localtime_r(&t, &tm_buf) == nullptr ||
	    strftime(when, sizeof when, "%d %B %Y at %H:%M:%S", &tm_buf) == 0)
		when[0] = '\0';
	mvwprintw(w, k + 15, 0, "%15s: %s", "Last Updated", when);
	wattroff(w, pair(COLOR_PLAYLIST));
	wnoutrefresh(w);
}
