#include "bindings/keybindings.h"
#include "keys/kb_execute.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "keys/kba.h"
#include "keys/keys_fixture.h"

namespace
{

// The action bound to key, or KBA_NUM_ACTIONS when none is.
KbaAction bound_action(int key)
{
	for (const KeyBinding &b : keybindings)
		if (b.key == key)
			return b.action;
	return KBA_NUM_ACTIONS;
}

using Pairs = std::vector<std::pair<int, int>>;

// The bindings of table, in order, but those that drop picks.
Pairs pairs(const std::vector<KeyBinding> &table, bool (*drop)(const KeyBinding &) = nullptr)
{
	Pairs kept;
	for (const KeyBinding &b : table)
		if (drop == nullptr || !drop(b))
			kept.emplace_back(b.key, b.action);
	return kept;
}

using Keybindings = KeysTest;

TEST(KbTables, ActionsNamesAndRowsLineUp)
{
	for (int i = 0; i < KBA_NUM_ACTIONS; i++) {
		KbaAction a;
		ASSERT_TRUE(kb_str2action(kb_action_names[i], a)) << kb_action_names[i];
		EXPECT_EQ(a, i) << kb_action_names[i];
		EXPECT_EQ(kb_handlers[i].action, i) << kb_action_names[i];
	}
	EXPECT_EQ(kb_handlers[jumpto_line].args.num, 'G');
	EXPECT_EQ(kb_handlers[seek_backward_minutes].args.scale, MINUTES);
	EXPECT_EQ(kb_handlers[seek_backward_seconds].args.num, 10);
	EXPECT_FALSE(kb_handlers[paste_after].visual);
	EXPECT_TRUE(kb_handlers[go].visual);
	EXPECT_FALSE(kb_handlers[quit].visual);
}

TEST(KbParse, ActionNames)
{
	struct {
		const char *name;
		bool found;
		KbaAction action;
	} cases[] = {
		{ "scroll_up", true, scroll_up },   { "SCROLL_UP", true, scroll_up },
		{ "Media_Play", true, media_play }, { "toggle_backward", true, toggle_backward },
		{ "scroll", false, scroll_up },     { "scroll_up ", false, scroll_up },
		{ "", false, scroll_up },
	};
	for (const auto &c : cases) {
		KbaAction a = KBA_NUM_ACTIONS;
		EXPECT_EQ(kb_str2action(c.name, a), c.found) << c.name;
		if (c.found) {
			EXPECT_EQ(a, c.action) << c.name;
		}
	}
}

TEST(KbParse, KeyCodes)
{
	// word1 absent: the one-word form.
	struct {
		const char *word1;
		const char *word2;
		int code;
	} cases[] = {
		{ nullptr, "x", 120 },         { nullptr, "xy", -1 },
		{ nullptr, "", -1 },           { nullptr, "PageUp", 339 },
		{ nullptr, "pagedown", 338 },  { nullptr, "ENTER", 13 },
		{ nullptr, "space", 32 },      { nullptr, "Tab", 9 },
		{ nullptr, "backspace", 263 }, { nullptr, "UP", 259 },
		{ nullptr, "\xe9", -23 },      { nullptr, "\x80", -128 },
		{ "control", "a", 1 },         { "CONTROL", "z", 26 },
		{ "control", "{", 27 },        { "control", "~", 30 },
		{ "control", "A", -31 },       { "control", "/", -49 },
		{ "control", "xy", -1 },       { "control", "\xe9", -1 },
		{ "ctrl", "a", -1 },
	};
	for (const auto &c : cases) {
		const int code =
		        c.word1 ? kb_str2keycode2(c.word1, c.word2) : kb_str2keycode(c.word2);
		EXPECT_EQ(code, c.code) << (c.word1 ? c.word1 : "") << " " << c.word2;
	}
	EXPECT_EQ(kb_str2specialkey("x"), -1);
	EXPECT_EQ(kb_str2specialkey("right"), 261);
}

TEST_F(Keybindings, DefaultBindings)
{
	struct {
		int key;
		KbaAction action;
	} cases[] = {
		{ KB_KEY_ENTER, media_play },
		{ '0', scroll_leftmost },
		{ 'k', scroll_up },
		{ KB_KEY_UP, scroll_up },
		{ KB_KEY_NPAGE, scroll_down_wholepage },
		{ ' ', scroll_right },
		{ 4, scroll_down_halfpage },
		{ KB_KEY_TAB, switch_window },
		{ 3, quit },
		{ '{', seek_backward_minutes },
		{ 'T', toggle_backward },
		{ 'i', jump_to_playing },
		{ '1', KBA_NUM_ACTIONS },
		{ 27, KBA_NUM_ACTIONS },
	};
	for (const auto &c : cases)
		EXPECT_EQ(bound_action(c.key), c.action) << c.key;

	std::set<int> keys;
	for (const KeyBinding &b : keybindings) {
		EXPECT_TRUE(keys.insert(b.key).second) << "bound twice: " << b.key;
		EXPECT_NE(b.action, load_playlist);
	}
	EXPECT_EQ(keybindings.size(), 65u);
	EXPECT_EQ(keybindings.capacity(), 100u);
	EXPECT_EQ(keybindings.back().key, 'i');
}

TEST_F(Keybindings, RebindingMovesTheKeyToTheEnd)
{
	const std::vector<KeyBinding> before = keybindings;
	kb_bind(scroll_up, 'j');

	Pairs want = pairs(before, [](const KeyBinding &b) { return b.key == 'j'; });
	want.emplace_back('j', scroll_up);
	EXPECT_EQ(pairs(keybindings), want);
	EXPECT_EQ(bound_action('k'), scroll_up);
}

TEST_F(Keybindings, Unbinding)
{
	const std::vector<KeyBinding> before = keybindings;

	kb_unbind_key('Q');
	EXPECT_EQ(pairs(keybindings), pairs(before));

	kb_unbind_key('j');
	EXPECT_EQ(pairs(keybindings),
	          pairs(before, [](const KeyBinding &b) { return b.key == 'j'; }));

	kb_unbind_action(scroll_up);
	EXPECT_EQ(pairs(keybindings), pairs(before, [](const KeyBinding &b) {
		          return b.key == 'j' || b.action == scroll_up;
	          }));
	for (int key : { int{ 'k' }, int{ '-' }, KB_KEY_UP })
		EXPECT_EQ(bound_action(key), KBA_NUM_ACTIONS) << key;

	kb_unbind_all();
	EXPECT_TRUE(keybindings.empty());
	EXPECT_EQ(keybindings.capacity(), 100u);

	kb_free();
	EXPECT_TRUE(keybindings.empty());
	EXPECT_EQ(keybindings.capacity(), 0u);
}

TEST_F(Keybindings, TableGrowsByHundred)
{
	kb_unbind_all();
	for (int key = 1000; key < 1101; key++)
		kb_bind(static_cast<KbaAction>(key % KBA_NUM_ACTIONS), key);
	ASSERT_EQ(keybindings.size(), 101u);
	EXPECT_EQ(keybindings.capacity(), 200u);
	for (int i = 0; i < 101; i++) {
		EXPECT_EQ(keybindings[i].key, 1000 + i);
		EXPECT_EQ(keybindings[i].action, (1000 + i) % KBA_NUM_ACTIONS);
	}

	kb_init();
	EXPECT_EQ(keybindings.capacity(), 100u);
}

TEST_F(Keybindings, ExecuteInVisualMode)
{
	show_files(100, 20);
	visual_start = 0;
	numprefix_set(4);

	EXPECT_FALSE(kb_execute('p'));
	EXPECT_FALSE(kb_execute(KB_KEY_ENTER));
	EXPECT_FALSE(kb_execute('Q'));
	EXPECT_EQ(numprefix_get(), 4);
	EXPECT_EQ(ui.playlist.crow, 0);

	EXPECT_TRUE(kb_execute('j'));
	EXPECT_EQ(ui.playlist.crow, 4);
	EXPECT_EQ(visual_start, 0);

	EXPECT_TRUE(kb_execute(KB_KEY_ESC));
	EXPECT_EQ(visual_start, -1);
	EXPECT_EQ(ui.playlist.crow, 4);
	EXPECT_FALSE(kb_execute(KB_KEY_ESC));
}

TEST_F(Keybindings, UnboundKeyKeepsThePrefix)
{
	show_files(100, 20);
	numprefix_set(5);
	EXPECT_FALSE(kb_execute('Q'));
	EXPECT_TRUE(kb_execute('j'));
	EXPECT_EQ(ui.playlist.crow, 5);
	EXPECT_EQ(numprefix_get(), 0);
}

TEST_F(Keybindings, ExecuteByName)
{
	show_files(100, 20);
	visual_start = 3;
	EXPECT_FALSE(kb_execute_by_name("no_such_action"));
	EXPECT_TRUE(kb_execute_by_name("SWITCH_WINDOW"));
	EXPECT_EQ(ui.active, &ui.library);
	EXPECT_TRUE(kb_execute_by_name("switch_window"));
	EXPECT_TRUE(kb_execute_by_name("scroll_down"));
	EXPECT_EQ(ui.playlist.crow, 1);
}

TEST(KbNumprefix, DigitsSaturateAtTheLargestInt)
{
	struct {
		const char *digits;
		int prefix;
	} cases[] = {
		{ "7", 7 },
		{ "120", 120 },
		{ "2147483647", INT_MAX },
		{ "2147483648", INT_MAX },
		{ "99999999999999", INT_MAX },
		{ "2147483650", INT_MAX },
	};
	for (const auto &c : cases) {
		numprefix_clear();
		for (const char *d = c.digits; *d; d++)
			numprefix_add_digit(*d - '0');
		EXPECT_EQ(numprefix_get(), c.prefix) << c.digits;
		EXPECT_EQ(numprefix_take(), c.prefix) << c.digits;
		EXPECT_EQ(numprefix_get(), 0) << c.digits;
	}
	for (int none : { 0, -5 }) {
		numprefix_set(none);
		EXPECT_EQ(numprefix_take(), 1);
		EXPECT_EQ(numprefix_get(), none);
	}
	numprefix_clear();
}

} // namespace
