// The meta_info record: one media file or URL with its eight text fields.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

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

// The folded forms (text_fold) of a record's file name and eight texts,
// which searching and sorting compare in a UTF-8 locale, in one block that
// the record points to: where each text ends, then the texts, each followed
// by a NUL byte so that no token is found across two of them.
class mi_folded
{
public:
	static constexpr int NPARTS = 1 + MI_NUM_CINFO; // file name, then CINFO order

	// The block for the texts, each followed by a NUL byte, where text k
	// ends at ends[k].
	void make(std::string_view texts, const uint32_t (&ends)[NPARTS]);
	// Text k: 0 the file name, 1 + i the text CINFO i.
	std::string_view part(int k) const
	{
		const uint32_t start = k == 0 ? 0 : end(k - 1) + 1;
		return std::string_view(text() + start, end(k) - start);
	}
	// The file name and the eight texts, or the eight texts alone.
	std::string_view all(bool with_filename) const
	{
		const uint32_t start = with_filename ? 0 : end(0) + 1;
		return std::string_view(text() + start, end(NPARTS - 1) - start);
	}
	// The bytes the block takes.
	size_t size() const { return HEADER + end(NPARTS - 1) + 1; }
	const char *data() const { return block.get(); }

private:
	static constexpr size_t HEADER = NPARTS * sizeof(uint32_t);
	uint32_t end(int k) const
	{
		uint32_t at;
		memcpy(&at, block.get() + k * sizeof(uint32_t), sizeof at);
		return at;
	}
	const char *text() const { return block.get() + HEADER; }

	std::unique_ptr<char[]> block;
};

// Where a record keeps its folded texts once they are made. A copy of a
// record starts without them, since its texts may be changed.
class mi_fold_cache
{
public:
	mi_fold_cache() = default;
	mi_fold_cache(const mi_fold_cache &) {}
	mi_fold_cache &operator=(const mi_fold_cache &)
	{
		forget();
		return *this;
	}

	enum state_t : uint8_t { NOT_YET, AS_THEY_ARE, FOLDED };
	state_t state = NOT_YET;
	mi_folded folded;

	void forget()
	{
		state = NOT_YET;
		folded = mi_folded();
	}
};

struct meta_info {
	std::optional<std::string> filename;
	std::array<std::optional<std::string>, MI_NUM_CINFO> cinfo;
	int32_t length = 0;
	int64_t last_updated = 0;
	bool is_url = false;
	// Made on the first search or sort that needs them (mi_folded_texts).
	mutable mi_fold_cache fold;
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

// Makes the folded texts of mi; see mi_folded_texts.
void mi_fold_texts(const meta_info &mi);
// The folded texts of mi, made on first use; null when its texts compare as
// they are: in a locale that is not UTF-8 (where searching and sorting fold
// ASCII capitals alone), or when every text is ASCII, whose folded form is
// itself without capitals. The texts must not change afterwards unless
// mi_texts_changed is called.
inline const mi_folded *mi_folded_texts(const meta_info *mi)
{
	if (mi->fold.state == mi_fold_cache::NOT_YET)
		mi_fold_texts(*mi);
	return mi->fold.state == mi_fold_cache::FOLDED ? &mi->fold.folded : nullptr;
}
// Forgets the folded texts of mi, after a change of its texts.
void mi_texts_changed(meta_info &mi);
