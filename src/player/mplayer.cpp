#include "player/mplayer.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "base/error.h"
#include "player/player_child.h"

namespace
{

const char PROGRAM[] = "mplayer";

// clang-format off
char *const mplayer_argv[] = {
	const_cast<char *>("mplayer"), const_cast<char *>("-slave"), const_cast<char *>("-idle"),
	const_cast<char *>("-quiet"), const_cast<char *>("-msglevel"),
	const_cast<char *>("cplayer=0:ao=0:vo=0:decaudio=0:decvideo=0:demuxer=0"), nullptr,
};
// clang-format on

// The longest answer line kept across reads, and the most read at once.
constexpr size_t ANSWER_MAX = 1000;
// Positions from here on (about 31 years) are no file's.
constexpr float POSITION_LIMIT = 1e9f;
// A child that dies again this many seconds or less after the last death
// cannot be run at all.
constexpr double CRASH_WINDOW = 1.0;

const char POSITION_QUERY[] = "\nget_property time_pos\n";
const char VOLUME_QUERY[] = "\npausing_keep get_property volume\n";
const char END_OF_FILE[] = "ANS_ERROR=PROPERTY_UNAVAILABLE";
const char POSITION_ANSWER[] = "ANS_time_pos";
const char VOLUME_ANSWER[] = "ANS_volume";

struct mplayer_backend_state {
	player_child child;
	bool playing = false; // a file is loaded and not stopped (also while paused)
	bool paused = false;
	float position = 0;       // seconds, as last reported
	float volume = -1;        // 0 to 100 as last reported; -1 until then
	std::string current_file; // the file last loaded
	bool initialized = false; // the fields above have their first values
	std::string partial;      // the start of an answer line still being written
	// When the child last died, in seconds of the monotonic clock.
	std::optional<double> last_death;
	player_playnext_fn playnext = nullptr;
	player_message_fn notice = nullptr;
	player_message_fn error = nullptr;
	player_message_fn fatal = nullptr;
};

mplayer_backend_state mplayer_state;

double monotonic_seconds()
{
	timespec t;
	clock_gettime(CLOCK_MONOTONIC, &t);
	return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

void send(const std::string &text)
{
	mplayer_state.child.send(text);
}

std::string format_command(const char *who, const char *fmt, double value)
{
	char text[128];
	int n = snprintf(text, sizeof text, fmt, value);
	if (n < 0 || static_cast<size_t>(n) >= sizeof text)
		fatal_sys("%s: asprintf failed", who);
	return text;
}

// Sets the absolute volume, keeping the pause state, and asks for it back.
void mplayer_volume_set(float v)
{
	if (!mplayer_state.playing)
		return;
	v = std::max(std::min(v, 100.0f), 0.0f);
	send(format_command("mplayer_volume_set", "\npausing_keep set_property volume %f\n", v));
	send(VOLUME_QUERY);
}

// A new child in place of the dead one; a file that was playing is loaded
// again and continues about where it was.
void mplayer_restart()
{
	mplayer_state.child.close_pipes();
	mplayer_start();
	// Paused, it comes back paused at the same place.
	if (mplayer_state.playing) {
		const bool paused = mplayer_state.paused;
		const int seconds = mplayer_resume_seconds(mplayer_state.position);
		mplayer_play(std::string(mplayer_state.current_file));
		mplayer_seek(seconds);
		if (paused)
			mplayer_pause();
	}
}

// The complete answer lines among what was read now and before; the end of
// a line not yet complete is kept in partial for the next read (unless it
// has grown past any answer's size).
std::string complete_lines(std::string &partial, const std::string &read)
{
	std::string text = partial + read;
	size_t end = text.rfind('\n');
	end = end == std::string::npos ? 0 : end + 1;
	partial = text.substr(end);
	if (partial.size() > ANSWER_MAX) {
		partial.clear();
		return text;
	}
	return text.substr(0, end);
}

// Reads the value of the last answer called name in text into value, which
// is left alone when there is no such answer; false when there is one
// without a number.
bool read_last_answer(const std::string &text, const char *name, std::optional<float> &value)
{
	size_t at = text.rfind(name);
	if (at == std::string::npos)
		return true;
	std::string format = std::string(name) + "=%f";
	float v = 0;
	if (sscanf(text.c_str() + at, format.c_str(), &v) != 1)
		return false;
	value = v;
	return true;
}

} // namespace

bool exe_in_path(const char *name)
{
	const char *path = getenv("PATH");
	if (path == nullptr)
		fatal_sys("%s: strdup/getenv failed for $PATH", "exe_in_path");

	std::string_view rest = path;
	while (!rest.empty()) {
		size_t colon = rest.find(':');
		std::string_view dir = rest.substr(0, colon);
		rest = colon == std::string_view::npos ? std::string_view()
		                                       : rest.substr(colon + 1);
		if (dir.empty())
			continue;
		std::string candidate = std::string(dir) + "/" + name;
		if (access(candidate.c_str(), X_OK) == 0)
			return true;
	}
	return false;
}

int mplayer_resume_seconds(float position)
{
	// A child that misbehaves may report no number (nan) or one past what
	// an int holds; the conversion of those would be undefined.
	if (!(position > 0))
		return 0;
	if (position >= static_cast<float>(INT_MAX))
		return INT_MAX;
	return static_cast<int>(position);
}

mplayer_answers mplayer_parse_answers(std::string &partial, const std::string &read)
{
	const std::string text = complete_lines(partial, read);
	mplayer_answers a;
	// A volume answer holds even when the file ended in the same read: it
	// is what the player reported, and the next file is set to it.
	if (!read_last_answer(text, VOLUME_ANSWER, a.volume)) {
		a.misbehaving = true;
		return a;
	}
	// The idle player has no file any more: the one that played has ended.
	if (text.find(END_OF_FILE) != std::string::npos) {
		a.ended = true;
		return a;
	}
	a.misbehaving = !read_last_answer(text, POSITION_ANSWER, a.position);
	// A number no file or mixer has (nan, infinite, negative, past the
	// scale) is no answer: it is never shown.
	if (a.volume && !(std::isfinite(*a.volume) && *a.volume >= 0 && *a.volume <= 100))
		a.volume.reset();
	if (a.position && !(std::isfinite(*a.position) && *a.position >= 0 &&
	                    *a.position < POSITION_LIMIT))
		a.position.reset();
	return a;
}

// The player reads a quoted name up to the first quote not preceded by a
// backslash, then drops each backslash and keeps the character after it. A
// name that ends in a backslash would escape its own closing quote, so it
// goes unquoted (the name then ends at the first unescaped blank, so blanks
// and quotes are escaped too) and without the optional second argument.
std::optional<std::string> mplayer_loadfile_command(std::string_view file)
{
	if (file.find_first_of("\n\r") != std::string_view::npos)
		return std::nullopt;

	const bool quoted = file.empty() || file.back() != '\\';
	const std::string_view escaped = quoted ? "\\\"" : "\\\"' \t";
	std::string cmd = quoted ? "\nloadfile \"" : "\nloadfile ";
	for (char c : file) {
		if (escaped.find(c) != std::string_view::npos)
			cmd += '\\';
		cmd += c;
	}
	cmd += quoted ? "\" 0" : "";
	return cmd + POSITION_QUERY;
}

void mplayer_start()
{
	if (!exe_in_path(PROGRAM))
		fatal("it appears '%s' does not exist in your $PATH", PROGRAM);
	mplayer_state.child.start("mplayer_start", PROGRAM, mplayer_argv);
	mplayer_state.partial.clear();

	if (!mplayer_state.initialized) {
		mplayer_state.playing = false;
		mplayer_state.paused = false;
		mplayer_state.position = 0;
		mplayer_state.volume = -1;
		mplayer_state.current_file.clear();
		mplayer_state.initialized = true;
	}
}

void mplayer_finish()
{
	mplayer_state.child.finish("\nquit\n");
}

// The child signal also comes when the child stops or continues, and when
// another child of the program ends (a shell command): only a death of the
// player counts, timed on the monotonic clock, which neither jumps with the
// wall clock nor rounds to whole seconds.
void mplayer_sigchld()
{
	if (!mplayer_state.child.has_exited())
		return;
	const double now = monotonic_seconds();
	const bool again =
	        mplayer_state.last_death && now - *mplayer_state.last_death <= CRASH_WINDOW;
	mplayer_state.last_death = now;
	if (!again) {
		mplayer_restart();
		if (mplayer_state.error != nullptr)
			mplayer_state.error("%s died.  Restarting it.", PROGRAM);
	} else if (mplayer_state.fatal != nullptr) {
		mplayer_state.fatal("%s is crashing too often.  Possible causes are:\n"
		                    "   1. %s is not in your $PATH\n"
		                    "   2. The installed %s is older, and not supported by "
		                    "korvane\n",
		                    PROGRAM, PROGRAM, PROGRAM);
	}
}

void mplayer_play(const std::string &file)
{
	std::optional<std::string> cmd = mplayer_loadfile_command(file);
	if (!cmd) {
		mplayer_stop();
		if (mplayer_state.error != nullptr)
			mplayer_state.error("can't play a file whose name holds a line break");
		return;
	}
	send(*cmd);
	mplayer_state.position = 0;
	mplayer_state.playing = true;
	mplayer_state.paused = false;
	mplayer_state.current_file = file;
	if (mplayer_state.volume > -1)
		mplayer_volume_set(mplayer_state.volume);
}

void mplayer_stop()
{
	send("\nstop\n");
	mplayer_state.playing = false;
	mplayer_state.paused = false;
}

void mplayer_pause()
{
	if (!mplayer_state.playing)
		return;
	send("\npause\n");
	mplayer_state.paused = !mplayer_state.paused;
}

void mplayer_seek(int seconds)
{
	if (!mplayer_state.playing)
		return;
	char text[64];
	snprintf(text, sizeof text, "\nseek %i 0%s", seconds, POSITION_QUERY);
	send(text);
	mplayer_state.paused = false;
}

void mplayer_volume_step(float step)
{
	if (!mplayer_state.playing)
		return;
	if (mplayer_state.volume > -1) {
		mplayer_volume_set(mplayer_state.volume + step);
		return;
	}
	send(format_command("mplayer_volume_step", "\npausing_keep volume %f\n", step));
	send(VOLUME_QUERY);
}

float mplayer_get_position()
{
	return mplayer_state.position;
}

float mplayer_get_volume()
{
	return mplayer_state.volume;
}

bool mplayer_is_playing()
{
	return mplayer_state.playing;
}

bool mplayer_is_paused()
{
	return mplayer_state.paused;
}

void mplayer_set_callback_playnext(player_playnext_fn f)
{
	mplayer_state.playnext = f;
}

void mplayer_set_callback_notice(player_message_fn f)
{
	mplayer_state.notice = f;
}

void mplayer_set_callback_error(player_message_fn f)
{
	mplayer_state.error = f;
}

void mplayer_set_callback_fatal(player_message_fn f)
{
	mplayer_state.fatal = f;
}

// Called on every timer tick: the answers to the last queries, then the
// position query whose answer the next tick reads. While paused the child
// is left alone.
void mplayer_monitor()
{
	if (!mplayer_state.playing || mplayer_state.paused)
		return;
	// Everything the child wrote since the last tick, however much.
	std::optional<std::string> read;
	while (std::optional<std::string> more = mplayer_state.child.receive(ANSWER_MAX)) {
		read = read.value_or("") + *more;
		if (more->empty())
			break; // its output has ended
	}
	if (!read)
		return;
	const mplayer_answers a = mplayer_parse_answers(mplayer_state.partial, *read);
	if (a.volume)
		mplayer_state.volume = *a.volume;
	if (a.misbehaving)
		fatal("player_monitor: player child is misbehaving.");
	if (a.ended) {
		if (mplayer_state.playnext != nullptr)
			mplayer_state.playnext();
		return;
	}
	if (a.position)
		mplayer_state.position = *a.position;
	send(POSITION_QUERY);
}
