#include "core/startup.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

#include "base/error.h"
#include "base/globals.h"
#include "core/config.h"
#include "core/mainloop.h"
#include "core/signals.h"
#include "bindings/keybindings.h"
#include "commands/cmd.h"
#include "commands/toggle.h"
#include "ecmd/ecmd.h"
#include "library/medialib.h"
#include "meta/mi_query.h"
#include "meta/mi_sort.h"
#include "player/player.h"
#include "playlist/recovery.h"
#include "playlist/ybuffer.h"
#include "remote/sock.h"
#include "screen/colors.h"
#include "screen/message.h"
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

// An exception nobody caught: the screen is given back before the program
// ends as an abort does.
[[noreturn]] void on_terminate()
{
	run_fatal_hook();
	fflush(stdout);
	try {
		if (std::exception_ptr e = std::current_exception())
			std::rethrow_exception(e);
		fprintf(stderr, "%s: uncaught exception\n", program_invocation_short_name);
	} catch (const std::exception &e) {
		fprintf(stderr, "%s: uncaught exception: %s\n", program_invocation_short_name,
		        e.what());
	} catch (...) {
		fprintf(stderr, "%s: uncaught exception\n", program_invocation_short_name);
	}
	std::abort();
}

// Prints a status block; watching, a blank line before each one after the
// first. False once the output is closed.
bool print_block(const std::string &block)
{
	static bool first = true;
	if (!first)
		fputc('\n', stdout);
	first = false;
	fputs(block.c_str(), stdout);
	return fflush(stdout) == 0;
}

// korvane -Q [-w]: what the running instance plays, once or at every change.
int run_query(bool watch)
{
	switch (sock_ask(watch ? SOCK_WATCH : SOCK_QUERY, print_block)) {
	case SOCK_ANSWERED:
	case SOCK_ASK_ENDED:
		return 0;
	case SOCK_NO_ANSWER:
		fatal("the running korvane did not answer within a second");
	case SOCK_ASK_NOT_RUNNING:
		break;
	}
	fatal("Failed to send message. Korvane not running?");
}

void tell_how_to_begin()
{
	fprintf(stderr, "%s: run 'korvane -e init', then 'korvane -e add DIRECTORY'\n",
	        program_invocation_short_name);
}

// Says which playlists a killed earlier run left to recover.
void tell_recoverable()
{
	std::string names;
	for (const std::string &name : recovery_list(medialib.playlist_dir))
		names += (names.empty() ? "" : ", ") + name;
	if (!names.empty())
		paint_message("unsaved playlists kept: %s (\":salvage NAME\")", names.c_str());
}

} // namespace

void usage(const char *progname)
{
	fprintf(stderr,
	        "usage: %s [-f config-file] [-d database-file] [-p playlist-dir] "
	        "[-m player-path] [-e COMMAND ...]\n"
	        "See \"%s -e help\" for information about what e-commands are available.\n"
	        "\"%s --version\" prints the version.\n",
	        progname, progname, progname);
	exit(1);
}

void handle_switches(int argc, char *argv[])
{
	bool sent = false;
	int ch;

	// The leading '+' stops parsing at the first word that is not an
	// option, so an e-command's words are never taken as options.
	optind = 1;
	bool query = false, watch = false;
	while ((ch = getopt(argc, argv, "+he:f:d:p:m:c:Qw")) != -1) {
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
			// The ':' line takes no longer a command, nor does the socket.
			if (strlen(optarg) > static_cast<size_t>(SOCK_TEXT_MAX))
				fatal("a remote command may be at most %d bytes long; not sent",
				      SOCK_TEXT_MAX);
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
		case 'Q':
			query = true;
			break;
		case 'w':
			watch = true;
			break;
		case 'e':
			run_ecmd(argc, argv, optarg);
		case 'h':
		default:
			usage(argv[0]);
		}
	}
	if (query)
		exit(run_query(watch));
	if (watch)
		usage(argv[0]);
	if (sent)
		exit(0);
}

void startup_screen()
{
	kb_init();
	ui_init(18);
	paint_setup_colors();

	show_playlist(medialib.library);
	playing_playlist = nullptr;
}

int korvane_main(int argc, char *argv[])
{
	// Texts follow the user's locale; numbers stay in the C form, which the
	// player's slave protocol reads and writes.
	setlocale(LC_ALL, "");
	setlocale(LC_NUMERIC, "C");
	std::set_terminate(on_terminate);
	if (argc == 2 && strcmp(argv[1], "--version") == 0) {
		printf("korvane %s\n", KORVANE_VERSION);
		return 0;
	}
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
	sigset_t wait_mask;
	setup_signals(wait_mask);
	setup_timer();

	mi_query_init();
	mi_sort_init();
	mi_display_init();
	ybuffer_init();
	toggleset_init();

	// Without a database the load ends the program: one more line says how
	// to begin.
	struct stat st;
	if (stat(db_file.c_str(), &st) == -1 && errno == ENOENT)
		atexit(tell_how_to_begin);
	medialib_load(db_file, playlist_dir);
	if (medialib.library->nfiles() == 0) {
		printf("The korvane database is currently empty.\n");
		printf("See 'korvane -e help add' for how to add files.\n");
		return 0;
	}

	std::stable_sort(medialib.library->files.begin(), medialib.library->files.end(),
	          [](const meta_info *a, const meta_info *b) { return mi_compare(a, b) < 0; });

	startup_screen();
	load_config();

	player_init(player_backend, paint_message, paint_error);
	player_info.mode = MODE_LOOP;
	atexit(player_destroy);

	paint_all();
	tell_recoverable();
	if (!quit_requested())
		main_loop(sock_fd.get(), wait_mask);
	// Ended by a signal or the loss of the terminal rather than the user's
	// word: unsaved playlists are kept for the next start.
	if (sig_quit_cause != 0)
		recovery_write(medialib.playlist_dir, cmd_unsaved_playlists());

	ui_destroy();
	player_destroy();
	medialib_destroy();
	mi_query_clear();
	ybuffer_free();
	toggleset_free();
	return 0;
}
