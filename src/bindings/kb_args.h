// The vocabulary of key-binding actions: the 49 actions, the argument record
// every handler receives and the enumerations of its fields.
#pragma once

#include <cstdint>

#include "base/directions.h"


enum KbaScale : int32_t { SECONDS = 0, MINUTES = 1, NUMBER = 2, PERCENT = 3 };

enum KbaAmount : int32_t { SINGLE = 0, HALF = 1, WHOLE = 2 };

enum KbaPlacement : int32_t { TOP = 0, MIDDLE = 1, BOTTOM = 2, BEFORE = 3, AFTER = 4 };

struct KbaArgs {
	KbaDirection direction;
	KbaScale scale;
	KbaAmount amount;
	KbaPlacement placement;
	int32_t num;
};

// A record for one handler to call another: every field -1 but those set.
constexpr KbaArgs kba_args_none()
{
	return KbaArgs{ static_cast<KbaDirection>(-1), static_cast<KbaScale>(-1),
		        static_cast<KbaAmount>(-1), static_cast<KbaPlacement>(-1), -1 };
}

using KbaHandler = void (*)(KbaArgs);
