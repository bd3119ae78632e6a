#include <cstring>

#include "ecmd/ecmd.h"

// clang-format off
const ecmd ecmd_table[] = {
	{ "init",   ecmd_init,   ecmd_help_init },
	{ "add",    ecmd_add,    ecmd_help_add },
	{ "addurl", ecmd_addurl, ecmd_help_addurl },
	{ "check",  ecmd_check,  ecmd_help_check },
	{ "rmfile", ecmd_rm,     ecmd_help_rm },
	{ "rm",     ecmd_rm,     ecmd_help_rm },
	{ "update", ecmd_update, ecmd_help_update },
	{ "flush",  ecmd_flush,  ecmd_help_flush },
	{ "tag",    ecmd_tag,    ecmd_help_tag },
	{ "help",   ecmd_help,   nullptr },
};
// clang-format on

const int ecmd_count = sizeof ecmd_table / sizeof ecmd_table[0];

const ecmd *ecmd_lookup(const char *name)
{
	for (int i = 0; i < ecmd_count; i++)
		if (strcmp(ecmd_table[i].name, name) == 0)
			return &ecmd_table[i];
	return nullptr;
}
