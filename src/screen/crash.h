// Giving the terminal back when the program crashes: a fault signal
// (SIGSEGV, SIGBUS, SIGFPE, SIGABRT) ends the screen with what was saved
// beforehand, using only calls a signal handler may make, and then ends
// the program as the signal would have.
#pragma once

// Saves the terminal's settings; called before curses changes them.
void crash_save_terminal();
// Once curses is up: keeps the bytes that leave the screen and installs the
// handlers.
void crash_guard_install();
// The screen has ended on its own: a crash has nothing to give back.
void crash_guard_release();
