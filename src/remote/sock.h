// The remote-control socket through which "korvane -c" reaches a running
// instance. The path is the same for every user of the machine, so only a
// socket that the user owns is spoken to, ours is made for its owner alone,
// and datagrams that another user sent are dropped.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <sys/un.h>

#include "base/owners.h"

constexpr const char *SOCK_PATH = "/tmp/.korvane";
constexpr const char *SOCK_PROBE = "WHOWASPHONE?";
// Asks for the status block once, or for it again after every change.
constexpr const char *SOCK_QUERY = "WHATSPLAYING?";
constexpr const char *SOCK_WATCH = "WHATSPLAYING?WATCH";
// The first answer to a watcher, followed by the instance's pid: the
// watcher learns from the process itself when it has ended.
constexpr const char *SOCK_WATCHING = "WATCHING ";
// The longest command a datagram carries, as the ':' line takes; a longer
// one is refused by its sender.
constexpr int SOCK_TEXT_MAX = 999;

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
// A datagram and where it came from, for an answer.
struct sock_message {
	std::string text;
	sockaddr_un from = {};
	socklen_t from_len = 0;
};
// Reads one datagram: its text up to SOCK_TEXT_MAX bytes and its first NUL;
// nothing when the receive failed or another user sent it.
std::optional<sock_message> sock_recv_message(int fd);
// The same, its text alone.
std::optional<std::string> sock_recv(int fd);
// Answers the sender of a datagram without waiting; false when its queue is
// full or it is gone.
bool sock_answer(int fd, const sock_message &to, std::string_view text);

// What became of a question to the running instance.
enum sock_ask_result {
	SOCK_ANSWERED,    // the answer (or, watching, every one) was given
	SOCK_ASK_ENDED,   // watching: the instance has ended
	SOCK_NO_ANSWER,   // the instance did not answer within a second
	SOCK_ASK_NOT_RUNNING,
};
// Sends question (SOCK_QUERY or SOCK_WATCH) from a socket of its own and
// gives each answer to answer, which returns false to stop; watching, it
// waits for answers until the instance ends.
sock_ask_result sock_ask(const char *question, bool (*answer)(const std::string &text));
