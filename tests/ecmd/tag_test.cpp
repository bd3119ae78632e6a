// The tag e-command on synthesised media files; what it writes is read back
// both through TagLib's C binding and through the check e-command.
#include <gtest/gtest.h>
#include <tag_c.h>

#include <string>
#include <vector>

#include "harness/harness.h"
#include "harness/media.h"

namespace
{

const std::string HEADING = "Setting the following tags to all files:\n";
const std::string USAGE = "korvane: usage: see 'korvane -e help tag'\n";

// The tags of a file as TagLib reads them in Latin-1.
media_tags read_tags(const std::string &path)
{
	media_tags t;
	taglib_set_strings_unicode(false);
	TagLib_File *f = taglib_file_new(path.c_str());
	EXPECT_NE(f, nullptr) << path;
	if (f == nullptr)
		return t;
	TagLib_Tag *tag = taglib_file_tag(f);
	t.artist = taglib_tag_artist(tag);
	t.album = taglib_tag_album(tag);
	t.title = taglib_tag_title(tag);
	t.genre = taglib_tag_genre(tag);
	t.comment = taglib_tag_comment(tag);
	t.track = static_cast<int>(taglib_tag_track(tag));
	t.year = static_cast<int>(taglib_tag_year(tag));
	taglib_tag_free_strings();
	taglib_file_free(f);
	return t;
}

class TagCommand : public testing::Test
{
protected:
	void SetUp() override
	{
		media_tags tags;
		tags.artist = "Wrong Artist";
		tags.album = "Kept Album";
		tags.title = "Kept Title";
		make_media(mp3, tags);
		make_media(ogg, tags);
	}

	run_result tag(std::vector<std::string> words) const
	{
		words.insert(words.begin(), { "-e", "tag" });
		run_options opts;
		opts.home = home.path();
		opts.cwd = home.path();
		return run_korvane(words, opts);
	}

	korvane_home home;
	std::string mp3 = home / "a.mp3";
	std::string ogg = home / "b.ogg";
};

TEST_F(TagCommand, WritesOnlyTheGivenField)
{
	run_result r = tag({ "-a", "Someone", "a.mp3" });
	EXPECT_EQ(r.status, 0) << r.err;
	EXPECT_EQ(r.out, HEADING + "    artist => 'Someone'\ntagging: 'a.mp3'\n");
	EXPECT_EQ(r.err, "");
	media_tags t = read_tags(mp3);
	EXPECT_EQ(t.artist, "Someone");
	EXPECT_EQ(t.album, "Kept Album");
	EXPECT_EQ(t.title, "Kept Title");
	EXPECT_EQ(t.track, 0);
	EXPECT_EQ(t.year, 0);
}

TEST_F(TagCommand, SummaryFollowsFieldOrderAndEveryFileIsTagged)
{
	run_result r = tag({ "--year=2010", "-c", "a note", "-T", "3", "-g", "Jazz", "-t", "New",
	                     "--album", "Al", "-artist=Ar", "a.mp3", "b.ogg" });
	EXPECT_EQ(r.status, 0) << r.err;
	EXPECT_EQ(r.out, HEADING + "    artist => 'Ar'\n"
	                           "     album => 'Al'\n"
	                           "     title => 'New'\n"
	                           "     genre => 'Jazz'\n"
	                           "     track => 3\n"
	                           "      year => 2010\n"
	                           "   comment => 'a note'\n"
	                           "tagging: 'a.mp3'\n"
	                           "tagging: 'b.ogg'\n");
	for (const std::string &path : { mp3, ogg }) {
		SCOPED_TRACE(path);
		media_tags t = read_tags(path);
		EXPECT_EQ(t.artist, "Ar");
		EXPECT_EQ(t.album, "Al");
		EXPECT_EQ(t.title, "New");
		EXPECT_EQ(t.genre, "Jazz");
		EXPECT_EQ(t.comment, "a note");
		EXPECT_EQ(t.track, 3);
		EXPECT_EQ(t.year, 2010);

		run_result check = home.run({ "-e", "check", "-r", path });
		EXPECT_EQ(check.out, "Checking: '" + path +
		                             "'\n"
		                             "\tThe RAW meta-information from the file is:\n"
		                             "\t    Artist: 'Ar'\n"
		                             "\t     Album: 'Al'\n"
		                             "\t     Title: 'New'\n"
		                             "\t     Track: '  3'\n"
		                             "\t      Year: '2010'\n"
		                             "\t     Genre: 'Jazz'\n"
		                             "\t    Length: '1s'\n"
		                             "\t   Comment: 'a note'\n");
	}
}

TEST_F(TagCommand, OptionSpellingsAndPlaces)
{
	const std::vector<std::vector<std::string>> cases = {
		{ "-artist=X", "a.mp3" },     { "--artist=X", "a.mp3" },
		{ "--artist", "X", "a.mp3" }, { "--art", "X", "a.mp3" },
		{ "-ar", "X", "a.mp3" },      { "-aX", "a.mp3" },
		{ "a.mp3", "-a", "X" },       { "-a", "Y", "a.mp3", "-a", "X" },
	};
	for (const auto &words : cases) {
		SCOPED_TRACE(testing::PrintToString(words));
		ASSERT_EQ(tag({ "-a", "reset", "a.mp3" }).status, 0);
		run_result r = tag(words);
		EXPECT_EQ(r.status, 0) << r.err;
		EXPECT_EQ(r.out, HEADING + "    artist => 'X'\ntagging: 'a.mp3'\n");
		EXPECT_EQ(read_tags(mp3).artist, "X");
	}

	// "--" ends the options: what follows is a file, even if it looks like one.
	make_media(home / "-t.ogg");
	run_result r = tag({ "-a", "X", "--", "-t.ogg", "b.ogg" });
	EXPECT_EQ(r.status, 0) << r.err;
	EXPECT_EQ(r.out, HEADING + "    artist => 'X'\ntagging: '-t.ogg'\ntagging: 'b.ogg'\n");
	EXPECT_EQ(read_tags(home / "-t.ogg").artist, "X");
	EXPECT_EQ(read_tags(ogg).title, "Kept Title");
}

TEST_F(TagCommand, NumbersMustBeInRange)
{
	struct {
		std::vector<std::string> words;
		std::string err;
	} cases[] = {
		{ { "-y", "20x" }, "korvane: tag: invalid year '20x': invalid\n" },
		{ { "-y", "-1" }, "korvane: tag: invalid year '-1': too small\n" },
		{ { "--year=" }, "korvane: tag: invalid year '': invalid\n" },
		{ { "-T", "2147483648" }, "korvane: tag: invalid track '2147483648': too large\n" },
		{ { "--track", "three" }, "korvane: tag: invalid track 'three': invalid\n" },
	};
	std::string before = read_file(mp3);
	for (auto c : cases) {
		SCOPED_TRACE(testing::PrintToString(c.words));
		c.words.push_back("a.mp3");
		run_result r = tag(c.words);
		EXPECT_EQ(r.status, 1);
		EXPECT_EQ(r.out, "");
		EXPECT_EQ(r.err, c.err);
	}
	EXPECT_EQ(read_file(mp3), before);

	run_result r = tag({ "-T", "2147483647", "-y", "0", "b.ogg" });
	EXPECT_EQ(r.status, 0) << r.err;
	EXPECT_EQ(r.out, HEADING + "     track => 2147483647\n      year => 0\ntagging: 'b.ogg'\n");
}

TEST_F(TagCommand, UsageErrorsWriteNothing)
{
	std::string before = read_file(mp3);
	struct {
		std::vector<std::string> words;
		std::string out;
		std::string err;
	} cases[] = {
		{ { "-q", "a.mp3" }, "", USAGE },
		{ { "--bogus=1", "a.mp3" }, "", USAGE },
		{ { "--a", "X", "a.mp3" }, "", USAGE }, // artist or album?
		{ { "a.mp3", "-a" }, "", USAGE },
		{ { "a.mp3" },
		  HEADING,
		  "korvane: tag: nothing to set!  See 'korvane -e help tag'\n" },
		{ {}, HEADING, "korvane: tag: nothing to set!  See 'korvane -e help tag'\n" },
		{ { "-a", "X" },
		  HEADING + "    artist => 'X'\n",
		  "korvane: tag: must provide at least one file to tag.\n" },
		{ { "-a", "X", "--" },
		  HEADING + "    artist => 'X'\n",
		  "korvane: tag: must provide at least one file to tag.\n" },
	};
	for (const auto &c : cases) {
		SCOPED_TRACE(testing::PrintToString(c.words));
		run_result r = tag(c.words);
		EXPECT_EQ(r.status, 1);
		EXPECT_EQ(r.out, c.out);
		EXPECT_EQ(r.err, c.err);
	}
	EXPECT_EQ(read_file(mp3), before);
}

TEST_F(TagCommand, FilesTagLibCannotTagAreSkipped)
{
	const std::string text = "just some text\n";
	write_file(home / "notes.txt", text);
	// Named like media but not media: TagLib opens it, and must not write it.
	write_file(home / "fake.ogg", text);

	run_result r = tag({ "-a", "X", "a.mp3", "notes.txt", "fake.ogg", "b.ogg" });
	EXPECT_EQ(r.status, 0);
	const std::string causes =
	        "  => Causes: format not supported by TagLib or format doesn't support tags\n";
	EXPECT_EQ(r.out, HEADING +
	                         "    artist => 'X'\n"
	                         "tagging: 'a.mp3'\n"
	                         "tagging: 'notes.txt'\n" +
	                         causes + "tagging: 'fake.ogg'\n" + causes + "tagging: 'b.ogg'\n");
	EXPECT_EQ(r.err, "korvane: TagLib: failed to open file 'notes.txt': skipping.\n"
	                 "korvane: TagLib: failed to open file 'fake.ogg': skipping.\n");
	EXPECT_EQ(read_tags(mp3).artist, "X");
	EXPECT_EQ(read_tags(ogg).artist, "X");
	EXPECT_EQ(read_file(home / "notes.txt"), text);
	EXPECT_EQ(read_file(home / "fake.ogg"), text);
}

TEST_F(TagCommand, TextsAreWrittenAsLatin1)
{
	run_result r = tag({ "-t", "Caf\xe9", "a.mp3", "b.ogg" });
	EXPECT_EQ(r.status, 0) << r.err;
	for (const std::string &path : { mp3, ogg }) {
		SCOPED_TRACE(path);
		EXPECT_EQ(read_tags(path).title, "Caf\xe9");
		std::string out = home.run({ "-e", "check", "-r", "-s", path }).out;
		EXPECT_NE(out.find("\t     Title: 'Caf\xe9'\n"), std::string::npos) << out;
		EXPECT_NE(out.find("\t     Title: 'Caf?'\n"), std::string::npos) << out;
	}
}

// Five synopsis lines, every option in the list, and the update that follows
// the tagging in the example.
TEST(TagManualPage, ListsEveryOption)
{
	korvane_home home;
	run_result r = home.run({ "-e", "help", "tag" });
	std::vector<std::string> lines = lines_of(r.out);
	ASSERT_GT(lines.size(), 10u);
	for (int i = 4; i < 9; i++)
		EXPECT_EQ(lines[i][0], '\t') << lines[i];
	EXPECT_NE(lines[8].find("file1 [ file2 ... ]"), std::string::npos);
	EXPECT_EQ(lines[10], "DESCRIPTION:");
	for (const char *option : { "--artist=string, -a string", "--album=string, -A string",
	                            "--title=string, -t string", "--genre=string, -g string",
	                            "--track=number, -T number", "--year=number, -y number",
	                            "--comment=string, -c string" })
		EXPECT_NE(r.out.find(option), std::string::npos) << option;
	EXPECT_EQ(lines[lines.size() - 2], "\t$ korvane -e update");
}

} // namespace
