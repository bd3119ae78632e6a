#include <cstdio>

#include "base/error.h"
#include "base/globals.h"
#include "ecmd/ecmd.h"
#include "library/maintenance.h"

int ecmd_init(int argc, char *argv[])
{
	if (argc != 1)
		fatal("usage: -e %s", argv[0]);

	printf("Creating all necessary files and directories for korvane...\n");
	fflush(stdout);
	medialib_setup_files(conf_dir, db_file, playlist_dir);
	printf("\nNow use 'korvane -e add dir1 dir2 ...' to add files to korvane.\n");
	return 0;
}

namespace
{

const char INIT_PAGE[] =
        "KORVANE COMMAND:\n"
        "\tinit - initialize korvane directories/database\n"
        "\n"
        "SYNOPSIS:\n"
        "\tinit\n"
        "\n"
        "DESCRIPTION:\n"
        "   This command creates the following directories and files, which are used\n"
        "   by korvane:\n"
        "\n"
        "      ~/.korvane\n"
        "            The directory where everything korvane uses is stored.\n"
        "\n"
        "      ~/.korvane/korvane.db\n"
        "            The database containing the meta information of all the media\n"
        "            files korvane knows about.  It is created empty.\n"
        "\n"
        "      ~/.korvane/playlists/\n"
        "            The directory where all playlists are stored.\n"
        "\n"
        "   Anything that already exists is left unchanged.  This command takes no\n"
        "   parameters.\n"
        "\n"
        "   Running this command is optional; it is merely a convenience.\n"
        "\n"
        "EXAMPLE:\n"
        "\t$ korvane -e init\n";

} // namespace

void ecmd_help_init()
{
	ecmd_print_page(INIT_PAGE);
}
