#include "base/text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "base/utf8_locale.h"

namespace
{

TEST(Text, TheLocaleDecidesWhetherTextsAreUtf8)
{
	EXPECT_FALSE(text_utf8_locale());
	{
		utf8_locale utf8;
		ASSERT_TRUE(utf8.available());
		EXPECT_TRUE(text_utf8_locale());
	}
	EXPECT_FALSE(text_utf8_locale());
}

// What a terminal could act on, and what is not UTF-8, is one '?' each;
// every script, emoji and combining marks are kept as written.
TEST(Text, SanitizeReplacesControlsAndInvalidSequencesOnly)
{
	struct {
		const char *what;
		std::string in, out;
	} cases[] = {
		{ "ESC sequence", "red \x1b[31mX\x1b]0;title\x07", "red ?[31mX?]0;title?" },
		{ "C0, tab, line end, DEL", "a\tb\nc\rd\x7f" "e", "a?b?c?d?e" },
		{ "C1 CSI as UTF-8", "x\xc2\x9b" "31m", "x?31m" },
		{ "C1 first and last", "\xc2\x80|\xc2\x9f|\xc2\xa0", "?|?|\xc2\xa0" },
		{ "raw 0x9b byte", "x\x9b" "31m", "x?31m" },
		{ "lone continuation bytes", "a\x80\xbf" "b", "a??b" },
		{ "overlong slash", "..\xc0\xaf..", "..?.." },
		{ "three-byte overlong slash", "..\xe0\x80\xaf..", "..?.." },
		{ "surrogate", "a\xed\xa0\x80" "b", "a?b" },
		{ "beyond U+10FFFF", "a\xf4\x90\x80\x80" "b", "a?b" },
		{ "bytes that start nothing", "a\xff\xfe\xf8" "b", "a???b" },
		{ "sequence cut by ASCII", "\xe6\x97x", "?x" },
		{ "sequence cut by another lead", "\xe6\x97\xe6\x97\xa5", "?\xe6\x97\xa5" },
		{ "sequence cut at the end", "ok\xf0\x9f\x98", "ok?" },
		{ "bidirectional overrides", "\xe2\x80\xaa\xe2\x80\xab\xe2\x80\xac\xe2\x80\xad\xe2\x80\xae" "abc", "?????abc" },
		{ "bidirectional isolates", "\xe2\x81\xa6\xe2\x81\xa7\xe2\x81\xa8\xe2\x81\xa9" "abc", "????abc" },
		{ "marks beside the overrides", "\xe2\x80\x8f\xe2\x80\xa9\xe2\x81\xa0", "\xe2\x80\x8f\xe2\x80\xa9\xe2\x81\xa0" },
		{ "Latin", "Björk Guðmundsdóttir", "Björk Guðmundsdóttir" },
		{ "Cyrillic", "Мумий Тролль", "Мумий Тролль" },
		{ "Greek", "Ελληνικά", "Ελληνικά" },
		{ "Arabic", "فيروز", "فيروز" },
		{ "Japanese", "坂本龍一", "坂本龍一" },
		{ "Korean", "한국어", "한국어" },
		{ "emoji with joiner and selector", "👩\xe2\x80\x8d💻 ❤\xef\xb8\x8f", "👩\xe2\x80\x8d💻 ❤\xef\xb8\x8f" },
		{ "decomposed marks", "Ro\xcc\x81s e\xcc\x88\xcc\x81", "Ro\xcc\x81s e\xcc\x88\xcc\x81" },
		{ "replacement character", "\xef\xbf\xbd", "\xef\xbf\xbd" },
		{ "empty", "", "" },
	};
	for (const auto &c : cases)
		EXPECT_EQ(text_sanitize(c.in), c.out) << c.what;
}

TEST(Text, SanitizedTextIsValidAndSanitizingAgainChangesNothing)
{
	std::string every_byte;
	for (int b = 0; b < 256; b++)
		every_byte += static_cast<char>(b);
	const std::string once = text_sanitize(every_byte + "\xe2\x80\xae" + every_byte);
	EXPECT_EQ(text_sanitize(once), once);
	EXPECT_EQ(text_fold(once).find('\x1b'), std::string::npos);
}

// Texts that a person would call the same fold to the same form.
TEST(Text, FoldIgnoresCaseAndMarksInEveryScript)
{
	struct {
		std::string a, b;
	} same[] = {
		{ "Björk", "bjork" },
		{ "BJÖRK", "bjork" },
		{ "Bjo\xcc\x88rk", "Björk" },
		{ "Straße", "STRASSE" },
		{ "Мумий Тролль", "мумий тролль" },
		{ "Sigur Rós", "SIGUR ROS" },
		{ "Ἀθῆναι", "αθηναι" },
		{ "ΣΊΣΥΦΟΣ", "σίσυφος" },
		{ "ﬁnal", "final" },
		{ "ＡＢＣ", "abc" },
		{ "Don’t", "don't" },
		{ "soft\xc2\xadhyphen", "softhyphen" },
		{ "Ærzte", "ærzte" },
		{ "\xe1\x84\x92\xe1\x85\xa1\xe1\x86\xab", "한" },
		{ "坂本龍一", "坂本龍一" },
	};
	for (const auto &c : same)
		EXPECT_EQ(text_fold(c.a), text_fold(c.b)) << c.a << " / " << c.b;

	EXPECT_EQ(text_fold("Björk"), "bjork");
	EXPECT_EQ(text_fold("Straße"), "strasse");
	EXPECT_NE(text_fold("Bjørk"), text_fold("Bjork"));
	// Bytes that are not UTF-8 stay; the letters around them still fold.
	EXPECT_EQ(text_fold("\xff" "ABC\xc3" "Ä"), "\xff" "abc\xc3" "a");
	EXPECT_EQ(text_fold(""), "");
}

TEST(Text, FoldIntoAppendsToWhatIsThere)
{
	std::string out = "Kept ";
	text_fold_into("BJÖRK ", out);
	text_fold_into("\xe1\x84\x92\xe1\x85\xa1\xe1\x86\xab A", out);
	EXPECT_EQ(out, "Kept bjork " + text_fold("한 a"));
}

} // namespace
