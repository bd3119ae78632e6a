#include <sys/stat.h>

#include <cerrno>

#include "base/error.h"
#include "base/file_replace.h"
#include "base/term_text.h"
#include "library/db_file.h"
#include "library/db_lock.h"
#include "library/maintenance.h"

namespace
{

void make_dir(const char *what, const std::string &dir)
{
	const std::string shown = term_text(stderr, dir);
	if (mkdir(dir.c_str(), 0700) == 0)
		warn_msg("%s directory '%s' created", what, shown.c_str());
	else if (errno == EEXIST)
		warn_msg("%s directory '%s' already exists (OK)", what, shown.c_str());
	else
		fatal_sys("unable to create %s directory '%s'", what, shown.c_str());
}

} // namespace

void medialib_setup_files(const std::string &dir, const std::string &db_file,
                          const std::string &playlist_dir)
{
	make_dir("korvane", dir);
	make_dir("playlists", playlist_dir);

	// Two set-ups at once must not both create the database: the second
	// would replace one that an add had filled in between.
	medialib_lock_exclusive(db_file);
	const std::string shown = term_text(stderr, db_file);
	struct stat st;
	if (stat(db_file.c_str(), &st) == 0) {
		warn_msg("database file '%s' already exists (OK)", shown.c_str());
		return;
	}
	if (errno != ENOENT)
		fatal_sys("database file '%s' exists, but cannot access it", shown.c_str());

	file_replacer out;
	if (!out.open(db_file))
		fatal("failed to create database file '%s': %s", shown.c_str(),
		      out.error().c_str());
	if (!medialib_db_write_header(out.stream())) {
		out.abandon();
		fatal_sys("failed to create database file '%s'", shown.c_str());
	}
	if (!out.commit())
		fatal("failed to create database file '%s': %s", shown.c_str(),
		      out.error().c_str());
	warn_msg("empty database at '%s' created", shown.c_str());
}
