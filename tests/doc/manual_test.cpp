// The manual page against the program's own tables, so that it cannot drift
// from the code: every action with exactly its default keys, every key
// name, ':' command, colour item, colour and e-command is in it, and groff
// formats it without a warning.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "commands/cmd.h"
#include "ecmd/ecmd.h"
#include "harness/harness.h"
#include "bindings/keybindings.h"
#include "meta/meta_info.h"
#include "screen/colors.h"

namespace
{

const std::string PAGE = std::string(KORVANE_SOURCE_DIR) + "/doc/korvane.1";

void replace_all(std::string &text, const std::string &from, const std::string &to)
{
	for (size_t at = text.find(from); at != std::string::npos;
	     at = text.find(from, at + to.size()))
		text.replace(at, from.size(), to);
}

// The arguments of a macro line, split at blanks outside double quotes.
std::vector<std::string> macro_args(const std::string &rest)
{
	std::vector<std::string> args;
	std::string word;
	bool quoted = false, in_word = false;
	for (char c : rest) {
		if (c == '"') {
			quoted = !quoted;
			in_word = true;
		} else if (c == ' ' && !quoted) {
			if (in_word)
				args.push_back(word);
			word.clear();
			in_word = false;
		} else {
			word += c;
			in_word = true;
		}
	}
	if (in_word)
		args.push_back(word);
	return args;
}

// A line of the page as it reads: a font macro's arguments joined (with
// blanks for .B and .I, without for the alternating ones), font changes
// dropped and the escapes the page uses turned into their characters.
std::string plain(const std::string &line)
{
	std::string text = line;
	if (!line.empty() && line[0] == '.') {
		const size_t blank = line.find(' ');
		const std::string macro =
		        line.substr(1, blank == std::string::npos ? blank : blank - 1);
		const std::vector<std::string> args =
		        macro_args(blank == std::string::npos ? "" : line.substr(blank + 1));
		const bool alternating =
		        std::set<std::string>{ "BR", "BI", "IR", "IB", "RB", "RI" }.count(macro);
		text.clear();
		for (size_t i = 0; i < args.size(); i++)
			text += (i > 0 && !alternating ? " " : "") + args[i];
	}
	for (const char *font : { "\\fB", "\\fI", "\\fR", "\\fP", "\\&", "\\%", "\\|" })
		replace_all(text, font, "");
	replace_all(text, "\\(ha", "^");
	replace_all(text, "\\(ti", "~");
	replace_all(text, "\\(aq", "'");
	replace_all(text, "\\-", "-");
	replace_all(text, "\\e", "\\");
	return text;
}

std::vector<std::string> page_lines()
{
	return lines_of(read_file(PAGE));
}

// The lines of one section, from its .SH to the next.
std::vector<std::string> section(const std::string &name)
{
	std::vector<std::string> out;
	bool in = false;
	for (const std::string &line : page_lines()) {
		if (line.rfind(".SH ", 0) == 0) {
			if (in)
				break;
			in = plain(line) == name;
			continue;
		}
		if (in)
			out.push_back(line);
	}
	EXPECT_TRUE(in) << "no section " << name;
	return out;
}

// The entries a section lists: the first word of each tag line (after .TP
// or .TQ) outside indented blocks, up to a '[', '=' or blank.
std::vector<std::string> entries(const std::vector<std::string> &lines)
{
	std::vector<std::string> names;
	int depth = 0;
	for (size_t i = 0; i + 1 < lines.size(); i++) {
		if (lines[i] == ".RS")
			depth++;
		else if (lines[i] == ".RE")
			depth--;
		else if ((lines[i] == ".TP" || lines[i] == ".TQ") && depth == 0) {
			const std::string tag = plain(lines[i + 1]);
			names.push_back(tag.substr(0, tag.find_first_of("[= ")));
		}
	}
	return names;
}

// The words of a text: runs of letters, digits, '_' and '-'.
std::set<std::string> words_of(const std::string &text)
{
	std::set<std::string> words;
	std::string word;
	for (char c : text + " ") {
		if (isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-') {
			word += c;
		} else if (!word.empty()) {
			words.insert(word);
			word.clear();
		}
	}
	return words;
}

std::string plain_text(const std::vector<std::string> &lines)
{
	std::string text;
	for (const std::string &line : lines)
		text += plain(line) + "\n";
	return text;
}

// A key as the page writes it: its key name, ^X for a control key, else
// the character itself.
std::string key_notation(int code)
{
	for (const kb_key_name &k : kb_key_names)
		if (k.code == code)
			return k.name;
	if (code >= 1 && code <= 26)
		return std::string("^") + static_cast<char>('A' + code - 1);
	if (code > ' ' && code < 127)
		return std::string(1, static_cast<char>(code));
	ADD_FAILURE() << "no notation for key code " << code;
	return "?";
}

TEST(Manual, ListsEveryActionWithExactlyItsDefaultKeys)
{
	// In KEYS each entry is a .TP, the keys separated by commas, and the
	// action on the next line.
	std::map<std::string, std::set<std::string>> page;
	const std::vector<std::string> keys = section("KEYS");
	for (size_t i = 0; i + 2 < keys.size(); i++) {
		if (keys[i] != ".TP")
			continue;
		ASSERT_EQ(keys[i + 2].rfind(".I ", 0), 0u) << "no action after " << keys[i + 1];
		const std::string action = plain(keys[i + 2]);
		std::stringstream list(plain(keys[i + 1]));
		for (std::string key; std::getline(list, key, ',');)
			page[action].insert(key.substr(key.find_first_not_of(' ')));
	}

	kb_init();
	std::map<std::string, std::set<std::string>> defaults;
	for (const KeyBinding &b : keybindings)
		defaults[kb_action_names[b.action]].insert(key_notation(b.key));
	kb_free();
	for (const char *name : kb_action_names)
		EXPECT_EQ(page[name], defaults[name]) << name;
	EXPECT_EQ(page.size(), defaults.size()) << "an entry names no action";

	const std::set<std::string> words = words_of(plain_text(page_lines()));
	for (const char *name : kb_action_names)
		EXPECT_TRUE(words.count(name)) << name;
}

TEST(Manual, NamesEverySpecialKeyForBind)
{
	const std::set<std::string> words = words_of(plain_text(section("COMMANDS")));
	for (const kb_key_name &k : kb_key_names)
		EXPECT_TRUE(words.count(k.name)) << k.name;
}

TEST(Manual, ListsExactlyTheCommands)
{
	std::multiset<std::string> table;
	for (const cmd_entry &c : cmd_table)
		table.insert(c.name);
	const std::vector<std::string> page = entries(section("COMMANDS"));
	// bind has two tag lines, one for each form of its key.
	std::multiset<std::string> listed(page.begin(), page.end());
	ASSERT_EQ(listed.count("bind"), 2u);
	listed.erase(listed.find("bind"));
	EXPECT_EQ(listed, table);
}

TEST(Manual, ListsExactlyTheECommands)
{
	std::multiset<std::string> table;
	for (int i = 0; i < ecmd_count; i++)
		table.insert(ecmd_table[i].name);
	const std::vector<std::string> page = entries(section("E-COMMANDS"));
	EXPECT_EQ(std::multiset<std::string>(page.begin(), page.end()), table);
}

TEST(Manual, ListsEveryColourItemFieldAndColour)
{
	const std::vector<std::string> colours = section("COLOURS");
	std::set<int> pairs;
	for (const std::string &item : entries(colours)) {
		const int pair = paint_str2item(item);
		EXPECT_GE(pair, 1) << item << " is not a colour item";
		pairs.insert(pair);
	}
	std::set<int> items;
	for (int i = 0; i < COLOR_ITEMS; i++)
		items.insert(i + 1);
	EXPECT_EQ(pairs, items);

	const std::set<std::string> words = words_of(plain_text(colours));
	for (const char *field : MI_CINFO_NAMES)
		EXPECT_TRUE(words.count(field)) << field;
	std::set<int> named;
	for (const std::string &w : words)
		if (paint_str2color(w) != -2)
			named.insert(paint_str2color(w));
	EXPECT_EQ(named, (std::set<int>{ -1, 0, 1, 2, 3, 4, 5, 6, 7 }));
}

bool on_path(const std::string &program)
{
	const char *path = getenv("PATH");
	std::stringstream dirs(path ? path : "/usr/bin:/bin");
	for (std::string dir; std::getline(dirs, dir, ':');)
		if (access((dir + "/" + program).c_str(), X_OK) == 0)
			return true;
	return false;
}

TEST(Manual, FormatsWithoutWarnings)
{
	if (!on_path("groff"))
		GTEST_SKIP() << "groff is not installed (scripts/install-deps installs groff-base)";
	run_result r = run_program("groff", { "-ww", "-man", "-z", PAGE });
	EXPECT_EQ(r.status, 0);
	EXPECT_EQ(r.err, "");
}

} // namespace
