// Option handling and the start-up sequence of the interactive program.
#pragma once

// Prints the usage text to standard error and exits with status 1.
[[noreturn]] void usage(const char *progname);
// Handles the options; runs -e and -c itself and exits for them.
void handle_switches(int argc, char *argv[]);
// Brings up the screen over the loaded library: the default key bindings,
// curses with an 18-column library window, the colours, and the library
// shown in the playlist window.
void startup_screen();
// The whole program: returns its exit status.
int korvane_main(int argc, char *argv[]);
