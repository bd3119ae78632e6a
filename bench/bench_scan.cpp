// Directory scan and database update on real files, against bare loops over
// the same files measured in the same run.
//
//   cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DKORVANE_BENCH=ON -DKORVANE_TESTS=OFF
//   cmake --build build-bench --target bench_scan && build-bench/bench/bench_scan
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <tag_c.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "library/db_file.h"
#include "library/maintenance.h"
#include "library/medialib.h"

namespace
{

using clock_type = std::chrono::steady_clock;

double seconds_since(clock_type::time_point start)
{
	return std::chrono::duration<double>(clock_type::now() - start).count();
}

void must(bool ok, const char *what)
{
	if (!ok) {
		fprintf(stderr, "bench_scan: %s failed\n", what);
		exit(1);
	}
}

void sh(const std::string &cmd)
{
	must(system(cmd.c_str()) == 0, cmd.c_str());
}

std::string read_file(const std::string &path)
{
	std::ifstream in(path, std::ios::binary);
	std::ostringstream ss;
	ss << in.rdbuf();
	return ss.str();
}

void write_file(const std::string &path, const std::string &bytes)
{
	int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
	must(fd != -1, "open");
	must(write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()), "write");
	close(fd);
}

// Standard output goes to /dev/null while the library prints its progress.
class quiet_stdout
{
public:
	quiet_stdout()
	{
		fflush(stdout);
		saved = dup(1);
		int null = open("/dev/null", O_WRONLY);
		dup2(null, 1);
		close(null);
	}
	~quiet_stdout()
	{
		fflush(stdout);
		dup2(saved, 1);
		close(saved);
	}
	quiet_stdout(const quiet_stdout &) = delete;
	quiet_stdout &operator=(const quiet_stdout &) = delete;

private:
	int saved;
};

// A tree of n copies of two tiny tagged files, an mp3 and an ogg, 100 to a
// directory, each under its own name.
std::vector<std::string> make_tree(const std::string &root, int n, const std::string &mp3,
                                   const std::string &ogg)
{
	std::vector<std::string> files;
	mkdir(root.c_str(), 0755);
	for (int i = 0; i < n; i++) {
		std::string dir = root + "/album-" + std::to_string(i / 100);
		if (i % 100 == 0)
			mkdir(dir.c_str(), 0755);
		char name[64];
		snprintf(name, sizeof name, "/%05d - track.%s", i, i % 2 ? "ogg" : "mp3");
		files.push_back(dir + name);
		write_file(files.back(), i % 2 ? ogg : mp3);
	}
	return files;
}

void empty_db(const std::string &db)
{
	FILE *f = fopen(db.c_str(), "w");
	must(f && medialib_db_write_header(f), "writing the database header");
	fclose(f);
}

// Scans root into the library loaded from db; the load is not timed.
double timed_scan(const std::string &db, const std::string &playlists, const std::string &root)
{
	medialib_load(db, playlists);
	char *paths[] = { const_cast<char *>(root.c_str()), nullptr };
	auto start = clock_type::now();
	{
		quiet_stdout quiet;
		medialib_db_scan_dirs(paths);
	}
	double t = seconds_since(start);
	medialib_destroy();
	return t;
}

// What a scan cannot avoid: open each file with TagLib, read its tags and
// its length.
double bare_taglib(const std::vector<std::string> &files)
{
	auto start = clock_type::now();
	long sink = 0;
	for (const auto &path : files) {
		taglib_set_strings_unicode(false);
		TagLib_File *f = taglib_file_new(path.c_str());
		if (f == nullptr)
			continue;
		if (taglib_file_is_valid(f)) {
			const TagLib_Tag *tag = taglib_file_tag(f);
			const char *texts[] = { taglib_tag_artist(tag), taglib_tag_album(tag),
				                taglib_tag_title(tag), taglib_tag_genre(tag),
				                taglib_tag_comment(tag) };
			for (const char *t : texts)
				sink += t[0];
			sink += taglib_tag_track(tag) + taglib_tag_year(tag);
			sink += taglib_audioproperties_length(taglib_file_audioproperties(f));
		}
		taglib_tag_free_strings();
		taglib_file_free(f);
	}
	if (sink == 42)
		fprintf(stderr, " ");
	return seconds_since(start);
}

template <typename F>
double best_of(int runs, F f)
{
	double best = 1e9;
	for (int i = 0; i < runs; i++)
		best = std::min(best, f());
	return best;
}

void row(const char *what, double seconds, double ratio, const char *target)
{
	printf("%-58s %9.4f s  %6.2fx  (target %s)\n", what, seconds, ratio, target);
}

} // namespace

int main()
{
	char tmpl[] = "/tmp/korvane-bench-scan.XXXXXX";
	must(mkdtemp(tmpl) != nullptr, "mkdtemp");
	const std::string dir = tmpl;
	const std::string playlists = dir + "/playlists";
	const std::string db = dir + "/korvane.db";
	mkdir(playlists.c_str(), 0755);

	sh("cd " + dir + " && sox -q -n -r 8000 -c 1 tiny.wav synth 0.3 sine 440 && " +
	   "lame --quiet --preset cbr 32 --add-id3v2 --id3v2-only --ta Artist --tl Album " +
	   "--tt Title --tn 3 --ty 1999 tiny.wav tiny.mp3 && " +
	   "sox -q -n -r 8000 -c 1 --add-comment ARTIST=Artist --add-comment TITLE=Title " +
	   "tiny.ogg synth 0.3 sine 440");
	const std::string mp3 = read_file(dir + "/tiny.mp3"), ogg = read_file(dir + "/tiny.ogg");

	const int n = 4000;
	printf("Creating %d + %d small files...\n", n, 4 * n);
	fflush(stdout);
	std::vector<std::string> small = make_tree(dir + "/small", n, mp3, ogg);
	make_tree(dir + "/large", 4 * n, mp3, ogg);

	// (a) first scan of new files against bare TagLib reads.
	double bare = 1e9, first = 1e9;
	for (int run = 0; run < 5; run++) {
		bare = std::min(bare, bare_taglib(small));
		empty_db(db);
		first = std::min(first, timed_scan(db, playlists, dir + "/small"));
	}
	// The database now holds the small tree.
	// (b) rescan of the unchanged files.
	double rescan = best_of(5, [&] { return timed_scan(db, playlists, dir + "/small"); });

	// (c) the same with four times the files and records.
	empty_db(db);
	timed_scan(db, playlists, dir + "/large");
	double rescan_large = best_of(5, [&] { return timed_scan(db, playlists, dir + "/large"); });

	printf("\n%d files of %zu (mp3) and %zu (ogg) bytes, best of 5:\n", n, mp3.size(),
	       ogg.size());
	row("bare loop: TagLib open, tags and length", bare, 1.0, "");
	row("(a) first scan, new files / bare loop", first, first / bare, "<= 1.3");
	row("(b) rescan, unchanged files / first scan", rescan, rescan / first, "<= 0.5");
	char what[128];
	snprintf(what, sizeof what, "(c) rescan of %d files and records / of %d", 4 * n, n);
	row(what, rescan_large, rescan_large / rescan, "<= 5.5");
	fflush(stdout);

	// (d) update over 100,000 unchanged records of distinct existing files.
	const int records = 100000;
	printf("\nCreating %d empty files and their records...\n", records);
	fflush(stdout);
	const std::string many = dir + "/many";
	mkdir(many.c_str(), 0755);
	std::vector<std::string> names;
	{
		FILE *f = fopen(db.c_str(), "w");
		must(f && medialib_db_write_header(f), "writing the database");
		char resolved[PATH_MAX];
		must(realpath(many.c_str(), resolved) != nullptr, "realpath");
		for (int i = 0; i < records; i++) {
			std::string sub = many + "/" + std::to_string(i / 1000);
			if (i % 1000 == 0)
				mkdir(sub.c_str(), 0755);
			std::string name = sub + "/" + std::to_string(i) + " - some song title.mp3";
			write_file(name, "");
			names.push_back(std::string(resolved) + name.substr(many.size()));
			meta_info mi;
			mi.filename = names.back();
			mi.cinfo[CINFO_ARTIST] = "Some Artist";
			mi.cinfo[CINFO_ALBUM] = "Some Album " + std::to_string(i / 12);
			mi.cinfo[CINFO_TITLE] = "Song number " + std::to_string(i);
			mi.cinfo[CINFO_TRACK] = "  " + std::to_string(i % 12 + 1);
			mi.cinfo[CINFO_LENGTH] = "3:25";
			mi.length = 205;
			mi.last_updated = time(nullptr) + 10 * 365 * 86400L;
			must(mi_fwrite(mi, f), "writing a record");
		}
		fclose(f);
	}

	double bare_update = 1e9, update = 1e9, whole = 1e9;
	for (int run = 0; run < 5; run++) {
		medialib_load(db, playlists);
		auto start = clock_type::now();
		long sink = 0;
		struct stat st;
		for (const auto &name : names)
			if (stat(name.c_str(), &st) == 0)
				sink += st.st_mtime;
		medialib_db_save(db);
		bare_update = std::min(bare_update, seconds_since(start));
		medialib_destroy();
		if (sink == 42)
			fprintf(stderr, " ");

		start = clock_type::now();
		medialib_load(db, playlists);
		auto after_load = clock_type::now();
		{
			quiet_stdout quiet;
			medialib_db_update(false);
		}
		update = std::min(update, seconds_since(after_load));
		whole = std::min(whole, seconds_since(start));
		medialib_destroy();
	}

	printf("\n%d records, best of 5:\n", records);
	row("bare loop: stat every file, save the database once", bare_update, 1.0, "");
	row("(d) update of unchanged records / bare loop", update, update / bare_update, "<= 2");
	row("    load and update, as the e-command does / bare loop", whole, whole / bare_update,
	    "-");

	sh("rm -rf " + dir);
	return 0;
}
