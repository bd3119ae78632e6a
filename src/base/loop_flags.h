// What the signal handler and the program's parts ask of the main loop: the
// flags it acts on at its next turn. The loop lives above every part; they
// only set these.
#pragma once

#include <csignal>

extern volatile sig_atomic_t sig_quit;
extern volatile sig_atomic_t sig_resize;
extern volatile sig_atomic_t sig_timer;
extern volatile sig_atomic_t sig_child;
// What ended the program: a signal's number, or 0 when the user asked.
extern volatile sig_atomic_t sig_quit_cause;

// Asks the main loop to end the program after the current turn.
inline void request_quit()
{
	sig_quit = 1;
}
// The end of input ends the program as a hang-up does.
inline void request_hangup()
{
	sig_quit_cause = SIGHUP;
	sig_quit = 1;
}
// Whether a quit has been asked for, by a signal or by a command.
inline bool quit_requested()
{
	return sig_quit != 0;
}
