#include "input/line_editor.h"

#include "input/keycodes.h"

bool line_editor::key(int key)
{
	switch (key) {
	case 0:
	case INPUT_KEY_ENTER:
	case INPUT_KEY_LINEFEED:
		return true;
	case INPUT_KEY_ESC:
		cancelled = true;
		return true;
	case INPUT_KEY_DEL:
	case INPUT_KEY_LEFT:
	case INPUT_KEY_BACKSPACE:
	case INPUT_KEY_DC:
	case INPUT_KEY_SDC:
		if (!typed.empty())
			typed.pop_back();
		else if (key == INPUT_KEY_BACKSPACE)
			return true; // backspace on an empty line closes it
		else
			input_bell();
		return false;
	default:
		break;
	}
	// A full line refuses more; what was typed stays.
	if (typed.size() >= MAX_CHARS) {
		input_bell();
		return false;
	}
	typed.push_back(static_cast<char>(key & 0xff));
	return false;
}

void line_editor::finish()
{
	if (cancelled || typed.empty()) {
		done(std::nullopt);
		return;
	}
	typed.erase(typed.find_last_not_of(' ') + 1);
	done(typed);
}
