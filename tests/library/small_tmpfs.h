// A small tmpfs over a directory, for tests of a disk that fills: mounted in
// a mount namespace of the test process's own, so nothing outside it sees
// the mount, and taken down with the object. Where the system allows no
// mounting, mounted() is false and the test skips.
#pragma once

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <string>

class small_tmpfs
{
public:
	small_tmpfs(const std::string &dir, size_t bytes) : dir(dir)
	{
		if (unshare(CLONE_NEWNS) == -1 ||
		    mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == -1)
			return;
		const std::string size = "size=" + std::to_string(bytes);
		ok = mount("tmpfs", dir.c_str(), "tmpfs", 0, size.c_str()) == 0;
	}
	~small_tmpfs()
	{
		if (ok)
			umount2(dir.c_str(), MNT_DETACH);
	}
	small_tmpfs(const small_tmpfs &) = delete;
	small_tmpfs &operator=(const small_tmpfs &) = delete;

	bool mounted() const { return ok; }

	// Fills the file system with one file, then gives back about leave
	// bytes of it (in whole pages).
	void fill(size_t leave) const
	{
		const std::string filler = dir + "/.filler";
		unlink(filler.c_str());
		int fd = open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
		static const char block[4096] = {};
		off_t size = 0;
		for (ssize_t n; (n = write(fd, block, sizeof block)) > 0;)
			size += n;
		if (ftruncate(fd, size > static_cast<off_t>(leave)
		                          ? size - static_cast<off_t>(leave)
		                          : 0) == -1) {
			// The file keeps its size: no room is given back.
		}
		close(fd);
	}

private:
	std::string dir;
	bool ok = false;
};
