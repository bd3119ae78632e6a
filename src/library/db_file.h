// The database file: its header and records, the reader and writer of the
// library, and the comma-separated dump.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

#include "meta/meta_info.h"

constexpr const char DB_MAGIC[] = "korvane";
constexpr int DB_VERSION_MAJOR = 2;
constexpr int DB_VERSION_MINOR = 1;
constexpr int DB_VERSION_PATCH = 0;
constexpr size_t DB_TEXT_MAX = 65535;

// Writes one record in the database format; false on a stream error.
bool mi_fwrite(const meta_info &mi, FILE *f);
// Reads one record; the caller looks at the stream's state afterwards.
void mi_fread(meta_info &mi, FILE *f);
// Writes the 19-byte header; false on a stream error.
bool medialib_db_write_header(FILE *f);
// Reads the database into the (empty) library and sorts it by file name;
// fatal when it cannot.
void medialib_db_load(const std::string &path);
// As medialib_db_load, but false with a message in error when the file
// cannot be read, is not a korvane database or is of another version.
bool medialib_db_try_load(const std::string &path, std::string &error);
// Replaces the database file with the library's records.
void medialib_db_save(const std::string &path);
// Prints the library as comma-separated text.
void medialib_db_flush(FILE *out, const char *time_format);
