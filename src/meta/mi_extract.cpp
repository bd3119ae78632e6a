// Reading tags and play length through TagLib, and sanitising the texts.
#include "meta/mi_extract.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>

#include "base/error.h"
#include "base/text.h"
#include "meta/taglib_file.h"

namespace
{

std::optional<std::string> text_of(const char *s)
{
	if (s == nullptr)
		return std::nullopt;
	return std::string(s);
}

// The error number that keeps the file at path from being read, or 0 when
// it is a regular file that may be read. The file is opened without
// blocking, so a FIFO or a device in the place of a media file cannot stop
// the program; anything but a regular file counts as EINVAL.
int read_error(const char *path)
{
	int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
	if (fd == -1)
		return errno;
	struct stat st;
	int error = fstat(fd, &st) == -1 ? errno : S_ISREG(st.st_mode) ? 0 : EINVAL;
	close(fd);
	return error;
}

// Fills a record from the file at the already resolved path; null when it
// cannot be read (its error number in open_error, when given) or TagLib
// cannot read it (open_error 0).
mi_ptr extract_from(std::string resolved, int *open_error)
{
	int error = read_error(resolved.c_str());
	if (open_error != nullptr)
		*open_error = error;
	if (error != 0)
		return nullptr;

	mi_ptr mi = mi_new();
	mi->filename = std::move(resolved);

	// TagLib hands texts out in UTF-8 only when the locale can show them;
	// otherwise in Latin-1, whose every letter beyond ASCII becomes '?'.
	taglib_set_strings_unicode(text_utf8_locale());
	taglib_file tf(mi->filename->c_str());
	if (!tf.valid())
		return nullptr;

	const TagLib_Tag *tag = tf.tag();
	if (tag != nullptr) {
		mi->cinfo[CINFO_ARTIST] = text_of(taglib_tag_artist(tag));
		mi->cinfo[CINFO_ALBUM] = text_of(taglib_tag_album(tag));
		mi->cinfo[CINFO_TITLE] = text_of(taglib_tag_title(tag));
		mi->cinfo[CINFO_GENRE] = text_of(taglib_tag_genre(tag));
		mi->cinfo[CINFO_COMMENT] = text_of(taglib_tag_comment(tag));

		char buf[32];
		if (unsigned track = taglib_tag_track(tag); track != 0) {
			snprintf(buf, sizeof buf, "%3i", static_cast<int>(track));
			mi->cinfo[CINFO_TRACK] = buf;
		}
		if (unsigned year = taglib_tag_year(tag); year != 0) {
			snprintf(buf, sizeof buf, "%i", static_cast<int>(year));
			mi->cinfo[CINFO_YEAR] = buf;
		}
	}

	// A file without audio properties has an unknown length.
	if (const TagLib_AudioProperties *props = tf.properties(); props != nullptr)
		mi->length = taglib_audioproperties_length(props);
	mi->cinfo[CINFO_LENGTH] = mi_length_text(mi->length);
	mi->last_updated = time(nullptr);
	return mi;
}

} // namespace

mi_ptr mi_extract(const std::string &path)
{
	char resolved[PATH_MAX];
	if (realpath(path.c_str(), resolved) == nullptr)
		fatal_sys("mi_extract: realpath failed to resolve '%s'", path.c_str());
	return extract_from(resolved, nullptr);
}

mi_ptr mi_extract_resolved(const std::string &path, bool &unresolvable, int *open_error)
{
	char resolved[PATH_MAX];
	unresolvable = realpath(path.c_str(), resolved) == nullptr;
	if (unresolvable) {
		if (open_error != nullptr)
			*open_error = errno;
		return nullptr;
	}
	return extract_from(resolved, open_error);
}

mi_ptr mi_extract_file(const std::string &resolved, int *open_error)
{
	return extract_from(resolved, open_error);
}

void mi_sanitize(meta_info &mi)
{
	if (text_utf8_locale()) {
		for (auto &text : mi.cinfo)
			if (text)
				*text = text_sanitize(*text);
		mi_texts_changed(mi);
		return;
	}
	// Only the printable ASCII bytes, blank to tilde, can reach a terminal
	// of another character set without being taken for part of a control
	// sequence.
	for (auto &text : mi.cinfo) {
		if (!text)
			continue;
		for (char &c : *text) {
			auto byte = static_cast<unsigned char>(c);
			if (byte < 0x20 || byte > 0x7e)
				c = '?';
		}
	}
	mi_texts_changed(mi);
}
