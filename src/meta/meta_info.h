// The meta_info record: one media file or URL with its eight text fields.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

enum {
	CINFO_ARTIST = 0,
	CINFO_ALBUM = 1,
	CINFO_TITLE = 2,
	CINFO_TRACK = 3,
	CINFO_YEAR = 4,
	CINFO_GENRE = 5,
	CINFO_LENGTH = 6,
	CINFO_COMMENT = 7,
	MI_NUM_CINFO = 8
};

// Display names of the eight fields, in CINFO order.
extern const char *const MI_CINFO_NAMES[MI_NUM_CINFO];

struct meta_info {
	std::optional<std::string> filename;
	std::array<std::optional<std::string>, MI_NUM_CINFO> cinfo;
	int32_t length = 0;
	int64_t last_updated = 0;
	bool is_url = false;
};

using mi_ptr = std::unique_ptr<meta_info>;

// A new record with every field empty.
mi_ptr mi_new();

// Releases a record (kept for symmetry with mi_new; unique_ptr does the work).
void mi_free(mi_ptr mi);

// The text shown for a play length: "1:02:05", "4:05" or "42s"; none when
// the length is 0 or less.
std::optional<std::string> mi_length_text(int32_t length);

// The CINFO index of a field name, matched without regard to case; -1 if none.
int mi_cinfo_index(std::string_view name);
