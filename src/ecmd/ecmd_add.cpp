#include <cstdio>

#include "base/error.h"
#include "base/globals.h"
#include "ecmd/ecmd.h"
#include "library/db_lock.h"
#include "library/maintenance.h"
#include "library/medialib.h"

int ecmd_add(int argc, char *argv[])
{
	if (argc == 1)
		fatal("usage: -e %s /path/to/filesORdirs [ ... ] ", argv[0]);

	printf("Loading existing database...\n");
	fflush(stdout);
	medialib_lock_exclusive(db_file);
	medialib_load(db_file, playlist_dir);

	printf("Scanning directories for files to add to database...\n");
	fflush(stdout);
	bool all_found = medialib_db_scan_dirs(argv + 1);

	medialib_destroy();
	return all_found ? 0 : 1;
}

namespace
{

const char ADD_PAGE[] =
        "KORVANE COMMAND:\n"
        "\tadd - add files to the korvane database\n"
        "\n"
        "SYNOPSIS:\n"
        "\tadd /path/to/files1 [ path2 ... ]\n"
        "\n"
        "DESCRIPTION:\n"
        "   Each file or directory given is scanned recursively for media files with\n"
        "   meta information, and those found are added to the database.  Files that\n"
        "   are already in the database are re-scanned and updated.\n"
        "\n"
        "   korvane only keeps information about your files: it never moves, copies\n"
        "   or changes them.  The information stored for each file is:\n"
        "\n"
        "      file name          the absolute path of the file\n"
        "      artist name        the artist tag\n"
        "      album name         the album tag\n"
        "      song/video title   the title tag\n"
        "      track number       the track number tag\n"
        "      year               the year tag\n"
        "      genre              the genre tag\n"
        "      play length        the length of the file, in seconds\n"
        "\n"
        "   The file name stored is the absolute path as given by realpath(3); it is\n"
        "   the key of the database.  Files without any meta information are not\n"
        "   added.\n"
        "\n"
        "EXAMPLE:\n"
        "\t$ korvane -e add ~/music /mnt/share/music\n";

} // namespace

void ecmd_help_add()
{
	ecmd_print_page(ADD_PAGE);
}
