// Sort and display descriptions: how records are ordered and laid out in
// columns.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "meta/meta_info.h"

constexpr int MI_MAX_FIELDS = 8;

// Column alignments; the same values as the LEFT and RIGHT directions.
enum { MI_ALIGN_LEFT = 2, MI_ALIGN_RIGHT = 3 };

struct mi_sort {
	int fields[MI_MAX_FIELDS] = {};
	bool descending[MI_MAX_FIELDS] = {};
	int nfields = 0;
};

struct mi_display {
	int nfields = 0;
	int fields[MI_MAX_FIELDS] = {};
	int widths[MI_MAX_FIELDS] = {};
	int align[MI_MAX_FIELDS] = {};
};

// The installed descriptions.
extern mi_sort mi_sort_desc;
extern mi_display mi_display_desc;

// Installs artist,album,track,title.
void mi_sort_init();
// Parses and installs a sort description; 0 on success, else 1 with errmsg
// set and the installed description unchanged.
int mi_sort_set(std::string_view text, std::optional<std::string> &errmsg);
// Orders two records by the installed sort description.
int mi_compare(const meta_info *a, const meta_info *b);

// Installs Artist.20,Album.20,Title.20,-Track.4,-Year.4,-Length.9.
void mi_display_init();
void mi_display_reset();
// Parses and installs a display description, as mi_sort_set.
int mi_display_set(std::string_view text, std::optional<std::string> &errmsg);
// The installed display description as text.
std::string mi_display_tostr();
// The sum of every column's width plus one.
int mi_display_getwidth();
