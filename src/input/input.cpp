#include "input/input.h"

#include <strings.h>

#include <utility>
#include <vector>

#include "input/line_editor.h"

namespace
{

std::vector<std::unique_ptr<input_mode>> modes;
void (*normal_mode)(int key) = nullptr;
std::vector<int> ungot;
bool refusing = false;
bool refused = false;
bool bell = false;
long keys_fed = 0;

} // namespace

void input_set_normal(void (*normal)(int key))
{
	normal_mode = normal;
}

bool input_push(std::unique_ptr<input_mode> mode)
{
	if (refusing && !modes.empty()) {
		refused = true;
		return false;
	}
	modes.push_back(std::move(mode));
	return true;
}

void input_feed(int key)
{
	keys_fed++;
	if (modes.empty()) {
		if (normal_mode != nullptr)
			normal_mode(key);
		return;
	}
	if (!modes.back()->key(key))
		return;
	std::unique_ptr<input_mode> done = std::move(modes.back());
	modes.pop_back();
	done->finish();
}

long input_keys_fed()
{
	return keys_fed;
}

bool input_mode_open()
{
	return !modes.empty();
}

const line_editor *input_prompt()
{
	for (auto m = modes.rbegin(); m != modes.rend(); ++m)
		if (const line_editor *e = (*m)->editor())
			return e;
	return nullptr;
}

void input_clear()
{
	modes.clear();
	ungot.clear();
	bell = false;
}

void input_refuse_modes(bool on)
{
	refusing = on;
}

bool input_refusing_modes()
{
	return refusing;
}

bool input_take_refused()
{
	return std::exchange(refused, false);
}

void input_unget(int key)
{
	ungot.push_back(key);
}

int input_take_ungot()
{
	if (ungot.empty())
		return -1;
	const int key = ungot.back();
	ungot.pop_back();
	return key;
}

void input_bell()
{
	bell = true;
}

bool input_take_bell()
{
	return std::exchange(bell, false);
}

bool pending_key::key(int key)
{
	if (!accept(key))
		return false;
	taken = key;
	return true;
}

bool input_next_key(std::function<void(int)> done)
{
	return input_push(
	        std::make_unique<pending_key>([](int) { return true; }, std::move(done)));
}

int input_yesno_answer(const std::string &line)
{
	if (strncasecmp(line.c_str(), "yes", 3) == 0 || strncasecmp(line.c_str(), "y", 1) == 0)
		return 1;
	if (strncasecmp(line.c_str(), "no", 2) == 0 || strncasecmp(line.c_str(), "n", 1) == 0)
		return 0;
	return -1;
}

bool input_ask_yesno(const std::string &question, std::function<void(std::optional<int>)> done)
{
	return input_push(std::make_unique<line_editor>(
	        question, [done = std::move(done)](std::optional<std::string> line) {
		        if (!line)
			        done(std::nullopt);
		        else
			        done(input_yesno_answer(*line));
	        }));
}
