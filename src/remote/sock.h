// The remote-control socket through which "korvane -c" reaches a running
// instance.
#pragma once

constexpr const char *SOCK_PATH = "/tmp/.korvane";
constexpr const char *SOCK_PROBE = "WHOWASPHONE?";

// Sends text as one datagram to the socket path; 0 when it was accepted.
int sock_send(const char *text);
// Creates the listening socket; its descriptor, or -1.
int sock_listen();
