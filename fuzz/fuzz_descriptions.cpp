// The sort and display descriptions: the bytes are given to both parsers. A
// refused description leaves the installed one as it was; an accepted one
// keeps its limits, reads back from its text as the same description, lays
// out a row within the window, and orders records consistently.
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "fuzz_util.h"
#include "meta/mi_sort.h"
#include "screen/paint_text.h"

namespace
{

bool same_display(const mi_display &a, const mi_display &b)
{
	if (a.nfields != b.nfields)
		return false;
	for (int i = 0; i < a.nfields; i++)
		if (a.fields[i] != b.fields[i] || a.widths[i] != b.widths[i] ||
		    a.align[i] != b.align[i])
			return false;
	return true;
}

bool same_sort(const mi_sort &a, const mi_sort &b)
{
	if (a.nfields != b.nfields)
		return false;
	for (int i = 0; i < a.nfields; i++)
		if (a.fields[i] != b.fields[i] || a.descending[i] != b.descending[i])
			return false;
	return true;
}

int sign(int v)
{
	return (v > 0) - (v < 0);
}

// Records that differ in some fields, lack others and share a few.
const std::vector<meta_info> &records()
{
	static const std::vector<meta_info> rs = [] {
		std::vector<meta_info> v(5);
		v[0].cinfo[CINFO_ARTIST] = "Abba";
		v[0].cinfo[CINFO_TITLE] = "Song";
		v[1].cinfo[CINFO_ARTIST] = "abba";
		v[1].cinfo[CINFO_ALBUM] = "Zed";
		v[1].cinfo[CINFO_LENGTH] = "4:05";
		v[2].cinfo[CINFO_ARTIST] = "Beatles, The";
		v[2].cinfo[CINFO_TRACK] = "10";
		v[2].cinfo[CINFO_YEAR] = "1969";
		v[3].cinfo[CINFO_GENRE] = "Rock";
		v[3].cinfo[CINFO_COMMENT] = "a comment that is longer than most columns are wide";
		for (int i = 0; i < MI_NUM_CINFO; i++)
			v[4].cinfo[i] = "\xc3\xa9t\xc3\xa9";
		return v;
	}();
	return rs;
}

void check_display(std::string_view text)
{
	mi_display_init();
	const mi_display before = mi_display_desc;
	std::optional<std::string> errmsg;
	if (mi_display_set(text, errmsg) != 0) {
		FUZZ_CHECK(errmsg.has_value());
		FUZZ_CHECK(same_display(mi_display_desc, before));
		return;
	}
	FUZZ_CHECK(!errmsg.has_value());
	const mi_display parsed = mi_display_desc;
	FUZZ_CHECK(parsed.nfields >= 0 && parsed.nfields <= MI_MAX_FIELDS);
	for (int i = 0; i < parsed.nfields; i++) {
		FUZZ_CHECK(parsed.fields[i] >= 0 && parsed.fields[i] < MI_NUM_CINFO);
		FUZZ_CHECK(parsed.widths[i] >= 1 && parsed.widths[i] <= 1000);
		FUZZ_CHECK(parsed.align[i] == MI_ALIGN_LEFT || parsed.align[i] == MI_ALIGN_RIGHT);
	}
	FUZZ_CHECK(mi_display_getwidth() <= MI_MAX_FIELDS * 1001);

	const std::string shown = mi_display_tostr();
	FUZZ_CHECK(mi_display_set(shown, errmsg) == 0);
	FUZZ_CHECK(same_display(mi_display_desc, parsed));

	for (const meta_info &mi : records()) {
		row_has_columns(mi, parsed);
		for (int w : { 1, 7, 80 })
			for (int hoffset : { 0, 3, 25, 2000 })
				for (const row_column &c : row_columns(mi, parsed, hoffset, w)) {
					FUZZ_CHECK(c.x >= 0 && c.x < w);
					FUZZ_CHECK(c.x + static_cast<int>(c.text.size()) <= w);
				}
	}
}

void check_sort(std::string_view text)
{
	mi_sort_init();
	const mi_sort before = mi_sort_desc;
	std::optional<std::string> errmsg;
	if (mi_sort_set(text, errmsg) != 0) {
		FUZZ_CHECK(errmsg.has_value());
		FUZZ_CHECK(same_sort(mi_sort_desc, before));
		return;
	}
	FUZZ_CHECK(!errmsg.has_value());
	FUZZ_CHECK(mi_sort_desc.nfields >= 0 && mi_sort_desc.nfields <= MI_MAX_FIELDS);
	for (int i = 0; i < mi_sort_desc.nfields; i++)
		FUZZ_CHECK(mi_sort_desc.fields[i] >= 0 && mi_sort_desc.fields[i] < MI_NUM_CINFO);

	const std::vector<meta_info> &rs = records();
	for (const meta_info &a : rs) {
		FUZZ_CHECK(mi_compare(&a, &a) == 0);
		for (const meta_info &b : rs)
			FUZZ_CHECK(sign(mi_compare(&a, &b)) == -sign(mi_compare(&b, &a)));
	}
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	const std::string_view text(reinterpret_cast<const char *>(data), size);
	check_display(text);
	check_sort(text);
	return 0;
}
