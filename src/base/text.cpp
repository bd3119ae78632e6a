#include "base/text.h"

#include <langinfo.h>
#include <utf8proc.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace
{

const auto *bytes_of(std::string_view text)
{
	return reinterpret_cast<const utf8proc_uint8_t *>(text.data());
}

// The bytes an invalid sequence at the start of text spans: its first byte
// and the continuation bytes that follow it, as many as that byte announces.
// A lone continuation byte or a byte that starts nothing spans itself.
size_t invalid_span(std::string_view text)
{
	const auto lead = static_cast<unsigned char>(text[0]);
	const size_t announced = lead >= 0xf0 && lead < 0xf8 ? 4
	                         : lead >= 0xe0 && lead < 0xf0 ? 3
	                         : lead >= 0xc0 && lead < 0xe0 ? 2
	                                                       : 1;
	size_t n = 1;
	while (n < announced && n < text.size() &&
	       (static_cast<unsigned char>(text[n]) & 0xc0) == 0x80)
		n++;
	return n;
}

// Code points a terminal may act on rather than show.
bool is_control(utf8proc_int32_t cp)
{
	return cp < 0x20 || (cp >= 0x7f && cp <= 0x9f) || (cp >= 0x202a && cp <= 0x202e) ||
	       (cp >= 0x2066 && cp <= 0x2069);
}

constexpr auto FOLD_OPTIONS =
        static_cast<utf8proc_option_t>(UTF8PROC_COMPOSE | UTF8PROC_COMPAT | UTF8PROC_CASEFOLD |
                                       UTF8PROC_STRIPMARK | UTF8PROC_IGNORE | UTF8PROC_LUMP);

// utf8proc's folded form of valid UTF-8, appended to out.
void fold_valid(std::string_view text, std::string &out)
{
	utf8proc_uint8_t *folded = nullptr;
	utf8proc_ssize_t n = utf8proc_map(bytes_of(text), static_cast<utf8proc_ssize_t>(text.size()),
	                                  &folded, FOLD_OPTIONS);
	if (n >= 0)
		out.append(reinterpret_cast<const char *>(folded), static_cast<size_t>(n));
	else
		out.append(text);
	free(folded);
}

// The folded form of each code point, asked of utf8proc once and kept in
// pages of 256 code points made on first use: a library holds few distinct
// characters, and utf8proc_map costs tens of nanoseconds a character, too
// much for every text of a large library. Folding a text character by
// character gives what folding it whole gives because marks are stripped
// before anything is composed, so no character composes with the one before
// it; the conjoining Hangul letters, which compose without marks, are the
// exception, and texts holding them are folded whole.
class fold_memo
{
public:
	void append(utf8proc_int32_t cp, std::string &out)
	{
		auto &p = pages[static_cast<size_t>(cp) >> 8];
		if (!p) {
			p = std::make_unique<page>();
			memset(p->entry, 0xff, sizeof p->entry);
		}
		uint32_t &entry = p->entry[cp & 0xff];
		if (entry == UNKNOWN) {
			utf8proc_uint8_t utf8[4];
			const auto len = utf8proc_encode_char(cp, utf8);
			const size_t at = arena.size();
			fold_valid(std::string_view(reinterpret_cast<const char *>(utf8),
			                            static_cast<size_t>(len)),
			           arena);
			entry = static_cast<uint32_t>(at << 8 | (arena.size() - at));
		}
		out.append(arena.data() + (entry >> 8), entry & 0xff);
	}

private:
	static constexpr uint32_t UNKNOWN = 0xffffffff;
	struct page {
		uint32_t entry[256]; // offset in arena << 8 | length, or UNKNOWN
	};
	std::vector<std::unique_ptr<page>> pages = std::vector<std::unique_ptr<page>>(0x110000 >> 8);
	std::string arena;
};

bool is_conjoining_jamo(utf8proc_int32_t cp)
{
	return (cp >= 0x1100 && cp <= 0x11ff) || (cp >= 0xa960 && cp <= 0xa97f) ||
	       (cp >= 0xd7b0 && cp <= 0xd7ff);
}

// The folded form of a text that holds conjoining Hangul letters: each run
// of valid UTF-8 folded whole, invalid bytes kept.
std::string fold_whole(std::string_view text)
{
	std::string out;
	size_t start = 0, i = 0;
	while (i < text.size()) {
		utf8proc_int32_t cp;
		utf8proc_ssize_t len = utf8proc_iterate(bytes_of(text.substr(i)),
		                                        static_cast<utf8proc_ssize_t>(text.size() - i), &cp);
		if (len > 0) {
			i += static_cast<size_t>(len);
			continue;
		}
		fold_valid(text.substr(start, i - start), out);
		out += text[i++];
		start = i;
	}
	fold_valid(text.substr(start), out);
	return out;
}

} // namespace

bool text_utf8_locale()
{
	const char *codeset = nl_langinfo(CODESET);
	return codeset != nullptr && strcmp(codeset, "UTF-8") == 0;
}

bool text_is_ascii(std::string_view text)
{
	unsigned char any = 0;
	for (char c : text)
		any |= static_cast<unsigned char>(c);
	return any < 0x80;
}

std::string text_sanitize(std::string_view text)
{
	std::string out;
	out.reserve(text.size());
	size_t i = 0;
	while (i < text.size()) {
		const auto byte = static_cast<unsigned char>(text[i]);
		if (byte < 0x80) {
			out += is_control(byte) ? '?' : text[i];
			i++;
			continue;
		}
		utf8proc_int32_t cp;
		utf8proc_ssize_t len = utf8proc_iterate(bytes_of(text.substr(i)),
		                                        static_cast<utf8proc_ssize_t>(text.size() - i), &cp);
		if (len <= 0) {
			out += '?';
			i += invalid_span(text.substr(i));
			continue;
		}
		if (is_control(cp))
			out += '?';
		else
			out.append(text, i, static_cast<size_t>(len));
		i += static_cast<size_t>(len);
	}
	return out;
}

std::string text_fold(std::string_view text)
{
	std::string out;
	text_fold_into(text, out);
	return out;
}

void text_fold_into(std::string_view text, std::string &out)
{
	static fold_memo memo;
	const size_t from = out.size();
	out.reserve(from + text.size() + 8);
	size_t i = 0;
	while (i < text.size()) {
		// A run of ASCII goes across whole, its capitals made small.
		size_t ascii = i;
		while (ascii < text.size() && static_cast<unsigned char>(text[ascii]) < 0x80)
			ascii++;
		if (ascii > i) {
			const size_t at = out.size();
			out.append(text, i, ascii - i);
			for (size_t k = at; k < out.size(); k++)
				if (out[k] >= 'A' && out[k] <= 'Z')
					out[k] = static_cast<char>(out[k] + ('a' - 'A'));
			i = ascii;
			if (i == text.size())
				break;
		}
		utf8proc_int32_t cp;
		utf8proc_ssize_t len = utf8proc_iterate(bytes_of(text.substr(i)),
		                                        static_cast<utf8proc_ssize_t>(text.size() - i), &cp);
		if (len <= 0) {
			out += text[i++];
			continue;
		}
		if (is_conjoining_jamo(cp)) {
			out.resize(from);
			out += fold_whole(text);
			return;
		}
		memo.append(cp, out);
		i += static_cast<size_t>(len);
	}
}
