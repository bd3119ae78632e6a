#include "screen/paint_text.h"

#include "base/text.h"

#include <langinfo.h>
#include <utf8proc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "base/error.h"

namespace
{

void check_width(int n)
{
	if (n <= 0)
		fatal("num2sfmt: invalid number %d provided", n);
}

// Characters a terminal acts on instead of showing: the C0 controls, DEL,
// the C1 controls, and the bidirectional overrides and isolates that would
// reorder the row.
bool is_control(utf8proc_int32_t c)
{
	return c < 0x20 || (c >= 0x7f && c <= 0x9f) || (c >= 0x202a && c <= 0x202e) ||
	       (c >= 0x2066 && c <= 0x2069);
}

// The next character of text at i, its length in bytes (-1 and 1 for a
// byte that starts no valid character).
utf8proc_int32_t next_char(std::string_view text, size_t i, size_t &len)
{
	utf8proc_int32_t c = -1;
	utf8proc_ssize_t n =
	        utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t *>(text.data()) + i,
	                         static_cast<utf8proc_ssize_t>(text.size() - i), &c);
	if (n <= 0) {
		len = 1;
		return -1;
	}
	len = static_cast<size_t>(n);
	return c;
}

// The cells of a character of a text from screen_text.
int char_cells(utf8proc_int32_t c)
{
	return c < 0 ? 1 : utf8proc_charwidth(c);
}

std::string padded(std::string shown, int n, int align)
{
	std::string fill(static_cast<size_t>(std::max(n - text_cells(shown), 0)), ' ');
	return align == MI_ALIGN_LEFT ? shown + fill : fill + shown;
}

} // namespace

std::string screen_text(std::string_view text)
{
	const bool utf8 = text_utf8_locale();
	std::string out;
	out.reserve(text.size());
	bool after_char = false;
	for (size_t i = 0, len = 0; i < text.size(); i += len) {
		utf8proc_int32_t c = next_char(text, i, len);
		if (c < 0 || is_control(c) || (c >= 0x80 && !utf8)) {
			out += '?';
		} else {
			if (!after_char && utf8proc_charwidth(c) == 0)
				out += ' ';
			out.append(text.substr(i, len));
		}
		after_char = true;
	}
	return out;
}

int text_cells(std::string_view shown)
{
	int cells = 0;
	for (size_t i = 0, len = 0; i < shown.size(); i += len)
		cells += char_cells(next_char(shown, i, len));
	return cells;
}

std::string cut_cells(std::string_view shown, int skip, int n)
{
	std::string out;
	const int end = skip + std::max(n, 0);
	int at = 0;         // the cell the next character starts in
	bool taken = false; // whether the character the marks follow was taken
	for (size_t i = 0, len = 0; i < shown.size(); i += len) {
		int w = char_cells(next_char(shown, i, len));
		if (w == 0) {
			if (taken)
				out.append(shown.substr(i, len));
			continue;
		}
		if (at >= end)
			break;
		taken = at >= skip && at + w <= end;
		if (taken)
			out.append(shown.substr(i, len));
		else if (at + w > skip)
			out.append(static_cast<size_t>(std::min(at + w, end) - std::max(at, skip)),
			           ' ');
		at += w;
	}
	return out;
}

std::vector<std::string> wrap_cells(std::string_view shown, int w)
{
	std::vector<std::string> rows;
	size_t from = 0;
	int cells = 0;
	for (size_t i = 0, len = 0; i < shown.size(); i += len) {
		int cw = char_cells(next_char(shown, i, len));
		if (cw > 0 && cells + cw > w && cells > 0) {
			rows.emplace_back(shown.substr(from, i - from));
			from = i;
			cells = 0;
		}
		cells += cw;
	}
	if (from < shown.size())
		rows.emplace_back(shown.substr(from));
	return rows;
}

std::string num2sfmt(int n, int align)
{
	check_width(n);
	char buf[255];
	snprintf(buf, sizeof buf, align == MI_ALIGN_LEFT ? "%%-%d.%ds" : "%%%d.%ds", n, n);
	return buf;
}

std::string pad_text(std::string_view text, int n, int align)
{
	check_width(n);
	return padded(cut_cells(screen_text(text), 0, n), n, align);
}

std::string status_bar_text(bool library, const std::string &playlist_name, int crow, int voffset,
                            int hoffset, int nrows)
{
	int percent = nrows == 0 ? 100 : ((crow + voffset) * 100 + 100) / nrows;
	char buf[500];
	snprintf(buf, sizeof buf, "[%s%s%s] %6d,%-3d %3d%%", library ? "library" : "playlist",
	         library ? "" : ":", library ? "" : playlist_name.c_str(), voffset + crow + 1,
	         hoffset, percent);
	return buf;
}

play_time play_time_of(float p, int length)
{
	long t = std::lround(p);
	play_time pt;
	pt.hours = static_cast<int>(t / 3600);
	pt.minutes = static_cast<int>((t % 3600) / 60);
	pt.seconds = static_cast<int>(t % 60);
	pt.percent = length > 0 ? static_cast<int>(std::lround(p * 100.0 / length)) : -1;
	return pt;
}

std::string player_bar_field_text(const meta_info &mi, int field)
{
	if (mi.cinfo[field])
		return *mi.cinfo[field];
	std::string name = screen_text(mi.filename.value_or(""));
	int cells = text_cells(name);
	if (cells >= 50)
		name = cut_cells(name, cells - 49, 49);
	return name;
}

std::string player_bar_text(char mode_marker, bool paused, const play_time &t,
                            const std::string &text)
{
	char buf[512];
	snprintf(buf, sizeof buf, "[%c] %8.8s +%2.2d:%2.2d:%2.2d (%d%%) ", mode_marker,
	         paused ? "-PAUSED-" : "", t.hours, t.minutes, t.seconds, t.percent);
	return buf + pad_text(text, 49, MI_ALIGN_LEFT);
}

bool row_has_columns(const meta_info &mi, const mi_display &d)
{
	for (int j = 0; j < d.nfields; j++)
		if (mi.cinfo[d.fields[j]])
			return true;
	return false;
}

std::vector<row_column> row_columns(const meta_info &mi, const mi_display &d, int hoffset, int w)
{
	std::vector<row_column> cols;
	int skip = hoffset;
	int x = 0;
	for (int j = 0; j < d.nfields; j++) {
		int f = d.fields[j];
		int fw = d.widths[j];
		int a = d.align[j];
		if (skip >= fw) {
			skip -= fw;
			continue;
		}
		if (x >= w)
			break;

		std::string shown = " ";
		int offset = 0;
		if (const auto &t = mi.cinfo[f]) {
			shown = screen_text(*t);
			int len = text_cells(shown);
			if (a == MI_ALIGN_LEFT || fw < len)
				offset = std::min(skip, len);
			else if (skip < fw - len)
				offset = 0;
			else
				offset = skip - (fw - len);
		}
		int n = std::min(fw - skip, w - x);
		cols.push_back({ x, f, padded(cut_cells(shown, offset, n), n, a) });
		x += n + 1;
		skip = 0;
	}
	return cols;
}
