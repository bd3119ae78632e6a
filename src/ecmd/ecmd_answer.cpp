#include <strings.h>

#include <cstdio>

#include "ecmd/ecmd.h"

bool ecmd_read_answer(std::string &line)
{
	char buf[255];
	if (fgets(buf, sizeof buf, stdin) == nullptr)
		return false;
	line = buf;
	return true;
}

bool ecmd_answer_is_yes(const std::string &line)
{
	return strcasecmp(line.c_str(), "yes\n") == 0 || strcasecmp(line.c_str(), "y\n") == 0;
}
