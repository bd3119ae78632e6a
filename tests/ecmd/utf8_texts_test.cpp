// Texts in every script through the e-commands, in a UTF-8 locale and in the
// C locale, on media tagged by Debian's own taggers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness/harness.h"
#include "harness/media.h"

namespace
{

const std::pair<std::string, std::string> UTF8 = { "LANG", "C.UTF-8" };

// Artist and title texts, one case per script.
struct script_case {
	const char *name;
	std::string artist, title;
};

const script_case SCRIPTS[] = {
	{ "latin", "Björk Guðmundsdóttir", "Sigur Rós — Ágætis byrjun" },
	{ "cyrillic", "Мумий Тролль", "Владивосток 2000" },
	{ "greek", "Ελληνικά", "Σίσυφος" },
	{ "arabic", "فيروز", "نسم علينا الهوى" },
	{ "japanese", "坂本龍一", "戦場のメリークリスマス 一" },
	{ "korean", "한국어", "아리랑" },
	{ "emoji", "😀 Party", "🎉👩\xe2\x80\x8d💻 ❤\xef\xb8\x8f" },
	{ "combining", "Ro\xcc\x81s", "e\xcc\x88\xcc\x81 a\xcc\x8a" },
};

const char *const FORMATS[] = { "flac", "ogg", "mp3" };

run_result run_in(const korvane_home &home, const std::vector<std::string> &args,
                  bool utf8 = true, const std::string &input = "")
{
	run_options opts;
	opts.home = home.path();
	opts.input = input;
	if (utf8)
		opts.env.push_back(UTF8);
	return run_korvane(args, opts);
}

// Sets artist and title with the format's own tagger, UTF-8 taken as given.
void tag_with_tagger(const std::string &path, const std::string &format,
                     const std::string &artist, const std::string &title)
{
	run_options opts;
	opts.env.push_back(UTF8);
	run_result r;
	if (format == "flac")
		r = run_program("metaflac", { "--no-utf8-convert", "--remove-all-tags",
		                              "--set-tag=ARTIST=" + artist, "--set-tag=TITLE=" + title,
		                              path },
		                opts);
	else if (format == "ogg")
		r = run_program("vorbiscomment",
		                { "-R", "-w", "-t", "ARTIST=" + artist, "-t", "TITLE=" + title, path },
		                opts);
	else
		r = run_program("mid3v2", { "-a", artist, "-t", title, path }, opts);
	ASSERT_EQ(r.status, 0) << format << ": " << r.err;
}

// The artist as the format's tagger reads it back.
std::string artist_by_tagger(const std::string &path, const std::string &format)
{
	run_options opts;
	opts.env.push_back(UTF8);
	std::string prefix;
	run_result r;
	if (format == "flac") {
		r = run_program("metaflac", { "--no-utf8-convert", "--show-tag=ARTIST", path }, opts);
		prefix = "ARTIST=";
	} else if (format == "ogg") {
		r = run_program("vorbiscomment", { "-R", "-l", path }, opts);
		prefix = "ARTIST=";
	} else {
		r = run_program("mid3v2", { "-l", path }, opts);
		prefix = "TPE1=";
	}
	for (const std::string &line : lines_of(r.out))
		if (line.rfind(prefix, 0) == 0)
			return line.substr(prefix.size());
	return "(none)";
}

// The flush line of the record of path.
std::string flush_line(const std::string &flush, const std::string &path)
{
	for (const std::string &line : lines_of(flush))
		if (line.rfind(path + ", ", 0) == 0)
			return line;
	return "";
}

class Utf8Texts : public testing::Test
{
protected:
	korvane_home home;
	temp_dir music;

	// One file of each format for each script, tagged by the taggers.
	std::vector<std::string> make_library()
	{
		std::vector<std::string> paths;
		for (const script_case &s : SCRIPTS)
			for (const char *format : FORMATS) {
				const std::string path =
				        music / (std::string(s.name) + "." + format);
				make_media(path);
				tag_with_tagger(path, format, s.artist, s.title);
				paths.push_back(path);
			}
		return paths;
	}
};

TEST_F(Utf8Texts, AddThenFlushGivesTheExactTexts)
{
	make_library();
	ASSERT_EQ(run_in(home, { "-e", "add", music.path() }).status, 0);
	const std::string flush = run_in(home, { "-e", "flush" }).out;
	for (const script_case &s : SCRIPTS)
		for (const char *format : FORMATS) {
			SCOPED_TRACE(std::string(s.name) + "." + format);
			const std::string path = music / (std::string(s.name) + "." + format);
			const std::string line = flush_line(flush, path);
			EXPECT_EQ(line.rfind(path + ", \"" + s.artist + "\", ", 0), 0u) << line;
			EXPECT_NE(line.find(", \"" + s.title + "\", "), std::string::npos) << line;
		}
}

TEST_F(Utf8Texts, TagWritesTheTextsTheTaggersReadBack)
{
	for (const script_case &s : SCRIPTS)
		for (const char *format : FORMATS) {
			SCOPED_TRACE(std::string(s.name) + "." + format);
			const std::string path = music / (std::string(s.name) + "." + format);
			make_media(path);
			run_result r = run_in(home, { "-e", "tag", "-a", s.artist, "-t", s.title, path });
			ASSERT_EQ(r.status, 0) << r.err;
			EXPECT_NE(r.out.find("    artist => '" + s.artist + "'\n"), std::string::npos);
			EXPECT_EQ(artist_by_tagger(path, format), s.artist);
			r = run_in(home, { "-e", "check", "-r", path });
			EXPECT_NE(r.out.find("\t     Title: '" + s.title + "'\n"), std::string::npos)
			        << r.out;
		}
}

// What a terminal could act on becomes '?' in the database; the raw texts
// are shown as the file has them.
TEST_F(Utf8Texts, HostileTagsAreSanitizedAndTheRestKept)
{
	struct {
		const char *what;
		std::string text, sanitized;
	} cases[] = {
		{ "ESC sequences", "\x1b[31mred\x1b]0;owned\x07", "?[31mred?]0;owned?" },
		{ "C1 CSI", "a\xc2\x9b" "2Jb", "a?2Jb" },
		{ "right-to-left override", "\xe2\x80\xae" "evil.exe", "?evil.exe" },
		{ "isolate", "x\xe2\x81\xa6y\xe2\x81\xa9", "x?y?" },
		{ "tab and DEL", "a\tb\x7f" "c", "a?b?c" },
		{ "kept", "Björk 坂本龍一 😀", "Björk 坂本龍一 😀" },
	};
	int n = 0;
	for (const auto &c : cases) {
		const std::string path = music / ("h" + std::to_string(n++) + ".ogg");
		make_media(path);
		tag_with_tagger(path, "ogg", c.text, "t");
	}
	ASSERT_EQ(run_in(home, { "-e", "add", music.path() }).status, 0);
	const std::string flush = run_in(home, { "-e", "flush" }).out;
	n = 0;
	for (const auto &c : cases) {
		SCOPED_TRACE(c.what);
		const std::string path = music / ("h" + std::to_string(n++) + ".ogg");
		EXPECT_EQ(flush_line(flush, path).rfind(path + ", \"" + c.sanitized + "\", ", 0), 0u)
		        << flush_line(flush, path);
		run_result r = run_in(home, { "-e", "check", "-rs", path });
		EXPECT_NE(r.out.find("\t    Artist: '" + c.text + "'\n"), std::string::npos);
		EXPECT_NE(r.out.find("\t    Artist: '" + c.sanitized + "'\n"), std::string::npos);
	}
}

// Without a UTF-8 locale texts come from TagLib in Latin-1 and every byte
// beyond ASCII is '?'; update -f in a UTF-8 locale then reads them again.
TEST_F(Utf8Texts, TheCLocaleKeepsASCIIAndUpdateDashFReadsTheTextsAgain)
{
	const std::vector<std::string> paths = make_library();
	ASSERT_EQ(run_in(home, { "-e", "add", music.path() }, false).status, 0);
	std::string flush = run_in(home, { "-e", "flush" }, false).out;
	for (char c : flush)
		ASSERT_LT(static_cast<unsigned char>(c), 0x80) << flush;
	const std::string latin = flush_line(flush, music / "latin.flac");
	EXPECT_NE(latin.find(", \"Bj?rk Gu?mundsd?ttir\", "), std::string::npos) << latin;
	EXPECT_NE(latin.find(", \"Sigur R?s ? ?g?tis byrjun\", "), std::string::npos) << latin;

	// The files are unchanged, so a plain update leaves them alone.
	run_result r = run_in(home, { "-e", "update" });
	EXPECT_NE(r.out.find("(u)         0 files updated\n"), std::string::npos) << r.out;
	EXPECT_EQ(run_in(home, { "-e", "flush" }, false).out, flush);

	r = run_in(home, { "-e", "update", "-f" });
	ASSERT_EQ(r.status, 0) << r.err;
	for (const std::string &path : paths)
		EXPECT_NE(r.out.find("u " + path + "\n"), std::string::npos) << path;
	EXPECT_NE(r.out.find("(u) " + std::string(9 - std::to_string(paths.size()).size(), ' ') +
	                     std::to_string(paths.size()) + " files updated\n"),
	          std::string::npos)
	        << r.out;
	EXPECT_NE(r.out.find("(.)         0 files skipped (file unchanged since last checked)\n"),
	          std::string::npos);
	flush = run_in(home, { "-e", "flush" }).out;
	for (const script_case &s : SCRIPTS)
		EXPECT_NE(flush_line(flush, music / (std::string(s.name) + ".mp3"))
		                  .find(", \"" + s.artist + "\", "),
		          std::string::npos)
		        << s.name;

	// With -s as well, in either order; each at most once.
	EXPECT_EQ(run_in(home, { "-e", "update", "-s", "-f" }).status, 0);
	EXPECT_EQ(run_in(home, { "-e", "update", "-f", "-s" }).status, 0);
	r = run_in(home, { "-e", "update", "-f", "-f" });
	EXPECT_EQ(r.status, 1);
	EXPECT_EQ(r.err, "korvane: usage: -e update [-s] [-f]\n");
}

TEST_F(Utf8Texts, AddurlTakesUtf8Answers)
{
	const std::string answers = "Радио Björk\n坂本龍一\n\x1b[2Jx\n\n\n\n\n\n";
	ASSERT_EQ(run_in(home, { "-e", "addurl", "http://example.com/a" }, true, answers).status, 0);
	ASSERT_EQ(run_in(home, { "-e", "addurl", "http://example.com/b" }, false, answers).status,
	          0);
	const std::string flush = run_in(home, { "-e", "flush" }).out;
	EXPECT_EQ(flush_line(flush, "http://example.com/a")
	                  .rfind("http://example.com/a, \"Радио Björk\", \"坂本龍一\", \"?[2Jx\", ", 0),
	          0u)
	        << flush;
	EXPECT_EQ(flush_line(flush, "http://example.com/b")
	                  .rfind("http://example.com/b, \"?????????? Bj??rk\", \"????????????\", "
	                         "\"?[2Jx\", ",
	                         0),
	          0u)
	        << flush;
}

} // namespace
