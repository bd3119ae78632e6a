// The tag e-command as a writer: the music file is the old one or the newly
// tagged one after any fault, and every failure is named with its cause.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <random>
#include <thread>

#include <gtest/gtest.h>

#include "base/file_replace.h"
#include "harness/harness.h"
#include "harness/media.h"
#include "library/small_tmpfs.h"

namespace
{

constexpr uid_t NOBODY = 65534;

const std::string HEADING = "Setting the following tags to all files:\n    artist => 'X'\n";

std::string listing(const std::string &dir)
{
	return run_program("ls", { "-A", dir }).out;
}

class TagWriter : public testing::Test
{
protected:
	void SetUp() override
	{
		mkdir(dir.c_str(), 0755);
		make_media(song, { "Old", "Album", "Title", "", "", 0, 0 });
		old_bytes = read_file(song);
	}

	run_result tag(const std::vector<std::string> &files, run_options opts = {}) const
	{
		std::vector<std::string> words = { "-e", "tag", "-a", "X" };
		words.insert(words.end(), files.begin(), files.end());
		opts.home = home.path();
		opts.cwd = dir;
		return run_korvane(words, opts);
	}

	korvane_home home;
	std::string dir = home / "music";
	std::string song = dir + "/song.mp3";
	std::string old_bytes;
};

TEST_F(TagWriter, FilesThatCannotBeTaggedAreNamedWithTheCause)
{
	mkdir((dir + "/folder.mp3").c_str(), 0755);
	ASSERT_EQ(mkfifo((dir + "/pipe.mp3").c_str(), 0644), 0);
	make_media(dir + "/other.ogg");

	run_options opts;
	opts.deadline = std::chrono::seconds(30); // a FIFO must not make it wait
	run_result r =
	        tag({ "missing.mp3", "folder.mp3", "pipe.mp3", "song.mp3", "other.ogg" }, opts);
	EXPECT_EQ(r.status, 1);
	EXPECT_EQ(r.out,
	          HEADING + "tagging: 'missing.mp3'\ntagging: 'folder.mp3'\n"
	                    "tagging: 'pipe.mp3'\ntagging: 'song.mp3'\ntagging: 'other.ogg'\n");
	EXPECT_EQ(r.err, "korvane: tag: failed to tag 'missing.mp3': No such file or directory\n"
	                 "korvane: tag: failed to tag 'folder.mp3': not a regular file\n"
	                 "korvane: tag: failed to tag 'pipe.mp3': not a regular file\n");
	// The files that could be tagged still are.
	EXPECT_NE(read_file(song), old_bytes);
	run_result check = home.run({ "-e", "check", "-r", dir + "/other.ogg" });
	EXPECT_NE(check.out.find("Artist: 'X'"), std::string::npos) << check.out;
	EXPECT_EQ(listing(dir), "folder.mp3\nother.ogg\npipe.mp3\nsong.mp3\n");
}

TEST_F(TagWriter, UnwritableFileOrDirectoryIsRefusedAndTheFileKept)
{
	if (geteuid() != 0)
		GTEST_SKIP() << "needs root to act as another user";
	run_program("chown", { "-R", "65534:65534", dir });
	run_options opts;
	opts.as_nobody = true;

	// A file the user may not write.
	chmod(song.c_str(), 0444);
	run_result r = tag({ "song.mp3" }, opts);
	EXPECT_EQ(r.status, 1);
	EXPECT_EQ(r.err, "korvane: tag: failed to tag 'song.mp3': Permission denied\n");
	EXPECT_EQ(read_file(song), old_bytes);

	// A file the user may write in a directory the user may not: it would
	// have to be changed in place.
	chmod(song.c_str(), 0644);
	chmod(dir.c_str(), 0555);
	r = tag({ "song.mp3" }, opts);
	chmod(dir.c_str(), 0755);
	EXPECT_EQ(r.status, 1);
	EXPECT_EQ(r.err, "korvane: tag: failed to tag 'song.mp3': its directory '.' must be "
	                 "writable to replace it safely\n");
	EXPECT_EQ(read_file(song), old_bytes);
	EXPECT_EQ(listing(dir), "song.mp3\n");
}

TEST_F(TagWriter, TheTaggedFileKeepsModeOwnerAndAccessTime)
{
	chmod(song.c_str(), 0640);
	if (geteuid() == 0) {
		ASSERT_EQ(chown(song.c_str(), NOBODY, NOBODY), 0);
	}
	const timespec times[2] = { { 1000000000, 0 }, { 1000000000, 0 } };
	ASSERT_EQ(utimensat(AT_FDCWD, song.c_str(), times, 0), 0);

	run_result r = tag({ "song.mp3" });
	EXPECT_EQ(r.status, 0) << r.err;
	struct stat st;
	ASSERT_EQ(stat(song.c_str(), &st), 0);
	EXPECT_EQ(st.st_mode & 07777, 0640u);
	if (geteuid() == 0) {
		EXPECT_EQ(st.st_uid, NOBODY);
	}
	EXPECT_EQ(st.st_atim.tv_sec, 1000000000);
	// The change shows in the modification time, which update goes by.
	EXPECT_GT(st.st_mtim.tv_sec, 1000000000);
	EXPECT_NE(read_file(song), old_bytes);
}

// The disk fills while the copy is made, or there is room for the copy but
// not for what TagLib's save may add to it (which TagLib would not report).
TEST_F(TagWriter, FullDiskKeepsTheFileAndSaysSo)
{
	for (rlim_t limit : { old_bytes.size() / 2, old_bytes.size() + 4096 }) {
		SCOPED_TRACE(limit);
		run_options opts;
		opts.in_child = [limit] {
			signal(SIGXFSZ, SIG_IGN);
			rlimit lim = { limit, limit };
			setrlimit(RLIMIT_FSIZE, &lim);
		};
		run_result r = tag({ "song.mp3" }, opts);
		EXPECT_EQ(r.status, 1);
		EXPECT_EQ(r.err, "korvane: tag: failed to tag 'song.mp3': File too large\n");
		EXPECT_EQ(read_file(song), old_bytes);
		EXPECT_EQ(listing(dir), "song.mp3\n");
	}
}

// A real full disk: the music on a small tmpfs, full before the copy is
// made, or with room for the copy but not for what the save may add.
TEST_F(TagWriter, DiskWithNoRoomLeftKeepsTheFileAndSaysSo)
{
	small_tmpfs disk(dir, 2 * 1024 * 1024);
	if (!disk.mounted())
		GTEST_SKIP() << "no tmpfs may be mounted here";
	write_file(song, old_bytes);
	for (size_t leave : { size_t(0), old_bytes.size() + 8192 }) {
		SCOPED_TRACE(leave);
		disk.fill(leave);
		run_result r = tag({ "song.mp3" });
		EXPECT_EQ(r.status, 1);
		EXPECT_EQ(r.err,
		          "korvane: tag: failed to tag 'song.mp3': No space left on device\n");
		EXPECT_EQ(read_file(song), old_bytes);
		EXPECT_EQ(listing(dir), ".filler\nsong.mp3\n");
	}
}

TEST_F(TagWriter, KillAtAnyMomentLeavesTheOldOrTheNewFile)
{
	auto started = std::chrono::steady_clock::now();
	ASSERT_EQ(tag({ "song.mp3" }).status, 0);
	const auto run_time = std::chrono::duration_cast<std::chrono::milliseconds>(
	        std::chrono::steady_clock::now() - started);
	const std::string new_bytes = read_file(song);
	ASSERT_NE(new_bytes, old_bytes);

	std::mt19937 random(54321);
	std::uniform_int_distribution<int> moment(0, static_cast<int>(run_time.count()) + 20);
	int old_seen = 0;
	for (int i = 0; i < 50; i++) {
		write_file(song, old_bytes);
		pid_t pid = fork();
		if (pid == 0) {
			int null = open("/dev/null", O_RDWR);
			dup2(null, 0);
			dup2(null, 1);
			dup2(null, 2);
			if (chdir(dir.c_str()) == -1)
				_exit(126);
			setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
			setenv(FILE_REPLACE_DELAY_VARIABLE, "10", 1);
			// The locale of the runs through the harness, which writes
			// the same bytes.
			for (const char *name : { "LC_ALL", "LC_CTYPE", "LANG" })
				unsetenv(name);
			execl(KORVANE_BINARY, KORVANE_BINARY, "-e", "tag", "-a", "X", "song.mp3",
			      nullptr);
			_exit(127);
		}
		std::this_thread::sleep_for(std::chrono::milliseconds(moment(random)));
		kill(pid, SIGKILL);
		int status;
		waitpid(pid, &status, 0);
		std::string now = read_file(song);
		ASSERT_TRUE(now == old_bytes || now == new_bytes) << "kill " << i;
		old_seen += now == old_bytes;
	}
	EXPECT_GT(old_seen, 0);

	// The next tagging of the file removes the copies the kills left.
	write_file(song, old_bytes);
	ASSERT_EQ(tag({ "song.mp3" }).status, 0);
	EXPECT_EQ(read_file(song), new_bytes);
	EXPECT_EQ(listing(dir), "song.mp3\n");
}

} // namespace
