#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "base/error.h"
#include "base/globals.h"
#include "base/term_text.h"
#include "ecmd/ecmd.h"
#include "library/medialib.h"
#include "meta/mi_extract.h"

namespace
{

// The eight fields of mi, one "Name: 'text'" line each; an absent text shows
// as (null).
void print_fields(const char *heading, const meta_info &mi)
{
	printf("%s\n", heading);
	for (int i = 0; i < MI_NUM_CINFO; i++) {
		const auto &text = mi.cinfo[i];
		printf("\t%10.10s: '%s'\n", MI_CINFO_NAMES[i],
		       text ? term_text(stdout, *text).c_str() : "(null)");
	}
}

const char RAW_HEADING[] = "\tThe RAW meta-information from the file is:";
const char SANITIZED_HEADING[] = "\tThe SANITIZED meta-information from the file is:";
const char DATABASE_HEADING[] = "\tThe meta-information in the DATABASE is:";

// Shows what the file gives, raw and/or sanitized. A file that cannot be
// found gives nothing, like one the tag library cannot read or one that is
// not a regular file (never opened in a way that could block), and the next
// file is checked.
void check_extraction(const char *file, bool show_raw, bool show_sanitized)
{
	bool unresolvable = false;
	mi_ptr mi = mi_extract_resolved(file, unresolvable);
	if (!mi) {
		warn_msg("Failed to extract any meta-information from '%s'",
		         term_text(stderr, file).c_str());
		return;
	}
	if (show_raw)
		print_fields(RAW_HEADING, *mi);
	if (show_sanitized) {
		mi_sanitize(*mi);
		print_fields(SANITIZED_HEADING, *mi);
	}
}

// Shows the database entry stored under the file's absolute path; false
// when there is none. The library is loaded afresh for every file.
bool check_database(const char *ecmd, const char *file)
{
	const std::string shown = term_text(stderr, file);
	char resolved[PATH_MAX];
	if (realpath(file, resolved) == nullptr) {
		warn_sys("%s: realpath failed for %s: skipping", ecmd, shown.c_str());
		return false;
	}

	medialib_load(db_file, playlist_dir);
	int found = medialib_find(resolved);
	if (found != -1)
		print_fields(DATABASE_HEADING, *medialib.library->files[found]);
	else
		warn_msg("File '%s' does NOT exist in the database", shown.c_str());
	medialib_destroy();
	return found != -1;
}

} // namespace

int ecmd_check(int argc, char *argv[])
{
	if (argc <= 2)
		fatal("usage: -e %s [-rsd] file1 [ file2 ... ]", argv[0]);

	bool show_raw = false, show_sanitized = false, show_database = false;
	int ch;
	optind = 0;
	opterr = 0; // the usage message says it all
	while ((ch = getopt(argc, argv, "+rsd")) != -1) {
		switch (ch) {
		case 'r':
			show_raw = true;
			break;
		case 's':
			show_sanitized = true;
			break;
		case 'd':
			show_database = true;
			break;
		default:
			fatal("usage: -e %s [-rsd] file1 [ file2 ... ]", argv[0]);
		}
	}
	if (!show_raw && !show_sanitized && !show_database)
		fatal("%s: must specify at least one of -r, -s, or -d", argv[0]);
	if (optind >= argc)
		fatal("%s: must provide at least one file to check.", argv[0]);

	// Every file is checked; a file not in the database makes the status 1.
	int status = 0;
	for (int i = optind; i < argc; i++) {
		const char *file = argv[i];
		printf("Checking: '%s'\n", term_text(stdout, file).c_str());
		if (show_raw || show_sanitized)
			check_extraction(file, show_raw, show_sanitized);
		if (show_database && !check_database(argv[0], file))
			status = 1;
	}
	return status;
}

namespace
{

const char CHECK_PAGE[] =
        "KORVANE COMMAND:\n"
        "\tcheck - check files for meta-info and if they're in the DB\n"
        "\n"
        "SYNOPSIS:\n"
        "\tcheck [-rsd] file1 [ file2 ... ]\n"
        "\n"
        "DESCRIPTION:\n"
        "   Each file given is examined to see what meta information can be\n"
        "   extracted from it, how that information is sanitized, or what the\n"
        "   database holds for it.  At least one of the following options is\n"
        "   required:\n"
        "\n"
        "      -r    Show the raw meta information extracted from each file.\n"
        "\n"
        "      -s    Show the sanitized meta information extracted from each\n"
        "            file.\n"
        "\n"
        "      -d    Load the database and show the entry it holds for each\n"
        "            file.\n"
        "\n"
        "   When several files are given they are checked one after the other, in\n"
        "   the order given.\n"
        "\n"
        "SANITATION:\n"
        "   Some files carry non-printable characters in their meta information,\n"
        "   often left there by faulty CD rippers or taggers.  Such characters can\n"
        "   be control sequences of curses that disturb the display.  Sanitizing\n"
        "   replaces every such character by \"?\".\n"
        "\n"
        "EXAMPLE:\n"
        "\t$ korvane -e check -r ~/music/Artist/Album/01-track.mp3\n";

} // namespace

void ecmd_help_check()
{
	ecmd_print_page(CHECK_PAGE);
}
