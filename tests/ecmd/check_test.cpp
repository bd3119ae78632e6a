// The check e-command on synthesised media files, run as a user would.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness/harness.h"
#include "harness/media.h"

namespace
{

const std::string RAW = "\tThe RAW meta-information from the file is:\n";
const std::string SANITIZED = "\tThe SANITIZED meta-information from the file is:\n";
const std::string DATABASE = "\tThe meta-information in the DATABASE is:\n";

// The eight field lines for these texts, in field order.
std::string fields(const std::vector<std::string> &texts)
{
	const char *names[] = { "    Artist", "     Album", "     Title", "     Track",
		                "      Year", "     Genre", "    Length", "   Comment" };
	std::string out;
	for (int i = 0; i < 8; i++)
		out += "\t" + std::string(names[i]) + ": '" + texts[i] + "'\n";
	return out;
}

// An MP3 whose artist and title carry a tab, an escape sequence and a delete.
class CheckCommand : public testing::Test
{
protected:
	void SetUp() override
	{
		media_tags tags;
		tags.artist = "Bad\tArtist\x1b[31m";
		tags.title = "Ti\x7ftle";
		tags.album = "Album";
		tags.track = 7;
		tags.year = 1999;
		make_media(song, tags, 2.0);
	}

	korvane_home home;
	std::string song = home / "song.mp3";
	const std::vector<std::string> raw = {
		"Bad\tArtist\x1b[31m", "Album", "Ti\x7ftle", "  7", "1999", "", "2s", ""
	};
	const std::vector<std::string> clean = {
		"Bad?Artist?[31m", "Album", "Ti?tle", "  7", "1999", "", "2s", ""
	};
	// Empty texts are not kept apart from absent ones in the database.
	const std::vector<std::string> stored = {
		"Bad?Artist?[31m", "Album", "Ti?tle", "  7", "1999", "(null)", "2s", "(null)"
	};
};

TEST_F(CheckCommand, RawAndSanitizedViews)
{
	struct {
		std::vector<std::string> options;
		std::string shown;
	} cases[] = {
		{ { "-r" }, RAW + fields(raw) },
		{ { "-s" }, SANITIZED + fields(clean) },
		{ { "-r", "-s" }, RAW + fields(raw) + SANITIZED + fields(clean) },
		{ { "-sr" }, RAW + fields(raw) + SANITIZED + fields(clean) },
	};
	for (const auto &c : cases) {
		SCOPED_TRACE(c.options[0]);
		std::vector<std::string> args = { "-e", "check" };
		args.insert(args.end(), c.options.begin(), c.options.end());
		args.push_back(song);
		run_result r = home.run(args);
		EXPECT_EQ(r.status, 0) << r.err;
		EXPECT_EQ(r.out, "Checking: '" + song + "'\n" + c.shown);
		EXPECT_EQ(r.err, "");
	}
}

TEST_F(CheckCommand, DatabaseViewResolvesThePathAndGoesOnAfterFailures)
{
	ASSERT_EQ(home.run({ "-e", "add", song }).status, 0);
	std::string other = home / "other.ogg";
	make_media(other);
	write_file(home / "notes.txt", "not media\n");

	run_options opts;
	opts.home = home.path();
	opts.cwd = home.path();
	run_result r = run_korvane(
	        { "-e", "check", "-d", "missing.mp3", "other.ogg", "./song.mp3" }, opts);
	// Files not in the database make the status tell so.
	EXPECT_EQ(r.status, 1);
	// The database holds the sanitized texts.
	EXPECT_EQ(r.out, "Checking: 'missing.mp3'\n"
	                 "Checking: 'other.ogg'\n"
	                 "Checking: './song.mp3'\n" +
	                         DATABASE + fields(stored));
	EXPECT_EQ(r.err, "korvane: check: realpath failed for missing.mp3: skipping: No such file "
	                 "or directory\n"
	                 "korvane: File 'other.ogg' does NOT exist in the database\n");

	// A file the tag library cannot read is reported and the next one checked.
	r = run_korvane({ "-e", "check", "-r", "-d", "notes.txt", "song.mp3" }, opts);
	EXPECT_EQ(r.status, 1);
	EXPECT_EQ(r.out, "Checking: 'notes.txt'\nChecking: 'song.mp3'\n" + RAW + fields(raw) +
	                         DATABASE + fields(stored));
	EXPECT_EQ(r.err, "korvane: Failed to extract any meta-information from 'notes.txt'\n"
	                 "korvane: File 'notes.txt' does NOT exist in the database\n");

	// So is a file that does not exist at all.
	r = run_korvane({ "-e", "check", "-s", "missing.mp3", "song.mp3" }, opts);
	EXPECT_EQ(r.status, 0);
	EXPECT_EQ(r.out,
	          "Checking: 'missing.mp3'\nChecking: 'song.mp3'\n" + SANITIZED + fields(clean));
	EXPECT_EQ(r.err, "korvane: Failed to extract any meta-information from 'missing.mp3'\n");
}

TEST_F(CheckCommand, UsageErrors)
{
	const std::string usage = "korvane: usage: -e check [-rsd] file1 [ file2 ... ]\n";
	struct {
		std::vector<std::string> words;
		std::string err;
	} cases[] = {
		{ {}, usage },
		{ { "-r" }, usage },
		{ { "-x", "f" }, usage },
		{ { "-rq", "f" }, usage },
		{ { "f", "-r" }, "korvane: check: must specify at least one of -r, -s, or -d\n" },
		{ { "f", "g" }, "korvane: check: must specify at least one of -r, -s, or -d\n" },
		{ { "-r", "--" }, "korvane: check: must provide at least one file to check.\n" },
		{ { "-r", "-d" }, "korvane: check: must provide at least one file to check.\n" },
	};
	for (const auto &c : cases) {
		std::vector<std::string> args = { "-e", "check" };
		args.insert(args.end(), c.words.begin(), c.words.end());
		SCOPED_TRACE(testing::PrintToString(args));
		run_result r = home.run(args);
		EXPECT_EQ(r.status, 1);
		EXPECT_EQ(r.out, "");
		EXPECT_EQ(r.err, c.err);
	}
}

} // namespace
