#include "base/file_replace.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string_view>
#include <vector>

#include "base/owners.h"

namespace
{

// The random part mkstemp puts in a name.
constexpr size_t RANDOM_LEN = 6;

std::string base_of(const std::string &path)
{
	size_t slash = path.rfind('/');
	return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The extension of a base name, its dot included; empty when it has none.
std::string extension_of(const std::string &base)
{
	size_t dot = base.rfind('.');
	return dot == std::string::npos || dot == 0 ? std::string() : base.substr(dot);
}

// The file that path finally names: symbolic links are followed, even a
// dangling last one, so the link itself survives the replacement.
std::string resolve_links(std::string path)
{
	for (int depth = 0; depth < 40; depth++) {
		struct stat st;
		if (lstat(path.c_str(), &st) == -1 || !S_ISLNK(st.st_mode))
			return path;
		std::vector<char> buf(PATH_MAX);
		ssize_t n = readlink(path.c_str(), buf.data(), buf.size() - 1);
		if (n <= 0)
			return path;
		std::string link(buf.data(), static_cast<size_t>(n));
		path = link[0] == '/' ? link : file_dir_of(path) + "/" + link;
	}
	return path;
}

mode_t creation_mode()
{
	mode_t mask = umask(0);
	umask(mask);
	return 0666 & ~mask;
}

// Whether name is a temporary file of a replacement of the file named base:
// "." base "." six letters or digits, and then the extension or nothing.
bool is_temp_name(std::string_view name, const std::string &base, const std::string &ext)
{
	const size_t head = 1 + base.size() + 1;
	if (name.size() != head + RANDOM_LEN && name.size() != head + RANDOM_LEN + ext.size())
		return false;
	if (name[0] != '.' || name.substr(1, base.size()) != base || name[head - 1] != '.')
		return false;
	for (size_t i = head; i < head + RANDOM_LEN; i++) {
		auto c = static_cast<unsigned char>(name[i]);
		if (!isalnum(c))
			return false;
	}
	return name.size() == head + RANDOM_LEN || name.substr(head + RANDOM_LEN) == ext;
}

// Removes the temporary files of earlier replacements of target that were
// killed before they ended. A replacement holds a lock on its temporary
// file from its creation to its rename, so a file whose lock can be taken
// belongs to no one; one that is locked is a replacement still running.
void remove_stale_temps(const std::string &target, const std::string &own)
{
	const std::string dir = file_dir_of(target), base = base_of(target);
	const std::string ext = extension_of(base), own_base = base_of(own);
	DIR *d = opendir(dir.c_str());
	if (d == nullptr)
		return;
	while (const dirent *e = readdir(d)) {
		std::string_view name = e->d_name;
		if (name == own_base || !is_temp_name(name, base, ext))
			continue;
		std::string path = dir + "/" + std::string(name);
		unique_fd fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
		struct stat held, named;
		if (!fd || fstat(fd.get(), &held) == -1 || !S_ISREG(held.st_mode))
			continue;
		if (flock(fd.get(), LOCK_EX | LOCK_NB) == -1)
			continue;
		// The name must still be the file that was locked.
		if (lstat(path.c_str(), &named) == 0 && named.st_dev == held.st_dev &&
		    named.st_ino == held.st_ino)
			unlink(path.c_str());
	}
	closedir(d);
}

// The test-only delay before a temporary file is synced, in milliseconds.
long sync_delay_ms()
{
	const char *text = getenv(FILE_REPLACE_DELAY_VARIABLE);
	if (text == nullptr)
		return 0;
	long ms = strtol(text, nullptr, 10);
	return ms < 0 ? 0 : ms > 10000 ? 10000 : ms;
}

} // namespace

std::string file_dir_of(const std::string &path)
{
	size_t slash = path.rfind('/');
	if (slash == std::string::npos)
		return ".";
	if (slash == 0)
		return "/";
	return path.substr(0, slash);
}

bool file_sync_dir(const std::string &path)
{
	unique_fd fd(open(file_dir_of(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
	if (!fd)
		return false;
	// Some file systems cannot sync a directory; their renames are as
	// lasting as they get.
	return fsync(fd.get()) == 0 || errno == EINVAL;
}

file_replacer::~file_replacer()
{
	discard();
}

void file_replacer::discard()
{
	if (!temp.empty()) {
		unlink(temp.c_str());
		temp.clear();
	}
	if (fp != nullptr) {
		fclose(fp);
		fp = nullptr;
	}
}

void file_replacer::abandon()
{
	int saved = errno;
	discard();
	errno = saved;
}

bool file_replacer::fail(int error)
{
	discard();
	cause = strerror(error);
	errno = error;
	return false;
}

bool file_replacer::open(const std::string &path, bool keep_extension)
{
	discard();
	cause.clear();
	target = resolve_links(path);

	// A file the user may not write stays refused, as opening it would be.
	bool exists = access(target.c_str(), F_OK) == 0;
	if (exists && access(target.c_str(), W_OK) == -1)
		return fail(errno);

	const std::string ext = keep_extension ? extension_of(base_of(target)) : std::string();
	std::string name = file_dir_of(target) + "/." + base_of(target) + ".XXXXXX" + ext;
	std::vector<char> buf(name.begin(), name.end());
	buf.push_back('\0');

	// A cleaner of stale files may take a new file before it is locked; the
	// lock is then on a file without a name, and another is made.
	unique_fd fd;
	for (int tries = 0; !fd; tries++) {
		std::copy(name.begin(), name.end(), buf.begin());
		fd.reset(mkstemps(buf.data(), static_cast<int>(ext.size())));
		if (!fd) {
			int error = errno;
			if (error == EACCES && exists) {
				cause = "its directory '" + file_dir_of(target) +
				        "' must be writable to replace it safely";
				errno = EACCES;
				return false;
			}
			return fail(error);
		}
		struct stat st;
		if (flock(fd.get(), LOCK_EX) == -1 || fstat(fd.get(), &st) == -1)
			return fail(errno);
		if (st.st_nlink == 0 && tries < 3)
			fd.reset();
	}
	temp = buf.data();
	fp = fdopen(fd.get(), "w");
	if (fp == nullptr)
		return fail(errno);
	fd.release();
	remove_stale_temps(target, temp);
	return true;
}

bool file_replacer::commit()
{
	int saved = 0;
	struct stat st;
	int fd = fileno(fp);

	if (fflush(fp) == EOF || ferror(fp)) {
		saved = errno != 0 ? errno : EIO;
	} else {
		if (stat(target.c_str(), &st) == 0) {
			fchmod(fd, st.st_mode & 07777);
			if (fchown(fd, st.st_uid, st.st_gid) == -1) {
				// Keeping the owner needs privileges; the mode is kept.
			}
		} else {
			fchmod(fd, creation_mode());
		}
		if (long ms = sync_delay_ms(); ms > 0) {
			timespec pause = { ms / 1000, (ms % 1000) * 1000000L };
			nanosleep(&pause, nullptr);
		}
		if (fsync(fd) == -1)
			saved = errno;
	}
	// The rename comes before the close: the lock on the temporary file
	// keeps cleaners of stale files away until it has its final name.
	if (saved == 0 && rename(temp.c_str(), target.c_str()) == -1)
		saved = errno;
	if (saved != 0)
		return fail(saved);
	temp.clear();
	if (!file_sync_dir(target))
		saved = errno;
	if (fclose(fp) == EOF && saved == 0)
		saved = errno;
	fp = nullptr;
	if (saved != 0)
		return fail(saved);
	return true;
}
