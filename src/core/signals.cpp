#include "core/signals.h"

#include <sys/time.h>

#include <initializer_list>

#include "base/error.h"

void signal_handler(int sig)
{
	switch (sig) {
	case SIGHUP:
	case SIGINT:
	case SIGQUIT:
	case SIGTERM:
		sig_quit_cause = sig;
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

void setup_signals(sigset_t &wait_mask)
{
	struct sigaction sa = {};
	sigemptyset(&sa.sa_mask);
	sa.sa_handler = signal_handler;
	const std::initializer_list<int> signals = { SIGCHLD, SIGHUP,   SIGINT, SIGQUIT,
		                                     SIGTERM, SIGWINCH, SIGALRM };
	sigset_t followed;
	sigemptyset(&followed);
	for (int sig : signals) {
		if (sigaction(sig, &sa, nullptr) == -1)
			fatal_sys("setup_signals: sigaction failed");
		sigaddset(&followed, sig);
	}
	if (sigprocmask(SIG_BLOCK, &followed, &wait_mask) == -1)
		fatal_sys("setup_signals: sigprocmask failed");
	for (int sig : signals)
		sigdelset(&wait_mask, sig);
}
