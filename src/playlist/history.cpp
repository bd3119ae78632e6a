#include "base/error.h"
#include "playlist/playlist.h"

changeset_ptr changeset_create(int16_t type, uint64_t size, meta_info *const *files,
                               int32_t location)
{
	auto c = std::make_unique<changeset>();
	c->type = type;
	c->files.assign(files, files + size);
	c->location = location;
	return c;
}

void changeset_free(changeset_ptr c)
{
	c.reset();
}

playlist_history playlist_history_new()
{
	return playlist_history{};
}

void playlist_history_free_future(playlist &p)
{
	for (int i = p.hist_present + 1; i < history_size; i++)
		p.history[i].reset();
}

void playlist_history_add(playlist &p, changeset_ptr c)
{
	if (p.hist_present < history_size - 1) {
		playlist_history_free_future(p);
		p.hist_present++;
		p.history[p.hist_present] = std::move(c);
		return;
	}

	// Full: forget the oldest change.
	for (int i = 0; i < history_size - 1; i++)
		p.history[i] = std::move(p.history[i + 1]);
	p.history[history_size - 1] = std::move(c);
}

namespace
{

// Removes the change's entries again; the positions may have been reused
// by edits that were not recorded, so they are checked first.
void remove_change(playlist &p, const changeset &c)
{
	playlist_remove_file(p, c.location, static_cast<int>(c.size()), false);
}

void insert_change(playlist &p, const changeset &c)
{
	playlist_file_add(p, c.files.data(), c.location, static_cast<int>(c.size()), false);
}

} // namespace

int playlist_undo(playlist &p)
{
	if (p.hist_present == -1)
		return 1;

	const changeset &c = *p.history[p.hist_present];
	switch (c.type) {
	case CHANGE_REMOVE:
		insert_change(p, c);
		break;
	case CHANGE_ADD:
		remove_change(p, c);
		break;
	default:
		fatal("%s: invalid change type", "playlist_undo");
	}
	p.hist_present--;
	return 0;
}

int playlist_redo(playlist &p)
{
	if (p.hist_present == history_size - 1 || !p.history[p.hist_present + 1])
		return 1;

	const changeset &c = *p.history[p.hist_present + 1];
	switch (c.type) {
	case CHANGE_ADD:
		insert_change(p, c);
		break;
	case CHANGE_REMOVE:
		remove_change(p, c);
		break;
	default:
		fatal("%s: invalid change type", "playlist_redo");
	}
	p.hist_present++;
	return 0;
}
