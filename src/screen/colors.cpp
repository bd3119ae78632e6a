#include "screen/colors.h"

#include <curses.h>
#include <strings.h>

#include <cstring>

#include "screen/ui.h"

int colors[COLOR_ITEMS];
int field_colors[MI_NUM_CINFO];
bool field_color_set[MI_NUM_CINFO];

namespace
{

struct item_default {
	const char *name;
	short fg, bg;
};

// clang-format off
const item_default item_defaults[COLOR_ITEMS] = {
	{ "bars",             -1,          -1 },
	{ "player",           COLOR_GREEN, -1 },
	{ "status",           -1,          -1 },
	{ "library",          -1,          -1 },
	{ "playlist",         -1,          -1 },
	{ "errors",           -1,          COLOR_RED },
	{ "messages",         COLOR_RED,   -1 },
	{ "tildas-library",   COLOR_BLUE,  -1 },
	{ "tildas-playlist",  COLOR_BLUE,  -1 },
	{ "playing-library",  COLOR_GREEN, -1 },
	{ "playing-playlist", COLOR_GREEN, -1 },
	{ "current-inactive", -1,          -1 },
};

const struct {
	const char *name;
	int color;
} color_names[] = {
	{ "black",   COLOR_BLACK },
	{ "red",     COLOR_RED },
	{ "green",   COLOR_GREEN },
	{ "yellow",  COLOR_YELLOW },
	{ "blue",    COLOR_BLUE },
	{ "magenta", COLOR_MAGENTA },
	{ "cyan",    COLOR_CYAN },
	{ "white",   COLOR_WHITE },
	{ "default", -1 },
};
// clang-format on

bool same_word(std::string_view a, const char *b)
{
	return a.size() == strlen(b) && strncasecmp(a.data(), b, a.size()) == 0;
}

} // namespace

void paint_setup_colors()
{
	for (int i = 0; i < COLOR_ITEMS; i++)
		colors[i] = i + 1;
	use_default_colors();
	for (int i = 0; i < COLOR_ITEMS; i++)
		init_pair(static_cast<short>(colors[i]), item_defaults[i].fg, item_defaults[i].bg);
	for (int i = 0; i < MI_NUM_CINFO; i++) {
		field_colors[i] = COLOR_ITEMS + 1 + i;
		field_color_set[i] = false;
	}
}

int paint_str2item(std::string_view name)
{
	for (int i = 0; i < COLOR_ITEMS; i++)
		if (same_word(name, item_defaults[i].name))
			return i + 1;
	for (int i = 0; i < MI_NUM_CINFO; i++)
		if (same_word(name, MI_CINFO_NAMES[i]))
			return COLOR_ITEMS + 1 + i;
	return -1;
}

int paint_str2color(std::string_view name)
{
	for (const auto &c : color_names)
		if (same_word(name, c.name))
			return c.color;
	return -2;
}

void paint_set_color(int pair, int fg, int bg)
{
	if (ui_is_up())
		init_pair(static_cast<short>(pair), static_cast<short>(fg), static_cast<short>(bg));
	for (int i = 0; i < MI_NUM_CINFO; i++)
		if (field_colors[i] == pair)
			field_color_set[i] = true;
}
