// The command line and the database e-commands, run as a user would.
#include <gtest/gtest.h>

#include "harness/harness.h"
#include "library/db_test_util.h"

namespace
{

const std::string USAGE_TAIL = " [-f config-file] [-d database-file] [-p playlist-dir] "
                               "[-m player-path] [-e COMMAND ...]\n";

std::string usage_text()
{
	std::string prog = KORVANE_BINARY;
	return "usage: " + prog + USAGE_TAIL + "See \"" + prog +
	       " -e help\" for information about what e-commands are available.\n\"" + prog +
	       " --version\" prints the version.\n";
}

TEST(CommandLine, UsageAndBadOptions)
{
	korvane_home home;
	struct {
		std::vector<std::string> args;
		std::string err_prefix;
	} cases[] = {
		{ { "-h" }, "" },
		{ { "-x" }, std::string(KORVANE_BINARY) + ": invalid option -- 'x'\n" },
		{ { "-d" },
		  std::string(KORVANE_BINARY) + ": option requires an argument -- 'd'\n" },
		{ { "-f", "x", "-e" },
		  std::string(KORVANE_BINARY) + ": option requires an argument -- 'e'\n" },
	};
	for (const auto &c : cases) {
		SCOPED_TRACE(c.args[0]);
		run_result r = home.run(c.args);
		EXPECT_EQ(r.status, 1);
		EXPECT_EQ(r.out, "");
		EXPECT_EQ(r.err, c.err_prefix + usage_text());
	}
}

TEST(CommandLine, VersionAndHowToBegin)
{
	korvane_home home(false);
	run_result r = home.run({ "--version" });
	EXPECT_EQ(r.status, 0);
	EXPECT_EQ(r.out, "korvane 1.0.0\n");
	EXPECT_EQ(r.err, "");

	// No database yet: the load's own message, then how to begin.
	r = home.run({});
	EXPECT_EQ(r.status, 1);
	EXPECT_EQ(r.err, "korvane: medialib_db_load: failed to open database file '" + home.db() +
	                         "': No such file or directory\n"
	                         "korvane: run 'korvane -e init', then 'korvane -e add DIRECTORY'\n");
}

TEST(CommandLine, UnknownECommandAndHomeRules)
{
	korvane_home home;
	run_result r = home.run({ "-e", "frobnicate", "x" });
	EXPECT_EQ(r.status, 1);
	EXPECT_EQ(r.err,
	          "korvane: Unknown e-command 'frobnicate'.  See 'korvane -e help' for list.\n");

	// Names are exact: no abbreviations, no other case.
	EXPECT_EQ(home.run({ "-e", "ini" }).status, 1);
	EXPECT_EQ(home.run({ "-e", "INIT" }).status, 1);

	run_options unset;
	r = run_korvane({ "-e", "help" }, unset);
	EXPECT_EQ(r.status, 1);
	EXPECT_EQ(r.err, "korvane: $HOME not set. Can't find my config files.\n");

	// HOME is used as it is: an empty HOME gives paths from the root.
	run_options empty;
	empty.env = { { "HOME", "" } };
	r = run_korvane({ "-e", "flush" }, empty);
	EXPECT_EQ(r.status, 1);
	EXPECT_EQ(r.err, "korvane: medialib_db_load: failed to open database file "
	                 "'/.korvane/korvane.db': No such file or directory\n");
}

TEST(CommandLine, OptionsBeforeTheECommandApplyAndWordsAfterItBelongToIt)
{
	korvane_home home(false);
	std::string db = home / "other.db";
	run_result r = home.run({ "-d", db, "-p", home / "pl", "-e", "init" });
	EXPECT_EQ(r.status, 0) << r.err;
	EXPECT_EQ(read_file(db).size(), 19u);
	EXPECT_TRUE(file_exists(home / "pl"));
	EXPECT_EQ(r.err, "korvane: korvane directory '" + home.path() +
	                         "/.korvane' created\n"
	                         "korvane: playlists directory '" +
	                         home.path() +
	                         "/pl' created\n"
	                         "korvane: empty database at '" +
	                         db + "' created\n");

	r = home.run({ "-e", "init", "-d", db });
	EXPECT_EQ(r.status, 1);
	EXPECT_EQ(r.err, "korvane: usage: -e init\n");

	// Grouped letters and an attached argument.
	r = home.run({ "-d" + db, "-e", "flush" });
	EXPECT_EQ(r.status, 0) << r.err;
}

TEST(Init, CreatesEverythingOnceAndThenReportsOk)
{
	korvane_home home(false);
	run_result r = home.run({ "-e", "init" });
	EXPECT_EQ(r.status, 0);
	EXPECT_EQ(r.out, "Creating all necessary files and directories for korvane...\n"
	                 "\nNow use 'korvane -e add dir1 dir2 ...' to add files to korvane.\n");
	EXPECT_EQ(read_file(home.db()), std::string("korvane\x02\0\0\0\x01\0\0\0\0\0\0\0", 19));

	write_file(home.db(), db_bytes({ make_record("/keep").get() }));
	std::string before = read_file(home.db());
	r = home.run({ "-e", "init" });
	EXPECT_EQ(r.status, 0);
	EXPECT_EQ(r.err, "korvane: korvane directory '" + home.path() +
	                         "/.korvane' already exists (OK)\n"
	                         "korvane: playlists directory '" +
	                         home.playlists() +
	                         "' already exists (OK)\n"
	                         "korvane: database file '" +
	                         home.db() + "' already exists (OK)\n");
	EXPECT_EQ(read_file(home.db()), before);
}

TEST(Init, FailuresAreFatal)
{
	korvane_home home(false);
	write_file(home / "file", "");
	run_result r = home.run({ "-d", home / "file/x.db", "-e", "init" });
	EXPECT_EQ(r.status, 1);
	EXPECT_NE(r.err.find("korvane: database file '" + home.path() +
	                     "/file/x.db' exists, but cannot access it: Not a directory\n"),
	          std::string::npos)
	        << r.err;

	r = home.run({ "-p", home / "no/such/dir", "-e", "init" });
	EXPECT_EQ(r.status, 1);
	EXPECT_NE(r.err.find("korvane: unable to create playlists directory '" + home.path() +
	                     "/no/such/dir': No such file or directory\n"),
	          std::string::npos)
	        << r.err;
}

TEST(Flush, DumpsTheDatabaseWithItsTimeFormat)
{
	korvane_home home;
	write_file(home.db(), db_bytes({ make_record("/b.mp3", { "B" }, 3, 0).get(),
	                                 make_record("http://a", {}, 0, 0, true).get() }));
	std::string header = "filename, \"Artist\", \"Album\", \"Title\", \"Track\", \"Year\", "
	                     "\"Genre\", \"Length\", \"Comment\", length-seconds, is_url, "
	                     "\"last-updated\"\n";
	std::string nulls7 = "\"(null)\", \"(null)\", \"(null)\", \"(null)\", \"(null)\", "
	                     "\"(null)\", \"(null)\", ";

	run_result r = home.run({ "-e", "flush", "-t", "%d", "x", "y" });
	EXPECT_EQ(r.status, 0) << r.err;
	EXPECT_EQ(r.out, header + "/b.mp3, \"B\", " + nulls7 + "3, false, \"01\"\n" +
	                         "http://a, \"(null)\", " + nulls7 + "0, true, \"01\"\n");

	r = home.run({ "-e", "flush" });
	EXPECT_NE(r.out.find("false, \"1970 01 01 00:00:00\"\n"), std::string::npos) << r.out;

	for (auto args : { std::vector<std::string>{ "-e", "flush", "-t" },
	                   std::vector<std::string>{ "-e", "flush", "-q" } }) {
		r = home.run(args);
		EXPECT_EQ(r.status, 1);
		EXPECT_NE(r.err.find("korvane: usage: flush [-t format]\n"), std::string::npos);
	}
}

TEST(Flush, RefusesDamagedDatabases)
{
	korvane_home home;
	struct {
		std::string bytes;
		std::string version;
	} cases[] = {
		{ std::string("korvane\x02\0\0\0\0\0\0\0\0\0\0\0", 19), "2.0.0" },
		{ std::string("korvane\x03\0\0\0\0\0\0\0\0\0\0\0", 19), "3.0.0" },
		{ std::string("korvane\x02\0\0\0\x01\0", 13), "2.-1.-1" },
	};
	for (const auto &c : cases) {
		SCOPED_TRACE(c.version);
		write_file(home.db(), c.bytes);
		run_result r = home.run({ "-e", "flush" });
		EXPECT_EQ(r.status, 1);
		EXPECT_EQ(r.out,
		          "Loading korvane database: old database version detected.\n"
		          "\tExisting database at '" +
		                  home.db() + "' is of version " + c.version +
		                  "\n\tThis version of korvane only works with "
		                  "version 2.1.0\nRemove the existing database and rebuild by "
		                  "doing:\n\t$ rm " +
		                  home.db() +
		                  "\n\t$ korvane -e init\n"
		                  "\t$ korvane -e add /path/to/music ...\n");
	}

	write_file(home.db(), "not a database at all");
	run_result r = home.run({ "-e", "flush" });
	EXPECT_EQ(r.status, 1);
	EXPECT_EQ(r.err, "korvane: medialib_db_load: db file '" + home.db() +
	                         "' NOT a korvane database\n");
}

TEST(Help, ListAndPages)
{
	korvane_home home;
	run_result list = home.run({ "-e", "help" });
	EXPECT_EQ(list.status, 0);
	EXPECT_EQ(list.out.rfind("The following is a list of e-commands supported by korvane.\n"
	                         "Each command is executed by doing:\n\n"
	                         "   $ korvane -e COMMAND [args ...]\n\n"
	                         "The complete manual for each can be obtained by doing:\n\n"
	                         "   $ korvane -e help COMMAND\n\n"
	                         "The list of available commands are:\n\n"
	                         "   COMMAND     BRIEF DESCRIPTION\n"
	                         "   -------     " +
	                                 std::string(60, '-') + "\n",
	                         0),
	          0u);
	// Entries in their own order, rm and rmfile apart, update second.
	std::vector<std::string> names;
	for (const std::string &line : lines_of(list.out)) {
		EXPECT_LE(line.size(), 76u) << line;
		if (line.size() > 15 && line.compare(0, 3, "   ") == 0 && line[3] != ' ' &&
		    line[3] != '$' && line[3] != '-' && line.compare(3, 7, "COMMAND") != 0)
			names.push_back(line.substr(3, line.find(' ', 3) - 3));
	}
	EXPECT_EQ(names, (std::vector<std::string>{ "init", "update", "add", "addurl", "check",
	                                            "rm", "rmfile", "tag", "flush", "help" }));

	run_result r = home.run({ "-e", "help", "help" });
	EXPECT_EQ(r.status, 0);
	EXPECT_EQ(r.out, "You're a damn fool if you need help with help.\n");

	EXPECT_EQ(home.run({ "-e", "help", "rm" }).out, home.run({ "-e", "help", "rmfile" }).out);

	r = home.run({ "-e", "help", "INIT" });
	EXPECT_EQ(r.status, 0);
	EXPECT_EQ(r.out, "Unknown command \"INIT\".  See \"korvane -e help\" for list.\n");

	r = home.run({ "-e", "help", "init", "add" });
	EXPECT_EQ(r.status, 1);
	EXPECT_EQ(r.err, "korvane: usage: -e help [command]\n");
}

// Every manual page: heading, summary line, synopsis, description, its own
// sections, and last the example.
TEST(Help, PagesShareOneLayout)
{
	korvane_home home;
	struct {
		const char *name;
		const char *summary;
		const char *synopsis; // the first synopsis line
		std::vector<const char *> sections;
		const char *example; // how the first example line begins
	} pages[] = {
		{ "init", "init - initialize korvane directories/database", "init", {}, "init" },
		{ "add",
		  "add - add files to the korvane database",
		  "add /path/to/files1 [ path2 ... ]",
		  {},
		  "add " },
		{ "update",
		  "update - update korvane database",
		  "update [-s] [-f]",
		  { "NOTE ABOUT URLS:" },
		  "update" },
		{ "flush",
		  "flush - dump output of korvane database to terminal",
		  "flush [-t time-format]",
		  { "REFERENCES:" },
		  "flush" },
		{ "addurl",
		  "addurl - add a URL (or other) to the korvane database",
		  "addurl URL",
		  { "NOTES:" },
		  "addurl '" },
		{ "check",
		  "check - check files for meta-info and if they're in the DB",
		  "check [-rsd] file1 [ file2 ... ]",
		  { "SANITATION:" },
		  "check -r " },
		{ "rm",
		  "rm - remove a single file/URL from the korvane database",
		  "rm [-f] filename/URL",
		  { "ALIAS:" },
		  "rm -f '" },
		{ "tag",
		  "tag - set meta-information tags to raw files",
		  "tag [--artist=string | -a string]",
		  { "IMPORTANT NOTE:" },
		  "tag --artist=\"" },
	};
	for (const auto &p : pages) {
		SCOPED_TRACE(p.name);
		run_result r = home.run({ "-e", "help", p.name });
		EXPECT_EQ(r.status, 0);
		std::string head = std::string("KORVANE COMMAND:\n\t") + p.summary +
		                   "\n\nSYNOPSIS:\n\t" + p.synopsis;
		EXPECT_EQ(r.out.rfind(head, 0), 0u) << r.out;
		size_t description = r.out.find("\n\nDESCRIPTION:\n   ");
		size_t example = r.out.rfind("\nEXAMPLE:\n");
		EXPECT_NE(description, std::string::npos);
		EXPECT_NE(example, std::string::npos);
		EXPECT_NE(r.out.find(std::string("\t$ korvane -e ") + p.example, example),
		          std::string::npos);
		for (const char *section : p.sections) {
			size_t at = r.out.find(std::string("\n") + section + "\n   ");
			EXPECT_GT(at, description) << section;
			EXPECT_LT(at, example) << section;
		}
		EXPECT_EQ(r.out.substr(r.out.size() - 2), "\n\n");
		EXPECT_EQ(r.out.find("%%"), std::string::npos);
	}
	EXPECT_NE(home.run({ "-e", "help", "flush" }).out.find("-t '%M %Y'"), std::string::npos);
}

TEST(Update, RejectsAnythingButOneDashS)
{
	korvane_home home;
	for (auto args : { std::vector<std::string>{ "-s", "-s" }, std::vector<std::string>{ "-S" },
	                   std::vector<std::string>{ "x" }, std::vector<std::string>{ "-sx" } }) {
		args.insert(args.begin(), { "-e", "update" });
		run_result r = home.run(args);
		EXPECT_EQ(r.status, 1);
		EXPECT_EQ(r.err, "korvane: usage: -e update [-s] [-f]\n");
	}
	run_result r = home.run({ "-e", "add" });
	EXPECT_EQ(r.status, 1);
	EXPECT_EQ(r.err, "korvane: usage: -e add /path/to/filesORdirs [ ... ] \n");
}

} // namespace
