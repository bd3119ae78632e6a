#include "player/player.h"

// No player is running yet: nothing plays and nothing is known.

player_state player_info;

bool player_is_playing()
{
	return false;
}

bool player_is_paused()
{
	return false;
}

float player_get_position()
{
	return 0;
}

float player_get_volume()
{
	return -1;
}

void player_monitor() {}
