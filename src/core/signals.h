// The one signal handler, the half-second timer and the signal mask the
// main loop waits with.
#pragma once

#include <csignal>

#include "base/loop_flags.h"

// Sets the flag that belongs to the signal.
void signal_handler(int sig);
// Installs the SIGALRM action and starts the half-second interval timer.
void setup_timer();
// Installs the handler for the signals the program follows and blocks them:
// they are taken only while the main loop waits, so that none arrives
// between its look at the flags and the wait. wait_mask receives the mask
// to wait with.
void setup_signals(sigset_t &wait_mask);
