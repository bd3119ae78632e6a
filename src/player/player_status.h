// The status block that "korvane -Q" prints: what plays, where, how loud,
// one "key value" line a field.
#pragma once

#include <string>

// The whole block, position included, each line ending in a newline.
std::string player_status_block();
// The block without its position: what a watcher is sent again on a change.
std::string player_status_key();
