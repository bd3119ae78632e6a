// Records removed by update and by the scan leave the library in one pass at
// the end: the progress, the summary and the saved order of the records that
// stay are those of removing each at once.
#include <sys/stat.h>
#include <sys/time.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include <gtest/gtest.h>

#include "harness/harness.h"
#include "harness/media.h"
#include "library/db_test_util.h"

namespace
{

// "name title" of every record of a database file, in the file's order.
std::vector<std::string> saved(const std::string &db)
{
	std::vector<std::string> names;
	FILE *f = fopen(db.c_str(), "r");
	if (f == nullptr || fseek(f, 19, SEEK_SET) != 0) {
		ADD_FAILURE() << "cannot read " << db;
		return names;
	}
	for (int c; (c = getc(f)) != EOF;) {
		ungetc(c, f);
		meta_info mi;
		mi_fread(mi, f);
		names.push_back(mi.filename.value_or("") + " " +
		                mi.cinfo[CINFO_TITLE].value_or(""));
	}
	fclose(f);
	return names;
}

class Removal : public testing::Test
{
protected:
	void SetUp() override { ASSERT_EQ(mkdir(music.c_str(), 0755), 0); }

	korvane_home home;
	std::string music = home / "music";
};

TEST_F(Removal, UpdateDropsRunsOfRecordsAndKeepsTheOrderOfTheRest)
{
	// One record per verdict, in file name order: x vanished, . unchanged,
	// s URL, - lost its tags, ? cannot be examined. Removals come first, last
	// and in runs.
	const std::string verdicts = "xx.sx-?x.-xxs.xx";
	const std::string dir = resolved(music);
	const time_t future = time(nullptr) + 100000;
	std::vector<mi_ptr> records;
	std::vector<const meta_info *> all, kept;
	std::string progress;
	for (size_t i = 0; i < verdicts.size(); i++) {
		char v = verdicts[i], file[32];
		snprintf(file, sizeof file, "/%02zu.ogg", i);
		std::string name = dir + file;
		if (v == '.')
			write_file(name, "");
		if (v == '-' || v == '?')
			write_file(name, "not audio");
		if (v == '?')
			name += "/inside";
		records.push_back(make_record(name, { file }, 1, v == '.' ? future : 0, v == 's'));
		all.push_back(records.back().get());
		if (v == '.' || v == 's' || v == '?')
			kept.push_back(records.back().get());
		progress += std::string(1, v) + " " + name + "\n";
	}
	auto n = [&](char v) {
		return static_cast<int>(std::count(verdicts.begin(), verdicts.end(), v));
	};
	write_file(home.db(), db_bytes(all));

	char summary[1024];
	snprintf(summary, sizeof summary,
	         "--------------------------------------------------\n"
	         "Results of updating database...\n"
	         "(s) %9d url's skipped\n"
	         "(u) %9d files updated\n"
	         "(x) %9d files removed (file no longer exists)\n"
	         "(-) %9d files removed (meta-info gone)\n"
	         "(.) %9d files skipped (file unchanged since last checked)\n"
	         "(?) %9d files with errors (couldn't stat, but kept)\n",
	         n('s'), 0, n('x'), n('-'), n('.'), n('?'));
	run_result r = home.run({ "-e", "update", "-s" });
	ASSERT_EQ(r.status, 0) << r.err;
	EXPECT_EQ(r.out, "Loading existing database...\nUpdating existing database...\n" +
	                         progress + summary);
	EXPECT_EQ(read_file(home.db()), db_bytes(kept));
}

TEST_F(Removal, ScanKeepsPlacesAppendsNewFilesAndFindsThemAgain)
{
	auto m = [&](const std::string &name) { return music + "/" + name; };
	for (const char *name : { "a.ogg", "b.ogg", "c.ogg", "d.ogg", "e.ogg", "f.ogg" })
		make_media(m(name), { "", "", name, "", "", 0, 0 });
	ASSERT_EQ(home.run({ "-e", "add", music }).status, 0);

	// b and e lose their tags, d gets a new title, g and h are new.
	time_t later = time(nullptr) + 1000;
	for (const char *name : { "b.ogg", "e.ogg" }) {
		write_file(m(name), "not audio any more");
		set_mtime(m(name), later);
	}
	make_media(m("d.ogg"), { "", "", "d.ogg v2", "", "", 0, 0 });
	set_mtime(m("d.ogg"), later);
	for (const char *name : { "g.ogg", "h.ogg" })
		make_media(m(name), { "", "", name, "", "", 0, 0 });

	const std::vector<std::string> walk = { "h.ogg", "b.ogg", "d.ogg", "e.ogg", "g.ogg",
		                                "a.ogg", "c.ogg", "f.ogg", "b.ogg", "g.ogg" };
	std::vector<std::string> args = { "-e", "add" };
	for (const std::string &name : walk)
		args.push_back(m(name));
	run_result r = home.run(args);
	ASSERT_EQ(r.status, 0) << r.err;
	const char verdicts[] = "+-u-+...s.";
	std::string progress;
	for (size_t i = 0; i < walk.size(); i++)
		progress += std::string(1, verdicts[i]) + " " + m(walk[i]) + "\n";
	EXPECT_EQ(r.out.substr(0, r.out.find("-----")),
	          "Loading existing database...\n"
	          "Scanning directories for files to add to database...\n" +
	                  progress);

	// The records that stay keep their places, the new ones follow in the
	// order the walk met them.
	std::vector<std::string> want;
	for (const char *entry : { "a.ogg a.ogg", "c.ogg c.ogg", "d.ogg d.ogg v2", "f.ogg f.ogg",
	                           "h.ogg h.ogg", "g.ogg g.ogg" })
		want.push_back(resolved(music) + "/" + entry);
	EXPECT_EQ(saved(home.db()), want);
}

} // namespace
