#include "keys/keybindings.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "keys/kba.h"

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
};
// clang-format on

namespace
{

// The value of a field that the handler does not read.
constexpr KbaDirection NO_DIR = static_cast<KbaDirection>(0);
constexpr KbaScale NO_SCALE = static_cast<KbaScale>(0);
constexpr KbaAmount NO_AMOUNT = static_cast<KbaAmount>(0);
constexpr KbaPlacement NO_PLACE = static_cast<KbaPlacement>(0);

} // namespace

// The handler of each action with the arguments it is always given; 0 in a
// field the handler does not read.
// clang-format off
const KbaHandlerRow kb_handlers[KBA_NUM_ACTIONS] = {
	{ scroll_up,             kba_scroll_row,     true,  { UP,       NO_SCALE, NO_AMOUNT, NO_PLACE, 0 } },
	{ scroll_down,           kba_scroll_row,     true,  { DOWN,     NO_SCALE, NO_AMOUNT, NO_PLACE, 0 } },
	{ scroll_up_page,        scroll_page,        true,  { UP,       NO_SCALE, SINGLE,    NO_PLACE, 0 } },
	{ scroll_down_page,      scroll_page,        true,  { DOWN,     NO_SCALE, SINGLE,    NO_PLACE, 0 } },
	{ scroll_up_halfpage,    scroll_page,        true,  { UP,       NO_SCALE, HALF,      NO_PLACE, 0 } },
	{ scroll_down_halfpage,  scroll_page,        true,  { DOWN,     NO_SCALE, HALF,      NO_PLACE, 0 } },
	{ scroll_up_wholepage,   scroll_page,        true,  { UP,       NO_SCALE, WHOLE,     NO_PLACE, 0 } },
	{ scroll_down_wholepage, scroll_page,        true,  { DOWN,     NO_SCALE, WHOLE,     NO_PLACE, 0 } },
	{ scroll_left,           scroll_col,         true,  { LEFT,     NO_SCALE, SINGLE,    NO_PLACE, 0 } },
	{ scroll_right,          scroll_col,         true,  { RIGHT,    NO_SCALE, SINGLE,    NO_PLACE, 0 } },
	{ scroll_leftmost,       scroll_col,         true,  { LEFT,     NO_SCALE, WHOLE,     NO_PLACE, 0 } },
	{ scroll_rightmost,      scroll_col,         true,  { RIGHT,    NO_SCALE, WHOLE,     NO_PLACE, 0 } },
	{ jumpto_screen_top,     jumpto_page,        true,  { NO_DIR,   NO_SCALE, NO_AMOUNT, TOP,      0 } },
	{ jumpto_screen_middle,  jumpto_page,        true,  { NO_DIR,   NO_SCALE, NO_AMOUNT, MIDDLE,   0 } },
	{ jumpto_screen_bottom,  jumpto_page,        true,  { NO_DIR,   NO_SCALE, NO_AMOUNT, BOTTOM,   0 } },
	{ jumpto_line,           jumpto_file,        true,  { NO_DIR,   NUMBER,   NO_AMOUNT, NO_PLACE, 'G' } },
	{ jumpto_percent,        jumpto_file,        true,  { NO_DIR,   PERCENT,  NO_AMOUNT, NO_PLACE, 0 } },
	{ search_forward,        search,             true,  { FORWARD,  NO_SCALE, NO_AMOUNT, NO_PLACE, 0 } },
	{ search_backward,       search,             true,  { BACKWARD, NO_SCALE, NO_AMOUNT, NO_PLACE, 0 } },
	{ find_next_forward,     search_find,        true,  { SAME,     NO_SCALE, NO_AMOUNT, NO_PLACE, 0 } },
	{ find_next_backward,    search_find,        true,  { OPPOSITE, NO_SCALE, NO_AMOUNT, NO_PLACE, 0 } },
	{ visual,                kba_visual,         true,  { NO_DIR,   NO_SCALE, NO_AMOUNT, NO_PLACE, 0 } },
	{ cut,                   kba_cut,            true,  { NO_DIR,   NO_SCALE, NO_AMOUNT, NO_PLACE, 0 } },
	{ yank,                  kba_yank,           true,  { NO_DIR,   NO_SCALE, NO_AMOUNT, NO_PLACE, 0 } },
	{ paste_after,           paste,              false, { NO_DIR,   NO_SCALE, NO_AMOUNT, AFTER,    0 } },
	{ paste_before,          paste,              false, { NO_DIR,   NO_SCALE, NO_AMOUNT, BEFORE,   0 } },
	{ undo,                  kba_undo,           false, { NO_DIR,   NO_SCALE, NO_AMOUNT, NO_PLACE, 0 } },
	{ redo,                  kba_redo,           false, { NO_DIR,   NO_SCALE, NO_AMOUNT, NO_PLACE, 0 } },
	{ go,                    kba_go,             true,  { NO_DIR,   NO_SCALE, NO_AMOUNT, NO_PLACE, 0 } },
	{ quit,                  kba_quit,           false, { NO_DIR,   NO_SCALE, NO_AMOUNT, NO_PLACE, 0 } },
	{ redraw,                kba_redraw,         false, { NO_DIR,   NO_SCALE, NO_AMOUNT, NO_PLACE, 0 } },
	{ command_mode,          kba_command_mode,   false, { NO_DIR,   NO_SCALE, NO_AMOUNT, NO_PLACE, 0 } },
	{ shell,                 kba_shell,          false, { NO_DIR,   NO_SCALE, NO_AMOUNT, NO_PLACE, 0 } },
	{ switch_window,         kba_switch_window,  false, { NO_DIR,   NO_SCALE, NO_AMOUNT, NO_PLACE, 0 } },
	{ show_file_info,        kba_show_file_info, false, { NO_DIR,   NO_SCALE, NO_AMOUNT, NO_PLACE, 0 } },
	{ load_playlist,         kba_play,           false, { NO_DIR,   NO_SCALE, NO_AMOUNT, NO_PLACE, 0 } },
	{ media_play,            kba_play,           false, { NO_DIR,   NO_SCALE, NO_AMOUNT, NO_PLACE, 0 } },
	{ media_pause,           kba_pause,          false, { NO_DIR,   NO_SCALE, NO_AMOUNT, NO_PLACE, 0 } },
	{ media_stop,            kba_stop,           false, { NO_DIR,   NO_SCALE, NO_AMOUNT, NO_PLACE, 0 } },
	{ media_next,            kba_play_next,      false, { NO_DIR,   NO_SCALE, NO_AMOUNT, NO_PLACE, 0 } },
	{ media_prev,            kba_play_prev,      false, { NO_DIR,   NO_SCALE, NO_AMOUNT, NO_PLACE, 0 } },
	{ volume_increase,       kba_volume,         false, { FORWARD,  NO_SCALE, NO_AMOUNT, NO_PLACE, 0 } },
	{ volume_decrease,       kba_volume,         false, { BACKWARD, NO_SCALE, NO_AMOUNT, NO_PLACE, 0 } },
	{ seek_forward_seconds,  seek_playback,      false, { FORWARD,  SECONDS,  NO_AMOUNT, NO_PLACE, 10 } },
	{ seek_backward_seconds, seek_playback,      false, { BACKWARD, SECONDS,  NO_AMOUNT, NO_PLACE, 10 } },
	{ seek_forward_minutes,  seek_playback,      false, { FORWARD,  MINUTES,  NO_AMOUNT, NO_PLACE, 1 } },
	{ seek_backward_minutes, seek_playback,      false, { BACKWARD, MINUTES,  NO_AMOUNT, NO_PLACE, 1 } },
	{ toggle_forward,        kba_toggle,         false, { FORWARD,  NO_SCALE, NO_AMOUNT, NO_PLACE, 0 } },
	{ toggle_backward,       kba_toggle,         false, { BACKWARD, NO_SCALE, NO_AMOUNT, NO_PLACE, 0 } },
};

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

int numprefix = 0;

} // namespace

std::vector<KeyBinding> keybindings;
KbaDirection search_direction = FORWARD;
int visual_start = -1;

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

bool kb_execute(int key)
{
	if (visual_start != -1 && key == KB_KEY_ESC) {
		visual_start = -1;
		return true;
	}

	const auto b = std::find_if(keybindings.begin(), keybindings.end(),
	                            [key](const KeyBinding &kb) { return kb.key == key; });
	if (b == keybindings.end())
		return false;

	const KbaHandlerRow &row = kb_handlers[b->action];
	if (visual_start != -1 && !row.visual)
		return false;
	row.handler(row.args);
	return true;
}

bool kb_execute_by_name(std::string_view name)
{
	KbaAction action;
	if (!kb_str2action(name, action))
		return false;
	const KbaHandlerRow &row = kb_handlers[action];
	row.handler(row.args);
	return true;
}

void numprefix_clear()
{
	numprefix = 0;
}

void numprefix_set(int n)
{
	numprefix = n;
}

int numprefix_get()
{
	return numprefix;
}

void numprefix_add_digit(int d)
{
	const int64_t n = static_cast<int64_t>(numprefix) * 10 + d;
	numprefix = static_cast<int>(std::clamp<int64_t>(n, INT_MIN, INT_MAX));
}

int numprefix_take()
{
	if (numprefix <= 0)
		return 1;
	const int n = numprefix;
	numprefix = 0;
	return n;
}
