// The colour items and the colours of the meta-information fields.
#pragma once

#include <string_view>

#include "meta/meta_info.h"

enum color_item {
	COLOR_BARS = 0,
	COLOR_PLAYER,
	COLOR_STATUS,
	COLOR_LIBRARY,
	COLOR_PLAYLIST,
	COLOR_ERRORS,
	COLOR_MESSAGES,
	COLOR_TILDAS_LIBRARY,
	COLOR_TILDAS_PLAYLIST,
	COLOR_PLAYING_LIBRARY,
	COLOR_PLAYING_PLAYLIST,
	COLOR_CURRENT_INACTIVE,
	COLOR_ITEMS
};

// The colour pair of each item, and of each field's column.
extern int colors[COLOR_ITEMS];
extern int field_colors[MI_NUM_CINFO];
// Whether a field's column has been given colours of its own.
extern bool field_color_set[MI_NUM_CINFO];

// Defines the pairs with their default colours.
void paint_setup_colors();
// The pair of an item or field name, in any case; -1 if none.
int paint_str2item(std::string_view name);
// The curses colour of a colour name, in any case; -1 for "default", -2 if none.
int paint_str2color(std::string_view name);
// Gives a pair new colours and marks the fields drawn in it as coloured;
// the pair is defined only while the screen is up.
void paint_set_color(int pair, int fg, int bg);
