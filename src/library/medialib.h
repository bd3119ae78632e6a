// The loaded library: the database records, the two pseudo-playlists and the
// registry of every playlist.
#pragma once

#include <cstdio>
#include <deque>
#include <string>
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

// Releases the state and starts an empty one: the two pseudo-playlists alone.
void medialib_new_state();
// Loads the database and every playlist file of playlist_dir.
void medialib_load(const std::string &db_file, const std::string &playlist_dir);
// Releases every record and playlist.
void medialib_destroy();
// Appends p to the registry, which takes ownership.
void medialib_playlist_add(playlist_ptr p);
// Deletes registry entry i and its file.
void medialib_playlist_remove(int i);

// Database file.
constexpr const char DB_MAGIC[] = "korvane";
constexpr int DB_VERSION_MAJOR = 2;
constexpr int DB_VERSION_MINOR = 1;
constexpr int DB_VERSION_PATCH = 0;
constexpr size_t DB_TEXT_MAX = 65535;

// Writes one record in the database format; false on a stream error.
bool mi_fwrite(const meta_info &mi, FILE *f);
// Reads one record; the caller looks at the stream's state afterwards.
void mi_fread(meta_info &mi, FILE *f);
// Writes the 19-byte header; false on a stream error.
bool medialib_db_write_header(FILE *f);
// Reads the database into the (empty) library and sorts it by file name.
void medialib_db_load(const std::string &path);
// Replaces the database file with the library's records.
void medialib_db_save(const std::string &path);
// Prints the library as comma-separated text.
void medialib_db_flush(FILE *out, const char *time_format);

// Maintenance.
// Creates the program's directory, the playlists directory and an empty database.
void medialib_setup_files(const std::string &dir, const std::string &db_file,
                          const std::string &playlist_dir);
// Walks the paths (files or directories) and adds, refreshes or drops records.
void medialib_db_scan_dirs(char *const paths[]);
// Checks every record against its file.
void medialib_db_update(bool show_skipped);
