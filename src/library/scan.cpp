// The scan: adding, refreshing and dropping the records of the files met by
// directory walks.
#include <fts.h>
#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/error.h"
#include "base/owners.h"
#include "base/term_text.h"
#include "library/db_file.h"
#include "library/maintenance.h"
#include "library/medialib.h"
#include "meta/mi_extract.h"

namespace
{

// Where each file name sits in the library during a scan. A record the scan
// removes keeps its place, marked by a null entry, until the library is
// compacted at the end, so no position ever moves. A name held by several
// records maps to the last of them, the one a lookup must find, and each
// record remembers the one of the same name before it, which takes over
// when it is removed. Keys point into the records' own file names: records
// stay alive while the library is loaded, even after they leave it.
class library_index
{
public:
	explicit library_index(const playlist &lib) : lib(lib)
	{
		last_of.reserve(lib.files.size() * 2);
		earlier.reserve(lib.files.size());
		for (int i = 0; i < lib.nfiles(); i++)
			add(i);
	}

	// The position of the last record named name, or -1.
	int find(std::string_view name) const
	{
		auto it = last_of.find(name);
		return it == last_of.end() ? -1 : it->second;
	}

	// The record at the end of the library was just appended.
	void appended() { add(lib.nfiles() - 1); }

	// The record at pos, which find gave for name, was marked removed.
	void removed(int pos, std::string_view name)
	{
		auto it = last_of.find(name);
		if (earlier[pos] == -1)
			last_of.erase(it);
		else
			it->second = earlier[pos];
	}

private:
	void add(int pos)
	{
		const auto &name = lib.files[pos]->filename;
		auto [it, fresh] = last_of.try_emplace(
		        name ? std::string_view(*name) : std::string_view(), pos);
		earlier.push_back(fresh ? -1 : std::exchange(it->second, pos));
	}

	const playlist &lib;
	std::unordered_map<std::string_view, int> last_of;
	std::vector<int> earlier; // by position: the record of the same name before it, or -1
};

struct scan_counts {
	int added = 0, updated = 0, removed = 0, unchanged = 0, no_info = 0, errors = 0;
	int dirs_skipped = 0;
};

// What realpath would make of the walk's paths, for less: each directory is
// resolved once, when the walk enters it, and a file in it that is not a
// symbolic link itself resolves to that and its own name. realpath costs a
// readlink for every component of the path; this costs one lstat.
class walk_resolver
{
public:
	void entered(const FTSENT *dir)
	{
		char buf[PATH_MAX];
		dirs.resize(dir->fts_level);
		if (realpath(dir->fts_path, buf) != nullptr)
			dirs.emplace_back(buf);
		else
			dirs.emplace_back();
	}

	// False, with errno set, when the file's path cannot be resolved.
	bool resolve(const FTSENT *file, char out[PATH_MAX]) const
	{
		size_t level = file->fts_level;
		const std::optional<std::string> *dir =
		        level > 0 && level <= dirs.size() ? &dirs[level - 1] : nullptr;
		struct stat st;
		if (dir != nullptr && *dir && (*dir)->size() + 1 + file->fts_namelen < PATH_MAX &&
		    lstat(file->fts_path, &st) == 0 && !S_ISLNK(st.st_mode)) {
			const std::string &base = **dir;
			size_t len = base == "/" ? 0 : base.size();
			memcpy(out, base.data(), len);
			out[len] = '/';
			memcpy(out + len + 1, file->fts_name, file->fts_namelen + 1);
			return true;
		}
		return realpath(file->fts_path, out) != nullptr;
	}

private:
	// The resolved path of each directory on the way down, by level; none
	// where realpath failed.
	std::vector<std::optional<std::string>> dirs;
};

// One progress line: the mark and the path as the walk found it.
void report(char mark, const char *path)
{
	printf("%c %s\n", mark, term_text(stdout, path).c_str());
}

// Whether name holds a line break, which a playlist file (one name a line)
// cannot hold.
bool has_line_break(std::string_view name)
{
	return name.find_first_of("\n\r") != std::string_view::npos;
}

// Adds, refreshes or drops the record of one regular file met by the walk.
void scan_file(const FTSENT *e, const walk_resolver &resolver, library_index &index, scan_counts &n)
{
	playlist &lib = *medialib.library;
	const char *path = e->fts_path;

	// A file that went away, or whose path grew too long to resolve, since
	// the walk saw it cannot be examined: it is reported, not fatal.
	char resolved[PATH_MAX];
	if (!resolver.resolve(e, resolved)) {
		report('?', path);
		n.errors++;
		return;
	}
	if (has_line_break(resolved)) {
		warn_msg(
		        "skipping '%s': a file name with a line break cannot be kept in a playlist",
		        term_escape(path).c_str());
		n.errors++;
		return;
	}

	int pos = index.find(resolved);
	if (pos != -1 && e->fts_statp->st_mtime <= lib.files[pos]->last_updated) {
		report('.', path);
		n.unchanged++;
		return;
	}

	// The path was resolved just now; resolving it again would only double
	// the cost of every new file. A file that is gone, may not be read or
	// is no longer a regular file is an error like the ones above, not a
	// file without tags, and a record it has stays.
	int open_error = 0;
	mi_ptr fresh = mi_extract_file(resolved, &open_error);
	if (open_error != 0) {
		report('?', path);
		n.errors++;
		return;
	}

	if (pos != -1) {
		// The fresh record carries the same name, resolved, so the index
		// stays as it is when it takes the old one's place.
		if (fresh) {
			mi_sanitize(*fresh);
			playlist_file_replace(lib, pos, medialib_adopt(std::move(fresh)));
			report('u', path);
			n.updated++;
		} else {
			lib.files[pos] = nullptr;
			index.removed(pos, resolved);
			report('-', path);
			n.removed++;
		}
	} else if (fresh) {
		mi_sanitize(*fresh);
		playlist_file_append(lib, medialib_adopt(std::move(fresh)), false);
		index.appended();
		report('+', path);
		n.added++;
	} else {
		report('s', path);
		n.no_info++;
	}
}

} // namespace

bool medialib_db_scan_dirs(char *const paths[])
{
	bool all_found = true;
	fts_walk walk(fts_open(paths, FTS_LOGICAL | FTS_NOCHDIR, nullptr));
	if (!walk)
		fatal_sys("medialib_db_scan_dirs: fts_open failed");

	library_index index(*medialib.library);
	walk_resolver resolver;
	scan_counts n;
	while (FTSENT *e = fts_read(walk.get())) {
		switch (e->fts_info) {
		case FTS_D:
			printf("Checking Directory: %s\n", term_text(stdout, e->fts_path).c_str());
			resolver.entered(e);
			break;
		case FTS_DNR:
			printf("Directory '%s' Unreadable\n",
			       term_text(stdout, e->fts_path).c_str());
			n.dirs_skipped++;
			break;
		case FTS_ERR:
		case FTS_NS:
			report('?', e->fts_path);
			n.errors++;
			if (e->fts_level == FTS_ROOTLEVEL &&
			    (e->fts_errno == ENOENT || e->fts_errno == ENOTDIR))
				all_found = false;
			break;
		case FTS_F:
			scan_file(e, resolver, index, n);
			break;
		default:
			break;
		}
	}

	if (walk.close() == -1)
		fatal_sys("medialib_db_scan_dirs: failed to close file heirarchy");

	// The records removed during the walk leave the library in one pass.
	std::erase(medialib.library->files, nullptr);
	medialib_db_save(medialib.db_file);

	printf("--------------------------------------------------\n");
	printf("Results of scanning directories...\n");
	printf("(+) %9d files added\n", n.added);
	printf("(u) %9d files updated\n", n.updated);
	printf("(-) %9d files removed (was in DB, but no longer has meta-info)\n", n.removed);
	printf("(.) %9d files skipped (in DB, file unchanged since last checked)\n", n.unchanged);
	printf("(s) %9d files skipped (no info)\n", n.no_info);
	printf("(?) %9d files skipped (other error)\n", n.errors);
	printf("    %9d directories skipped (couldn't read)\n", n.dirs_skipped);
	return all_found;
}
