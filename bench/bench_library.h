// Libraries of realistic records for the benchmarks: paths of about 60
// bytes, texts of 5 to 30 bytes, one text in eight absent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <utility>

#include "library/medialib.h"
#include "playlist/playlist_file.h"

inline std::string bench_random_text(std::mt19937 &rng, size_t min, size_t max)
{
	static const char chars[] =
	        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ 0123456789";
	size_t len = min + rng() % (max - min + 1);
	std::string s;
	for (size_t i = 0; i < len; i++)
		s += chars[rng() % (sizeof chars - 1)];
	return s;
}

// Fills the library with n records of realistic sizes, in random order.
inline void bench_make_library(size_t n, unsigned seed)
{
	medialib_new_state();
	std::mt19937 rng(seed);
	for (size_t i = 0; i < n; i++) {
		mi_ptr mi = mi_new();
		mi->filename = "/home/user/music/" + bench_random_text(rng, 8, 16) + "/" +
		               bench_random_text(rng, 8, 14) + "/" + std::to_string(i) + " " +
		               bench_random_text(rng, 5, 10) + ".mp3";
		for (int f = 0; f < MI_NUM_CINFO; f++)
			if (rng() % 8 != 0)
				mi->cinfo[f] = bench_random_text(rng, 5, 30);
		mi->length = static_cast<int32_t>(rng() % 600);
		mi->last_updated = 1700000000 + static_cast<int64_t>(rng() % 1000000);
		playlist_file_append(*medialib.library, medialib_adopt(std::move(mi)), false);
	}
}
