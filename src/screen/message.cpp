#include "screen/message.h"

#include <curses.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "input/input.h"
#include "input/line_editor.h"
#include "screen/colors.h"
#include "screen/draw.h"
#include "screen/paint_text.h"
#include "screen/ui.h"

namespace
{

enum row_content { ROW_UNCHANGED, ROW_STATUS, ROW_MESSAGE, ROW_ERROR, ROW_EMPTY };

row_content row = ROW_UNCHANGED;
std::string row_text;
long messages = 0;

const line_editor *shown_prompt = nullptr; // the prompt drawn last
bool prompt_dirty = false;
bool prompt_held = false;

bool can_show()
{
	return ui_is_up() && !ui.too_small;
}

std::string format(const char *fmt, va_list ap)
{
	va_list copy;
	va_copy(copy, ap);
	char small[256];
	const int n = vsnprintf(small, sizeof small, fmt, copy);
	va_end(copy);
	if (n < 0)
		return std::string();
	if (static_cast<size_t>(n) < sizeof small)
		return std::string(small, static_cast<size_t>(n));
	std::string text(static_cast<size_t>(n) + 1, '\0');
	vsnprintf(text.data(), text.size(), fmt, ap);
	text.resize(static_cast<size_t>(n));
	return text;
}

void show(row_content what, std::string text)
{
	row = what;
	row_text = std::move(text);
	messages++;
}

// curses writes nothing when the cursor already is as asked.
void set_cursor(bool on)
{
	curs_set(on ? 1 : 0);
}

} // namespace

void paint_message(const char *fmt, ...)
{
	if (!can_show())
		return;
	va_list ap;
	va_start(ap, fmt);
	show(ROW_MESSAGE, format(fmt, ap));
	va_end(ap);
}

void paint_error(const char *fmt, ...)
{
	if (!can_show())
		return;
	va_list ap;
	va_start(ap, fmt);
	show(ROW_ERROR, format(fmt, ap));
	va_end(ap);
	if (!ui_is_ended())
		beep();
}

void paint_clear_command()
{
	if (!can_show())
		return;
	row = ROW_EMPTY;
	row_text.clear();
}

long message_count()
{
	return messages;
}

void prompt_hold()
{
	prompt_held = true;
}

void prompt_touch()
{
	prompt_held = false;
	prompt_dirty = true;
}

void command_row_show_status()
{
	row = ROW_STATUS;
	row_text.clear();
}

bool command_row_paint()
{
	switch (std::exchange(row, ROW_UNCHANGED)) {
	case ROW_UNCHANGED:
		return false;
	case ROW_STATUS:
		draw_status_bar();
		break;
	case ROW_MESSAGE:
		draw_command_row(COLOR_MESSAGES, row_text.c_str());
		break;
	case ROW_ERROR:
		draw_command_row(COLOR_ERRORS, row_text.c_str());
		break;
	case ROW_EMPTY:
		draw_command_row(-1, "");
		break;
	}
	// Whatever went on the row, an open prompt comes back over it.
	prompt_dirty = true;
	return true;
}

void command_row_take()
{
	row = ROW_UNCHANGED;
}

bool prompt_paint()
{
	const line_editor *p = input_prompt();
	if (p == nullptr)
		prompt_held = false; // a message kept over a prompt goes with it
	if (p == nullptr || prompt_held) {
		shown_prompt = nullptr;
		set_cursor(false);
		return false;
	}
	const bool draw = prompt_dirty || p != shown_prompt;
	prompt_dirty = false;
	shown_prompt = p;
	set_cursor(true);
	if (draw)
		draw_prompt();
	else
		wnoutrefresh(ui.command.get()); // the cursor goes back to the prompt
	return draw;
}

void draw_command_row(int item, const char *text)
{
	WINDOW *w = ui.command.get();
	werase(w);
	wmove(w, 0, 0);
	if (item >= 0)
		wattron(w, COLOR_PAIR(colors[item]));
	waddstr(w, cut_cells(screen_text(text), 0, COLS).c_str());
	if (item >= 0)
		wattroff(w, COLOR_PAIR(colors[item]));
	wnoutrefresh(w);
}

void draw_prompt()
{
	const line_editor *p = input_prompt();
	WINDOW *w = ui.command.get();
	werase(w);
	const std::string prompt = cut_cells(screen_text(p->prompt()), 0, COLS);
	const std::string typed = screen_text(p->text());
	const int plen = text_cells(prompt);
	// What passes the right edge is not shown; the cursor stays in the
	// last cell then.
	mvwaddstr(w, 0, 0, (prompt + cut_cells(typed, 0, COLS - plen)).c_str());
	wmove(w, 0, std::min(plen + text_cells(typed), COLS - 1));
	wnoutrefresh(w);
}
