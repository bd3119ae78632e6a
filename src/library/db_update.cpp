// The update: checking every record of the library against its file.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "base/term_text.h"
#include "library/db_file.h"
#include "library/maintenance.h"
#include "library/medialib.h"
#include "meta/mi_extract.h"

void medialib_db_update(bool show_skipped, bool reread_all)
{
	playlist &lib = *medialib.library;
	int urls = 0, updated = 0, vanished = 0, lost_info = 0, unchanged = 0, errors = 0;

	// A record that leaves the library is marked by a null entry and the
	// library compacted once at the end; removing each at once would move
	// every later record each time.
	for (int i = 0; i < lib.nfiles(); i++) {
		meta_info *mi = lib.files[i];
		// The record outlives its place in the library, so its name stays valid.
		const char *f = mi->filename ? mi->filename->c_str() : "";
		const std::string shown = term_text(stdout, f);

		if (mi->is_url) {
			printf("s %s\n", shown.c_str());
			urls++;
			continue;
		}

		struct stat st;
		if (stat(f, &st) == -1) {
			if (errno == ENOENT) {
				lib.files[i] = nullptr;
				printf("x %s\n", shown.c_str());
				vanished++;
			} else {
				printf("? %s\n", shown.c_str());
				errors++;
			}
			continue;
		}

		if (!reread_all && st.st_mtime <= mi->last_updated) {
			if (show_skipped)
				printf(". %s\n", shown.c_str());
			unchanged++;
			continue;
		}

		// As in the scan, a file that can no longer be resolved after its
		// stat, may not be read or is not a regular file is an error to
		// report, and its record stays.
		bool unresolvable = false;
		int open_error = 0;
		mi_ptr fresh = mi_extract_resolved(f, unresolvable, &open_error);
		if (unresolvable || open_error != 0) {
			printf("? %s\n", shown.c_str());
			errors++;
		} else if (fresh) {
			mi_sanitize(*fresh);
			playlist_file_replace(lib, i, medialib_adopt(std::move(fresh)));
			printf("u %s\n", shown.c_str());
			updated++;
		} else {
			lib.files[i] = nullptr;
			printf("- %s\n", shown.c_str());
			lost_info++;
		}
	}
	std::erase(lib.files, nullptr);

	medialib_db_save(medialib.db_file);

	printf("--------------------------------------------------\n");
	printf("Results of updating database...\n");
	printf("(s) %9d url's skipped\n", urls);
	printf("(u) %9d files updated\n", updated);
	printf("(x) %9d files removed (file no longer exists)\n", vanished);
	printf("(-) %9d files removed (meta-info gone)\n", lost_info);
	printf("(.) %9d files skipped (file unchanged since last checked)\n", unchanged);
	printf("(?) %9d files with errors (couldn't stat, but kept)\n", errors);
}
