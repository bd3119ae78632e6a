#include "core/mainloop.h"

#include <sys/select.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "base/loop_flags.h"
#include "commands/cmd.h"
#include "input/input.h"
#include "keys/kb_execute.h"
#include "keys/kba.h"
#include "player/player.h"
#include "player/player_status.h"
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

// Acts on the resize, timer and child flags. A resize waits while the
// screen is away for a shell command.
void process_signals()
{
	if (sig_resize && !ui_is_ended()) {
		sig_resize = 0;
		ui_resize();
		ui_clear();
	}
	if (sig_timer) {
		sig_timer = 0;
		on_timer();
	}
	if (sig_child) {
		sig_child = 0;
		player_sigchld();
		shell_check();
	}
}

// A key while no mode is open: a digit extends the number prefix, anything
// else runs its binding.
void normal_key(int key)
{
	if (key <= 0)
		return;
	if ((key >= '1' && key <= '9') || (key == '0' && numprefix_get() > 0))
		numprefix_add_digit(key - '0');
	else
		kb_execute(key);
}

void feed_key(int key)
{
	input_feed(key);
	// What the key typed into a prompt shows at once, over any message.
	if (input_prompt() != nullptr)
		prompt_touch();
}

// The askers that watch the status, and the status they were sent last.
std::vector<sock_message> watchers;
std::string watched_status;

// Sends the status to every watcher when it changed (its position aside);
// a watcher whose queue is full or who has gone is dropped.
void tell_watchers(int sock_fd)
{
	if (watchers.empty())
		return;
	const std::string key = player_status_key();
	if (key == watched_status)
		return;
	watched_status = key;
	const std::string block = player_status_block();
	std::erase_if(watchers,
	              [&](const sock_message &w) { return !sock_answer(sock_fd, w, block); });
}

// A remote command: an action by name, else a command line. It must not
// take the keyboard from an open prompt or pending key; what it says stays
// on the command row until the next key.
void run_remote(int sock_fd, const sock_message &m)
{
	const std::string &text = m.text;
	if (text == SOCK_PROBE)
		return;
	if (text == SOCK_QUERY) {
		sock_answer(sock_fd, m, player_status_block());
		return;
	}
	if (text == SOCK_WATCH) {
		const std::string pid = SOCK_WATCHING + std::to_string(getpid());
		if (sock_answer(sock_fd, m, pid) && sock_answer(sock_fd, m, player_status_block()))
			watchers.push_back(m);
		watched_status = player_status_key();
		return;
	}
	const bool prompt_open = input_prompt() != nullptr;
	const long said = message_count();
	input_refuse_modes(true);
	if (!kb_execute_by_name(text))
		cmd_execute(text);
	input_refuse_modes(false);
	if (input_take_refused())
		paint_error("'%s' not run: a prompt is open", text.c_str());
	if (prompt_open && message_count() != said)
		prompt_hold();
}

} // namespace

void main_loop(int sock_fd, const sigset_t &wait_mask)
{
	input_set_normal(normal_key);
	while (!quit_requested()) {
		process_signals();
		if (quit_requested())
			break;

		// Painted before curses is asked for a key, which would show a
		// touched window itself.
		paint_flush();
		tell_watchers(sock_fd);

		// While a shell command runs, the terminal is its own. A key
		// given back by a mode, or read ahead by curses, is already
		// waiting: look at the socket without sleeping.
		const bool keyboard = !shell_running();
		int key = keyboard ? input_take_ungot() : -1;
		if (key == -1 && keyboard)
			key = ui_poll_key();

		fd_set fds;
		FD_ZERO(&fds);
		if (keyboard)
			FD_SET(0, &fds);
		if (sock_fd > 0)
			FD_SET(sock_fd, &fds);
		timespec timeout = { key != -1 ? 0 : 1, 0 };
		int n = pselect(sock_fd > 0 ? sock_fd + 1 : 1, &fds, nullptr, nullptr, &timeout,
		                &wait_mask);
		if (n == -1) {
			if (errno != EINTR)
				break;
			// A signal came: its flag is seen first, and a key read
			// ahead waits for the next turn, so that a datagram that
			// came with it still runs first.
			if (key != -1)
				input_unget(key);
			continue;
		}
		if (sock_fd > 0 && FD_ISSET(sock_fd, &fds)) {
			if (std::optional<sock_message> m = sock_recv_message(sock_fd))
				run_remote(sock_fd, *m);
		}
		if (key == -1 && keyboard && FD_ISSET(0, &fds)) {
			// The end of input ends the program as a hang-up does.
			if (ui_read_key(key) == UI_END_OF_INPUT)
				request_hangup();
		}
		if (key != -1 && !quit_requested())
			feed_key(key);
	}
}
