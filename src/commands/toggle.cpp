#include "commands/toggle.h"

#include <algorithm>

#include "commands/str2argv.h"

namespace
{

// The lists, in the order they were added; at most one per register.
std::vector<toggle_list_ptr> toggleset;

} // namespace

void toggleset_init()
{
	toggleset.clear();
	toggleset.reserve(52);
}

void toggleset_free()
{
	toggleset = std::vector<toggle_list_ptr>();
}

int toggleset_size()
{
	return static_cast<int>(toggleset.size());
}

toggle_list_ptr toggle_list_create(int reg, const std::vector<std::string> &words)
{
	auto list = std::make_unique<toggle_list>();
	list->reg = reg;
	std::vector<std::string> run;
	auto end_run = [&] {
		if (!run.empty())
			toggle_list_add_command(*list, argv2str(run));
		run.clear();
	};
	for (const std::string &w : words) {
		if (w == "/")
			end_run();
		else
			run.push_back(w);
	}
	end_run();
	list->index = static_cast<ssize_t>(list->size()) - 1;
	return list;
}

void toggle_list_add_command(toggle_list &list, const std::string &command)
{
	list.commands.push_back(command);
}

void toggle_list_free(toggle_list_ptr list)
{
	list.reset();
}

void toggle_add(toggle_list_ptr list)
{
	auto old = std::find_if(toggleset.begin(), toggleset.end(),
	                        [&](const toggle_list_ptr &l) { return l->reg == list->reg; });
	if (old != toggleset.end()) {
		toggle_list_free(std::move(*old));
		toggleset.erase(old);
	}
	toggleset.push_back(std::move(list));
}

toggle_list *toggle_get(int reg)
{
	for (const toggle_list_ptr &l : toggleset)
		if (l->reg == reg)
			return l.get();
	return nullptr;
}
