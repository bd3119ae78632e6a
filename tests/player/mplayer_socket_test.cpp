// The real mplayer (silent: the test HOME's .mplayer/config sets ao=null and
// vo=null) playing short tones, watched through the screen.
#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "player/player_home.h"

namespace
{

// Sorted by artist: rotate (3 s, three different tags), Crafted, Evil (a line
// feed in its name), First, Odd, Second (1 to 2 s, each tag the same); the
// playlists "odd" (a name ending in a backslash), "pair" (First, Second) and
// "spin" (rotate alone).
struct real_library {
	temp_dir media;
	korvane_home maker;
	std::string crafted = media / "x\" 0; run \"cd;touch pwned;#.ogg";
	std::string evil = media / "evil\" 0\nrun \"cd;touch pwned;#.ogg";
	std::string odd = media / "it's \"quoted\" \\back.ogg";
	std::string rotate = media / "rotate.ogg";
	std::string first = media / "first.ogg", second = media / "second.ogg";
	std::string tail = media / "tail\\";
};

media_tags same_tags(const std::string &text)
{
	return { text, text, text, "", "", 0, 0 };
}

const real_library &library()
{
	static std::unique_ptr<real_library> lib = [] {
		auto l = std::make_unique<real_library>();
		make_media(l->rotate, { "Ann Artist", "Blue Album", "Cold Title", "", "", 0, 0 },
		           3.0);
		make_media(l->crafted, same_tags("Crafted"), 2.0);
		make_media(l->evil, same_tags("Evil"), 1.0);
		make_media(l->first, same_tags("First"), 1.0, 330);
		make_media(l->odd, same_tags("Odd"), 2.0);
		make_media(l->second, same_tags("Second"), 1.0, 550);
		add_to_library(l->maker, l->media.path());
		make_media(l->media / "tail.wav", {}, 2.0);
		if (rename((l->media / "tail.wav").c_str(), l->tail.c_str()) != 0)
			throw std::runtime_error("rename failed");
		return l;
	}();
	return *lib;
}

struct real_home : korvane_home {
	real_home()
	{
		write_file(db(), read_file(library().maker.db()));
		write_file(playlists() + "/odd.playlist", library().tail + "\n");
		write_file(playlists() + "/pair.playlist",
		           library().first + "\n" + library().second + "\n");
		write_file(playlists() + "/spin.playlist", library().rotate + "\n");
	}
};

// Waits until the player bar matches the pattern.
void wait_for_bar(tmux_screen &s, const std::string &pattern)
{
	const std::regex re(pattern);
	s.wait_until(
	        [&](const screen_capture &c) {
		        return !c.rows.empty() && std::regex_search(c.rows[0], re);
	        },
	        "the player bar to match " + pattern);
}

TEST(Mplayer, TheBarShowsModePositionPercentAndTheTagsInTurn)
{
	real_home home;
	tmux_screen s(home);
	// The file alone in a playlist, played over and over.
	s.keys({ "G", "Enter", "Enter" });
	wait_for_bar(s, "^\\[O\\]          \\+00:00:01 \\((1[7-9]|[2-4][0-9])%\\) ");
	wait_for_bar(s, "^\\[O\\]          \\+00:00:02 \\((5[0-9]|[6-8][0-9])%\\) ");
	for (const char *tag : { "Blue Album", "Cold Title", "Ann Artist" })
		wait_for_bar(s, std::string(" ") + tag + "$");

	// The volume is changed while paused: a file that ends has no volume
	// to ask for, so the question must not meet the end of the file.
	s.keys({ "z" });
	wait_for_bar(s, "^\\[O\\] -PAUSED- \\+");
	s.keys({ ">", "z" });
	wait_for_bar(s, "^\\[O\\]          \\+");
	s.wait_until(
	        [](const screen_capture &c) {
		        return c.rows.size() == 24 &&
		               std::regex_match(c.rows[23], std::regex("volume: [ 0-9]{3}%"));
	        },
	        "the volume message");
}

TEST(Mplayer, LoopWrapsWhileAnotherWindowIsActiveAndLinearStopsAfterTheLast)
{
	real_home home;
	tmux_screen s(home);
	s.keys({ "j", "j", "j", "Enter", "Enter", "Tab" });
	wait_for_bar(s, "^\\[O\\] .* First$");
	const std::string status = "[library]      4,0    80%";
	s.wait_for_row(23, std::string(80 - status.size(), ' ') + status);
	wait_for_bar(s, " Second$");
	// The playing row of the playlist window follows, in its colour.
	s.wait_until(
	        [](const screen_capture &c) {
		        return c.styles.size() > 3 &&
		               c.styles[3].find('g', 19) != std::string::npos &&
		               c.styles[2].find('g', 19) == std::string::npos;
	        },
	        "Second's row to show as playing");
	wait_for_bar(s, " First$");

	s.type(":mode linear");
	s.keys({ "Enter" });
	wait_for_bar(s, "^\\[-\\] ");
	wait_for_bar(s, "^korvane\\.\\.\\.$");
}

TEST(Mplayer, OddNamesPlayAndCraftedNamesRunNothing)
{
	const real_library &lib = library();
	real_home home;
	tmux_screen s(home);
	s.keys({ "Tab", "j", "Enter" });
	wait_for_bar(s, "\\+00:00:01 .* Crafted$");

	s.keys({ "j", "Enter" });
	s.wait_for_row(23, "can't play a file whose name holds a line break");
	wait_for_bar(s, "^korvane\\.\\.\\.$");

	s.keys({ "j", "j", "Enter" });
	wait_for_bar(s, "\\+00:00:01 .* Odd$");

	s.keys({ "Tab", "j", "j", "Enter", "Enter" });
	wait_for_bar(s, "\\+00:00:01 .*tail\\\\$");
	EXPECT_FALSE(file_exists(home / "pwned"));
	EXPECT_FALSE(file_exists(lib.media / "pwned"));
}

} // namespace
