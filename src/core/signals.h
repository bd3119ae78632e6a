// Signal flags, the one signal handler and the half-second timer.
#pragma once

#include <csignal>

extern volatile sig_atomic_t sig_quit;
extern volatile sig_atomic_t sig_resize;
extern volatile sig_atomic_t sig_timer;
extern volatile sig_atomic_t sig_child;

// Sets the flag that belongs to the signal.
void signal_handler(int sig);
// Installs the SIGALRM action and starts the half-second interval timer.
void setup_timer();
