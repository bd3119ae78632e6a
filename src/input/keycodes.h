// The codes of the keys the input modes know, as the keyboard read gives
// them with the keypad on (the screen checks that they are curses's own).
#pragma once

constexpr int INPUT_KEY_ENTER = 13;
constexpr int INPUT_KEY_LINEFEED = 10;
constexpr int INPUT_KEY_ESC = 27;
constexpr int INPUT_KEY_DEL = 127;
constexpr int INPUT_KEY_DOWN = 0402;
constexpr int INPUT_KEY_UP = 0403;
constexpr int INPUT_KEY_LEFT = 0404;
constexpr int INPUT_KEY_RIGHT = 0405;
constexpr int INPUT_KEY_HOME = 0406;
constexpr int INPUT_KEY_BACKSPACE = 0407;
constexpr int INPUT_KEY_DC = 0512;
constexpr int INPUT_KEY_SDC = 0577;
constexpr int INPUT_KEY_END = 0550;

// A character that is not ASCII, read whole in a UTF-8 locale, comes as
// INPUT_KEY_CHAR plus its code point: above every code of the keypad, so
// that no binding can take it for one.
constexpr int INPUT_KEY_CHAR = 0x1000000;

// The key of character c (an ASCII character is its own key).
constexpr int input_key_of_char(int c)
{
	return c < 0x80 ? c : INPUT_KEY_CHAR + c;
}
// The character of a key from input_key_of_char.
constexpr int input_char_of_key(int key)
{
	return key >= INPUT_KEY_CHAR ? key - INPUT_KEY_CHAR : key;
}
