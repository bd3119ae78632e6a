// The library state: the records, the pseudo-playlists and the registry of
// playlists.
#include "library/medialib.h"

#include <dirent.h>

#include <algorithm>
#include <cerrno>

#include "base/error.h"
#include "library/db_file.h"
#include "playlist/playlist_file.h"

medialib_state medialib;

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

bool medialib_try_load(const std::string &db_file, const std::string &playlist_dir,
                       std::string &error)
{
	// The loaded state waits aside; it comes back whole on a failure.
	medialib_state kept = std::move(medialib);
	medialib = medialib_state();
	medialib_new_state();
	medialib.db_file = db_file;
	medialib.playlist_dir = playlist_dir;

	bool loaded = medialib_db_try_load(db_file, error);
	for (const std::string &path :
	     loaded ? medialib_find_playlists(playlist_dir) : std::vector<std::string>()) {
		playlist_ptr p =
		        playlist_try_load(path, medialib.library->files, medialib.records, error);
		if (!p) {
			loaded = false;
			break;
		}
		medialib_playlist_add(std::move(p));
	}
	if (!loaded) {
		medialib = std::move(kept);
		return false;
	}
	for (auto &p : medialib.playlists)
		p->needs_saving = false;
	return true;
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
	// The directory is listed and the names matched here, not by a pattern:
	// a directory whose name holds pattern characters ("h[1]") would match
	// other directories instead. As with a pattern, hidden names do not
	// match, and a directory that cannot be read holds no playlists.
	std::vector<std::string> paths;
	DIR *d = opendir(dir.c_str());
	if (d == nullptr)
		return paths;
	const std::string_view ext = PLAYLIST_FILE_EXTENSION;
	errno = 0;
	while (const dirent *e = readdir(d)) {
		std::string_view name = e->d_name;
		if (name.size() > ext.size() && name[0] != '.' &&
		    name.substr(name.size() - ext.size()) == ext)
			paths.push_back(dir + "/" + std::string(name));
		errno = 0;
	}
	// A failure the system gives no error number for still leaves the
	// matches found so far.
	int error = errno;
	closedir(d);
	if (error != 0) {
		errno = error;
		fatal_sys("failed to glob playlists directory");
	}
	std::sort(paths.begin(), paths.end());
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

bool medialib_playlist_try_remove(int i, std::string &error)
{
	if (i < 0 || i >= medialib.nplaylists())
		fatal("medialib_playlist_remove: index %d out of range", i);
	if (!playlist_delete_file(*medialib.playlists[i], error))
		return false;
	playlist_free(std::move(medialib.playlists[i]));
	medialib.playlists.erase(medialib.playlists.begin() + i);
	return true;
}

void medialib_playlist_forget(int i)
{
	if (i < 0 || i >= medialib.nplaylists())
		fatal("medialib_playlist_forget: index %d out of range", i);
	playlist_free(std::move(medialib.playlists[i]));
	medialib.playlists.erase(medialib.playlists.begin() + i);
}
