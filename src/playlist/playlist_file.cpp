#include "playlist/playlist_file.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string_view>

#include "base/error.h"
#include "base/file_replace.h"
#include "base/owners.h"

namespace
{

struct free_deleter {
	void operator()(char *p) const { free(p); }
};

// The lines of a stream, read by getline(3) into one buffer that grows as
// needed and is released with the reader.
class line_reader
{
public:
	explicit line_reader(FILE *f) : f(f) {}

	// The next line, its newline included where it has one, valid until the
	// next call; none at the end of the stream or on a read error.
	std::optional<std::string_view> next()
	{
		char *raw = buf.release();
		ssize_t n = getline(&raw, &cap, f);
		buf.reset(raw);
		if (n == -1)
			return std::nullopt;
		return std::string_view(raw, static_cast<size_t>(n));
	}

private:
	FILE *f;
	std::unique_ptr<char, free_deleter> buf;
	size_t cap = 0;
};

} // namespace

std::string playlist_name_from_path(const std::string &path)
{
	size_t slash = path.rfind('/');
	std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
	size_t dot = base.rfind('.');
	if (dot != std::string::npos)
		base.erase(dot);
	return base;
}

playlist_ptr playlist_load(const std::string &path, const std::vector<meta_info *> &files,
                           std::deque<mi_ptr> &placeholders)
{
	unique_file f(fopen(path.c_str(), "r"));
	if (!f)
		fatal_sys("playlist_load: failed to open playlist '%s'", path.c_str());

	playlist_ptr p = playlist_new();
	p->filename = path;
	p->name = playlist_name_from_path(path);

	line_reader lines(f.get());
	while (std::optional<std::string_view> read = lines.next()) {
		// A line is the text before its newline; no path holds a NUL byte.
		std::string_view line = read->substr(0, read->find('\0'));
		if (size_t nl = line.find('\n'); nl != std::string_view::npos)
			line = line.substr(0, nl);

		auto it = std::lower_bound(files.begin(), files.end(), line,
		                           [](const meta_info *mi, std::string_view key) {
			                           return std::string_view(*mi->filename) < key;
		                           });
		if (it != files.end() && std::string_view(*(*it)->filename) == line) {
			p->files.push_back(*it);
			continue;
		}

		mi_ptr placeholder = mi_new();
		placeholder->filename = std::string(line);
		placeholders.push_back(std::move(placeholder));
		p->files.push_back(placeholders.back().get());
		warn_msg("playlist \"%s\", file \"%s\" is NOT in media database (added for now)",
		         p->name->c_str(), std::string(line).c_str());
	}
	return p;
}

void playlist_save(const playlist &p)
{
	const char *name = p.filename->c_str();
	file_replacer out;
	if (!out.open(*p.filename))
		fatal_sys("playlist_save: failed to open playlist \"%s\"", name);

	bool ok = true;
	for (size_t i = 0; ok && i < p.files.size(); i++)
		ok = fprintf(out.stream(), "%s\n", p.files[i]->filename->c_str()) >= 0;
	if (!ok)
		out.abandon();
	if (!ok || !out.commit())
		fatal_sys("playlist_save: failed to record playlist \"%s\"", name);
}

void playlist_delete(playlist_ptr p)
{
	if (p->filename && unlink(p->filename->c_str()) == -1)
		fatal_sys("playlist_delete: failed to delete playlist \"%s\"",
		          p->filename->c_str());
	playlist_free(std::move(p));
}
