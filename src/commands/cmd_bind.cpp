// The commands that change what keys do: bind, unbind and toggle.

#include "commands/cmd.h"
#include "bindings/keybindings.h"
#include "commands/toggle.h"
#include "screen/message.h"

namespace
{

bool is_register(char c)
{
	return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

} // namespace

int cmd_bind(const std::vector<std::string> &argv)
{
	KbaAction action;
	if (!kb_str2action(argv[1], action)) {
		paint_error("Unknown action '%s'", argv[1].c_str());
		return 1;
	}
	const int key =
	        argv.size() == 3 ? kb_str2keycode(argv[2]) : kb_str2keycode2(argv[2], argv[3]);
	if (key < 0) {
		paint_error("Invalid keycode '%s'", argv[2].c_str());
		return 1;
	}
	kb_bind(action, key);
	return 0;
}

int cmd_unbind(const std::vector<std::string> &argv)
{
	const size_t nargs = argv.size() - 1;
	if (nargs == 1 && argv[1] == "*") {
		kb_unbind_all();
		return 0;
	}
	if (nargs == 2 && cmd_keyword(argv[1], "action")) {
		KbaAction action;
		if (!kb_str2action(argv[2], action)) {
			paint_error("Unknown action '%s'", argv[2].c_str());
			return 1;
		}
		kb_unbind_action(action);
		return 0;
	}
	if (nargs == 2 && cmd_keyword(argv[1], "key")) {
		const int key = kb_str2keycode(argv[2]);
		if (key < 0) {
			paint_error("Invalid keycode '%s'", argv[2].c_str());
			return 1;
		}
		kb_unbind_key(key);
		return 0;
	}
	if (nargs == 3 && cmd_keyword(argv[1], "key")) {
		const int key = kb_str2keycode2(argv[2], argv[3]);
		if (key < 0) {
			paint_error("Invalid keycode '%s %s'", argv[2].c_str(), argv[3].c_str());
			return 1;
		}
		kb_unbind_key(key);
		return 0;
	}
	return cmd_usage(cmd_unbind, argv, 1);
}

int cmd_toggle(const std::vector<std::string> &argv)
{
	if (argv[1].size() != 1) {
		paint_error("error: register name must be a single letter (in [a-zA-Z])");
		return 1;
	}
	if (!is_register(argv[1][0])) {
		paint_error("error: invalid register name.  Must be one of [a-zA-Z]");
		return 1;
	}
	const std::vector<std::string> words(argv.begin() + 2, argv.end());
	toggle_add(toggle_list_create(argv[1][0], words));
	return 0;
}
