#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/error.h"
#include "ecmd/ecmd.h"

namespace
{

const char LIST_PAGE[] =
        "The following is a list of e-commands supported by korvane.\n"
        "Each command is executed by doing:\n"
        "\n"
        "   $ korvane -e COMMAND [args ...]\n"
        "\n"
        "The complete manual for each can be obtained by doing:\n"
        "\n"
        "   $ korvane -e help COMMAND\n"
        "\n"
        "The list of available commands are:\n"
        "\n"
        "   COMMAND     BRIEF DESCRIPTION\n"
        "   -------     ------------------------------------------------------------\n"
        "   init        Creates the initial files used by korvane: its directory,\n"
        "               the database and the playlists directory.\n"
        "\n"
        "   update      Loads the existing database and checks all files in it for\n"
        "               removal or modification.  The library is updated\n"
        "               accordingly.\n"
        "\n"
        "   add         Scans the given files and directories for media files to\n"
        "               add to the database.\n"
        "\n"
        "   addurl      Adds a URL to the database, with meta information that you\n"
        "               provide.\n"
        "\n"
        "   check       Checks files for what meta information can be extracted and\n"
        "               sanitized, and whether they are in the database.\n"
        "\n"
        "   rm          Removes a file or URL from the database.\n"
        "\n"
        "   rmfile      Alias for \"rm\".\n"
        "\n"
        "   tag         Adds or modifies the meta-information tags of raw files.\n"
        "\n"
        "   flush       Loads the existing database and dumps its information in an\n"
        "               easy-to-parse format to standard output.\n"
        "\n"
        "   help        This command.\n";

} // namespace

void ecmd_print_page(const char *page)
{
	fputs(page, stdout);
	fputc('\n', stdout);
}

int ecmd_help(int argc, char *argv[])
{
	if (argc >= 3)
		fatal("usage: -e %s [command]", argv[0]);

	if (argc == 1) {
		ecmd_print_page(LIST_PAGE);
		return 0;
	}

	const char *name = argv[1];
	if (strcmp(name, "help") == 0) {
		printf("You're a damn fool if you need help with help.\n");
		return 0;
	}
	const ecmd *e = ecmd_lookup(name);
	if (e != nullptr && e->help != nullptr) {
		e->help();
		return 0;
	}
	printf("Unknown command \"%s\".  See \"korvane -e help\" for list.\n", name);
	return 0;
}
