#include "remote/sock.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <ctime>


namespace
{

// How long a send waits for room in a full queue, and the nap between tries.
constexpr int SEND_WAIT_MS = 1000;
constexpr long SEND_NAP_MS = 10;

socklen_t sock_address(sockaddr_un &addr)
{
	memset(&addr, 0, sizeof addr);
	addr.sun_family = AF_UNIX;
	strncpy(addr.sun_path, SOCK_PATH, sizeof addr.sun_path - 1);
	return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + strlen(addr.sun_path));
}

int elapsed_ms(const timespec &since)
{
	timespec now;
	clock_gettime(CLOCK_MONOTONIC, &now);
	return static_cast<int>((now.tv_sec - since.tv_sec) * 1000 +
	                        (now.tv_nsec - since.tv_nsec) / 1000000);
}

// Whether the file is this user's: files are made with the effective id.
bool ours(const struct stat &st)
{
	return st.st_uid == geteuid();
}

// Whether the kernel vouches that this user sent the datagram. Unless a
// privileged sender says otherwise, it reports the sender's real user id.
bool sent_by_this_user(msghdr &msg)
{
	for (cmsghdr *c = CMSG_FIRSTHDR(&msg); c != nullptr; c = CMSG_NXTHDR(&msg, c)) {
		if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_CREDENTIALS ||
		    c->cmsg_len != CMSG_LEN(sizeof(ucred)))
			continue;
		ucred cred;
		memcpy(&cred, CMSG_DATA(c), sizeof cred);
		return cred.uid == getuid();
	}
	return false;
}

// Sends text without waiting for room (to the socket fd is connected to
// when to is null): while the receiver's queue is full it tries again, for
// a second at most.
sock_send_result send_patiently(int fd, const char *text, const sockaddr *to, socklen_t len)
{
	timespec start;
	clock_gettime(CLOCK_MONOTONIC, &start);
	for (;;) {
		if (sendto(fd, text, strlen(text), MSG_DONTWAIT, to, len) != -1)
			return SOCK_SENT;
		if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
			return SOCK_NOT_RUNNING;
		if (elapsed_ms(start) >= SEND_WAIT_MS)
			return SOCK_QUEUE_FULL;
		const timespec nap = { 0, SEND_NAP_MS * 1000000L };
		nanosleep(&nap, nullptr);
	}
}

} // namespace

sock_send_result sock_send(const char *text)
{
	// Whoever holds the path reads what is sent there, so only a socket of
	// ours is spoken to. In the sticky /tmp no other user can put a file of
	// theirs in place of ours between this look and the send.
	struct stat st;
	if (lstat(SOCK_PATH, &st) == -1 || !S_ISSOCK(st.st_mode) || !ours(st))
		return SOCK_NOT_RUNNING;

	unique_fd fd(socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
	if (!fd)
		return SOCK_NOT_RUNNING;

	// An instance that does not read (stopped, or busy for long) fills its
	// queue, and a send that waited for room would wait as long as it
	// does: short naps instead, until the time is up.
	sockaddr_un addr;
	socklen_t len = sock_address(addr);
	return send_patiently(fd.get(), text, reinterpret_cast<sockaddr *>(&addr), len);
}

sock_listen_result sock_listen(unique_fd &fd)
{
	fd.reset();

	// A file of ours was left by an instance that has ended (the probe has
	// ruled out a running one) and is replaced; another user's file is
	// never touched.
	struct stat st;
	if (lstat(SOCK_PATH, &st) == 0) {
		if (!ours(st))
			return SOCK_FOREIGN;
		unlink(SOCK_PATH);
	}

	unique_fd sock(socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
	if (!sock)
		return SOCK_FAILED;
	// Asked for before the bind, so that every datagram carries its
	// sender's ids.
	int on = 1;
	if (setsockopt(sock.get(), SOL_SOCKET, SO_PASSCRED, &on, sizeof on) == -1)
		return SOCK_FAILED;

	// The file is born readable and writable by its owner alone: the mask
	// is in force when bind creates it. The program has one thread here.
	sockaddr_un addr;
	socklen_t len = sock_address(addr);
	mode_t old_mask = umask(0177);
	int bound = bind(sock.get(), reinterpret_cast<sockaddr *>(&addr), len);
	int bind_errno = errno;
	umask(old_mask);
	if (bound == -1) {
		// Someone else took the path after we looked.
		if (bind_errno == EADDRINUSE && (lstat(SOCK_PATH, &st) == -1 || !ours(st)))
			return SOCK_FOREIGN;
		return SOCK_FAILED;
	}
	fd = std::move(sock);
	return SOCK_LISTENING;
}

std::optional<sock_message> sock_recv_message(int fd)
{
	// The kernel drops what does not fit of a longer datagram.
	char buf[SOCK_TEXT_MAX];
	iovec iov = { buf, sizeof buf };
	// Room for the sender's ids alone: descriptors that a sender attaches
	// find none and are never installed.
	alignas(cmsghdr) char control[CMSG_SPACE(sizeof(ucred))];
	sock_message m;
	msghdr msg = {};
	msg.msg_name = &m.from;
	msg.msg_namelen = sizeof m.from;
	msg.msg_iov = &iov;
	msg.msg_iovlen = 1;
	msg.msg_control = control;
	msg.msg_controllen = sizeof control;

	ssize_t n = recvmsg(fd, &msg, MSG_CMSG_CLOEXEC);
	if (n < 0 || !sent_by_this_user(msg))
		return std::nullopt;
	m.from_len = msg.msg_namelen;
	// The text ends at its first NUL byte, if any.
	m.text.assign(buf, strnlen(buf, static_cast<size_t>(n)));
	return m;
}

std::optional<std::string> sock_recv(int fd)
{
	std::optional<sock_message> m = sock_recv_message(fd);
	if (!m)
		return std::nullopt;
	return std::move(m->text);
}

bool sock_answer(int fd, const sock_message &to, std::string_view text)
{
	// A sender that did not bind a name of its own cannot be answered.
	if (to.from_len <= sizeof(sa_family_t))
		return false;
	return sendto(fd, text.data(), text.size(), MSG_DONTWAIT,
	              reinterpret_cast<const sockaddr *>(&to.from), to.from_len) != -1;
}

sock_ask_result sock_ask(const char *question, bool (*answer)(const std::string &text))
{
	struct stat st;
	if (lstat(SOCK_PATH, &st) == -1 || !S_ISSOCK(st.st_mode) || !ours(st))
		return SOCK_ASK_NOT_RUNNING;
	unique_fd fd(socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
	if (!fd)
		return SOCK_ASK_NOT_RUNNING;
	// A name the kernel picks in the abstract namespace: no file to leave
	// behind. Connected, the socket hears the instance alone, and learns
	// when it has gone.
	sockaddr_un own = {};
	own.sun_family = AF_UNIX;
	sockaddr_un addr;
	const socklen_t len = sock_address(addr);
	if (bind(fd.get(), reinterpret_cast<sockaddr *>(&own), sizeof(sa_family_t)) == -1 ||
	    connect(fd.get(), reinterpret_cast<sockaddr *>(&addr), len) == -1)
		return SOCK_ASK_NOT_RUNNING;

	switch (send_patiently(fd.get(), question, nullptr, 0)) {
	case SOCK_SENT:
		break;
	case SOCK_NOT_RUNNING:
		return SOCK_ASK_NOT_RUNNING;
	case SOCK_QUEUE_FULL:
		return SOCK_NO_ANSWER;
	}

	const bool watch = strcmp(question, SOCK_WATCH) == 0;
	std::string buf(1 << 16, '\0');
	unique_fd instance; // readable once the instance has ended
	bool first = true;
	for (;;) {
		pollfd p[2] = { { fd.get(), POLLIN, 0 }, { instance.get(), POLLIN, 0 } };
		const int ready = poll(p, instance ? 2 : 1, first ? SEND_WAIT_MS : -1);
		if (ready == -1 && errno == EINTR)
			continue;
		if (ready == 0)
			return SOCK_NO_ANSWER;
		if (instance && (p[1].revents & POLLIN) != 0 && (p[0].revents & POLLIN) == 0)
			return SOCK_ASK_ENDED;
		const ssize_t n = recv(fd.get(), buf.data(), buf.size(), 0);
		if (n == -1) {
			if (errno == EINTR || errno == EAGAIN)
				continue;
			return first ? SOCK_NO_ANSWER : SOCK_ASK_ENDED;
		}
		const std::string text(buf.data(), static_cast<size_t>(n));
		if (watch && !instance && text.rfind(SOCK_WATCHING, 0) == 0) {
			const long pid = strtol(text.c_str() + strlen(SOCK_WATCHING), nullptr, 10);
			instance.reset(static_cast<int>(syscall(SYS_pidfd_open, pid, 0)));
			continue;
		}
		first = false;
		if (!answer(text) || !watch)
			return SOCK_ANSWERED;
	}
}
