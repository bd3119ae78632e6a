// The libraries the screen tests browse. Their media files and databases
// are made once per test run; each test gets a HOME of its own with a copy
// of the database.
#pragma once

#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "harness/harness.h"
#include "harness/media.h"

// n in two digits at least: 05, 60.
inline std::string two_digits(int n)
{
	char text[16];
	snprintf(text, sizeof text, "%02d", n);
	return text;
}

struct screen_library {
	temp_dir media;
	korvane_home maker;                  // holds the database made from the media
	time_t added_from = 0, added_to = 0; // when the files were read
};

// Adds every file below the library's media directory to its database.
inline void add_media(screen_library &lib)
{
	lib.added_from = time(nullptr);
	run_result r = lib.maker.run({ "-e", "add", lib.media.path() });
	lib.added_to = time(nullptr);
	if (r.status != 0)
		throw std::runtime_error("korvane -e add failed: " + r.err);
}

// Three tracks, sorted on the screen as:
//   Alpha Band / First Light / Morning Song / track 1 / 2001 / 2 seconds
//   Alpha Band / First Light / Evening      / track 2 / 2001 / 1 second
//   Beta Trio  / (no album)  / Gale         / (none)  / 1999 / 1 second
inline const screen_library &small_library()
{
	static std::unique_ptr<screen_library> lib = [] {
		auto l = std::make_unique<screen_library>();
		make_media(l->media / "evening.ogg",
		           { "Alpha Band", "First Light", "Evening", "", "", 2, 2001 }, 1.0);
		make_media(l->media / "morning.flac",
		           { "Alpha Band", "First Light", "Morning Song", "", "", 1, 2001 }, 2.0);
		make_media(l->media / "gale.flac", { "Beta Trio", "", "Gale", "", "", 0, 1999 },
		           1.0);
		add_media(*l);
		return l;
	}();
	return *lib;
}

// Sixty tracks t01 to t60: "Artist NN", "Album NN" and the title "Needle NN"
// for 05, 25 and 45, "Song NN" for the others; no track, year or length.
inline const screen_library &long_library()
{
	static std::unique_ptr<screen_library> lib = [] {
		auto l = std::make_unique<screen_library>();
		for (int n = 1; n <= 60; n++) {
			const std::string nn = two_digits(n);
			media_tags tags;
			tags.artist = "Artist " + nn;
			tags.album = "Album " + nn;
			tags.title = (n % 20 == 5 ? "Needle " : "Song ") + nn;
			make_media(l->media / ("t" + nn + ".flac"), tags, 0.05);
		}
		add_media(*l);
		return l;
	}();
	return *lib;
}

// Gives home a copy of the library's database.
inline void install(const korvane_home &home, const screen_library &lib)
{
	write_file(home.db(), read_file(lib.maker.db()));
}

// Gives home the playlist name with the given entries, one per line.
inline void add_playlist(const korvane_home &home, const std::string &name,
                         const std::vector<std::string> &entries)
{
	std::string text;
	for (const std::string &e : entries)
		text += e + "\n";
	write_file(home.playlists() + "/" + name + ".playlist", text);
}

// A HOME with the small library and three playlists, listed in the library
// window as a-playlist-with-a-long-name (Evening), empty (no entries) and
// rock (Morning Song, a file the database does not know, Gale).
struct small_home : korvane_home {
	small_home()
	{
		const screen_library &lib = small_library();
		install(*this, lib);
		add_playlist(*this, "a-playlist-with-a-long-name", { lib.media / "evening.ogg" });
		add_playlist(*this, "empty", {});
		add_playlist(*this, "rock",
		             { lib.media / "morning.flac", "/music/missing.ogg",
		               lib.media / "gale.flac" });
	}
};

// A HOME with the long library and no playlists.
struct long_home : korvane_home {
	long_home() { install(*this, long_library()); }
};

inline std::string repeat(const std::string &s, int n)
{
	std::string out;
	for (int i = 0; i < n; i++)
		out += s;
	return out;
}

// What a row w columns wide shows of text, without trailing blanks.
inline std::string cut(const std::string &text, size_t w)
{
	std::string shown = text.substr(0, w);
	return shown.erase(shown.find_last_not_of(' ') + 1);
}

// A row of the playlist window with every column of the default display
// whole: three left-aligned columns of 20, then Track, Year and Length
// right-aligned in 4, 4 and 9, each column followed by one blank.
inline std::string columns(const char *artist, const char *album, const char *title, const char *track,
                    const char *year, const char *length)
{
	char row[100];
	snprintf(row, sizeof row, "%-20s %-20s %-20s %4s %4s %9s", artist, album, title, track,
	         year, length);
	return row;
}

// The status text right-aligned on a row of cols columns.
inline std::string status_row(const std::string &text, int cols = 80)
{
	return std::string(static_cast<size_t>(cols) - text.size(), ' ') + text;
}

// A playlist window row of the long library as a terminal of 80 columns
// shows it: the columns of the default display (three left-aligned columns
// of 20, then 4, 4 and 9 right-aligned, a blank after each; the blanks are
// not counted when the view scrolls a column away whole) scrolled hoff
// columns to the right, cut to the 61 columns of the window.
inline std::string long_playlist_row(int index, int hoff)
{
	if (index >= 60)
		return "~";
	const int n = index + 1;
	const std::string nn = two_digits(n);
	const std::string title = (n % 20 == 5 ? "Needle " : "Song ") + nn;
	const std::string full =
	        columns(("Artist " + nn).c_str(), ("Album " + nn).c_str(), title.c_str(), "", "", "");
	int skip = hoff, whole = 0;
	for (int width : { 20, 20, 20, 4, 4, 9 }) {
		if (skip < width)
			break;
		skip -= width;
		whole++;
	}
	return cut(full.substr(static_cast<size_t>(hoff + whole)), 61);
}

// Rows 2 to 22 of an 80 x 24 screen on the long library: the library window
// (its two pseudo-playlists) beside the playlist window showing the library
// from index top on, scrolled hoff columns.
inline std::vector<std::string> long_rows(int top, int hoff = 0)
{
	std::vector<std::string> rows;
	for (int r = 0; r < 21; r++) {
		const char *lib = r == 0 ? "--LIBRARY--" : r == 1 ? "--FILTER--" : "~";
		char left[20];
		snprintf(left, sizeof left, "%-18sx", lib);
		rows.push_back(left + long_playlist_row(top + r, hoff));
	}
	return rows;
}

// The status bar of the playlist window on the long library, with the
// cursor on line (from 1) and the view scrolled hoff columns.
inline std::string long_status(int line, int hoff = 0)
{
	char text[100];
	snprintf(text, sizeof text, "[playlist:--LIBRARY--] %6d,%-3d %3d%%", line, hoff,
	         line * 100 / 60);
	return status_row(text);
}
