#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/toggle.h"

namespace
{

TEST(Toggle, CreateSplitsAtSlashWords)
{
	struct create_case {
		std::vector<std::string> words;
		std::vector<std::string> commands;
	};
	const create_case cases[] = {
		{ { "mode", "loop" }, { "mode loop " } },
		{ { "a", "/", "b", "c" }, { "a ", "b c " } },
		{ { "/", "a", "/", "/", "b", "/" }, { "a ", "b " } },
		{ { "/", "/" }, {} },
		{ {}, {} },
		{ { "filter", "x y", "/", "a/b" }, { "filter 'x y' ", "a/b " } },
	};
	for (const create_case &c : cases) {
		toggle_list_ptr l = toggle_list_create('r', c.words);
		EXPECT_EQ(l->reg, 'r');
		EXPECT_EQ(l->commands, c.commands);
		EXPECT_EQ(l->index, static_cast<ssize_t>(c.commands.size()) - 1);
	}
}

TEST(Toggle, AddReplacesTheRegistersList)
{
	toggleset_init();
	toggle_add(toggle_list_create('a', { "x" }));
	toggle_add(toggle_list_create('b', { "y" }));
	toggle_add(toggle_list_create('a', { "z", "/", "w" }));
	EXPECT_EQ(toggleset_size(), 2);
	ASSERT_NE(toggle_get('a'), nullptr);
	EXPECT_EQ(toggle_get('a')->commands, (std::vector<std::string>{ "z ", "w " }));
	EXPECT_EQ(toggle_get('a')->index, 1);
	EXPECT_EQ(toggle_get('b')->commands, (std::vector<std::string>{ "y " }));
	EXPECT_EQ(toggle_get('c'), nullptr);
	toggleset_free();
	EXPECT_EQ(toggleset_size(), 0);
	EXPECT_EQ(toggle_get('a'), nullptr);
}

} // namespace
