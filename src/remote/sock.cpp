#include "remote/sock.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>
#include <string_view>

#include "base/owners.h"
#include "keys/keybindings.h"

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
	unique_fd fd(socket(AF_UNIX, SOCK_DGRAM, 0));
	if (!fd)
		return -1;

	sockaddr_un addr;
	socklen_t len = sock_address(addr);
	ssize_t sent =
	        sendto(fd.get(), text, strlen(text), 0, reinterpret_cast<sockaddr *>(&addr), len);
	return sent == -1 ? -1 : 0;
}

unique_fd sock_listen()
{
	unlink(SOCK_PATH);

	unique_fd fd(socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
	if (!fd)
		return fd;

	sockaddr_un addr;
	socklen_t len = sock_address(addr);
	if (bind(fd.get(), reinterpret_cast<sockaddr *>(&addr), len) == -1)
		fd.reset();
	return fd;
}

void sock_recv_and_exec(int fd)
{
	char buf[SOCK_TEXT_MAX + 1];
	ssize_t n = recvfrom(fd, buf, SOCK_TEXT_MAX, 0, nullptr, nullptr);
	if (n < 0)
		return;
	// The text ends at its first NUL byte, if any.
	std::string_view text(buf, strnlen(buf, static_cast<size_t>(n)));
	if (text == SOCK_PROBE)
		return;
	// Texts that name no action are commands, run once the command
	// language is there.
	kb_execute_by_name(text);
}
