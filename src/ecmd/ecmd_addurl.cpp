#include <cstdio>

#include "base/error.h"
#include "base/globals.h"
#include "base/term_text.h"
#include "ecmd/ecmd.h"
#include "library/db_file.h"
#include "library/db_lock.h"
#include "library/medialib.h"
#include "meta/mi_extract.h"

namespace
{

// Asks for the eight fields in turn; false when the input ends first.
bool ask_fields(meta_info &mi)
{
	for (int i = 0; i < MI_NUM_CINFO; i++) {
		printf("%10.10s: ", MI_CINFO_NAMES[i]);
		fflush(stdout);
		std::string answer;
		if (!ecmd_read_answer(answer))
			return false;
		if (!answer.empty() && answer.back() == '\n')
			answer.pop_back();
		mi.cinfo[i] = answer;
	}
	return true;
}

} // namespace

int ecmd_addurl(int argc, char *argv[])
{
	if (argc != 2)
		fatal("usage: -e %s filename|URL", argv[0]);

	mi_ptr mi = mi_new();
	mi->is_url = true;
	mi->filename = argv[1];

	// Everything is asked before the database is read, so input that ends
	// early leaves no trace.
	if (!ask_fields(*mi)) {
		warn_msg("Operation canceled. Database unchanged.");
		return 0;
	}

	medialib_lock_exclusive(db_file);
	medialib_load(db_file, playlist_dir);
	playlist &lib = *medialib.library;
	int i = medialib_find(*mi->filename);
	if (i == -1) {
		mi_sanitize(*mi);
		playlist_file_append(lib, medialib_adopt(std::move(mi)), false);
		medialib_db_save(db_file);
	} else {
		printf("Warning: file/URL '%s' already in the database.\n",
		       term_text(stdout, *mi->filename).c_str());
		printf("Do you want to replace the existing record? [y/n] ");
		fflush(stdout);
		std::string answer;
		if (ecmd_read_answer(answer) && ecmd_answer_is_yes(answer)) {
			mi_sanitize(*mi);
			playlist_file_replace(lib, i, medialib_adopt(std::move(mi)));
			medialib_db_save(db_file);
		} else {
			warn_msg("Operation Canceled.  Database unchanged.");
		}
	}
	medialib_destroy();
	return 0;
}

namespace
{

const char ADDURL_PAGE[] =
        "KORVANE COMMAND:\n"
        "\taddurl - add a URL (or other) to the korvane database\n"
        "\n"
        "SYNOPSIS:\n"
        "\taddurl URL\n"
        "\n"
        "DESCRIPTION:\n"
        "   This command adds to the database things that are not ordinary files,\n"
        "   such as the URLs of Internet radio streams.  It takes exactly one\n"
        "   parameter, the URL (or file name) to add, and then prompts for each of\n"
        "   the meta-information fields.  Any of them may be left blank.\n"
        "\n"
        "   Anything that the player program can play by name can be added this\n"
        "   way.  Ordinary files are better added with the \"add\" e-command, which\n"
        "   extracts their meta information from the files themselves.  Entries\n"
        "   added with this command are never checked by the \"update\" e-command.\n"
        "\n"
        "   This command also serves to change the meta information of an existing\n"
        "   URL entry: give the same URL again and confirm the replacement.\n"
        "\n"
        "NOTES:\n"
        "   If you listen to several streams, keep their URLs in a small shell\n"
        "   script that pipes the answers into this command, so that they can be\n"
        "   re-added whenever you rebuild the database.  The example below, done\n"
        "   that way, is:\n"
        "\n"
        "      #!/bin/sh\n"
        "      printf '%s\\n' 'Radio Korvane' 'Late Night Jazz' '' '' '' 'Jazz' \\\n"
        "         'INF' 'all jazz, all night' |\n"
        "         korvane -e addurl 'http://radio.example.com:8000/jazz.ogg'\n"
        "\n"
        "EXAMPLE:\n"
        "\t$ korvane -e addurl 'http://radio.example.com:8000/jazz.ogg'\n"
        "\t    Artist: Radio Korvane\n"
        "\t     Album: Late Night Jazz\n"
        "\t     Title: \n"
        "\t     Track: \n"
        "\t      Year: \n"
        "\t     Genre: Jazz\n"
        "\t    Length: INF\n"
        "\t   Comment: all jazz, all night\n";

} // namespace

void ecmd_help_addurl()
{
	ecmd_print_page(ADDURL_PAGE);
}
