#include <fcntl.h>
#include <getopt.h>
#include <stdlib.h> // strtonum, from libbsd
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/error.h"
#include "base/file_replace.h"
#include "base/owners.h"
#include "base/term_text.h"
#include "base/text.h"
#include "ecmd/ecmd.h"
#include "meta/taglib_file.h"

namespace
{

// The tag fields the command can write, in the order they are summarised
// and set. A field has either a text or a number setter.
struct tag_field {
	const char *name; // long option and summary name
	int letter;       // short option
	void (*set_text)(TagLib_Tag *, const char *);
	void (*set_number)(TagLib_Tag *, unsigned int);
};

constexpr int NFIELDS = 7;

const tag_field FIELDS[NFIELDS] = {
	{ "artist", 'a', taglib_tag_set_artist, nullptr },
	{ "album", 'A', taglib_tag_set_album, nullptr },
	{ "title", 't', taglib_tag_set_title, nullptr },
	{ "genre", 'g', taglib_tag_set_genre, nullptr },
	{ "track", 'T', nullptr, taglib_tag_set_track },
	{ "year", 'y', nullptr, taglib_tag_set_year },
	{ "comment", 'c', taglib_tag_set_comment, nullptr },
};

const char SHORT_OPTIONS[] = "a:A:t:g:T:y:c:";

const option LONG_OPTIONS[] = {
	{ "artist", required_argument, nullptr, 'a' },
	{ "album", required_argument, nullptr, 'A' },
	{ "title", required_argument, nullptr, 't' },
	{ "genre", required_argument, nullptr, 'g' },
	{ "track", required_argument, nullptr, 'T' },
	{ "year", required_argument, nullptr, 'y' },
	{ "comment", required_argument, nullptr, 'c' },
	{ nullptr, 0, nullptr, 0 },
};

struct tag_value {
	bool set = false;
	std::string text;
	int number = 0;
};

using tag_values = std::array<tag_value, NFIELDS>;

int field_of_letter(int letter)
{
	for (int i = 0; i < NFIELDS; i++)
		if (FIELDS[i].letter == letter)
			return i;
	return -1;
}

// Reads the options into values; the words that are not options end up
// behind them, from optind on.
void parse_options(int argc, char *argv[], tag_values &values)
{
	int ch;
	optind = 0;
	opterr = 0; // the usage message says it all
	while ((ch = getopt_long_only(argc, argv, SHORT_OPTIONS, LONG_OPTIONS, nullptr)) != -1) {
		int f = field_of_letter(ch);
		if (f == -1)
			fatal("usage: see 'korvane -e help tag'");
		const tag_field &field = FIELDS[f];
		tag_value &value = values[f];
		if (field.set_number) {
			const char *errstr = nullptr;
			long long n = strtonum(optarg, 0, INT_MAX, &errstr);
			if (errstr != nullptr)
				fatal("%s: invalid %s '%s': %s", argv[0], field.name, optarg,
				      errstr);
			value.number = static_cast<int>(n);
		} else {
			value.text = optarg;
		}
		value.set = true;
	}
}

enum class tag_result { tagged, not_media, failed };

// Room enough for any tags TagLib writes with these values: the texts in
// the widest encoding, and the padding and frames around them.
off_t save_room(const tag_values &values)
{
	off_t room = 1 << 20;
	for (const tag_value &value : values)
		room += 4 * static_cast<off_t>(value.text.size());
	return room;
}

// Takes room blocks of disk beyond the end of the file open as fd, without
// changing its size, so that the save's writes cannot find the disk full;
// the error number when they could not be had, or 0. A file system that
// cannot do so is left to its luck.
int reserve_room(int fd, off_t size, off_t room)
{
	rlimit limit;
	if (getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
	    static_cast<rlim_t>(size + room) > limit.rlim_cur)
		return EFBIG;
	if (fallocate(fd, FALLOC_FL_KEEP_SIZE, size, room) == -1 && errno != EOPNOTSUPP &&
	    errno != ENOSYS)
		return errno;
	return 0;
}

// Whether the file at path is valid media of the given play length.
bool same_media(const std::string &path, int length)
{
	taglib_file file(path.c_str());
	if (!file.valid())
		return false;
	const TagLib_AudioProperties *props = file.properties();
	return (props != nullptr ? taglib_audioproperties_length(props) : -1) == length;
}

// Copies the whole of the file open as in into the replacement's stream.
bool copy_into(int in, file_replacer &out)
{
	char buf[1 << 16];
	for (;;) {
		ssize_t n = read(in, buf, sizeof buf);
		if (n == 0)
			return fflush(out.stream()) == 0;
		if (n == -1) {
			if (errno == EINTR)
				continue;
			return false;
		}
		if (fwrite(buf, 1, static_cast<size_t>(n), out.stream()) != static_cast<size_t>(n))
			return false;
	}
}

// Sets every set field in a copy of the file, beside it, and puts the copy
// in the file's place once TagLib has saved it and it is on disk: the file
// is never changed in place, so a full disk, a kill or a failed save leaves
// it as it was. On failure the cause is in why.
tag_result tag_file(const char *path, const tag_values &values, std::string &why)
{
	// Only a regular file is read, and it is opened without blocking.
	unique_fd in(open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
	struct stat st;
	if (!in || fstat(in.get(), &st) == -1) {
		why = strerror(errno);
		return tag_result::failed;
	}
	if (!S_ISREG(st.st_mode)) {
		why = "not a regular file";
		return tag_result::failed;
	}

	// The copy keeps the file's extension, by which TagLib tells formats.
	file_replacer out;
	if (!out.open(path, true)) {
		why = out.error();
		return tag_result::failed;
	}
	if (!copy_into(in.get(), out)) {
		why = strerror(errno != 0 ? errno : EIO);
		out.abandon();
		return tag_result::failed;
	}

	// TagLib does not report a write that fails; the room its save may
	// need is taken first, so a full disk shows here and not as a copy cut
	// short.
	const int fd = fileno(out.stream());
	if (int error = reserve_room(fd, st.st_size, save_room(values)); error != 0) {
		why = strerror(error);
		out.abandon();
		return tag_result::failed;
	}

	int length = -1;
	{
		// A file TagLib opened by its extension may still not be a media
		// file; saving tags into it would damage it.
		taglib_file file(out.temp_path().c_str());
		if (!file.valid())
			return tag_result::not_media;
		if (const TagLib_AudioProperties *props = file.properties(); props != nullptr)
			length = taglib_audioproperties_length(props);
		TagLib_Tag *tag = file.tag();
		for (int i = 0; i < NFIELDS; i++) {
			if (!values[i].set)
				continue;
			if (FIELDS[i].set_number)
				FIELDS[i].set_number(tag,
				                     static_cast<unsigned int>(values[i].number));
			else
				FIELDS[i].set_text(tag, values[i].text.c_str());
		}
		if (!file.save()) {
			why = "TagLib could not save the tags";
			return tag_result::failed;
		}
	}
	// The saved copy must still be the same media, whole.
	if (!same_media(out.temp_path(), length)) {
		why = "TagLib could not save the tags";
		return tag_result::failed;
	}
	// The room taken beyond the end is given back.
	struct stat saved;
	if (fstat(fd, &saved) == 0 && ftruncate(fd, saved.st_size) == -1) {
		why = strerror(errno);
		return tag_result::failed;
	}

	// The file keeps its access time; its modification time is now, as
	// for any change, so that update reads the new tags.
	const timespec times[2] = { st.st_atim, { 0, UTIME_NOW } };
	futimens(fd, times);
	if (!out.commit()) {
		why = out.error();
		return tag_result::failed;
	}
	return tag_result::tagged;
}

} // namespace

int ecmd_tag(int argc, char *argv[])
{
	tag_values values;
	parse_options(argc, argv, values);

	printf("Setting the following tags to all files:\n");
	bool any = false;
	for (int i = 0; i < NFIELDS; i++) {
		if (!values[i].set)
			continue;
		any = true;
		if (FIELDS[i].set_number)
			printf("%10.10s => %i\n", FIELDS[i].name, values[i].number);
		else
			printf("%10.10s => '%s'\n", FIELDS[i].name,
			       term_text(stdout, values[i].text).c_str());
	}
	if (!any)
		fatal("%s: nothing to set!  See 'korvane -e help tag'", argv[0]);
	if (optind >= argc)
		fatal("%s: must provide at least one file to tag.", argv[0]);

	// In a UTF-8 locale the values are UTF-8 and go to TagLib as such, and
	// ID3v2 frames are written in UTF-16, which every ID3v2 version holds;
	// in any other the values go byte for byte, as Latin-1. A file that
	// could not be tagged makes the status 1; the others are still tagged.
	const bool unicode = text_utf8_locale();
	taglib_set_strings_unicode(unicode);
	taglib_id3v2_set_default_text_encoding(unicode ? TagLib_ID3v2_UTF16 : TagLib_ID3v2_Latin1);
	int status = 0;
	for (int i = optind; i < argc; i++) {
		const std::string shown = term_text(stdout, argv[i]);
		printf("tagging: '%s'\n", shown.c_str());
		std::string why;
		switch (tag_file(argv[i], values, why)) {
		case tag_result::tagged:
			break;
		case tag_result::not_media:
			warn_msg("TagLib: failed to open file '%s': skipping.",
			         term_text(stderr, argv[i]).c_str());
			printf("  => Causes: format not supported by TagLib or format doesn't "
			       "support tags\n");
			fflush(stdout);
			break;
		case tag_result::failed:
			warn_msg("%s: failed to tag '%s': %s", argv[0],
			         term_text(stderr, argv[i]).c_str(), why.c_str());
			status = 1;
			break;
		}
	}
	return status;
}

namespace
{

const char TAG_PAGE[] =
        "KORVANE COMMAND:\n"
        "\ttag - set meta-information tags to raw files\n"
        "\n"
        "SYNOPSIS:\n"
        "\ttag [--artist=string | -a string] [--album=string | -A string]\n"
        "\t    [--title=string | -t string] [--genre=string | -g string]\n"
        "\t    [--track=number | -T number] [--year=number | -y number]\n"
        "\t    [--comment=string | -c string]\n"
        "\t    file1 [ file2 ... ]\n"
        "\n"
        "DESCRIPTION:\n"
        "   This command adds or changes the meta-information tags of media files.\n"
        "   Only the files themselves are changed, not the korvane database; run\n"
        "   the \"update\" e-command afterwards to bring the database in line.\n"
        "\n"
        "   Each field given is set to the given value in every file given.  The\n"
        "   fields are:\n"
        "\n"
        "      --artist=string, -a string\n"
        "            Set the artist to the given string.\n"
        "\n"
        "      --album=string, -A string\n"
        "            Set the album name to the given string.\n"
        "\n"
        "      --title=string, -t string\n"
        "            Set the song/video title to the given string.\n"
        "\n"
        "      --genre=string, -g string\n"
        "            Set the genre to the given string.\n"
        "\n"
        "      --track=number, -T number\n"
        "            Set the track number.  The number must be between 0 and\n"
        "            INT_MAX.\n"
        "\n"
        "      --year=number, -y number\n"
        "            Set the year.  The number must be between 0 and INT_MAX.\n"
        "\n"
        "      --comment=string, -c string\n"
        "            Set the comment to the given string.\n"
        "\n"
        "   The long forms may also be given with a single dash, with the value\n"
        "   as the next word, or abbreviated as long as they stay unambiguous.\n"
        "   At least one of the options above and at least one file are\n"
        "   required.\n"
        "\n"
        "IMPORTANT NOTE:\n"
        "   This command does NOT change the korvane database.  After tagging\n"
        "   files, run the \"update\" e-command (or \"add\" for files that are not\n"
        "   in the database yet) so that the database holds the new tags.\n"
        "\n"
        "EXAMPLE:\n"
        "   A CD ripper got the artist name of an album wrong.  To correct it:\n"
        "\n"
        "\t$ korvane -e tag --artist=\"The Velvet Underground\" ~/music/vu/loaded/*\n"
        "\t$ korvane -e update\n";

} // namespace

void ecmd_help_tag()
{
	ecmd_print_page(TAG_PAGE);
}
