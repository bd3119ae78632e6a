// The e-commands that change the database, under the faults a user's
// machine has: a kill at any moment, a full disk, a directory that may not
// be written, and another writer at the same time. After each the database
// is the old one or the new one, whole, and the program went on or ended
// with its error.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <optional>
#include <random>
#include <set>
#include <thread>

#include <gtest/gtest.h>

#include "base/file_replace.h"
#include "harness/harness.h"
#include "harness/media.h"
#include "library/db_file.h"
#include "library/small_tmpfs.h"

namespace
{

using std::chrono::milliseconds;
using std::chrono::steady_clock;

std::string resolved(const std::string &path)
{
	char buf[PATH_MAX];
	return realpath(path.c_str(), buf) != nullptr ? buf : path;
}

// "name|title" of each record of a database file, or none when the file is
// not a header followed by whole records.
std::optional<std::set<std::string>> db_state(const std::string &path)
{
	FILE *f = fopen(path.c_str(), "r");
	if (f == nullptr)
		return std::nullopt;
	std::set<std::string> state;
	char header[19];
	bool whole = fread(header, 1, sizeof header, f) == sizeof header;
	for (int c; whole && (c = getc(f)) != EOF;) {
		ungetc(c, f);
		meta_info mi;
		mi_fread(mi, f);
		whole = !feof(f) && !ferror(f);
		state.insert(mi.filename.value_or("") + "|" + mi.cinfo[CINFO_TITLE].value_or(""));
	}
	fclose(f);
	if (!whole)
		return std::nullopt;
	return state;
}

// One writer: how its database starts, the e-command that changes it and
// its input, and the records before and after.
struct writer_case {
	const char *name;
	// Makes the files and the starting database; returns the e-command.
	std::vector<std::string> (*prepare)(const korvane_home &home);
	const char *input;
	// Whether the new database is larger than the old one (a full disk
	// stops only such a save).
	bool grows;
};

std::string music(const korvane_home &home, const std::string &rel)
{
	return resolved(home / "music") + "/" + rel;
}

void make_song(const korvane_home &home, const std::string &rel, const std::string &title)
{
	mkdir((home / "music").c_str(), 0755);
	make_media(music(home, rel), { "Artist", "Album", title, "", "", 0, 0 });
}

void must_run(const korvane_home &home, const std::vector<std::string> &args,
              const std::string &input = "")
{
	run_result r = home.run(args, input);
	ASSERT_EQ(r.status, 0) << r.err;
}

std::vector<std::string> prepare_add(const korvane_home &home)
{
	make_song(home, "a.ogg", "A");
	make_song(home, "b.ogg", "B");
	must_run(home, { "-e", "add", music(home, "a.ogg") });
	return { "-e", "add", music(home, "b.ogg") };
}

std::vector<std::string> prepare_update(const korvane_home &home)
{
	make_song(home, "a.ogg", "old");
	make_song(home, "b.ogg", "B");
	must_run(home, { "-e", "add", home / "music" });
	make_song(home, "a.ogg", "a much longer new title than before");
	struct timeval later[2] = { { time(nullptr) + 1000, 0 }, { time(nullptr) + 1000, 0 } };
	utimes(music(home, "a.ogg").c_str(), later);
	return { "-e", "update" };
}

std::vector<std::string> prepare_rm(const korvane_home &home)
{
	make_song(home, "a.ogg", "A");
	make_song(home, "b.ogg", "B");
	must_run(home, { "-e", "add", home / "music" });
	return { "-e", "rm", "-f", music(home, "b.ogg") };
}

std::vector<std::string> prepare_addurl(const korvane_home &home)
{
	make_song(home, "a.ogg", "A");
	must_run(home, { "-e", "add", music(home, "a.ogg") });
	return { "-e", "addurl", "http://radio.example/stream" };
}

const writer_case WRITERS[] = {
	{ "add", prepare_add, "", true },
	{ "update", prepare_update, "", true },
	{ "rm", prepare_rm, "", false },
	{ "addurl", prepare_addurl, "\n\nStream title\n\n\n\n\n\n", true },
};

// Starts korvane without waiting for it: its input from a file, its output
// dropped.
pid_t spawn_korvane(const korvane_home &home, const std::vector<std::string> &args,
                    const std::string &input_file, int delay_ms)
{
	pid_t pid = fork();
	if (pid != 0)
		return pid;
	int in = open(input_file.c_str(), O_RDONLY);
	int null = open("/dev/null", O_WRONLY);
	dup2(in, 0);
	dup2(null, 1);
	dup2(null, 2);
	clearenv();
	setenv("PATH", "/usr/bin:/bin", 1);
	setenv("HOME", home.path().c_str(), 1);
	setenv("TZ", "UTC", 1);
	setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
	setenv(FILE_REPLACE_DELAY_VARIABLE, std::to_string(delay_ms).c_str(), 1);
	std::vector<char *> argv = { const_cast<char *>(KORVANE_BINARY) };
	for (const std::string &a : args)
		argv.push_back(const_cast<char *>(a.c_str()));
	argv.push_back(nullptr);
	execv(KORVANE_BINARY, argv.data());
	_exit(127);
}

// The names in the program's directory: the database, its lock file, the
// playlists directory and nothing else once every save has ended.
std::string program_dir_listing(const korvane_home &home)
{
	return run_program("ls", { "-A", home / ".korvane" }).out;
}

const std::string CLEAN_LISTING = "korvane.db\nkorvane.db.lock\nplaylists\n";

class DbWriter : public testing::TestWithParam<writer_case>
{
protected:
	void SetUp() override
	{
		command = GetParam().prepare(home);
		old_bytes = read_file(home.db());
		old_state = db_state(home.db());
		ASSERT_TRUE(old_state);
		write_file(home / "input", GetParam().input);
	}

	// Runs the writer to its end on the old database and returns what it
	// makes of it; the old database is put back.
	std::set<std::string> new_state()
	{
		run_result r = home.run(command, GetParam().input);
		EXPECT_EQ(r.status, 0) << r.err;
		std::optional<std::set<std::string>> state = db_state(home.db());
		EXPECT_TRUE(state);
		write_file(home.db(), old_bytes);
		return state.value_or(std::set<std::string>());
	}

	korvane_home home;
	std::vector<std::string> command;
	std::string old_bytes;
	std::optional<std::set<std::string>> old_state;
};

TEST_P(DbWriter, KillAtAnyMomentLeavesTheOldOrTheNewDatabase)
{
	auto started = steady_clock::now();
	const std::set<std::string> fresh = new_state();
	const auto run_time =
	        std::chrono::duration_cast<milliseconds>(steady_clock::now() - started);
	ASSERT_NE(fresh, *old_state);

	// The kills fall anywhere in a run; a short delay before each sync
	// widens the moment between the temporary file and the rename.
	std::mt19937 random(12345);
	std::uniform_int_distribution<int> moment(0, static_cast<int>(run_time.count()) + 20);
	int old_seen = 0, new_seen = 0;
	for (int i = 0; i < 50; i++) {
		pid_t pid = spawn_korvane(home, command, home / "input", 10);
		std::this_thread::sleep_for(milliseconds(moment(random)));
		kill(pid, SIGKILL);
		int status;
		waitpid(pid, &status, 0);

		std::optional<std::set<std::string>> now = db_state(home.db());
		ASSERT_TRUE(now) << "torn database after kill " << i;
		ASSERT_TRUE(*now == *old_state || *now == fresh) << "kill " << i;
		(*now == fresh ? new_seen : old_seen)++;
		write_file(home.db(), old_bytes);
	}
	EXPECT_GT(old_seen, 0);
	RecordProperty("new_seen", new_seen);

	// The next save removes what the killed ones left.
	EXPECT_EQ(new_state(), fresh);
	EXPECT_EQ(program_dir_listing(home), CLEAN_LISTING);
}

TEST_P(DbWriter, FullDiskEndsWithTheErrorAndKeepsTheOldDatabase)
{
	if (!GetParam().grows)
		GTEST_SKIP() << "a smaller database needs no more room";
	run_options opts;
	opts.home = home.path();
	opts.input = GetParam().input;
	const rlim_t limit = old_bytes.size();
	opts.in_child = [limit] {
		signal(SIGXFSZ, SIG_IGN);
		rlimit lim = { limit, limit };
		setrlimit(RLIMIT_FSIZE, &lim);
	};
	run_result r = run_korvane(command, opts);
	EXPECT_EQ(r.status, 1);
	EXPECT_EQ(r.err, "korvane: medialib_db_save: error saving database: File too large\n");
	EXPECT_EQ(read_file(home.db()), old_bytes);
	EXPECT_EQ(program_dir_listing(home), CLEAN_LISTING);
}

// A real full disk: the program's directory on a small tmpfs with no room
// left for the new database.
TEST_P(DbWriter, DiskWithNoRoomLeftEndsWithTheErrorAndKeepsTheOldDatabase)
{
	small_tmpfs disk(home / ".korvane", 64 * 1024);
	if (!disk.mounted())
		GTEST_SKIP() << "no tmpfs may be mounted here";
	mkdir(home.playlists().c_str(), 0700);
	write_file(home.db(), old_bytes);
	disk.fill(0);

	run_result r = home.run(command, GetParam().input);
	EXPECT_EQ(r.status, 1);
	EXPECT_EQ(r.err, "korvane: medialib_db_save: error saving database: No space left on "
	                 "device\n");
	EXPECT_EQ(read_file(home.db()), old_bytes);
	EXPECT_EQ(program_dir_listing(home), ".filler\n" + CLEAN_LISTING);
}

TEST_P(DbWriter, DirectoryThatMayNotBeWrittenRefusesTheSave)
{
	if (geteuid() != 0)
		GTEST_SKIP() << "needs root to act as another user";
	// A database the user may write in a directory the user may not: a
	// save in place would be torn by a kill, so there is none.
	run_program("chown", { "-R", "65534:65534", home.path() });
	chmod((home / ".korvane").c_str(), 0555);
	run_options opts;
	opts.home = home.path();
	opts.input = GetParam().input;
	opts.as_nobody = true;
	run_result r = run_korvane(command, opts);
	chmod((home / ".korvane").c_str(), 0755);
	EXPECT_EQ(r.status, 1);
	const std::string dir = home / ".korvane";
	EXPECT_NE(r.err.find("korvane: medialib_db_save: failed to open database file '" + dir +
	                     "/korvane.db': its directory '" + dir +
	                     "' must be writable to replace it safely\n"),
	          std::string::npos)
	        << r.err;
	EXPECT_EQ(read_file(home.db()), old_bytes);
	EXPECT_EQ(program_dir_listing(home), CLEAN_LISTING);
}

INSTANTIATE_TEST_SUITE_P(Writers, DbWriter, testing::ValuesIn(WRITERS),
                         [](const testing::TestParamInfo<writer_case> &info) {
	                         return std::string(info.param.name);
                         });

// Whether another program holds the database's lock.
bool lock_is_held(const korvane_home &home)
{
	int fd = open((home.db() + ".lock").c_str(), O_RDONLY);
	if (fd == -1)
		return false;
	bool held = flock(fd, LOCK_SH | LOCK_NB) == -1;
	close(fd);
	return held;
}

// Waits, with a deadline, until a writer holds the lock.
void wait_for_lock(const korvane_home &home)
{
	auto deadline = steady_clock::now() + std::chrono::seconds(30);
	while (!lock_is_held(home)) {
		ASSERT_LT(steady_clock::now(), deadline) << "the writer never took the lock";
		std::this_thread::sleep_for(milliseconds(5));
	}
}

// A slow add that holds the lock while the test goes on.
run_result slow_add(const korvane_home &home, const std::string &path)
{
	run_options opts;
	opts.home = home.path();
	opts.env = { { FILE_REPLACE_DELAY_VARIABLE, "700" } };
	return run_korvane({ "-e", "add", path }, opts);
}

TEST(DbLock, TwoWritersAtOnceBothKeepTheirChangesAndReadersWait)
{
	korvane_home home;
	make_song(home, "a.ogg", "A");
	make_song(home, "b.ogg", "B");
	make_song(home, "c.ogg", "C");
	const std::string waiting = "korvane: database '" + home.db() +
	                            "' is in use by another korvane: waiting for it to finish\n";

	run_result first;
	std::thread writer([&] { first = slow_add(home, music(home, "a.ogg")); });
	wait_for_lock(home);
	run_result second = home.run({ "-e", "add", music(home, "b.ogg") });
	writer.join();
	EXPECT_EQ(first.status, 0) << first.err;
	EXPECT_EQ(first.err, "");
	EXPECT_EQ(second.status, 0) << second.err;
	EXPECT_EQ(second.err, waiting);
	EXPECT_EQ(db_state(home.db()), (std::set<std::string>{ music(home, "a.ogg") + "|A",
	                                                       music(home, "b.ogg") + "|B" }));

	// A reader waits for the writer too, and sees its change.
	std::thread third([&] { first = slow_add(home, music(home, "c.ogg")); });
	wait_for_lock(home);
	run_result flush = home.run({ "-e", "flush" });
	third.join();
	EXPECT_EQ(flush.status, 0);
	EXPECT_EQ(flush.err, waiting);
	EXPECT_NE(flush.out.find(music(home, "c.ogg") + ", "), std::string::npos) << flush.out;
}

} // namespace
