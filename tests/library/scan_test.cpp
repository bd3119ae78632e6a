// korvane -e add and -e update run on real trees of synthesised media files.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

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

std::string scan_summary(int added, int updated, int removed, int unchanged, int no_info,
                         int errors, int dirs)
{
	char buf[1024];
	snprintf(buf, sizeof buf,
	         "--------------------------------------------------\n"
	         "Results of scanning directories...\n"
	         "(+) %9d files added\n"
	         "(u) %9d files updated\n"
	         "(-) %9d files removed (was in DB, but no longer has meta-info)\n"
	         "(.) %9d files skipped (in DB, file unchanged since last checked)\n"
	         "(s) %9d files skipped (no info)\n"
	         "(?) %9d files skipped (other error)\n"
	         "    %9d directories skipped (couldn't read)\n",
	         added, updated, removed, unchanged, no_info, errors, dirs);
	return buf;
}

std::string update_summary(int urls, int updated, int vanished, int lost, int unchanged, int errors)
{
	char buf[1024];
	snprintf(buf, sizeof buf,
	         "--------------------------------------------------\n"
	         "Results of updating database...\n"
	         "(s) %9d url's skipped\n"
	         "(u) %9d files updated\n"
	         "(x) %9d files removed (file no longer exists)\n"
	         "(-) %9d files removed (meta-info gone)\n"
	         "(.) %9d files skipped (file unchanged since last checked)\n"
	         "(?) %9d files with errors (couldn't stat, but kept)\n",
	         urls, updated, vanished, lost, unchanged, errors);
	return buf;
}

const std::string ADD_INTRO = "Loading existing database...\n"
                              "Scanning directories for files to add to database...\n";
const std::string UPDATE_INTRO = "Loading existing database...\n"
                                 "Updating existing database...\n";

// The progress lines of a scan or update, in the walk's order, and the
// summary block after them.
struct report {
	std::vector<std::string> lines;
	std::string summary;
};

report split_report(const std::string &out, const std::string &intro)
{
	report r;
	EXPECT_EQ(out.substr(0, intro.size()), intro);
	size_t rule = out.find("-----");
	if (rule == std::string::npos) {
		ADD_FAILURE() << "no summary in:\n" << out;
		return r;
	}
	r.lines = lines_of(out.substr(intro.size(), rule - intro.size()));
	r.summary = out.substr(rule);
	return r;
}

std::vector<std::string> sorted(std::vector<std::string> v)
{
	std::sort(v.begin(), v.end());
	return v;
}

// The records of a database file, which must be the header followed by
// whole records and nothing else.
std::vector<meta_info> db_records(const std::string &path)
{
	std::vector<meta_info> records;
	FILE *f = fopen(path.c_str(), "r");
	if (f == nullptr) {
		ADD_FAILURE() << "cannot open " << path;
		return records;
	}
	std::string header(19, '\0');
	EXPECT_EQ(fread(header.data(), 1, 19, f), 19u);
	EXPECT_EQ(header, db_bytes({}));
	for (int c; (c = getc(f)) != EOF;) {
		ungetc(c, f);
		meta_info mi;
		mi_fread(mi, f);
		if (feof(f)) {
			ADD_FAILURE() << path << " ends inside a record";
			break;
		}
		records.push_back(mi);
	}
	fclose(f);
	return records;
}

const meta_info *find(const std::vector<meta_info> &records, const std::string &filename)
{
	for (const meta_info &mi : records)
		if (mi.filename == filename)
			return &mi;
	return nullptr;
}

// Every field of each record, in file name order.
std::vector<std::string> describe(const std::vector<meta_info> &records)
{
	std::vector<std::string> all;
	for (const meta_info &mi : records) {
		std::string d = mi.filename.value_or("(absent)");
		for (const auto &text : mi.cinfo)
			d += "|" + text.value_or("(absent)");
		d += "|" + std::to_string(mi.length) + "|" + std::to_string(mi.last_updated) + "|" +
		     std::to_string(mi.is_url);
		all.push_back(d);
	}
	return sorted(all);
}

void write_db(const std::string &path, const std::vector<const meta_info *> &records)
{
	write_file(path, db_bytes(records));
}

class Scan : public testing::Test
{
protected:
	void SetUp() override { ASSERT_EQ(mkdir(music.c_str(), 0755), 0); }

	run_result add(const std::vector<std::string> &paths) const
	{
		std::vector<std::string> args = { "-e", "add" };
		args.insert(args.end(), paths.begin(), paths.end());
		return home.run(args);
	}
	run_result update(bool show_skipped = false) const
	{
		if (show_skipped)
			return home.run({ "-e", "update", "-s" });
		return home.run({ "-e", "update" });
	}
	std::string m(const std::string &rel) const { return music + "/" + rel; }

	korvane_home home;
	std::string music = home / "music";
};

TEST_F(Scan, first_scan_adds_media_and_second_scan_leaves_them)
{
	mkdir(m("sub").c_str(), 0755);
	mkdir(m("sub/empty").c_str(), 0755);
	make_media(m("a.mp3"), { "Ann", "First", "Alpha", "Rock", "hi", 3, 1999 });
	make_media(m("b.ogg"), { "Bob", "Second", "Beta", "", "", 0, 0 });
	make_media(m("sub/c.flac"), { "Cy", "Third", "Gamma", "", "", 12, 2001 }, 2.0);
	write_file(m("notes.txt"), "not a song\n");

	run_result r = add({ music });
	ASSERT_EQ(r.status, 0) << r.err;
	EXPECT_EQ(r.err, "");
	report rep = split_report(r.out, ADD_INTRO);
	ASSERT_FALSE(rep.lines.empty());
	EXPECT_EQ(rep.lines[0], "Checking Directory: " + music);
	EXPECT_EQ(sorted(rep.lines),
	          sorted({ "Checking Directory: " + music, "Checking Directory: " + m("sub"),
	                   "Checking Directory: " + m("sub/empty"), "+ " + m("a.mp3"),
	                   "+ " + m("b.ogg"), "+ " + m("sub/c.flac"), "s " + m("notes.txt") }));
	auto sub = std::find(rep.lines.begin(), rep.lines.end(), "Checking Directory: " + m("sub"));
	auto c = std::find(rep.lines.begin(), rep.lines.end(), "+ " + m("sub/c.flac"));
	EXPECT_LT(sub, c);
	EXPECT_EQ(rep.summary, "--------------------------------------------------\n"
	                       "Results of scanning directories...\n"
	                       "(+)         3 files added\n"
	                       "(u)         0 files updated\n"
	                       "(-)         0 files removed (was in DB, but no longer has "
	                       "meta-info)\n"
	                       "(.)         0 files skipped (in DB, file unchanged since last "
	                       "checked)\n"
	                       "(s)         1 files skipped (no info)\n"
	                       "(?)         0 files skipped (other error)\n"
	                       "            0 directories skipped (couldn't read)\n");

	auto records = db_records(home.db());
	ASSERT_EQ(records.size(), 3u);
	const meta_info *a = find(records, resolved(m("a.mp3")));
	ASSERT_NE(a, nullptr);
	EXPECT_EQ(a->cinfo[CINFO_ARTIST], "Ann");
	EXPECT_EQ(a->cinfo[CINFO_TRACK], "  3");
	EXPECT_EQ(a->cinfo[CINFO_YEAR], "1999");
	EXPECT_EQ(a->cinfo[CINFO_LENGTH], "1s");
	const meta_info *cf = find(records, resolved(m("sub/c.flac")));
	ASSERT_NE(cf, nullptr);
	EXPECT_EQ(cf->cinfo[CINFO_TITLE], "Gamma");
	EXPECT_EQ(cf->length, 2);
	EXPECT_NE(find(records, resolved(m("b.ogg"))), nullptr);

	auto before = describe(records);
	r = add({ music });
	ASSERT_EQ(r.status, 0) << r.err;
	rep = split_report(r.out, ADD_INTRO);
	EXPECT_EQ(sorted(rep.lines),
	          sorted({ "Checking Directory: " + music, "Checking Directory: " + m("sub"),
	                   "Checking Directory: " + m("sub/empty"), ". " + m("a.mp3"),
	                   ". " + m("b.ogg"), ". " + m("sub/c.flac"), "s " + m("notes.txt") }));
	EXPECT_EQ(rep.summary, scan_summary(0, 0, 0, 3, 1, 0, 0));
	EXPECT_EQ(describe(db_records(home.db())), before);
}

TEST_F(Scan, single_file_and_missing_paths)
{
	make_media(m("one.ogg"), { "A", "B", "C", "", "", 0, 0 });
	run_result r = add({ m("one.ogg"), m("nothere"), m("one.ogg/inside") });
	// The scan goes on past the paths that do not exist; the status tells.
	EXPECT_EQ(r.status, 1) << r.err;
	EXPECT_EQ(r.out, ADD_INTRO + "+ " + m("one.ogg") + "\n? " + m("nothere") + "\n? " +
	                         m("one.ogg/inside") + "\n" + scan_summary(1, 0, 0, 0, 0, 2, 0));
	EXPECT_EQ(db_records(home.db()).size(), 1u);
}

TEST_F(Scan, path_given_twice_is_added_once)
{
	make_media(m("x.ogg"), { "X", "", "", "", "", 0, 0 });
	make_media(m("y.mp3"), { "Y", "", "", "", "", 0, 0 });
	run_result r = add({ m("x.ogg"), music, m("x.ogg") });
	ASSERT_EQ(r.status, 0) << r.err;
	report rep = split_report(r.out, ADD_INTRO);
	ASSERT_EQ(rep.lines.size(), 5u);
	EXPECT_EQ(rep.lines[0], "+ " + m("x.ogg"));
	EXPECT_EQ(rep.lines[1], "Checking Directory: " + music);
	EXPECT_EQ(sorted({ rep.lines[2], rep.lines[3] }),
	          sorted({ ". " + m("x.ogg"), "+ " + m("y.mp3") }));
	EXPECT_EQ(rep.lines[4], ". " + m("x.ogg"));
	EXPECT_EQ(rep.summary, scan_summary(2, 0, 0, 2, 0, 0, 0));
	EXPECT_EQ(db_records(home.db()).size(), 2u);
}

TEST_F(Scan, modified_files_are_extracted_again_or_dropped)
{
	make_media(m("keep.ogg"), { "Old", "", "Old title", "", "", 0, 0 });
	make_media(m("lose.ogg"), { "Gone", "", "", "", "", 0, 0 });
	make_media(m("same.ogg"), { "Same", "", "", "", "", 0, 0 });
	ASSERT_EQ(add({ music }).status, 0);

	make_media(m("keep.ogg"), { "New", "", "New title", "", "", 0, 0 });
	write_file(m("lose.ogg"), "no longer audio");
	time_t later = time(nullptr) + 1000;
	set_mtime(m("keep.ogg"), later);
	set_mtime(m("lose.ogg"), later);

	run_result r = add({ m("lose.ogg"), m("keep.ogg"), m("same.ogg") });
	ASSERT_EQ(r.status, 0) << r.err;
	EXPECT_EQ(r.out, ADD_INTRO + "- " + m("lose.ogg") + "\nu " + m("keep.ogg") + "\n. " +
	                         m("same.ogg") + "\n" + scan_summary(0, 1, 1, 1, 0, 0, 0));

	auto records = db_records(home.db());
	ASSERT_EQ(records.size(), 2u);
	EXPECT_EQ(find(records, resolved(m("lose.ogg"))), nullptr);
	const meta_info *keep = find(records, resolved(m("keep.ogg")));
	ASSERT_NE(keep, nullptr);
	EXPECT_EQ(keep->cinfo[CINFO_TITLE], "New title");
	EXPECT_GT(later, keep->last_updated);
	EXPECT_EQ(find(records, resolved(m("same.ogg")))->cinfo[CINFO_ARTIST], "Same");
}

TEST_F(Scan, lookups_stay_right_after_removals_and_additions)
{
	// Four records in the database; one is dropped early in the walk, which
	// moves the later ones, then the others are looked up again.
	for (const char *name : { "a.ogg", "b.ogg", "c.ogg", "d.ogg" })
		make_media(m(name), { name, "", "old", "", "", 0, 0 });
	ASSERT_EQ(add({ music }).status, 0);

	time_t later = time(nullptr) + 1000;
	write_file(m("b.ogg"), "text now");
	set_mtime(m("b.ogg"), later);
	make_media(m("c.ogg"), { "c.ogg", "", "new", "", "", 0, 0 });
	set_mtime(m("c.ogg"), later);
	make_media(m("e.ogg"), { "e.ogg", "", "fresh", "", "", 0, 0 });

	run_result r = add({ m("b.ogg"), m("d.ogg"), m("c.ogg"), m("e.ogg"), m("c.ogg"), m("e.ogg"),
	                     m("d.ogg"), m("a.ogg") });
	ASSERT_EQ(r.status, 0) << r.err;
	report rep = split_report(r.out, ADD_INTRO);
	EXPECT_EQ(rep.lines, (std::vector<std::string>{ "- " + m("b.ogg"), ". " + m("d.ogg"),
	                                                "u " + m("c.ogg"), "+ " + m("e.ogg"),
	                                                "u " + m("c.ogg"), ". " + m("e.ogg"),
	                                                ". " + m("d.ogg"), ". " + m("a.ogg") }));

	auto records = db_records(home.db());
	std::vector<std::string> got;
	for (const meta_info &mi : records)
		got.push_back(mi.filename.value_or("") + " " + mi.cinfo[CINFO_TITLE].value_or(""));
	EXPECT_EQ(sorted(got), (std::vector<std::string>{ resolved(m("a.ogg")) + " old",
	                                                  resolved(m("c.ogg")) + " new",
	                                                  resolved(m("d.ogg")) + " old",
	                                                  resolved(m("e.ogg")) + " fresh" }));
}

TEST_F(Scan, many_removals_appends_and_replacements_in_one_walk)
{
	// Each file's title is its own name, so a record put in the wrong place
	// shows up as a file with another file's title.
	auto name = [](const char *prefix, int i) { return prefix + std::to_string(i) + ".ogg"; };
	for (int i = 0; i < 40; i++)
		make_media(m(name("old", i)), { "", "", name("old", i), "", "", 0, 0 });
	ASSERT_EQ(add({ music }).status, 0);

	time_t later = time(nullptr) + 1000;
	for (int i = 0; i < 40; i++) {
		if (i % 4 == 1)
			write_file(m(name("old", i)), "not audio any more");
		else
			make_media(m(name("old", i)),
			           { "", "", name("old", i) + " v2", "", "", 0, 0 });
		set_mtime(m(name("old", i)), later);
	}
	for (int i = 0; i < 30; i++) {
		make_media(m(name("new", i)), { "", "", name("new", i), "", "", 0, 0 });
		set_mtime(m(name("new", i)), later);
	}

	// The second walk finds every record the first one changed or added.
	run_result r = add({ music, music });
	ASSERT_EQ(r.status, 0) << r.err;
	EXPECT_EQ(split_report(r.out, ADD_INTRO).summary,
	          scan_summary(30, 30 + 30 + 30, 10, 0, 10, 0, 0));

	std::vector<std::string> want;
	for (int i = 0; i < 40; i++)
		if (i % 4 != 1)
			want.push_back(resolved(m(name("old", i))) + " " + name("old", i) + " v2");
	for (int i = 0; i < 30; i++)
		want.push_back(resolved(m(name("new", i))) + " " + name("new", i));
	std::vector<std::string> got;
	for (const meta_info &mi : db_records(home.db()))
		got.push_back(mi.filename.value_or("") + " " + mi.cinfo[CINFO_TITLE].value_or(""));
	EXPECT_EQ(sorted(got), sorted(want));
}

TEST_F(Scan, duplicate_records_are_found_one_after_the_other)
{
	// A database written by hand may hold one file name twice. Each lookup
	// finds the last record of that name, and after it is dropped, the one
	// before it.
	write_file(m("twice.ogg"), "not audio");
	std::string twice = resolved(m("twice.ogg"));
	mi_ptr first = make_record(twice, { "first" }, 1, 0);
	mi_ptr second = make_record(twice, { "second" }, 1, 0);
	mi_ptr other = make_record(resolved(music) + "/zz.ogg", { "other" }, 1, 0);
	write_db(home.db(), { first.get(), other.get(), second.get() });

	run_result r = add({ m("twice.ogg"), m("twice.ogg"), m("twice.ogg") });
	ASSERT_EQ(r.status, 0) << r.err;
	EXPECT_EQ(split_report(r.out, ADD_INTRO).lines,
	          (std::vector<std::string>{ "- " + m("twice.ogg"), "- " + m("twice.ogg"),
	                                     "s " + m("twice.ogg") }));
	auto records = db_records(home.db());
	ASSERT_EQ(records.size(), 1u);
	EXPECT_EQ(records[0].cinfo[CINFO_ARTIST], "other");
}

TEST_F(Scan, refresh_needs_a_modification_time_strictly_later)
{
	make_media(m("t.ogg"), { "Before", "", "", "", "", 0, 0 });
	ASSERT_EQ(add({ m("t.ogg") }).status, 0);
	int64_t extracted = db_records(home.db()).at(0).last_updated;

	make_media(m("t.ogg"), { "After", "", "", "", "", 0, 0 });
	struct {
		int64_t mtime;
		char verdict;
	} cases[] = { { extracted - 5, '.' }, { extracted, '.' }, { extracted + 1, 'u' } };
	for (const auto &c : cases) {
		set_mtime(m("t.ogg"), c.mtime);
		run_result r = add({ m("t.ogg") });
		ASSERT_EQ(r.status, 0) << r.err;
		EXPECT_EQ(split_report(r.out, ADD_INTRO).lines,
		          std::vector<std::string>{ std::string(1, c.verdict) + " " + m("t.ogg") })
		        << "mtime " << c.mtime - extracted << " s after the extraction";
	}
	EXPECT_EQ(db_records(home.db()).at(0).cinfo[CINFO_ARTIST], "After");
}

TEST_F(Scan, symlinks_loops_and_dangling_links)
{
	temp_dir elsewhere;
	make_media(elsewhere / "outside.ogg", { "Out", "", "", "", "", 0, 0 });
	mkdir((elsewhere / "far").c_str(), 0755);
	make_media(elsewhere / "far/deep.mp3", { "Deep", "", "", "", "", 0, 0 });
	make_media(m("real.ogg"), { "Real", "", "", "", "", 0, 0 });
	symlink((elsewhere / "outside.ogg").c_str(), m("to-outside.ogg").c_str());
	symlink((elsewhere / "far").c_str(), m("to-far").c_str());
	symlink("real.ogg", m("alias.ogg").c_str());
	mkdir(m("sub").c_str(), 0755);
	symlink(".", m("self-dir").c_str());
	symlink("..", m("sub/up").c_str());
	symlink("loop", m("loop").c_str());
	symlink("nowhere.ogg", m("dangling.ogg").c_str());

	run_result r = add({ music });
	ASSERT_EQ(r.status, 0) << r.err;
	report rep = split_report(r.out, ADD_INTRO);
	// real.ogg and alias.ogg are one file: whichever comes second is known.
	std::vector<std::string> lines = rep.lines;
	auto first_real = std::find_if(lines.begin(), lines.end(), [&](const std::string &l) {
		return l == "+ " + m("real.ogg") || l == "+ " + m("alias.ogg");
	});
	ASSERT_NE(first_real, lines.end());
	std::string second_real =
	        *first_real == "+ " + m("real.ogg") ? ". " + m("alias.ogg") : ". " + m("real.ogg");
	EXPECT_EQ(sorted(lines),
	          sorted({ "Checking Directory: " + music, "Checking Directory: " + m("sub"),
	                   "+ " + m("to-outside.ogg"), "Checking Directory: " + m("to-far"),
	                   "+ " + m("to-far/deep.mp3"), *first_real, second_real }));
	EXPECT_EQ(rep.summary, scan_summary(3, 0, 0, 1, 0, 0, 0));

	auto records = db_records(home.db());
	ASSERT_EQ(records.size(), 3u);
	EXPECT_NE(find(records, resolved(elsewhere / "outside.ogg")), nullptr);
	EXPECT_NE(find(records, resolved(elsewhere / "far/deep.mp3")), nullptr);
	EXPECT_NE(find(records, resolved(m("real.ogg"))), nullptr);
}

TEST_F(Scan, odd_file_names_are_printed_and_stored_as_bytes)
{
	const std::string names[] = { "quote\"s 'and' more.ogg", "  blanks  .ogg",
		                      "caf\xe9 \xff\x80.ogg", "tab\there.ogg" };
	for (const auto &name : names)
		make_media(m(name), { "Odd", "", "", "", "", 0, 0 });

	run_result r = add({ music });
	ASSERT_EQ(r.status, 0) << r.err;
	EXPECT_EQ(r.err, "");
	for (const auto &name : names)
		EXPECT_NE(r.out.find("\n+ " + m(name) + "\n"), std::string::npos) << name;
	EXPECT_EQ(split_report(r.out, ADD_INTRO).summary, scan_summary(4, 0, 0, 0, 0, 0, 0));

	auto records = db_records(home.db());
	ASSERT_EQ(records.size(), 4u);
	for (const auto &name : names)
		EXPECT_NE(find(records, resolved(music) + "/" + name), nullptr) << name;

	r = add({ music });
	for (const auto &name : names)
		EXPECT_NE(r.out.find("\n. " + m(name) + "\n"), std::string::npos) << name;
	EXPECT_EQ(split_report(r.out, ADD_INTRO).summary, scan_summary(0, 0, 0, 4, 0, 0, 0));
}

// One name a line: a playlist file cannot hold a name with a line break, so
// such a file never enters the database; a warning names it, escaped.
TEST_F(Scan, file_names_with_line_breaks_are_skipped_with_a_warning)
{
	make_media(m("fine.ogg"));
	for (const char *name : { "new\nline.ogg", "carriage\rreturn.ogg" })
		make_media(m(name));

	run_result r = add({ music });
	ASSERT_EQ(r.status, 0) << r.err;
	report rep = split_report(r.out, ADD_INTRO);
	EXPECT_EQ(sorted(rep.lines),
	          sorted({ "Checking Directory: " + music, "+ " + m("fine.ogg") }));
	EXPECT_EQ(rep.summary, scan_summary(1, 0, 0, 0, 0, 2, 0));
	EXPECT_EQ(sorted(lines_of(r.err)),
	          sorted({ "korvane: skipping '" + m("new\\nline.ogg") +
	                           "': a file name with a line break cannot be kept in a playlist",
	                   "korvane: skipping '" + m("carriage\\rreturn.ogg") +
	                           "': a file name with a line break cannot be kept in a "
	                           "playlist" }));
	auto records = db_records(home.db());
	ASSERT_EQ(records.size(), 1u);
	EXPECT_EQ(records[0].filename, resolved(m("fine.ogg")));
}

TEST_F(Scan, hostile_tags_are_stored_sanitised)
{
	// Vorbis comments are UTF-8; TagLib hands them out in Latin-1, so
	// U+0080 to U+00FF arrive as single bytes 0x80 to 0xFF.
	std::string title = "A\tB\nC\x1b[2J\x1b]0;owned\x07 caf\u00e9 \u00ff\u0080\x7f end";
	std::string comment;
	while (comment.size() < 70000)
		comment += "\x1b[31mred\x1b[0m \x01 ";
	comment.resize(70000);
	make_media(m("hostile.ogg"),
	           { "\x01\x02 Artist", "Alb\x7fum", title, "G\x1b", comment, 0, 0 });
	make_media(m("hostile.mp3"), { "Esc\x1b[5mblink", "", "Bell\x07", "", "", 0, 0 });

	run_result r = add({ m("hostile.ogg"), m("hostile.mp3") });
	ASSERT_EQ(r.status, 0) << r.err;
	EXPECT_EQ(r.out, ADD_INTRO + "+ " + m("hostile.ogg") + "\n+ " + m("hostile.mp3") + "\n" +
	                         scan_summary(2, 0, 0, 0, 0, 0, 0));

	auto records = db_records(home.db());
	ASSERT_EQ(records.size(), 2u);
	const meta_info *ogg = find(records, resolved(m("hostile.ogg")));
	ASSERT_NE(ogg, nullptr);
	EXPECT_EQ(ogg->cinfo[CINFO_ARTIST], "?? Artist");
	EXPECT_EQ(ogg->cinfo[CINFO_ALBUM], "Alb?um");
	EXPECT_EQ(ogg->cinfo[CINFO_TITLE], "A?B?C?[2J?]0;owned? caf? ??? end");
	EXPECT_EQ(ogg->cinfo[CINFO_GENRE], "G?");
	ASSERT_TRUE(ogg->cinfo[CINFO_COMMENT]);
	const std::string &stored = *ogg->cinfo[CINFO_COMMENT];
	EXPECT_EQ(stored.size(), 65535u);
	EXPECT_EQ(stored.substr(0, 15), "?[31mred?[0m ? ");
	EXPECT_EQ(std::count_if(stored.begin(), stored.end(),
	                        [](char c) { return c < 0x20 || c > 0x7e; }),
	          0);
	const meta_info *mp3 = find(records, resolved(m("hostile.mp3")));
	ASSERT_NE(mp3, nullptr);
	EXPECT_EQ(mp3->cinfo[CINFO_ARTIST], "Esc?[5mblink");
	EXPECT_EQ(mp3->cinfo[CINFO_TITLE], "Bell?");

	r = home.run({ "-e", "flush" });
	EXPECT_EQ(r.status, 0) << r.err;
	EXPECT_EQ(lines_of(r.out).size(), 3u);
}

// Runs as the unprivileged user nobody, for whom permissions count.
run_result run_as_nobody(const korvane_home &home, const std::vector<std::string> &args)
{
	run_options opts;
	opts.home = home.path();
	opts.as_nobody = true;
	if (geteuid() == 0)
		run_program("chown", { "-R", "65534:65534", home.path() });
	return run_korvane(args, opts);
}

TEST_F(Scan, unreadable_directories_and_entries_that_cannot_be_stated)
{
	mkdir(m("locked").c_str(), 0755);
	mkdir(m("listonly").c_str(), 0755);
	make_media(m("locked/hidden.ogg"));
	make_media(m("listonly/seen.ogg"));
	make_media(m("fine.ogg"));

	if (geteuid() == 0)
		run_program("chown", { "-R", "65534:65534", home.path() });
	chmod(m("locked").c_str(), 0);
	chmod(m("listonly").c_str(), 0444);

	run_result r = run_as_nobody(home, { "-e", "add", music });
	ASSERT_EQ(r.status, 0) << r.err;
	report rep = split_report(r.out, ADD_INTRO);
	EXPECT_EQ(sorted(rep.lines),
	          sorted({ "Checking Directory: " + music, "Checking Directory: " + m("locked"),
	                   "Directory '" + m("locked") + "' Unreadable",
	                   "Checking Directory: " + m("listonly"), "? " + m("listonly/seen.ogg"),
	                   "+ " + m("fine.ogg") }));
	auto locked =
	        std::find(rep.lines.begin(), rep.lines.end(), "Checking Directory: " + m("locked"));
	ASSERT_NE(locked, rep.lines.end());
	ASSERT_NE(locked + 1, rep.lines.end());
	EXPECT_EQ(locked[1], "Directory '" + m("locked") + "' Unreadable");
	EXPECT_EQ(rep.summary, scan_summary(1, 0, 0, 0, 0, 1, 1));
	EXPECT_EQ(db_records(home.db()).size(), 1u);
}

TEST_F(Scan, file_whose_path_can_no_longer_be_resolved_is_reported_and_scan_goes_on)
{
	// Below a working directory whose absolute name is longer than PATH_MAX
	// the walk still finds and stats files by their short relative paths,
	// but realpath can no longer name them, just as for a file that
	// vanished after the walk saw it.
	std::string deep = home / "deep";
	ASSERT_EQ(mkdir(deep.c_str(), 0755), 0);
	const std::string step(200, 'd');
	const int steps = PATH_MAX / 200 + 1;
	make_media(m("short.ogg"), { "Short", "", "", "", "", 0, 0 });
	std::string song = read_file(m("short.ogg"));

	int fd = open(deep.c_str(), O_DIRECTORY);
	for (int i = 0; i < steps; i++) {
		ASSERT_EQ(mkdirat(fd, step.c_str(), 0755), 0);
		int next = openat(fd, step.c_str(), O_DIRECTORY);
		close(fd);
		fd = next;
	}
	int out = openat(fd, "far.ogg", O_WRONLY | O_CREAT, 0644);
	ASSERT_EQ(write(out, song.data(), song.size()), static_cast<ssize_t>(song.size()));
	close(out);
	close(fd);

	run_options opts;
	opts.home = home.path();
	opts.cwd = deep;
	opts.in_child = [step, steps] {
		for (int i = 0; i < steps; i++)
			if (chdir(step.c_str()) == -1)
				_exit(125);
	};
	run_result r = run_korvane({ "-e", "add", "far.ogg", ".", m("short.ogg") }, opts);
	ASSERT_EQ(r.status, 0) << r.err;
	EXPECT_EQ(r.err, "");
	EXPECT_EQ(r.out, ADD_INTRO + "? far.ogg\nChecking Directory: .\n? ./far.ogg\n+ " +
	                         m("short.ogg") + "\n" + scan_summary(1, 0, 0, 0, 0, 2, 0));
	auto records = db_records(home.db());
	ASSERT_EQ(records.size(), 1u);
	EXPECT_EQ(records[0].filename, resolved(m("short.ogg")));
}

TEST_F(Scan, update_checks_every_record_in_library_order)
{
	// Library order after loading is file name order: a, b, c, d, e.
	for (const char *name : { "a.ogg", "b.ogg", "c.ogg", "d.ogg", "e.ogg" })
		make_media(m(name), { name, "", "old", "", "", 0, 0 });
	ASSERT_EQ(add({ music }).status, 0);

	time_t later = time(nullptr) + 1000;
	unlink(m("a.ogg").c_str());
	unlink(m("b.ogg").c_str());
	write_file(m("c.ogg"), "lost its tags");
	set_mtime(m("c.ogg"), later);
	make_media(m("d.ogg"), { "d.ogg", "", "new", "", "", 0, 0 });
	set_mtime(m("d.ogg"), later);

	std::string a = resolved(music) + "/a.ogg", b = resolved(music) + "/b.ogg";
	std::string c = resolved(m("c.ogg")), d = resolved(m("d.ogg")), e = resolved(m("e.ogg"));
	run_result r = update(true);
	ASSERT_EQ(r.status, 0) << r.err;
	EXPECT_EQ(r.out, UPDATE_INTRO + "x " + a + "\nx " + b + "\n- " + c + "\nu " + d + "\n. " +
	                         e + "\n" + update_summary(0, 1, 2, 1, 1, 0));

	auto records = db_records(home.db());
	ASSERT_EQ(records.size(), 2u);
	EXPECT_EQ(find(records, d)->cinfo[CINFO_TITLE], "new");
	EXPECT_EQ(find(records, e)->cinfo[CINFO_TITLE], "old");

	// Without -s the unchanged files are only counted; d's mtime is still
	// ahead of its extraction.
	r = update();
	ASSERT_EQ(r.status, 0) << r.err;
	EXPECT_EQ(r.out, UPDATE_INTRO + "u " + d + "\n" + update_summary(0, 1, 0, 0, 1, 0));
}

TEST_F(Scan, update_skips_urls_and_keeps_what_it_cannot_examine)
{
	make_media(m("song.ogg"));
	std::string song = resolved(m("song.ogg"));
	time_t future = time(nullptr) + 100000;
	mi_ptr url = make_record("http://radio.example/stream", { "Radio" }, 0, 0, true);
	mi_ptr url_like_file = make_record(music + "/missing.ogg", {}, 0, 0, true);
	mi_ptr not_a_dir = make_record(song + "/inside.ogg", { "kept" }, 1, 0);
	mi_ptr fine = make_record(song, { "Fine" }, 1, future);
	write_db(home.db(), { url.get(), url_like_file.get(), not_a_dir.get(), fine.get() });

	run_result r = update(true);
	ASSERT_EQ(r.status, 0) << r.err;
	// Loading sorts by file name: "/tmp/..." names before "http:".
	EXPECT_EQ(r.out, UPDATE_INTRO + "s " + music + "/missing.ogg\n. " + song + "\n? " + song +
	                         "/inside.ogg\ns http://radio.example/stream\n" +
	                         update_summary(2, 0, 0, 0, 1, 1));
	auto records = db_records(home.db());
	EXPECT_EQ(records.size(), 4u);
	ASSERT_NE(find(records, song + "/inside.ogg"), nullptr);
	EXPECT_EQ(find(records, song + "/inside.ogg")->cinfo[CINFO_ARTIST], "kept");
}

} // namespace
