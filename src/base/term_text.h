// Texts from files and tags printed by the batch side: on a terminal their
// control characters are shown escaped, so that no name can move the cursor,
// retitle the window or change the terminal's state; into a pipe or a file
// they go byte for byte.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

// text with every control character (the bytes below 0x20, and 0x7f) written
// as a C escape: \n, \r and \t by their letters, the others as \xHH. Other
// bytes, UTF-8 among them, are kept.
std::string term_escape(std::string_view text);
// Whether stream is a terminal; asked of the system once for each of
// standard output and standard error.
bool term_is_terminal(FILE *stream);
// text as it may be written to stream: escaped when stream is a terminal.
std::string term_text(FILE *stream, std::string_view text);
