// A shell command line run as a child on the terminal, beside the player
// child: it starts with the default disposition of every signal and an
// empty signal mask, whatever korvane itself was given, and while it runs
// the terminal's interrupt and quit keys are its alone.
#pragma once

#include <sys/types.h>

#include <string>

// Starts "/bin/sh -c line"; -1 when it could not be started.
pid_t shell_child_start(const std::string &line);
// Whether the child has ended; reaps it when it has, without waiting, and
// gives korvane its interrupt and quit signals back.
bool shell_child_ended(pid_t pid);
