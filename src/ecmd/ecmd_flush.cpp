#include <unistd.h>

#include <cstdio>
#include <string>

#include "base/error.h"
#include "base/globals.h"
#include "ecmd/ecmd.h"
#include "library/db_file.h"
#include "library/medialib.h"

int ecmd_flush(int argc, char *argv[])
{
	std::string time_format = "%Y %m %d %H:%M:%S";
	int ch;

	optind = 0;
	opterr = 0; // the usage message says it all
	while ((ch = getopt(argc, argv, "+t:")) != -1) {
		switch (ch) {
		case 't':
			time_format = optarg;
			break;
		default:
			fatal("usage: %s [-t format]", argv[0]);
		}
	}

	medialib_load(db_file, playlist_dir);
	medialib_db_flush(stdout, time_format.c_str());
	medialib_destroy();
	return 0;
}

namespace
{

const char FLUSH_PAGE[] =
        "KORVANE COMMAND:\n"
        "\tflush - dump output of korvane database to terminal\n"
        "\n"
        "SYNOPSIS:\n"
        "\tflush [-t time-format]\n"
        "\n"
        "DESCRIPTION:\n"
        "   Writes the whole database to standard output in a form that is easy to\n"
        "   read and easy to grep.\n"
        "\n"
        "   The optional time-format is any format accepted by strftime(3).  It is\n"
        "   used for the last-updated field of each record, which tells when the\n"
        "   file was last checked.\n"
        "\n"
        "   The output is comma-separated values.  Fields that can hold blanks or\n"
        "   commas are enclosed in double quotes.  The first line holds the names of\n"
        "   the fields, quoted like the fields themselves.\n"
        "\n"
        "REFERENCES:\n"
        "   Some handy sed(1) one-liners for parsing such output can be found at:\n"
        "      http://sed.sourceforge.net/sed1line.txt\n"
        "\n"
        "EXAMPLE:\n"
        "\t$ korvane -e flush\n"
        "\t$ korvane -e flush -t '%M %Y' | grep '\"12 2009\"'\n";

} // namespace

void ecmd_help_flush()
{
	ecmd_print_page(FLUSH_PAGE);
}
