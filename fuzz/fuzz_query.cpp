// Queries: the first line of the bytes is the query, its words split at
// blanks as tokens; the next lines are a record's file name and fields. Every
// match must agree with a plain reference: each token (after a leading '!'
// for a negated one) found or not, ignoring ASCII case, in the texts.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_util.h"
#include "meta/mi_query.h"

namespace
{

std::string folded(std::string_view text)
{
	std::string s(text);
	for (char &c : s)
		if (c >= 'A' && c <= 'Z')
			c = static_cast<char>(c - 'A' + 'a');
	return s;
}

bool reference_contains(std::string_view hay, std::string_view token)
{
	return folded(hay).find(folded(token)) != std::string::npos;
}

// Whether every token is found in (or, negated, absent from) one of texts.
bool reference_match(const std::vector<std::string_view> &tokens,
                     const std::vector<std::string_view> &texts)
{
	for (std::string_view t : tokens) {
		bool wanted = true;
		if (!t.empty() && t[0] == '!') {
			wanted = false;
			t.remove_prefix(1);
		}
		bool found = false;
		for (std::string_view text : texts)
			found = found || reference_contains(text, t);
		if (found != wanted)
			return false;
	}
	return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	const std::string_view bytes(reinterpret_cast<const char *>(data), size);
	std::vector<std::string_view> lines = fuzz_split(bytes, '\n');
	std::vector<std::string_view> tokens;
	for (std::string_view word : fuzz_split(lines[0], ' '))
		if (!word.empty() && tokens.size() < MAX_QUERY_TOKENS)
			tokens.push_back(word);

	mi_query_init();
	query.match_fname = size % 2 == 0;
	for (std::string_view t : tokens)
		mi_query_add_token(t);
	mi_query_setraw(lines[0]);
	FUZZ_CHECK(mi_query_isset() == !tokens.empty());
	FUZZ_CHECK(mi_query_getraw() == std::string(lines[0]));

	meta_info mi;
	std::vector<std::string_view> texts;
	for (size_t i = 1; i < lines.size() && i <= 1 + MI_NUM_CINFO; i++) {
		if (i == 1) {
			mi.filename = std::string(lines[i]);
			if (query.match_fname)
				texts.push_back(lines[i]);
		} else {
			mi.cinfo[i - 2] = std::string(lines[i]);
			texts.push_back(lines[i]);
		}
	}
	mi_prefetch(&mi, false);
	mi_prefetch(&mi, true);
	FUZZ_CHECK(mi_match(&mi) == reference_match(tokens, texts));
	for (std::string_view line : lines)
		FUZZ_CHECK(mi_match_str(line) == reference_match(tokens, { line }));

	mi_query_clear();
	FUZZ_CHECK(!mi_query_isset() && !mi_query_getraw());
	return 0;
}
