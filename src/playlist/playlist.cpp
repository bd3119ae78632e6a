#include "playlist/playlist.h"

#include "base/error.h"
#include "meta/mi_query.h"

playlist_ptr playlist_new()
{
	auto p = std::make_unique<playlist>();
	p->files.reserve(100);
	return p;
}

void playlist_free(playlist_ptr p)
{
	p.reset();
}

playlist_ptr playlist_dup(const playlist &p, const std::optional<std::string> &filename,
                          const std::optional<std::string> &name)
{
	auto d = std::make_unique<playlist>();
	d->filename = filename;
	d->name = name;
	d->files = p.files;
	return d;
}

void playlist_file_add(playlist &p, meta_info *const *files, int pos, int n, bool record)
{
	if (pos < 0 || pos > p.nfiles())
		fatal("playlist_file_add: index %d out of range", pos);

	p.files.insert(p.files.begin() + pos, files, files + n);
	if (record) {
		playlist_history_add(p, changeset_create(CHANGE_ADD, n, files, pos));
		p.needs_saving = true;
	}
}

void playlist_file_append(playlist &p, meta_info *const *files, int n, bool record)
{
	playlist_file_add(p, files, p.nfiles(), n, record);
}

void playlist_remove_file(playlist &p, int pos, int n, bool record)
{
	// An entry past the end would be read and moved outside the list, so the
	// whole range must lie inside it.
	if (pos < 0 || pos >= p.nfiles() || n < 0 || n > p.nfiles() - pos)
		fatal("playlist_remove_file: index %d out of range", pos);

	if (record) {
		playlist_history_add(p,
		                     changeset_create(CHANGE_REMOVE, n, p.files.data() + pos, pos));
		p.needs_saving = true;
	}
	p.files.erase(p.files.begin() + pos, p.files.begin() + pos + n);
}

void playlist_file_replace(playlist &p, int i, meta_info *mi)
{
	if (i < 0 || i >= p.nfiles())
		fatal("playlist_file_replace: index %d out of range", i);
	p.files[i] = mi;
}

playlist_ptr playlist_filter(const playlist &p, bool match)
{
	if (!mi_query_isset())
		return nullptr;

	// The records lie all over memory: each is fetched a little ahead of
	// its test, its texts once its own bytes are on their way.
	constexpr int AHEAD = 32;
	auto result = playlist_new();
	const int n = p.nfiles();
	for (int i = 0; i < n; i++) {
		if (i + AHEAD < n) {
			mi_prefetch(p.files[i + AHEAD], false);
			mi_prefetch(p.files[i + AHEAD / 2], true);
		}
		if (mi_match(p.files[i]) == match)
			result->files.push_back(p.files[i]);
	}
	return result;
}
