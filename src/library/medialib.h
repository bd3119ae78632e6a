// The loaded library: the database records, the two pseudo-playlists and the
// registry of every playlist.
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "meta/meta_info.h"
#include "playlist/playlist.h"

struct medialib_state {
	std::string db_file;
	std::string playlist_dir;
	playlist *library = nullptr;        // "--LIBRARY--", registry entry 0
	playlist *filter_results = nullptr; // "--FILTER--", registry entry 1
	std::vector<playlist_ptr> playlists;
	// Every record the library has held while loaded, and the placeholders
	// of playlist entries missing from it. Records that leave the library
	// stay here, since playlists may still point to them.
	std::deque<mi_ptr> records;

	int nplaylists() const { return static_cast<int>(playlists.size()); }
};

extern medialib_state medialib;

// Keeps mi alive for as long as the library is loaded and returns it.
meta_info *medialib_adopt(mi_ptr mi);
// The library index of the first record whose file name is exactly filename,
// or -1.
int medialib_find(std::string_view filename);

// Releases the state and starts an empty one: the two pseudo-playlists alone.
void medialib_new_state();
// Loads the database and every playlist file of playlist_dir.
void medialib_load(const std::string &db_file, const std::string &playlist_dir);
// Loads the database and every playlist file of playlist_dir in place of
// what is loaded. False with a message in error when the database cannot be
// read, is not a korvane database or is of another version, or a playlist
// cannot be opened: what was loaded then stays as it was. On success every
// record and playlist loaded before is released, so nothing may point to
// them.
bool medialib_try_load(const std::string &db_file, const std::string &playlist_dir,
                       std::string &error);
// Releases every record and playlist.
void medialib_destroy();
// The paths of every playlist file in dir, in byte order.
std::vector<std::string> medialib_find_playlists(const std::string &dir);
// Appends p to the registry, which takes ownership.
void medialib_playlist_add(playlist_ptr p);
// Deletes registry entry i and its file; fatal when the file cannot be removed.
void medialib_playlist_remove(int i);
// Deletes registry entry i and its file; a file already gone counts as
// removed. False with the cause in error when the file stays: the entry
// then stays too.
bool medialib_playlist_try_remove(int i, std::string &error);
// Releases registry entry i and leaves its file alone.
void medialib_playlist_forget(int i);
