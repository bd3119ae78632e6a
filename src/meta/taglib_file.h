// An open TagLib file, for the files that read and write tags. Closing it
// also releases every text the binding handed out, so no early return can
// leak them.
#pragma once

#include <tag_c.h>

class taglib_file
{
public:
	explicit taglib_file(const char *path) : file(taglib_file_new(path)) {}
	~taglib_file()
	{
		if (file != nullptr) {
			taglib_tag_free_strings();
			taglib_file_free(file);
		}
	}
	taglib_file(const taglib_file &) = delete;
	taglib_file &operator=(const taglib_file &) = delete;

	// Whether the file opened and is a media file TagLib understands.
	bool valid() const { return file != nullptr && taglib_file_is_valid(file); }
	TagLib_Tag *tag() const { return taglib_file_tag(file); }
	const TagLib_AudioProperties *properties() const
	{
		return taglib_file_audioproperties(file);
	}
	// Writes the tags into the file; false when TagLib could not.
	bool save() { return taglib_file_save(file) != 0; }

private:
	TagLib_File *file;
};
