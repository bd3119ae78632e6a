#include "harness/private_tmp.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <set>
#include <string_view>

#include "base/owners.h"

namespace
{

bool fail(std::string &why, const std::string &what)
{
	why = what + ": " + strerror(errno);
	return false;
}

bool write_proc(const char *path, const std::string &text)
{
	unique_fd fd(open(path, O_WRONLY | O_CLOEXEC));
	return fd && write(fd.get(), text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

// Mount and user namespaces of our own, for a process that may not make a
// mount namespace alone; inside, the caller keeps its ids and may mount.
bool unshare_with_user_namespace(std::string &why)
{
	uid_t uid = getuid();
	gid_t gid = getgid();
	if (unshare(CLONE_NEWUSER | CLONE_NEWNS) == -1)
		return fail(why, "no user namespace either");
	if (!write_proc("/proc/self/setgroups", "deny") ||
	    !write_proc("/proc/self/uid_map",
	                std::to_string(uid) + " " + std::to_string(uid) + " 1") ||
	    !write_proc("/proc/self/gid_map",
	                std::to_string(gid) + " " + std::to_string(gid) + " 1"))
		return fail(why, "mapping the ids into the user namespace");
	return true;
}

// The name of the entry right below /tmp that path lies in, if it does.
std::optional<std::string> tmp_entry(const std::string &path)
{
	char buf[PATH_MAX];
	if (realpath(path.c_str(), buf) == nullptr)
		return std::nullopt;
	std::string_view p = buf;
	if (!p.starts_with("/tmp/"))
		return std::nullopt;
	p.remove_prefix(5);
	return std::string(p.substr(0, p.find('/')));
}

} // namespace

bool enter_private_tmp(const std::vector<std::string> &keep, std::string &why)
{
	// Resolved now: once the tmpfs is on /tmp, these names lead nowhere.
	std::vector<std::string> paths = keep;
	paths.push_back("/proc/self/exe");
	char cwd[PATH_MAX];
	if (getcwd(cwd, sizeof cwd) != nullptr)
		paths.push_back(cwd);
	std::set<std::string> kept;
	for (const std::string &p : paths)
		if (std::optional<std::string> entry = tmp_entry(p))
			kept.insert(*entry);

	if (unshare(CLONE_NEWNS) == -1) {
		std::string alone = std::string("no mount namespace: ") + strerror(errno);
		if (!unshare_with_user_namespace(why)) {
			why = alone + "; " + why;
			return false;
		}
	}
	// Nothing mounted from here on may reach the machine's namespace.
	if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == -1)
		return fail(why, "making the mounts private");
	unique_fd old_tmp(open("/tmp", O_PATH | O_DIRECTORY | O_CLOEXEC));
	if (!old_tmp)
		return fail(why, "/tmp");
	if (mount("tmpfs", "/tmp", "tmpfs", MS_NOSUID | MS_NODEV, "mode=1777") == -1)
		return fail(why, "mounting a tmpfs on /tmp");

	// The old /tmp stays reachable through the descriptor opened before.
	for (const std::string &name : kept) {
		std::string from = "/proc/self/fd/" + std::to_string(old_tmp.get()) + "/" + name;
		std::string to = "/tmp/" + name;
		struct stat st;
		if (stat(from.c_str(), &st) == -1)
			return fail(why, "/tmp/" + name);
		bool made =
		        S_ISDIR(st.st_mode)
		                ? mkdir(to.c_str(), 0700) == 0
		                : unique_fd(open(to.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600))
		                                  .get() != -1;
		if (!made ||
		    mount(from.c_str(), to.c_str(), nullptr, MS_BIND | MS_REC, nullptr) == -1)
			return fail(why, "keeping " + to);
	}
	return true;
}
