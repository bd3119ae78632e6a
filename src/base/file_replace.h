// Replacing a file whole: the new content goes to a temporary file beside
// the target, is flushed to disk and then renamed over it, so a failure at
// any point leaves the old file as it was. A file is never rewritten in
// place: when its directory is not writable the replacement is refused.
#pragma once

#include <cstdio>
#include <string>

// What the temporary file's name adds to the target's base name: a '.'
// before it and ".XXXXXX" after it.
constexpr size_t FILE_REPLACE_NAME_EXTRA = 8;

// The environment variable, read only by tests, that holds a delay in
// milliseconds (at most 10000) before each temporary file is synced; it
// widens the moment in which a test's kill finds a save half done.
constexpr const char FILE_REPLACE_DELAY_VARIABLE[] = "KORVANE_TEST_FSYNC_DELAY_MS";

class file_replacer
{
public:
	file_replacer() = default;
	file_replacer(const file_replacer &) = delete;
	file_replacer &operator=(const file_replacer &) = delete;
	~file_replacer();

	// Creates the temporary file for path (following symbolic links to the
	// file they name) and removes the ones a killed earlier replacement of
	// the same file left behind. With keep_extension the temporary name
	// ends in the target's extension, for readers that tell a format by the
	// name. False with errno set on failure, also when the file exists and
	// may not be written, or when its directory may not be written (EACCES).
	bool open(const std::string &path, bool keep_extension = false);
	FILE *stream() const { return fp; }
	const std::string &temp_path() const { return temp; }
	// Flushes, syncs and renames the temporary file over the target, with
	// the target's permissions and owner, then syncs the directory. False
	// with errno set on failure; the temporary file is then removed.
	bool commit();

	// Removes the temporary file, keeping errno, before a failure is reported.
	void abandon();
	// The cause of the last failure of open or commit: the system's error
	// text, or why the directory refused the replacement.
	const std::string &error() const { return cause; }

private:
	void discard();
	bool fail(int error);

	FILE *fp = nullptr;
	std::string target;
	std::string temp;
	std::string cause;
};

// The directory part of path: "." for a bare name, "/" for a name in the root.
std::string file_dir_of(const std::string &path);
// Syncs the directory holding path, so that a rename or removal in it lasts
// a crash. False with errno set on failure.
bool file_sync_dir(const std::string &path);
