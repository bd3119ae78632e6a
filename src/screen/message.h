// The command row: messages, errors and the line editor.
#pragma once

#include <string>

// Shows information on the command row.
void paint_message(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
// Shows an error on the command row and rings the bell.
void paint_error(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
// Erases the command row.
void paint_clear_command();

// Reads a line after prompt. 0 with the line in out; 1 when cancelled or
// nothing was typed (out untouched).
int user_getstr(const char *prompt, std::string &out);
// Asks a yes/no question: 1 when cancelled, else 0 with answer 1 (yes),
// 0 (no) or -1 (neither).
int user_get_yesno(const char *prompt, int &answer);
