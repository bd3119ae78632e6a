// Fatal errors and warnings in the err(3) form: "korvane: message[: system error]".
#pragma once

#include <cstdarg>

// Runs before a fatal message is printed (the screen uses it to end curses).
using fatal_hook_fn = void (*)();
void error_set_fatal_hook(fatal_hook_fn hook);
// Runs the hook once, for a way out that prints its own message.
void run_fatal_hook();

// Prints the message with the system error text of errno and exits with status 1.
[[noreturn]] void fatal_sys(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
// Prints the message and exits with status 1.
[[noreturn]] void fatal(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
// Prints the message with the system error text of errno and goes on.
void warn_sys(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
// Prints the message and goes on.
void warn_msg(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
