#include "screen/paint.h"

#include <curses.h>

#include <utility>

#include "input/input.h"
#include "screen/draw.h"
#include "screen/message.h"
#include "screen/ui.h"

playlist *viewing_playlist = nullptr;
playlist *playing_playlist = nullptr;
bool showing_file_info = false;
int visual_start = -1;

namespace
{

enum paint_area : unsigned {
	AREA_BORDERS = 1u << 0,
	AREA_PLAYER = 1u << 1,
	AREA_LIBRARY = 1u << 2,
	AREA_PLAYLIST = 1u << 3,
	AREA_EVERYTHING = 1u << 4, // paint_all: also the notice of a too small terminal
};

unsigned marks = 0;
const meta_info *info_record = nullptr; // the record of the information page
paint_counts counts;

bool screen_shown()
{
	return ui_is_up() && !ui_is_ended();
}

} // namespace

void show_playlist(playlist *p)
{
	if (viewing_playlist != p)
		visual_start = -1;
	viewing_playlist = p;
	swindow_home(ui.playlist);
	paint_playlist();
}

void paint_all()
{
	showing_file_info = false;
	marks |= AREA_EVERYTHING | AREA_BORDERS | AREA_PLAYER | AREA_LIBRARY | AREA_PLAYLIST;
	paint_status_bar();
}

void paint_borders()
{
	marks |= AREA_BORDERS;
}

void paint_player()
{
	marks |= AREA_PLAYER;
}

void paint_status_bar()
{
	command_row_show_status();
}

void paint_library()
{
	marks |= AREA_LIBRARY;
}

void paint_playlist()
{
	showing_file_info = false;
	marks |= AREA_PLAYLIST;
}

void paint_playlist_file_info(const meta_info *mi)
{
	if (!ui_is_up() || ui.too_small || !ui.playlist.cwin)
		return;
	info_record = mi;
	showing_file_info = true;
	marks |= AREA_PLAYLIST;
}

void paint_active_window()
{
	if (ui.active == &ui.library)
		paint_library();
	else
		paint_playlist();
	paint_status_bar();
}

void paint_flush()
{
	if (!screen_shown())
		return;
	const unsigned m = std::exchange(marks, 0u);
	const bool bell = input_take_bell();

	if (ui.too_small) {
		if ((m & AREA_EVERYTHING) != 0)
			draw_too_small();
		command_row_take();
	} else {
		if ((m & AREA_BORDERS) != 0) {
			draw_borders();
			counts.borders++;
		}
		if ((m & AREA_PLAYER) != 0) {
			draw_player();
			counts.player++;
		}
		if ((m & AREA_LIBRARY) != 0) {
			swindow_normalise(ui.library);
			draw_library();
			counts.library++;
		}
		if ((m & AREA_PLAYLIST) != 0) {
			swindow_normalise(ui.playlist);
			if (showing_file_info && info_record != nullptr)
				draw_playlist_file_info(info_record);
			else
				draw_playlist();
			counts.playlist++;
		}
		if (command_row_paint())
			counts.command_row++;
		if (prompt_paint())
			counts.prompt++;
	}
	doupdate();
	if (bell)
		beep();
}

const paint_counts &paint_stats()
{
	return counts;
}
