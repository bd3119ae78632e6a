// The handlers of the key-binding actions, by family.
#pragma once

#include "keys/kb_args.h"

// The handler of the actions whose work is not there yet: does nothing.
void kba_none(KbaArgs a);

// Navigation: rows, pages, columns, jumps and searches.
void kba_scroll_row(KbaArgs a);
void scroll_page(KbaArgs a);
void scroll_col(KbaArgs a);
void jumpto_page(KbaArgs a);
void jumpto_file(KbaArgs a);
void kba_go(KbaArgs a);
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

