// The command-line tokenizer: splits a line into words with quotes and
// backslash escapes, and joins words back into a line.
#pragma once

#include <optional>
#include <string>
#include <vector>

constexpr int MAX_ARGV = 255;      // entries of the word table
constexpr int MAX_TOKEN_LEN = 255; // bytes of a word buffer, terminator included

// Splits text into words. 0 on success; 1 on a syntax error with errmsg set
// ("Unmatched quotes", "Unused/Dangling escape sequence", or one of the
// limit messages) and argv left empty.
int str2argv(const std::string &text, std::vector<std::string> &argv,
             std::optional<std::string> &errmsg);
void argv_free(std::vector<std::string> &argv);
// Joins words with a blank after each, quoting words that hold a blank.
std::string argv2str(const std::vector<std::string> &argv);
