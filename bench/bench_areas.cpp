#include "bench_areas.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <sstream>

#include "bindings/keybindings.h"
#include "input/input.h"
#include "input/keycodes.h"
#include "keys/kb_execute.h"
#include "screen/message.h"
#include "screen/paint.h"

namespace
{

constexpr const char *AREA_NAMES[BENCH_NAREAS] = { "borders",  "player",  "library",
	                                           "playlist", "cmd row", "prompt" };
enum : unsigned {
	A_BORDERS = 1u << 0,
	A_PLAYER = 1u << 1,
	A_LIBRARY = 1u << 2,
	A_PLAYLIST = 1u << 3,
	A_COMMAND_ROW = 1u << 4,
	A_PROMPT = 1u << 5,
	A_MOVE = A_PLAYLIST | A_COMMAND_ROW,
	A_WINDOWS = A_LIBRARY | A_PLAYLIST | A_COMMAND_ROW,
	A_ALL_BUT_PROMPT = A_BORDERS | A_PLAYER | A_WINDOWS,
};
constexpr int CTRL_F = 6, CTRL_L = 12;

// One key of the table: the keys typed first, not counted, then the keys
// counted together (the second key of "g g" is part of it).
struct area_case {
	const char *name;
	unsigned expected;
	std::vector<int> before, keys;
};

// In this order, each case in the state the one before left: the line that
// ':' opens is typed into, edited and run; then the other one is opened and
// cancelled.
// clang-format off
const std::vector<area_case> CASES = {
	{ "j",                     A_MOVE,           {},                                      { 'j' } },
	{ "k",                     A_MOVE,           {},                                      { 'k' } },
	{ "G",                     A_MOVE,           {},                                      { 'G' } },
	{ "g g",                   A_MOVE,           {},                                      { 'g', 'g' } },
	{ "^F",                    A_MOVE,           {},                                      { CTRL_F } },
	{ "n",                     A_MOVE,           {},                                      { 'n' } },
	{ "':' (opens the line)",  A_PROMPT,         {},                                      { ':' } },
	{ "a character typed",     A_PROMPT,         { 'm', 'o', 'd', 'e', ' ', 'l', 'o', 'o' }, { 'p' } },
	{ "BACKSPACE in the line", A_PROMPT,         {},                                      { INPUT_KEY_BACKSPACE } },
	{ "ENTER on ':mode loop'", A_COMMAND_ROW,    { 'p' },                                 { INPUT_KEY_ENTER } },
	{ "ESC on a ':' line",     A_COMMAND_ROW,    { ':', 'x' },                            { INPUT_KEY_ESC } },
	{ "TAB to the library",    A_WINDOWS,        {},                                      { KB_KEY_TAB } },
	{ "TAB to the playlist",   A_WINDOWS,        {},                                      { KB_KEY_TAB } },
	{ "^L",                    A_ALL_BUT_PROMPT, {},                                      { CTRL_L } },
};
// clang-format on

area_counts counts_of(const paint_counts &c)
{
	return { c.borders, c.player, c.library, c.playlist, c.command_row, c.prompt };
}

// A key as the main loop hands it on: to the open mode, else to its
// binding; what a key typed into a prompt is shown at once. Then the paint
// the loop does before it waits again.
void press(int key)
{
	if (input_mode_open())
		input_feed(key);
	else
		kb_execute(key);
	if (input_prompt() != nullptr)
		prompt_touch();
	paint_flush();
}

// "a" when lo and hi are both a, else "a-b".
std::string range(long lo, long hi)
{
	return lo == hi ? std::to_string(lo) : std::to_string(lo) + "-" + std::to_string(hi);
}

} // namespace

std::vector<key_areas> bench_areas_measure(int runs)
{
	std::vector<key_areas> areas;
	for (const area_case &c : CASES)
		areas.push_back({ c.name, c.expected, {} });
	for (int run = 0; run < runs; run++) {
		for (size_t i = 0; i < CASES.size(); i++) {
			for (int key : CASES[i].before)
				press(key);
			const area_counts before = counts_of(paint_stats());
			for (int key : CASES[i].keys)
				press(key);
			area_counts painted = counts_of(paint_stats());
			for (int a = 0; a < BENCH_NAREAS; a++)
				painted[a] -= before[a];
			areas[i].runs.push_back(painted);
		}
	}
	return areas;
}

// One line a key: "@", its name, the expected set, then the counts of each
// run, separated by tabs and blanks.
std::string bench_areas_report(const std::vector<key_areas> &areas)
{
	std::string report;
	for (const key_areas &a : areas) {
		report += "@\t" + a.name + "\t" + std::to_string(a.expected) + "\t";
		for (const area_counts &c : a.runs)
			for (long count : c)
				report += std::to_string(count) + " ";
		report += '\n';
	}
	return report;
}

bool bench_areas_parse(const std::string &line, std::vector<key_areas> &areas)
{
	if (!line.starts_with("@\t"))
		return false;
	const size_t tab1 = line.find('\t', 2), tab2 = line.find('\t', tab1 + 1);
	if (tab2 == std::string::npos)
		return false;
	key_areas a{ line.substr(2, tab1 - 2),
		     static_cast<unsigned>(std::stoul(line.substr(tab1 + 1))),
		     {} };
	std::istringstream nums(line.substr(tab2 + 1));
	area_counts c;
	while (nums >> c[0] >> c[1] >> c[2] >> c[3] >> c[4] >> c[5])
		a.runs.push_back(c);
	areas.push_back(a);
	return true;
}

void bench_areas_print(const std::vector<key_areas> &areas)
{
	printf("areas painted per key: paint_stats() around the key and the paint after it, "
	       "in-process;\nrange over the runs (%zu of each):\n",
	       areas.empty() ? 0 : areas[0].runs.size());
	printf("  %-22s", "key");
	for (const char *name : AREA_NAMES)
		printf(" %8s", name);
	printf("  %5s  %s\n", "total", "only what it changed?");
	for (const key_areas &a : areas) {
		printf("  %-22s", a.name.c_str());
		unsigned extra = 0, missing = 0;
		for (int i = 0; i < BENCH_NAREAS; i++) {
			long lo = LONG_MAX, hi = 0;
			for (const area_counts &c : a.runs) {
				lo = std::min(lo, c[i]);
				hi = std::max(hi, c[i]);
			}
			const long want = (a.expected >> i) & 1u;
			extra |= hi > want ? 1u << i : 0;
			missing |= lo < want ? 1u << i : 0;
			printf(" %8s", range(lo, hi).c_str());
		}
		long lo = LONG_MAX, hi = 0;
		for (const area_counts &c : a.runs) {
			long total = 0;
			for (long count : c)
				total += count;
			lo = std::min(lo, total);
			hi = std::max(hi, total);
		}
		printf("  %5s  %s", range(lo, hi).c_str(), extra == 0 && missing == 0 ? "yes" : "");
		for (const auto &[what, set] :
		     { std::pair{ "MORE:", extra }, { "LESS:", missing } }) {
			if (set == 0)
				continue;
			printf(" %s", what);
			for (int i = 0; i < BENCH_NAREAS; i++)
				if ((set >> i) & 1u)
					printf(" %s", AREA_NAMES[i]);
		}
		printf("\n");
	}
}
