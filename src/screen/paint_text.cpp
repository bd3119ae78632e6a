#include "screen/paint_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/error.h"

namespace
{

void check_width(int n)
{
	if (n <= 0)
		fatal("num2sfmt: invalid number %d provided", n);
}

} // namespace

std::string num2sfmt(int n, int align)
{
	check_width(n);
	char buf[255];
	snprintf(buf, sizeof buf, align == MI_ALIGN_LEFT ? "%%-%d.%ds" : "%%%d.%ds", n, n);
	return buf;
}

std::string pad_text(const std::string &text, int n, int align)
{
	check_width(n);
	size_t width = static_cast<size_t>(n);
	std::string shown = text.substr(0, width);
	std::string fill(width - shown.size(), ' ');
	return align == MI_ALIGN_LEFT ? shown + fill : fill + shown;
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
	std::string name = mi.filename.value_or("");
	if (name.size() >= 50)
		name.erase(0, name.size() - 49);
	return name;
}

std::string player_bar_text(char mode_marker, bool paused, const play_time &t,
                            const std::string &text)
{
	char buf[512];
	snprintf(buf, sizeof buf, "[%c] %8.8s +%2.2d:%2.2d:%2.2d (%d%%) %-49.49s", mode_marker,
	         paused ? "-PAUSED-" : "", t.hours, t.minutes, t.seconds, t.percent, text.c_str());
	return buf;
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
		if (const auto &t = mi.cinfo[f]) {
			int len = static_cast<int>(t->size());
			int offset;
			if (a == MI_ALIGN_LEFT || fw < len)
				offset = std::min(skip, len);
			else if (skip < fw - len)
				offset = 0;
			else
				offset = skip - (fw - len);
			shown = t->substr(static_cast<size_t>(offset));
		}
		int n = std::min(fw - skip, w - x);
		cols.push_back({ x, f, pad_text(shown, n, a) });
		x += n + 1;
		skip = 0;
	}
	return cols;
}
