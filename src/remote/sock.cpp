#include "remote/sock.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>

namespace
{

socklen_t sock_address(sockaddr_un &addr)
{
	memset(&addr, 0, sizeof addr);
	addr.sun_family = AF_UNIX;
	strncpy(addr.sun_path, SOCK_PATH, sizeof addr.sun_path - 1);
	return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + strlen(addr.sun_path));
}

} // namespace

int sock_send(const char *text)
{
	int fd = socket(AF_UNIX, SOCK_DGRAM, 0);
	if (fd == -1)
		return -1;

	sockaddr_un addr;
	socklen_t len = sock_address(addr);
	ssize_t sent = sendto(fd, text, strlen(text), 0, reinterpret_cast<sockaddr *>(&addr), len);
	close(fd);
	return sent == -1 ? -1 : 0;
}

int sock_listen()
{
	unlink(SOCK_PATH);

	int fd = socket(AF_UNIX, SOCK_DGRAM, 0);
	if (fd == -1)
		return -1;

	sockaddr_un addr;
	socklen_t len = sock_address(addr);
	if (bind(fd, reinterpret_cast<sockaddr *>(&addr), len) == -1) {
		close(fd);
		return -1;
	}
	if (fcntl(fd, F_SETFD, FD_CLOEXEC) == -1) {
		close(fd);
		return -1;
	}
	return fd;
}
