// Helpers the fuzz targets share: a private directory for the files a target
// reads, and the lines of an input.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

inline void fuzz_remove_temp_dir();

// A directory of the process's own (in $TMPDIR, else in /dev/shm when there
// is one, since some targets sync what they write), made on first use and
// removed at exit.
inline const std::string &fuzz_temp_dir()
{
	static const std::string dir = [] {
		const char *tmp = getenv("TMPDIR");
		std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
		if (tmp != nullptr && *tmp)
			base = tmp;
		std::string pattern = base + "/korvane-fuzz.XXXXXX";
		if (mkdtemp(pattern.data()) == nullptr) {
			perror("mkdtemp");
			abort();
		}
		return pattern;
	}();
	// Registered after the name is made, so it runs before the name dies.
	static const int removal = atexit(fuzz_remove_temp_dir);
	(void)removal;
	return dir;
}

inline void fuzz_remove_temp_dir()
{
	std::error_code ec;
	std::filesystem::remove_all(fuzz_temp_dir(), ec);
}

// Replaces the file at path with the bytes; aborts when it cannot.
inline void fuzz_write_file(const std::string &path, std::string_view bytes)
{
	FILE *f = fopen(path.c_str(), "w");
	if (f == nullptr || fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() ||
	    fclose(f) != 0) {
		perror(path.c_str());
		abort();
	}
}

// The pieces of text between the separators (the last one may be empty).
inline std::vector<std::string_view> fuzz_split(std::string_view text, char separator)
{
	std::vector<std::string_view> pieces;
	for (;;) {
		size_t at = text.find(separator);
		pieces.push_back(text.substr(0, at));
		if (at == std::string_view::npos)
			return pieces;
		text.remove_prefix(at + 1);
	}
}

// Stops the run with a message when an expectation of the target fails, so
// that libFuzzer keeps the input.
#define FUZZ_CHECK(cond)                                                                           \
	do {                                                                                       \
		if (!(cond)) {                                                                     \
			fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond);   \
			abort();                                                                   \
		}                                                                                  \
	} while (0)
