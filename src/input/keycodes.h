// The codes of the keys the input modes know, as the keyboard read gives
// them with the keypad on (the screen checks that they are curses's own).
#pragma once

constexpr int INPUT_KEY_CTRL_C = 3;
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
