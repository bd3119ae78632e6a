#include "meta/mi_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{

using opt = std::optional<std::string>;

class MiSort : public testing::Test
{
protected:
	void SetUp() override
	{
		mi_sort_init();
		mi_display_init();
	}
	void TearDown() override
	{
		mi_sort_init();
		mi_display_init();
	}
};

// The installed sort description as "name" / "-name" items.
std::vector<std::string> sort_items()
{
	std::vector<std::string> items;
	for (int i = 0; i < mi_sort_desc.nfields; i++)
		items.push_back(std::string(mi_sort_desc.descending[i] ? "-" : "") +
		                MI_CINFO_NAMES[mi_sort_desc.fields[i]]);
	return items;
}

TEST_F(MiSort, DefaultSort)
{
	EXPECT_EQ(sort_items(), (std::vector<std::string>{ "Artist", "Album", "Track", "Title" }));
}

TEST_F(MiSort, ParsesSortDescriptions)
{
	struct {
		const char *text;
		std::vector<std::string> items;
	} cases[] = {
		{ "-year", { "-Year" } },
		{ "artist,,album", { "Artist", "Album" } },
		{ ",artist,album,", { "Artist", "Album" } },
		{ "ARTIST,-tItLe", { "Artist", "-Title" } },
		{ "genre,genre", { "Genre", "Genre" } },
		{ "", {} },
		{ ",,,", {} },
		{ "artist,album,title,track,year,genre,length,comment",
		  { "Artist", "Album", "Title", "Track", "Year", "Genre", "Length", "Comment" } },
		{ "artist,album,title,track,year,genre,length,comment,,",
		  { "Artist", "Album", "Title", "Track", "Year", "Genre", "Length", "Comment" } },
	};
	for (const auto &c : cases) {
		std::optional<std::string> errmsg = "stale";
		EXPECT_EQ(mi_sort_set(c.text, errmsg), 0) << c.text;
		EXPECT_FALSE(errmsg.has_value()) << c.text;
		EXPECT_EQ(sort_items(), c.items) << c.text;
	}
}

TEST_F(MiSort, RejectsBadSortDescriptionsAndKeepsTheOld)
{
	struct {
		const char *text;
		const char *error;
	} cases[] = {
		{ "artist,album,title,track,year,genre,length,comment,artist", "Too many fields" },
		// The ninth item fails on the count even when its name is bad.
		{ "artist,album,title,track,year,genre,length,comment,bogus", "Too many fields" },
		{ "-", "Unknown field name" },
		{ "artist,foo", "Unknown field name" },
		{ "--artist", "Unknown field name" },
		{ "artist ", "Unknown field name" },
	};
	for (const auto &c : cases) {
		std::optional<std::string> errmsg;
		ASSERT_EQ(mi_sort_set("-year,title", errmsg), 0);
		EXPECT_EQ(mi_sort_set(c.text, errmsg), 1) << c.text;
		EXPECT_EQ(errmsg, opt(c.error)) << c.text;
		EXPECT_EQ(sort_items(), (std::vector<std::string>{ "-Year", "Title" })) << c.text;
	}
}

meta_info record(opt artist, opt album, opt title, opt track = std::nullopt,
                 opt year = std::nullopt)
{
	meta_info mi;
	mi.cinfo[CINFO_ARTIST] = std::move(artist);
	mi.cinfo[CINFO_ALBUM] = std::move(album);
	mi.cinfo[CINFO_TITLE] = std::move(title);
	mi.cinfo[CINFO_TRACK] = std::move(track);
	mi.cinfo[CINFO_YEAR] = std::move(year);
	return mi;
}

int sign(int v)
{
	return (v > 0) - (v < 0);
}

TEST_F(MiSort, Compares)
{
	const opt none;
	struct {
		const char *sort;
		meta_info a, b;
		int expected;
	} cases[] = {
		// Absent sorts after present on an ascending key, before on a
		// descending one.
		{ "year", record(none, none, none, none, "1999"), record(none, none, none), -1 },
		{ "-year", record(none, none, none, none, "1999"), record(none, none, none), 1 },
		{ "-year", record(none, none, none, none, "2001"),
		  record(none, none, none, none, "1999"), -1 },
		// Both absent ends the comparison, whatever the later keys hold.
		{ "", record("a", "a", "x"), record("b", "b", "y"), 0 },
		{ "artist,album,track,title", record("A", "B", "Zebra"), record("a", "b", "Apple"),
		  0 },
		{ "track,title", record(none, none, "x"), record(none, none, "y"), 0 },
		// Case is ignored; equal texts go on to the next key.
		{ "artist,title", record("ABBA", none, "b"), record("abba", none, "a"), 1 },
		{ "artist,-title", record("ABBA", none, "b"), record("abba", none, "a"), -1 },
		// An empty text is present and sorts before any other.
		{ "album", record(none, "", none), record(none, "a", none), -1 },
		{ "album", record(none, "", none), record(none, none, none), -1 },
		{ "-album", record(none, "", none), record(none, "a", none), 1 },
		// Texts, not numbers.
		{ "track", record(none, none, none, "  7"), record(none, none, none, " 12"), -1 },
		{ "title", record(none, none, "10:00"), record(none, none, "9:59"), -1 },
		{ "title", record(none, none, "1:00"), record(none, none, "42s"), -1 },
		// Capitals are folded to small letters, so '_' sorts before 'Z'
		// although its byte is greater.
		{ "title", record(none, none, "_"), record(none, none, "Z"), -1 },
		// A prefix sorts first; bytes above ASCII compare unsigned and unfolded.
		{ "title", record(none, none, "Ab"), record(none, none, "abc"), -1 },
		{ "title", record(none, none, "\xc9"), record(none, none, "z"), 1 },
		{ "title", record(none, none, "\xc9"), record(none, none, "\xe9"), -1 },
	};
	for (const auto &c : cases) {
		std::optional<std::string> errmsg;
		ASSERT_EQ(mi_sort_set(c.sort, errmsg), 0);
		EXPECT_EQ(sign(mi_compare(&c.a, &c.b)), c.expected) << c.sort;
		EXPECT_EQ(sign(mi_compare(&c.b, &c.a)), -c.expected) << c.sort;
	}
}

TEST_F(MiSort, CompareIsAStrictWeakOrdering)
{
	// Every combination of absent, empty and present values, with a case
	// variant, over the three fields the descriptions below use.
	const opt values[] = { std::nullopt, "", "x", "X", "y" };
	std::vector<meta_info> records;
	for (const opt &artist : values)
		for (const opt &album : values)
			for (const opt &title : values)
				records.push_back(record(artist, album, title));
	const size_t n = records.size();

	for (const char *desc :
	     { "artist,album,title", "-artist,album,-title", "title", "album,-album,artist", "",
	       "-album,artist", "title,artist,album,title" }) {
		std::optional<std::string> errmsg;
		ASSERT_EQ(mi_sort_set(desc, errmsg), 0);

		std::vector<int> cmp(n * n);
		for (size_t i = 0; i < n; i++)
			for (size_t j = 0; j < n; j++)
				cmp[i * n + j] = sign(mi_compare(&records[i], &records[j]));
		auto less = [&](size_t i, size_t j) { return cmp[i * n + j] < 0; };
		auto equiv = [&](size_t i, size_t j) { return !less(i, j) && !less(j, i); };

		int failures = 0;
		for (size_t i = 0; i < n && failures == 0; i++) {
			if (less(i, i))
				failures++;
			for (size_t j = 0; j < n; j++) {
				if (cmp[i * n + j] != -cmp[j * n + i])
					failures++;
				for (size_t k = 0; k < n; k++) {
					if (less(i, j) && less(j, k) && !less(i, k))
						failures++;
					if (equiv(i, j) && equiv(j, k) && !equiv(i, k))
						failures++;
				}
			}
		}
		EXPECT_EQ(failures, 0) << desc;

		// std::sort with it leaves the records in order.
		std::vector<const meta_info *> ptrs;
		for (const meta_info &mi : records)
			ptrs.push_back(&mi);
		std::reverse(ptrs.begin(), ptrs.end());
		std::sort(ptrs.begin(), ptrs.end(), [](const meta_info *a, const meta_info *b) {
			return mi_compare(a, b) < 0;
		});
		EXPECT_TRUE(std::is_sorted(ptrs.begin(), ptrs.end(),
		                           [](const meta_info *a, const meta_info *b) {
			                           return mi_compare(a, b) < 0;
		                           }))
		        << desc;
	}
}

struct column {
	int field, width, align;
	bool operator==(const column &) const = default;
};

std::vector<column> display_columns()
{
	std::vector<column> cols;
	for (int i = 0; i < mi_display_desc.nfields; i++)
		cols.push_back({ mi_display_desc.fields[i], mi_display_desc.widths[i],
		                 mi_display_desc.align[i] });
	return cols;
}

TEST_F(MiSort, DefaultDisplay)
{
	EXPECT_EQ(mi_display_tostr(), "Artist.20,Album.20,Title.20,-Track.4,-Year.4,-Length.9");
	EXPECT_EQ(mi_display_getwidth(), 83);

	std::optional<std::string> errmsg;
	ASSERT_EQ(mi_display_set("title.5", errmsg), 0);
	mi_display_reset();
	EXPECT_EQ(mi_display_tostr(), "Artist.20,Album.20,Title.20,-Track.4,-Year.4,-Length.9");
}

TEST_F(MiSort, ParsesDisplayDescriptions)
{
	struct {
		const char *text;
		std::vector<column> columns;
		const char *shown;
		int width;
	} cases[] = {
		{ "TITLE.30", { { CINFO_TITLE, 30, MI_ALIGN_LEFT } }, "Title.30", 31 },
		{ "-Year.4", { { CINFO_YEAR, 4, MI_ALIGN_RIGHT } }, "-Year.4", 5 },
		{ ",", {}, "", 0 },
		{ "", {}, "", 0 },
		{ ",comment.1000,,-artist.1,",
		  { { CINFO_COMMENT, 1000, MI_ALIGN_LEFT }, { CINFO_ARTIST, 1, MI_ALIGN_RIGHT } },
		  "Comment.1000,-Artist.1",
		  1003 },
		{ "-comment.1000,-comment.1000,-comment.1000,-comment.1000,"
		  "-comment.1000,-comment.1000,-comment.1000,-comment.1000",
		  std::vector<column>(8, { CINFO_COMMENT, 1000, MI_ALIGN_RIGHT }),
		  "-Comment.1000,-Comment.1000,-Comment.1000,-Comment.1000,"
		  "-Comment.1000,-Comment.1000,-Comment.1000,-Comment.1000",
		  8008 },
	};
	for (const auto &c : cases) {
		std::optional<std::string> errmsg = "stale";
		EXPECT_EQ(mi_display_set(c.text, errmsg), 0) << c.text;
		EXPECT_FALSE(errmsg.has_value()) << c.text;
		EXPECT_EQ(display_columns(), c.columns) << c.text;
		EXPECT_EQ(mi_display_tostr(), c.shown) << c.text;
		EXPECT_EQ(mi_display_getwidth(), c.width) << c.text;

		// What tostr shows parses back to the same columns.
		ASSERT_EQ(mi_display_set(mi_display_tostr(), errmsg), 0) << c.text;
		EXPECT_EQ(display_columns(), c.columns) << c.text;
	}
}

TEST_F(MiSort, RejectsBadDisplayDescriptionsAndKeepsTheOld)
{
	struct {
		const char *text;
		const char *error;
	} cases[] = {
		{ "title.0", "too small" },
		{ "title.1001", "too large" },
		{ "title", "Missing '.' and size field" },
		{ "-title", "Missing '.' and size field" },
		{ "foo.10", "Unknown field name" },
		{ "foo.2000", "too large" }, // the width is checked before the name
		{ "foo.x", "invalid" },
		{ "title.", "invalid" },
		{ "title.10.5", "invalid" },
		{ ".10", "Unknown field name" },
		{ "a.1,b.1,c.1,d.1,e.1,f.1,g.1,h.1,i.1", "Unknown field name" },
		{ "title.1,title.1,title.1,title.1,title.1,title.1,title.1,title.1,bogus",
		  "Too many fields" },
		{ "title.1,foo", "Missing '.' and size field" },
	};
	for (const auto &c : cases) {
		std::optional<std::string> errmsg;
		ASSERT_EQ(mi_display_set("genre.7", errmsg), 0);
		EXPECT_EQ(mi_display_set(c.text, errmsg), 1) << c.text;
		EXPECT_EQ(errmsg, opt(c.error)) << c.text;
		EXPECT_EQ(mi_display_tostr(), "Genre.7") << c.text;
	}
}

} // namespace
