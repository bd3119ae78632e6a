#include "screen/crash.h"

#include <curses.h>
#include <term.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstring>

namespace
{

constexpr int FAULTS[] = { SIGSEGV, SIGBUS, SIGFPE, SIGABRT };

struct termios saved_modes;
bool modes_saved = false;
volatile sig_atomic_t screen_up = 0;
// The terminal's own strings that leave the alternate screen, show the
// cursor and end every attribute.
char leave[256];
size_t leave_len = 0;

void add_capability(const char *name)
{
	char *cap = tigetstr(name);
	if (cap == nullptr || cap == reinterpret_cast<char *>(-1))
		return;
	const size_t n = strlen(cap);
	if (leave_len + n <= sizeof leave) {
		memcpy(leave + leave_len, cap, n);
		leave_len += n;
	}
}

void on_fault(int sig)
{
	if (screen_up) {
		ssize_t ignored = write(STDOUT_FILENO, leave, leave_len);
		(void)ignored;
		if (modes_saved)
			tcsetattr(STDIN_FILENO, TCSADRAIN, &saved_modes);
	}
	// The handler was reset on entry: the signal now does what it would
	// have done.
	raise(sig);
}

} // namespace

void crash_save_terminal()
{
	modes_saved = tcgetattr(STDIN_FILENO, &saved_modes) == 0;
}

void crash_guard_install()
{
	leave_len = 0;
	add_capability("sgr0");
	add_capability("rmkx");
	add_capability("cnorm");
	add_capability("rmcup");
	struct sigaction sa = {};
	sa.sa_handler = on_fault;
	sigemptyset(&sa.sa_mask);
	sa.sa_flags = SA_RESETHAND | SA_NODEFER;
	for (int sig : FAULTS)
		sigaction(sig, &sa, nullptr);
	screen_up = 1;
}

void crash_guard_release()
{
	screen_up = 0;
}
