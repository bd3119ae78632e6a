// Configuration lines through the command dispatch, on a screen that is up
// but headless: curses draws on a pseudo-terminal (its slave on standard
// input and output, its master drained by a thread) in a private HOME with
// a small library and one playlist. The bytes are a configuration file read
// by the loader in its reporting mode, and then, line by line, ':' lines run
// as the command line runs them. Every input starts from the same state: the
// bindings, toggles, descriptions, query, colours, properties, layout and
// playlists are set up again and files that earlier inputs wrote removed, so
// 'w', 'new', 'reload' and 'q' (which only raises the quit flag) are fuzzed
// too. No command is filtered out: with a readable database and playlists
// directory, none of them ends the program.
#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "base/globals.h"
#include "commands/cmd.h"
#include "core/config.h"
#include "core/signals.h"
#include "fuzz_util.h"
#include "bindings/keybindings.h"
#include "input/input.h"
#include "keys/kb_execute.h"
#include "commands/toggle.h"
#include "playlist/ybuffer.h"
#include "library/db_file.h"
#include "library/medialib.h"
#include "meta/mi_query.h"
#include "meta/mi_sort.h"
#include "player/player.h"
#include "screen/colors.h"
#include "screen/paint.h"
#include "screen/ui.h"

namespace
{

// More lines than this in one input are not run one by one.
constexpr size_t MAX_LINES = 64;

const char PLAYLIST_TEXT[] = "/m/b.ogg\n/m/a.ogg\n/m/missing.ogg\n";

// The library's records, saved as the database of the private HOME.
void write_database()
{
	medialib_new_state();
	const struct {
		const char *file, *artist, *album, *title, *track;
	} rows[] = {
		{ "/m/a.ogg", "Abba", "Gold", "Waterloo", "3" },
		{ "/m/b.ogg", "Beatles", "Abbey Road", "Something", "2" },
		{ "/m/c d.ogg", "Can", "Tago Mago", "Mushroom", "4" },
		{ "/m/e.ogg", nullptr, nullptr, nullptr, nullptr },
		{ "http://example.org/stream", nullptr, nullptr, "Radio", nullptr },
	};
	for (const auto &r : rows) {
		mi_ptr mi = mi_new();
		mi->filename = r.file;
		const char *fields[] = { r.artist, r.album, r.title, r.track };
		for (int i = 0; i < 4; i++)
			if (fields[i] != nullptr)
				mi->cinfo[i] = fields[i];
		mi->length = 245;
		mi->is_url = r.file[0] == 'h';
		medialib.library->files.push_back(medialib_adopt(std::move(mi)));
	}
	medialib_db_save(db_file);
	medialib_destroy();
}

// Puts curses on a new pseudo-terminal of 24 rows and 80 columns whose
// output a thread throws away.
void open_terminal()
{
	int master = -1, slave = -1;
	winsize ws = {};
	ws.ws_row = 24;
	ws.ws_col = 80;
	if (openpty(&master, &slave, nullptr, nullptr, &ws) != 0) {
		perror("openpty");
		abort();
	}
	if (dup2(slave, STDIN_FILENO) == -1 || dup2(slave, STDOUT_FILENO) == -1) {
		perror("dup2");
		abort();
	}
	close(slave);
	std::thread([master] {
		char buf[4096];
		while (read(master, buf, sizeof buf) > 0)
			;
	}).detach();
	setenv("TERM", "xterm-256color", 1);
	unsetenv("LINES");
	unsetenv("COLUMNS");
}

// The start of the interactive program, as korvane_main runs it.
void start()
{
	const std::string home = fuzz_temp_dir() + "/home";
	std::filesystem::create_directories(home + "/.korvane/playlists");
	setenv("HOME", home.c_str(), 1);
	globals_init_from_home();
	write_database();

	mi_query_init();
	mi_sort_init();
	mi_display_init();
	ybuffer_init();
	toggleset_init();
	kb_init();
	open_terminal();
	ui_init(18);
	paint_setup_colors();
}

// Everything the commands change, back as it was at the start.
void reset()
{
	sig_quit = 0;
	input_clear();
	save_sorts = false;
	player_info.mode = MODE_LOOP;
	kb_init();
	numprefix_clear();
	visual_start = -1;
	toggleset_init();
	mi_query_init();
	mi_sort_init();
	mi_display_init();
	ybuffer_clear();
	paint_setup_colors();

	std::filesystem::remove_all(playlist_dir);
	std::filesystem::create_directories(playlist_dir);
	fuzz_write_file(playlist_dir + "/mix.playlist", PLAYLIST_TEXT);
	medialib_load(db_file, playlist_dir);
	std::sort(medialib.library->files.begin(), medialib.library->files.end(),
	          [](const meta_info *a, const meta_info *b) { return mi_compare(a, b) < 0; });

	ui.lwidth = 18;
	ui.lhide = false;
	if (!ui.library.cwin)
		ui_unhide_library();
	ui_resize();
	ui.active = &ui.library;
	ui.library.crow = ui.library.voffset = ui.library.hoffset = 0;
	viewing_playlist = medialib.library;
	ui.playlist.crow = ui.playlist.voffset = ui.playlist.hoffset = 0;
	playing_playlist = nullptr;
	showing_file_info = false;
	player_info.queue = nullptr;
	player_info.qidx = -1;
	paint_all();
	paint_flush();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
	start();
	return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	const std::string_view bytes(reinterpret_cast<const char *>(data), size);
	reset();

	fuzz_write_file(conf_file, bytes);
	load_config(config_errors::report);

	std::vector<std::string_view> lines = fuzz_split(bytes, '\n');
	lines.resize(std::min(lines.size(), MAX_LINES));
	for (std::string_view line : lines) {
		// What the ':' line runs: not a shell line, not a blank one.
		if (line.empty() || line[0] == '!' ||
		    line.find_first_not_of(" \t") == std::string_view::npos)
			continue;
		cmd_execute(std::string(line));
		FUZZ_CHECK(viewing_playlist != nullptr);
	}
	return 0;
}
