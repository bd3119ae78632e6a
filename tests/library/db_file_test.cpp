#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <random>

#include <gtest/gtest.h>

#include "harness/harness.h"
#include "library/db_test_util.h"

namespace
{

class DbFile : public ::testing::Test
{
protected:
	void SetUp() override { medialib_new_state(); }
	void TearDown() override { medialib_destroy(); }

	void load_bytes(const std::string &bytes)
	{
		write_file(path, bytes);
		medialib_new_state();
		medialib_db_load(path);
	}

	std::vector<std::string> loaded_names() const
	{
		std::vector<std::string> names;
		for (const meta_info *mi : medialib.library->files)
			names.push_back(*mi->filename);
		return names;
	}

	temp_dir dir;
	std::string path = dir / "test.db";
};

const std::string HEADER("korvane\x02\0\0\0\x01\0\0\0\0\0\0\0", 19);

TEST_F(DbFile, EmptyLibraryIsTheHeaderAlone)
{
	medialib_db_save(path);
	EXPECT_EQ(read_file(path), HEADER);

	load_bytes(HEADER);
	EXPECT_EQ(medialib.library->nfiles(), 0);
}

TEST_F(DbFile, RecordLayoutIsLittleEndianWithCountsFirst)
{
	mi_ptr mi = make_record("/a");
	EXPECT_EQ(db_bytes({ mi.get() }).size(), 19u + 33u);

	mi_ptr full =
	        make_record("/m/x.mp3", { "Art", nullptr, "T" }, 245, 0x0102030405060708LL, true);
	std::string rec = db_bytes({ full.get() }).substr(19);
	std::string expect("\x08\0\x03\0\0\0\x01\0\0\0\0\0\0\0\0\0\0\0", 18);
	expect += "/m/x.mp3ArtT";
	expect += std::string("\xf5\0\0\0", 4);
	expect += std::string("\x08\x07\x06\x05\x04\x03\x02\x01", 8);
	expect += '\x01';
	EXPECT_EQ(rec, expect);
}

TEST_F(DbFile, SaveAndLoadKeepEveryFieldButEmptyTexts)
{
	meta_info *a = medialib_adopt(make_record(
	        "/z/b.ogg", { "Artist", "", "Title", "  7", "1999", "Rock", "4:05", "c" }, 245,
	        1700000000, false));
	meta_info *b = medialib_adopt(make_record("", {}, -3, -1, true));
	meta_info *recs[] = { a, b };
	playlist_file_append(*medialib.library, recs, 2, false);
	medialib_db_save(path);

	medialib_new_state();
	medialib_db_load(path);
	ASSERT_EQ(medialib.library->nfiles(), 2);
	// Loaded in file-name order: the empty name first.
	const meta_info &e = *medialib.library->files[0];
	EXPECT_EQ(e.filename, std::optional<std::string>(""));
	EXPECT_EQ(e.length, -3);
	EXPECT_EQ(e.last_updated, -1);
	EXPECT_TRUE(e.is_url);
	const meta_info &r = *medialib.library->files[1];
	EXPECT_EQ(*r.filename, "/z/b.ogg");
	EXPECT_EQ(r.cinfo[CINFO_ARTIST], "Artist");
	EXPECT_FALSE(r.cinfo[CINFO_ALBUM].has_value()) << "an empty text reads back absent";
	EXPECT_EQ(r.cinfo[CINFO_TRACK], "  7");
	EXPECT_EQ(r.cinfo[CINFO_COMMENT], "c");
	EXPECT_EQ(r.length, 245);
	EXPECT_EQ(r.last_updated, 1700000000);
	EXPECT_FALSE(r.is_url);
}

TEST_F(DbFile, FileKeepsLibraryOrderAndLoadSortsByteWise)
{
	mi_ptr b = make_record("/b"), a = make_record("/a"), hi = make_record("/\xe9"),
	       up = make_record("/B");
	std::string bytes = db_bytes({ b.get(), hi.get(), a.get(), up.get() });
	load_bytes(bytes);
	EXPECT_EQ(loaded_names(), (std::vector<std::string>{ "/B", "/a", "/b", "/\xe9" }));

	// Saving writes the library's present order.
	std::reverse(medialib.library->files.begin(), medialib.library->files.end());
	medialib_db_save(path);
	mi_ptr x = make_record("/\xe9"), y = make_record("/b"), z = make_record("/a"),
	       w = make_record("/B");
	EXPECT_EQ(read_file(path), db_bytes({ x.get(), y.get(), z.get(), w.get() }));
}

TEST_F(DbFile, RecordsSharingANameKeepTheirFileOrder)
{
	std::vector<mi_ptr> recs;
	std::vector<const meta_info *> order;
	for (int i = 0; i < 50; i++) {
		recs.push_back(make_record(i % 2 ? "/dup" : "/x" + std::to_string(i),
		                           { std::to_string(i).c_str() }));
		order.push_back(recs.back().get());
	}
	load_bytes(db_bytes(order));
	std::vector<std::string> dups;
	for (const meta_info *mi : medialib.library->files)
		if (*mi->filename == "/dup")
			dups.push_back(*mi->cinfo[CINFO_ARTIST]);
	std::vector<std::string> expect;
	for (int i = 1; i < 50; i += 2)
		expect.push_back(std::to_string(i));
	EXPECT_EQ(dups, expect);
}

TEST_F(DbFile, TextsEndAtTheirFirstNulByte)
{
	mi_ptr mi = make_record(std::string("/a\0junk", 7), { "x" });
	mi->cinfo[CINFO_TITLE] = std::string("ti\0tle", 6);
	mi_ptr next = make_record("/b");
	load_bytes(db_bytes({ mi.get(), next.get() }));
	ASSERT_EQ(medialib.library->nfiles(), 2);
	EXPECT_EQ(*medialib.library->files[0]->filename, "/a");
	EXPECT_EQ(medialib.library->files[0]->cinfo[CINFO_TITLE], "ti");
	EXPECT_EQ(medialib.library->files[0]->cinfo[CINFO_ARTIST], "x");
	EXPECT_EQ(*medialib.library->files[1]->filename, "/b");
}

TEST_F(DbFile, LongTextIsCutToWhatTheCountHolds)
{
	std::string huge(70000, 'x');
	meta_info *mi =
	        medialib_adopt(make_record("/long", { "a", nullptr, nullptr, nullptr, nullptr,
	                                              nullptr, nullptr, huge.c_str() }));
	mi_ptr next = make_record("/next", { "n" });
	playlist_file_append(*medialib.library, mi, false);
	playlist_file_append(*medialib.library, medialib_adopt(std::move(next)), false);
	medialib_db_save(path);

	medialib_new_state();
	medialib_db_load(path);
	ASSERT_EQ(medialib.library->nfiles(), 2);
	EXPECT_EQ(medialib.library->files[0]->cinfo[CINFO_COMMENT]->size(), DB_TEXT_MAX);
	EXPECT_EQ(*medialib.library->files[1]->filename, "/next");
	EXPECT_EQ(medialib.library->files[1]->cinfo[CINFO_ARTIST], "n");
}

// Every prefix of a valid file: the header's damage is fatal, anything
// after it loads the complete records and drops the cut one silently.
TEST_F(DbFile, FileCutAtEveryLength)
{
	mi_ptr r1 = make_record("/one", { "A", "B" }, 10, 5);
	mi_ptr r2 = make_record("/two", {}, 0, 0, true);
	mi_ptr r3 = make_record(
	        "/three", { nullptr, nullptr, "T", nullptr, nullptr, nullptr, nullptr, "comment" });
	std::string full = db_bytes({ r1.get(), r2.get(), r3.get() });
	size_t end1 = 19 + db_bytes({ r1.get() }).size() - 19;
	size_t end2 = end1 + db_bytes({ r2.get() }).size() - 19;

	for (size_t len = 19; len <= full.size(); len++) {
		SCOPED_TRACE(len);
		testing::internal::CaptureStdout();
		testing::internal::CaptureStderr();
		load_bytes(full.substr(0, len));
		EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
		EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
		size_t expect = len == full.size() ? 3 : len >= end2 ? 2 : len >= end1 ? 1 : 0;
		EXPECT_EQ(medialib.library->nfiles(), static_cast<int>(expect));
	}

	for (size_t len = 0; len < 19; len++) {
		SCOPED_TRACE(len);
		write_file(path, full.substr(0, len));
		if (len < 7)
			EXPECT_EXIT(medialib_db_load(path), testing::ExitedWithCode(1),
			            "medialib_db_load: db file '.*' NOT a korvane database");
		else
			EXPECT_EXIT(medialib_db_load(path), testing::ExitedWithCode(1), "");
	}
}

TEST_F(DbFile, RandomBytesAfterTheHeaderNeverCrash)
{
	std::mt19937 rng(12345);
	for (int round = 0; round < 300; round++) {
		std::string bytes = HEADER;
		size_t n = rng() % 400;
		for (size_t i = 0; i < n; i++)
			bytes += static_cast<char>(rng() % (round % 2 ? 256 : 8));
		load_bytes(bytes);
		// Whatever loaded must save and load again to the same records.
		size_t count = medialib.library->files.size();
		medialib_db_save(path);
		medialib_new_state();
		medialib_db_load(path);
		EXPECT_EQ(medialib.library->files.size(), count);
	}
}

TEST_F(DbFile, WrongMagicOrVersionEndsTheLoad)
{
	write_file(path, std::string("korvana\x02\0\0\0\x01\0\0\0\0\0\0\0", 19));
	EXPECT_EXIT(medialib_db_load(path), testing::ExitedWithCode(1),
	            "korvane_tests: medialib_db_load: db file '" + path +
	                    "' NOT a korvane database");

	write_file(path, "");
	EXPECT_EXIT(medialib_db_load(path + ".missing"), testing::ExitedWithCode(1),
	            "medialib_db_load: failed to open database file '.*\\.missing': No such file");
}

TEST_F(DbFile, FlushPrintsCommaSeparatedText)
{
	meta_info *a = medialib_adopt(
	        make_record("/m/a, b.mp3",
	                    { "Ar\"t", nullptr, "Ti", "  3", nullptr, nullptr, "4:05" }, 245, 0));
	meta_info *u = medialib_adopt(make_record("http://x", {}, 0, 86400 * 366, true));
	playlist_file_append(*medialib.library, a, false);
	playlist_file_append(*medialib.library, u, false);

	char *buf = nullptr;
	size_t size = 0;
	FILE *out = open_memstream(&buf, &size);
	setenv("TZ", "UTC", 1);
	tzset();
	medialib_db_flush(out, "%Y %m %d %H:%M:%S");
	fclose(out);
	std::string text(buf, size);
	free(buf);

	EXPECT_EQ(
	        text,
	        "filename, \"Artist\", \"Album\", \"Title\", \"Track\", \"Year\", \"Genre\", "
	        "\"Length\", \"Comment\", length-seconds, is_url, \"last-updated\"\n"
	        "/m/a, b.mp3, \"Ar\"t\", \"(null)\", \"Ti\", \"  3\", \"(null)\", \"(null)\", "
	        "\"4:05\", \"(null)\", 245, false, \"1970 01 01 00:00:00\"\n"
	        "http://x, \"(null)\", \"(null)\", \"(null)\", \"(null)\", \"(null)\", \"(null)\", "
	        "\"(null)\", \"(null)\", 0, true, \"1971 01 02 00:00:00\"\n");
}

// A format whose text runs far past 254 characters is printed whole.
TEST_F(DbFile, FlushPrintsLongTimesWhole)
{
	playlist_file_append(*medialib.library, medialib_adopt(make_record("/a", {}, 1, 0)), false);
	std::string format, years;
	for (int i = 0; i < 5000; i++) {
		format += "%Y";
		years += "1970";
	}
	char *buf = nullptr;
	size_t size = 0;
	FILE *out = open_memstream(&buf, &size);
	setenv("TZ", "UTC", 1);
	tzset();
	medialib_db_flush(out, format.c_str());
	fclose(out);
	std::string text(buf, size);
	free(buf);
	EXPECT_NE(text.find(", 1, false, \"" + years + "\"\n"), std::string::npos);
}

// A save that fails part-way leaves the old database whole.
TEST_F(DbFile, FailedSaveKeepsTheOldFile)
{
	std::string old = db_bytes({ make_record("/old").get() });
	write_file(path, old);
	chmod(path.c_str(), 0640);
	for (int i = 0; i < 2000; i++)
		playlist_file_append(*medialib.library,
		                     medialib_adopt(make_record("/new/" + std::string(100, 'n') +
		                                                std::to_string(i))),
		                     false);

	auto save_with_small_limit = [&] {
		signal(SIGXFSZ, SIG_IGN);
		rlimit lim = { 4096, 4096 };
		setrlimit(RLIMIT_FSIZE, &lim);
		medialib_db_save(path);
	};
	EXPECT_EXIT(save_with_small_limit(), testing::ExitedWithCode(1),
	            "medialib_db_save: error saving database: File too large");
	EXPECT_EQ(read_file(path), old);
	run_result ls = run_program("ls", { "-A", dir.path() });
	EXPECT_EQ(ls.out, "test.db\n") << "no temporary file is left behind";

	// A save that succeeds keeps the file's permissions.
	medialib_db_save(path);
	struct stat st;
	ASSERT_EQ(stat(path.c_str(), &st), 0);
	EXPECT_EQ(st.st_mode & 07777, 0640u);
	medialib_new_state();
	medialib_db_load(path);
	EXPECT_EQ(medialib.library->nfiles(), 2000);
}

TEST_F(DbFile, SaveThroughSymbolicLinkReplacesTheTarget)
{
	std::string real = dir / "real.db";
	write_file(real, HEADER);
	ASSERT_EQ(symlink("real.db", path.c_str()), 0);
	playlist_file_append(*medialib.library, medialib_adopt(make_record("/x")), false);
	medialib_db_save(path);

	struct stat st;
	ASSERT_EQ(lstat(path.c_str(), &st), 0);
	EXPECT_TRUE(S_ISLNK(st.st_mode));
	EXPECT_EQ(read_file(real).size(), 19u + 33u);
}

} // namespace
