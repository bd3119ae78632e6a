// The batch maintenance of the database, run by the e-commands: set-up, the
// scan of files and directories, and the update of every record.
#pragma once

#include <string>

// Creates the program's directory, the playlists directory and an empty database.
void medialib_setup_files(const std::string &dir, const std::string &db_file,
                          const std::string &playlist_dir);
// Walks the paths (files or directories) and adds, refreshes or drops
// records; false when one of the paths does not exist.
bool medialib_db_scan_dirs(char *const paths[]);
// Checks every record against its file; with reread_all, every file that
// is still there is read again, changed or not.
void medialib_db_update(bool show_skipped, bool reread_all = false);
