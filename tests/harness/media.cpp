#include "harness/media.h"

#include <stdexcept>
#include <vector>

#include "harness/harness.h"

namespace
{

std::string extension(const std::string &path)
{
	size_t dot = path.rfind('.');
	return dot == std::string::npos ? "" : path.substr(dot + 1);
}

void must(const run_result &r, const std::string &what)
{
	if (r.status != 0)
		throw std::runtime_error(what + " failed: " + r.err);
}

std::vector<std::string> tone(double seconds, int frequency)
{
	return { "synth", std::to_string(seconds), "sine", std::to_string(frequency) };
}

// Each tag with its lame option and its Vorbis comment name.
struct tag_option {
	const char *lame;
	const char *vorbis;
	std::string value;
};

std::vector<tag_option> tag_options(const media_tags &tags)
{
	std::vector<tag_option> opts = {
		{ "--ta", "ARTIST", tags.artist },   { "--tl", "ALBUM", tags.album },
		{ "--tt", "TITLE", tags.title },     { "--tg", "GENRE", tags.genre },
		{ "--tc", "COMMENT", tags.comment },
	};
	if (tags.track)
		opts.push_back({ "--tn", "TRACKNUMBER", std::to_string(tags.track) });
	if (tags.year)
		opts.push_back({ "--ty", "DATE", std::to_string(tags.year) });
	return opts;
}

} // namespace

void make_media(const std::string &path, const media_tags &tags, double seconds, int frequency)
{
	std::string ext = extension(path);
	if (ext == "mp3") {
		std::string wav = path + ".tmp.wav";
		std::vector<std::string> args = { "-q", "-n", "-r", "44100", "-c", "1", wav };
		for (const auto &a : tone(seconds, frequency))
			args.push_back(a);
		must(run_program("sox", args), "sox");
		std::vector<std::string> lame = { "--quiet", "--preset",    "cbr",
			                          "32",      "--add-id3v2", "--id3v2-only" };
		for (const tag_option &t : tag_options(tags))
			if (!t.value.empty()) {
				lame.push_back(t.lame);
				lame.push_back(t.value);
			}
		lame.push_back(wav);
		lame.push_back(path);
		run_result r = run_program("lame", lame);
		run_program("rm", { "-f", wav });
		must(r, "lame");
		return;
	}

	std::vector<std::string> args = { "-q", "-n", "-r", "44100", "-c", "1" };
	if (ext == "ogg" || ext == "flac")
		for (const tag_option &t : tag_options(tags))
			if (!t.value.empty()) {
				args.push_back("--add-comment");
				args.push_back(std::string(t.vorbis) + "=" + t.value);
			}
	args.push_back(path);
	for (const auto &a : tone(seconds, frequency))
		args.push_back(a);
	must(run_program("sox", args), "sox");
}
