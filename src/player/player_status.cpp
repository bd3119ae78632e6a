#include "player/player_status.h"

#include <cmath>
#include <cstdio>

#include "base/term_text.h"
#include "player/player.h"

namespace
{

const char *mode_name(int mode)
{
	switch (mode) {
	case MODE_LINEAR:
		return "linear";
	case MODE_RANDOM:
		return "random";
	default:
		return "loop";
	}
}

void line(std::string &out, const std::string &key, std::string_view value)
{
	out += key;
	out += ' ';
	out += term_escape(value);
	out += '\n';
}

std::string block(bool with_position)
{
	const bool playing = player_is_playing();
	std::string out;
	line(out, "status", !playing ? "stopped" : player_is_paused() ? "paused" : "playing");
	const meta_info *mi = playing ? player_info.record : nullptr;
	if (mi != nullptr) {
		line(out, "file", mi->filename.value_or(""));
		if (mi->length > 0)
			line(out, "duration", std::to_string(mi->length));
		const float position = player_get_position();
		if (with_position && std::isfinite(position) && position >= 0)
			line(out, "position", std::to_string(static_cast<long long>(position)));
		static const struct {
			int field;
			const char *key;
		} tags[] = {
			{ CINFO_ARTIST, "tag artist" }, { CINFO_ALBUM, "tag album" },
			{ CINFO_TITLE, "tag title" },   { CINFO_TRACK, "tag tracknumber" },
			{ CINFO_YEAR, "tag date" },     { CINFO_GENRE, "tag genre" },
		};
		for (const auto &t : tags)
			if (const auto &text = mi->cinfo[t.field]; text && !text->empty())
				line(out, t.key, *text);
		if (player_info.queue != nullptr && player_info.queue->name)
			line(out, "playlist", *player_info.queue->name);
	}
	if (playing) {
		line(out, "mode", mode_name(player_info.mode));
		const float volume = player_get_volume();
		line(out, "volume",
		     std::to_string(std::isfinite(volume) && volume >= 0 ? std::lround(volume) : -1L));
	}
	return out;
}

} // namespace

std::string player_status_block()
{
	return block(true);
}

std::string player_status_key()
{
	return block(false);
}
