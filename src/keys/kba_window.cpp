// Actions on the program and its windows: quit, redraw, switching windows,
// a file's information page, opening a playlist and playing a file.
#include "base/loop_flags.h"
#include "commands/cmd.h"
#include "input/input.h"
#include "keys/kba.h"
#include "library/medialib.h"
#include "player/player.h"
#include "screen/message.h"
#include "screen/paint.h"
#include "screen/ui.h"

namespace
{

// After the active window changed: both windows show their cursors anew and
// the status bar speaks of the other one; the whole screen only when the
// library window was hidden or shown.
void repaint_windows()
{
	if (ui.lhide) {
		paint_all();
		return;
	}
	paint_library();
	paint_playlist();
	paint_status_bar();
}

// Makes the playlist window the active one and shows everything.
void activate_playlist_window()
{
	ui.active = &ui.playlist;
	if (ui.lhide)
		ui_hide_library();
	repaint_windows();
}

// Whether the playlist window's cursor is on a file of the viewed playlist.
bool cursor_on_file()
{
	return viewing_playlist != nullptr && ui.playlist.cursor_on_row() &&
	       ui.playlist.cursor_index() < viewing_playlist->nfiles();
}

} // namespace

// As "q": playlists with unsaved changes keep the program up; the same key
// again right after ends it as "q!" does.
void kba_quit(KbaArgs)
{
	static long refused_at = -2;
	const long key = input_keys_fed();
	if (key == refused_at + 1) {
		cmd_execute("q!");
		return;
	}
	cmd_execute("q");
	// Only a key arms the second: a remote quit is a "q" each time.
	if (!quit_requested())
		refused_at = input_refusing_modes() ? -2 : key;
}

void kba_redraw(KbaArgs)
{
	ui_clear();
	paint_all();
}

void kba_switch_window(KbaArgs)
{
	if (ui.active == &ui.library) {
		activate_playlist_window();
		return;
	}
	ui.active = &ui.library;
	if (ui.lhide)
		ui_unhide_library();
	repaint_windows();
}

void kba_show_file_info(KbaArgs)
{
	if (ui.active == &ui.library)
		return;
	if (!cursor_on_file()) {
		paint_message("no file here");
		return;
	}
	if (showing_file_info)
		paint_playlist();
	else
		paint_playlist_file_info(viewing_playlist->files[ui.playlist.cursor_index()]);
}

void kba_play(KbaArgs)
{
	if (ui.active == &ui.library) {
		const int idx = ui.library.cursor_index();
		if (idx < 0 || idx >= medialib.nplaylists())
			return;
		show_playlist(medialib.playlists[idx].get());
		activate_playlist_window();
		return;
	}

	if (!cursor_on_file()) {
		paint_message("no file here");
		return;
	}
	player_set_queue(viewing_playlist, ui.playlist.cursor_index());
	playing_playlist = viewing_playlist;
	player_play();
}

void kba_jump_to_playing(KbaArgs)
{
	playlist *q = player_info.queue;
	if (q == nullptr || !player_is_playing()) {
		paint_message("nothing is playing");
		return;
	}
	if (viewing_playlist != q)
		show_playlist(q);
	if (ui.active != &ui.playlist)
		activate_playlist_window();
	// Once the playing file has left its playlist, the row that followed it.
	kba_jump_to_line(player_info.qidx + (player_info.record_left ? 2 : 1));
	if (player_info.record_left)
		paint_message("the playing file is no longer in its playlist");
}
