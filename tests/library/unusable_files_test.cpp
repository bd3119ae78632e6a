// Files the library cannot use: one that may not be read is not one that
// vanished, one that is not regular is never opened in a way that blocks,
// and a home whose name holds pattern characters is taken as it is.
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdlib>

#include <gtest/gtest.h>

#include "harness/harness.h"
#include "harness/media.h"

namespace
{

constexpr uid_t NOBODY = 65534;

std::string resolved(const std::string &path)
{
	char buf[PATH_MAX];
	return realpath(path.c_str(), buf) != nullptr ? buf : path;
}

void set_future_mtime(const std::string &path)
{
	struct timeval later[2] = { { time(nullptr) + 1000, 0 }, { time(nullptr) + 1000, 0 } };
	ASSERT_EQ(utimes(path.c_str(), later), 0);
}

// The file names in the database, from its dump.
std::string db_names(const korvane_home &home)
{
	std::string names;
	for (const std::string &line : lines_of(home.run({ "-e", "flush" }).out))
		names += line.substr(0, line.find(',')) + "\n";
	return names;
}

class UnusableFiles : public testing::Test
{
protected:
	void SetUp() override
	{
		mkdir(music.c_str(), 0755);
		make_media(music + "/song.ogg", { "A", "", "Title", "", "", 0, 0 });
		song = resolved(music + "/song.ogg");
		run_result r = home.run({ "-e", "add", song });
		ASSERT_EQ(r.status, 0) << r.err;
	}

	run_result run(const std::vector<std::string> &args, bool as_nobody = false) const
	{
		run_options opts;
		opts.home = home.path();
		opts.as_nobody = as_nobody;
		opts.deadline = std::chrono::seconds(30); // nothing here may block
		return run_korvane(args, opts);
	}

	korvane_home home;
	std::string music = home / "music";
	std::string song;
};

TEST_F(UnusableFiles, FifoInPlaceOfALibraryFileNeverBlocks)
{
	ASSERT_EQ(unlink(song.c_str()), 0);
	ASSERT_EQ(mkfifo(song.c_str(), 0644), 0);
	set_future_mtime(song);

	// Kept as an error by update, not read.
	run_result r = run({ "-e", "update" });
	EXPECT_EQ(r.status, 0) << r.err;
	EXPECT_NE(r.out.find("\n? " + song + "\n"), std::string::npos) << r.out;
	EXPECT_NE(r.out.find("(?)         1 files with errors"), std::string::npos) << r.out;
	EXPECT_EQ(db_names(home), "filename\n" + song + "\n");

	// A scan passes it by; check finds no meta-information in it.
	r = run({ "-e", "add", music });
	EXPECT_EQ(r.status, 0) << r.err;
	EXPECT_EQ(db_names(home), "filename\n" + song + "\n");
	r = run({ "-e", "check", "-r", song });
	EXPECT_EQ(r.err, "korvane: Failed to extract any meta-information from '" + song + "'\n");
}

TEST_F(UnusableFiles, FileThatMayNotBeReadIsAnErrorAndKeepsItsRecord)
{
	if (geteuid() != 0)
		GTEST_SKIP() << "needs root to act as another user";
	make_media(music + "/new.ogg");
	run_program("chown", { "-R", "65534:65534", home.path() });
	chmod(song.c_str(), 0);
	chmod((music + "/new.ogg").c_str(), 0);
	set_future_mtime(song);

	run_result r = run({ "-e", "update" }, true);
	EXPECT_EQ(r.status, 0) << r.err;
	EXPECT_NE(r.out.find("\n? " + song + "\n"), std::string::npos) << r.out;
	EXPECT_NE(r.out.find("(-)         0 files removed (meta-info gone)"), std::string::npos)
	        << r.out;
	EXPECT_EQ(db_names(home), "filename\n" + song + "\n");

	// In a scan too: a new file that may not be read is an error, not a
	// file without tags, and the stored one stays.
	r = run({ "-e", "add", music }, true);
	EXPECT_EQ(r.status, 0) << r.err;
	EXPECT_NE(r.out.find("\n? " + music + "/new.ogg\n"), std::string::npos) << r.out;
	EXPECT_NE(r.out.find("\n? " + music + "/song.ogg\n"), std::string::npos) << r.out;
	EXPECT_NE(r.out.find("(s)         0 files skipped (no info)"), std::string::npos) << r.out;
	EXPECT_NE(r.out.find("(?)         2 files skipped (other error)"), std::string::npos)
	        << r.out;
	EXPECT_EQ(db_names(home), "filename\n" + song + "\n");
}

// Pattern characters in the home directory's name: the playlists of the
// real directory are read, never those of a directory the pattern matches.
TEST(PlaylistsDirectory, HomeWithPatternCharactersIsTakenAsItIs)
{
	temp_dir top;
	const std::string real = top / "h[1]", decoy = top / "h1";
	for (const std::string &home : { real, decoy }) {
		mkdir(home.c_str(), 0755);
		run_options opts;
		opts.home = home;
		ASSERT_EQ(run_korvane({ "-e", "init" }, opts).status, 0);
	}
	write_file(real + "/.korvane/playlists/mine.playlist", "/nowhere/mine.ogg\n");
	write_file(decoy + "/.korvane/playlists/other.playlist", "/nowhere/other.ogg\n");

	run_options opts;
	opts.home = real;
	run_result r = run_korvane({ "-e", "flush" }, opts);
	EXPECT_EQ(r.status, 0) << r.err;
	EXPECT_EQ(r.err, "korvane: playlist \"mine\", file \"/nowhere/mine.ogg\" is NOT in media "
	                 "database (added for now)\n");
}

} // namespace
