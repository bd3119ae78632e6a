#include "meta/mi_query.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace
{

meta_info make_record(std::optional<std::string> filename, std::optional<std::string> artist,
                      std::optional<std::string> album, std::optional<std::string> title)
{
	meta_info mi;
	mi.filename = std::move(filename);
	mi.cinfo[CINFO_ARTIST] = std::move(artist);
	mi.cinfo[CINFO_ALBUM] = std::move(album);
	mi.cinfo[CINFO_TITLE] = std::move(title);
	return mi;
}

void set_query(const std::vector<std::string> &words, bool match_fname)
{
	mi_query_clear();
	query.match_fname = match_fname;
	for (const std::string &w : words)
		mi_query_add_token(w);
}

class MiQuery : public testing::Test
{
protected:
	void SetUp() override { mi_query_init(); }
	void TearDown() override { mi_query_init(); }
};

TEST_F(MiQuery, AddTokenStripsOneBang)
{
	struct {
		const char *word;
		const char *token;
		bool match;
	} cases[] = {
		{ "beat", "beat", true }, { "!live", "live", false }, { "!!x", "!x", false },
		{ "!", "", false },       { "", "", true },           { "a!b", "a!b", true },
	};
	for (const auto &c : cases) {
		mi_query_clear();
		mi_query_add_token(c.word);
		ASSERT_EQ(query.ntokens(), 1);
		EXPECT_EQ(query.tokens[0], c.token) << c.word;
		EXPECT_EQ(query.match[0], c.match) << c.word;
	}
}

TEST_F(MiQuery, MatchesRecords)
{
	const meta_info thriller = make_record("/m/mj/thriller/beat_it.flac", "Michael Jackson",
	                                       "Thriller", "Beat It");
	const meta_info live =
	        make_record("/m/mj/live/beat_it.mp3", "Michael Jackson", "Live", "Beat It");
	const meta_info heather = make_record("/m/h/song.ogg", "Heather", std::nullopt, "Song");
	const meta_info empty_text = make_record("/m/e.ogg", std::nullopt, "", std::nullopt);
	const meta_info bare = make_record("/m/bare.ogg", std::nullopt, std::nullopt, std::nullopt);

	struct {
		std::vector<std::string> words;
		bool match_fname;
		const meta_info *mi;
		bool expected;
	} cases[] = {
		// A required and a negated token.
		{ { "beat", "!live" }, true, &live, false },
		{ { "beat", "!live" }, true, &thriller, true },
		// Substrings without regard to case.
		{ { "THE" }, true, &heather, true },
		{ { "jACKs", "thrill" }, true, &thriller, true },
		{ { "jackson", "heather" }, true, &thriller, false },
		// The file name counts only while match_fname is on.
		{ { "flac" }, true, &thriller, true },
		{ { "flac" }, false, &thriller, false },
		{ { "!flac" }, false, &thriller, true },
		{ { "mp3" }, true, &live, true },
		// A negated token is satisfied by a record without texts, unless the
		// file name holds it.
		{ { "!anything" }, false, &bare, true },
		{ { "!bare" }, true, &bare, false },
		{ { "!bare" }, false, &bare, true },
		// The empty negated token fails whatever holds a text or a file name.
		{ { "!" }, true, &bare, false },
		{ { "!" }, false, &bare, true },
		{ { "!" }, false, &heather, false },
		{ { "!" }, false, &empty_text, false },
		// The empty required token is satisfied by the same records.
		{ { "" }, true, &bare, true },
		{ { "" }, false, &bare, false },
		{ { "" }, false, &empty_text, true },
		// "!!x" looks for "!x".
		{ { "!!x" }, true, &bare, true },
		// No tokens matches everything.
		{ {}, true, &bare, true },
		{ {}, false, &live, true },
	};
	for (const auto &c : cases) {
		set_query(c.words, c.match_fname);
		EXPECT_EQ(mi_match(c.mi), c.expected)
		        << testing::PrintToString(c.words) << " match_fname=" << c.match_fname
		        << " file " << *c.mi->filename;
	}
}

TEST_F(MiQuery, BangTokenFindsLiteralBang)
{
	const meta_info bang = make_record("/m/x.ogg", "Wham!", std::nullopt, std::nullopt);
	set_query({ "!!" }, false);
	EXPECT_FALSE(mi_match(&bang));
	set_query({ "m!" }, false);
	EXPECT_TRUE(mi_match(&bang));
}

TEST_F(MiQuery, MatchesStrings)
{
	struct {
		std::vector<std::string> words;
		const char *text;
		bool expected;
	} cases[] = {
		{ { "rock" }, "Classic ROCK", true },
		{ { "rock", "!classic" }, "Classic ROCK", false },
		{ { "!jazz" }, "Classic ROCK", true },
		{ { "" }, "", true },
		{ { "!" }, "", false },
		{ {}, "anything", true },
		{ { "longer than the text" }, "short", false },
	};
	for (const auto &c : cases) {
		// match_fname plays no part for a single text.
		for (bool fname : { true, false }) {
			set_query(c.words, fname);
			EXPECT_EQ(mi_match_str(c.text), c.expected)
			        << testing::PrintToString(c.words) << " on " << c.text;
		}
	}
}

// The substring test reads texts in blocks; a plain search over lower-cased
// copies must agree with it for every length and every place of the word,
// around the block edges too. The alphabet holds letters of both cases,
// '@' and '`' (which differ by the case bit alone) and bytes past ASCII.
TEST_F(MiQuery, AgreesWithAPlainSearchAtEveryLengthAndPlace)
{
	auto lower = [](std::string t) {
		for (char &c : t)
			if (c >= 'A' && c <= 'Z')
				c = static_cast<char>(c + 32);
		return t;
	};
	const std::string alphabet = "aAbB@`\xc1\xe1";
	uint32_t seed = 12345;
	auto next = [&seed](uint32_t n) {
		seed = seed * 1103515245u + 12345u;
		return (seed >> 16) % n;
	};
	auto random_text = [&](size_t len) {
		std::string t;
		for (size_t i = 0; i < len; i++)
			t += alphabet[next(static_cast<uint32_t>(alphabet.size()))];
		return t;
	};
	int checked = 0;
	for (size_t len = 0; len <= 50; len++) {
		for (int round = 0; round < 400; round++) {
			const std::string text = random_text(len);
			std::string word = random_text(1 + next(4));
			// Half the words are taken from the text itself, case flipped.
			if (round % 2 == 0 && len > 0) {
				const size_t at = next(static_cast<uint32_t>(len));
				word = text.substr(at, 1 + next(static_cast<uint32_t>(len - at)));
				for (char &c : word)
					if (c >= 'a' && c <= 'z')
						c = static_cast<char>(c - 32);
			}
			const bool expected = lower(text).find(lower(word)) != std::string::npos;
			set_query({ word }, false);
			ASSERT_EQ(mi_match_str(text), expected)
			        << testing::PrintToString(word) << " in " << testing::PrintToString(text);
			checked += expected;
		}
	}
	// Both answers were asked for often.
	EXPECT_GT(checked, 5000);
	EXPECT_LT(checked, 51 * 400 - 5000);
}

TEST_F(MiQuery, ClearKeepsMatchFnameAndRawIsCopied)
{
	EXPECT_TRUE(query.match_fname);
	EXPECT_FALSE(mi_query_getraw().has_value());
	EXPECT_FALSE(mi_query_isset());

	query.match_fname = false;
	mi_query_setraw("beat !live");
	mi_query_add_token("beat");
	EXPECT_TRUE(mi_query_isset());
	EXPECT_EQ(mi_query_getraw(), std::optional<std::string>("beat !live"));

	mi_query_clear();
	EXPECT_FALSE(mi_query_isset());
	EXPECT_FALSE(mi_query_getraw().has_value());
	EXPECT_FALSE(query.match_fname);
}

TEST_F(MiQuery, TwoHundredFiftySixthTokenIsFatal)
{
	for (int i = 0; i < MAX_QUERY_TOKENS; i++)
		mi_query_add_token("t" + std::to_string(i));
	EXPECT_EQ(query.ntokens(), 255);
	EXPECT_EXIT(mi_query_add_token("one too many"), testing::ExitedWithCode(1),
	            ": mi_query_add_token: reached shamefull limit\n$");
}

} // namespace
