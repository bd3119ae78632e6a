#include "core/startup.h"

#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "base/error.h"
#include "base/globals.h"
#include "core/config.h"
#include "core/mainloop.h"
#include "core/signals.h"
#include "ecmd/ecmd.h"
#include "keys/keybindings.h"
#include "keys/toggle.h"
#include "keys/ybuffer.h"
#include "library/medialib.h"
#include "meta/mi_query.h"
#include "meta/mi_sort.h"
#include "player/player.h"
#include "remote/sock.h"
#include "screen/colors.h"
#include "screen/paint.h"
#include "screen/ui.h"

namespace
{

// The listening remote-control socket; empty when another instance has it
// or another user's file holds its path.
unique_fd sock_fd;

// Runs the e-command named at argv[optind - 1] with the words from there on.
[[noreturn]] void run_ecmd(int argc, char *argv[], const char *name)
{
	const ecmd *e = ecmd_lookup(name);
	if (e == nullptr)
		fatal("Unknown e-command '%s'.  See 'korvane -e help' for list.", name);
	exit(e->exec(argc - optind + 1, argv + optind - 1));
}

} // namespace

void usage(const char *progname)
{
	fprintf(stderr,
	        "usage: %s [-f config-file] [-d database-file] [-p playlist-dir] "
	        "[-m player-path] [-e COMMAND ...]\n"
	        "See \"%s -e help\" for information about what e-commands are available.\n",
	        progname, progname);
	exit(1);
}

void handle_switches(int argc, char *argv[])
{
	bool sent = false;
	int ch;

	// The leading '+' stops parsing at the first word that is not an
	// option, so an e-command's words are never taken as options.
	optind = 1;
	while ((ch = getopt(argc, argv, "+he:f:d:p:m:c:")) != -1) {
		switch (ch) {
		case 'f':
			conf_file = optarg;
			break;
		case 'd':
			db_file = optarg;
			break;
		case 'p':
			playlist_dir = optarg;
			break;
		case 'm':
			player_backend = optarg;
			break;
		case 'c':
			switch (sock_send(optarg)) {
			case SOCK_SENT:
				break;
			case SOCK_NOT_RUNNING:
				fatal("Failed to send message. Korvane not running?");
			case SOCK_QUEUE_FULL:
				fatal("korvane is not reading its commands (queue full); "
				      "message not sent");
			}
			sent = true;
			break;
		case 'e':
			run_ecmd(argc, argv, optarg);
		case 'h':
		default:
			usage(argv[0]);
		}
	}
	if (sent)
		exit(0);
}

void startup_screen()
{
	kb_init();
	ui_init(18);
	paint_setup_colors();

	viewing_playlist = medialib.library;
	ui.playlist.nrows = medialib.library->nfiles();
	ui.playlist.crow = ui.playlist.voffset = ui.playlist.hoffset = 0;
	ui.library.nrows = medialib.nplaylists();
	playing_playlist = nullptr;
}

int korvane_main(int argc, char *argv[])
{
	globals_init_from_home();
	handle_switches(argc, argv);

	if (sock_send(SOCK_PROBE) != SOCK_NOT_RUNNING) {
		printf("Korvane appears to be running already. Won't open socket.");
		fflush(stdout);
	} else {
		switch (sock_listen(sock_fd)) {
		case SOCK_LISTENING:
			break;
		case SOCK_FOREIGN:
			// Another user's file at the path must neither hear our
			// commands nor keep us from starting.
			warn_msg("%s belongs to another user; remote control is off", SOCK_PATH);
			break;
		case SOCK_FAILED:
			fatal("failed to open socket.");
		}
	}

	signal(SIGPIPE, SIG_IGN);
	for (int sig : { SIGCHLD, SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGWINCH })
		signal(sig, signal_handler);
	setup_timer();

	mi_query_init();
	mi_sort_init();
	mi_display_init();
	ybuffer_init();
	toggleset_init();

	medialib_load(db_file, playlist_dir);
	if (medialib.library->nfiles() == 0) {
		printf("The korvane database is currently empty.\n");
		printf("See 'korvane -e help add' for how to add files.\n");
		return 0;
	}

	std::sort(medialib.library->files.begin(), medialib.library->files.end(),
	          [](const meta_info *a, const meta_info *b) { return mi_compare(a, b) < 0; });

	startup_screen();
	load_config();

	player_init(player_backend);
	player_info.mode = MODE_LOOP;
	atexit(player_destroy);

	paint_all();
	if (!sig_quit)
		main_loop(sock_fd.get());

	ui_destroy();
	player_destroy();
	medialib_destroy();
	mi_query_clear();
	ybuffer_free();
	toggleset_free();
	return 0;
}
