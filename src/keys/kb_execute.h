// Running the key actions: the handler of each action with its arguments,
// the dispatch of a key or an action name, and the state the actions share
// (the number prefix and the direction of the last search).
#pragma once

#include <string_view>

#include "bindings/kb_args.h"
#include "bindings/keybindings.h"

struct KbaHandlerRow {
	KbaAction action;
	KbaHandler handler;
	bool visual; // may run while visual mode is on
	KbaArgs args;
};

// The handler table, one row per action in action order.
extern const KbaHandlerRow kb_handlers[KBA_NUM_ACTIONS];

// Runs the action bound to key; true when visual mode was cancelled or a
// handler ran.
bool kb_execute(int key);
// Runs the action of a name; false when no action has that name.
bool kb_execute_by_name(std::string_view name);

// The number prefix typed before a key; 0 (or less) is none.
void numprefix_clear();
void numprefix_set(int n);
int numprefix_get();
// prefix * 10 + d, stopping at the largest int.
void numprefix_add_digit(int d);
// The prefix, cleared, when there is one; else 1.
int numprefix_take();

// The direction of the last search: FORWARD or BACKWARD.
extern KbaDirection search_direction;
