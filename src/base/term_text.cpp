#include "base/term_text.h"

#include <unistd.h>

#include <cerrno>
#include <initializer_list>

std::string term_escape(std::string_view text)
{
	static const char HEX[] = "0123456789abcdef";
	std::string out;
	out.reserve(text.size());
	for (size_t i = 0; i < text.size(); i++) {
		const char c = text[i];
		auto byte = static_cast<unsigned char>(c);
		// A C1 control written in UTF-8 (U+0080 to U+009F) is a control to
		// a UTF-8 terminal: both its bytes are escaped.
		const bool c1 = byte == 0xc2 && i + 1 < text.size() &&
		                static_cast<unsigned char>(text[i + 1]) <= 0x9f &&
		                static_cast<unsigned char>(text[i + 1]) >= 0x80;
		if (c1) {
			for (unsigned char b : { byte, static_cast<unsigned char>(text[++i]) }) {
				out += "\\x";
				out += HEX[b >> 4];
				out += HEX[b & 0xf];
			}
			continue;
		}
		if (byte >= 0x20 && byte != 0x7f) {
			out += c;
			continue;
		}
		out += '\\';
		switch (byte) {
		case '\n':
			out += 'n';
			break;
		case '\r':
			out += 'r';
			break;
		case '\t':
			out += 't';
			break;
		default:
			out += 'x';
			out += HEX[byte >> 4];
			out += HEX[byte & 0xf];
			break;
		}
	}
	return out;
}

bool term_is_terminal(FILE *stream)
{
	// Callers ask while an error number waits to be reported.
	int saved = errno;
	// -1: not asked yet. The answer for the standard streams cannot change
	// while the program runs, and a dump of a large library asks per line.
	static int out_tty = -1, err_tty = -1;
	int *cached = stream == stdout ? &out_tty : stream == stderr ? &err_tty : nullptr;
	bool tty;
	if (cached == nullptr) {
		tty = isatty(fileno(stream)) == 1;
	} else {
		if (*cached == -1)
			*cached = isatty(fileno(stream)) == 1 ? 1 : 0;
		tty = *cached == 1;
	}
	errno = saved;
	return tty;
}

std::string term_text(FILE *stream, std::string_view text)
{
	if (!term_is_terminal(stream))
		return std::string(text);
	for (char c : text) {
		auto byte = static_cast<unsigned char>(c);
		if (byte < 0x20 || byte == 0x7f)
			return term_escape(text);
	}
	return std::string(text);
}
