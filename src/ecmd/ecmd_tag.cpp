#include <cstdio>

#include "core/error.h"
#include "ecmd/ecmd.h"

// Placeholder until this e-command lands.
int ecmd_tag(int argc, char *argv[])
{
	(void)argc;
	fatal("%s: not available yet", argv[0]);
}

void ecmd_help_tag()
{
}
