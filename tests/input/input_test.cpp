#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "input/input.h"
#include "input/keycodes.h"
#include "input/line_editor.h"

namespace
{

class Input : public testing::Test
{
protected:
	void SetUp() override
	{
		input_clear();
		normal_keys.clear();
		input_set_normal([](int key) { normal_keys.push_back(key); });
	}
	void TearDown() override
	{
		input_clear();
		input_refuse_modes(false);
		input_take_refused();
		input_set_normal(nullptr);
	}

	static void feed(const std::vector<int> &keys)
	{
		for (int k : keys)
			input_feed(k);
	}
	static std::vector<int> keys_of(const std::string &text)
	{
		return std::vector<int>(text.begin(), text.end());
	}

	static inline std::vector<int> normal_keys;
};

// What a line editor gave its caller: nothing yet, cancelled, or a line.
struct editor_result {
	bool finished = false;
	std::optional<std::string> line;
};

std::unique_ptr<line_editor> editor_into(editor_result &r)
{
	return std::make_unique<line_editor>(":", [&r](std::optional<std::string> line) {
		r.finished = true;
		r.line = std::move(line);
	});
}

TEST_F(Input, TheLineEditorEditsAndEndsItsLine)
{
	const int ENTER = INPUT_KEY_ENTER;
	struct edit_case {
		const char *what;
		std::vector<int> keys;
		bool finished;
		std::optional<std::string> line;
		bool bell;
	};
	const edit_case cases[] = {
		{ "enter runs the line", { 'a', 'b', ENTER }, true, "ab", false },
		{ "a line feed too", { 'a', INPUT_KEY_LINEFEED }, true, "a", false },
		{ "a NUL key ends it as typed", { 'x', 0 }, true, "x", false },
		{ "trailing blanks are cut", { 'a', ' ', 'b', ' ', ' ', ENTER }, true, "a b", false },
		{ "an empty line is no line", { ENTER }, true, std::nullopt, false },
		{ "escape cancels", { 'a', 'b', INPUT_KEY_ESC }, true, std::nullopt, false },
		{ "delete and left erase", { 'a', 'b', 'c', INPUT_KEY_DEL, INPUT_KEY_LEFT, ENTER },
		  true, "a", false },
		{ "the delete keys erase", { 'a', 'b', INPUT_KEY_DC, INPUT_KEY_SDC, 'c', ENTER }, true,
		  "c", false },
		{ "backspace on an empty line closes it", { 'a', INPUT_KEY_BACKSPACE,
		                                            INPUT_KEY_BACKSPACE },
		  true, std::nullopt, false },
		{ "delete on an empty line rings", { INPUT_KEY_DEL }, false, std::nullopt, true },
		{ "a key code past a byte keeps its low byte", { 0x141, ENTER }, true, "A", false },
	};
	for (const edit_case &c : cases) {
		SCOPED_TRACE(c.what);
		input_clear();
		editor_result r;
		ASSERT_TRUE(input_push(editor_into(r)));
		feed(c.keys);
		EXPECT_EQ(r.finished, c.finished);
		EXPECT_EQ(r.line, c.line);
		EXPECT_EQ(input_take_bell(), c.bell);
		EXPECT_EQ(input_mode_open(), !c.finished);
		EXPECT_TRUE(normal_keys.empty());
	}
}

TEST_F(Input, ALineHoldsAt999Characters)
{
	editor_result r;
	input_push(editor_into(r));
	feed(std::vector<int>(999, 'x'));
	EXPECT_FALSE(input_take_bell());
	input_feed('y');
	EXPECT_TRUE(input_take_bell());
	ASSERT_NE(input_prompt(), nullptr);
	EXPECT_EQ(input_prompt()->text(), std::string(999, 'x'));
	input_feed(INPUT_KEY_ENTER);
	EXPECT_EQ(r.line, std::string(999, 'x'));
}

// The keys of text's characters as a UTF-8 locale reads them.
std::vector<int> utf8_keys(const std::u32string &text)
{
	std::vector<int> keys;
	for (char32_t c : text)
		keys.push_back(input_key_of_char(static_cast<int>(c)));
	return keys;
}

TEST_F(Input, TheLineEditorTakesWholeCharactersAndErasesThem)
{
	const int ENTER = INPUT_KEY_ENTER, BS = INPUT_KEY_BACKSPACE, DEL = INPUT_KEY_DEL;
	struct utf8_case {
		const char *what;
		std::vector<int> keys;
		std::optional<std::string> line;
	};
	auto keys = [](std::initializer_list<std::vector<int>> parts) {
		std::vector<int> all;
		for (const auto &p : parts)
			all.insert(all.end(), p.begin(), p.end());
		return all;
	};
	const utf8_case cases[] = {
		{ "characters go in as UTF-8", keys({ utf8_keys(U"Björk 坂本 🎸"), { ENTER } }),
		  "Björk 坂本 🎸" },
		{ "backspace takes a whole character",
		  keys({ utf8_keys(U"日本語"), { BS, ENTER } }), "日本" },
		{ "and delete an emoji", keys({ utf8_keys(U"a🎸"), { DEL, ENTER } }), "a" },
		{ "a mark goes alone", keys({ utf8_keys(U"e\u0301"), { BS, ENTER } }), "e" },
		{ "bytes of a C locale: the character they form goes whole",
		  { 'a', 0xc3, 0xa9, DEL, ENTER }, "a" },
		{ "a byte that forms no character goes alone", { 'a', 0xa9, 0xa9, DEL, ENTER },
		  "a\xa9" },
	};
	for (const utf8_case &c : cases) {
		SCOPED_TRACE(c.what);
		input_clear();
		editor_result r;
		ASSERT_TRUE(input_push(editor_into(r)));
		feed(c.keys);
		EXPECT_TRUE(r.finished);
		EXPECT_EQ(r.line, c.line);
	}
}

TEST_F(Input, AFullLineNeverTakesPartOfACharacter)
{
	editor_result r;
	input_push(editor_into(r));
	// 997 bytes leave room for a character of two bytes, not one of three.
	feed(std::vector<int>(997, 'x'));
	input_feed(input_key_of_char(0x5742)); // 坂, three bytes
	EXPECT_TRUE(input_take_bell());
	input_feed(input_key_of_char(0xe9)); // é, two bytes
	EXPECT_FALSE(input_take_bell());
	input_feed('y');
	EXPECT_TRUE(input_take_bell());
	input_feed(INPUT_KEY_ENTER);
	EXPECT_EQ(r.line, std::string(997, 'x') + "é");
}

TEST_F(Input, KeysGoToTheNormalModeOnceAModeIsDone)
{
	feed({ 'j' });
	std::vector<int> taken;
	input_next_key([&](int key) { taken.push_back(key); });
	feed({ 0, 'k' });
	EXPECT_EQ(taken, std::vector<int>{ 0 });
	EXPECT_EQ(normal_keys, (std::vector<int>{ 'j', 'k' }));
}

TEST_F(Input, WhatAModeCallsMayOpenTheNextMode)
{
	// A ':' line whose command asks a question, as deleting a playlist does.
	std::optional<int> answer;
	input_push(std::make_unique<line_editor>(":", [&](std::optional<std::string>) {
		input_ask_yesno("Sure?", [&](std::optional<int> a) { answer = a; });
	}));
	feed(keys_of("delete\r"));
	ASSERT_NE(input_prompt(), nullptr);
	EXPECT_EQ(input_prompt()->prompt(), "Sure?");
	feed(keys_of("yes\r"));
	EXPECT_EQ(answer, 1);
	EXPECT_FALSE(input_mode_open());
}

TEST_F(Input, QuestionsTakeTheAnswersOfTheirFirstLetters)
{
	const struct {
		const char *line;
		int answer;
	} cases[] = {
		{ "yes", 1 }, { "y", 1 },  { "YES", 1 },   { "yonder", 1 }, { "no", 0 },
		{ "n", 0 },   { "No", 0 }, { "maybe", -1 }, { " y", -1 },
	};
	for (const auto &c : cases)
		EXPECT_EQ(input_yesno_answer(c.line), c.answer) << c.line;

	std::optional<int> answer = 5;
	input_ask_yesno("Sure?", [&](std::optional<int> a) { answer = a; });
	input_feed(INPUT_KEY_ESC);
	EXPECT_EQ(answer, std::nullopt);
}

TEST_F(Input, APendingKeyDropsWhatItDoesNotTake)
{
	int taken = -1;
	input_push(std::make_unique<pending_key>([](int key) { return key >= 'a' && key <= 'z'; },
	                                         [&](int key) { taken = key; }));
	feed({ '1', '!', INPUT_KEY_ENTER });
	EXPECT_EQ(taken, -1);
	EXPECT_TRUE(input_mode_open());
	input_feed('q');
	EXPECT_EQ(taken, 'q');
	EXPECT_FALSE(input_mode_open());
	EXPECT_TRUE(normal_keys.empty());
}

TEST_F(Input, ThePromptShownIsTheTopmostLine)
{
	editor_result r;
	input_push(editor_into(r));
	const line_editor *line = input_prompt();
	ASSERT_NE(line, nullptr);
	// A pending key above it leaves the line on the command row.
	input_next_key([](int) {});
	EXPECT_EQ(input_prompt(), line);
	input_clear();
	EXPECT_EQ(input_prompt(), nullptr);
	EXPECT_FALSE(r.finished); // dropped, never run
}

TEST_F(Input, RefusalsKeepTheOpenModeAndSaySoOnce)
{
	// With nothing open a refusing push still opens its mode.
	input_refuse_modes(true);
	EXPECT_TRUE(input_next_key([](int) {}));
	editor_result r;
	EXPECT_FALSE(input_push(editor_into(r)));
	EXPECT_TRUE(input_take_refused());
	EXPECT_FALSE(input_take_refused());
	input_refuse_modes(false);

	int taken = -1;
	EXPECT_TRUE(input_next_key([&](int key) { taken = key; }));
	input_feed('x');
	EXPECT_EQ(taken, 'x');
}

TEST_F(Input, KeysGivenBackComeLastInFirstOut)
{
	EXPECT_EQ(input_take_ungot(), -1);
	input_unget('a');
	input_unget('b');
	EXPECT_EQ(input_take_ungot(), 'b');
	EXPECT_EQ(input_take_ungot(), 'a');
	EXPECT_EQ(input_take_ungot(), -1);
}

} // namespace
