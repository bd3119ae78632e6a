// What the signal handler and the program's parts ask of the main loop: the
// flags it acts on at its next turn. The loop lives above every part; they
// only set these.
#pragma once

#include <csignal>

extern volatile sig_atomic_t sig_quit;
extern volatile sig_atomic_t sig_resize;
extern volatile sig_atomic_t sig_timer;
extern volatile sig_atomic_t sig_child;

// Asks the main loop to end the program after the current turn.
inline void request_quit()
{
	sig_quit = 1;
}
// Whether a quit has been asked for, by a signal or by a command.
inline bool quit_requested()
{
	return sig_quit != 0;
}
