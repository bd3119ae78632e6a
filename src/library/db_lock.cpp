#include "library/db_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "base/error.h"
#include "base/term_text.h"

namespace
{

// The descriptor of the exclusive lock, held until the program ends.
int exclusive_fd = -1;

int open_lock_file(const std::string &db_file)
{
	const std::string path = medialib_lock_file(db_file);
	int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
	if (fd == -1)
		fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
	return fd;
}

// Takes the lock of the given kind on fd, waiting for it when another
// program holds it; false when the lock file does not take locks.
bool take(int fd, int kind, const std::string &db_file)
{
	if (flock(fd, kind | LOCK_NB) == 0)
		return true;
	if (errno != EWOULDBLOCK)
		return false;
	warn_msg("database '%s' is in use by another korvane: waiting for it to finish",
	         term_text(stderr, db_file).c_str());
	while (flock(fd, kind) == -1)
		if (errno != EINTR)
			return false;
	return true;
}

} // namespace

std::string medialib_lock_file(const std::string &db_file)
{
	return db_file + ".lock";
}

void medialib_lock_exclusive(const std::string &db_file)
{
	if (exclusive_fd != -1)
		return;
	int fd = open_lock_file(db_file);
	if (fd == -1)
		return;
	if (!take(fd, LOCK_EX, db_file)) {
		close(fd);
		return;
	}
	exclusive_fd = fd;
}

medialib_read_lock::medialib_read_lock(const std::string &db_file, bool wait)
{
	if (exclusive_fd != -1)
		return;
	fd = open_lock_file(db_file);
	if (fd != -1 && !wait && flock(fd, LOCK_SH | LOCK_NB) == -1) {
		found_busy = errno == EWOULDBLOCK;
		close(fd);
		fd = -1;
		return;
	}
	if (fd != -1 && wait && !take(fd, LOCK_SH, db_file)) {
		close(fd);
		fd = -1;
	}
}

medialib_read_lock::~medialib_read_lock()
{
	if (fd != -1)
		close(fd);
}
