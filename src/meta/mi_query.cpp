#include "meta/mi_query.h"

#include <strings.h>

#include "base/error.h"

mi_query query;

namespace
{

// Case-insensitive substring test over ASCII letters; other bytes compare
// exactly. Works on counted texts so embedded bytes need no terminator.
bool contains_nocase(std::string_view hay, std::string_view needle)
{
	if (needle.empty())
		return true;
	if (needle.size() > hay.size())
		return false;
	auto lower = [](unsigned char c) {
		return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
	};
	const unsigned char first = lower(needle[0]);
	// The candidates for the first byte without a branch on the case: for
	// a letter, c | 0x20 is its lower case and no other byte gives it.
	const unsigned char fold = first >= 'a' && first <= 'z' ? 0x20 : 0;
	const size_t last = hay.size() - needle.size();
	for (size_t i = 0; i <= last; i++) {
		if ((static_cast<unsigned char>(hay[i]) | fold) != first)
			continue;
		size_t j = 1;
		while (j < needle.size() && lower(hay[i + j]) == lower(needle[j]))
			j++;
		if (j == needle.size())
			return true;
	}
	return false;
}

bool record_contains(const meta_info *mi, std::string_view token)
{
	if (query.match_fname && mi->filename && contains_nocase(*mi->filename, token))
		return true;
	for (const auto &text : mi->cinfo)
		if (text && contains_nocase(*text, token))
			return true;
	return false;
}

} // namespace

void mi_query_init()
{
	query = mi_query{};
}

void mi_query_clear()
{
	query.tokens.clear();
	query.match.clear();
	query.raw.reset();
}

void mi_query_add_token(std::string_view text)
{
	if (query.ntokens() >= MAX_QUERY_TOKENS)
		fatal("mi_query_add_token: reached shamefull limit");
	if (!text.empty() && text[0] == '!') {
		query.match.push_back(false);
		text.remove_prefix(1);
	} else {
		query.match.push_back(true);
	}
	query.tokens.emplace_back(text);
}

void mi_query_setraw(std::string_view text)
{
	query.raw = std::string(text);
}

const std::optional<std::string> &mi_query_getraw()
{
	return query.raw;
}

bool mi_query_isset()
{
	return query.ntokens() != 0;
}

bool mi_match(const meta_info *mi)
{
	for (int i = 0; i < query.ntokens(); i++)
		if (record_contains(mi, query.tokens[i]) != query.match[i])
			return false;
	return true;
}

bool mi_match_str(std::string_view text)
{
	for (int i = 0; i < query.ntokens(); i++)
		if (contains_nocase(text, query.tokens[i]) != query.match[i])
			return false;
	return true;
}

void mi_prefetch(const meta_info *mi, bool texts)
{
	if (!texts) {
		const char *bytes = reinterpret_cast<const char *>(mi);
		for (size_t at = 0; at < sizeof *mi; at += 64)
			__builtin_prefetch(bytes + at);
		return;
	}
	if (mi->filename)
		__builtin_prefetch(mi->filename->data());
	for (const auto &text : mi->cinfo)
		if (text)
			__builtin_prefetch(text->data());
}
