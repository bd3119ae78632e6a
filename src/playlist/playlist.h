// The playlist: a named, ordered list of pointers to meta_info records, with
// an unsaved-changes mark and its own undo/redo history.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "meta/meta_info.h"

enum { CHANGE_ADD = 0, CHANGE_REMOVE = 1 };

// One recorded edit: which pointers were inserted or removed, and where.
struct changeset {
	int16_t type = CHANGE_ADD;
	std::vector<meta_info *> files;
	int32_t location = 0;
	uint64_t size() const { return files.size(); }
};

using changeset_ptr = std::unique_ptr<changeset>;

constexpr int history_size = 100;
using playlist_history = std::array<changeset_ptr, history_size>;

struct playlist {
	std::optional<std::string> filename;
	std::optional<std::string> name;
	bool needs_saving = false;
	std::vector<meta_info *> files;
	playlist_history history;
	int hist_present = -1;

	int nfiles() const { return static_cast<int>(files.size()); }
};

using playlist_ptr = std::unique_ptr<playlist>;

// An empty playlist with no file, no name and an empty history.
playlist_ptr playlist_new();
void playlist_free(playlist_ptr p);
// A copy of p's entries under a new file and name, with an empty history.
playlist_ptr playlist_dup(const playlist &p, const std::optional<std::string> &filename,
                          const std::optional<std::string> &name);

// Inserts the n records at files before pos; records the change when asked.
void playlist_file_add(playlist &p, meta_info *const *files, int pos, int n, bool record);
void playlist_file_append(playlist &p, meta_info *const *files, int n, bool record);
inline void playlist_file_append(playlist &p, meta_info *mi, bool record)
{
	playlist_file_append(p, &mi, 1, record);
}
// Removes the n entries beginning at pos; records the change when asked.
void playlist_remove_file(playlist &p, int pos, int n, bool record);
// Puts mi in place of entry i; not recorded.
void playlist_file_replace(playlist &p, int i, meta_info *mi);
// The entries of p whose mi_match equals match; none when the query is empty.
playlist_ptr playlist_filter(const playlist &p, bool match);

// Change history.
changeset_ptr changeset_create(int16_t type, uint64_t size, meta_info *const *files,
                               int32_t location);
void changeset_free(changeset_ptr c);
playlist_history playlist_history_new();
// Records c as the newest change of p, dropping the redo part.
void playlist_history_add(playlist &p, changeset_ptr c);
// Drops every change after hist_present.
void playlist_history_free_future(playlist &p);
// 0 when a change was undone (redone), 1 when there was nothing to do.
int playlist_undo(playlist &p);
int playlist_redo(playlist &p);
