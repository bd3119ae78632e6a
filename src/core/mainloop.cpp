#include "core/mainloop.h"

#include <sys/select.h>

#include <cerrno>
#include <cmath>

#include "core/signals.h"
#include "keys/keybindings.h"
#include "player/player.h"
#include "remote/sock.h"
#include "screen/message.h"
#include "screen/paint.h"
#include "screen/ui.h"

namespace
{

// What the player showed at the previous tick.
const playlist *prev_queue = nullptr;
int prev_qidx = -1;
float prev_volume = -1.0f;
bool prev_playing = false;

void on_timer()
{
	player_monitor();
	bool playing = player_is_playing();

	if (prev_playing || playing)
		paint_player();
	if (prev_playing != playing) {
		paint_library();
		paint_playlist();
	} else if (prev_queue != player_info.queue) {
		paint_library();
		if (prev_queue == viewing_playlist)
			paint_playlist();
	}
	if (player_info.queue == viewing_playlist && prev_qidx != player_info.qidx)
		paint_playlist();

	float volume = player_get_volume();
	if (std::isnan(volume) || volume != prev_volume) {
		paint_message("volume: %3.0f%%", static_cast<double>(volume));
		prev_volume = volume;
	}

	prev_queue = player_info.queue;
	prev_qidx = player_info.qidx;
	prev_playing = playing;
}

// A key from the main loop: a digit extends the number prefix, anything
// else runs its binding.
void handle_key(int key)
{
	if (key <= 0)
		return;
	if ((key >= '1' && key <= '9') || (key == '0' && numprefix_get() > 0))
		numprefix_add_digit(key - '0');
	else
		kb_execute(key);
}

} // namespace

void process_signals()
{
	if (sig_resize) {
		ui_resize();
		ui_clear();
		paint_all();
		sig_resize = 0;
	}
	if (sig_timer) {
		on_timer();
		sig_timer = 0;
	}
	if (sig_child) {
		sig_child = 0;
		player_sigchld();
	}
}

void main_loop(int sock_fd)
{
	while (!sig_quit) {
		process_signals();

		// A key put back by an action, or read ahead by curses, is
		// already waiting: look at the socket without sleeping.
		int key = ui_poll_key();

		fd_set fds;
		FD_ZERO(&fds);
		FD_SET(0, &fds);
		if (sock_fd > 0)
			FD_SET(sock_fd, &fds);
		timeval timeout = { key != -1 ? 0 : 1, 0 };

		errno = 0;
		int n = select(sock_fd > 0 ? sock_fd + 1 : 1, &fds, nullptr, nullptr, &timeout);
		if (n == -1) {
			if (errno != 0 && errno != EINTR)
				break;
			// The socket went unseen: a key read ahead waits for the
			// next turn, so that a datagram that came with it still
			// runs first.
			if (key != -1)
				ui_ungetkey(key);
			key = -1;
			FD_ZERO(&fds);
		}
		if (sock_fd > 0 && FD_ISSET(sock_fd, &fds))
			sock_recv_and_exec(sock_fd);
		if (key == -1 && FD_ISSET(0, &fds))
			key = ui_getkey();
		if (key != -1)
			handle_key(key);
	}
}
