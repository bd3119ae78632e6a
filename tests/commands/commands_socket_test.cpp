// The ':' line on the screen: abbreviations, unknown and ambiguous words,
// every command's messages, and what the view and binding commands show.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "harness/tmux_screen.h"
#include "screen/screen_libraries.h"

namespace
{

const std::string MORNING_ROW =
        columns("Alpha Band", "First Light", "Morning Song", "  1", "2001", "2s");
const std::string EVENING_ROW =
        columns("Alpha Band", "First Light", "Evening", "  2", "2001", "1s");
const std::string GALE_ROW = columns("Beta Trio", "", "Gale", "", "1999", "1s");
// As the playlist window of 61 columns shows them.
const std::string MORNING = cut(MORNING_ROW, 61);
const std::string EVENING = cut(EVENING_ROW, 61);
const std::string GALE = cut(GALE_ROW, 61);

// The library window's rows of the small home, border included.
const std::vector<std::string> LEFT = { "--LIBRARY--       x", "--FILTER--        x",
	                                "a-playlist-with-a-x", "empty             x",
	                                "rock              x", "~                 x" };

// Types a ':' line, waits until the prompt shows it, and enters it.
void command(tmux_screen &s, const std::string &line)
{
	s.type(":" + line);
	s.wait_for_row(23, cut(":" + line, 80));
	s.keys({ "Enter" });
}

// Waits for text on the command row: an error on red, or a message in red.
void expect_error(tmux_screen &s, const std::string &text)
{
	s.wait_for_row(23, cut(text, 80));
	s.wait_for_style(23, repeat("R", static_cast<int>(cut(text, 80).size())));
}

void expect_message(tmux_screen &s, const std::string &text)
{
	s.wait_for_row(23, cut(text, 80));
	s.wait_for_style(23, repeat("r", static_cast<int>(cut(text, 80).size())));
}

// The rows of the playlist window beside the library window, from row 2.
void expect_playlist(tmux_screen &s, const std::vector<std::string> &rows)
{
	std::vector<std::string> want;
	for (size_t i = 0; i < rows.size(); i++)
		want.push_back(LEFT[std::min(i, LEFT.size() - 1)] + rows[i]);
	s.wait_for_rows(2, want);
}

struct said {
	const char *line;
	const char *text;
	bool error;
};

// Every failure with its message, and the messages of success; the screen
// stays as it was.
TEST(Commands, MessagesOfEachCommand)
{
	// clang-format off
	const said cases[] = {
		{ "s lhide=yes",           "Ambiguous abbreviation 's'", true },
		{ "quit",                  "Unknown commands 'quit'", true },
		{ "Q",                     "Unknown commands 'Q'", true },
		{ "filter 'abc",           "parse error: Unmatched quotes in 'filter 'abc'", true },
		{ "color",                 "usage: color ITEM=FG,BG", true },
		{ "c player=red",          "usage: c ITEM=FG,BG", true },
		{ "color foo=red,blue",    "invalid item 'foo'", true },
		{ "color artist=pink,red", "invalid foreground color 'pink'", true },
		{ "color artist=red,pink", "invalid background color 'pink'", true },
		{ "display",               "usage: display [ reset | show | <display-description> ]", true },
		{ "disp Artist",           "disp: bad display description: Missing '.' and size field", true },
		{ "display show",          ":display Artist.20,Album.20,Title.20,-Track.4,-Year.4,-Length.9", false },
		{ "filter",                "usage: filter[!] token [token2 ...]", true },
		{ "mode",                  "usage: mode [ linear | loop | random ]", true },
		{ "mode bogus",            "invalid mode \"bogus\".  must be one of: linear, loop, or random", true },
		{ "mode LOOP",             "mode changed to: LOOP", false },
		{ "set",                   "lwidth=18 lhide=false match-fname=true save-sorts=false", false },
		{ "set lhide?",            "lhide=false", false },
		{ "se lhide",              "usage: se <property>=<value>", true },
		{ "set foo=1",             "set: unknown property 'foo'", true },
		{ "set lhide=maybe",       "set lhide: value must be boolean", true },
		{ "set match-fname=1",     "set match-fname: value must be boolean", true },
		{ "set lwidth=0",          "set lwidth: bad width: '0' too small", true },
		{ "se lwidth=abc",         "se lwidth: bad width: 'abc' invalid", true },
		{ "set lwidth=81",         "set lwidth: bad width: '81' too large", true },
		{ "set lwidth=79",         "set lwidth: bad width: '79' too large", true },
		{ "set match-fname=no",    "filenames will NOT be matched against", false },
		{ "set MATCH-FNAME=Y",     "filenames will be matched against", false },
		{ "set save-sorts=t",      "changing sort will be prompted for saving", false },
		{ "set save-sorts=F",      "changing sort will NOT be prompted for saving", false },
		{ "sort",                  "usage: sort <sort-description>", true },
		{ "so bogus",              "so: bad sort description: Unknown field name", true },
		{ "bind",                  "usage: bind <action> <keycode>", true },
		{ "bind nope q",           "Unknown action 'nope'", true },
		{ "bind quit control Q",   "Invalid keycode 'control'", true },
		{ "bind quit ab",          "Invalid keycode 'ab'", true },
		{ "unbind key",            "usage: unbind [* | action <ACTION> | key <KEYCODE> ]", true },
		{ "unbind action nope",    "Unknown action 'nope'", true },
		{ "unbind key ab",         "Invalid keycode 'ab'", true },
		{ "unbind key control Q",  "Invalid keycode 'control Q'", true },
		{ "new a b",               "usage: new [name]", true },
		{ "new rock",              "playlist \"rock\" already exists.", true },
		{ "new a/b",               "playlist name \"a/b\" may not hold \"/\"", true },
		{ "playlist",              "usage: playlist <list-name>", true },
		{ "playlist zzz",          "no match for: zzz", true },
		{ "playlist --",           "no unique match for: --", true },
		{ "q x",                   "usage: q[!]", true },
		{ "reload",                "usage: reload [ db | conf ]", true },
		{ "rel foo",               "usage: rel [ db | conf ]", true },
		{ "w a b",                 "usage: w[!] [name]", true },
		{ "w",                     "use \"w name\" when saving psuedo-playlists like library/filter", true },
		{ "w rock",                "playlist with that name exists (use \"w!\" to overwrite)", true },
		{ "w! ../rock",            "playlist name \"../rock\" may not hold \"/\"", true },
		{ "toggle",                "usage: toggle <register> <action1> / ...", true },
		{ "toggle ab mode loop",   "error: register name must be a single letter (in [a-zA-Z])", true },
		{ "toggle 1 mode loop",    "error: invalid register name.  Must be one of [a-zA-Z]", true },
	};
	// clang-format on
	small_home home;
	tmux_screen s(home);
	expect_playlist(s, { MORNING, EVENING, GALE, "~" });
	EXPECT_FALSE(s.bell_rung());

	for (const said &c : cases) {
		SCOPED_TRACE(c.line);
		command(s, c.line);
		if (c.error)
			expect_error(s, c.text);
		else
			expect_message(s, c.text);
	}
	EXPECT_TRUE(s.bell_rung());
	expect_playlist(s, { MORNING, EVENING, GALE, "~", "~" });
	EXPECT_EQ(read_file(home.playlists() + "/rock.playlist"),
	          small_library().media / "morning.flac\n/music/missing.ogg\n" +
	                  small_library().media / "gale.flac\n");
	EXPECT_FALSE(file_exists(home / ".korvane/rock.playlist"));
	EXPECT_FALSE(file_exists(home.playlists() + "/a/b.playlist"));
}

// A line of blanks and a cancelled line only erase the command row; a
// line of '!' runs a shell command.
TEST(Commands, BlankCancelledAndShellLines)
{
	small_home home;
	tmux_screen s(home);
	const std::string status = status_row("[library]      1,0    20%");
	s.wait_for_row(23, status);

	s.type(":   ");
	s.wait_for_row(23, ":");
	s.keys({ "Enter" });
	s.wait_for_row(23, "");
	s.type(":mode loop");
	s.wait_for_row(23, ":mode loop");
	s.keys({ "Escape" });
	s.wait_for_row(23, "");
	EXPECT_FALSE(s.bell_rung());

	command(s, "!echo one two");
	s.wait_until(
	        [](const screen_capture &c) {
		        for (size_t i = 0; i + 2 < c.rows.size(); i++)
			        if (c.rows[i] == "one two" && c.rows[i + 1] == "" &&
			            c.rows[i + 2] == "Press ENTER or type command to continue")
				        return true;
		        return false;
	        },
	        "the shell command's output");
	s.keys({ "Enter" });
	expect_playlist(s, { MORNING, EVENING, GALE });
}

TEST(Commands, FilterAndFilterNarrow)
{
	small_home home;
	tmux_screen s(home);

	command(s, "filter alpha");
	expect_playlist(s, { MORNING, EVENING, "~" });
	// The filter results, filtered again.
	command(s, "f! morning");
	expect_playlist(s, { EVENING, "~" });
	// The library window stayed active; the typed line stays shown.
	s.wait_for_style(2, repeat("#", 18) + repeat(".", 50));
	s.wait_for_row(23, ":f! morning");
	s.keys({ "Tab" });
	s.wait_for_row(23, status_row("[playlist:--FILTER--]      1,0   100%"));

	command(s, "playlist --LIB");
	expect_message(s, "jumped to playlist: --LIBRARY--");
	command(s, "filter! 'first light'");
	expect_playlist(s, { GALE, "~" });
	command(s, "filter zzz");
	expect_playlist(s, { "~" });
}

TEST(Commands, SortMarksWithSaveSorts)
{
	const std::string missing = "/music/missing.ogg";
	small_home home;
	tmux_screen s(home);

	command(s, "playlist rock");
	expect_playlist(s, { MORNING, missing, GALE, "~" });
	command(s, "sort title");
	expect_playlist(s, { GALE, MORNING, missing, "~" });
	s.wait_for_row(6, "rock              x~");

	// Sorting the library never marks it.
	command(s, "set save-sorts=yes");
	command(s, "pl --L");
	command(s, "sort -title");
	expect_playlist(s, { MORNING, GALE, EVENING, "~" });

	// A record without the field comes first when it is sorted down.
	command(s, "playlist rock");
	command(s, "sort -title");
	expect_playlist(s, { missing, MORNING, GALE, "~" });
	s.wait_for_row(6, "+rock             x~");
	command(s, "q");
	expect_error(s, "there are playlists with unsaved changes (rock).  use \"q!\" to force.");
	command(s, "q!");
	EXPECT_EQ(s.wait_exit(), 0);
}

TEST(Commands, DisplayShowAndReset)
{
	small_home home;
	tmux_screen s(home);

	command(s, "display Title.10,-Year.5");
	expect_playlist(s, { "Morning So  2001", "Evening     2001", "Gale        1999", "~" });
	command(s, "display show");
	expect_message(s, ":display Title.10,-Year.5");
	command(s, "display RESET");
	expect_playlist(s, { MORNING, EVENING, GALE, "~" });
	command(s, "display show");
	expect_message(s, ":display Artist.20,Album.20,Title.20,-Track.4,-Year.4,-Length.9");
}

TEST(Commands, ColorOfItemsAndFields)
{
	small_home home;
	tmux_screen s(home);
	const std::string plain_left = repeat(".", 19);

	// Evening's row: artist, album and the title Evening, cut at 61.
	command(s, "color artist=yellow,default");
	s.wait_for_style(3, plain_left + repeat("y", 20) + repeat(".", 29));
	// Another column keeps the playlist's colours until it gets its own.
	command(s, "color Album=default,CYAN");
	s.wait_for_style(3, plain_left + repeat("y", 20) + "." + repeat("C", 20) + repeat(".", 8));

	command(s, "color library=default,blue");
	s.wait_for_style(3, repeat("B", 18) + "." + repeat("y", 20) + "." + repeat("C", 20) +
	                            repeat(".", 8));
	command(s, "color errors=black,green");
	command(s, "bogus");
	s.wait_for_row(23, "Unknown commands 'bogus'");
	s.wait_for_style(23, repeat("G", 24));

	// A field set back to the defaults still has a pair of its own.
	command(s, "color artist=default,default");
	s.wait_for_style(3, repeat("B", 18) + "." + repeat(".", 21) + repeat("C", 20) +
	                            repeat(".", 8));
}

TEST(Commands, LibraryWidthAndHiding)
{
	small_home home;
	tmux_screen s(home);

	command(s, "set lwidth=78");
	s.wait_for_row(2, "--LIBRARY--" + repeat(" ", 67) + "xA");
	command(s, "set lwidth=10");
	s.wait_for_row(3, "--FILTER--x" + cut(EVENING_ROW, 69));

	command(s, "set lhide=yes");
	expect_message(s, "library window hidden");
	s.wait_for_row(2, "--LIBRARY-x" + cut(MORNING_ROW, 69));
	s.keys({ "Tab" });
	s.wait_until(
	        [](const screen_capture &c) {
		        return c.rows[3].rfind(cut(EVENING_ROW, 70), 0) == 0;
	        },
	        "the playlist window over the whole width");
	command(s, "set lhide=no");
	expect_message(s, "library window un-hidden");
	s.wait_for_row(3, "--FILTER--x" + cut(EVENING_ROW, 69));
}

TEST(Commands, BindAndUnbindKeys)
{
	small_home home;
	tmux_screen s(home);

	command(s, "bind scroll_down x");
	s.keys({ "x", "x" });
	s.wait_for_row(23, status_row("[library]      3,0    60%"));
	command(s, "bind SCROLL_UP control k");
	s.keys({ "C-k" });
	s.wait_for_row(23, status_row("[library]      2,0    40%"));
	command(s, "unbind action scroll_down");
	s.keys({ "j", "x", "k" });
	s.wait_for_row(23, status_row("[library]      1,0    20%"));

	// ^C no longer quits, ^Q does.
	command(s, "unbind key control c");
	command(s, "bind quit control q");
	s.keys({ "C-c", "k" });
	command(s, "mode loop");
	expect_message(s, "mode changed to: loop");
	s.keys({ "C-q" });
	EXPECT_EQ(s.wait_exit(), 0);
}

// With every binding gone only the socket can bind keys again.
TEST(Commands, UnbindEverythingThenBindThroughTheSocket)
{
	small_home home;
	tmux_screen s(home);

	command(s, "unbind *");
	s.keys({ ":", "j", "Tab", "C-c" });
	ASSERT_EQ(home.run({ "-c", "mode random" }).status, 0);
	// No line was being typed: the socket's command ran at once.
	expect_message(s, "mode changed to: random");
	s.wait_for_row(2, LEFT[0] + MORNING);

	ASSERT_EQ(home.run({ "-c", "mode bogus" }).status, 0);
	expect_error(s, "invalid mode \"bogus\".  must be one of: linear, loop, or random");
	ASSERT_EQ(home.run({ "-c", "bind command_mode :" }).status, 0);
	command(s, "q!");
	EXPECT_EQ(s.wait_exit(), 0);
}

} // namespace
