// A player backend of the test's own: it plays nothing and records what it
// is asked, one word (and argument) per call.
#pragma once

#include <string>
#include <vector>

#include "player/player.h"

struct test_backend_log {
	std::vector<std::string> calls;
	bool playing = true; // what is_playing answers
};

inline test_backend_log &test_backend_state()
{
	static test_backend_log state;
	return state;
}

inline PlayerBackend test_backend()
{
	PlayerBackend b = player_backends[0];
	b.name = "test";
	b.play = [](const std::string &file) {
		test_backend_state().calls.push_back("play " + file);
	};
	b.stop = [] { test_backend_state().calls.push_back("stop"); };
	b.pause = [] { test_backend_state().calls.push_back("pause"); };
	b.seek = [](int s) { test_backend_state().calls.push_back("seek " + std::to_string(s)); };
	b.volume_step = [](float s) {
		test_backend_state().calls.push_back("volume " + std::to_string(s));
	};
	b.is_playing = [] { return test_backend_state().playing; };
	return b;
}

// Puts the test backend in place for the life of the object.
class test_backend_in_use
{
public:
	test_backend_in_use() : saved(player_info)
	{
		test_backend_state() = {};
		player_info.backend = test_backend();
	}
	~test_backend_in_use() { player_info = saved; }
	test_backend_in_use(const test_backend_in_use &) = delete;
	test_backend_in_use &operator=(const test_backend_in_use &) = delete;

	std::vector<std::string> &calls() { return test_backend_state().calls; }
	void set_playing(bool on) { test_backend_state().playing = on; }

private:
	player_state saved;
};
