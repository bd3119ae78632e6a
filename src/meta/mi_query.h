// The search and filter query: required and negated tokens matched as
// case-insensitive substrings of a record's texts. In a UTF-8 locale the
// tokens and the texts are compared in their folded forms (text_fold), so
// that accents and case in any script make no difference.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "meta/meta_info.h"

constexpr int MAX_QUERY_TOKENS = 255;

struct mi_query {
	std::vector<std::string> tokens;
	std::vector<bool> match; // per token: true = must occur, false = must not
	std::optional<std::string> raw;
	bool match_fname = true;
	// Whether the tokens were given in a UTF-8 locale, and their folded forms
	// then.
	bool fold = false;
	std::vector<std::string> folded;
	int ntokens() const { return static_cast<int>(tokens.size()); }
};

// The one query of the program.
extern mi_query query;

// Start-up state: no tokens, no raw text, match_fname on.
void mi_query_init();
// Drops every token and the raw text; match_fname keeps its value.
void mi_query_clear();
// Appends a token; a leading '!' makes it negated.
void mi_query_add_token(std::string_view text);
void mi_query_setraw(std::string_view text);
const std::optional<std::string> &mi_query_getraw();
bool mi_query_isset();
// Whether the record satisfies every token of the query.
bool mi_match(const meta_info *mi);
// Whether a single text satisfies every token of the query.
bool mi_match_str(std::string_view text);
// Starts fetching a record's own bytes (texts false) or, once those are on
// their way, the texts it holds, so that a walk over many records in an order
// unrelated to where they lie in memory does not wait for each in turn.
void mi_prefetch(const meta_info *mi, bool texts);
