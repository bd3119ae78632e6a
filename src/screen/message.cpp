#include "screen/message.h"

#include <curses.h>
#include <strings.h>

#include <cstdarg>
#include <cstring>

#include "core/mainloop.h"
#include "core/signals.h"
#include "screen/colors.h"
#include "screen/ui.h"

namespace
{

constexpr int INPUT_MAX = 1000; // the line holds at most INPUT_MAX - 1 characters

void paint_line(int item, const char *fmt, va_list ap)
{
	WINDOW *w = ui.command.get();
	werase(w);
	wmove(w, 0, 0);
	wattron(w, COLOR_PAIR(colors[item]));
	vw_printw(w, fmt, ap);
	wattroff(w, COLOR_PAIR(colors[item]));
	wrefresh(w);
}

// The prompt and what has been typed so far, with the cursor after it.
void show_input(const char *prompt, const std::string &typed)
{
	WINDOW *w = ui.command.get();
	werase(w);
	int plen = static_cast<int>(strlen(prompt));
	mvwaddstr(w, 0, 0, prompt);
	// Each character at its own column: what passes the right edge is not
	// shown.
	for (size_t i = 0; i < typed.size(); i++)
		mvwaddch(w, 0, plen + static_cast<int>(i), static_cast<unsigned char>(typed[i]));
	wmove(w, 0, plen + static_cast<int>(typed.size()));
	wrefresh(w);
}

} // namespace

void paint_message(const char *fmt, ...)
{
	if (!ui_is_up() || ui.too_small)
		return;
	va_list ap;
	va_start(ap, fmt);
	paint_line(COLOR_MESSAGES, fmt, ap);
	va_end(ap);
}

void paint_error(const char *fmt, ...)
{
	if (!ui_is_up() || ui.too_small)
		return;
	va_list ap;
	va_start(ap, fmt);
	paint_line(COLOR_ERRORS, fmt, ap);
	va_end(ap);
	beep();
}

void paint_clear_command()
{
	if (!ui_is_up() || ui.too_small)
		return;
	werase(ui.command.get());
	wrefresh(ui.command.get());
}

int user_getstr(const char *prompt, std::string &out)
{
	std::string typed;
	show_input(prompt, typed);
	curs_set(1);

	for (;;) {
		int key = ui_getkey();
		if (key == 0 || sig_quit)
			break;

		// Keep the screen and the player live while the line is typed;
		// whatever that painted on the command row, the line comes back.
		curs_set(0);
		process_signals();
		curs_set(1);
		show_input(prompt, typed);

		if (key == -1)
			continue;
		if (key == '\n' || key == '\r')
			break;
		if (key == 27) {
			typed.clear();
			break;
		}
		if (key == 127 || key == KEY_LEFT || key == KEY_BACKSPACE || key == KEY_DC ||
		    key == KEY_SDC) {
			if (!typed.empty()) {
				typed.pop_back();
				show_input(prompt, typed);
			} else if (key == KEY_BACKSPACE) {
				break;
			} else {
				beep();
			}
			continue;
		}
		// A full line refuses more; what was typed stays.
		if (typed.size() >= INPUT_MAX - 1) {
			beep();
			continue;
		}
		typed.push_back(static_cast<char>(key & 0xff));
		show_input(prompt, typed);
	}
	curs_set(0);

	if (typed.empty())
		return 1;
	typed.erase(typed.find_last_not_of(' ') + 1);
	out = typed;
	return 0;
}

int user_get_yesno(const char *prompt, int &answer)
{
	std::string line;
	if (user_getstr(prompt, line) != 0)
		return 1;
	if (strncasecmp(line.c_str(), "yes", 3) == 0 || strncasecmp(line.c_str(), "y", 1) == 0)
		answer = 1;
	else if (strncasecmp(line.c_str(), "no", 2) == 0 || strncasecmp(line.c_str(), "n", 1) == 0)
		answer = 0;
	else
		answer = -1;
	return 0;
}
