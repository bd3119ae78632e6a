// The command row: messages, errors, the status bar and the open prompt,
// whichever was put there last.
#pragma once

// Shows information on the command row.
void paint_message(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
// Shows an error on the command row and rings the bell.
void paint_error(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
// Erases the command row.
void paint_clear_command();
// How many messages and errors have been shown so far.
long message_count();

// An open prompt keeps the command row: it is drawn again over whatever
// else was put there. After prompt_hold, what is on the row now stays over
// the prompt until prompt_touch (the next key typed into it).
void prompt_hold();
void prompt_touch();

// For painting: the status bar goes on the row; the row is drawn when it
// changed (true when it was); what was to be drawn is forgotten; the open
// prompt is drawn when it needs to be (true when it was) and the cursor put
// after it.
void command_row_show_status();
bool command_row_paint();
void command_row_take();
bool prompt_paint();
