// The player front: the queue, the play mode and the table of backends
// through which files are played.
#pragma once

#include <string>
#include <vector>

#include "playlist/playlist.h"

enum { MODE_LINEAR = 0, MODE_LOOP = 1, MODE_RANDOM = 2 };

// A file has ended.
using player_playnext_fn = void (*)();
// A printf-style report; the fatal one does not return.
using player_message_fn = void (*)(const char *fmt, ...);

// One backend: what it is and its 17 operations, in slot order.
struct PlayerBackend {
	int type;           // 0 for the built-in mplayer backend
	const char *name;   // chosen by this name, in any case
	bool dynamic;       // would be loaded from a module (none is)
	const char *module; // that module's path; null for built-in backends

	void (*start)();
	void (*finish)();
	void (*sigchld)(); // optional: null when the backend has no child
	void (*play)(const std::string &file);
	void (*stop)();
	void (*pause)();
	void (*seek)(int seconds);
	void (*volume_step)(float step);
	float (*get_position)();
	float (*get_volume)(); // 0 to 100, or -1 while not known
	bool (*is_playing)();  // a file is loaded, playing or paused
	bool (*is_paused)();
	void (*set_callback_playnext)(player_playnext_fn f);
	void (*set_callback_notice)(player_message_fn f);
	void (*set_callback_error)(player_message_fn f);
	void (*set_callback_fatal)(player_message_fn f);
	void (*monitor)();
};

// The built-in backends.
extern const PlayerBackend player_backends[];
extern const int player_nbackends;

struct player_state {
	PlayerBackend backend; // a copy of the chosen entry; plays nothing before player_init
	int mode = MODE_LINEAR;
	playlist *queue = nullptr; // the playlist being played; not owned
	int qidx = -1;             // index in queue of the playing file
	int rseed = 0;             // the seed of the random order
	// The record playing: the queue follows it through edits. When it has
	// left the queue it plays on, and qidx is the entry before the one that
	// followed it.
	const meta_info *record = nullptr;
	bool record_left = false;
};

extern player_state player_info;

// Chooses the backend of that name and starts it, with the reports it
// makes going to notice and error; an unknown name ends the program.
void player_init(const std::string &name, player_message_fn notice = nullptr,
                 player_message_fn error = nullptr);
// Shuts the backend down; harmless when called again.
void player_destroy();
void player_set_queue(playlist *p, int qidx);
// Plays the file at qidx of the queue; a bad queue or index ends the program.
void player_play();
void player_stop();
// These act only while a file plays.
void player_pause();
void player_seek(int seconds);
void player_volume_step(float step);
// Moves n files through the queue by the play mode (back when n < 0) and
// plays the file there.
void player_skip_song(int n);
// The next file by the play mode: what follows the end of a file.
void player_playnext();
// Keeps the queue on the playing record across an edit of p (a sort, a cut,
// a paste, an undo, a filter): made before the edit, it moves qidx when it
// goes.
class player_queue_guard
{
public:
	explicit player_queue_guard(const playlist *p);
	~player_queue_guard();
	player_queue_guard(const player_queue_guard &) = delete;
	player_queue_guard &operator=(const player_queue_guard &) = delete;

private:
	bool active = false;
	int old_qidx = -1;
	std::vector<const meta_info *> following; // the entries after the record
};
// The queue becomes p, another playlist (a copy written over the playing
// one): the playing record is looked for in it.
void player_queue_moved(playlist *p);
// The record of the playing row of the queue, while it is in the queue.
bool player_playing_row(const playlist *p, int idx);

// A fatal error of the backend: ends curses, says so on standard error and
// exits with status 1.
[[noreturn]] void player_fatal(const char *fmt, ...) __attribute__((format(printf, 1, 2)));

// What the screen and the main loop ask of the backend.
bool player_is_playing();
bool player_is_paused();
// The position in the playing file, in seconds.
float player_get_position();
// The volume, 0 to 100; -1 while it is not known.
float player_get_volume();
// Reads what the player said and asks for the position again.
void player_monitor();
// A child-process signal has arrived: the backend restarts a dead player.
void player_sigchld();
