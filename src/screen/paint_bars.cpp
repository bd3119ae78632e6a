#include <curses.h>

#include <ctime>

#include "player/player.h"
#include "screen/colors.h"
#include "screen/draw.h"
#include "screen/paint.h"
#include "screen/paint_text.h"
#include "screen/ui.h"

namespace
{

// The player bar's rotation through artist, album and title.
time_t rotation_switched = 0;
int rotation_field = 0;
char mode_marker = '-';

bool can_paint()
{
	return ui_is_up() && !ui.too_small;
}

} // namespace

// While the terminal is too small for the layout, as much as fits of a
// notice saying so.
void draw_too_small()
{
	werase(stdscr);
	mvwaddnstr(stdscr, 0, 0, "Terminal too small for korvane.", COLS);
	wnoutrefresh(stdscr);
}

void draw_borders()
{
	if (!can_paint())
		return;
	attron(COLOR_PAIR(colors[COLOR_BARS]));
	mvhline(1, 0, ACS_HLINE, COLS);
	if (ui.library.cwin) {
		mvvline(1, ui.lwidth, ACS_VLINE, LINES - 2);
		mvaddch(1, ui.lwidth, ACS_TTEE);
	}
	attroff(COLOR_PAIR(colors[COLOR_BARS]));
	wnoutrefresh(stdscr);
}

void draw_player()
{
	if (!can_paint())
		return;
	WINDOW *w = ui.player.get();
	int player_color = COLOR_PAIR(colors[COLOR_PLAYER]);

	if (!player_is_playing()) {
		werase(w);
		wattron(w, player_color);
		mvwaddstr(w, 0, 0, pad_text("korvane...", COLS, MI_ALIGN_LEFT).c_str());
		wattroff(w, player_color);
		wnoutrefresh(w);
		return;
	}

	// The playing file, also once it has left the queue.
	const meta_info *mi = player_info.record;
	float position = player_get_position();
	play_time t = play_time_of(position, mi != nullptr ? mi->length : 0);

	switch (player_info.mode) {
	case MODE_LINEAR:
		mode_marker = '-';
		break;
	case MODE_LOOP:
		mode_marker = 'O';
		break;
	case MODE_RANDOM:
		mode_marker = '?';
		break;
	default:
		break;
	}

	time_t now = time(nullptr);
	if (now - rotation_switched > 2) {
		rotation_switched = now;
		rotation_field = (rotation_field + 1) % 3;
	}
	std::string text = mi != nullptr ? player_bar_field_text(*mi, rotation_field) : "";

	werase(w);
	wattron(w, player_color);
	mvwaddstr(w, 0, 0,
	          pad_text(player_bar_text(mode_marker, player_is_paused(), t, text), COLS,
	                   MI_ALIGN_LEFT)
	                  .c_str());
	wattroff(w, player_color);
	wnoutrefresh(w);
}

void draw_status_bar()
{
	if (!can_paint())
		return;
	const swindow &a = *ui.active;
	bool library = ui.active == &ui.library;
	std::string name =
	        !library && viewing_playlist != nullptr ? viewing_playlist->name.value_or("") : "";
	std::string text = status_bar_text(library, name, a.crow, a.voffset, a.hoffset, a.nrows());

	WINDOW *w = ui.command.get();
	werase(w);
	wattron(w, COLOR_PAIR(colors[COLOR_STATUS]));
	mvwaddstr(w, 0, 0, pad_text(text, COLS, MI_ALIGN_RIGHT).c_str());
	wattroff(w, COLOR_PAIR(colors[COLOR_STATUS]));
	wnoutrefresh(w);
}
