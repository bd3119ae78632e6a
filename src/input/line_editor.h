// The line typed after a prompt on the command row (':', '/', '?', '!' and
// questions), as an input mode: each key edits the line, ENTER ends it.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "input/input.h"

class line_editor : public input_mode
{
public:
	// The longest line in bytes: one less than the row can take.
	static constexpr size_t MAX_CHARS = 999;

	// done gets the line (trailing blanks cut), or nothing when the line was
	// cancelled or left empty.
	line_editor(std::string prompt, std::function<void(std::optional<std::string>)> done)
	        : prompt_text(std::move(prompt)), done(std::move(done))
	{
	}

	bool key(int key) override;
	void finish() override;
	const line_editor *editor() const override { return this; }

	const std::string &prompt() const { return prompt_text; }
	const std::string &text() const { return typed; }

private:
	std::string prompt_text;
	std::function<void(std::optional<std::string>)> done;
	std::string typed;
	bool cancelled = false;
};
