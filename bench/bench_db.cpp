// Database load and save and playlist load, against a bare read of the same
// file measured in the same run.
//
//   cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DKORVANE_BENCH=ON -DKORVANE_TESTS=OFF
//   cmake --build build-bench --target bench_db && build-bench/bench/bench_db
#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_library.h"
#include "library/db_file.h"
#include "library/medialib.h"
#include "playlist/playlist_file.h"

namespace
{

using clock_type = std::chrono::steady_clock;

double seconds_since(clock_type::time_point start)
{
	return std::chrono::duration<double>(clock_type::now() - start).count();
}

// Best of several runs, to keep the noise of a shared machine out.
template <typename F>
double best_of(int runs, F f)
{
	double best = 1e9;
	for (int i = 0; i < runs; i++) {
		auto start = clock_type::now();
		f();
		best = std::min(best, seconds_since(start));
	}
	return best;
}

double bare_read(const std::string &path)
{
	return best_of(5, [&] {
		int fd = open(path.c_str(), O_RDONLY);
		struct stat st;
		fstat(fd, &st);
		std::vector<char> buf(static_cast<size_t>(st.st_size));
		size_t got = 0;
		while (got < buf.size()) {
			ssize_t n = read(fd, buf.data() + got, buf.size() - got);
			if (n <= 0)
				break;
			got += static_cast<size_t>(n);
		}
		close(fd);
	});
}

double load_time(const std::string &path)
{
	return best_of(5, [&] {
		medialib_new_state();
		medialib_db_load(path);
	});
}

size_t heap_in_use()
{
	struct mallinfo2 mi = mallinfo2();
	return mi.uordblks + mi.hblkhd;
}

off_t file_size(const std::string &path)
{
	struct stat st;
	stat(path.c_str(), &st);
	return st.st_size;
}

} // namespace

int main()
{
	char tmpl[] = "/tmp/korvane-bench.XXXXXX";
	std::string dir = mkdtemp(tmpl);
	std::string db100 = dir + "/100k.db", db200 = dir + "/200k.db";

	bench_make_library(200000, 2);
	medialib_db_save(db200);
	bench_make_library(100000, 1);
	double save = best_of(5, [&] { medialib_db_save(db100); });

	// A playlist of 10,000 entries of the library, in random order.
	std::string pl = dir + "/big.playlist";
	{
		FILE *f = fopen(pl.c_str(), "w");
		std::mt19937 rng(3);
		for (int i = 0; i < 10000; i++)
			fprintf(f, "%s\n",
			        medialib.library->files[rng() % 100000]->filename->c_str());
		fclose(f);
	}

	double read100 = bare_read(db100), read200 = bare_read(db200);
	double load100 = load_time(db100), load200 = load_time(db200);

	medialib_destroy();
	size_t before = heap_in_use();
	medialib_new_state();
	medialib_db_load(db100);
	size_t used = heap_in_use() - before;

	double plload = best_of(10, [&] {
		std::deque<mi_ptr> placeholders;
		playlist_ptr p = playlist_load(pl, medialib.library->files, placeholders);
	});
	medialib_destroy();

	double size100 = static_cast<double>(file_size(db100));
	printf("database of 100,000 records: %.1f MB\n", size100 / 1e6);
	printf("  bare read            %8.4f s\n", read100);
	printf("  load and sort        %8.4f s  (%.1fx bare read; target <= 0.25 s)\n", load100,
	       load100 / read100);
	printf("  save                 %8.4f s  (%.1fx bare read; target <= 0.15 s)\n", save,
	       save / read100);
	printf("  memory of library    %8.1f MB (%.2fx file size; target <= 4x)\n", used / 1e6,
	       used / size100);
	printf("database of 200,000 records: bare read %.4f s, load %.4f s\n", read200, load200);
	printf("  load 200k / load 100k %7.2fx (target <= 2.3x)\n", load200 / load100);
	printf("playlist of 10,000 entries: load %.4f s (%.1f ms; target <= 30 ms)\n", plload,
	       plload * 1e3);

	for (const std::string &f : { db100, db200, pl })
		unlink(f.c_str());
	rmdir(dir.c_str());
	return 0;
}
