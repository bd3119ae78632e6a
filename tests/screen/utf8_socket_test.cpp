// Text as written on a UTF-8 terminal: Japanese, Latin with marks and ASCII
// titles in columns that line up cell for cell, wide characters at the
// edges of columns and windows, the player bar rotating a CJK title, the
// line editor taking UTF-8; and the same library in the C locale, one '?'
// for each character.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "harness/harness.h"
#include "harness/media.h"
#include "harness/tmux_screen.h"
#include "library/db_file.h"
#include "meta/mi_extract.h"
#include "player/player_home.h"
#include "screen/screen_libraries.h"

namespace
{

const std::string JP_TITLE = "戦場のメリークリスマス"; // 11 characters, 22 cells
// 25 characters, 50 cells: one cell more than the player bar gives it.
const std::string LONG_HEAD = "春の海ひねもすのたりのたりかな夏草や兵どもが夢の"; // 24
const std::string LONG_JP = LONG_HEAD + "跡";

const tmux_screen::environment UTF8 = { { "LANG", "C.UTF-8" } };

// A record for the file at path with the given texts, as a UTF-8 locale
// reads them from its tags; the database holds them whatever the locale
// of the program that wrote it.
void add_record(FILE *db, const std::string &path, const std::string &artist,
                const std::string &album, const std::string &title)
{
	mi_ptr mi = mi_extract_file(path);
	if (!mi)
		throw std::runtime_error("no record for " + path);
	mi->cinfo[CINFO_ARTIST] = artist;
	mi->cinfo[CINFO_ALBUM] = album;
	mi->cinfo[CINFO_TITLE] = title;
	mi_fwrite(*mi, db);
}

// A HOME whose library holds, in its sorted order, an ASCII record, one in
// Icelandic with a decomposed accent, and a Japanese one; and a playlist
// whose name is mostly Japanese.
struct utf8_home : korvane_home {
	temp_dir media;
	std::string jp_file;
	explicit utf8_home(const std::string &jp_title = JP_TITLE)
	{
		make_media(media / "abba.flac", { "Abba", "Gold", "Waterloo", "", "", 1, 1974 },
		           0.5);
		run_result r = run({ "-e", "add", media.path() });
		if (r.status != 0)
			throw std::runtime_error("korvane -e add failed: " + r.err);
		char real[PATH_MAX];
		if (realpath(media.path().c_str(), real) == nullptr)
			throw std::runtime_error("realpath failed");
		const std::string dir = real;
		make_media(dir + "/sigur.wav", {}, 0.5);
		jp_file = dir + "/jp.wav";
		make_media(jp_file, {}, 0.5);
		FILE *db = fopen(this->db().c_str(), "a");
		add_record(db, dir + "/sigur.wav", "Sigur Ro\xcc\x81s", "Ágætis byrjun",
		           "Svefn-g-englar");
		add_record(db, jp_file, "坂本龍一", "音楽図鑑", jp_title);
		fclose(db);
		write_file(playlists() + "/a日本の歌のプレイリスト.playlist", jp_file + "\n");
	}
};

// The border between the windows: tmux gives the line-drawing characters
// in UTF-8 to a UTF-8 client, as the VT100 set's letters to others.
const std::string UTF8_BORDER = "│";

// The playlist window's part of each row from first on, the library window
// of 18 cells and its border before it.
std::vector<std::string> right_part(const screen_capture &c, size_t first, size_t n)
{
	std::vector<std::string> out;
	for (size_t r = first; r < first + n && r < c.rows.size(); r++) {
		size_t border = c.rows[r].find(UTF8_BORDER);
		size_t len = UTF8_BORDER.size();
		if (border == std::string::npos)
			border = c.rows[r].find("x"), len = 1;
		out.push_back(border == std::string::npos ? "" : c.rows[r].substr(border + len));
	}
	return out;
}

// A row of the first three columns, whose texts take the cells given.
std::string three_columns(const std::string &a, int a_cells, const std::string &b, int b_cells,
                          const std::string &c)
{
	return a + std::string(static_cast<size_t>(21 - a_cells), ' ') + b +
	       std::string(static_cast<size_t>(21 - b_cells), ' ') + c;
}

void wait_for_row_start(tmux_screen &s, size_t r, const std::string &start)
{
	s.wait_until(
	        [&](const screen_capture &c) {
		        return r < c.rows.size() && c.rows[r].rfind(start, 0) == 0;
	        },
	        "row " + std::to_string(r) + " to start with " + start);
}

void wait_for_right_part(tmux_screen &s, size_t first, const std::vector<std::string> &rows)
{
	std::string what = "the playlist window to read:\n";
	for (const std::string &r : rows)
		what += r + "\n";
	s.wait_until(
	        [&](const screen_capture &c) { return right_part(c, first, rows.size()) == rows; },
	        what);
}

} // namespace

TEST(Utf8Screen, ColumnsLineUpCellForCell)
{
	utf8_home home;
	tmux_screen s(home, {}, 80, 24, UTF8);
	// The window is 61 cells wide: artist and album in 20 cells and a
	// blank each, the title cut after 19; the 10th character of the
	// Japanese title would take cells 19 and 20, and leaves a blank.
	wait_for_right_part(
	        s, 2,
	        { three_columns("Abba", 4, "Gold", 4, "Waterloo"),
	          three_columns("Sigur Ro\xcc\x81s", 9, "Ágætis byrjun", 13, "Svefn-g-englar"),
	          three_columns("坂本龍一", 8, "音楽図鑑", 8, "戦場のメリークリス"), "~" });

	// The playlist's name in the library window: 23 cells in 18, a wide
	// character at the edge, and scrolled sideways one cell at a time.
	wait_for_row_start(s, 4, "a日本の歌のプレイ " + UTF8_BORDER + "坂本龍一 ");
	s.keys({ "j", "j", "l" });
	wait_for_row_start(s, 4, "日本の歌のプレイリ" + UTF8_BORDER + "坂本龍一 ");
	s.keys({ "l" });
	wait_for_row_start(s, 4, " 本の歌のプレイリ " + UTF8_BORDER + "坂本龍一 ");
	// As far as it goes: the last of the name's 23 cells at the edge.
	s.keys({ "$" });
	wait_for_row_start(s, 4, "の歌のプレイリスト" + UTF8_BORDER + "坂本龍一 ");
	s.keys({ "l" });
	s.wait_for_row(23, status_row("[library]      3,5   100%"));
	wait_for_row_start(s, 4, "の歌のプレイリスト" + UTF8_BORDER + "坂本龍一 ");

	// The status bar names the playlist opened, right-aligned by cells:
	// the name's 34 bytes take 23 cells.
	s.keys({ "Enter" });
	const std::string status = "[playlist:a日本の歌のプレイリスト]      1,0   100%";
	s.wait_for_row(23, std::string(80 - (status.size() - 11), ' ') + status);
	wait_for_right_part(s, 2,
	                    { three_columns("坂本龍一", 8, "音楽図鑑", 8, "戦場のメリークリス"),
	                      "~" });
}

TEST(Utf8Screen, TheCLocaleShowsOneQuestionMarkPerCharacter)
{
	utf8_home home;
	tmux_screen s(home, {}, 80, 24);
	wait_for_right_part(
	        s, 2,
	        { three_columns("Abba", 4, "Gold", 4, "Waterloo"),
	          three_columns("Sigur Ro?s", 10, "?g?tis byrjun", 13, "Svefn-g-englar"),
	          three_columns("????", 4, "????", 4, "???????????"), "~" });
	wait_for_row_start(s, 4, "a???????????      x???? ");
}

TEST(Utf8Screen, TheInformationPageWrapsALongLine)
{
	utf8_home home(LONG_JP);
	tmux_screen s(home, {}, 80, 24, UTF8);
	s.keys({ "Tab", "G", "m" });
	// 13 cells of the field's name, then 24 of the 25 characters fill the
	// row's 61 cells; the last one and the quote go on the row below.
	std::vector<std::string> page = { "What korvane knows about the file/URL:" };
	for (size_t at = 0; at < home.jp_file.size(); at += 61)
		page.push_back(home.jp_file.substr(at, 61));
	page.insert(page.end(), { "", "Meta-Information:", "    Artist: \"坂本龍一\"",
	                          "     Album: \"音楽図鑑\"", "     Title: \"" + LONG_HEAD, "跡\"",
	                          "     Track: \"(null)\"" });
	wait_for_right_part(s, 2, page);
}

TEST(Utf8Screen, ThePlayerBarRotatesACjkTitle)
{
	utf8_home home(LONG_JP);
	fake_player player;
	player.script({});
	tmux_screen::environment env = player.env();
	env.push_back(UTF8[0]);
	tmux_screen s(home, {}, 80, 24, env);
	s.keys({ "Tab", "G", "Enter" });
	// Artist, album and title in turn after the time; the title's 50
	// cells cut to 49 leave its last character out.
	auto bar_shows = [&](const std::string &text) {
		s.wait_until(
		        [&](const screen_capture &c) {
			        const std::string &bar = c.rows.empty() ? "" : c.rows[0];
			        return bar.rfind("[O] ", 0) == 0 && bar.size() >= text.size() &&
			               bar.compare(bar.size() - text.size(), text.size(), text) ==
			                       0;
		        },
		        "the player bar to end in " + text);
	};
	bar_shows("%) 坂本龍一");
	bar_shows("%) 音楽図鑑");
	bar_shows("%) " + LONG_HEAD);
}

TEST(Utf8Screen, TheLineEditorTakesUtf8AndErasesWholeCharacters)
{
	utf8_home home;
	tmux_screen s(home, {}, 80, 24, UTF8);
	s.keys({ ":" });
	s.type("日本語");
	s.wait_for_row(23, ":日本語");
	s.keys({ "BSpace" });
	s.wait_for_row(23, ":日本");
	s.type("é🎸");
	s.wait_for_row(23, ":日本é🎸");
	s.keys({ "BSpace", "BSpace", "BSpace" });
	s.wait_for_row(23, ":日");
	// 45 more characters of two cells on a row of 80: after the 3 cells
	// of ":日" 38 fit, the 39th would take the last cell and one past it.
	std::string many;
	for (int i = 0; i < 45; i++)
		many += "本";
	s.type(many);
	s.wait_for_row(23, ":日" + many.substr(0, 38 * 3));
	s.keys({ "Escape" });
	s.wait_for_row(23, "");

	// What the line said comes back in the error, cut by cells at the row's
	// end: 18 cells of text, then 31 characters of two.
	s.keys({ ":" });
	s.type("坂本龍一");
	s.keys({ "Enter" });
	s.wait_for_row(23, "Unknown commands '坂本龍一'");
	s.keys({ ":" });
	s.type(many);
	s.keys({ "Enter" });
	s.wait_for_row(23, "Unknown commands '" + many.substr(0, 31 * 3));
}

// A file whose name holds a carriage return, a line feed, an escape
// sequence and a C1 control: its row and its information page show each as
// '?' in either locale, and the rows around it stay whole.
TEST(Utf8Screen, ControlCharactersInANameShowAsQuestionMarks)
{
	const tmux_screen::environment locales[] = { UTF8, {} };
	for (const tmux_screen::environment &env : locales) {
		SCOPED_TRACE(env.empty() ? "the C locale" : "a UTF-8 locale");
		korvane_home home;
		temp_dir media;
		make_media(media / "plain.flac", { "Abba", "Gold", "Waterloo", "", "", 1, 1974 },
		           0.5);
		run_result r = home.run({ "-e", "add", media.path() });
		ASSERT_EQ(r.status, 0) << r.err;
		char real[PATH_MAX];
		ASSERT_NE(realpath(media.path().c_str(), real), nullptr);
		const std::string name = std::string(real) + "/a\rb\nc\x1b[7md\xc2\x9b"
		                                             "e.wav";
		make_media(name, {}, 0.5);
		FILE *db = fopen(home.db().c_str(), "a");
		mi_ptr mi = mi_extract_file(name);
		ASSERT_TRUE(mi);
		mi_fwrite(*mi, db);
		fclose(db);

		const std::string shown = std::string(real) + "/a?b?c?[7md?e.wav";
		ASSERT_LE(shown.size(), 61u) << "the test's directory has too long a name";
		tmux_screen s(home, {}, 80, 24, env);
		wait_for_right_part(
		        s, 2, { three_columns("Abba", 4, "Gold", 4, "Waterloo"), shown, "~" });
		s.keys({ "Tab", "j", "m" });
		wait_for_right_part(s, 2,
		                    { "What korvane knows about the file/URL:", shown, "",
		                      "Meta-Information:" });
	}
}
