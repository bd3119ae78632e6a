#include "bindings/keybindings.h"

#include <algorithm>
#include <climits>
#include <cstdint>


// clang-format off
const char *const kb_action_names[KBA_NUM_ACTIONS] = {
	"scroll_up", "scroll_down",
	"scroll_up_page", "scroll_down_page",
	"scroll_up_halfpage", "scroll_down_halfpage",
	"scroll_up_wholepage", "scroll_down_wholepage",
	"scroll_left", "scroll_right", "scroll_leftmost", "scroll_rightmost",
	"jumpto_screen_top", "jumpto_screen_middle", "jumpto_screen_bottom",
	"jumpto_line", "jumpto_percent",
	"search_forward", "search_backward", "find_next_forward", "find_next_backward",
	"visual", "cut", "yank", "paste_after", "paste_before", "undo", "redo", "go",
	"quit", "redraw", "command_mode", "shell", "switch_window", "show_file_info",
	"load_playlist", "media_play", "media_pause", "media_stop", "media_next", "media_prev",
	"volume_increase", "volume_decrease",
	"seek_forward_seconds", "seek_backward_seconds", "seek_forward_minutes", "seek_backward_minutes",
	"toggle_forward", "toggle_backward",
	"jump_to_playing",
};
// clang-format on

namespace
{

// The bindings kb_init makes, in this order; a key listed twice keeps the
// later action.
const KeyBinding kb_defaults[] = {
	{ 'k', scroll_up },
	{ '-', scroll_up },
	{ KB_KEY_UP, scroll_up },
	{ 'j', scroll_down },
	{ KB_KEY_DOWN, scroll_down },
	{ 25, scroll_up_page },          // ^Y
	{ 5, scroll_down_page },         // ^E
	{ 21, scroll_up_halfpage },      // ^U
	{ 4, scroll_down_halfpage },     // ^D
	{ 2, scroll_up_wholepage },      // ^B
	{ KB_KEY_PPAGE, scroll_up_wholepage },
	{ 6, scroll_down_wholepage },    // ^F
	{ KB_KEY_NPAGE, scroll_down_wholepage },
	{ 'h', scroll_left },
	{ KB_KEY_LEFT, scroll_left },
	{ KB_KEY_BACKSPACE, scroll_left },
	{ 'l', scroll_right },
	{ KB_KEY_RIGHT, scroll_right },
	{ ' ', scroll_right },
	{ '^', scroll_leftmost },
	{ '0', scroll_leftmost },
	{ '|', scroll_leftmost },
	{ '$', scroll_rightmost },
	{ 'H', jumpto_screen_top },
	{ 'M', jumpto_screen_middle },
	{ 'L', jumpto_screen_bottom },
	{ 'G', jumpto_line },
	{ '%', jumpto_percent },
	{ '/', search_forward },
	{ '?', search_backward },
	{ 'n', find_next_forward },
	{ 'N', find_next_backward },
	{ 'v', visual },
	{ 'V', visual },
	{ 'd', cut },
	{ 'y', yank },
	{ 'p', paste_after },
	{ 'P', paste_before },
	{ 'u', undo },
	{ 18, redo },                    // ^R
	{ 'g', go },
	{ 3, quit },                     // ^C
	{ 12, redraw },                  // ^L
	{ ':', command_mode },
	{ '!', shell },
	{ KB_KEY_TAB, switch_window },
	{ 'm', show_file_info },
	{ KB_KEY_ENTER, load_playlist },
	{ KB_KEY_ENTER, media_play },
	{ 'z', media_pause },
	{ 's', media_stop },
	{ ')', media_next },
	{ '(', media_prev },
	{ '>', volume_increase },
	{ '<', volume_decrease },
	{ 'f', seek_forward_seconds },
	{ ']', seek_forward_seconds },
	{ 'b', seek_backward_seconds },
	{ '[', seek_backward_seconds },
	{ 'F', seek_forward_minutes },
	{ '}', seek_forward_minutes },
	{ 'B', seek_backward_minutes },
	{ '{', seek_backward_minutes },
	{ 't', toggle_forward },
	{ 'T', toggle_backward },
	{ 'i', jump_to_playing },
};

// clang-format on

} // namespace

// clang-format off
const kb_key_name kb_key_names[KB_NUM_KEY_NAMES] = {
	{ "BACKSPACE", KB_KEY_BACKSPACE },
	{ "ENTER", KB_KEY_ENTER },
	{ "SPACE", KB_KEY_SPACE },
	{ "TAB", KB_KEY_TAB },
	{ "UP", KB_KEY_UP },
	{ "DOWN", KB_KEY_DOWN },
	{ "LEFT", KB_KEY_LEFT },
	{ "RIGHT", KB_KEY_RIGHT },
	{ "PAGEUP", KB_KEY_PPAGE },
	{ "PAGEDOWN", KB_KEY_NPAGE },
};
// clang-format on

namespace
{

constexpr size_t KB_CAPACITY_STEP = 100;

// ASCII case-insensitive equality; no locale is set.
bool equals_nocase(std::string_view a, std::string_view b)
{
	auto lower = [](char c) {
		return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
	};
	return a.size() == b.size() &&
	       std::equal(a.begin(), a.end(), b.begin(),
	                  [&](char x, char y) { return lower(x) == lower(y); });
}

} // namespace

std::vector<KeyBinding> keybindings;

void kb_increase_capacity()
{
	keybindings.reserve(keybindings.capacity() + KB_CAPACITY_STEP);
}

void kb_init()
{
	keybindings = std::vector<KeyBinding>();
	keybindings.reserve(KB_CAPACITY_STEP);
	for (const KeyBinding &b : kb_defaults)
		kb_bind(b.action, b.key);
}

void kb_free()
{
	keybindings = std::vector<KeyBinding>();
}

void kb_bind(KbaAction action, int key)
{
	kb_unbind_key(key);
	if (keybindings.size() == keybindings.capacity())
		kb_increase_capacity();
	keybindings.push_back(KeyBinding{ key, action });
}

void kb_unbind_key(int key)
{
	std::erase_if(keybindings, [key](const KeyBinding &b) { return b.key == key; });
}

void kb_unbind_action(KbaAction action)
{
	std::erase_if(keybindings, [action](const KeyBinding &b) { return b.action == action; });
}

void kb_unbind_all()
{
	keybindings.clear();
}

bool kb_str2action(std::string_view name, KbaAction &action)
{
	for (int i = 0; i < KBA_NUM_ACTIONS; i++) {
		if (equals_nocase(name, kb_action_names[i])) {
			action = static_cast<KbaAction>(i);
			return true;
		}
	}
	return false;
}

int kb_str2specialkey(std::string_view word)
{
	for (const auto &k : kb_key_names)
		if (equals_nocase(word, k.name))
			return k.code;
	return -1;
}

int kb_str2keycode(std::string_view word)
{
	if (word.size() == 1)
		return static_cast<signed char>(word[0]);
	return kb_str2specialkey(word);
}

int kb_str2keycode2(std::string_view word1, std::string_view word2)
{
	if (!equals_nocase(word1, "control"))
		return -1;
	const int code = kb_str2keycode(word2);
	return code > 0 ? code - 96 : -1;
}

bool kb_action_of(int key, KbaAction &action)
{
	const auto b = std::find_if(keybindings.begin(), keybindings.end(),
	                            [key](const KeyBinding &kb) { return kb.key == key; });
	if (b == keybindings.end())
		return false;
	action = b->action;
	return true;
}
