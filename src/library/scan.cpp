// The batch maintenance of the database: adding files from directory walks
// and re-checking every record against its file.
#include <fts.h>
#include <sys/stat.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/error.h"
#include "library/medialib.h"
#include "meta/mi_extract.h"

namespace
{

// The records still in the library, by the slot each got when it was
// indexed (slots only grow, in library order): a Fenwick tree of live slots,
// so that a removal does not have to renumber every later record.
class live_slots
{
public:
	explicit live_slots(int n) : live(n, 1) { rebuild(std::max(n, 16)); }

	// A new live slot after all others.
	int add()
	{
		if (live.size() == cap)
			rebuild(2 * cap);
		live.push_back(1);
		bump(static_cast<int>(live.size()) - 1, 1);
		return static_cast<int>(live.size()) - 1;
	}

	void kill(int slot)
	{
		live[slot] = 0;
		bump(slot, -1);
	}

	// The library position of the record in slot: the live slots before it.
	int position(int slot) const
	{
		int sum = 0;
		for (size_t i = slot; i > 0; i &= i - 1)
			sum += tree[i];
		return sum;
	}

	// The slot of the record at library position pos.
	int slot_at(int pos) const
	{
		size_t at = 0;
		int rest = pos + 1;
		for (size_t step = std::bit_floor(cap); step > 0; step >>= 1)
			if (at + step <= cap && tree[at + step] < rest) {
				at += step;
				rest -= tree[at];
			}
		return static_cast<int>(at);
	}

private:
	void bump(int slot, int by)
	{
		for (size_t i = slot + 1; i <= cap; i += i & -i)
			tree[i] += by;
	}

	void rebuild(size_t capacity)
	{
		cap = capacity;
		tree.assign(cap + 1, 0);
		for (size_t i = 1; i <= cap; i++) {
			if (i <= live.size())
				tree[i] += live[i - 1];
			if (size_t up = i + (i & -i); up <= cap)
				tree[up] += tree[i];
		}
	}

	std::vector<char> live;
	std::vector<int> tree; // 1-based
	size_t cap = 0;
};

// Where each file name sits in the library. A name held by several records
// maps to the last of them, the one a lookup must find. Keys point into the
// records' own file names: records stay alive while the library is loaded,
// even after they leave it.
class library_index
{
public:
	explicit library_index(const playlist &lib) : lib(lib), slots(lib.nfiles())
	{
		slot_of.reserve(lib.files.size() * 2);
		for (int i = 0; i < lib.nfiles(); i++) {
			auto [it, fresh] = slot_of.try_emplace(name_at(i), i);
			if (!fresh) {
				it->second = i;
				duplicates = true;
			}
		}
	}

	// The position of the last record named name, or -1.
	int find(std::string_view name) const
	{
		auto it = slot_of.find(name);
		return it == slot_of.end() ? -1 : slots.position(it->second);
	}

	// The record at the end of the library was just appended.
	void appended()
	{
		int slot = slots.add();
		std::string_view name = name_at(lib.nfiles() - 1);
		auto [it, fresh] = slot_of.try_emplace(name, slot);
		if (!fresh) {
			it->second = slot;
			duplicates = true;
		}
	}

	// The record at pos took the place of one named old_name.
	void replaced(int pos, std::string_view old_name)
	{
		std::string_view name = name_at(pos);
		if (name == old_name)
			return;
		int slot = slots.slot_at(pos);
		forget(old_name, slot, pos);
		auto [it, fresh] = slot_of.try_emplace(name, slot);
		if (!fresh) {
			duplicates = true;
			it->second = std::max(it->second, slot);
		}
	}

	// The record named name was removed from pos; later records moved down.
	void removed(int pos, std::string_view name)
	{
		int slot = slots.slot_at(pos);
		forget(name, slot, pos);
		slots.kill(slot);
	}

private:
	std::string_view name_at(int pos) const
	{
		const auto &name = lib.files[pos]->filename;
		return name ? std::string_view(*name) : std::string_view();
	}

	// Drops name's entry if it is the record in slot (at pos), falling back
	// on an earlier record of the same name.
	void forget(std::string_view name, int slot, int pos)
	{
		auto it = slot_of.find(name);
		if (it == slot_of.end() || it->second != slot)
			return;
		slot_of.erase(it);
		if (!duplicates)
			return;
		for (int i = pos - 1; i >= 0; i--)
			if (name_at(i) == name) {
				slot_of.emplace(name_at(i), slots.slot_at(i));
				return;
			}
	}

	const playlist &lib;
	live_slots slots;
	std::unordered_map<std::string_view, int> slot_of;
	bool duplicates = false;
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

// Adds, refreshes or drops the record of one regular file met by the walk.
void scan_file(const FTSENT *e, const walk_resolver &resolver, library_index &index, scan_counts &n)
{
	playlist &lib = *medialib.library;
	const char *path = e->fts_path;

	// A file that went away, or whose path grew too long to resolve, since
	// the walk saw it cannot be examined: it is reported, not fatal.
	char resolved[PATH_MAX];
	if (!resolver.resolve(e, resolved)) {
		printf("? %s\n", path);
		n.errors++;
		return;
	}

	int pos = index.find(resolved);
	if (pos != -1 && e->fts_statp->st_mtime <= lib.files[pos]->last_updated) {
		printf(". %s\n", path);
		n.unchanged++;
		return;
	}

	// The path was resolved just now; resolving it again would only double
	// the cost of every new file. A file TagLib cannot open because it is
	// gone is an error like the ones above, not a file without tags.
	mi_ptr fresh = mi_extract_file(resolved);
	struct stat st;
	if (!fresh && stat(resolved, &st) == -1) {
		printf("? %s\n", path);
		n.errors++;
		return;
	}

	if (pos != -1) {
		meta_info *old = lib.files[pos];
		if (fresh) {
			mi_sanitize(*fresh);
			playlist_file_replace(lib, pos, medialib_adopt(std::move(fresh)));
			index.replaced(pos, *old->filename);
			printf("u %s\n", path);
			n.updated++;
		} else {
			playlist_remove_file(lib, pos, 1, false);
			index.removed(pos, *old->filename);
			printf("- %s\n", path);
			n.removed++;
		}
	} else if (fresh) {
		mi_sanitize(*fresh);
		playlist_file_append(lib, medialib_adopt(std::move(fresh)), false);
		index.appended();
		printf("+ %s\n", path);
		n.added++;
	} else {
		printf("s %s\n", path);
		n.no_info++;
	}
}

} // namespace

void medialib_db_scan_dirs(char *const paths[])
{
	FTS *fts = fts_open(paths, FTS_LOGICAL | FTS_NOCHDIR, nullptr);
	if (fts == nullptr)
		fatal_sys("medialib_db_scan_dirs: fts_open failed");

	library_index index(*medialib.library);
	walk_resolver resolver;
	scan_counts n;
	while (FTSENT *e = fts_read(fts)) {
		switch (e->fts_info) {
		case FTS_D:
			printf("Checking Directory: %s\n", e->fts_path);
			resolver.entered(e);
			break;
		case FTS_DNR:
			printf("Directory '%s' Unreadable\n", e->fts_path);
			n.dirs_skipped++;
			break;
		case FTS_ERR:
		case FTS_NS:
			printf("? %s\n", e->fts_path);
			n.errors++;
			break;
		case FTS_F:
			scan_file(e, resolver, index, n);
			break;
		default:
			break;
		}
	}

	if (fts_close(fts) == -1)
		fatal_sys("medialib_db_scan_dirs: failed to close file heirarchy");

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
}

void medialib_db_update(bool show_skipped)
{
	playlist &lib = *medialib.library;
	int urls = 0, updated = 0, vanished = 0, lost_info = 0, unchanged = 0, errors = 0;

	for (int i = 0; i < lib.nfiles();) {
		meta_info *mi = lib.files[i];
		// The record outlives its place in the library, so its name stays valid.
		const char *f = mi->filename ? mi->filename->c_str() : "";

		if (mi->is_url) {
			printf("s %s\n", f);
			urls++;
			i++;
			continue;
		}

		struct stat st;
		if (stat(f, &st) == -1) {
			if (errno == ENOENT) {
				playlist_remove_file(lib, i, 1, false);
				printf("x %s\n", f);
				vanished++;
			} else {
				printf("? %s\n", f);
				errors++;
				i++;
			}
			continue;
		}

		if (st.st_mtime <= mi->last_updated) {
			if (show_skipped)
				printf(". %s\n", f);
			unchanged++;
			i++;
			continue;
		}

		// As in the scan, a file that can no longer be resolved after its
		// stat is an error to report, and its record stays.
		bool unresolvable = false;
		mi_ptr fresh = mi_extract_resolved(f, unresolvable);
		if (unresolvable) {
			printf("? %s\n", f);
			errors++;
			i++;
		} else if (fresh) {
			mi_sanitize(*fresh);
			playlist_file_replace(lib, i, medialib_adopt(std::move(fresh)));
			printf("u %s\n", f);
			updated++;
			i++;
		} else {
			playlist_remove_file(lib, i, 1, false);
			printf("- %s\n", f);
			lost_info++;
		}
	}

	medialib_db_save(medialib.db_file);

	printf("--------------------------------------------------\n");
	printf("Results of updating database...\n");
	printf("(s) %9d url's skipped\n", urls);
	printf("(u) %9d files updated\n", updated);
	printf("(x) %9d files removed (file no longer exists)\n", vanished);
	printf("(-) %9d files removed (meta-info gone)\n", lost_info);
	printf("(.) %9d files skipped (file unchanged since last checked)\n", unchanged);
	printf("(?) %9d files with errors (couldn't stat, but kept)\n", errors);
}
