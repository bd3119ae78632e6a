#include "screen/ui.h"

#include <curses.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "base/error.h"
#include "base/text.h"
#include "input/keycodes.h"
#include "library/medialib.h"
#include "screen/crash.h"
#include "screen/paint.h"
#include "screen/paint_text.h"

// The line editor's key codes are the keypad's.
static_assert(INPUT_KEY_LEFT == KEY_LEFT && INPUT_KEY_RIGHT == KEY_RIGHT &&
              INPUT_KEY_UP == KEY_UP && INPUT_KEY_DOWN == KEY_DOWN &&
              INPUT_KEY_HOME == KEY_HOME && INPUT_KEY_END == KEY_END &&
              INPUT_KEY_BACKSPACE == KEY_BACKSPACE && INPUT_KEY_DC == KEY_DC &&
              INPUT_KEY_SDC == KEY_SDC);

namespace
{

bool suspended = false; // away for a shell command
bool wide_keys = false; // keys are read as characters of a UTF-8 locale

int library_rows()
{
	return medialib.nplaylists();
}

int playlist_rows()
{
	return viewing_playlist != nullptr ? viewing_playlist->nfiles() : 0;
}

ui_state new_ui_state()
{
	ui_state s;
	s.library.rows = library_rows;
	s.playlist.rows = playlist_rows;
	return s;
}

} // namespace

ui_state ui = new_ui_state();

namespace
{

// Ends curses before a fatal message, so the terminal is given back.
void end_screen_for_fatal()
{
	if (ui_is_up() && !isendwin())
		endwin();
	// Away for a shell command the terminal may be raw, waiting for a key.
	if (ui_is_up() && suspended)
		reset_shell_mode();
	crash_guard_release();
}

window_ptr new_window(int h, int w, int y, int x)
{
	return window_ptr(newwin(h, w, y, x));
}

// The playlist window beside the library window, or over the whole width
// while the library window is hidden. While the terminal is too small the
// windows keep their sizes until it grows.
void place_playlist_window(int rows, int cols)
{
	if (ui.too_small)
		return;
	if (ui.library.cwin)
		swindow_resize(ui.playlist, rows - 3, cols - ui.lwidth - 1, 2, ui.lwidth + 1);
	else
		swindow_resize(ui.playlist, rows - 3, cols, 2, 0);
}

// A key read from curses; its resize notice is no key, since the resize
// signal is followed on its own.
int key_of(int key)
{
	return key == ERR || key == KEY_RESIZE ? -1 : key;
}

// The next key, as key_of gives it; ERR when curses read none. In a UTF-8
// locale a character typed or pasted comes whole: the ASCII ones as their
// bytes, the others above the keypad's codes (input_key_of_char).
int read_key(int &key)
{
	if (!wide_keys) {
		const int c = getch();
		key = key_of(c);
		return c;
	}
	wint_t c = 0;
	const int got = get_wch(&c);
	if (got == ERR) {
		key = -1;
		return ERR;
	}
	const int code = static_cast<int>(c);
	key = got == KEY_CODE_YES ? key_of(code) : input_key_of_char(code);
	return code;
}

} // namespace

void curses_window_deleter::operator()(_win_st *w) const
{
	delwin(w);
}

void swindow_new(swindow &sw, int h, int w, int y, int x)
{
	int (*rows)() = sw.rows;
	sw = swindow{};
	sw.rows = rows;
	sw.w = w;
	sw.h = h;
	// curses takes a size of 0 as "to the edge of the screen".
	if (h > 0 && w > 0)
		sw.cwin = new_window(h, w, y, x);
	if (!sw.cwin)
		fatal("swindow_new: failed to create window");
}

void swindow_resize(swindow &sw, int h, int w, int y, int x)
{
	wresize(sw.cwin.get(), h, w);
	mvwin(sw.cwin.get(), y, x);
	sw.w = w;
	swindow_set_height(sw, h);
}

void ui_init(int lwidth)
{
	crash_save_terminal();
	// curses shows characters of the locale the program set at its start.
	wide_keys = text_utf8_locale();
	initscr();
	raw();
	noecho();
	nonl();
	keypad(stdscr, TRUE);
	start_color();
	curs_set(0);
	set_escdelay(0);
	refresh();
	error_set_fatal_hook(end_screen_for_fatal);
	crash_guard_install();

	int rows = LINES, cols = COLS;
	ui.lwidth = lwidth;
	ui.lhide = false;
	ui.too_small = false;

	ui.player = new_window(1, cols, 0, 0);
	ui.command = new_window(1, cols, rows - 1, 0);
	if (!ui.player || !ui.command)
		fatal("ui_init: failed to create player/command windows");

	swindow_new(ui.library, rows - 3, lwidth, 2, 0);
	swindow_new(ui.playlist, rows - 3, cols - lwidth - 1, 2, lwidth + 1);
	ui.active = &ui.library;
}

void ui_destroy()
{
	if (!ui_is_up())
		return;
	ui.player.reset();
	ui.command.reset();
	ui.playlist.cwin.reset();
	ui.library.cwin.reset();
	if (suspended)
		reset_shell_mode();
	else
		endwin();
	suspended = false;
	crash_guard_release();
}

void ui_resize()
{
	winsize ws;
	if (ioctl(STDIN_FILENO, TIOCGWINSZ, &ws) == -1)
		fatal_sys("ui_resize: ioctl failed");
	int rows = ws.ws_row, cols = ws.ws_col;

	resizeterm(rows, cols);
	// Too small a terminal only shows a notice until it grows again.
	ui.too_small = cols < ui.lwidth + 2 || rows <= 3;
	if (ui.too_small)
		return;

	wresize(ui.player.get(), 1, cols);
	wresize(ui.command.get(), 1, cols);
	if (ui.library.cwin)
		swindow_resize(ui.library, rows - 3, ui.lwidth, 2, 0);
	place_playlist_window(rows, cols);
	mvwin(ui.command.get(), rows - 1, 0);
}

void ui_hide_library()
{
	if (!ui.library.cwin)
		return;
	ui.library.cwin.reset();
	place_playlist_window(LINES, COLS);
}

void ui_unhide_library()
{
	if (ui.library.cwin)
		return;
	// While the terminal is too small the window waits, a cell in size, for
	// the resize that gives it its place.
	if (ui.too_small)
		ui.library.cwin = new_window(1, 1, 0, 0);
	else
		ui.library.cwin = new_window(LINES - 3, ui.lwidth, 2, 0);
	if (!ui.library.cwin)
		fatal("ui_unhide_library: failed to create newwin");
	ui.library.w = ui.lwidth;
	if (!ui.too_small)
		swindow_set_height(ui.library, LINES - 3);
	place_playlist_window(LINES, COLS);
}

void ui_clear()
{
	if (!ui_is_up())
		return;
	// While the screen is away, touching a window would bring it back at
	// the next key read.
	if (suspended) {
		paint_all();
		return;
	}
	// The next paint redraws every cell, whatever the terminal shows now.
	WINDOW *wins[] = { ui.player.get(), ui.command.get(), ui.library.cwin.get(),
		           ui.playlist.cwin.get(), stdscr };
	for (WINDOW *w : wins)
		if (w != nullptr)
			wclear(w);
	paint_all();
}

bool ui_is_ended()
{
	return suspended;
}

bool ui_is_up()
{
	return ui.player != nullptr;
}

int ui_rows()
{
	return LINES;
}

int ui_cols()
{
	return COLS;
}

ui_key_result ui_read_key(int &key)
{
	const int c = read_key(key);
	if (c != ERR)
		return key == -1 ? UI_NO_KEY : UI_KEY;
	// The wait said there was something to read and curses found nothing:
	// the input has ended (a closed terminal reads as end of file or an
	// error; /dev/null and a finished pipe as end of file).
	pollfd p = { STDIN_FILENO, POLLIN, 0 };
	if (poll(&p, 1, 0) != 1)
		return UI_NO_KEY;
	if ((p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0)
		return UI_END_OF_INPUT;
	int waiting = 0;
	if (ioctl(STDIN_FILENO, FIONREAD, &waiting) == -1 || waiting == 0)
		return UI_END_OF_INPUT;
	return UI_NO_KEY;
}

int ui_poll_key()
{
	nodelay(stdscr, TRUE);
	int key;
	read_key(key);
	nodelay(stdscr, FALSE);
	return key;
}

void ui_suspend()
{
	def_prog_mode();
	endwin();
	suspended = true;
}

void ui_raw()
{
	raw();
}

void ui_resume()
{
	reset_prog_mode();
	suspended = false;
}
