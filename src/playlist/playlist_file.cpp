#include "playlist/playlist_file.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>

#include "base/error.h"
#include "base/file_replace.h"
#include "base/owners.h"
#include "base/term_text.h"

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
	std::string error;
	playlist_ptr p = playlist_try_load(path, files, placeholders, error);
	if (!p)
		fatal("playlist_load: failed to open playlist '%s': %s",
		      term_text(stderr, path).c_str(), strerror(errno));
	return p;
}

playlist_ptr playlist_try_load(const std::string &path, const std::vector<meta_info *> &files,
                               std::deque<mi_ptr> &placeholders, std::string &error)
{
	unique_file f(fopen(path.c_str(), "r"));
	if (!f) {
		int saved = errno;
		error = "failed to open playlist '" + term_escape(path) + "': " + strerror(saved);
		errno = saved;
		return nullptr;
	}

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
		         term_text(stderr, *p->name).c_str(), term_text(stderr, line).c_str());
	}
	return p;
}

std::optional<size_t> playlist_unwritable_entry(const playlist &p)
{
	for (size_t i = 0; i < p.files.size(); i++) {
		const auto &name = p.files[i]->filename;
		if (name && name->find_first_of("\n\r") != std::string::npos)
			return i;
	}
	return std::nullopt;
}

bool playlist_try_save(const playlist &p, std::string &error)
{
	const std::string shown = term_escape(*p.filename);
	if (std::optional<size_t> bad = playlist_unwritable_entry(p)) {
		error = "cannot save playlist \"" + shown + "\": its entry \"" +
		        term_escape(*p.files[*bad]->filename) +
		        "\" holds a line break, which a playlist file cannot hold";
		return false;
	}
	file_replacer out;
	if (!out.open(*p.filename)) {
		error = "failed to open playlist \"" + shown + "\": " + out.error();
		return false;
	}
	for (const meta_info *mi : p.files) {
		if (fprintf(out.stream(), "%s\n", mi->filename->c_str()) < 0) {
			error = "failed to record playlist \"" + shown + "\": " + strerror(errno);
			out.abandon();
			return false;
		}
	}
	if (!out.commit()) {
		error = "failed to record playlist \"" + shown + "\": " + out.error();
		return false;
	}
	return true;
}

void playlist_save(const playlist &p)
{
	const std::string shown = term_text(stderr, *p.filename);
	file_replacer out;
	if (!out.open(*p.filename))
		fatal("playlist_save: failed to open playlist \"%s\": %s", shown.c_str(),
		      out.error().c_str());

	bool ok = true;
	for (size_t i = 0; ok && i < p.files.size(); i++)
		ok = fprintf(out.stream(), "%s\n", p.files[i]->filename->c_str()) >= 0;
	if (!ok) {
		out.abandon();
		fatal_sys("playlist_save: failed to record playlist \"%s\"", shown.c_str());
	}
	if (!out.commit())
		fatal("playlist_save: failed to record playlist \"%s\": %s", shown.c_str(),
		      out.error().c_str());
}

bool playlist_delete_file(const playlist &p, std::string &error)
{
	if (!p.filename)
		return true;
	if (unlink(p.filename->c_str()) == -1 && errno != ENOENT) {
		error = "failed to delete playlist \"" + term_escape(*p.filename) +
		        "\": " + strerror(errno);
		return false;
	}
	// The removal is made to last as a save's rename is; a directory that
	// cannot be synced does not bring the file back.
	file_sync_dir(*p.filename);
	return true;
}

void playlist_delete(playlist_ptr p)
{
	if (p->filename && unlink(p->filename->c_str()) == -1)
		fatal_sys("playlist_delete: failed to delete playlist \"%s\"",
		          term_text(stderr, *p->filename).c_str());
	playlist_free(std::move(p));
}

bool playlist_matches_file(const playlist &p)
{
	if (!p.filename)
		return false;
	unique_file f(fopen(p.filename->c_str(), "r"));
	if (!f)
		return false;
	line_reader lines(f.get());
	size_t i = 0;
	while (std::optional<std::string_view> read = lines.next()) {
		std::string_view line = read->substr(0, read->find('\0'));
		if (size_t nl = line.find('\n'); nl != std::string_view::npos)
			line = line.substr(0, nl);
		if (i >= p.files.size() || line != p.files[i]->filename.value_or(""))
			return false;
		i++;
	}
	return i == p.files.size();
}
