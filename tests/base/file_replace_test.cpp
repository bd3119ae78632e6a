// Replacing files as an ordinary user, whose permissions root would bypass.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "base/file_replace.h"
#include "harness/harness.h"

namespace
{

constexpr uid_t NOBODY = 65534;

// Writes text over path as the user nobody; the exit code tells how far it got.
[[noreturn]] void replace_as_nobody(const std::string &path, const char *text)
{
	if (setgid(NOBODY) == -1 || setuid(NOBODY) == -1)
		_exit(3);
	file_replacer out;
	if (!out.open(path))
		_exit(errno == EACCES ? 1 : 4);
	fputs(text, out.stream());
	_exit(out.commit() ? 0 : 2);
}

TEST(FileReplace, FollowsTheUsersPermissions)
{
	if (geteuid() != 0)
		GTEST_SKIP() << "needs root to act as another user";
	temp_dir dir;
	chmod(dir.path().c_str(), 0755);

	// A writable file in a directory the user may not write is rewritten in place.
	std::string locked = dir / "locked";
	mkdir(locked.c_str(), 0755);
	write_file(locked + "/db", "old");
	chown((locked + "/db").c_str(), NOBODY, NOBODY);
	EXPECT_EXIT(replace_as_nobody(locked + "/db", "new"), testing::ExitedWithCode(0), "");
	EXPECT_EQ(read_file(locked + "/db"), "new");

	// A file the user made read-only stays refused and untouched.
	std::string open_dir = dir / "open";
	mkdir(open_dir.c_str(), 0777);
	write_file(open_dir + "/db", "old");
	chown((open_dir + "/db").c_str(), NOBODY, NOBODY);
	chmod((open_dir + "/db").c_str(), 0444);
	EXPECT_EXIT(replace_as_nobody(open_dir + "/db", "new"), testing::ExitedWithCode(1), "");
	EXPECT_EQ(read_file(open_dir + "/db"), "old");
	run_result ls = run_program("ls", { "-A", open_dir });
	EXPECT_EQ(ls.out, "db\n");
}

} // namespace
