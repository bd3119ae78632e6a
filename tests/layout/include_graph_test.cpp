// The folders of src/ are floors: each includes only headers of its own
// folder and of folders below it, and the top floor (core) is included by
// none.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace
{

namespace fs = std::filesystem;

// folder -> folder it includes -> the files that include it
using include_graph = std::map<std::string, std::map<std::string, std::set<std::string>>>;

include_graph folder_includes()
{
	include_graph g;
	const fs::path src = fs::path(KORVANE_SOURCE_DIR) / "src";
	const std::regex include_line("^\\s*#\\s*include\\s*\"([a-z_]+)/[^\"]+\"");
	for (const auto &entry : fs::recursive_directory_iterator(src)) {
		if (!entry.is_regular_file())
			continue;
		const fs::path rel = fs::relative(entry.path(), src);
		const std::string folder = rel.begin()->string();
		std::ifstream in(entry.path());
		std::string line;
		std::smatch m;
		while (std::getline(in, line))
			if (std::regex_search(line, m, include_line) && m[1] != folder)
				g[folder][m[1]].insert(rel.string());
	}
	return g;
}

TEST(IncludeGraph, NothingOutsideCoreIncludesCore)
{
	for (const auto &[folder, targets] : folder_includes()) {
		auto core = targets.find("core");
		if (folder != "core" && core != targets.end())
			ADD_FAILURE() << folder << " includes core in " << *core->second.begin();
	}
}

TEST(IncludeGraph, NoCycleBetweenFolders)
{
	const include_graph g = folder_includes();
	ASSERT_GT(g.size(), 5u) << "the source tree was not found";
	std::map<std::string, int> state; // 1 on the path, 2 done
	std::vector<std::string> path;
	std::function<void(const std::string &)> visit = [&](const std::string &f) {
		state[f] = 1;
		path.push_back(f);
		auto it = g.find(f);
		if (it != g.end()) {
			for (const auto &[to, files] : it->second) {
				if (state[to] == 1) {
					std::string cycle;
					for (auto p = std::find(path.begin(), path.end(), to); p != path.end(); ++p)
						cycle += *p + " -> ";
					ADD_FAILURE() << "include cycle: " << cycle << to << " (in "
					              << *files.begin() << ")";
				} else if (state[to] == 0) {
					visit(to);
				}
			}
		}
		path.pop_back();
		state[f] = 2;
	};
	for (const auto &entry : g)
		if (state[entry.first] == 0)
			visit(entry.first);
}

} // namespace
