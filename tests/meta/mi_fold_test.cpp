// Searching and sorting by folded texts in a UTF-8 locale, against the same
// records compared as bytes in the C locale.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/utf8_locale.h"
#include "meta/meta_info.h"
#include "meta/mi_query.h"
#include "meta/mi_sort.h"

namespace
{

using opt = std::optional<std::string>;

mi_ptr record(opt filename, opt artist, opt album = std::nullopt, opt title = std::nullopt)
{
	mi_ptr mi = mi_new();
	mi->filename = std::move(filename);
	mi->cinfo[CINFO_ARTIST] = std::move(artist);
	mi->cinfo[CINFO_ALBUM] = std::move(album);
	mi->cinfo[CINFO_TITLE] = std::move(title);
	return mi;
}

void set_query(const std::vector<std::string> &words, bool match_fname = true)
{
	mi_query_clear();
	query.match_fname = match_fname;
	for (const std::string &w : words)
		mi_query_add_token(w);
}

class MiFold : public testing::Test
{
protected:
	void SetUp() override
	{
		mi_query_init();
		mi_sort_init();
	}
	void TearDown() override
	{
		mi_query_init();
		mi_sort_init();
	}
};

struct match_case {
	std::vector<std::string> words;
	bool utf8, c_locale; // whether the record matches in each locale
};

// Each query against the record, with fresh records in each locale since a
// record keeps the folded texts of the locale it was first compared in.
void expect_matches(const std::vector<match_case> &cases, opt filename, opt artist, opt album,
                    opt title, bool match_fname = true)
{
	for (bool utf8 : { true, false }) {
		std::optional<utf8_locale> locale;
		if (utf8) {
			locale.emplace();
			ASSERT_TRUE(locale->available());
		}
		mi_ptr mi = record(filename, artist, album, title);
		for (const match_case &c : cases) {
			set_query(c.words, match_fname);
			EXPECT_EQ(mi_match(mi.get()), utf8 ? c.utf8 : c.c_locale)
			        << (utf8 ? "UTF-8: " : "C: ") << testing::PrintToString(c.words);
		}
		mi_query_clear();
	}
}

TEST_F(MiFold, SearchFindsWhatAPersonMeans)
{
	expect_matches(
	        {
	                { { "björk" }, true, true },
	                { { "BJORK" }, true, false },
	                { { "bjork" }, true, false },
	                { { "BJÖRK" }, true, false },
	                { { "bjo\xcc\x88rk" }, true, false },
	                { { "!bjork" }, false, true },
	                { { "!BJÖRK" }, false, true },
	                { { "homogenic", "BJORK" }, true, false },
	                { { "homogenic", "!bjork" }, false, true },
	                { { "bjork", "zzz" }, false, false },
	                { { "ø" }, false, false },
	        },
	        "/m/Björk/Homogenic/01.flac", "Björk", "Homogenic", "Hunter");
	expect_matches(
	        {
	                { { "мумий" }, true, false },
	                { { "МУМИЙ", "тролль" }, true, false },
	                { { "Мумий" }, true, true },
	                { { "морская" }, true, false },
	        },
	        "/m/a.ogg", "Мумий Тролль", "Морская", std::nullopt);
	expect_matches(
	        {
	                { { "sigur", "ros" }, true, false },
	                { { "sigur ros" }, true, false },
	                { { "agaetis" }, false, false },
	                { { "ágætis" }, true, false },
	                { { "ÁGÆTIS" }, true, false },
	        },
	        "/m/b.mp3", "Sigur Ro\xcc\x81s", "Ágætis byrjun", std::nullopt);
	expect_matches(
	        {
	                { { "ss" }, true, false },
	                { { "strasse" }, true, false },
	                { { "ß" }, true, true },
	                { { "ΣΊΣΥΦΟΣ" }, true, false },
	                { { "龍一" }, true, true },
	                { { "한국" }, true, true },
	        },
	        "/m/c.mp3", "Straße", "σίσυφος", "坂本龍一 한국어");
}

TEST_F(MiFold, FileNamesFoldOnlyWhileMatchFnameIsOn)
{
	const std::vector<match_case> fname_on = { { { "ARZTE" }, true, false },
		                                   { { "ärzte" }, true, false },
		                                   { { "bjork" }, true, false } };
	expect_matches(fname_on, "/m/Ärzte/x.mp3", "Björk", std::nullopt, std::nullopt);
	const std::vector<match_case> fname_off = { { { "ARZTE" }, false, false },
		                                    { { "ärzte" }, false, false },
		                                    { { "bjork" }, true, false } };
	expect_matches(fname_off, "/m/Ärzte/x.mp3", "Björk", std::nullopt, std::nullopt, false);
	// A file name that is not UTF-8 still folds its ASCII letters.
	const std::vector<match_case> latin1 = { { { "BJ" }, true, true },
		                                 { { "bjork" }, false, false } };
	expect_matches(latin1, "/m/BJ\xd6RK.mp3", "Homogenic", std::nullopt, std::nullopt);
}

TEST_F(MiFold, ASCIIRecordsMatchAsBefore)
{
	expect_matches(
	        {
	                { { "BEATLES" }, true, true },
	                { { "abbey", "!live" }, true, true },
	                { { "ø" }, false, false },
	                { { "!ø" }, true, true },
	                { { "é" }, true, false },
	                { { "Ａbbey" }, true, false },
	        },
	        "/m/beatles/abbey.mp3", "The Beatles", "Abbey Road", std::nullopt);
}

TEST_F(MiFold, MatchStrFolds)
{
	utf8_locale utf8;
	ASSERT_TRUE(utf8.available());
	set_query({ "bjork" });
	EXPECT_TRUE(mi_match_str("Björk's favourites"));
	EXPECT_FALSE(mi_match_str("Bjørk"));
	set_query({ "!ärzte" });
	EXPECT_FALSE(mi_match_str("DIE ARZTE"));
	EXPECT_TRUE(mi_match_str("Beatles"));
}

// The artists as the sort orders them, with the records built in the locale.
std::vector<std::string> sorted_artists(const std::vector<std::string> &artists)
{
	std::vector<mi_ptr> records;
	std::vector<meta_info *> files;
	for (const std::string &a : artists) {
		records.push_back(record(std::nullopt, a));
		files.push_back(records.back().get());
	}
	std::stable_sort(files.begin(), files.end(), [](const meta_info *a, const meta_info *b) {
		return mi_compare(a, b) < 0;
	});
	std::vector<std::string> out;
	for (const meta_info *mi : files)
		out.push_back(*mi->cinfo[CINFO_ARTIST]);
	return out;
}

TEST_F(MiFold, SortOrdersFoldedTextsAndKeepsEqualOnesInTheirOrder)
{
	std::optional<std::string> errmsg;
	ASSERT_EQ(mi_sort_set("artist", errmsg), 0);
	const std::vector<std::string> artists = { "Zappa", "émile", "Ärzte", "Beatles", "ABBA",
		                                   "Zoë",   "zoe",   "ZOE",   "Emerson", "Мумий",
		                                   "Abba" };
	{
		utf8_locale utf8;
		ASSERT_TRUE(utf8.available());
		EXPECT_EQ(sorted_artists(artists),
		          (std::vector<std::string>{ "ABBA", "Abba", "Ärzte", "Beatles", "Emerson",
		                                     "émile", "Zappa", "Zoë", "zoe", "ZOE",
		                                     "Мумий" }));
	}
	// Bytes in the C locale: ASCII letters folded, the rest after them.
	EXPECT_EQ(sorted_artists(artists),
	          (std::vector<std::string>{ "ABBA", "Abba", "Beatles", "Emerson", "Zappa", "zoe",
	                                     "ZOE", "Zoë", "Ärzte", "émile", "Мумий" }));
}

TEST_F(MiFold, LengthComparesAsSecondsInEveryLocale)
{
	struct length {
		int seconds;
		opt text;
	};
	const length lengths[] = { { 720, "12:00" }, { 185, "3:05" }, { 0, "INF" },
		                   { 3600, "1:00:00" }, { 42, "42s" }, { 0, std::nullopt },
		                   { 0, "" },           { 599, "9:59" } };
	for (bool utf8 : { false, true }) {
		std::optional<utf8_locale> locale;
		if (utf8)
			locale.emplace();
		for (const char *desc : { "length", "-length" }) {
			std::optional<std::string> errmsg;
			ASSERT_EQ(mi_sort_set(desc, errmsg), 0);
			std::vector<mi_ptr> records;
			std::vector<meta_info *> files;
			for (const length &l : lengths) {
				records.push_back(mi_new());
				records.back()->length = l.seconds;
				records.back()->cinfo[CINFO_LENGTH] = l.text;
				files.push_back(records.back().get());
			}
			std::stable_sort(files.begin(), files.end(),
			                 [](const meta_info *a, const meta_info *b) {
				                 return mi_compare(a, b) < 0;
			                 });
			std::vector<std::string> order;
			for (const meta_info *mi : files)
				order.push_back(mi->cinfo[CINFO_LENGTH].value_or("(none)"));
			// Typed-in lengths of URLs count as none and sort by their text.
			const std::vector<std::string> ascending = { "",     "INF",   "42s",
				                                     "3:05", "9:59",  "12:00",
				                                     "1:00:00", "(none)" };
			const std::vector<std::string> descending = { "(none)", "1:00:00", "12:00",
				                                      "9:59",   "3:05",    "42s",
				                                      "INF",    "" };
			EXPECT_EQ(order, desc[0] == '-' ? descending : ascending) << desc << utf8;
		}
	}
}

} // namespace
