#include "playlist/recovery.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <initializer_list>

#include "playlist/playlist_file.h"

namespace
{

// A playlist that had a file of its own, and one that never had.
constexpr const char SAVED_EXT[] = ".playlist";
constexpr const char NEW_EXT[] = ".new";

bool ends_with(const std::string &s, const std::string &end)
{
	return s.size() > end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

// A name not yet taken among names: the playlist's own, or with "~2", "~3"...
std::string free_name(const std::string &name, const std::vector<std::string> &names)
{
	std::string candidate = name;
	for (int n = 2; std::find(names.begin(), names.end(), candidate) != names.end(); n++)
		candidate = name + "~" + std::to_string(n);
	return candidate;
}

// Writes p's entries to path as a playlist file, leaving out the names a
// playlist file cannot hold (those with a line break).
bool write_entries(const std::string &path, const playlist &p)
{
	playlist kept;
	kept.filename = path;
	for (meta_info *mi : p.files)
		if (mi->filename.value_or("").find_first_of("\n\r") == std::string::npos)
			kept.files.push_back(mi);
	std::string error;
	return playlist_try_save(kept, error);
}

} // namespace

std::string recovery_dir(const std::string &playlist_dir)
{
	return playlist_dir + "/.recovery";
}

std::vector<std::string> recovery_write(const std::string &playlist_dir,
                                        const std::vector<const playlist *> &unsaved)
{
	const std::string dir = recovery_dir(playlist_dir);
	std::vector<std::string> names = recovery_list(playlist_dir);
	std::vector<std::string> written;
	if (unsaved.empty() || (mkdir(dir.c_str(), 0700) == -1 && errno != EEXIST))
		return written;
	for (const playlist *p : unsaved) {
		const std::string name = free_name(p->name.value_or("untitled"), names);
		const char *ext = p->filename ? SAVED_EXT : NEW_EXT;
		if (!write_entries(dir + "/" + name + ext, *p))
			continue;
		names.push_back(name);
		written.push_back(name);
	}
	return written;
}

std::vector<std::string> recovery_list(const std::string &playlist_dir)
{
	std::vector<std::string> names;
	const std::string dir = recovery_dir(playlist_dir);
	DIR *d = opendir(dir.c_str());
	if (d == nullptr)
		return names;
	while (dirent *e = readdir(d)) {
		const std::string file = e->d_name;
		if (file[0] == '.')
			continue;
		if (ends_with(file, SAVED_EXT))
			names.push_back(file.substr(0, file.size() - (sizeof SAVED_EXT - 1)));
		else if (ends_with(file, NEW_EXT))
			names.push_back(file.substr(0, file.size() - (sizeof NEW_EXT - 1)));
	}
	closedir(d);
	std::sort(names.begin(), names.end());
	return names;
}

recovery_file recovery_find(const std::string &playlist_dir, const std::string &name)
{
	const std::string base = recovery_dir(playlist_dir) + "/" + name;
	struct stat st;
	for (bool had_file : { true, false }) {
		std::string path = base + (had_file ? SAVED_EXT : NEW_EXT);
		if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
			return { path, had_file };
	}
	return {};
}
