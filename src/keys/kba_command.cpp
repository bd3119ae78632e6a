// The ':' command line.
#include <string>

#include "commands/cmd.h"
#include "keys/kba.h"
#include "screen/message.h"

void kba_command_mode(KbaArgs)
{
	std::string line;
	if (user_getstr(":", line) != 0) {
		paint_clear_command();
		return;
	}
	if (line[0] == '!')
		shell_exec(line.substr(1));
	else if (line.find_first_not_of(" \t") == std::string::npos)
		paint_clear_command();
	else
		cmd_execute(line);
}
