// Actions on the player: pause, stop, next and previous file, volume and
// seeking. They go through the player front, which acts only while a file
// plays; the count is taken either way.
#include <climits>
#include <cstdint>

#include "base/error.h"
#include "keys/kba.h"
#include "keys/kb_execute.h"
#include "player/player.h"
#include "screen/paint.h"

void kba_pause(KbaArgs)
{
	player_pause();
}

void kba_stop(KbaArgs)
{
	player_stop();
	playing_playlist = nullptr;
}

void kba_play_next(KbaArgs)
{
	player_skip_song(numprefix_take());
}

void kba_play_prev(KbaArgs)
{
	player_skip_song(-numprefix_take());
}

void kba_volume(KbaArgs a)
{
	const float step = static_cast<float>(numprefix_take());
	switch (a.direction) {
	case FORWARD:
		player_volume_step(step);
		break;
	case BACKWARD:
		player_volume_step(-step);
		break;
	default:
		fatal("kba_volume: invalid direction");
	}
}

// Seconds or minutes forward or back, times the count; a count too large
// for the seconds to fit an int seeks as far as an int goes.
void seek_playback(KbaArgs a)
{
	int64_t seconds;
	switch (a.scale) {
	case SECONDS:
		seconds = a.num;
		break;
	case MINUTES:
		seconds = static_cast<int64_t>(a.num) * 60;
		break;
	default:
		fatal("seek_playback: invalid scale");
	}
	switch (a.direction) {
	case FORWARD:
		break;
	case BACKWARD:
		seconds = -seconds;
		break;
	default:
		fatal("seek_playback: invalid direction");
	}
	seconds *= numprefix_take();
	seconds = seconds > INT_MAX ? INT_MAX : seconds < -INT_MAX ? -INT_MAX : seconds;
	player_seek(static_cast<int>(seconds));
}
