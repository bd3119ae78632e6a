// The toggle keys: step through the ring of ':' commands of a register.
#include <string>

#include "base/error.h"
#include "commands/cmd.h"
#include "keys/kba.h"
#include "commands/toggle.h"
#include "input/input.h"
#include "keys/kb_execute.h"
#include "screen/message.h"

namespace
{

bool is_register(int key)
{
	return (key >= 'a' && key <= 'z') || (key >= 'A' && key <= 'Z');
}

// Steps n commands through the ring of register reg and runs the command
// there.
void toggle_run(int reg, int n, bool forward)
{
	toggle_list *list = toggle_get(reg);
	if (list == nullptr) {
		paint_error("No toggle list in register %c (%i).", reg, reg);
		return;
	}
	const ssize_t size = static_cast<ssize_t>(list->size());
	if (size == 0) {
		paint_error("The toggle list in register %c has no commands.", reg);
		return;
	}

	list->index = toggle_step(list->index, size, n, forward);
	// The command may define the register anew, which releases the list.
	const std::string command = list->commands[static_cast<size_t>(list->index)];
	cmd_execute(command);
}

} // namespace

ssize_t toggle_step(ssize_t index, ssize_t size, int64_t n, bool forward)
{
	if (n >= size)
		n %= size;
	if (forward)
		return static_cast<ssize_t>((index + n) % size);
	if (n > index)
		return static_cast<ssize_t>(size - n + index);
	return static_cast<ssize_t>((index - n) % size);
}

void kba_toggle(KbaArgs a)
{
	if (a.direction != FORWARD && a.direction != BACKWARD)
		fatal("%s: invalid direction", "kba_toggle");

	const int n = numprefix_take();
	const bool forward = a.direction == FORWARD;
	// Keys are read until a register letter comes, dropping every other
	// key; a NUL key ends the wait with nothing done.
	input_push(std::make_unique<pending_key>(
	        [](int key) { return key == 0 || is_register(key); },
	        [n, forward](int key) {
		        if (key != 0)
			        toggle_run(key, n, forward);
	        }));
}
