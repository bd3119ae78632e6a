// Key names and the words of bind and unbind: each line of the bytes is
// given to the name readers, then run as the arguments of a bind and of an
// unbind command (without a screen, so failures are shown nowhere). The
// readers must give what their descriptions promise, and the binding table
// must keep one binding per key, each to an action that exists.
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "commands/cmd.h"
#include "fuzz_util.h"
#include "bindings/keybindings.h"

namespace
{

bool same_nocase(std::string_view a, std::string_view b)
{
	if (a.size() != b.size())
		return false;
	for (size_t i = 0; i < a.size(); i++) {
		char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] + 32) : a[i];
		char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] + 32) : b[i];
		if (x != y)
			return false;
	}
	return true;
}

void check_names(const std::vector<std::string_view> &words)
{
	for (std::string_view w : words) {
		const int code = kb_str2keycode(w);
		if (w.size() == 1)
			FUZZ_CHECK(code == static_cast<signed char>(w[0]));
		else
			FUZZ_CHECK(code == kb_str2specialkey(w));
		if (w.size() != 1 && code != -1)
			FUZZ_CHECK(code > 0);

		KbaAction action = KBA_NUM_ACTIONS;
		if (kb_str2action(w, action)) {
			FUZZ_CHECK(action >= 0 && action < KBA_NUM_ACTIONS);
			FUZZ_CHECK(same_nocase(w, kb_action_names[action]));
		}
	}
	if (words.size() >= 2) {
		const int code = kb_str2keycode2(words[0], words[1]);
		const int base = kb_str2keycode(words[1]);
		if (!same_nocase(words[0], "control") || base <= 0)
			FUZZ_CHECK(code == -1);
		else
			FUZZ_CHECK(code == base - 96);
	}
}

void check_table()
{
	std::set<int> keys;
	for (const KeyBinding &b : keybindings) {
		FUZZ_CHECK(keys.insert(b.key).second);
		FUZZ_CHECK(b.action >= 0 && b.action < KBA_NUM_ACTIONS);
	}
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	const std::string_view bytes(reinterpret_cast<const char *>(data), size);
	kb_init();
	for (std::string_view line : fuzz_split(bytes, '\n')) {
		std::vector<std::string_view> words;
		for (std::string_view w : fuzz_split(line, ' '))
			if (!w.empty())
				words.push_back(w);
		check_names(words);
		cmd_execute("bind " + std::string(line));
		check_table();
		cmd_execute("unbind " + std::string(line));
		check_table();
	}
	kb_free();
	return 0;
}
