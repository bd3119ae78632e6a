// The main loop: the one place the program waits.
#pragma once

#include <csignal>

// Until a quit is asked: waits on the keyboard and the socket (when
// sock_fd > 0) with the signals of wait_mask let through, acts on what came
// and on the signal flags, and paints what changed before it waits again.
void main_loop(int sock_fd, const sigset_t &wait_mask);
