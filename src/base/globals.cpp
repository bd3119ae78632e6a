#include "base/globals.h"

#include <cstdlib>

#include "base/error.h"

std::string conf_dir;
std::string conf_file;
std::string db_file;
std::string playlist_dir;
std::string player_backend;

void globals_init_from_home()
{
	const char *home = getenv("HOME");
	if (home == nullptr)
		fatal("$HOME not set. Can't find my config files.");

	std::string h = home;
	conf_dir = h + "/.korvane";
	conf_file = h + "/.korvane/korvane.conf";
	db_file = h + "/.korvane/korvane.db";
	playlist_dir = h + "/.korvane/playlists";
	player_backend = "mplayer";
}
