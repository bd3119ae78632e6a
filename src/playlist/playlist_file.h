// Playlist files: one file name per line, kept as *.playlist in the
// playlists directory.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "playlist/playlist.h"

// The ending of every playlist file's name.
constexpr const char PLAYLIST_FILE_EXTENSION[] = ".playlist";

// Reads a playlist file; entries are looked up in files, which must be
// sorted by file name. Entries not found get placeholder records, kept alive
// in placeholders.
playlist_ptr playlist_load(const std::string &path, const std::vector<meta_info *> &files,
                           std::deque<mi_ptr> &placeholders);
// As playlist_load, but null with a message in error when the file cannot
// be opened (errno set), instead of ending the program.
playlist_ptr playlist_try_load(const std::string &path, const std::vector<meta_info *> &files,
                               std::deque<mi_ptr> &placeholders, std::string &error);
// Writes p's entries to its file, replacing it; fatal on failure.
void playlist_save(const playlist &p);
// Writes p's entries to its file, replacing it. False with a message (the
// file, and the system's error text or why it was refused) in error when
// it cannot, the old file untouched; an entry whose name holds a line
// break is refused before anything is written.
bool playlist_try_save(const playlist &p, std::string &error);
// The position of p's first entry whose name holds a line break (LF or CR),
// which a playlist file cannot hold; none when every entry can be written.
std::optional<size_t> playlist_unwritable_entry(const playlist &p);
// Removes p's file, if it has one, and releases p; fatal on failure.
void playlist_delete(playlist_ptr p);
// Removes p's file, if it has one; a file already gone counts as removed.
// False with a message in error when the file stays.
bool playlist_delete_file(const playlist &p, std::string &error);
// Whether p's entries are what its file holds, in the same order; false
// when it has no file or the file cannot be read.
bool playlist_matches_file(const playlist &p);
// The name of a playlist file: its base name cut at the last '.'.
std::string playlist_name_from_path(const std::string &path);
