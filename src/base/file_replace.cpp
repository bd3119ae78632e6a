#include "base/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <vector>

namespace
{

std::string dir_of(const std::string &path)
{
	size_t slash = path.rfind('/');
	if (slash == std::string::npos)
		return ".";
	if (slash == 0)
		return "/";
	return path.substr(0, slash);
}

std::string base_of(const std::string &path)
{
	size_t slash = path.rfind('/');
	return slash == std::string::npos ? path : path.substr(slash + 1);
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
		path = link[0] == '/' ? link : dir_of(path) + "/" + link;
	}
	return path;
}

mode_t creation_mode()
{
	mode_t mask = umask(0);
	umask(mask);
	return 0666 & ~mask;
}

} // namespace

file_replacer::~file_replacer()
{
	discard();
}

void file_replacer::discard()
{
	if (fp != nullptr) {
		fclose(fp);
		fp = nullptr;
	}
	if (!temp.empty()) {
		unlink(temp.c_str());
		temp.clear();
	}
}

void file_replacer::abandon()
{
	int saved = errno;
	discard();
	errno = saved;
}

bool file_replacer::open(const std::string &path)
{
	discard();
	in_place = false;
	target = resolve_links(path);

	// A file the user may not write stays refused, as opening it would be.
	bool exists = access(target.c_str(), F_OK) == 0;
	if (exists && access(target.c_str(), W_OK) == -1)
		return false;

	std::string name = dir_of(target) + "/." + base_of(target) + ".XXXXXX";
	std::vector<char> buf(name.begin(), name.end());
	buf.push_back('\0');

	int fd = mkstemp(buf.data());
	if (fd == -1) {
		// A writable file in a directory the user may not write can only
		// be rewritten in place.
		if (errno != EACCES || !exists)
			return false;
		in_place = true;
		fp = fopen(target.c_str(), "w");
		return fp != nullptr;
	}
	temp = buf.data();
	fp = fdopen(fd, "w");
	if (fp == nullptr) {
		int saved = errno;
		close(fd);
		unlink(temp.c_str());
		temp.clear();
		errno = saved;
		return false;
	}
	return true;
}

bool file_replacer::commit()
{
	int saved = 0;
	struct stat st;
	int fd = fileno(fp);

	if (fflush(fp) == EOF || ferror(fp)) {
		saved = errno != 0 ? errno : EIO;
	} else if (in_place) {
		if (fsync(fd) == -1)
			saved = errno;
	} else {
		if (stat(target.c_str(), &st) == 0) {
			fchmod(fd, st.st_mode & 07777);
			if (fchown(fd, st.st_uid, st.st_gid) == -1) {
				// Keeping the owner needs privileges; the mode is kept.
			}
		} else {
			fchmod(fd, creation_mode());
		}
		if (fsync(fd) == -1)
			saved = errno;
	}
	if (fclose(fp) == EOF && saved == 0)
		saved = errno;
	fp = nullptr;
	if (saved == 0 && !in_place && rename(temp.c_str(), target.c_str()) == -1)
		saved = errno;
	if (saved != 0) {
		discard();
		errno = saved;
		return false;
	}
	temp.clear();
	return true;
}
