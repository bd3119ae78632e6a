#include "commands/str2argv.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace
{

using words = std::vector<std::string>;

std::string repeat_words(int n, const std::string &sep)
{
	std::string text;
	for (int i = 0; i < n; i++) {
		if (i > 0)
			text += sep;
		text += "w" + std::to_string(i);
	}
	return text;
}

words numbered_words(int n)
{
	words w;
	for (int i = 0; i < n; i++)
		w.push_back("w" + std::to_string(i));
	return w;
}

struct split_case {
	const char *label;
	std::string text;
	words expected;    // the words on success
	const char *error; // the message on failure, else nullptr
};

// gtest names a case by its label rather than by its bytes.
void PrintTo(const split_case &c, std::ostream *os)
{
	*os << c.label;
}

const char *const LEN_ERR = "argv_addch: reached max token length (255)";
const char *const ARGV_ERR = "argv_finish_token: reached max argv entries(255)";

std::vector<split_case> split_cases()
{
	return {
		{ "empty", "", {}, nullptr },
		{ "blanks and tabs only", "  \t \t ", {}, nullptr },
		{ "double-quoted words",
		  "bind   a   \"scroll up\"",
		  { "bind", "a", "scroll up" },
		  nullptr },
		{ "single quote inside double", "\"it's\"", { "it's" }, nullptr },
		{ "escaped double quotes inside double",
		  "\"say \\\"hi\\\"\"",
		  { "say \"hi\"" },
		  nullptr },
		{ "closing quote ends the word", "'abc'def", { "abc", "def" }, nullptr },
		{ "quote opened mid-word", "abc'def'", { "abcdef" }, nullptr },
		{ "quote mid-word keeps blanks", "abc'def ghi'", { "abcdef ghi" }, nullptr },
		{ "two single quotes", "''", {}, nullptr },
		{ "two double quotes", "\"\"", {}, nullptr },
		{ "empty quotes between words", "a '' b", { "a", "b" }, nullptr },
		{ "escaped blank inside a word", "a\\ b", { "a b" }, nullptr },
		{ "escaped blank starts a word", "\\ b", { " b" }, nullptr },
		{ "two backslashes give one", "a\\\\b", { "a\\b" }, nullptr },
		{ "backslash before ordinary char dropped", "\\a", { "a" }, nullptr },
		{ "backslash literal inside quotes", "\"a\\b\"", { "a\\b" }, nullptr },
		{ "two backslashes literal inside quotes", "\"a\\\\b\"", { "a\\\\b" }, nullptr },
		{ "other quote inside quotes", "'a\"b'", { "a\"b" }, nullptr },
		{ "escaped quote outside quotes", "\\\" x", { "\"", "x" }, nullptr },
		{ "tab and line feed separate", "a\tb\nc", { "a", "b", "c" }, nullptr },
		{ "carriage return is part of a word", "a\rb c\r", { "a\rb", "c\r" }, nullptr },
		{ "vertical tab and form feed are ordinary", "a\vb\f", { "a\vb\f" }, nullptr },
		{ "control characters are ordinary", "a\x01", { "a\x01" }, nullptr },
		{ "dangling escape", "abc\\", {}, "Unused/Dangling escape sequence" },
		{ "lone backslash", "\\", {}, "Unused/Dangling escape sequence" },
		{ "unmatched double quote", "\"abc", {}, "Unmatched quotes" },
		{ "unmatched quote mid-word", "ab'c d", {}, "Unmatched quotes" },
		{ "escaped closing quote leaves quote open", "\"abc\\\"", {}, "Unmatched quotes" },
		{ "escape pending within unmatched quote", "x \"a\\", {}, "Unmatched quotes" },
		{ "word of 254 characters",
		  std::string(254, 'x'),
		  { std::string(254, 'x') },
		  nullptr },
		{ "word of 255 characters", std::string(255, 'x'), {}, LEN_ERR },
		{ "254 quoted characters",
		  "'" + std::string(254, 'q') + "'",
		  { std::string(254, 'q') },
		  nullptr },
		{ "255 characters in a later word",
		  "a " + std::string(255, 'x') + " b",
		  {},
		  LEN_ERR },
		{ "254 words", repeat_words(254, " "), numbered_words(254), nullptr },
		{ "254 words with leading blanks", "   " + repeat_words(254, "\t"),
		  numbered_words(254), nullptr },
		{ "254 words and a trailing blank", repeat_words(254, " ") + " ", {}, ARGV_ERR },
		{ "254 words and a trailing line feed",
		  repeat_words(254, " ") + "\n",
		  {},
		  ARGV_ERR },
		// The closing quote finishes the 254th word, and the end of the
		// text finishes once more.
		{ "254 words the last closed by a quote",
		  repeat_words(253, " ") + " 'last'",
		  {},
		  ARGV_ERR },
		{ "254 words the last with a quoted middle",
		  repeat_words(253, " ") + " la'st'x",
		  {},
		  ARGV_ERR },
		{ "255 words", repeat_words(255, " "), {}, ARGV_ERR },
		{ "254 words then empty quotes", repeat_words(254, " ") + " ''", {}, ARGV_ERR },
	};
}

class Str2argv : public testing::TestWithParam<split_case>
{
};

TEST_P(Str2argv, Splits)
{
	const split_case &c = GetParam();
	words argv = { "stale" };
	std::optional<std::string> errmsg = "stale";
	int rc = str2argv(c.text, argv, errmsg);
	if (c.error == nullptr) {
		EXPECT_EQ(rc, 0);
		EXPECT_FALSE(errmsg.has_value()) << *errmsg;
		EXPECT_EQ(argv, c.expected);
	} else {
		EXPECT_EQ(rc, 1);
		EXPECT_EQ(errmsg, std::optional<std::string>(c.error));
		EXPECT_TRUE(argv.empty());
	}
}

INSTANTIATE_TEST_SUITE_P(Cases, Str2argv, testing::ValuesIn(split_cases()),
                         [](const testing::TestParamInfo<split_case> &info) {
	                         std::string name;
	                         for (const char *p = info.param.label; *p; p++)
		                         name += isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
	                         return name;
                         });

TEST(Argv2str, JoinsAndQuotesWordsWithBlanks)
{
	struct {
		words argv;
		std::string expected;
	} cases[] = {
		{ {}, "" },
		{ { "set", "a b" }, "set 'a b' " },
		{ { "one" }, "one " },
		{ { "tab\there" }, "tab\there " }, // only the blank is looked for
		{ { "", "x" }, " x " },
		{ { " " }, "' ' " },
	};
	for (const auto &c : cases)
		EXPECT_EQ(argv2str(c.argv), c.expected);
}

TEST(Argv2str, RoundTripsThroughTheTokenizer)
{
	const words argv = { "filter", "the beatles", "!live" };
	words back;
	std::optional<std::string> errmsg;
	ASSERT_EQ(str2argv(argv2str(argv), back, errmsg), 0);
	EXPECT_EQ(back, argv);
}

TEST(Argv2str, FreeEmptiesTheTable)
{
	words argv;
	std::optional<std::string> errmsg;
	ASSERT_EQ(str2argv("a b c", argv, errmsg), 0);
	argv_free(argv);
	EXPECT_TRUE(argv.empty());
}

} // namespace
