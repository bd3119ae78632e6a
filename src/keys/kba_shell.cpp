// The '!' command line and shell commands run outside the screen.
#include <cstdio>
#include <cstdlib>

#include "core/signals.h"
#include "keys/kba.h"
#include "keys/keybindings.h"
#include "screen/message.h"
#include "screen/paint.h"
#include "screen/ui.h"

void kba_shell(KbaArgs)
{
	std::string line;
	if (user_getstr("!", line) != 0) {
		paint_clear_command();
		return;
	}
	shell_exec(line);
}

// The command's output stays on the terminal until a key is pressed; the
// exit status is not looked at. ENTER comes as a carriage return, or as a
// line feed where the shell's terminal modes translate it.
void shell_exec(const std::string &line)
{
	ui_suspend();
	if (system(line.c_str()) == -1) {
		// Not run: nothing to show but the prompt below.
	}
	printf("\nPress ENTER or type command to continue");
	fflush(stdout);
	ui_raw();

	int key = -1;
	while (!sig_quit && key <= 0)
		key = ui_getkey();
	if (key > 0 && key != KB_KEY_ENTER && key != '\n')
		ui_ungetkey(key);
	ui_resume();
	paint_all();
}
