#include "meta/mi_sort.h"

#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <cstdint>
#include <vector>

mi_sort mi_sort_desc;
mi_display mi_display_desc;

namespace
{

// The non-empty items of a ","-separated description, in order.
std::vector<std::string_view> split_items(std::string_view text)
{
	std::vector<std::string_view> items;
	for (;;) {
		size_t comma = text.find(',');
		std::string_view item = text.substr(0, comma);
		if (!item.empty())
			items.push_back(item);
		if (comma == std::string_view::npos)
			break;
		text.remove_prefix(comma + 1);
	}
	return items;
}

unsigned char fold(unsigned char c)
{
	return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// strcasecmp(3) without a locale, on counted texts: bytes compared unsigned
// after turning ASCII capitals into small letters; a prefix sorts first.
int compare_nocase(std::string_view x, std::string_view y)
{
	const auto *p = reinterpret_cast<const unsigned char *>(x.data());
	const auto *q = reinterpret_cast<const unsigned char *>(y.data());
	const size_t n = std::min(x.size(), y.size());
	// Neighbours in a sort share long prefixes: skip equal bytes eight at a
	// time, since bytes that are equal fold equal.
	size_t i = 0;
	for (; i + 8 <= n; i += 8) {
		uint64_t a, b;
		memcpy(&a, p + i, 8);
		memcpy(&b, q + i, 8);
		if (a != b)
			break;
	}
	for (; i < n; i++) {
		if (p[i] == q[i])
			continue;
		const int d = fold(p[i]) - fold(q[i]);
		if (d != 0)
			return d;
	}
	return (x.size() > y.size()) - (x.size() < y.size());
}

// The text of field as the sort compares it: its folded form when the
// record has folded texts.
std::string_view sort_text(const meta_info *mi, const mi_folded *folded, int field)
{
	return folded != nullptr ? folded->part(1 + field) : std::string_view(*mi->cinfo[field]);
}

} // namespace

void mi_sort_init()
{
	mi_sort_desc = mi_sort{};
	const int defaults[] = { CINFO_ARTIST, CINFO_ALBUM, CINFO_TRACK, CINFO_TITLE };
	for (int f : defaults)
		mi_sort_desc.fields[mi_sort_desc.nfields++] = f;
}

int mi_sort_set(std::string_view text, std::optional<std::string> &errmsg)
{
	errmsg.reset();
	mi_sort parsed;
	for (std::string_view item : split_items(text)) {
		if (parsed.nfields == MI_MAX_FIELDS) {
			errmsg = "Too many fields";
			return 1;
		}
		bool descending = item[0] == '-';
		if (descending)
			item.remove_prefix(1);
		int field = mi_cinfo_index(item);
		if (field < 0) {
			errmsg = "Unknown field name";
			return 1;
		}
		parsed.fields[parsed.nfields] = field;
		parsed.descending[parsed.nfields] = descending;
		parsed.nfields++;
	}
	mi_sort_desc = parsed;
	return 0;
}

// Two records absent at the same key are equal outright, so each record's
// sort key is its field values up to the first absent one; comparing those
// lexicographically keeps this a strict weak ordering for the sort. A play
// length compares as its number of seconds, then (for the lengths of URLs,
// which are typed in) as its text.
int mi_compare(const meta_info *a, const meta_info *b)
{
	const mi_folded *fa = nullptr, *fb = nullptr;
	bool folds_made = false;
	for (int i = 0; i < mi_sort_desc.nfields; i++) {
		const int field = mi_sort_desc.fields[i];
		const auto &x = a->cinfo[field];
		const auto &y = b->cinfo[field];
		const int sign = mi_sort_desc.descending[i] ? -1 : 1;
		if (!x && !y)
			return 0;
		if (!x)
			return sign;
		if (!y)
			return -sign;
		if (field == CINFO_LENGTH && a->length != b->length)
			return a->length < b->length ? -sign : sign;
		if (!folds_made) {
			fa = mi_folded_texts(a);
			fb = mi_folded_texts(b);
			folds_made = true;
		}
		int r = compare_nocase(sort_text(a, fa, field), sort_text(b, fb, field));
		if (r != 0)
			return r < 0 ? -sign : sign;
	}
	return 0;
}

void mi_display_init()
{
	mi_display_reset();
}

void mi_display_reset()
{
	struct column {
		int field, width, align;
	};
	const column defaults[] = {
		{ CINFO_ARTIST, 20, MI_ALIGN_LEFT }, { CINFO_ALBUM, 20, MI_ALIGN_LEFT },
		{ CINFO_TITLE, 20, MI_ALIGN_LEFT },  { CINFO_TRACK, 4, MI_ALIGN_RIGHT },
		{ CINFO_YEAR, 4, MI_ALIGN_RIGHT },   { CINFO_LENGTH, 9, MI_ALIGN_RIGHT },
	};
	mi_display_desc = mi_display{};
	for (const column &c : defaults) {
		int i = mi_display_desc.nfields++;
		mi_display_desc.fields[i] = c.field;
		mi_display_desc.widths[i] = c.width;
		mi_display_desc.align[i] = c.align;
	}
}

int mi_display_set(std::string_view text, std::optional<std::string> &errmsg)
{
	errmsg.reset();
	mi_display parsed;
	for (std::string_view item : split_items(text)) {
		if (parsed.nfields == MI_MAX_FIELDS) {
			errmsg = "Too many fields";
			return 1;
		}
		int align = MI_ALIGN_LEFT;
		if (item[0] == '-') {
			align = MI_ALIGN_RIGHT;
			item.remove_prefix(1);
		}
		size_t dot = item.find('.');
		if (dot == std::string_view::npos) {
			errmsg = "Missing '.' and size field";
			return 1;
		}
		// The width is checked before the name, so foo.2000 reports the width.
		const std::string width_text(item.substr(dot + 1));
		const char *errstr = nullptr;
		long long width = strtonum(width_text.c_str(), 1, 1000, &errstr);
		if (errstr != nullptr) {
			errmsg = errstr;
			return 1;
		}
		int field = mi_cinfo_index(item.substr(0, dot));
		if (field < 0) {
			errmsg = "Unknown field name";
			return 1;
		}
		parsed.fields[parsed.nfields] = field;
		parsed.widths[parsed.nfields] = static_cast<int>(width);
		parsed.align[parsed.nfields] = align;
		parsed.nfields++;
	}
	mi_display_desc = parsed;
	return 0;
}

std::string mi_display_tostr()
{
	std::string text;
	for (int i = 0; i < mi_display_desc.nfields; i++) {
		if (i > 0)
			text += ',';
		if (mi_display_desc.align[i] == MI_ALIGN_RIGHT)
			text += '-';
		text += MI_CINFO_NAMES[mi_display_desc.fields[i]];
		text += '.';
		text += std::to_string(mi_display_desc.widths[i]);
	}
	return text;
}

int mi_display_getwidth()
{
	int width = 0;
	for (int i = 0; i < mi_display_desc.nfields; i++)
		width += mi_display_desc.widths[i] + 1;
	return width;
}
