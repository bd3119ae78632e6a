#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/error.h"
#include "base/globals.h"
#include "base/term_text.h"
#include "ecmd/ecmd.h"
#include "library/db_file.h"
#include "library/db_lock.h"
#include "library/medialib.h"

int ecmd_rm(int argc, char *argv[])
{
	// Only a leading "-f" counts.
	bool force = argc == 3 && strcmp(argv[1], "-f") == 0;
	if (argc != 2 && !force)
		fatal("usage: -e %s [-f] filename|URL", argv[0]);
	const char *name = argv[argc - 1];
	const std::string shown = term_text(stderr, name);

	medialib_lock_exclusive(db_file);
	medialib_load(db_file, playlist_dir);
	// A file is stored under its absolute path without symbolic links, as
	// add resolves it, and a URL as typed; a name that resolves to nothing
	// stored is looked for as typed.
	int i = -1;
	char resolved[PATH_MAX];
	if (realpath(name, resolved) != nullptr)
		i = medialib_find(resolved);
	if (i == -1)
		i = medialib_find(name);
	if (i == -1) {
		if (!force)
			fatal("%s: %s: No such file or URL", argv[0], shown.c_str());
		warn_msg("%s: %s: No such file or URL", argv[0], shown.c_str());
		medialib_destroy();
		return 0;
	}

	if (!force) {
		printf("Are you sure you want to delete '%s'? [y/n] ",
		       term_text(stdout, *medialib.library->files[i]->filename).c_str());
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
                       "   A file is named as for add: a relative path or one through symbolic\n"
                       "   links is resolved with realpath(3) first, since the database keeps\n"
                       "   a file under its absolute path.  A URL is named exactly as it was\n"
                       "   added.\n"
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
