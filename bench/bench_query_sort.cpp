// Times query matching and the start-up sort over a large synthetic library.
//
// (1) mi_match with a three-token query over every record, against a bare
//     loop that runs strcasestr for the same tokens over the same texts;
// (2) std::sort of the record pointers with mi_compare and the default sort
//     description, as start-up sorts the library.

#include <string.h>
#include <strings.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "meta/meta_info.h"
#include "meta/mi_query.h"
#include "meta/mi_sort.h"

namespace
{

constexpr int NRECORDS = 100000;
constexpr int REPEATS = 7;

const char *const WORDS[] = { "love",   "night",  "the",    "blue",   "heart",  "fire",   "dream",
	                      "city",   "river",  "summer", "ghost",  "golden", "wild",   "broken",
	                      "silver", "echo",   "north",  "storm",  "velvet", "garden", "ocean",
	                      "light",  "shadow", "empire", "winter", "live",   "paper",  "stone",
	                      "glass",  "neon",   "radio",  "orange", "violet", "thunder" };
const char *const GENRES[] = { "Rock",    "Jazz",      "Electronic", "Folk",
	                       "Hip-Hop", "Classical", "Blues",      "Ambient" };

class generator
{
public:
	explicit generator(unsigned seed) : rng_(seed) {}

	int uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
	bool chance(int percent) { return uniform(1, 100) <= percent; }

	// Words joined by blanks, some capitalised, of min to max bytes.
	std::string phrase(int min, int max)
	{
		const size_t want = uniform(min, max);
		std::string s;
		while (s.size() < want) {
			if (!s.empty())
				s += ' ';
			std::string w = WORDS[uniform(0, std::size(WORDS) - 1)];
			if (chance(60))
				w[0] = static_cast<char>(w[0] - 'a' + 'A');
			s += w;
		}
		s.resize(want);
		return s;
	}

private:
	std::mt19937 rng_;
};

std::vector<mi_ptr> make_library()
{
	generator g(20240601);
	std::vector<std::string> artists, albums;
	for (int i = 0; i < 4000; i++)
		artists.push_back(g.phrase(5, 24));
	for (int i = 0; i < 9000; i++)
		albums.push_back(g.phrase(5, 30));

	std::vector<mi_ptr> lib;
	lib.reserve(NRECORDS);
	for (int i = 0; i < NRECORDS; i++) {
		mi_ptr mi = mi_new();
		const std::string &artist = artists[g.uniform(0, artists.size() - 1)];
		const std::string &album = albums[g.uniform(0, albums.size() - 1)];
		std::string title = g.phrase(5, 30);
		int track = g.uniform(1, 18);
		mi->length = g.uniform(30, 600);

		char path[256];
		snprintf(path, sizeof path, "/home/user/music/%.14s/%.14s/%02d %.14s.%s",
		         artist.c_str(), album.c_str(), track, title.c_str(),
		         g.chance(70) ? "flac" : "mp3");
		mi->filename = path;

		if (g.chance(95))
			mi->cinfo[CINFO_ARTIST] = artist;
		if (g.chance(90))
			mi->cinfo[CINFO_ALBUM] = album;
		if (g.chance(97))
			mi->cinfo[CINFO_TITLE] = title;
		if (g.chance(85)) {
			char buf[16];
			snprintf(buf, sizeof buf, "%3i", track);
			mi->cinfo[CINFO_TRACK] = buf;
		}
		if (g.chance(75))
			mi->cinfo[CINFO_YEAR] = std::to_string(g.uniform(1960, 2024));
		if (g.chance(80))
			mi->cinfo[CINFO_GENRE] = GENRES[g.uniform(0, std::size(GENRES) - 1)];
		mi->cinfo[CINFO_LENGTH] = mi_length_text(mi->length);
		if (g.chance(25))
			mi->cinfo[CINFO_COMMENT] = g.phrase(5, 30);
		lib.push_back(std::move(mi));
	}
	return lib;
}

// The machine is shared, so runs are timed in the thread's own CPU time as
// well as on the wall clock; on an idle machine the two agree.
struct stopwatch {
	std::chrono::steady_clock::time_point wall0 = std::chrono::steady_clock::now();
	double cpu0 = cpu_now();

	static double cpu_now()
	{
		timespec ts;
		clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
		return ts.tv_sec + ts.tv_nsec / 1e9;
	}
	double wall() const
	{
		return std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0)
		        .count();
	}
	double cpu() const { return cpu_now() - cpu0; }
};

// The same test as mi_match, written directly on strcasestr.
bool bare_contains(const meta_info *mi, const char *token, bool match_fname)
{
	if (match_fname && mi->filename && strcasestr(mi->filename->c_str(), token) != nullptr)
		return true;
	for (const auto &text : mi->cinfo)
		if (text && strcasestr(text->c_str(), token) != nullptr)
			return true;
	return false;
}

struct token {
	const char *text;
	bool match;
};

int bare_match_all(const std::vector<const meta_info *> &recs, const std::vector<token> &tokens)
{
	int n = 0;
	for (const meta_info *mi : recs) {
		bool ok = true;
		for (const token &t : tokens)
			if (bare_contains(mi, t.text, true) != t.match) {
				ok = false;
				break;
			}
		n += ok;
	}
	return n;
}

int mi_match_all(const std::vector<const meta_info *> &recs)
{
	int n = 0;
	for (const meta_info *mi : recs)
		n += mi_match(mi);
	return n;
}

template <class F>
double best_of(F &&f)
{
	double best = 1e9;
	for (int i = 0; i < REPEATS; i++) {
		stopwatch sw;
		f();
		best = std::min(best, sw.cpu());
	}
	return best;
}

bool by_description(const meta_info *a, const meta_info *b)
{
	return mi_compare(a, b) < 0;
}

// Sorts copies of recs REPEATS times and prints the best and median times.
bool time_sort(const char *label, const std::vector<const meta_info *> &recs)
{
	std::vector<double> cpu, wall;
	for (int i = 0; i < REPEATS; i++) {
		std::vector<const meta_info *> v = recs;
		stopwatch sw;
		std::sort(v.begin(), v.end(), by_description);
		cpu.push_back(sw.cpu());
		wall.push_back(sw.wall());
		if (!std::is_sorted(v.begin(), v.end(), by_description)) {
			fprintf(stderr, "sort left the records out of order\n");
			return false;
		}
	}
	std::sort(cpu.begin(), cpu.end());
	std::sort(wall.begin(), wall.end());
	printf("  %-16s wall: best %.4fs, median %.4fs; cpu: best %.4fs, median %.4fs\n", label,
	       wall.front(), wall[REPEATS / 2], cpu.front(), cpu[REPEATS / 2]);
	return true;
}

} // namespace

int main()
{
	std::vector<mi_ptr> lib = make_library();
	std::vector<const meta_info *> recs;
	for (const mi_ptr &mi : lib)
		recs.push_back(mi.get());

	size_t bytes = 0, present = 0;
	for (const meta_info *mi : recs)
		for (const auto &t : mi->cinfo)
			if (t) {
				bytes += t->size();
				present++;
			}
	size_t path_bytes = 0;
	for (const meta_info *mi : recs)
		path_bytes += mi->filename->size();
	printf("%d records: mean path %.1f bytes, mean text %.1f bytes, %.1f%% of texts "
	       "present\n",
	       NRECORDS, double(path_bytes) / NRECORDS, double(bytes) / present,
	       100.0 * present / (NRECORDS * MI_NUM_CINFO));

	// (1) Query matching.
	const std::vector<std::vector<token>> queries = {
		{ { "love", true }, { "night", true }, { "live", false } },
		{ { "the", true }, { "ROCK", true }, { "flac", false } },
		{ { "zzz", true }, { "qqq", true }, { "xxx", false } },
	};
	printf("\nquery matching (best cpu time of %d passes over all records)\n", REPEATS);
	printf("%-26s %8s %10s %10s %7s\n", "query", "matches", "mi_match", "strcasestr", "ratio");
	double worst_ratio = 0;
	for (const auto &tokens : queries) {
		mi_query_init();
		std::string label;
		for (const token &t : tokens) {
			std::string word = t.match ? "" : "!";
			word += t.text;
			mi_query_add_token(word);
			label += word + " ";
		}

		int got = 0, want = 0;
		double t_match = best_of([&] { got = mi_match_all(recs); });
		double t_bare = best_of([&] { want = bare_match_all(recs, tokens); });
		if (got != want) {
			fprintf(stderr, "mismatch for %s: mi_match %d, strcasestr %d\n",
			        label.c_str(), got, want);
			return 1;
		}
		double ratio = t_match / t_bare;
		worst_ratio = std::max(worst_ratio, ratio);
		printf("%-26s %8d %9.4fs %9.4fs %6.2fx\n", label.c_str(), got, t_match, t_bare,
		       ratio);
	}
	printf("worst mi_match / strcasestr ratio: %.2fx (target: within 2x)\n", worst_ratio);

	// (2) The start-up sort: from the generated (random) order, and from
	// the file-name order in which the database hands the records over.
	mi_sort_init();
	printf("\nsort of %d records by artist,album,track,title (%d runs, target: <= 0.15s)\n",
	       NRECORDS, REPEATS);
	std::vector<const meta_info *> by_name = recs;
	std::sort(by_name.begin(), by_name.end(), [](const meta_info *a, const meta_info *b) {
		return *a->filename < *b->filename;
	});
	if (!time_sort("random order", recs) || !time_sort("file-name order", by_name))
		return 1;
	return 0;
}
