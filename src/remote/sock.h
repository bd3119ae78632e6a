// The remote-control socket through which "korvane -c" reaches a running
// instance. The path is the same for every user of the machine, so only a
// socket that the user owns is spoken to, ours is made for its owner alone,
// and datagrams that another user sent are dropped.
#pragma once

#include <optional>
#include <string>

#include "base/owners.h"

constexpr const char *SOCK_PATH = "/tmp/.korvane";
constexpr const char *SOCK_PROBE = "WHOWASPHONE?";
// The bytes of a datagram that are used; the rest is dropped.
constexpr int SOCK_TEXT_MAX = 64;

// What sock_listen made of the path.
enum sock_listen_result {
	SOCK_LISTENING, // fd holds the listening socket
	SOCK_FOREIGN,   // another user's file holds the path; it is left alone
	SOCK_FAILED,    // the socket could not be made or bound
};

// What became of a datagram that sock_send was given.
enum sock_send_result {
	SOCK_SENT = 0,         // the instance's queue holds it
	SOCK_NOT_RUNNING = -1, // no socket of this user at the path, or none reads it
	SOCK_QUEUE_FULL = -2,  // an instance is there, but its queue stayed full
};

// Sends text as one datagram to the socket at the path, if that is a
// socket of this user, never waiting long: while the instance's queue is
// full it tries again for at most a second.
[[nodiscard]] sock_send_result sock_send(const char *text);
// Replaces a file of this user at the path with a listening socket that
// only its owner may use, held by fd.
[[nodiscard]] sock_listen_result sock_listen(unique_fd &fd);
// Reads one datagram: its text up to SOCK_TEXT_MAX bytes and its first NUL;
// nothing when the receive failed or another user sent it.
std::optional<std::string> sock_recv(int fd);
