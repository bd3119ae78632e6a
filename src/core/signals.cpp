#include "core/signals.h"

#include <sys/time.h>

#include "base/error.h"

volatile sig_atomic_t sig_quit = 0;
volatile sig_atomic_t sig_resize = 0;
volatile sig_atomic_t sig_timer = 0;
volatile sig_atomic_t sig_child = 0;

void signal_handler(int sig)
{
	switch (sig) {
	case SIGHUP:
	case SIGINT:
	case SIGQUIT:
	case SIGTERM:
		sig_quit = 1;
		break;
	case SIGALRM:
		sig_timer = 1;
		break;
	case SIGCHLD:
		sig_child = 1;
		break;
	case SIGWINCH:
		sig_resize = 1;
		break;
	default:
		break;
	}
}

void setup_timer()
{
	struct sigaction sa = {};
	if (sigemptyset(&sa.sa_mask) == -1)
		fatal_sys("setup_timer: sigemptyset failed");
	sa.sa_handler = signal_handler;
	sa.sa_flags = 0;
	if (sigaction(SIGALRM, &sa, nullptr) == -1)
		fatal_sys("setup_timer: sigaction failed");

	itimerval timer = {};
	timer.it_interval.tv_usec = 500000;
	timer.it_value.tv_usec = 500000;
	if (setitimer(ITIMER_REAL, &timer, nullptr) == -1)
		fatal_sys("setup_timer: setitimer failed");
}
