// The main loop and the work that the signal flags ask for.
#pragma once

// Acts on the resize, timer and child flags.
void process_signals();
// Waits on the keyboard and the socket (when sock_fd > 0) until a quit is asked.
void main_loop(int sock_fd);
