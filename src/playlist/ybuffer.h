// The yank buffer: the records the last cut or yank took, in playlist
// order, which paste inserts again. It points to records the library owns.
#pragma once

#include <vector>

#include "meta/meta_info.h"

struct ybuffer_state {
	std::vector<meta_info *> files;

	int nfiles() const { return static_cast<int>(files.size()); }
	int capacity() const { return static_cast<int>(files.capacity()); }
};

extern ybuffer_state ybuffer;

// An empty buffer with room for 100 records.
void ybuffer_init();
// Appends mi, making room for 100 more records when the buffer is full.
void ybuffer_add(meta_info *mi);
// Appends the n records at files, making room in one step of a multiple of
// 100 records.
void ybuffer_add_files(meta_info *const *files, int n);
// Empties the buffer; its room stays.
void ybuffer_clear();
// Releases the buffer's room.
void ybuffer_free();
