// The directions in which a list, a search or a value moves.
#pragma once

#include <cstdint>

enum KbaDirection : int32_t {
	UP = 0,
	DOWN = 1,
	LEFT = 2,
	RIGHT = 3,
	BACKWARD = 4,
	FORWARD = 5,
	SAME = 6,     // the direction of the last search
	OPPOSITE = 7, // against the last search
};
