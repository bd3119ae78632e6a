// The remote-control socket through which "korvane -c" reaches a running
// instance.
#pragma once

#include "base/owners.h"

constexpr const char *SOCK_PATH = "/tmp/.korvane";
constexpr const char *SOCK_PROBE = "WHOWASPHONE?";
// The bytes of a datagram that are used; the rest is dropped.
constexpr int SOCK_TEXT_MAX = 64;

// Sends text as one datagram to the socket path; 0 when it was accepted.
int sock_send(const char *text);
// Creates the listening socket; holds nothing when that fails.
unique_fd sock_listen();
// Reads one datagram and runs it as an action or a command.
void sock_recv_and_exec(int fd);
