#include <cstdio>
#include <cstring>

#include "base/error.h"
#include "base/globals.h"
#include "ecmd/ecmd.h"
#include "library/db_lock.h"
#include "library/maintenance.h"
#include "library/medialib.h"

int ecmd_update(int argc, char *argv[])
{
	bool show_skipped = false, reread_all = false;
	for (int i = 1; i < argc; i++) {
		bool &option = strcmp(argv[i], "-s") == 0 ? show_skipped : reread_all;
		if ((strcmp(argv[i], "-s") != 0 && strcmp(argv[i], "-f") != 0) || option)
			fatal("usage: -e %s [-s] [-f]", argv[0]);
		option = true;
	}

	printf("Loading existing database...\n");
	fflush(stdout);
	medialib_lock_exclusive(db_file);
	medialib_load(db_file, playlist_dir);

	printf("Updating existing database...\n");
	fflush(stdout);
	medialib_db_update(show_skipped, reread_all);

	medialib_destroy();
	return 0;
}

namespace
{

const char UPDATE_PAGE[] =
        "KORVANE COMMAND:\n"
        "\tupdate - update korvane database\n"
        "\n"
        "SYNOPSIS:\n"
        "\tupdate [-s] [-f]\n"
        "\n"
        "DESCRIPTION:\n"
        "   Loads the existing database and checks every file in it for removal or\n"
        "   modification since it was added.  Files that no longer exist are removed\n"
        "   from the database, and files that were modified are read again and their\n"
        "   information updated.  If an error occurs while checking a file, it is\n"
        "   reported and the file is kept in the database.\n"
        "\n"
        "   Normally only the files that were updated or removed are reported.  With\n"
        "   the -s option, the files skipped because they were not modified are\n"
        "   reported too.\n"
        "\n"
        "   With the -f option, every file is read again, whether it was modified\n"
        "   or not, and reported as updated.  Use it after changing the locale:\n"
        "   files added while the locale was not UTF-8 hold \"?\" for every\n"
        "   character beyond ASCII, and reading them again in a UTF-8 locale gives\n"
        "   the texts as they are written.\n"
        "\n"
        "   Run this command after removing or changing media files, for example\n"
        "   after re-tagging them.\n"
        "\n"
        "NOTE ABOUT URLS:\n"
        "   Entries added with the addurl e-command are never checked by update.\n"
        "\n"
        "EXAMPLE:\n"
        "\t$ korvane -e update\n"
        "\t$ LANG=C.UTF-8 korvane -e update -f\n";

} // namespace

void ecmd_help_update()
{
	ecmd_print_page(UPDATE_PAGE);
}
