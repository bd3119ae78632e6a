#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include <gtest/gtest.h>

#include "harness/harness.h"
#include "library/db_test_util.h"
#include "library/medialib.h"
#include "playlist/playlist_file.h"

namespace
{

class PlaylistFile : public ::testing::Test
{
protected:
	PlaylistFile()
	{
		for (const char *name : { "/m/a.mp3", "/m/b.mp3", "/m/c d.ogg" })
			pool.push_back(make_record(name));
		for (auto &mi : pool)
			library.push_back(mi.get());
	}

	playlist_ptr load(const std::string &name, const std::string &content,
	                  std::string *err = nullptr)
	{
		std::string path = dir / name;
		write_file(path, content);
		testing::internal::CaptureStderr();
		playlist_ptr p = playlist_load(path, library, placeholders);
		std::string e = testing::internal::GetCapturedStderr();
		if (err != nullptr)
			*err = e;
		return p;
	}

	std::vector<std::string> names(const playlist &p)
	{
		std::vector<std::string> v;
		for (const meta_info *mi : p.files)
			v.push_back(*mi->filename);
		return v;
	}

	temp_dir dir;
	std::vector<mi_ptr> pool;
	std::vector<meta_info *> library; // sorted by file name
	std::deque<mi_ptr> placeholders;
};

TEST_F(PlaylistFile, FindsPlaylistsInByteOrder)
{
	EXPECT_TRUE(medialib_find_playlists(dir.path()).empty());
	EXPECT_TRUE(medialib_find_playlists(dir / "missing").empty());
	for (const char *f : { "b.playlist", "a.playlist", "C.playlist", "c.txt", "x.playlist~" })
		write_file(dir / f, "");
	EXPECT_EQ(medialib_find_playlists(dir.path()),
	          (std::vector<std::string>{ dir / "C.playlist", dir / "a.playlist",
	                                     dir / "b.playlist" }));
}

TEST_F(PlaylistFile, LoadLooksEntriesUpInTheLibrary)
{
	std::string err;
	playlist_ptr p = load("my.mix.playlist", "/m/c d.ogg\n/m/a.mp3\n/m/c d.ogg\n", &err);
	EXPECT_EQ(err, "");
	EXPECT_EQ(*p->name, "my.mix");
	EXPECT_EQ(*p->filename, dir / "my.mix.playlist");
	EXPECT_FALSE(p->needs_saving);
	EXPECT_EQ(p->hist_present, -1);
	ASSERT_EQ(p->nfiles(), 3);
	EXPECT_EQ(p->files[0], library[2]);
	EXPECT_EQ(p->files[1], library[0]);
	EXPECT_EQ(p->files[2], library[2]) << "the same record each time";
	EXPECT_TRUE(placeholders.empty());
}

TEST_F(PlaylistFile, EntriesNotInTheLibraryBecomePlaceholders)
{
	std::string long_name = "/" + std::string(3000, 'L');
	std::string err;
	playlist_ptr p =
	        load("odd.playlist", "/m/a.mp3 \n\n/m/b.mp3\r\n" + long_name + "\n/gone.mp3", &err);
	EXPECT_EQ(names(*p), (std::vector<std::string>{ "/m/a.mp3 ", "", "/m/b.mp3\r", long_name,
	                                                "/gone.mp3" }));
	EXPECT_EQ(placeholders.size(), 5u);
	const meta_info &ph = *p->files[4];
	EXPECT_EQ(ph.length, 0);
	EXPECT_FALSE(ph.is_url);
	for (const auto &t : ph.cinfo)
		EXPECT_FALSE(t);
	EXPECT_EQ(lines_of(err)[0], "korvane_tests: playlist \"odd\", file \"/m/a.mp3 \" is NOT in "
	                            "media database (added for now)");
	EXPECT_EQ(lines_of(err)[1], "korvane_tests: playlist \"odd\", file \"\" is NOT in media "
	                            "database (added for now)");
	EXPECT_EQ(lines_of(err).size(), 5u) << "one warning per entry";

	playlist_ptr empty = load("empty.playlist", "");
	EXPECT_EQ(empty->nfiles(), 0);
}

TEST_F(PlaylistFile, SaveWritesOneNamePerLineAndLoadsBack)
{
	playlist_ptr p = playlist_new();
	p->filename = dir / "out.playlist";
	for (int i : { 1, 0, 1 })
		playlist_file_append(*p, library[i], false);
	p->needs_saving = true;
	playlist_save(*p);
	EXPECT_TRUE(p->needs_saving) << "the caller clears the mark";
	EXPECT_EQ(read_file(*p->filename), "/m/b.mp3\n/m/a.mp3\n/m/b.mp3\n");

	playlist_ptr back = playlist_load(*p->filename, library, placeholders);
	EXPECT_EQ(back->files, p->files);

	playlist_ptr empty = playlist_new();
	empty->filename = dir / "empty.playlist";
	playlist_save(*empty);
	EXPECT_EQ(read_file(*empty->filename), "");
}

TEST_F(PlaylistFile, FailedSaveKeepsTheOldFile)
{
	playlist_ptr p = playlist_new();
	p->filename = dir / "big.playlist";
	write_file(*p->filename, "/m/a.mp3\n");
	chmod(p->filename->c_str(), 0604);
	pool.push_back(make_record("/" + std::string(200, 'x')));
	for (int i = 0; i < 200; i++)
		playlist_file_append(*p, pool.back().get(), false);

	auto save_with_small_limit = [&] {
		signal(SIGXFSZ, SIG_IGN);
		rlimit lim = { 8192, 8192 };
		setrlimit(RLIMIT_FSIZE, &lim);
		playlist_save(*p);
	};
	EXPECT_EXIT(save_with_small_limit(), testing::ExitedWithCode(1),
	            "playlist_save: failed to record playlist \".*big.playlist\": File too large");
	EXPECT_EQ(read_file(*p->filename), "/m/a.mp3\n");

	playlist_save(*p);
	struct stat st;
	ASSERT_EQ(stat(p->filename->c_str(), &st), 0);
	EXPECT_EQ(st.st_mode & 07777, 0604u);
	EXPECT_EQ(read_file(*p->filename).size(), 200u * 202u);

	p->filename = dir / "no/such/dir.playlist";
	EXPECT_EXIT(
	        playlist_save(*p), testing::ExitedWithCode(1),
	        "playlist_save: failed to open playlist \".*no/such/dir.playlist\": No such file");
}

TEST_F(PlaylistFile, DeleteRemovesTheFileOnlyWhenThereIsOne)
{
	playlist_ptr p = load("gone.playlist", "/m/a.mp3\n");
	playlist_delete(std::move(p));
	EXPECT_FALSE(file_exists(dir / "gone.playlist"));
	EXPECT_EQ(*library[0]->filename, "/m/a.mp3");

	playlist_delete(playlist_new()); // no file: only released

	playlist_ptr missing = playlist_new();
	missing->filename = dir / "never.playlist";
	EXPECT_EXIT(
	        playlist_delete(std::move(missing)), testing::ExitedWithCode(1),
	        "playlist_delete: failed to delete playlist \".*never.playlist\": No such file");
}

TEST_F(PlaylistFile, TrySaveReportsFailuresAndKeepsTheOldFile)
{
	playlist_ptr p = playlist_new();
	p->filename = dir / "big.playlist";
	write_file(*p->filename, "/m/a.mp3\n");
	pool.push_back(make_record("/" + std::string(200, 'x')));
	for (int i = 0; i < 200; i++)
		playlist_file_append(*p, pool.back().get(), false);

	// A full disk: the program goes on, with the cause in the message.
	auto save_with_small_limit = [&] {
		signal(SIGXFSZ, SIG_IGN);
		rlimit lim = { 8192, 8192 };
		setrlimit(RLIMIT_FSIZE, &lim);
		std::string error;
		bool saved = playlist_try_save(*p, error);
		fprintf(stderr, "%s", error.c_str());
		exit(saved ? 0 : 2);
	};
	EXPECT_EXIT(save_with_small_limit(), testing::ExitedWithCode(2),
	            "^failed to record playlist \".*big.playlist\": File too large$");
	EXPECT_EQ(read_file(*p->filename), "/m/a.mp3\n");

	std::string error;
	p->filename = dir / "no/such/dir.playlist";
	EXPECT_FALSE(playlist_try_save(*p, error));
	EXPECT_EQ(error, "failed to open playlist \"" + dir.path() +
	                         "/no/such/dir.playlist\": No such file or directory");

	p->filename = dir / "big.playlist";
	EXPECT_TRUE(playlist_try_save(*p, error));
	EXPECT_EQ(read_file(*p->filename).size(), 200u * 202u);
	run_result ls = run_program("ls", { "-A", dir.path() });
	EXPECT_EQ(ls.out, "big.playlist\n");
}

// One name a line: an entry whose name holds a line break (from a
// database made elsewhere) cannot be written, and nothing is.
TEST_F(PlaylistFile, EntriesWithLineBreaksAreFoundAndRefused)
{
	playlist_ptr p = playlist_new();
	p->filename = dir / "odd.playlist";
	write_file(*p->filename, "/m/a.mp3\n");
	EXPECT_EQ(playlist_unwritable_entry(*p), std::nullopt);
	pool.push_back(make_record("/m/fine.ogg"));
	pool.push_back(make_record("/m/cr\rhere.ogg"));
	pool.push_back(make_record("/m/new\nline.ogg"));
	for (size_t i = pool.size() - 3; i < pool.size(); i++)
		playlist_file_append(*p, pool[i].get(), false);
	EXPECT_EQ(playlist_unwritable_entry(*p), 1u);

	std::string error;
	EXPECT_FALSE(playlist_try_save(*p, error));
	EXPECT_EQ(error, "cannot save playlist \"" + *p->filename +
	                         "\": its entry \"/m/cr\\rhere.ogg\" holds a line break, which "
	                         "a playlist file cannot hold");
	EXPECT_EQ(read_file(*p->filename), "/m/a.mp3\n");
}

TEST_F(PlaylistFile, DeletingAFileAlreadyGoneSucceeds)
{
	playlist_ptr p = load("gone.playlist", "/m/a.mp3\n");
	std::string error;
	EXPECT_TRUE(playlist_delete_file(*p, error));
	EXPECT_FALSE(file_exists(dir / "gone.playlist"));
	EXPECT_TRUE(playlist_delete_file(*p, error));              // already gone
	EXPECT_TRUE(playlist_delete_file(*playlist_new(), error)); // no file at all
	EXPECT_EQ(error, "");

	// A file that stays is an error, not the end of the program.
	std::string sub = dir / "sub";
	mkdir(sub.c_str(), 0755);
	write_file(sub + "/x.playlist", "");
	p->filename = sub;
	EXPECT_FALSE(playlist_delete_file(*p, error));
	EXPECT_EQ(error, "failed to delete playlist \"" + sub + "\": Is a directory");
}

// The playlists directory is listed, never used as a pattern: "h[1]" must
// not read the playlists of "h1".
TEST_F(PlaylistFile, DirectoryNamesWithPatternCharactersAreTakenAsTheyAre)
{
	for (std::string name : { "h[1]", "h1", "h*", "hx" }) {
		mkdir((dir / name).c_str(), 0755);
		write_file(dir / name + "/" + name + ".playlist", "");
	}
	write_file(dir / "h[1]/.hidden.playlist", "");
	for (std::string name : { "h[1]", "h*" }) {
		std::vector<std::string> want = { dir / name + "/" + name + ".playlist" };
		EXPECT_EQ(medialib_find_playlists(dir / name), want) << name;
	}
}

} // namespace
