#include "meta/mi_query.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "base/error.h"
#include "base/text.h"

mi_query query;

namespace
{

unsigned char ascii_lower(unsigned char c)
{
	return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

// Whether the needle's bytes after the first are at hay[i + 1 ...].
bool rest_matches(const char *hay, std::string_view needle)
{
	for (size_t j = 1; j < needle.size(); j++)
		if (ascii_lower(hay[j]) != ascii_lower(needle[j]))
			return false;
	return true;
}

// Case-insensitive substring test over ASCII letters; other bytes compare
// exactly. Works on counted texts so embedded bytes need no terminator.
// The candidates for the first byte are found sixteen bytes at a time,
// without a branch on the case: for a letter, c | 0x20 is its lower case
// and no other byte gives it.
bool contains_nocase(std::string_view hay, std::string_view needle)
{
	if (needle.empty())
		return true;
	if (needle.size() > hay.size())
		return false;
	const unsigned char first = ascii_lower(needle[0]);
	const unsigned char fold = first >= 'a' && first <= 'z' ? 0x20 : 0;
	// Candidates are the positions 0 .. ends - 1; a block of sixteen bytes
	// is read only where it lies inside the text.
	const size_t ends = hay.size() - needle.size() + 1;
	const char *p = hay.data();
	size_t i = 0;
#ifdef __SSE2__
	const __m128i want = _mm_set1_epi8(static_cast<char>(first));
	const __m128i folds = _mm_set1_epi8(static_cast<char>(fold));
	// The candidates of the sixteen bytes at p + from, those below skip not.
	auto block_has = [&](size_t from, unsigned skip) {
		const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + from));
		unsigned hits = static_cast<unsigned>(
		        _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_or_si128(block, folds), want)));
		hits &= ~0u << skip;
		while (hits != 0) {
			const size_t at = from + static_cast<size_t>(__builtin_ctz(hits));
			if (at < ends && rest_matches(p + at, needle))
				return true;
			hits &= hits - 1;
		}
		return false;
	};
	for (; i + 16 <= hay.size() && i < ends; i += 16)
		if (block_has(i, 0))
			return true;
	// The last candidates in a block that ends with the text, overlapping
	// the one before (i is past hay.size() - 16 here).
	if (i < ends && hay.size() >= 16) {
		const size_t from = hay.size() - 16;
		return block_has(from, static_cast<unsigned>(i - from));
	}
#endif
	for (; i < ends; i++)
		if ((static_cast<unsigned char>(p[i]) | fold) == first && rest_matches(p + i, needle))
			return true;
	return false;
}

// Whether token k is in a text of the record.
bool record_contains(const meta_info *mi, int k)
{
	std::string_view token = query.tokens[k];
	if (query.fold) {
		token = query.folded[k];
		if (const mi_folded *folded = mi_folded_texts(mi))
			return contains_nocase(folded->all(query.match_fname), token);
		// The record's texts are ASCII, whose folded forms are ASCII: they
		// hold no other folded token and compare as they are.
		if (!text_is_ascii(token))
			return false;
	}
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
	query.fold = false;
	query.folded.clear();
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
	if (query.ntokens() == 1)
		query.fold = text_utf8_locale();
	query.folded.push_back(query.fold ? text_fold(text) : std::string());
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
		if (record_contains(mi, i) != query.match[i])
			return false;
	return true;
}

bool mi_match_str(std::string_view text)
{
	const std::string folded = query.fold ? text_fold(text) : std::string();
	if (query.fold)
		text = folded;
	const std::vector<std::string> &tokens = query.fold ? query.folded : query.tokens;
	for (int i = 0; i < query.ntokens(); i++)
		if (contains_nocase(text, tokens[i]) != query.match[i])
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
	if (mi->fold.state == mi_fold_cache::FOLDED)
		__builtin_prefetch(mi->fold.folded.data());
	if (mi->filename)
		__builtin_prefetch(mi->filename->data());
	for (const auto &text : mi->cinfo)
		if (text)
			__builtin_prefetch(text->data());
}
