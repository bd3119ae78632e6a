// The rm and rmfile e-commands, run as a user would.
#include <unistd.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "harness/harness.h"
#include "harness/media.h"

namespace
{

const std::string URL = "http://radio.example.com:8000/jazz.ogg";
const std::string OTHER_URL = "http://radio.example.com:8000/blues.ogg";

// A database with two URL entries and one media file, and a playlist that
// names all three.
class RmCommand : public testing::Test
{
protected:
	void SetUp() override
	{
		for (const std::string &url : { URL, OTHER_URL })
			ASSERT_EQ(home.run({ "-e", "addurl", url }, std::string(8, '\n')).status,
			          0);
		make_media(home / "song.ogg");
		ASSERT_EQ(home.run({ "-e", "add", home / "song.ogg" }).status, 0);
		char resolved[PATH_MAX];
		ASSERT_NE(realpath((home / "song.ogg").c_str(), resolved), nullptr);
		song = resolved;
		write_file(playlist, URL + "\n" + OTHER_URL + "\n" + song + "\n");
	}

	// The file names in the database, in its order.
	std::vector<std::string> names() const
	{
		std::vector<std::string> lines = lines_of(home.run({ "-e", "flush" }).out);
		std::vector<std::string> found;
		for (size_t i = 1; i < lines.size(); i++)
			found.push_back(lines[i].substr(0, lines[i].find(',')));
		return found;
	}

	korvane_home home;
	std::string playlist = home.playlists() + "/mix.playlist";
	std::string song;
};

TEST_F(RmCommand, NameNotInTheDatabase)
{
	std::string before = read_file(home.db());
	struct {
		std::vector<std::string> words;
		int status;
	} cases[] = {
		{ { "rm", "-f", "nope" }, 0 },
		{ { "rm", "nope" }, 1 },
		{ { "rmfile", "nope" }, 1 },
		// A relative name resolves against the working directory, where no
		// song.ogg is.
		{ { "rm", "-f", "song.ogg" }, 0 },
	};
	for (const auto &c : cases) {
		std::vector<std::string> args = { "-e" };
		args.insert(args.end(), c.words.begin(), c.words.end());
		SCOPED_TRACE(testing::PrintToString(args));
		run_result r = home.run(args, "y\n");
		EXPECT_EQ(r.status, c.status);
		EXPECT_EQ(r.out, "");
		EXPECT_EQ(r.err, "korvane: " + c.words[0] + ": " + c.words.back() +
		                         ": No such file or URL\n");
		EXPECT_EQ(read_file(home.db()), before);
	}

	korvane_home empty;
	EXPECT_EQ(empty.run({ "-e", "rm", URL }).status, 1);
	EXPECT_EQ(empty.run({ "-e", "rm", "-f", URL }).status, 0);
}

TEST_F(RmCommand, UsageErrors)
{
	std::string before = read_file(home.db());
	for (const std::vector<std::string> &words : std::vector<std::vector<std::string>>{
	             { "rm" },
	             { "rm", URL, "-f" },
	             { "rm", "-f", URL, OTHER_URL },
	             { "rm", "-x", URL },
	             { "rm", "-ff", URL },
	             { "rmfile", URL, OTHER_URL },
	     }) {
		std::vector<std::string> args = { "-e" };
		args.insert(args.end(), words.begin(), words.end());
		SCOPED_TRACE(testing::PrintToString(args));
		run_result r = home.run(args, "y\n");
		EXPECT_EQ(r.status, 1);
		EXPECT_EQ(r.out, "");
		EXPECT_EQ(r.err, "korvane: usage: -e " + words[0] + " [-f] filename|URL\n");
		EXPECT_EQ(read_file(home.db()), before);
	}
}

TEST_F(RmCommand, RefusedConfirmationLeavesTheDatabaseAlone)
{
	std::string before = read_file(home.db());
	for (std::string answer : { "", "n\n", "no\n", "yes", "Y", "yess\n", " y\n" }) {
		SCOPED_TRACE("answer '" + answer + "'");
		run_result r = home.run({ "-e", "rm", URL }, answer);
		EXPECT_EQ(r.status, 1);
		EXPECT_EQ(r.out, "Are you sure you want to delete '" + URL + "'? [y/n] ");
		EXPECT_EQ(r.err, "korvane: rm: operation canceled.  Database unchanged.\n");
		EXPECT_EQ(read_file(home.db()), before);
	}
}

TEST_F(RmCommand, ConfirmedOrForcedRemovalDropsOnlyThatEntry)
{
	std::string listed = read_file(playlist);
	struct {
		std::vector<std::string> words;
		std::string name;
		std::string answer;
		std::string out;
	} cases[] = {
		{ { "rm", URL },
		  URL,
		  "y\n",
		  "Are you sure you want to delete '" + URL + "'? [y/n] " },
		{ { "rmfile", OTHER_URL },
		  OTHER_URL,
		  "YES\n",
		  "Are you sure you want to delete '" + OTHER_URL + "'? [y/n] " },
		{ { "rm", "-f", "" }, "", "", "" },
	};
	cases[2].words[2] = cases[2].name = song;

	std::vector<std::string> left = names();
	std::string missing;
	for (const auto &c : cases) {
		SCOPED_TRACE(c.name);
		std::vector<std::string> args = { "-e" };
		args.insert(args.end(), c.words.begin(), c.words.end());
		run_result r = home.run(args, c.answer);
		EXPECT_EQ(r.status, 0) << r.err;
		EXPECT_EQ(r.out, c.out);
		// The playlist still names what earlier runs removed.
		EXPECT_EQ(r.err, missing);
		missing += "korvane: playlist \"mix\", file \"" + c.name +
		           "\" is NOT in media database (added for now)\n";
		std::erase(left, c.name);
		EXPECT_EQ(names(), left);
		EXPECT_EQ(read_file(playlist), listed);
	}
	EXPECT_EQ(read_file(home.db()).size(), 19u);
}

// rm takes the paths add takes: relative ones and ones through symbolic
// links are resolved to the name the database keeps.
TEST_F(RmCommand, RelativeAndLinkedPathsAreResolved)
{
	ASSERT_EQ(symlink(home.path().c_str(), (home / "link").c_str()), 0);
	make_media(home / "other.ogg");
	ASSERT_EQ(home.run({ "-e", "add", home / "other.ogg" }).status, 0);
	run_options opts;
	opts.home = home.path();
	opts.cwd = home.path();
	opts.input = "y\n";

	run_result r = run_korvane({ "-e", "rm", "song.ogg" }, opts);
	EXPECT_EQ(r.status, 0) << r.err;
	EXPECT_EQ(r.out, "Are you sure you want to delete '" + song + "'? [y/n] ");
	r = run_korvane({ "-e", "rm", "-f", "link/other.ogg" }, opts);
	EXPECT_EQ(r.status, 0) << r.err;
	EXPECT_EQ(names(), (std::vector<std::string>{ OTHER_URL, URL }));
}

} // namespace
