#include <gtest/gtest.h>

#include "base/term_text.h"

namespace
{

TEST(TermText, ControlCharactersAreEscapedAndTheRestKept)
{
	struct {
		std::string text, shown;
	} cases[] = {
		{ "plain name.ogg", "plain name.ogg" },
		{ "new\nline\rreturn\ttab", "new\\nline\\rreturn\\ttab" },
		{ "\x1b]0;title\x07", "\\x1b]0;title\\x07" },
		{ std::string("nul\0byte", 8), "nul\\x00byte" },
		{ "del\x7f", "del\\x7f" },
		{ "\x1f\x01", "\\x1f\\x01" },
		// UTF-8 and other high bytes, and backslashes, are shown as they are.
		{ "caf\xc3\xa9 \xff\\x1b", "caf\xc3\xa9 \xff\\x1b" },
		// C1 controls in UTF-8 (U+009B is a CSI) are escaped byte by byte;
		// U+00A0 and on are text.
		{ "a\xc2\x9b" "2Jb\xc2\x80\xc2\xa0", "a\\xc2\\x9b" "2Jb\\xc2\\x80\xc2\xa0" },
	};
	for (const auto &c : cases)
		EXPECT_EQ(term_escape(c.text), c.shown) << c.shown;
}

TEST(TermText, StreamsThatAreNoTerminalGetTheBytes)
{
	FILE *f = tmpfile();
	ASSERT_NE(f, nullptr);
	EXPECT_FALSE(term_is_terminal(f));
	EXPECT_EQ(term_text(f, "a\x1b[2Jb"), "a\x1b[2Jb");
	fclose(f);
}

} // namespace
