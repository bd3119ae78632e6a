// Editing playlists the vi way: visual selections, cut, yank, paste, undo
// and redo, and deleting a whole playlist from the library window.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <optional>
#include <string>

#include "base/error.h"
#include "input/input.h"
#include "keys/kba.h"
#include "keys/kb_execute.h"
#include "playlist/playlist_file.h"
#include "playlist/ybuffer.h"
#include "library/medialib.h"
#include "player/player.h"
#include "screen/message.h"
#include "screen/paint.h"
#include "screen/ui.h"

namespace
{

// The content indexes [start, end) an edit works on.
struct edit_range {
	int start;
	int end;
};

// What a cut or a yank works on: the visual selection, which ends visual
// mode, or what the key after the action asks for: its own key again for
// count files from the cursor, 'G' for all files from the cursor on. Any
// other key is given back to be handled next and gives no range; so do a
// NUL key and a quit. act gets the range.
void with_range(int own_key, void (*act)(const edit_range &r))
{
	const swindow &w = *ui.active;
	const int c = w.cursor_index();
	if (visual_start != -1) {
		const edit_range r{ std::min(visual_start, c), std::max(visual_start, c) + 1 };
		// The highlight goes, even when the action is then refused.
		visual_start = -1;
		paint_playlist();
		act(r);
		return;
	}

	const int n = numprefix_take();
	const swindow *window = ui.active;
	const playlist *viewed = viewing_playlist;
	input_next_key([own_key, act, c, n, window, viewed](int key) {
		// A remote command may have changed what the cursor is on
		// meanwhile: the range would be another list's.
		if (ui.active != window || viewing_playlist != viewed)
			return;
		if (key == own_key)
			act(edit_range{
			        c, static_cast<int>(std::min<int64_t>(int64_t{ c } + n, INT_MAX)) });
		else if (key == 'G')
			act(edit_range{ c, ui.active->nrows() });
		else if (key > 0)
			input_unget(key);
	});
}

// After a list shrank, keeps the cursor off the rows past its end; with the
// view scrolled beyond the new end the cursor row goes above the window,
// where the navigation keys bring it back.
void clamp_cursor(swindow &w)
{
	if (w.cursor_index() >= w.nrows())
		w.crow = w.nrows() - w.voffset - 1;
}

// Removes registry entry i and its file; a file that cannot be removed
// keeps the entry, and says why.
void remove_playlist(int i)
{
	const playlist *p = medialib.playlists[static_cast<size_t>(i)].get();
	const bool played = p == playing_playlist || p == player_info.queue;
	const bool viewed = p == viewing_playlist;
	std::string error;
	if (!medialib_playlist_try_remove(i, error)) {
		paint_error("%s", error.c_str());
		return;
	}
	// Nothing may play from, or show, the released playlist.
	if (played) {
		player_stop();
		playing_playlist = nullptr;
		player_set_queue(nullptr, -1);
	}
	if (viewed) {
		viewing_playlist = nullptr;
		show_playlist(medialib.library);
	}
	clamp_cursor(ui.library);
	paint_library();
}

// Deletes registry entry i and its file once the user said yes.
void delete_playlist(int i)
{
	playlist *p = medialib.playlists[static_cast<size_t>(i)].get();
	if (p == medialib.library || p == medialib.filter_results) {
		paint_error("cannot delete pseudo-playlists like LIBRARY or FILTER");
		return;
	}

	const std::string name = p->name.value_or("");
	const std::string question = "Are you sure you want to delete '" + name + "'?";
	input_ask_yesno(question, [p, name](std::optional<int> answer) {
		if (!answer) {
			paint_message("delete of '%s' cancelled", name.c_str());
			return;
		}
		if (*answer != 1) {
			paint_message("playlist '%s' not deleted", name.c_str());
			return;
		}
		// The playlist may have gone meanwhile (a remote command).
		for (int i = 0; i < medialib.nplaylists(); i++)
			if (medialib.playlists[static_cast<size_t>(i)].get() == p) {
				remove_playlist(i);
				break;
			}
	});
}

// Cuts the files of the range from the viewed playlist into the yank buffer.
void cut_files(const edit_range &r)
{
	playlist &v = *viewing_playlist;
	if (&v == medialib.library) {
		paint_error("cannot delete from library");
		return;
	}

	swindow &w = ui.playlist;
	const int end = std::min(r.end, v.nfiles());
	const int n = end - r.start;
	ybuffer_clear();
	ybuffer_add_files(v.files.data() + r.start, n);
	{
		const player_queue_guard follow(&v);
		playlist_remove_file(v, r.start, n, true);
	}
	v.needs_saving = true;

	clamp_cursor(w);
	paint_playlist();
	paint_library();
	paint_message("%d fewer files.", n);
}

// The number of entries the playlist window can edit.
int playlist_rows()
{
	return ui.playlist.nrows();
}

// Undoes or redoes the latest change of the viewed playlist.
void step_history(bool undo)
{
	if (ui.active == &ui.library) {
		paint_message(undo ? "Cannot undo in library window."
		                   : "Cannot redo in library window.");
		return;
	}
	if (viewing_playlist == nullptr)
		return;

	playlist &v = *viewing_playlist;
	int result;
	{
		const player_queue_guard follow(&v);
		result = undo ? playlist_undo(v) : playlist_redo(v);
	}
	// Undone past its last save, the playlist differs from its file again.
	if (result == 0 && !v.needs_saving && v.filename && !playlist_matches_file(v)) {
		v.needs_saving = true;
		paint_library();
	}
	if (result == 0)
		paint_message(undo ? "Undo successfull." : "Redo successfull.");
	else
		paint_message(undo ? "Nothing to undo." : "Nothing to redo.");

	clamp_cursor(ui.playlist);
	paint_playlist();
}

} // namespace

void kba_visual(KbaArgs)
{
	if (ui.active == &ui.library) {
		paint_message("No visual mode in library window.  Sorry.");
		return;
	}
	visual_start = visual_start == -1 ? ui.playlist.cursor_index() : -1;
	paint_playlist();
}

namespace
{

// Cuts the range from the active window: files from the playlist window, or
// one playlist from the library window after a question.
void cut_range(const edit_range &r)
{
	const swindow &w = *ui.active;
	const bool library_window = &w == &ui.library;
	const int rows = library_window ? medialib.nplaylists() : playlist_rows();
	if (r.start < 0 || r.start >= rows) {
		paint_message("nothing to delete here!");
		return;
	}

	if (!library_window) {
		cut_files(r);
		return;
	}
	if (r.end != r.start + 1) {
		paint_error("cannot delete multiple playlists");
		return;
	}
	delete_playlist(r.start);
}

void yank_range(const edit_range &r)
{
	const int start = std::max(r.start, 0);
	const int n = std::max(std::min(r.end, playlist_rows()) - start, 0);
	ybuffer_clear();
	if (n > 0)
		ybuffer_add_files(viewing_playlist->files.data() + start, n);

	paint_playlist();
	paint_message("Yanked %d files.", n);
}

} // namespace

void kba_cut(KbaArgs)
{
	with_range('d', cut_range);
}

void kba_yank(KbaArgs)
{
	if (ui.active == &ui.library) {
		paint_error("cannot yank in library window");
		return;
	}
	if (viewing_playlist == nullptr || viewing_playlist->nfiles() == 0) {
		paint_error("nothing to yank!");
		return;
	}
	with_range('y', yank_range);
}

void paste(KbaArgs a)
{
	if (ybuffer.nfiles() == 0) {
		paint_error("nothing to paste");
		return;
	}

	const bool library_window = ui.active == &ui.library;
	const int c = ui.active->cursor_index();
	playlist *t;
	int64_t pos;
	if (!library_window) {
		t = viewing_playlist;
		if (t == nullptr)
			return;
		switch (a.placement) {
		case AFTER:
			pos = c >= t->nfiles() ? t->nfiles() : int64_t{ c } + 1;
			break;
		case BEFORE:
			pos = c;
			break;
		default:
			fatal("paste: invalid placement [else]");
		}
	} else {
		if (c < 0 || c >= medialib.nplaylists())
			return;
		t = medialib.playlists[static_cast<size_t>(c)].get();
		switch (a.placement) {
		case BEFORE:
			pos = 0;
			break;
		case AFTER:
			pos = t->nfiles();
			break;
		default:
			fatal("paste: invalid placement [if]");
		}
	}

	if (t == medialib.library) {
		paint_error("Cannot alter %s psuedo-playlist",
		            medialib.library->name.value_or("").c_str());
		return;
	}

	pos = std::clamp<int64_t>(pos, 0, t->nfiles());
	{
		const player_queue_guard follow(t);
		playlist_file_add(*t, ybuffer.files.data(), static_cast<int>(pos), ybuffer.nfiles(),
		                  true);
	}
	t->needs_saving = true;

	paint_library();
	paint_playlist();
	if (library_window)
		paint_message("Pasted %d files to '%s'", ybuffer.nfiles(),
		              t->name.value_or("").c_str());
	else
		paint_message("Pasted %d files.", ybuffer.nfiles());
}

void kba_undo(KbaArgs)
{
	step_history(true);
}

void kba_redo(KbaArgs)
{
	step_history(false);
}
