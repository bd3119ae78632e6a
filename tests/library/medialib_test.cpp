#include <unistd.h>

#include <gtest/gtest.h>

#include "harness/harness.h"
#include "library/db_test_util.h"
#include "playlist/playlist_file.h"

namespace
{

class Medialib : public ::testing::Test
{
protected:
	void SetUp() override
	{
		run_program("mkdir", { "-p", pldir });
		write_file(db, db_bytes({ make_record("/m/b").get(), make_record("/m/a").get() }));
	}
	void TearDown() override { medialib_destroy(); }

	std::vector<std::string> registry_names() const
	{
		std::vector<std::string> v;
		for (const auto &p : medialib.playlists)
			v.push_back(*p->name);
		return v;
	}

	temp_dir dir;
	std::string db = dir / "k.db";
	std::string pldir = dir / "pl";
};

TEST_F(Medialib, EmptyDirectoryGivesThePseudoPlaylistsAlone)
{
	medialib_load(db, pldir);
	EXPECT_EQ(registry_names(), (std::vector<std::string>{ "--LIBRARY--", "--FILTER--" }));
	EXPECT_EQ(medialib.library, medialib.playlists[0].get());
	EXPECT_EQ(medialib.filter_results, medialib.playlists[1].get());
	EXPECT_FALSE(medialib.library->filename);
	EXPECT_EQ(medialib.library->nfiles(), 2);
	EXPECT_EQ(*medialib.library->files[0]->filename, "/m/a");
	EXPECT_EQ(medialib.db_file, db);
	EXPECT_EQ(medialib.playlist_dir, pldir);
}

TEST_F(Medialib, PlaylistsRegisterInByteOrderAndShareRecords)
{
	write_file(pldir + "/b.playlist", "/m/a\n/m/gone\n");
	write_file(pldir + "/a.playlist", "/m/a\n");
	write_file(pldir + "/c.playlist", "");
	testing::internal::CaptureStderr();
	medialib_load(db, pldir);
	testing::internal::GetCapturedStderr();

	EXPECT_EQ(registry_names(),
	          (std::vector<std::string>{ "--LIBRARY--", "--FILTER--", "a", "b", "c" }));
	EXPECT_EQ(medialib.playlists[2]->files[0], medialib.playlists[3]->files[0]);
	EXPECT_EQ(medialib.playlists[2]->files[0], medialib.library->files[0]);
	for (const auto &p : medialib.playlists)
		EXPECT_FALSE(p->needs_saving) << *p->name;
	EXPECT_EQ(medialib.library->nfiles(), 2) << "placeholders stay out of the library";
}

TEST_F(Medialib, AddAndRemoveKeepTheOrder)
{
	for (const char *n : { "a", "b", "c" })
		write_file(pldir + "/" + n + ".playlist", "");
	medialib_load(db, pldir);

	playlist_ptr fresh = playlist_new();
	fresh->name = "new";
	medialib_playlist_add(std::move(fresh));
	EXPECT_EQ(registry_names().back(), "new");

	medialib_playlist_remove(3);
	EXPECT_EQ(registry_names(),
	          (std::vector<std::string>{ "--LIBRARY--", "--FILTER--", "a", "c", "new" }));
	EXPECT_FALSE(file_exists(pldir + "/b.playlist"));
	EXPECT_TRUE(file_exists(pldir + "/c.playlist"));

	EXPECT_EXIT(medialib_playlist_remove(medialib.nplaylists()), testing::ExitedWithCode(1),
	            "medialib_playlist_remove: index 5 out of range");
	EXPECT_EXIT(medialib_playlist_remove(-1), testing::ExitedWithCode(1),
	            "medialib_playlist_remove: index -1 out of range");
}

// The removal that reports instead of ending the program: a file already
// gone counts as removed; a file that stays keeps its entry.
TEST_F(Medialib, TryRemoveReportsAFileThatStays)
{
	for (const char *n : { "a", "b" })
		write_file(pldir + "/" + n + ".playlist", "");
	medialib_load(db, pldir);
	std::string error;
	unlink((pldir + "/a.playlist").c_str());
	EXPECT_TRUE(medialib_playlist_try_remove(2, error));
	EXPECT_EQ(registry_names(), (std::vector<std::string>{ "--LIBRARY--", "--FILTER--", "b" }));

	// A directory in the file's place cannot be removed as a file.
	medialib.playlists[2]->filename = pldir;
	EXPECT_FALSE(medialib_playlist_try_remove(2, error));
	EXPECT_EQ(error, "failed to delete playlist \"" + pldir + "\": Is a directory");
	EXPECT_EQ(registry_names(), (std::vector<std::string>{ "--LIBRARY--", "--FILTER--", "b" }));
}

// A reload that fails keeps what was loaded, whole; the failure is a
// message, not the end of the program.
TEST_F(Medialib, FailedTryLoadKeepsTheLoadedLibrary)
{
	write_file(pldir + "/a.playlist", "/m/a\n");
	medialib_load(db, pldir);
	const meta_info *first = medialib.library->files[0];
	const std::string good = read_file(db);

	std::string other_version = good;
	other_version[7] = 3;
	std::string cut = good.substr(0, 5);
	struct {
		std::string bytes;
		std::string error;
	} cases[] = {
		{ other_version, "database '" + db +
		                         "' is of version 3.1.0; this version of korvane only "
		                         "works with version 2.1.0" },
		{ cut, "db file '" + db + "' NOT a korvane database" },
	};
	for (const auto &c : cases) {
		write_file(db, c.bytes);
		std::string error;
		EXPECT_FALSE(medialib_try_load(db, pldir, error));
		EXPECT_EQ(error, c.error);
		EXPECT_EQ(registry_names(),
		          (std::vector<std::string>{ "--LIBRARY--", "--FILTER--", "a" }));
		EXPECT_EQ(medialib.library->files[0], first);
		EXPECT_EQ(medialib.playlists[2]->files[0], first);
		EXPECT_EQ(medialib.db_file, db);
	}

	// A playlist that cannot be opened fails the reload too.
	write_file(db, good);
	ASSERT_EQ(symlink("nowhere", (pldir + "/b.playlist").c_str()), 0);
	std::string error;
	EXPECT_FALSE(medialib_try_load(db, pldir, error));
	EXPECT_EQ(error,
	          "failed to open playlist '" + pldir + "/b.playlist': No such file or directory");
	EXPECT_EQ(medialib.library->files[0], first);

	unlink((pldir + "/b.playlist").c_str());
	write_file(db, db_bytes({ make_record("/m/c").get() }));
	testing::internal::CaptureStderr();
	EXPECT_TRUE(medialib_try_load(db, pldir, error));
	testing::internal::GetCapturedStderr();
	EXPECT_EQ(medialib.library->nfiles(), 1);
	EXPECT_EQ(*medialib.library->files[0]->filename, "/m/c");
	EXPECT_EQ(registry_names(), (std::vector<std::string>{ "--LIBRARY--", "--FILTER--", "a" }));
}

TEST_F(Medialib, DestroyEmptiesEverything)
{
	medialib_load(db, pldir);
	medialib_destroy();
	EXPECT_EQ(medialib.nplaylists(), 0);
	EXPECT_EQ(medialib.library, nullptr);
	EXPECT_TRUE(medialib.records.empty());
	// Loading again after a destroy works from scratch.
	medialib_load(db, pldir);
	EXPECT_EQ(medialib.library->nfiles(), 2);
}

} // namespace
