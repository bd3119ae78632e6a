// Times searching, filtering and the start-up of a library whose texts are
// in many scripts, in the C.UTF-8 locale against the C locale in the same
// run.
//
// (1) the database load and the start-up sort, which in a UTF-8 locale also
//     makes every record's folded texts;
// (2) a search as `n` runs it: one token over every record;
// (3) a filter of two tokens over every record;
// (4) the heap the folded texts take, against the whole loaded library.

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "library/db_file.h"
#include "library/medialib.h"
#include "meta/mi_query.h"
#include "meta/mi_sort.h"

namespace
{

constexpr int NRECORDS = 100000;

// Words of the scripts a large collection holds, with the share of the
// artists written in each.
struct script {
	int percent;
	std::vector<std::string> words;
};

const script SCRIPTS[] = {
	{ 45, { "love", "Night", "the", "Blue", "heart", "Fire", "dream", "City", "river", "summer" } },
	{ 20, { "Björk", "Sigur", "Rós", "Ágætis", "Café", "Mañana", "Ærzte", "Straße", "Émile", "Zoë" } },
	{ 10, { "Мумий", "Тролль", "Кино", "Звезда", "Группа", "крови", "Ночь", "Лето" } },
	{ 5, { "Ελληνικά", "Σίσυφος", "Θάλασσα", "Νύχτα", "Αγάπη" } },
	{ 12, { "坂本龍一", "戦場の", "メリー", "クリスマス", "宇多田", "ヒカル", "東京", "夜" } },
	{ 5, { "한국어", "아리랑", "사랑", "노래", "서울" } },
	{ 3, { "فيروز", "نسم", "علينا", "الهوى", "😀", "🎉" } },
};

class generator
{
public:
	explicit generator(unsigned seed) : rng(seed) {}
	int uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }

	// A phrase of two to four words of one script, chosen by its share.
	std::string phrase()
	{
		int pick = uniform(1, 100);
		const script *s = &SCRIPTS[0];
		for (const script &candidate : SCRIPTS) {
			s = &candidate;
			if ((pick -= candidate.percent) <= 0)
				break;
		}
		std::string out;
		for (int n = uniform(2, 4); n > 0; n--) {
			if (!out.empty())
				out += ' ';
			out += s->words[static_cast<size_t>(uniform(0, static_cast<int>(s->words.size()) - 1))];
		}
		return out;
	}

private:
	std::mt19937 rng;
};

void make_library()
{
	generator g(20261211);
	std::vector<std::string> artists, albums;
	for (int i = 0; i < 4000; i++)
		artists.push_back(g.phrase());
	for (int i = 0; i < 9000; i++)
		albums.push_back(g.phrase());
	medialib_new_state();
	for (int i = 0; i < NRECORDS; i++) {
		mi_ptr mi = mi_new();
		const std::string &artist = artists[static_cast<size_t>(g.uniform(0, 3999))];
		const std::string &album = albums[static_cast<size_t>(g.uniform(0, 8999))];
		const std::string title = g.phrase();
		char track[8];
		snprintf(track, sizeof track, "%3d", i % 14 + 1);
		mi->filename = "/home/user/music/" + artist + "/" + album + "/" + track + " " + title + ".flac";
		mi->cinfo[CINFO_ARTIST] = artist;
		mi->cinfo[CINFO_ALBUM] = album;
		mi->cinfo[CINFO_TITLE] = title;
		mi->cinfo[CINFO_TRACK] = track;
		mi->cinfo[CINFO_YEAR] = std::to_string(1960 + i % 60);
		mi->cinfo[CINFO_GENRE] = "Rock";
		mi->length = 120 + i % 400;
		mi->cinfo[CINFO_LENGTH] = mi_length_text(mi->length);
		medialib.library->files.push_back(medialib_adopt(std::move(mi)));
	}
}

size_t heap_in_use()
{
	struct mallinfo2 mi = mallinfo2();
	return mi.uordblks + mi.hblkhd;
}

struct startup_figures {
	double load_sort;  // best of the runs, seconds
	double fold;       // of which making the folded texts
	size_t heap;       // the loaded and sorted library
	size_t fold_heap;  // of which the folded texts
};

// The load and start-up sort of the database, best of five; the heap of the
// last run.
startup_figures startup(const std::string &db)
{
	startup_figures f{ 1e9, 1e9, 0, 0 };
	for (int run = 0; run < 5; run++) {
		medialib_destroy();
		const size_t before = heap_in_use();
		double fold = 0;
		const sample s = timed([&] {
			medialib_new_state();
			medialib_db_load(db);
			fold = timed([&] {
				       for (const meta_info *mi : medialib.library->files)
					       mi_folded_texts(mi);
			       }).cpu;
			std::stable_sort(medialib.library->files.begin(), medialib.library->files.end(),
			                 [](const meta_info *a, const meta_info *b) {
				                 return mi_compare(a, b) < 0;
			                 });
		});
		f.load_sort = std::min(f.load_sort, s.cpu);
		f.fold = std::min(f.fold, fold);
		f.heap = heap_in_use() - before;
		f.fold_heap = 0;
		for (const meta_info *mi : medialib.library->files)
			if (mi->fold.state == mi_fold_cache::FOLDED)
				f.fold_heap += mi->fold.folded.size();
	}
	return f;
}

// The best CPU time of seven passes of the query over every record, and how
// many records it matched.
std::pair<double, int> query_time(const std::vector<std::string> &tokens)
{
	mi_query_clear();
	for (const std::string &t : tokens)
		mi_query_add_token(t);
	double best = 1e9;
	int matches = 0;
	for (int pass = 0; pass < 7; pass++) {
		int n = 0;
		const sample s = timed([&] {
			for (const meta_info *mi : medialib.library->files)
				n += mi_match(mi);
		});
		best = std::min(best, s.cpu);
		matches = n;
	}
	return { best, matches };
}

} // namespace

int main()
{
	char tmpl[] = "/tmp/korvane-bench.XXXXXX";
	const std::string dir = mkdtemp(tmpl);
	const std::string db = dir + "/100k.db";
	mi_query_init();
	mi_sort_init();
	make_library();
	medialib_db_save(db);

	struct locale_run {
		const char *name;
		startup_figures start;
		std::pair<double, int> search, search_upper, filter;
	} runs[2] = { { "C", {}, {}, {}, {} }, { "C.UTF-8", {}, {}, {}, {} } };
	for (locale_run &r : runs) {
		if (setlocale(LC_ALL, r.name) == nullptr) {
			fprintf(stderr, "bench_utf8: no locale %s\n", r.name);
			return 1;
		}
		r.start = startup(db);
		r.search = query_time({ "bjork" });
		r.search_upper = query_time({ "ТРОЛЛЬ" });
		r.filter = query_time({ "sigur", "!мумий" });
	}
	medialib_destroy();
	unlink(db.c_str());
	rmdir(dir.c_str());

	printf("%d records, figures in C and in C.UTF-8\n", NRECORDS);
	printf("%-40s %12s %12s %8s\n", "figure", "C", "C.UTF-8", "ratio");
	auto row = [](const char *what, double c, double u) {
		printf("%-40s %12.4f %12.4f %7.2fx\n", what, c, u, u / c);
	};
	row("load and start-up sort (s)", runs[0].start.load_sort, runs[1].start.load_sort);
	row("  of which the folded texts (s)", runs[0].start.fold, runs[1].start.fold);
	row("search 'bjork' (s)", runs[0].search.first, runs[1].search.first);
	row("search 'ТРОЛЛЬ' (s)", runs[0].search_upper.first, runs[1].search_upper.first);
	row("filter 'sigur !мумий' (s)", runs[0].filter.first, runs[1].filter.first);
	row("heap of the loaded library (MB)", runs[0].start.heap / 1e6, runs[1].start.heap / 1e6);
	printf("%-40s %12s %12.2f\n", "of which folded texts (MB)", "", runs[1].start.fold_heap / 1e6);
	printf("matches: 'bjork' %d / %d, 'ТРОЛЛЬ' %d / %d, filter %d / %d\n", runs[0].search.second,
	       runs[1].search.second, runs[0].search_upper.second, runs[1].search_upper.second,
	       runs[0].filter.second, runs[1].filter.second);
	return 0;
}
