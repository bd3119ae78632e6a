// The playlist file loader: the bytes are a playlist file, read against a
// small library. Every line must give one entry, the library's record when
// the name is there and a placeholder of that name when not; saving the
// playlist and loading the file again must give the same names.
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "fuzz_util.h"
#include "playlist/playlist_file.h"

namespace
{

// The library, sorted by file name as the loader needs it.
const std::vector<meta_info *> &library()
{
	static std::deque<mi_ptr> records;
	static const std::vector<meta_info *> files = [] {
		std::vector<meta_info *> sorted;
		for (const char *name :
		     { "", "/m/a b.ogg", "/m/a.ogg", "/m/b\\c.mp3", "/m/\xc3\xa9t\xc3\xa9.flac",
		       "http://example.org/stream" }) {
			records.push_back(mi_new());
			records.back()->filename = name;
			sorted.push_back(records.back().get());
		}
		return sorted;
	}();
	return files;
}

// The names a playlist file holds, as the loader reads them.
std::vector<std::string> expected_names(std::string_view bytes)
{
	std::vector<std::string> names;
	std::vector<std::string_view> lines = fuzz_split(bytes, '\n');
	if (lines.back().empty())
		lines.pop_back();
	for (std::string_view line : lines)
		names.emplace_back(line.substr(0, line.find('\0')));
	return names;
}

std::vector<std::string> names_of(const playlist &p)
{
	std::vector<std::string> names;
	for (const meta_info *mi : p.files)
		names.push_back(*mi->filename);
	return names;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	const std::string_view bytes(reinterpret_cast<const char *>(data), size);
	static const std::string path = fuzz_temp_dir() + "/fuzzed.playlist";
	static const std::string copy = fuzz_temp_dir() + "/copy.playlist";
	fuzz_write_file(path, bytes);

	std::deque<mi_ptr> placeholders;
	playlist_ptr p = playlist_load(path, library(), placeholders);
	FUZZ_CHECK(p->name == "fuzzed");
	FUZZ_CHECK(names_of(*p) == expected_names(bytes));
	size_t missing = 0;
	for (const meta_info *mi : p->files) {
		bool known = false;
		for (const meta_info *l : library())
			known = known || l == mi;
		bool named = false;
		for (const meta_info *l : library())
			named = named || *l->filename == *mi->filename;
		FUZZ_CHECK(known == named);
		missing += known ? 0 : 1;
	}
	FUZZ_CHECK(placeholders.size() == missing);

	p->filename = copy;
	playlist_save(*p);
	std::deque<mi_ptr> again_placeholders;
	playlist_ptr again = playlist_load(copy, library(), again_placeholders);
	FUZZ_CHECK(names_of(*again) == names_of(*p));
	return 0;
}
