// Playlist files: one file name per line, kept as *.playlist in the
// playlists directory.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "playlist/playlist.h"

// Reads a playlist file; entries are looked up in files, which must be
// sorted by file name. Entries not found get placeholder records, kept alive
// in placeholders.
playlist_ptr playlist_load(const std::string &path, const std::vector<meta_info *> &files,
                           std::deque<mi_ptr> &placeholders);
// Writes p's entries to its file, replacing it.
void playlist_save(const playlist &p);
// Removes p's file, if it has one, and releases p.
void playlist_delete(playlist_ptr p);
// The name of a playlist file: its base name cut at the last '.'.
std::string playlist_name_from_path(const std::string &path);
