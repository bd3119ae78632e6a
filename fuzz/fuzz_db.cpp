// The database reader. The bytes are records: read one by one from memory by
// mi_fread, and as the body of a database file, after a good header, by
// medialib_db_load. A bad header or version ends the program by design, so
// the file target always has a good one. The library read must be in file
// name order, and writing it out and reading that back must give the same
// records and the same bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz_util.h"
#include "library/db_file.h"
#include "library/medialib.h"

namespace
{

// The bytes a stream writer produced.
class memory_stream
{
public:
	memory_stream() : f(open_memstream(&buf, &size)) { FUZZ_CHECK(f != nullptr); }
	~memory_stream()
	{
		if (f != nullptr)
			fclose(f);
		free(buf);
	}
	memory_stream(const memory_stream &) = delete;
	memory_stream &operator=(const memory_stream &) = delete;

	FILE *stream() { return f; }
	std::string bytes()
	{
		FUZZ_CHECK(fflush(f) == 0);
		return std::string(buf, size);
	}

private:
	char *buf = nullptr;
	size_t size = 0;
	FILE *f;
};

// The records of bytes as mi_fread gives them, up to the first short one.
std::vector<mi_ptr> read_records(const std::string &bytes)
{
	std::vector<mi_ptr> records;
	if (bytes.empty())
		return records;
	FILE *f = fmemopen(const_cast<char *>(bytes.data()), bytes.size(), "r");
	FUZZ_CHECK(f != nullptr);
	for (;;) {
		mi_ptr mi = mi_new();
		mi_fread(*mi, f);
		if (ferror(f) || feof(f))
			break;
		records.push_back(std::move(mi));
		int c = getc(f);
		if (c == EOF)
			break;
		ungetc(c, f);
	}
	fclose(f);
	return records;
}

std::string write_records(const std::vector<meta_info *> &records)
{
	memory_stream out;
	for (const meta_info *mi : records)
		FUZZ_CHECK(mi_fwrite(*mi, out.stream()));
	return out.bytes();
}

// An empty text and a missing one are stored alike.
bool same_record(const meta_info &a, const meta_info &b)
{
	if (a.filename.value_or("") != b.filename.value_or(""))
		return false;
	for (int i = 0; i < MI_NUM_CINFO; i++)
		if (a.cinfo[i].value_or("") != b.cinfo[i].value_or(""))
			return false;
	return a.length == b.length && a.last_updated == b.last_updated && a.is_url == b.is_url;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	const std::string body(reinterpret_cast<const char *>(data), size);
	read_records(body);

	static const std::string path = fuzz_temp_dir() + "/korvane.db";
	memory_stream header;
	FUZZ_CHECK(medialib_db_write_header(header.stream()));
	fuzz_write_file(path, header.bytes() + body);

	medialib_new_state();
	medialib_db_load(path);
	const std::vector<meta_info *> &files = medialib.library->files;
	for (size_t i = 0; i < files.size(); i++) {
		FUZZ_CHECK(files[i]->filename.has_value());
		if (i > 0)
			FUZZ_CHECK(*files[i - 1]->filename <= *files[i]->filename);
	}

	const std::string written = write_records(files);
	std::vector<mi_ptr> again = read_records(written);
	FUZZ_CHECK(again.size() == files.size());
	std::vector<meta_info *> raw;
	for (size_t i = 0; i < again.size(); i++) {
		FUZZ_CHECK(same_record(*again[i], *files[i]));
		raw.push_back(again[i].get());
	}
	FUZZ_CHECK(write_records(raw) == written);
	medialib_destroy();
	return 0;
}
