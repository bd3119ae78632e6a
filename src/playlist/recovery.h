// Recovery files: when the program is ended by a signal or the loss of its
// terminal, the entries of every playlist with unsaved changes are kept in
// the directory ".recovery" of the playlists directory, where the
// playlists' own pattern never finds them, until a "salvage" command
// brings one back as an unsaved playlist.
#pragma once

#include <string>
#include <vector>

#include "playlist/playlist.h"

// The directory of the recovery files of a playlists directory.
std::string recovery_dir(const std::string &playlist_dir);
// Writes a recovery file for each playlist; the names they can be
// recovered by. A playlist that cannot be written is left out.
std::vector<std::string> recovery_write(const std::string &playlist_dir,
                                        const std::vector<const playlist *> &unsaved);
// The names that can be recovered, in order.
std::vector<std::string> recovery_list(const std::string &playlist_dir);
// The recovery file of name, and whether the playlist had a file of its
// own; empty when there is none.
struct recovery_file {
	std::string path;
	bool had_file = false;
};
recovery_file recovery_find(const std::string &playlist_dir, const std::string &name);
