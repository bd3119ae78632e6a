#include "meta/mi_extract.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <ctime>
#include <ostream>

#include <gtest/gtest.h>

#include "harness/harness.h"
#include "harness/media.h"

namespace
{

// Collects what the process writes on standard output and standard error
// between construction and text().
class output_capture
{
public:
	output_capture()
	{
		fflush(stdout);
		fflush(stderr);
		file = tmpfile();
		saved_out = dup(1);
		saved_err = dup(2);
		dup2(fileno(file), 1);
		dup2(fileno(file), 2);
	}
	~output_capture()
	{
		restore();
		fclose(file);
	}
	std::string text()
	{
		restore();
		std::string all;
		rewind(file);
		char buf[4096];
		size_t n;
		while ((n = fread(buf, 1, sizeof buf, file)) > 0)
			all.append(buf, n);
		return all;
	}

private:
	void restore()
	{
		if (saved_out == -1)
			return;
		fflush(stdout);
		fflush(stderr);
		dup2(saved_out, 1);
		dup2(saved_err, 2);
		close(saved_out);
		close(saved_err);
		saved_out = saved_err = -1;
	}

	FILE *file;
	int saved_out, saved_err;
};

std::string resolved(const std::string &path)
{
	char buf[PATH_MAX];
	return realpath(path.c_str(), buf) ? buf : "";
}

std::string text(const std::optional<std::string> &t)
{
	return t ? "\"" + *t + "\"" : "(absent)";
}

struct tagged_case {
	const char *ext;
	int track, year;
	const char *track_text, *year_text; // null when the field must be absent
};

// gtest names a case by its fields rather than by its bytes.
void PrintTo(const tagged_case &c, std::ostream *os)
{
	*os << c.ext << ", track " << c.track << ", year " << c.year;
}

class MiExtractTagged : public testing::TestWithParam<tagged_case>
{
};

TEST_P(MiExtractTagged, reads_tags_track_year_and_length)
{
	const tagged_case &c = GetParam();
	temp_dir dir;
	std::string path = dir / (std::string("song.") + c.ext);
	media_tags tags{
		"The Artist", "An Album", "A Title", "Jazz", "Some words", c.track, c.year
	};
	make_media(path, tags, 2.0);

	time_t before = time(nullptr);
	mi_ptr mi = mi_extract(path);
	time_t after = time(nullptr);

	ASSERT_NE(mi, nullptr);
	EXPECT_EQ(mi->filename, resolved(path));
	EXPECT_EQ(text(mi->cinfo[CINFO_ARTIST]), "\"The Artist\"");
	EXPECT_EQ(text(mi->cinfo[CINFO_ALBUM]), "\"An Album\"");
	EXPECT_EQ(text(mi->cinfo[CINFO_TITLE]), "\"A Title\"");
	EXPECT_EQ(text(mi->cinfo[CINFO_GENRE]), "\"Jazz\"");
	EXPECT_EQ(text(mi->cinfo[CINFO_COMMENT]), "\"Some words\"");
	EXPECT_EQ(text(mi->cinfo[CINFO_TRACK]),
	          c.track_text ? "\"" + std::string(c.track_text) + "\"" : "(absent)");
	EXPECT_EQ(text(mi->cinfo[CINFO_YEAR]),
	          c.year_text ? "\"" + std::string(c.year_text) + "\"" : "(absent)");
	EXPECT_EQ(mi->length, 2);
	EXPECT_EQ(text(mi->cinfo[CINFO_LENGTH]), "\"2s\"");
	EXPECT_GE(mi->last_updated, before);
	EXPECT_LE(mi->last_updated, after);
	EXPECT_FALSE(mi->is_url);
}

INSTANTIATE_TEST_SUITE_P(Formats, MiExtractTagged,
                         testing::Values(tagged_case{ "mp3", 3, 1999, "  3", "1999" },
                                         tagged_case{ "ogg", 12, 2024, " 12", "2024" },
                                         tagged_case{ "flac", 1234, 1, "1234", "1" },
                                         tagged_case{ "mp3", 0, 0, nullptr, nullptr },
                                         tagged_case{ "ogg", 0, 0, nullptr, nullptr }),
                         [](const testing::TestParamInfo<tagged_case> &info) {
	                         return std::string(info.param.ext) + "_track" +
	                                std::to_string(info.param.track);
                         });

TEST(MiExtract, untagged_wav_has_no_track_or_year_but_a_length)
{
	temp_dir dir;
	make_media(dir / "plain.wav", {}, 65.0);
	mi_ptr mi = mi_extract(dir / "plain.wav");
	ASSERT_NE(mi, nullptr);
	EXPECT_FALSE(mi->cinfo[CINFO_TRACK]);
	EXPECT_FALSE(mi->cinfo[CINFO_YEAR]);
	EXPECT_EQ(mi->length, 65);
	EXPECT_EQ(text(mi->cinfo[CINFO_LENGTH]), "\"1:05\"");
}

TEST(MiExtract, zero_length_leaves_length_text_absent)
{
	// TagLib accepts an empty .mp3 as a stream without frames.
	temp_dir dir;
	write_file(dir / "empty.mp3", "");
	mi_ptr mi = mi_extract(dir / "empty.mp3");
	ASSERT_NE(mi, nullptr);
	EXPECT_EQ(mi->length, 0);
	EXPECT_FALSE(mi->cinfo[CINFO_LENGTH]);
}

TEST(MiExtract, unreadable_files_give_none_silently)
{
	temp_dir dir;
	make_media(dir / "full.flac");
	make_media(dir / "full.ogg");
	std::string flac = read_file(dir / "full.flac"), ogg = read_file(dir / "full.ogg");
	write_file(dir / "notes.txt", "just some text\n");
	write_file(dir / "README", "ID3 looks like a tag\n");
	write_file(dir / "cut.flac", flac.substr(0, 60));
	write_file(dir / "cut.ogg", ogg.substr(0, 60));
	write_file(dir / "empty.ogg", "");
	std::string noise;
	for (int i = 0; i < 4096; i++)
		noise += static_cast<char>((i * 7919 + 13) & 0xff);
	write_file(dir / "noise.flac", noise);
	write_file(dir / "noise.ogg", noise);

	for (const char *name : { "notes.txt", "README", "cut.flac", "cut.ogg", "empty.ogg",
	                          "noise.flac", "noise.ogg" }) {
		output_capture out;
		mi_ptr mi = mi_extract(dir / name);
		EXPECT_EQ(mi, nullptr) << name;
		EXPECT_EQ(out.text(), "") << name;
	}
}

TEST(MiExtract, file_cut_at_every_size_never_prints_or_crashes)
{
	temp_dir dir;
	for (const char *ext : { "flac", "ogg", "mp3" }) {
		std::string full = dir / (std::string("full.") + ext);
		std::string cut = dir / (std::string("cut.") + ext);
		make_media(full, { "Artist", "Album", "Title", "", "", 1, 2000 });
		std::string bytes = read_file(full);
		write_file(cut, "");
		std::string want = resolved(cut);
		std::vector<size_t> wrong_name;
		output_capture out;
		for (size_t n = 0; n <= bytes.size() && n < 1500; n++) {
			write_file(cut, bytes.substr(0, n));
			mi_ptr mi = mi_extract(cut);
			if (mi && mi->filename != want)
				wrong_name.push_back(n);
		}
		EXPECT_EQ(wrong_name, std::vector<size_t>()) << ext;
		EXPECT_EQ(out.text(), "") << ext;
	}
}

TEST(MiExtract, relative_paths_and_symlinks_resolve_to_one_absolute_name)
{
	temp_dir dir;
	mkdir((dir / "real").c_str(), 0700);
	make_media(dir / "real/song.ogg");
	symlink("real", (dir / "linkdir").c_str());
	symlink("real/song.ogg", (dir / "link.ogg").c_str());
	std::string want = resolved(dir / "real/song.ogg");
	ASSERT_EQ(want[0], '/');

	char cwd[PATH_MAX];
	ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
	ASSERT_EQ(chdir(dir.path().c_str()), 0);
	std::vector<std::string> names;
	for (const char *path :
	     { "real/song.ogg", "./real/../real/song.ogg", "link.ogg", "linkdir/song.ogg" }) {
		mi_ptr mi = mi_extract(path);
		names.push_back(mi ? mi->filename.value_or("(absent)") : "(none)");
	}
	ASSERT_EQ(chdir(cwd), 0);

	for (const auto &name : names)
		EXPECT_EQ(name, want);
	mi_ptr direct = mi_extract_file(want);
	ASSERT_NE(direct, nullptr);
	EXPECT_EQ(direct->filename, want);
}

TEST(MiExtract, latin1_texts_come_back_as_single_bytes)
{
	temp_dir dir;
	make_media(dir / "a.ogg", { "Bj\u00f6rk", "", "caf\u00e9", "", "", 0, 0 });
	mi_ptr mi = mi_extract(dir / "a.ogg");
	ASSERT_NE(mi, nullptr);
	EXPECT_EQ(mi->cinfo[CINFO_ARTIST], "Bj\xf6rk");
	mi_sanitize(*mi);
	EXPECT_EQ(mi->cinfo[CINFO_ARTIST], "Bj?rk");
	EXPECT_EQ(mi->cinfo[CINFO_TITLE], "caf?");
}

TEST(MiExtract, unresolvable_path)
{
	temp_dir dir;
	std::string missing = dir / "gone.mp3";
	EXPECT_EXIT(mi_extract(missing), testing::ExitedWithCode(1),
	            "^[a-z_]+: mi_extract: realpath failed to resolve '" + missing +
	                    "': No such file or directory\n$");

	bool unresolvable = false;
	EXPECT_EQ(mi_extract_resolved(missing, unresolvable), nullptr);
	EXPECT_TRUE(unresolvable);
	EXPECT_EQ(mi_extract_file(missing), nullptr);

	write_file(dir / "text.txt", "not audio");
	EXPECT_EQ(mi_extract_resolved(dir / "text.txt", unresolvable), nullptr);
	EXPECT_FALSE(unresolvable);
	make_media(dir / "ok.ogg");
	EXPECT_NE(mi_extract_resolved(dir / "ok.ogg", unresolvable), nullptr);
	EXPECT_FALSE(unresolvable);
}

TEST(MiSanitize, replaces_every_byte_outside_printable_ascii)
{
	std::string printable;
	for (int c = 0x20; c <= 0x7e; c++)
		printable += static_cast<char>(c);
	std::string high;
	for (int c = 0x80; c <= 0xff; c++)
		high += static_cast<char>(c);

	struct {
		std::optional<std::string> in, out;
	} cases[] = {
		{ printable, printable },
		{ "a\tb\nc\rd", "a?b?c?d" },
		{ "\x1b[31mred\x1b[0m", "?[31mred?[0m" },
		{ std::string("nul\0byte", 8), "nul?byte" },
		{ "\x01\x1f\x7f", "???" },
		{ high, std::string(128, '?') },
		{ "caf\xe9", "caf?" },
		{ "", "" },
		{ std::nullopt, std::nullopt },
	};
	for (const auto &c : cases) {
		meta_info mi;
		mi.filename = "/m/\x1b\xff\tname";
		for (int i = 0; i < MI_NUM_CINFO; i++)
			mi.cinfo[i] = c.in;
		mi_sanitize(mi);
		for (int i = 0; i < MI_NUM_CINFO; i++)
			EXPECT_EQ(mi.cinfo[i], c.out) << "field " << i << " of " << text(c.in);
		EXPECT_EQ(mi.filename, "/m/\x1b\xff\tname");
	}
}

} // namespace
