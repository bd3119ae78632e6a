// The database file: header, records, and the load and save of the library.
#include "library/db_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "base/file_replace.h"
#include "base/owners.h"
#include "base/term_text.h"
#include "library/db_lock.h"
#include "library/medialib.h"

namespace
{

constexpr size_t MAGIC_LEN = 7;

void put_le(unsigned char *p, uint64_t v, int bytes)
{
	for (int i = 0; i < bytes; i++)
		p[i] = static_cast<unsigned char>(v >> (8 * i));
}

uint64_t get_le(const unsigned char *p, int bytes)
{
	uint64_t v = 0;
	for (int i = bytes - 1; i >= 0; i--)
		v = (v << 8) | p[i];
	return v;
}

size_t stored_len(const std::optional<std::string> &text)
{
	return text ? std::min(text->size(), DB_TEXT_MAX) : 0;
}

// Reads count bytes into a text; the caller sees a short read on the
// stream. A text ends at its first NUL byte: no path or tag holds one, and
// a damaged file must not give names that print alike but compare apart.
std::string read_text(FILE *f, size_t count)
{
	std::string text(count, '\0');
	if (count > 0)
		fread_unlocked(text.data(), 1, count, f);
	text.resize(strnlen(text.data(), count));
	return text;
}

[[noreturn]] void old_version(const std::string &path, const int32_t version[3])
{
	printf("Loading korvane database: old database version detected.\n");
	const std::string shown = term_text(stdout, path);
	printf("\tExisting database at '%s' is of version %d.%d.%d\n", shown.c_str(), version[0],
	       version[1], version[2]);
	printf("\tThis version of korvane only works with version %d.%d.%d\n", DB_VERSION_MAJOR,
	       DB_VERSION_MINOR, DB_VERSION_PATCH);
	printf("Remove the existing database and rebuild by doing:\n");
	printf("\t$ rm %s\n", shown.c_str());
	printf("\t$ korvane -e init\n");
	printf("\t$ korvane -e add /path/to/music ...\n");
	fflush(stdout);
	exit(1);
}

// Sorts records by file name in byte order; records that share a name keep
// their file order. The names are gathered beside their positions first, so
// the comparisons do not chase each record.
void sort_by_filename(std::vector<meta_info *> &files)
{
	struct key {
		std::string_view name;
		size_t pos;
	};
	std::vector<key> keys;
	keys.reserve(files.size());
	for (size_t i = 0; i < files.size(); i++)
		keys.push_back({ *files[i]->filename, i });
	std::sort(keys.begin(), keys.end(), [](const key &a, const key &b) {
		int c = a.name.compare(b.name);
		return c != 0 ? c < 0 : a.pos < b.pos;
	});

	std::vector<meta_info *> sorted;
	sorted.reserve(files.size());
	for (const key &k : keys)
		sorted.push_back(files[k.pos]);
	files.swap(sorted);
}

} // namespace

bool mi_fwrite(const meta_info &mi, FILE *f)
{
	unsigned char table[18];
	put_le(table, stored_len(mi.filename), 2);
	for (int i = 0; i < MI_NUM_CINFO; i++)
		put_le(table + 2 + 2 * i, stored_len(mi.cinfo[i]), 2);
	fwrite_unlocked(table, 1, sizeof table, f);

	if (mi.filename)
		fwrite_unlocked(mi.filename->data(), 1, stored_len(mi.filename), f);
	for (const auto &text : mi.cinfo)
		if (text)
			fwrite_unlocked(text->data(), 1, stored_len(text), f);

	unsigned char tail[13];
	put_le(tail, static_cast<uint32_t>(mi.length), 4);
	put_le(tail + 4, static_cast<uint64_t>(mi.last_updated), 8);
	tail[12] = mi.is_url ? 1 : 0;
	fwrite_unlocked(tail, 1, sizeof tail, f);
	return !ferror_unlocked(f);
}

void mi_fread(meta_info &mi, FILE *f)
{
	unsigned char table[18] = {};
	if (fread_unlocked(table, 1, sizeof table, f) != sizeof table)
		return;

	mi.filename = read_text(f, get_le(table, 2));
	for (int i = 0; i < MI_NUM_CINFO; i++) {
		size_t count = get_le(table + 2 + 2 * i, 2);
		if (count != 0)
			mi.cinfo[i] = read_text(f, count);
	}

	unsigned char tail[13] = {};
	if (fread_unlocked(tail, 1, sizeof tail, f) != sizeof tail)
		return;
	mi.length = static_cast<int32_t>(get_le(tail, 4));
	mi.last_updated = static_cast<int64_t>(get_le(tail + 4, 8));
	mi.is_url = tail[12] != 0;
}

bool medialib_db_write_header(FILE *f)
{
	unsigned char header[MAGIC_LEN + 12];
	memcpy(header, DB_MAGIC, MAGIC_LEN);
	put_le(header + 7, DB_VERSION_MAJOR, 4);
	put_le(header + 11, DB_VERSION_MINOR, 4);
	put_le(header + 15, DB_VERSION_PATCH, 4);
	fwrite_unlocked(header, 1, sizeof header, f);
	return !ferror_unlocked(f);
}

namespace
{

// How a read of the database ended.
enum class db_read_end { loaded, unopened, not_korvane, other_version, read_failed, busy };

// Reads the database into the (empty) library and sorts it by file name.
// On a failure the system's error number is in error, and a wrong version
// in version (a number the file lacks shows as -1). Unless told to wait, a
// database that another korvane is changing is busy and not read.
db_read_end db_read(const std::string &path, int &error, int32_t version[3], bool wait = true)
{
	medialib_read_lock lock(path, wait);
	if (lock.busy())
		return db_read_end::busy;
	unique_file f(fopen(path.c_str(), "r"));
	if (!f) {
		error = errno;
		return db_read_end::unopened;
	}
	static char buf[1 << 16];
	setvbuf(f.get(), buf, _IOFBF, sizeof buf);

	char magic[MAGIC_LEN];
	if (fread_unlocked(magic, 1, MAGIC_LEN, f.get()) != MAGIC_LEN ||
	    memcmp(magic, DB_MAGIC, MAGIC_LEN) != 0)
		return db_read_end::not_korvane;

	// A file that ends inside the version counts as a wrong version.
	unsigned char vbytes[12] = {};
	size_t got = fread_unlocked(vbytes, 1, sizeof vbytes, f.get());
	for (size_t i = 0; i < 3; i++)
		version[i] =
		        got >= 4 * (i + 1) ? static_cast<int32_t>(get_le(vbytes + 4 * i, 4)) : -1;
	if (got != sizeof vbytes || version[0] != DB_VERSION_MAJOR ||
	    version[1] != DB_VERSION_MINOR || version[2] != DB_VERSION_PATCH)
		return db_read_end::other_version;

	playlist &lib = *medialib.library;
	for (;;) {
		int c = getc_unlocked(f.get());
		if (c == EOF)
			break;
		ungetc(c, f.get());

		mi_ptr mi = mi_new();
		mi_fread(*mi, f.get());
		if (ferror_unlocked(f.get()))
			break;
		if (feof_unlocked(f.get()))
			break;
		lib.files.push_back(medialib_adopt(std::move(mi)));
	}
	if (ferror_unlocked(f.get())) {
		error = errno;
		return db_read_end::read_failed;
	}

	sort_by_filename(lib.files);
	return db_read_end::loaded;
}

} // namespace

void medialib_db_load(const std::string &path)
{
	int error = 0;
	int32_t version[3];
	db_read_end end = db_read(path, error, version);
	errno = error;
	switch (end) {
	case db_read_end::loaded:
		return;
	case db_read_end::unopened:
		fatal_sys("medialib_db_load: failed to open database file '%s'",
		          term_text(stderr, path).c_str());
	case db_read_end::not_korvane:
		fatal("medialib_db_load: db file '%s' NOT a korvane database",
		      term_text(stderr, path).c_str());
	case db_read_end::other_version:
		old_version(path, version);
	case db_read_end::read_failed:
	case db_read_end::busy:
		fatal_sys("medialib_db_load: error loading database file '%s'",
		          term_text(stderr, path).c_str());
	}
}

bool medialib_db_try_load(const std::string &path, std::string &message)
{
	int error = 0;
	int32_t version[3];
	const std::string shown = term_escape(path);
	char text[256];
	switch (db_read(path, error, version, false)) {
	case db_read_end::loaded:
		return true;
	case db_read_end::busy:
		message = "database '" + shown +
		          "' is being changed by another korvane; try again when it is done";
		break;
	case db_read_end::unopened:
		message = "failed to open database file '" + shown + "': " + strerror(error);
		break;
	case db_read_end::not_korvane:
		message = "db file '" + shown + "' NOT a korvane database";
		break;
	case db_read_end::other_version:
		snprintf(text, sizeof text,
		         "' is of version %d.%d.%d; this version of korvane "
		         "only works with version %d.%d.%d",
		         version[0], version[1], version[2], DB_VERSION_MAJOR, DB_VERSION_MINOR,
		         DB_VERSION_PATCH);
		message = "database '" + shown + text;
		break;
	case db_read_end::read_failed:
		message = "error loading database file '" + shown + "': " + strerror(error);
		break;
	}
	return false;
}

void medialib_db_save(const std::string &path)
{
	file_replacer out;
	if (!out.open(path))
		fatal("medialib_db_save: failed to open database file '%s': %s",
		      term_text(stderr, path).c_str(), out.error().c_str());
	static char buf[1 << 16];
	setvbuf(out.stream(), buf, _IOFBF, sizeof buf);

	bool ok = medialib_db_write_header(out.stream());
	for (size_t i = 0; ok && i < medialib.library->files.size(); i++)
		ok = mi_fwrite(*medialib.library->files[i], out.stream());
	if (!ok) {
		out.abandon();
		fatal_sys("medialib_db_save: error saving database");
	}
	if (!out.commit())
		fatal("medialib_db_save: error saving database: %s", out.error().c_str());
}
