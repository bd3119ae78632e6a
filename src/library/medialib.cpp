#include "library/medialib.h"

#include "base/error.h"
#include "playlist/playlist_file.h"

medialib_state medialib;

meta_info *medialib_adopt(mi_ptr mi)
{
	medialib.records.push_back(std::move(mi));
	return medialib.records.back().get();
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
