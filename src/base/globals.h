// The start-up globals: the program's file names and the player's name.
#pragma once

#include <string>

extern std::string conf_dir;
extern std::string conf_file;
extern std::string db_file;
extern std::string playlist_dir;
extern std::string player_backend;

// Builds the file names from $HOME; fatal when HOME is not set.
void globals_init_from_home();
