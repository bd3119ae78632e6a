// The handlers of the key-binding actions, by family.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

#include "bindings/kb_args.h"

// Navigation: rows, pages, columns, jumps and searches.
void kba_scroll_row(KbaArgs a);
void scroll_page(KbaArgs a);
void scroll_col(KbaArgs a);
void jumpto_page(KbaArgs a);
void jumpto_file(KbaArgs a);
void kba_go(KbaArgs a);
// Moves the active window's cursor to line (from 1), at most its last; a
// count typed before is used up.
void kba_jump_to_line(int line);
void search(KbaArgs a);
void search_find(KbaArgs a);
// The row a search from row start finds among nrows rows (every other row
// once, nearest first, wrapping at the ends), or -1. notice receives the
// wrap notice when the search passed an end, else nullptr. ahead, when
// given, is told the rows the search will test a little later.
int search_next_row(int start, int nrows, bool forward, bool (*matches)(int row),
                    const char *&notice, void (*ahead)(int row, bool texts) = nullptr);

// Windows.
void kba_quit(KbaArgs a);
void kba_redraw(KbaArgs a);
void kba_switch_window(KbaArgs a);
void kba_show_file_info(KbaArgs a);
void kba_play(KbaArgs a);
// Shows the playing playlist with the cursor on the playing row.
void kba_jump_to_playing(KbaArgs a);

// The ':' command line.
void kba_command_mode(KbaArgs a);

// The player: pause, stop, next and previous file, volume and seeking.
void kba_pause(KbaArgs a);
void kba_stop(KbaArgs a);
void kba_play_next(KbaArgs a);
void kba_play_prev(KbaArgs a);
void kba_volume(KbaArgs a);
void seek_playback(KbaArgs a);

// The '!' command line.
void kba_shell(KbaArgs a);
// Runs a shell command line outside the screen; once it has ended a key
// brings the screen back, and a key other than ENTER is then handled as a
// key of its own.
void shell_exec(const std::string &line);
// Whether a shell command is running: the terminal is its own meanwhile.
bool shell_running();
// Notices the end of the shell command (after a child signal).
void shell_check();

// Editing: visual mode, cut, yank, paste, undo and redo.
void kba_visual(KbaArgs a);
void kba_cut(KbaArgs a);
void kba_yank(KbaArgs a);
void paste(KbaArgs a);
void kba_undo(KbaArgs a);
void kba_redo(KbaArgs a);

// Toggle lists: run the next or previous command of a register's ring.
void kba_toggle(KbaArgs a);
// The index n steps forward or back from index in a ring of size commands
// (size > 0, n > 0).
ssize_t toggle_step(ssize_t index, ssize_t size, int64_t n, bool forward);
