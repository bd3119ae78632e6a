// The '!' command line and shell commands run outside the screen.
#include <sys/types.h>

#include <cstdio>
#include <memory>
#include <optional>

#include "bindings/keybindings.h"
#include "input/input.h"
#include "input/line_editor.h"
#include "keys/kba.h"
#include "player/shell_child.h"
#include "screen/message.h"
#include "screen/paint.h"
#include "screen/ui.h"

namespace
{

pid_t running = -1; // the shell command's child while it runs

// The command's output stays on the terminal until a key is pressed; the
// exit status is not looked at. ENTER comes as a carriage return, or as a
// line feed where the shell's terminal modes translate it; any other key is
// then handled as a key of its own.
void wait_for_key()
{
	printf("\nPress ENTER or type command to continue");
	fflush(stdout);
	ui_raw();
	input_push(std::make_unique<pending_key>([](int key) { return key > 0; },
	                                         [](int key) {
		                                         if (key != KB_KEY_ENTER && key != '\n')
			                                         input_unget(key);
		                                         ui_resume();
		                                         paint_all();
	                                         }));
}

} // namespace

void kba_shell(KbaArgs)
{
	input_push(std::make_unique<line_editor>("!", [](std::optional<std::string> line) {
		if (!line)
			paint_clear_command();
		else
			shell_exec(*line);
	}));
}

void shell_exec(const std::string &line)
{
	ui_suspend();
	running = shell_child_start(line);
	// Not run: nothing to show but the prompt below.
	if (running == -1)
		wait_for_key();
}

bool shell_running()
{
	return running > 0;
}

void shell_check()
{
	if (running > 0 && shell_child_ended(running)) {
		running = -1;
		wait_for_key();
	}
}
