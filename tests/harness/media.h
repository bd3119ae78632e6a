// Synthesised media files for tests: tones made by sox, MP3 encoded by lame.
#pragma once

#include <string>

struct media_tags {
	std::string artist, album, title, genre, comment;
	int track = 0;
	int year = 0;
};

// Writes a tone of the given seconds and frequency to path; the format comes
// from the extension: .mp3 (lame, ID3v2 tags), .ogg, .flac (sox, Vorbis
// comments) or .wav (no tags). Throws on failure.
void make_media(const std::string &path, const media_tags &tags = {}, double seconds = 1.0,
                int frequency = 440);
