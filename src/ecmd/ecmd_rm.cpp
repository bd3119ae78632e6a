#include <cstdio>
#include <cstring>

#include "base/error.h"
#include "base/globals.h"
#include "ecmd/ecmd.h"
#include "library/db_file.h"
#include "library/medialib.h"

int ecmd_rm(int argc, char *argv[])
{
	// Only a leading "-f" counts; the name is never resolved, since a file is
	// stored under its absolute path and a URL as typed.
	bool force = argc == 3 && strcmp(argv[1], "-f") == 0;
	if (argc != 2 && !force)
		fatal("usage: -e %s [-f] filename|URL", argv[0]);
	const char *name = argv[argc - 1];

	medialib_load(db_file, playlist_dir);
	int i = medialib_find(name);
	if (i == -1) {
		if (!force)
			fatal("%s: %s: No such file or URL", argv[0], name);
		warn_msg("%s: %s: No such file or URL", argv[0], name);
		medialib_destroy();
		return 0;
	}

	if (!force) {
		printf("Are you sure you want to delete '%s'? [y/n] ", name);
		fflush(stdout);
		std::string answer;
		if (!ecmd_read_answer(answer) || !ecmd_answer_is_yes(answer))
			fatal("%s: operation canceled.  Database unchanged.", argv[0]);
	}

	playlist_remove_file(*medialib.library, i, 1, false);
	medialib_db_save(db_file);
	medialib_destroy();
	return 0;
}

namespace
{

const char RM_PAGE[] = "KORVANE COMMAND:\n"
                       "\trm - remove a single file/URL from the korvane database\n"
                       "\n"
                       "SYNOPSIS:\n"
                       "\trm [-f] filename/URL\n"
                       "\n"
                       "DESCRIPTION:\n"
                       "   Removes one file or URL from the database.  As a safety measure you\n"
                       "   are asked to confirm the removal, unless -f (force) is given.\n"
                       "\n"
                       "   A file must be named by its full absolute path, as given by\n"
                       "   realpath(3), since that is the name under which the database keeps\n"
                       "   it.  A URL is named exactly as it was added.\n"
                       "\n"
                       "ALIAS:\n"
                       "   rmfile and rm are interchangeable.\n"
                       "\n"
                       "EXAMPLE:\n"
                       "\t$ korvane -e rm -f 'http://radio.example.com:8000/jazz.ogg'\n";

} // namespace

void ecmd_help_rm()
{
	ecmd_print_page(RM_PAGE);
}
