// Helpers for tests that build database files and libraries in memory.
#pragma once

#include <sys/time.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <initializer_list>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "library/db_file.h"
#include "library/medialib.h"

// A record with the given file name and texts (absent where the pointer is null).
inline mi_ptr make_record(const std::string &filename,
                          std::initializer_list<const char *> texts = {}, int32_t length = 0,
                          int64_t last_updated = 0, bool is_url = false)
{
	mi_ptr mi = mi_new();
	mi->filename = filename;
	int i = 0;
	for (const char *t : texts) {
		if (t != nullptr)
			mi->cinfo[i] = std::string(t);
		i++;
	}
	mi->length = length;
	mi->last_updated = last_updated;
	mi->is_url = is_url;
	return mi;
}

// The bytes of a database file holding the records in this order.
inline std::string db_bytes(const std::vector<const meta_info *> &records)
{
	char *buf = nullptr;
	size_t size = 0;
	FILE *f = open_memstream(&buf, &size);
	medialib_db_write_header(f);
	for (const meta_info *mi : records)
		mi_fwrite(*mi, f);
	fclose(f);
	std::string bytes(buf, size);
	free(buf);
	return bytes;
}

// The path with every link resolved; empty when it does not resolve.
inline std::string resolved(const std::string &path)
{
	char buf[PATH_MAX];
	return realpath(path.c_str(), buf) ? buf : "";
}

// Sets a file's access and modification times.
inline void set_mtime(const std::string &path, time_t when)
{
	timeval tv[2] = { { when, 0 }, { when, 0 } };
	ASSERT_EQ(utimes(path.c_str(), tv), 0) << path;
}
