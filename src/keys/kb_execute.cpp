#include "keys/kb_execute.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "keys/kba.h"
#include "screen/paint.h"

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
	{ jump_to_playing,       kba_jump_to_playing, false, { NO_DIR,  NO_SCALE, NO_AMOUNT, NO_PLACE, 0 } },
};

namespace
{

int numprefix = 0;

} // namespace

KbaDirection search_direction = FORWARD;

bool kb_execute(int key)
{
	if (visual_start != -1 && key == KB_KEY_ESC) {
		visual_start = -1;
		return true;
	}

	KbaAction action;
	if (!kb_action_of(key, action))
		return false;

	const KbaHandlerRow &row = kb_handlers[action];
	if (visual_start != -1 && !row.visual)
		return false;
	row.handler(row.args);
	// A count the action did not take is dropped, as vi does: it never
	// carries over to the next key.
	numprefix_clear();
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
