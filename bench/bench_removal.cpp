// Removal of many records in one pass: update over a library whose files
// have all vanished, 100,000 records against 50,000, and against a bare loop
// over the same names measured in the same run.
//
//   cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DKORVANE_BENCH=ON -DKORVANE_TESTS=OFF
//   cmake --build build-bench --target bench_removal && build-bench/bench/bench_removal
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
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
		fprintf(stderr, "bench_removal: %s failed\n", what);
		exit(1);
	}
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

// The names of n files under a directory that does not exist.
std::vector<std::string> vanished_names(const std::string &gone, int n)
{
	std::vector<std::string> names;
	names.reserve(n);
	for (int i = 0; i < n; i++)
		names.push_back(gone + "/" + std::to_string(i / 1000) + "/" + std::to_string(i) +
		                " - some song title.mp3");
	return names;
}

// A database of one record for each name; update saves over it, so every
// run writes it afresh.
void write_db(const std::string &db, const std::vector<std::string> &names)
{
	FILE *f = fopen(db.c_str(), "w");
	must(f && medialib_db_write_header(f), "writing the database header");
	for (size_t i = 0; i < names.size(); i++) {
		meta_info mi;
		mi.filename = names[i];
		mi.cinfo[CINFO_ARTIST] = "Some Artist";
		mi.cinfo[CINFO_ALBUM] = "Some Album " + std::to_string(i / 12);
		mi.cinfo[CINFO_TITLE] = "Song number " + std::to_string(i);
		mi.cinfo[CINFO_LENGTH] = "3:25";
		mi.length = 205;
		must(mi_fwrite(mi, f), "writing a record");
	}
	must(fclose(f) == 0, "closing the database");
}

// Update over the records of names, every file gone; the load is not timed,
// the save is.
double timed_update(const std::string &db, const std::string &playlists,
                    const std::vector<std::string> &names)
{
	write_db(db, names);
	medialib_load(db, playlists);
	must(medialib.library->nfiles() == static_cast<int>(names.size()), "loading");
	auto start = clock_type::now();
	{
		quiet_stdout quiet;
		medialib_db_update(false);
	}
	double t = seconds_since(start);
	must(medialib.library->nfiles() == 0, "removing every record");
	medialib_destroy();
	return t;
}

// What the update cannot avoid: a failing stat of each name and the save of
// an empty library.
double bare_loop(const std::string &db, const std::string &playlists,
                 const std::vector<std::string> &names)
{
	write_db(db, names);
	medialib_load(db, playlists);
	auto start = clock_type::now();
	long missing = 0;
	struct stat st;
	for (const auto &name : names)
		if (stat(name.c_str(), &st) == -1)
			missing++;
	medialib.library->files.clear();
	medialib_db_save(db);
	double t = seconds_since(start);
	must(missing == static_cast<long>(names.size()), "the bare stat loop");
	medialib_destroy();
	return t;
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
	char tmpl[] = "/tmp/korvane-bench-removal.XXXXXX";
	must(mkdtemp(tmpl) != nullptr, "mkdtemp");
	const std::string dir = tmpl;
	const std::string playlists = dir + "/playlists";
	const std::string db = dir + "/korvane.db";
	must(mkdir(playlists.c_str(), 0755) == 0, "mkdir");

	const int large = 100000, small = 50000;
	const std::vector<std::string> names = vanished_names(dir + "/gone", large);
	const std::vector<std::string> half(names.begin(), names.begin() + small);

	double bare = best_of(5, [&] { return bare_loop(db, playlists, names); });
	double update_small = best_of(5, [&] { return timed_update(db, playlists, half); });
	double update_large = best_of(5, [&] { return timed_update(db, playlists, names); });

	printf("update over records whose files have all vanished, best of 5:\n");
	char what[128];
	snprintf(what, sizeof what, "bare loop: failing stat of %d names, one save", large);
	row(what, bare, 1.0, "");
	snprintf(what, sizeof what, "update, %d vanished records / bare loop", small);
	row(what, update_small, update_small / bare, "-");
	snprintf(what, sizeof what, "update, %d vanished records / bare loop", large);
	row(what, update_large, update_large / bare, "-");
	snprintf(what, sizeof what, "update, %d / %d vanished records", large, small);
	row(what, update_large, update_large / update_small, "<= 2.5");

	must(system(("rm -rf " + dir).c_str()) == 0, "removing the temporary directory");
	return 0;
}
