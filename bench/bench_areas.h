// The areas of the screen each key paints, counted in-process from
// paint_stats(): a table of keys given to the screen as the main loop gives
// them, each followed by the loop's paint, and the table of what they
// painted against what each should paint.
#pragma once

#include <array>
#include <string>
#include <vector>

// How often each area was painted, in the order of paint_counts.
constexpr int BENCH_NAREAS = 6;
using area_counts = std::array<long, BENCH_NAREAS>;

// What one key of the table painted in each run, and the areas it should
// paint (bits in the order of paint_counts), each once.
struct key_areas {
	std::string name;
	unsigned expected = 0;
	std::vector<area_counts> runs;
};

// Runs the table runs times on the screen that is up: the playlist window
// active, a search query set.
std::vector<key_areas> bench_areas_measure(int runs);
// The figures as lines of text, to pass from a child process, and one such
// line read back (false when line is none of them).
std::string bench_areas_report(const std::vector<key_areas> &areas);
bool bench_areas_parse(const std::string &line, std::vector<key_areas> &areas);
// Prints the table with the range of each count over the runs.
void bench_areas_print(const std::vector<key_areas> &areas);
