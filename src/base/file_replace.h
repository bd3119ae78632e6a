// Replacing a file whole: the new content goes to a temporary file beside
// the target, is flushed to disk and then renamed over it, so a failure at
// any point leaves the old file as it was.
#pragma once

#include <cstdio>
#include <string>

// What the temporary file's name adds to the target's base name: a '.'
// before it and ".XXXXXX" after it.
constexpr size_t FILE_REPLACE_NAME_EXTRA = 8;

class file_replacer
{
public:
	file_replacer() = default;
	file_replacer(const file_replacer &) = delete;
	file_replacer &operator=(const file_replacer &) = delete;
	~file_replacer();

	// Creates the temporary file for path (following symbolic links to the
	// file they name). False with errno set on failure, also when the file
	// exists and may not be written.
	bool open(const std::string &path);
	FILE *stream() const { return fp; }
	// Flushes, syncs and renames the temporary file over the target, with
	// the target's permissions. False with errno set on failure; the
	// temporary file is then removed.
	bool commit();

	// Removes the temporary file, keeping errno, before a failure is reported.
	void abandon();

private:
	void discard();

	FILE *fp = nullptr;
	bool in_place = false; // the directory is not writable: no temporary file
	std::string target;
	std::string temp;
};
