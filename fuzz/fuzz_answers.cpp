// The player's answers as the mplayer backend's monitor reads them: the
// bytes are what the child wrote, cut into reads at each \x01 byte (and
// every 1000 bytes, the most one read takes). Each read goes through the
// parser with the start of a line kept from the read before; the values go
// where the monitor and the screen put them. An answer without its number
// ends the program by design: here it ends the input, as a result.
#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz_util.h"
#include "player/mplayer.h"
#include "screen/paint_text.h"

namespace
{

constexpr size_t READ_MAX = 1000;

// The player bar, the volume message and the second a restarted player
// would continue from, for what the monitor knows.
void show(float position, float volume)
{
	mplayer_resume_seconds(position);
	for (int length : { 0, 1, 245, 86400 }) {
		const play_time t = play_time_of(position, length);
		player_bar_text('O', false, t, "Title");
	}
	char text[64];
	snprintf(text, sizeof text, "volume: %3.0f%%", static_cast<double>(volume));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	const std::string_view bytes(reinterpret_cast<const char *>(data), size);
	std::string partial;
	float position = 0, volume = -1;
	for (std::string_view piece : fuzz_split(bytes, '\x01')) {
		do {
			const std::string read(piece.substr(0, READ_MAX));
			piece.remove_prefix(read.size());
			const mplayer_answers a = mplayer_parse_answers(partial, read);
			FUZZ_CHECK(partial.find('\n') == std::string::npos);
			FUZZ_CHECK(partial.size() <= READ_MAX);
			FUZZ_CHECK(!(a.ended && a.position));
			if (a.volume)
				volume = *a.volume;
			if (a.misbehaving)
				return 0;
			if (a.position)
				position = *a.position;
			show(position, volume);
		} while (!piece.empty());
	}
	return 0;
}
