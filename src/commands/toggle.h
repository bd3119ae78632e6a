// Toggle lists: rings of ':' commands kept under a register letter, which
// the toggle keys step through.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

struct toggle_list {
	int reg = 0;                       // the register: a letter a-z or A-Z
	std::vector<std::string> commands; // in the order they were given
	ssize_t index = -1;                // the command run last
	size_t size() const { return commands.size(); }
};

using toggle_list_ptr = std::unique_ptr<toggle_list>;

// Empties the set of lists.
void toggleset_init();
void toggleset_free();
// The number of lists held.
int toggleset_size();

// A list for reg from the words after the register: each run of words
// between "/" words becomes one command; index is then size - 1.
toggle_list_ptr toggle_list_create(int reg, const std::vector<std::string> &words);
void toggle_list_add_command(toggle_list &list, const std::string &command);
void toggle_list_free(toggle_list_ptr list);
// Puts list into the set, at the end, replacing the list of its register.
void toggle_add(toggle_list_ptr list);
// The list of reg, or null.
toggle_list *toggle_get(int reg);
