// The command-line tokenizer: the bytes are one command line. A line is
// split into words within the limits, or refused with a message and no
// words; the words joined again must split without trouble.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "commands/str2argv.h"
#include "fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	const std::string text(reinterpret_cast<const char *>(data), size);
	std::vector<std::string> argv = { "left over" };
	std::optional<std::string> errmsg = "left over";
	const int rc = str2argv(text, argv, errmsg);
	if (rc != 0) {
		FUZZ_CHECK(rc == 1);
		FUZZ_CHECK(errmsg.has_value() && !errmsg->empty());
		FUZZ_CHECK(argv.empty());
		return 0;
	}
	FUZZ_CHECK(!errmsg.has_value());
	FUZZ_CHECK(argv.size() < static_cast<size_t>(MAX_ARGV));
	size_t total = 0;
	for (const std::string &word : argv) {
		FUZZ_CHECK(!word.empty());
		FUZZ_CHECK(word.size() < static_cast<size_t>(MAX_TOKEN_LEN));
		total += word.size();
	}
	FUZZ_CHECK(total <= text.size());

	const std::string joined = argv2str(argv);
	std::vector<std::string> again;
	str2argv(joined, again, errmsg);
	argv_free(argv);
	FUZZ_CHECK(argv.empty());
	return 0;
}
