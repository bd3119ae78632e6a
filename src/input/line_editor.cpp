#include "input/line_editor.h"

#include <utf8proc.h>

#include "input/keycodes.h"

namespace
{

// The bytes a key adds to the line: a character read whole in a UTF-8
// locale in UTF-8, any other key as the byte it is.
std::string bytes_of_key(int key)
{
	if (key < INPUT_KEY_CHAR)
		return std::string(1, static_cast<char>(key & 0xff));
	utf8proc_uint8_t buf[4];
	utf8proc_ssize_t n = utf8proc_encode_char(input_char_of_key(key), buf);
	return std::string(reinterpret_cast<const char *>(buf), static_cast<size_t>(n));
}

// Removes the last character of text: a whole UTF-8 character when the
// text ends in one, else one byte.
void drop_last_char(std::string &text)
{
	size_t start = text.size() - 1;
	while (start > 0 && text.size() - start < 4 &&
	       (static_cast<unsigned char>(text[start]) & 0xc0) == 0x80)
		start--;
	utf8proc_int32_t c;
	utf8proc_ssize_t n =
	        utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t *>(text.data()) + start,
	                         static_cast<utf8proc_ssize_t>(text.size() - start), &c);
	if (n > 0 && static_cast<size_t>(n) == text.size() - start)
		text.erase(start);
	else
		text.pop_back();
}

} // namespace

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
			drop_last_char(typed);
		else if (key == INPUT_KEY_BACKSPACE)
			return true; // backspace on an empty line closes it
		else
			input_bell();
		return false;
	default:
		break;
	}
	// A full line refuses more, never taking part of a character; what was
	// typed stays.
	const std::string bytes = bytes_of_key(key);
	if (typed.size() + bytes.size() > MAX_CHARS) {
		input_bell();
		return false;
	}
	typed += bytes;
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
