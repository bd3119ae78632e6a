// Searching with '/', '?', 'n' and 'N': matches, wrap notices, failures,
// and the search line itself under bad input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness/tmux_screen.h"
#include "screen/screen_libraries.h"

namespace
{

const char HIT_BOTTOM[] = "search hit BOTTOM, continuing at TOP";
const char HIT_TOP[] = "search hit TOP, continuing at BOTTOM";

// The long library in the playlist window of an 80 x 24 terminal.
class Search : public testing::Test
{
protected:
	Search() : s(home)
	{
		s.keys({ "Tab" });
		s.wait_for_row(23, long_status(1));
	}

	// Waits for the view from top with the cursor on line, told by the
	// status bar.
	void expect_at(int top, int line) { expect_with(top, long_status(line)); }

	// Waits for the view from top and the text on the command row, as much
	// of it as fits.
	void expect_with(int top, const std::string &command_row)
	{
		std::vector<std::string> rows = long_rows(top);
		rows.push_back(cut(command_row, 80));
		s.wait_for_rows(2, rows);
	}

	// Waits for the cursor's row, in reverse video, to be line; beside
	// it the library window's row, plain or a blue "~".
	void expect_cursor(int top, int line)
	{
		const int row = 1 + line - top;
		const std::string library = row < 4 ? repeat(".", 18) : "b" + repeat(".", 17);
		const int width = static_cast<int>(long_playlist_row(line - 1, 0).size());
		s.wait_for_style(row, library + "." + repeat("#", width));
	}

	// Waits for an error on the command row, on the errors' red
	// background and with the bell, and the cursor still on line.
	void expect_error(int top, int line, const std::string &text)
	{
		expect_with(top, text);
		expect_cursor(top, line);
		s.wait_for_style(23, repeat("R", static_cast<int>(cut(text, 80).size())));
		s.wait_until([&](const screen_capture &) { return s.bell_rung(); }, "the bell");
	}

	// Types a search line after its prompt and enters it.
	void search(const std::string &prompt_and_line)
	{
		s.type(prompt_and_line);
		s.keys({ "Enter" });
	}

	long_home home;
	tmux_screen s;
};

// The titles Needle 05, 25 and 45 are lines 5, 25 and 45.
TEST_F(Search, ForwardAndBackwardWithWrapNotices)
{
	struct step {
		std::string search; // a search line, or empty for keys
		std::vector<std::string> keys;
		int top, line;
		const char *notice;
	};
	const std::vector<step> steps = {
		{ "/needle", {}, 0, 5, "" },
		{ "", { "n" }, 4, 25, "" },
		{ "", { "n" }, 24, 45, "" },
		{ "", { "n" }, 4, 5, HIT_BOTTOM },
		{ "", { "N" }, 24, 45, HIT_TOP },
		// Upper case matches too; a backward search makes 'n' go up.
		{ "?NEEDLE", {}, 24, 25, "" },
		{ "", { "n" }, 4, 5, "" },
		{ "", { "n" }, 24, 45, HIT_TOP },
		{ "", { "N" }, 4, 5, HIT_BOTTOM },
		// A count before 'n' changes nothing.
		{ "", { "9", "n" }, 24, 45, HIT_TOP },
	};
	for (const step &st : steps) {
		SCOPED_TRACE(st.search.empty() ? st.keys.back() : st.search);
		if (st.search.empty())
			s.keys(st.keys);
		else
			search(st.search);
		if (*st.notice == '\0') {
			expect_at(st.top, st.line);
		} else {
			// The notice is a message: in the messages' red, without the
			// bell.
			expect_with(st.top, st.notice);
			s.wait_for_style(23, repeat("r", 36));
			expect_cursor(st.top, st.line);
		}
	}
	EXPECT_FALSE(s.bell_rung());
}

TEST_F(Search, SeveralWordsMustAllMatch)
{
	// Quotes keep a blank inside a word; '!' asks for rows without it.
	search("/needle 'e 45'");
	expect_at(24, 45);
	search("/needle !'e 05'");
	expect_with(24, HIT_BOTTOM);
	expect_cursor(24, 25);
}

TEST_F(Search, FailuresAreErrorsAndKeepThePreviousSearch)
{
	search("/needle");
	expect_at(0, 5);

	search("/'needle");
	expect_error(0, 5, "parse error: Unmatched quotes in ''needle'");
	search("/needle \\");
	expect_error(0, 5, "parse error: Unused/Dangling escape sequence in 'needle \\'");

	// The search before them still holds, forward.
	s.keys({ "n" });
	expect_at(4, 25);

	search("?no-such-song");
	expect_error(4, 25, "Pattern not found: no-such-song");
}

TEST_F(Search, CancelledPromptsChangeNothing)
{
	search("/needle");
	expect_at(0, 5);

	// ESC erases the command row; so does Enter on an empty line.
	s.type("?song");
	s.wait_for_row(23, "?song");
	s.keys({ "Escape" });
	expect_with(0, "");
	s.keys({ "/" });
	s.wait_for_row(23, "/");
	s.keys({ "Enter" });
	s.wait_for_row(23, "");

	// The backspace key erases what was typed, then cancels.
	s.type("/ab");
	s.wait_for_row(23, "/ab");
	s.keys({ "BSpace" });
	s.wait_for_row(23, "/a");
	s.keys({ "BSpace" });
	s.wait_for_row(23, "/");
	s.keys({ "BSpace" });
	s.wait_for_row(23, "");

	// The search and its direction are those of "/needle".
	s.keys({ "n" });
	expect_at(4, 25);
}

TEST_F(Search, NBeforeAnySearchMatchesEveryRow)
{
	s.keys({ "n" });
	expect_at(0, 2);
	s.keys({ "N" });
	expect_at(0, 1);
}

TEST_F(Search, ALineOf999CharactersAndNoMore)
{
	// 993 blanks and a word make 999 characters; the 1000th is refused with
	// the bell and the line stays as typed.
	s.keys({ "/" });
	s.wait_for_row(23, "/");
	s.type(std::string(993, ' ') + "needle");
	s.type("x");
	s.wait_until([&](const screen_capture &) { return s.bell_rung(); }, "the bell");
	// The row shows the prompt and the first 79 characters, all blanks.
	EXPECT_EQ(s.rows()[23], "/");
	s.keys({ "Enter" });
	expect_at(0, 5);
}

TEST_F(Search, AtMost254Words)
{
	// 253 words "a", which every row holds in its file name, and "needle".
	search("/" + repeat("a ", 253) + "needle");
	expect_at(0, 5);

	// One word more is refused as the tokenizer's error; the search before
	// still holds.
	const std::string line = repeat("a ", 254) + "needle";
	search("/" + line);
	expect_error(0, 5,
	             "parse error: argv_finish_token: reached max argv entries(255) in '" + line +
	                     "'");
	s.keys({ "n" });
	expect_at(4, 25);
}

TEST_F(Search, AResizeStormWhileALineIsTyped)
{
	s.type("/need");
	s.wait_for_row(23, "/need");

	s.resize(100, 30);
	s.wait_for_row(29, "/need");
	s.resize(60, 20);
	s.resize(120, 40);
	s.resize(90, 26);
	s.resize(80, 24);
	expect_with(0, "/need");

	s.type("le");
	s.keys({ "Enter" });
	expect_at(0, 5);
}

TEST(SearchLibrary, SearchesPlaylistNames)
{
	small_home home;
	tmux_screen s(home);
	auto search = [&](const std::string &line) {
		s.type(line);
		s.keys({ "Enter" });
	};
	search("/rock");
	s.wait_for_row(23, status_row("[library]      5,0   100%"));
	search("/filter");
	s.wait_for_row(23, HIT_BOTTOM);
	s.keys({ "k" });
	s.wait_for_row(23, status_row("[library]      1,0    20%"));
	search("?long");
	s.wait_for_row(23, HIT_TOP);
	s.keys({ "j" });
	s.wait_for_row(23, status_row("[library]      4,0    80%"));
}

} // namespace
