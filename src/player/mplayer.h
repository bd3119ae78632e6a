// The mplayer backend: the external `mplayer` run as a child in slave mode,
// driven by text commands on its standard input and polled for the
// position on every timer tick.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "player/player.h"

// Whether an executable file called name is in one of the directories of
// $PATH; empty parts of $PATH are skipped.
bool exe_in_path(const char *name);

// The loadfile command for file, written so that the player reads back
// exactly that name; none when the name holds a line feed or a carriage
// return, which no command can carry.
std::optional<std::string> mplayer_loadfile_command(std::string_view file);

// What one read of the player's answers says.
struct mplayer_answers {
	bool misbehaving = false;      // an answer came without its number
	bool ended = false;            // the file that played has ended
	std::optional<float> volume;   // the last volume answer
	std::optional<float> position; // the last position answer, unless the file ended
};

// The answers in the complete lines of what was read, after the start of a
// line that partial kept from the read before; partial keeps the start of
// the next. The position is not read once the file ended.
mplayer_answers mplayer_parse_answers(std::string &partial, const std::string &read);

// The whole seconds of a reported position, where a restarted player
// continues: 0 for a position before the start or not a number, the most an
// int holds for one past that.
int mplayer_resume_seconds(float position);

// The backend's operations, in the order of the backend table.
void mplayer_start();
void mplayer_finish();
void mplayer_sigchld();
void mplayer_play(const std::string &file);
void mplayer_stop();
void mplayer_pause();
void mplayer_seek(int seconds);
void mplayer_volume_step(float step);
float mplayer_get_position();
float mplayer_get_volume();
bool mplayer_is_playing();
bool mplayer_is_paused();
void mplayer_set_callback_playnext(player_playnext_fn f);
void mplayer_set_callback_notice(player_message_fn f);
void mplayer_set_callback_error(player_message_fn f);
void mplayer_set_callback_fatal(player_message_fn f);
void mplayer_monitor();
