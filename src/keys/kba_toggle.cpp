// The toggle keys: step through the ring of ':' commands of a register.
#include <string>

#include "base/error.h"
#include "commands/cmd.h"
#include "keys/kba.h"
#include "keys/keybindings.h"
#include "keys/toggle.h"
#include "screen/message.h"

namespace
{

bool is_register(int key)
{
	return (key >= 'a' && key <= 'z') || (key >= 'A' && key <= 'Z');
}

// Reads keys until a register letter comes, dropping every other key; -1
// for a NUL key, -2 when a quit was asked meanwhile.
int read_register()
{
	for (;;) {
		const int key = kba_wait_key();
		if (key == -1)
			return -2;
		if (key == 0)
			return -1;
		if (is_register(key))
			return key;
	}
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
	const int reg = read_register();
	if (reg == -2)
		return;

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

	list->index = toggle_step(list->index, size, n, a.direction == FORWARD);
	// The command may define the register anew, which releases the list.
	const std::string command = list->commands[static_cast<size_t>(list->index)];
	cmd_execute(command);
}
