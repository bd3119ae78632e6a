// Texts as the locale has them: whether it is UTF-8, texts cleaned of what a
// terminal could take for control, and the folded form that searching and
// sorting compare.
#pragma once

#include <string>
#include <string_view>

// Whether the character set of LC_CTYPE, as set by setlocale(3), is UTF-8.
// Asked of the C library at every call, so it follows the locale.
bool text_utf8_locale();

// Whether every byte of text is ASCII.
bool text_is_ascii(std::string_view text);

// text as UTF-8 that no terminal takes for control: C0 controls, DEL, C1
// controls (U+0080 to U+009F), the bidirectional overrides and isolates
// (U+202A to U+202E, U+2066 to U+2069) and each invalid sequence (an
// overlong form, a surrogate, a lone continuation byte, a sequence cut
// short) become one '?' each; everything else is kept as written.
std::string text_sanitize(std::string_view text);

// The form in which texts are compared, so that case, accents and other
// marks make no difference in any script: Unicode case folding, marks
// stripped, compatibility forms and look-alike punctuation unified, ignorable
// characters dropped; "Björk", "BJORK" and "bjork" all give "bjork", "Straße"
// gives "strasse". ASCII letters become small letters; bytes that are not
// valid UTF-8 are kept as they are.
std::string text_fold(std::string_view text);
// The folded form of text appended to out.
void text_fold_into(std::string_view text, std::string &out);
