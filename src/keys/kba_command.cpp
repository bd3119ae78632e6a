// The ':' command line.
#include <memory>
#include <optional>
#include <string>

#include "commands/cmd.h"
#include "input/input.h"
#include "input/line_editor.h"
#include "keys/kba.h"
#include "screen/message.h"

namespace
{

void run_command_line(std::optional<std::string> line)
{
	if (!line)
		paint_clear_command();
	else if ((*line)[0] == '!')
		shell_exec(line->substr(1));
	else if (line->find_first_not_of(" \t") == std::string::npos)
		paint_clear_command();
	else
		cmd_execute(*line);
}

} // namespace

void kba_command_mode(KbaArgs)
{
	input_push(std::make_unique<line_editor>(":", run_command_line));
}
