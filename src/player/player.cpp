#include "player/player.h"

#include <strings.h>

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "base/error.h"
#include "base/loop_flags.h"
#include "player/mplayer.h"

namespace
{

// Before player_init: nothing plays and nothing is known.
constexpr PlayerBackend NO_BACKEND = {
	-1,
	"",
	false,
	nullptr,
	[] {},
	[] {},
	nullptr,
	[](const std::string &) {},
	[] {},
	[] {},
	[](int) {},
	[](float) {},
	[] { return 0.0f; },
	[] { return -1.0f; },
	[] { return false; },
	[] { return false; },
	[](player_playnext_fn) {},
	[](player_message_fn) {},
	[](player_message_fn) {},
	[](player_message_fn) {},
	[] {},
};

const PlayerBackend &backend()
{
	return player_info.backend;
}

// a mod n in 0 .. n-1, for n > 0.
int wrap(int64_t a, int n)
{
	return static_cast<int>((a % n + n) % n);
}

// Whether the player can be given the name of queue entry i: no name that
// holds a line break can.
bool playable(const playlist &q, int i)
{
	return q.files[static_cast<size_t>(i)]->filename.value_or("").find_first_of("\n\r") ==
	       std::string::npos;
}

// Moves the queue index on, in loop or random mode, past entries the player
// cannot be given, as far as the queue goes.
void pass_unplayable()
{
	const playlist &q = *player_info.queue;
	for (int tries = 1; !playable(q, player_info.qidx) && tries < q.nfiles(); tries++) {
		if (player_info.mode == MODE_LOOP)
			player_info.qidx = wrap(int64_t{ player_info.qidx } + 1, q.nfiles());
		else
			player_info.qidx = rand() % q.nfiles();
	}
}

// The index of the playing record in q nearest to index near (an entry may
// stand in a playlist twice); -1 when it is not there.
int record_near(const playlist &q, int near)
{
	int best = -1;
	for (int i = 0; i < q.nfiles(); i++)
		if (q.files[static_cast<size_t>(i)] == player_info.record &&
		    (best == -1 || std::abs(i - near) < std::abs(best - near)))
			best = i;
	return best;
}

// Playback ends: the queue index goes back to its start.
void stop_at_start()
{
	player_info.qidx = 0;
	backend().stop();
}

} // namespace

// clang-format off
const PlayerBackend player_backends[] = {
	{ 0, "mplayer", false, nullptr,
	  mplayer_start, mplayer_finish, mplayer_sigchld, mplayer_play, mplayer_stop, mplayer_pause,
	  mplayer_seek, mplayer_volume_step, mplayer_get_position, mplayer_get_volume,
	  mplayer_is_playing, mplayer_is_paused, mplayer_set_callback_playnext,
	  mplayer_set_callback_notice, mplayer_set_callback_error, mplayer_set_callback_fatal,
	  mplayer_monitor },
};
// clang-format on
const int player_nbackends = sizeof player_backends / sizeof player_backends[0];

player_state player_info = { NO_BACKEND };

void player_init(const std::string &name, player_message_fn notice, player_message_fn error)
{
	player_info.mode = MODE_LINEAR;
	player_info.queue = nullptr;
	player_info.qidx = -1;
	player_info.rseed = static_cast<int>(time(nullptr));
	srand(static_cast<unsigned>(player_info.rseed));

	const PlayerBackend *chosen = nullptr;
	for (int i = 0; i < player_nbackends && chosen == nullptr; i++)
		if (strcasecmp(player_backends[i].name, name.c_str()) == 0)
			chosen = &player_backends[i];
	if (chosen == nullptr)
		fatal("backend '%s' not supported", name.c_str());
	player_info.backend = *chosen;
	if (player_info.backend.dynamic)
		fatal("dynamically loaded backends not yet supported");

	backend().set_callback_playnext(player_playnext);
	backend().set_callback_notice(notice);
	backend().set_callback_error(error);
	backend().set_callback_fatal(player_fatal);
	backend().start();
}

void player_destroy()
{
	backend().finish();
}

void player_set_queue(playlist *p, int qidx)
{
	player_info.queue = p;
	player_info.qidx = qidx;
	player_info.record = nullptr;
	player_info.record_left = false;
}

player_queue_guard::player_queue_guard(const playlist *p)
{
	const playlist *q = player_info.queue;
	active = p != nullptr && p == q && player_info.record != nullptr;
	if (!active)
		return;
	old_qidx = player_info.qidx;
	for (int i = std::max(old_qidx + 1, 0); i < q->nfiles(); i++)
		following.push_back(q->files[static_cast<size_t>(i)]);
}

player_queue_guard::~player_queue_guard()
{
	const playlist *q = player_info.queue;
	if (!active || q == nullptr)
		return;
	// The record where it is now, nearest to where it was.
	const int best = record_near(*q, old_qidx);
	if (best != -1) {
		player_info.qidx = best;
		player_info.record_left = false;
		return;
	}
	// Gone: next is the first entry that followed it and is still there.
	player_info.record_left = true;
	for (const meta_info *f : following) {
		auto at = std::find(q->files.begin(), q->files.end(), f);
		if (at != q->files.end()) {
			player_info.qidx = static_cast<int>(at - q->files.begin()) - 1;
			return;
		}
	}
	player_info.qidx = q->nfiles() - 1;
}

void player_queue_moved(playlist *p)
{
	player_info.queue = p;
	if (player_info.record == nullptr)
		return;
	const int best = record_near(*p, player_info.qidx);
	player_info.record_left = best == -1;
	player_info.qidx = best;
}

bool player_playing_row(const playlist *p, int idx)
{
	return p != nullptr && p == player_info.queue && !player_info.record_left &&
	       idx == player_info.qidx;
}

void player_play()
{
	const playlist *q = player_info.queue;
	const int qidx = player_info.qidx;
	if (q == nullptr)
		fatal("player_play: bad queue/qidx");
	if (qidx < 0 || qidx >= q->nfiles())
		fatal("player_play: qidx %i out-of-range", qidx);
	player_info.record = q->files[static_cast<size_t>(qidx)];
	player_info.record_left = false;
	backend().play(player_info.record->filename.value_or(""));
}

void player_stop()
{
	backend().stop();
}

void player_pause()
{
	if (backend().is_playing())
		backend().pause();
}

void player_seek(int seconds)
{
	if (backend().is_playing())
		backend().seek(seconds);
}

void player_volume_step(float step)
{
	if (backend().is_playing())
		backend().volume_step(step);
}

// The queue may have shrunk under the playing file (entries cut from the
// playing playlist), even to nothing: linear mode then stops where the
// index would leave the queue, and loop and random stop on an empty queue.
void player_skip_song(int n)
{
	if (!backend().is_playing())
		return;
	const int nfiles = player_info.queue != nullptr ? player_info.queue->nfiles() : 0;
	// Once the playing file has left the queue, qidx is the entry before
	// it: the one that followed is one step on, and so is the way back.
	const int64_t target =
	        static_cast<int64_t>(player_info.qidx) + n + (player_info.record_left && n < 0);

	switch (player_info.mode) {
	case MODE_LINEAR:
		if (target < 0 || target >= nfiles) {
			stop_at_start();
			return;
		}
		player_info.qidx = static_cast<int>(target);
		break;
	case MODE_LOOP:
		if (nfiles == 0) {
			stop_at_start();
			return;
		}
		player_info.qidx = wrap(target, nfiles);
		pass_unplayable();
		break;
	case MODE_RANDOM:
		if (nfiles == 0) {
			stop_at_start();
			return;
		}
		player_info.qidx = rand() % nfiles;
		pass_unplayable();
		break;
	default:
		return;
	}
	player_play();
}

void player_playnext()
{
	player_skip_song(1);
}

void player_fatal(const char *fmt, ...)
{
	run_fatal_hook();
	fprintf(stderr, "The player-backend '%s' has experienced a fatal error:\n", backend().name);
	va_list ap;
	va_start(ap, fmt);
	vfprintf(stderr, fmt, ap);
	va_end(ap);
	fflush(stderr);
	request_quit();
	exit(1);
}

bool player_is_playing()
{
	return backend().is_playing();
}

bool player_is_paused()
{
	return backend().is_paused();
}

float player_get_position()
{
	return backend().get_position();
}

float player_get_volume()
{
	return backend().get_volume();
}

void player_monitor()
{
	backend().monitor();
}

void player_sigchld()
{
	if (backend().sigchld != nullptr)
		backend().sigchld();
}
