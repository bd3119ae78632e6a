// The remote-control socket through which "korvane -c" reaches a running
// instance.
#pragma once

#include "base/owners.h"

constexpr const char *SOCK_PATH = "/tmp/.korvane";
constexpr const char *SOCK_PROBE = "WHOWASPHONE?";

// Sends text as one datagram to the socket path; 0 when it was accepted.
int sock_send(const char *text);
// Creates the listening socket; holds nothing when that fails.
unique_fd sock_listen();
