// Replacing files as an ordinary user, whose permissions root would bypass.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>

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
	if (!out.open(path)) {
		fprintf(stderr, "%s\n", out.error().c_str());
		_exit(errno == EACCES ? 1 : 4);
	}
	fputs(text, out.stream());
	_exit(out.commit() ? 0 : 2);
}

TEST(FileReplace, FollowsTheUsersPermissions)
{
	if (geteuid() != 0)
		GTEST_SKIP() << "needs root to act as another user";
	temp_dir dir;
	chmod(dir.path().c_str(), 0755);

	// A writable file in a directory the user may not write is never
	// rewritten in place, which a kill would tear: it is refused.
	std::string locked = dir / "locked";
	mkdir(locked.c_str(), 0755);
	write_file(locked + "/db", "old");
	chown((locked + "/db").c_str(), NOBODY, NOBODY);
	EXPECT_EXIT(replace_as_nobody(locked + "/db", "new"), testing::ExitedWithCode(1),
	            "^its directory '" + locked + "' must be writable to replace it safely\n$");
	EXPECT_EQ(read_file(locked + "/db"), "old");

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

// The names in dir, hidden ones too, in byte order.
std::string listing(const std::string &dir)
{
	return run_program("ls", { "-A", dir }).out;
}

// A killed replacement leaves its temporary file; the next replacement of
// the same file removes it, but never one that a replacement still running
// holds, nor the temporary files of other files.
TEST(FileReplace, StaleTemporaryFilesOfTheSameTargetAreRemoved)
{
	temp_dir dir;
	write_file(dir / "db", "old");
	for (const char *name : { ".db.AbC123", ".db.zzzzzz", ".other.AbC123", ".db.short",
	                          ".db.AbC1234", "db.AbC123", ".db.AbC123~" })
		write_file(dir / name, "left over");
	// A replacement still running holds a lock on its file.
	write_file(dir / ".db.Busy00", "being written");
	int busy = open((dir / ".db.Busy00").c_str(), O_RDONLY);
	ASSERT_EQ(flock(busy, LOCK_EX), 0);

	file_replacer out;
	ASSERT_TRUE(out.open(dir / "db"));
	fputs("new", out.stream());
	ASSERT_TRUE(out.commit()) << out.error();
	close(busy);
	EXPECT_EQ(read_file(dir / "db"), "new");
	EXPECT_EQ(
	        listing(dir.path()),
	        ".db.AbC1234\n.db.AbC123~\n.db.Busy00\n.db.short\n.other.AbC123\ndb\ndb.AbC123\n");
}

// A temporary file that keeps the extension ends in it, and its stale
// copies are found by the same rule.
TEST(FileReplace, TemporaryNameCanKeepTheExtension)
{
	temp_dir dir;
	write_file(dir / "song.mp3", "old");
	write_file(dir / ".song.mp3.Qw12er.mp3", "left over");
	file_replacer out;
	ASSERT_TRUE(out.open(dir / "song.mp3", true));
	const std::string &temp = out.temp_path();
	EXPECT_EQ(temp.substr(0, dir.path().size() + 11), dir / ".song.mp3.");
	EXPECT_EQ(temp.size(), dir.path().size() + 1 + 20);
	EXPECT_EQ(temp.substr(temp.size() - 4), ".mp3");
	EXPECT_EQ(listing(dir.path()), temp.substr(dir.path().size() + 1) + "\nsong.mp3\n");
	fputs("new", out.stream());
	ASSERT_TRUE(out.commit());
	EXPECT_EQ(listing(dir.path()), "song.mp3\n");
	EXPECT_EQ(read_file(dir / "song.mp3"), "new");
}

// Kills during a save (made slow by the test-only delay) leave the old
// file or the new one, never a part; the next save cleans up.
TEST(FileReplace, KillDuringTheSaveLeavesOldOrNew)
{
	temp_dir dir;
	const std::string old_text(100000, 'o'), new_text(100000, 'n');
	write_file(dir / "db", old_text);
	setenv(FILE_REPLACE_DELAY_VARIABLE, "2", 1);
	int saw_old = 0, saw_new = 0;
	for (int i = 0; i < 50; i++) {
		pid_t pid = fork();
		if (pid == 0) {
			file_replacer out;
			if (!out.open(dir / "db"))
				_exit(1);
			fwrite(new_text.data(), 1, new_text.size(), out.stream());
			_exit(out.commit() ? 0 : 1);
		}
		usleep(static_cast<useconds_t>(rand() % 4000));
		kill(pid, SIGKILL);
		int status;
		waitpid(pid, &status, 0);
		std::string now = read_file(dir / "db");
		ASSERT_TRUE(now == old_text || now == new_text)
		        << "try " << i << ": " << now.size();
		(now == old_text ? saw_old : saw_new)++;
		write_file(dir / "db", old_text);
	}
	unsetenv(FILE_REPLACE_DELAY_VARIABLE);
	file_replacer out;
	ASSERT_TRUE(out.open(dir / "db"));
	ASSERT_TRUE(out.commit());
	EXPECT_EQ(listing(dir.path()), "db\n");
	EXPECT_GT(saw_old, 0);
}

} // namespace
