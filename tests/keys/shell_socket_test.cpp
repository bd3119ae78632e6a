// '!' runs a shell command outside the screen and waits for a key: ENTER
// only returns to the screen, any other key is then handled as a key.
#include <gtest/gtest.h>

#include <string>

#include "harness/tmux_screen.h"
#include "screen/screen_libraries.h"

namespace
{

bool shows(const screen_capture &c, const std::string &row)
{
	for (const std::string &r : c.rows)
		if (r == row)
			return true;
	return false;
}

TEST(Shell, RunsTheCommandThenWaitsForAKey)
{
	small_home home;
	tmux_screen s(home);
	const std::string prompt = "Press ENTER or type command to continue";

	s.keys({ "!" });
	s.wait_for_row(23, "!");
	s.type("echo said-the-shell");
	s.keys({ "Enter" });
	s.wait_until(
	        [&](const screen_capture &c) {
		        return shows(c, "said-the-shell") && shows(c, prompt);
	        },
	        "the command's output and the prompt");
	// Another key returns and runs its action.
	s.keys({ "j" });
	s.wait_for_row(0, "korvane...");
	s.wait_for_row(23, status_row("[library]      2,0    40%"));

	s.keys({ "!" });
	s.wait_for_row(23, "!");
	s.type("true");
	s.keys({ "Enter" });
	s.wait_until([&](const screen_capture &c) { return shows(c, prompt); }, "the prompt");
	s.keys({ "Enter" });
	s.wait_for_row(0, "korvane...");
	s.wait_for_row(23, status_row("[library]      2,0    40%"));
	s.wait_until(
	        [](const screen_capture &c) {
		        return c.rows.size() > 3 && c.rows[3].starts_with("--FILTER--");
	        },
	        "the library window again");

	// ESC on the line runs nothing and erases the command row.
	s.keys({ "!" });
	s.wait_for_row(23, "!");
	s.keys({ "Escape" });
	s.wait_for_row(23, "");
}

} // namespace
