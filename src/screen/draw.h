// The drawing of each area of the screen into curses's buffers, for
// paint_flush; the terminal is written once all are drawn.
#pragma once

#include "meta/meta_info.h"

void draw_too_small();
void draw_borders();
void draw_player();
void draw_status_bar();
void draw_library();
void draw_playlist();
void draw_playlist_file_info(const meta_info *mi);
// The message row: a message or an error in its colour, or nothing.
void draw_command_row(int item, const char *text);
// The open prompt with its typed text and the cursor after it.
void draw_prompt();
