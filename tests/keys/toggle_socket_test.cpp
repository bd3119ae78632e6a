// The toggle keys on the screen: 't' and 'T' with a register, counts,
// registers typed after other keys, redefinition and the refusals.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness/tmux_screen.h"
#include "screen/screen_libraries.h"

namespace
{

void command(tmux_screen &s, const std::string &line)
{
	s.type(":" + line);
	s.wait_for_row(23, cut(":" + line, 80));
	s.keys({ "Enter" });
}

// Keys, then what the command row says: an error on red, or a message in
// red.
void keys_say(tmux_screen &s, const std::vector<std::string> &keys, const std::string &text,
              bool error = false)
{
	s.keys(keys);
	s.wait_for_row(23, text);
	s.wait_for_style(23, repeat(error ? "R" : "r", static_cast<int>(text.size())));
}

const std::string MODES = "toggle m mode linear / mode loop / mode random";

TEST(ToggleKeys, KeysStepThroughTheRing)
{
	small_home home;
	tmux_screen s(home);

	// Each step of a list just made, as the keys run it; every message
	// differs from the one before.
	const struct {
		const char *define; // a ':' line run first, or nothing
		std::vector<std::string> keys;
		const char *said;
	} steps[] = {
		{ MODES.c_str(), { "t", "m" }, "mode changed to: linear" },
		{ nullptr, { "t", "m" }, "mode changed to: loop" },
		{ nullptr, { "t", "m" }, "mode changed to: random" },
		{ nullptr, { "t", "m" }, "mode changed to: linear" },
		// Defined again: a fresh list, T from its end.
		{ MODES.c_str(), { "T", "m" }, "mode changed to: loop" },
		{ nullptr, { "T", "m" }, "mode changed to: linear" },
		{ nullptr, { "T", "m" }, "mode changed to: random" },
		// Counts: 2 skips one, 4 of 3 is one step.
		{ MODES.c_str(), { "2", "t", "m" }, "mode changed to: loop" },
		{ nullptr, { "4", "t", "m" }, "mode changed to: random" },
		{ nullptr, { "2", "T", "m" }, "mode changed to: linear" },
		// Keys before the register are dropped, ESC among them.
		{ "toggle b mode loop",
		  { "t", "5", "Escape", "Down", "b" },
		  "mode changed to: loop" },
		{ nullptr, { "2", "t", "m" }, "mode changed to: random" },
		{ nullptr, { "T", "b" }, "mode changed to: loop" },
		// The same register replaced by a list of two.
		{ "toggle m mode random / mode linear", { "t", "m" }, "mode changed to: random" },
		{ nullptr, { "t", "m" }, "mode changed to: linear" },
	};
	for (const auto &st : steps) {
		SCOPED_TRACE(st.said);
		if (st.define != nullptr)
			command(s, st.define);
		keys_say(s, st.keys, st.said);
	}
	// The Down key before 'b' did not move the cursor.
	s.keys({ "Tab", "Tab" });
	s.wait_for_row(23, status_row("[library]      1,0    20%"));

	keys_say(s, { "t", "q" }, "No toggle list in register q (113).", true);
	command(s, "toggle e / /");
	keys_say(s, { "t", "e" }, "The toggle list in register e has no commands.", true);
	keys_say(s, { "T", "Q" }, "No toggle list in register Q (81).", true);
	keys_say(s, { "5", "T", "e" }, "The toggle list in register e has no commands.", true);
	command(s, "q");
	EXPECT_EQ(s.wait_exit(), 0);
}

// A list whose command fails shows the command's error, and the ring has
// moved on.
TEST(ToggleKeys, AFailingCommandShowsItsError)
{
	small_home home;
	tmux_screen s(home);
	command(s, "toggle x mode bogus / mode loop");
	keys_say(s, { "t", "x" },
	         "invalid mode \"bogus\".  must be one of: linear, loop, or random", true);
	keys_say(s, { "t", "x" }, "mode changed to: loop");
	command(s, "q");
	EXPECT_EQ(s.wait_exit(), 0);
}

} // namespace
