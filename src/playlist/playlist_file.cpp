#include "playlist/playlist_file.h"

#include <glob.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/error.h"
#include "base/file_replace.h"

std::vector<std::string> medialib_find_playlists(const std::string &dir)
{
	std::string pattern = dir + "/*.playlist";
	glob_t g = {};
	errno = 0;
	int rc = glob(pattern.c_str(), 0, nullptr, &g);
	if (rc != 0 && rc != GLOB_NOMATCH && errno != 0) {
		globfree(&g);
		fatal_sys("failed to glob playlists directory");
	}

	std::vector<std::string> paths;
	if (rc == 0 || rc == GLOB_ABORTED || rc == GLOB_NOSPACE)
		for (size_t i = 0; i < g.gl_pathc; i++)
			paths.emplace_back(g.gl_pathv[i]);
	globfree(&g);
	return paths;
}

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
	FILE *f = fopen(path.c_str(), "r");
	if (f == nullptr)
		fatal_sys("playlist_load: failed to open playlist '%s'", path.c_str());

	playlist_ptr p = playlist_new();
	p->filename = path;
	p->name = playlist_name_from_path(path);

	char *buf = nullptr;
	size_t cap = 0;
	ssize_t n;
	while ((n = getline(&buf, &cap, f)) != -1) {
		// A line is the text before its newline; no path holds a NUL byte.
		std::string_view line(buf, strnlen(buf, static_cast<size_t>(n)));
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
	free(buf);
	fclose(f);
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
