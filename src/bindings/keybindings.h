// The key binding table: the actions by name, the keys bound to them and the
// names of the special keys. What an action does is the business of
// src/keys, which runs them.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "bindings/kb_args.h"

// clang-format off
enum KbaAction : int32_t {
	scroll_up, scroll_down,
	scroll_up_page, scroll_down_page,
	scroll_up_halfpage, scroll_down_halfpage,
	scroll_up_wholepage, scroll_down_wholepage,
	scroll_left, scroll_right, scroll_leftmost, scroll_rightmost,
	jumpto_screen_top, jumpto_screen_middle, jumpto_screen_bottom,
	jumpto_line, jumpto_percent,
	search_forward, search_backward, find_next_forward, find_next_backward,
	visual, cut, yank, paste_after, paste_before, undo, redo, go,
	quit, redraw, command_mode, shell, switch_window, show_file_info,
	load_playlist, media_play, media_pause, media_stop, media_next, media_prev,
	volume_increase, volume_decrease,
	seek_forward_seconds, seek_backward_seconds, seek_forward_minutes, seek_backward_minutes,
	toggle_forward, toggle_backward,
	jump_to_playing,
	KBA_NUM_ACTIONS
};
// clang-format on

// Key codes of the special keys, as the keyboard read gives them with the
// keypad on.
constexpr int KB_KEY_TAB = 9;
constexpr int KB_KEY_ENTER = 13;
constexpr int KB_KEY_ESC = 27;
constexpr int KB_KEY_SPACE = 32;
constexpr int KB_KEY_DOWN = 258;
constexpr int KB_KEY_UP = 259;
constexpr int KB_KEY_LEFT = 260;
constexpr int KB_KEY_RIGHT = 261;
constexpr int KB_KEY_BACKSPACE = 263;
constexpr int KB_KEY_NPAGE = 338;
constexpr int KB_KEY_PPAGE = 339;

struct KeyBinding {
	int32_t key;
	KbaAction action;
};

struct kb_key_name {
	const char *name;
	int code;
};
constexpr int KB_NUM_KEY_NAMES = 10;

// The action names, in action order.
extern const char *const kb_action_names[KBA_NUM_ACTIONS];
// The names of the special keys a command may use, in lookup order.
extern const kb_key_name kb_key_names[KB_NUM_KEY_NAMES];
// The bindings in the order they were made; no key twice.
extern std::vector<KeyBinding> keybindings;

// The default bindings.
void kb_init();
void kb_free();
// Binds key to action, replacing the key's old binding.
void kb_bind(KbaAction action, int key);
void kb_unbind_key(int key);
void kb_unbind_action(KbaAction action);
void kb_unbind_all();
// Makes room for 100 more bindings.
void kb_increase_capacity();

// The action of a name, in any case.
bool kb_str2action(std::string_view name, KbaAction &action);
// The code of a special key name (BACKSPACE, ENTER, ...), in any case; -1 if none.
int kb_str2specialkey(std::string_view word);
// A one-byte word gives that byte (as a signed char); else a special key name.
int kb_str2keycode(std::string_view word);
// The two-word form "control KEY": KEY's code minus 96 when KEY is above 0; else -1.
int kb_str2keycode2(std::string_view word1, std::string_view word2);

// The action bound to key, if any.
bool kb_action_of(int key, KbaAction &action);
