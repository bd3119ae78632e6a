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
		auto tag = [&](const char *opt, const std::string &v) {
			if (!v.empty()) {
				lame.push_back(opt);
				lame.push_back(v);
			}
		};
		tag("--ta", tags.artist);
		tag("--tl", tags.album);
		tag("--tt", tags.title);
		tag("--tg", tags.genre);
		tag("--tc", tags.comment);
		if (tags.track)
			tag("--tn", std::to_string(tags.track));
		if (tags.year)
			tag("--ty", std::to_string(tags.year));
		lame.push_back(wav);
		lame.push_back(path);
		run_result r = run_program("lame", lame);
		run_program("rm", { "-f", wav });
		must(r, "lame");
		return;
	}

	std::vector<std::string> args = { "-q", "-n", "-r", "44100", "-c", "1" };
	if (ext == "ogg" || ext == "flac") {
		auto comment = [&](const char *key, const std::string &v) {
			if (!v.empty()) {
				args.push_back("--add-comment");
				args.push_back(std::string(key) + "=" + v);
			}
		};
		comment("ARTIST", tags.artist);
		comment("ALBUM", tags.album);
		comment("TITLE", tags.title);
		comment("GENRE", tags.genre);
		comment("COMMENT", tags.comment);
		if (tags.track)
			comment("TRACKNUMBER", std::to_string(tags.track));
		if (tags.year)
			comment("DATE", std::to_string(tags.year));
	}
	args.push_back(path);
	for (const auto &a : tone(seconds, frequency))
		args.push_back(a);
	must(run_program("sox", args), "sox");
}
