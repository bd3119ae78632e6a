// The commands on the set of playlists and the program: new, playlist, q,
// reload and w.

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <optional>

#include "base/file_replace.h"
#include "commands/cmd.h"
#include "base/loop_flags.h"
#include "playlist/ybuffer.h"
#include "library/medialib.h"
#include "player/player.h"
#include "playlist/playlist_file.h"
#include "playlist/recovery.h"
#include "screen/message.h"
#include "screen/paint.h"
#include "screen/ui.h"

namespace
{

constexpr const char PLAYLIST_EXT[] = ".playlist";

// Whether name can be a file in the playlists directory, where the next
// start finds it; shows why not.
bool check_playlist_name(const std::string &name)
{
	if (name.empty()) {
		paint_error("a playlist name may not be empty");
		return false;
	}
	if (name.find('/') != std::string::npos) {
		paint_error("playlist name \"%s\" may not hold \"/\"", name.c_str());
		return false;
	}
	// The file name would end at the byte (and be the directory itself
	// when the name begins with one).
	if (name.find('\0') != std::string::npos) {
		paint_error("playlist name \"%s\" may not hold a NUL byte", name.c_str());
		return false;
	}
	// The file and the temporary file it is saved through must both be
	// names the system takes.
	if (name.size() > NAME_MAX - (sizeof PLAYLIST_EXT - 1) - FILE_REPLACE_NAME_EXTRA) {
		paint_error("playlist name \"%s\" is too long", name.c_str());
		return false;
	}
	return true;
}

std::string playlist_file_of(const std::string &name)
{
	return medialib.playlist_dir + "/" + name + PLAYLIST_EXT;
}

// Moves everything that shows or plays old over to its replacement, which
// also takes its history when it is a copy of the viewed playlist.
void replace_playlist(playlist *old, playlist *copy)
{
	if (viewing_playlist == old) {
		copy->history = std::move(old->history);
		copy->hist_present = old->hist_present;
		viewing_playlist = copy;
	}
	if (playing_playlist == old)
		playing_playlist = copy;
	if (player_info.queue == old)
		player_queue_moved(copy);
}

// A file in the playlists directory that no loaded playlist stands for
// (written by a script or another instance) is not overwritten unasked.
bool unloaded_file_exists(const std::string &file)
{
	for (const playlist_ptr &p : medialib.playlists)
		if (p->filename == file)
			return false;
	struct stat st;
	return lstat(file.c_str(), &st) == 0;
}

// Saves p, showing why not when it cannot be; p stays as it was then.
bool save_or_say(const playlist &p)
{
	std::string error;
	if (playlist_try_save(p, error))
		return true;
	paint_error("%s", error.c_str());
	return false;
}

// A database that cannot be read leaves the library as it was.
int reload_db()
{
	const std::string db = medialib.db_file, dir = medialib.playlist_dir;
	std::string error;
	if (!medialib_try_load(db, dir, error)) {
		ui_clear();
		paint_error("reload db: %s; the library is as it was", error.c_str());
		return 5;
	}
	// The records the player, the yank buffer and the windows pointed to
	// are released now.
	ybuffer_clear();
	player_stop();
	playing_playlist = nullptr;
	player_set_queue(nullptr, -1);
	viewing_playlist = nullptr;
	show_playlist(medialib.library);
	ui.library.voffset = 0;
	ui.library.crow = 0;
	// The load may have warned on the terminal behind the screen's back.
	ui_clear();
	return 0;
}

} // namespace

const cmd_config_reader *config_reader = nullptr;

int cmd_new(const std::vector<std::string> &argv)
{
	std::string name = "untitled";
	std::optional<std::string> filename;
	if (argv.size() == 2) {
		name = argv[1];
		if (!check_playlist_name(name))
			return 3;
		for (const playlist_ptr &p : medialib.playlists) {
			if (p->name == name) {
				paint_error("playlist \"%s\" already exists.", name.c_str());
				return 2;
			}
		}
		filename = playlist_file_of(name);
		if (unloaded_file_exists(*filename)) {
			paint_error("playlist file \"%s\" already exists (\"w! %s\" replaces it)",
			            filename->c_str(), name.c_str());
			return 4;
		}
	}

	playlist_ptr p = playlist_new();
	p->needs_saving = true;
	p->filename = filename;
	p->name = name;
	const playlist &added = *p;
	medialib_playlist_add(std::move(p));
	paint_library();
	// Not saved, it is still there, unsaved, to be written elsewhere.
	if (added.filename && !save_or_say(added))
		return 5;
	paint_message("playlist \"%s\" added", name.c_str());
	return 0;
}

int cmd_playlist(const std::vector<std::string> &argv)
{
	const std::string &prefix = argv[1];
	playlist *found = nullptr;
	// A name given whole wins over the longer names it begins.
	for (const playlist_ptr &p : medialib.playlists)
		if (p->name == prefix && found == nullptr)
			found = p.get();
	for (const playlist_ptr &p : medialib.playlists) {
		if (found != nullptr && found->name == prefix)
			break;
		if (p->name.value_or("").compare(0, prefix.size(), prefix) != 0)
			continue;
		if (found != nullptr) {
			paint_error("no unique match for: %s", prefix.c_str());
			return 0;
		}
		found = p.get();
	}
	if (found == nullptr) {
		paint_error("no match for: %s", prefix.c_str());
		return 0;
	}

	show_playlist(found);
	ui.active = &ui.playlist;
	paint_all();
	paint_message("jumped to playlist: %s", found->name.value_or("").c_str());
	return 0;
}

std::vector<const playlist *> cmd_unsaved_playlists()
{
	std::vector<const playlist *> unsaved;
	for (const playlist_ptr &p : medialib.playlists)
		if (p->needs_saving && p.get() != medialib.library && p.get() != medialib.filter_results)
			unsaved.push_back(p.get());
	return unsaved;
}

int cmd_quit(const std::vector<std::string> &argv)
{
	if (argv[0] != "q!") {
		std::string names;
		for (const playlist *p : cmd_unsaved_playlists())
			names += (names.empty() ? "" : ", ") + p->name.value_or("untitled");
		if (!names.empty()) {
			paint_error("there are playlists with unsaved changes (%s).  use \"q!\" to "
			            "force.",
			            names.c_str());
			return 2;
		}
	}
	request_quit();
	return 0;
}

int cmd_salvage(const std::vector<std::string> &argv)
{
	const std::string &name = argv[1];
	// Only a name the recovery directory lists: nothing outside it is read
	// or removed.
	const std::vector<std::string> kept = recovery_list(medialib.playlist_dir);
	const recovery_file found = std::find(kept.begin(), kept.end(), name) != kept.end()
	                                    ? recovery_find(medialib.playlist_dir, name)
	                                    : recovery_file{};
	if (found.path.empty() || !check_playlist_name(name)) {
		paint_error("no playlist \"%s\" to salvage", name.c_str());
		return 2;
	}
	std::string error;
	playlist_ptr p =
	        playlist_try_load(found.path, medialib.library->files, medialib.records, error);
	if (!p) {
		paint_error("%s", error.c_str());
		return 3;
	}
	p->name = name;
	p->filename = found.had_file ? std::optional(playlist_file_of(*p->name)) : std::nullopt;
	p->needs_saving = true;
	const int nfiles = p->nfiles();
	// A playlist still loaded from the same file takes the recovered
	// entries in place, so whatever shows or plays it goes on; its file
	// stays as it is until it is written.
	playlist *loaded = nullptr;
	for (const playlist_ptr &q : medialib.playlists)
		if (found.had_file && q->filename == p->filename)
			loaded = q.get();
	// Its own unsaved changes would be lost.
	if (loaded != nullptr && loaded->needs_saving) {
		paint_error("playlist \"%s\" has unsaved changes: write them first", name.c_str());
		return 4;
	}
	if (loaded != nullptr) {
		const player_queue_guard follow(loaded);
		loaded->files = std::move(p->files);
		loaded->history = playlist_history_new();
		loaded->hist_present = -1;
		loaded->needs_saving = true;
		if (loaded == viewing_playlist)
			swindow_normalise(ui.playlist);
	} else {
		medialib_playlist_add(std::move(p));
	}
	unlink(found.path.c_str());
	// Reading it may have warned on the terminal behind the screen's back.
	ui_clear();
	paint_message("playlist \"%s\" recovered, %d files, not yet saved", name.c_str(), nfiles);
	return 0;
}

int cmd_reload(const std::vector<std::string> &argv)
{
	if (cmd_keyword(argv[1], "db"))
		return reload_db();
	if (cmd_keyword(argv[1], "conf")) {
		// The file would run itself again without end.
		if (config_reader == nullptr || config_reader->is_loading()) {
			paint_error("%s: the configuration file is already being read",
			            argv[0].c_str());
			return 4;
		}
		return config_reader->reload() == 0 ? 0 : 3;
	}
	return cmd_usage(cmd_reload, argv, 2);
}

int cmd_write(const std::vector<std::string> &argv)
{
	const bool forced = argv[0] == "w!";
	playlist *viewed = viewing_playlist;

	if (argv.size() == 1) {
		if (viewed == medialib.library || viewed == medialib.filter_results) {
			paint_error(
			        "use \"w name\" when saving psuedo-playlists like library/filter");
			return 2;
		}
		if (!viewed->filename) {
			paint_error("use \"w name\" for new playlists");
			return 3;
		}
		if (!save_or_say(*viewed))
			return 6;
		viewed->needs_saving = false;
		paint_library();
		paint_message("\"%s\" %d songs written", viewed->filename->c_str(),
		              viewed->nfiles());
		return 0;
	}

	const std::string &name = argv[1];
	if (!check_playlist_name(name))
		return 5;
	const std::string file = playlist_file_of(name);
	int found = -1;
	for (int i = 0; i < medialib.nplaylists(); i++)
		if (medialib.playlists[i]->filename == file)
			found = i;
	if (found >= 0 && !forced) {
		paint_error("playlist with that name exists (use \"w!\" to overwrite)");
		return 4;
	}
	if (!forced && unloaded_file_exists(file)) {
		paint_error("playlist file \"%s\" exists (use \"w!\" to overwrite)", file.c_str());
		return 4;
	}

	// The new file is in place before the old entry goes, so that a
	// failure or a kill in between leaves the old playlist or the new one.
	playlist_ptr copy = playlist_dup(*viewed, file, name);
	playlist &saved = *copy;
	if (!save_or_say(saved))
		return 6;
	if (found >= 0) {
		replace_playlist(medialib.playlists[found].get(), &saved);
		medialib_playlist_forget(found);
	}
	medialib_playlist_add(std::move(copy));
	saved.needs_saving = false;
	viewing_playlist->needs_saving = false;

	paint_library();
	paint_message("\"%s\" %d songs written", file.c_str(), viewing_playlist->nfiles());
	return 0;
}
