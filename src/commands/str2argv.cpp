#include "commands/str2argv.h"

namespace
{

// Longest word and most words the table holds; one buffer always stays
// open for the word being built.
constexpr size_t MAX_WORD_CHARS = MAX_TOKEN_LEN - 1;
constexpr size_t MAX_WORDS = MAX_ARGV - 1;

const char *const ERR_QUOTES = "Unmatched quotes";
const char *const ERR_ESCAPE = "Unused/Dangling escape sequence";
const char *const ERR_TOKEN_LEN = "argv_addch: reached max token length (255)";
const char *const ERR_ARGV_FULL = "argv_finish_token: reached max argv entries(255)";

bool is_white(char c)
{
	return c == ' ' || c == '\t' || c == '\n';
}

bool is_quote(char c)
{
	return c == '\'' || c == '"';
}

// The scanner's state while it walks one line.
class tokenizer
{
public:
	explicit tokenizer(std::vector<std::string> &argv) : argv_(argv) {}

	// Scans the whole text; returns the error message, or none on success.
	const char *run(const std::string &text)
	{
		for (size_t i = 0; i < text.size(); i++) {
			const char c = text[i];
			const char *err = nullptr;
			if (is_white(c))
				err = white(c);
			else if (is_quote(c))
				err = quote(c);
			else if (c == '\\')
				err = backslash(i + 1 < text.size() ? text[i + 1] : '\0');
			else
				err = addch(c);
			if (err != nullptr)
				return err;
		}

		const bool quote_open = in_quote_;
		if (const char *err = finish())
			return err;
		if (quote_open)
			return ERR_QUOTES;
		if (escape_)
			return ERR_ESCAPE;
		return nullptr;
	}

private:
	const char *white(char c)
	{
		if (in_quote_ || escape_)
			return addch(c);
		if (!in_word_)
			return nullptr;
		return finish();
	}

	const char *quote(char c)
	{
		if (escape_)
			return addch(c);
		if (!in_word_ || !in_quote_) {
			// Opens a word, or a quoted stretch in the middle of one.
			in_word_ = true;
			in_quote_ = true;
			quote_char_ = c;
			return nullptr;
		}
		if (c == quote_char_)
			return finish();
		return addch(c);
	}

	const char *backslash(char next)
	{
		// Inside quotes a backslash only escapes the closing quote.
		if (in_quote_ && next != quote_char_)
			return addch('\\');
		if (escape_)
			return addch('\\');
		escape_ = true;
		return nullptr;
	}

	// Appends c to the open word, using up a pending escape.
	const char *addch(char c)
	{
		if (word_.size() == MAX_WORD_CHARS)
			return ERR_TOKEN_LEN;
		word_ += c;
		in_word_ = true;
		escape_ = false;
		return nullptr;
	}

	// Closes the open word; an empty one yields nothing.
	const char *finish()
	{
		if (argv_.size() == MAX_WORDS)
			return ERR_ARGV_FULL;
		if (!word_.empty())
			argv_.push_back(std::move(word_));
		word_.clear();
		in_word_ = false;
		in_quote_ = false;
		return nullptr;
	}

	std::vector<std::string> &argv_;
	std::string word_;
	bool in_word_ = false;
	bool in_quote_ = false;
	char quote_char_ = '\0';
	bool escape_ = false;
};

} // namespace

int str2argv(const std::string &text, std::vector<std::string> &argv,
             std::optional<std::string> &errmsg)
{
	errmsg.reset();
	argv.clear();
	tokenizer t(argv);
	if (const char *err = t.run(text)) {
		argv.clear();
		errmsg = err;
		return 1;
	}
	return 0;
}

void argv_free(std::vector<std::string> &argv)
{
	argv.clear();
}

std::string argv2str(const std::vector<std::string> &argv)
{
	size_t size = 0;
	for (const std::string &word : argv)
		size += word.size() + 1 + (word.find(' ') != std::string::npos ? 2 : 0);

	std::string line;
	line.reserve(size);
	for (const std::string &word : argv) {
		if (word.find(' ') != std::string::npos) {
			line += '\'';
			line += word;
			line += "' ";
		} else {
			line += word;
			line += ' ';
		}
	}
	return line;
}
