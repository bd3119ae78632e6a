#include <curses.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

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
			std::string name = screen_text(p->name.value_or(""));
			print_padded(w, i, name_col, cut_cells(name, sw.hoffset, text_cells(name)),
			             sw.w - name_col);
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

namespace
{

// The line of file_info_lines that holds the file's name.
constexpr size_t NAME_LINE = 1;

// What the information page shows of a file, a line for each thing known.
std::vector<std::string> file_info_lines(const meta_info *mi)
{
	std::vector<std::string> lines = { "What korvane knows about the file/URL:",
		                           mi->filename.value_or(""), "", "Meta-Information:" };
	char line[512];
	for (int i = 0; i < MI_NUM_CINFO; i++) {
		const auto &text = mi->cinfo[i];
		snprintf(line, sizeof line, "%10s: \"", MI_CINFO_NAMES[i]);
		lines.push_back(line + (text ? *text + "\"" : std::string("(null)\"")));
	}
	lines.push_back("");
	lines.push_back("Additional Details:");
	snprintf(line, sizeof line, "%15s: %i seconds", "Length", mi->length);
	lines.push_back(line);
	snprintf(line, sizeof line, "%15s: %s", "URL?", mi->is_url ? "Yes" : "No");
	lines.push_back(line);

	char when[255];
	time_t t = static_cast<time_t>(mi->last_updated);
	struct tm tm_buf;
	if (localtime_r(&t, &tm_buf) == nullptr ||
	    strftime(when, sizeof when, "%d %B %Y at %H:%M:%S", &tm_buf) == 0)
		when[0] = '\0';
	snprintf(line, sizeof line, "%15s: %s", "Last Updated", when);
	lines.push_back(line);
	return lines;
}

} // namespace

// Each line on the rows it needs, wrapped at the window's edge; a name
// that is empty takes no row.
void draw_playlist_file_info(const meta_info *mi)
{
	swindow &sw = ui.playlist;
	if (!can_paint(sw))
		return;
	WINDOW *w = sw.cwin.get();
	int width = std::max(sw.w, 1);

	werase(w);
	wattron(w, pair(COLOR_PLAYLIST));
	int row = 0;
	std::vector<std::string> lines = file_info_lines(mi);
	for (size_t i = 0; i < lines.size() && row < sw.h; i++) {
		std::vector<std::string> rows = wrap_cells(screen_text(lines[i]), width);
		if (rows.empty() && i != NAME_LINE)
			rows.emplace_back();
		for (const std::string &r : rows)
			if (row < sw.h)
				mvwaddstr(w, row++, 0, r.c_str());
	}
	wattroff(w, pair(COLOR_PLAYLIST));
	wnoutrefresh(w);
}
