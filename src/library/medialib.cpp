// The library state: the records, the pseudo-playlists and the registry of
// playlists.
#include "library/medialib.h"

#include <glob.h>

#include <cerrno>

#include "base/error.h"
#include "library/db_file.h"
#include "playlist/playlist_file.h"

medialib_state medialib;

namespace
{

// One glob(3) result, released when it dies.
class glob_result
{
public:
	glob_result() = default;
	glob_result(const glob_result &) = delete;
	glob_result &operator=(const glob_result &) = delete;
	~glob_result() { globfree(&g); }

	int run(const std::string &pattern) { return glob(pattern.c_str(), 0, nullptr, &g); }
	const glob_t &get() const { return g; }

private:
	glob_t g = {};
};

} // namespace

meta_info *medialib_adopt(mi_ptr mi)
{
	medialib.records.push_back(std::move(mi));
	return medialib.records.back().get();
}

int medialib_find(std::string_view filename)
{
	const playlist &lib = *medialib.library;
	for (int i = 0; i < lib.nfiles(); i++)
		if (lib.files[i]->filename && *lib.files[i]->filename == filename)
			return i;
	return -1;
}

void medialib_new_state()
{
	medialib_destroy();
	playlist_ptr library = playlist_new();
	library->name = "--LIBRARY--";
	playlist_ptr filter = playlist_new();
	filter->name = "--FILTER--";
	medialib.library = library.get();
	medialib.filter_results = filter.get();
	medialib.playlists.push_back(std::move(library));
	medialib.playlists.push_back(std::move(filter));
}

void medialib_load(const std::string &db_file, const std::string &playlist_dir)
{
	medialib_new_state();
	medialib.db_file = db_file;
	medialib.playlist_dir = playlist_dir;

	medialib_db_load(db_file);

	// Entries are looked up in the library, which the load left sorted by
	// file name.
	for (const std::string &path : medialib_find_playlists(playlist_dir))
		medialib_playlist_add(
		        playlist_load(path, medialib.library->files, medialib.records));

	for (auto &p : medialib.playlists)
		p->needs_saving = false;
}

void medialib_destroy()
{
	medialib.playlists.clear();
	medialib.library = nullptr;
	medialib.filter_results = nullptr;
	medialib.records.clear();
	medialib.db_file.clear();
	medialib.playlist_dir.clear();
}

std::vector<std::string> medialib_find_playlists(const std::string &dir)
{
	// A failure the system gives no error number for still leaves the
	// matches found so far.
	std::vector<std::string> paths;
	int rc, error;
	{
		const std::string pattern = dir + "/*.playlist";
		glob_result g;
		errno = 0;
		rc = g.run(pattern);
		error = errno;
		if (rc == 0 || rc == GLOB_ABORTED || rc == GLOB_NOSPACE)
			for (size_t i = 0; i < g.get().gl_pathc; i++)
				paths.emplace_back(g.get().gl_pathv[i]);
	}
	if (rc != 0 && rc != GLOB_NOMATCH && error != 0) {
		errno = error;
		fatal_sys("failed to glob playlists directory");
	}
	return paths;
}

void medialib_playlist_add(playlist_ptr p)
{
	medialib.playlists.push_back(std::move(p));
}

void medialib_playlist_remove(int i)
{
	if (i < 0 || i >= medialib.nplaylists())
		fatal("medialib_playlist_remove: index %d out of range", i);
	playlist_delete(std::move(medialib.playlists[i]));
	medialib.playlists.erase(medialib.playlists.begin() + i);
}
