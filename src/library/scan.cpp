#include "core/error.h"
#include "library/medialib.h"

// Placeholder until the directory walk lands.
void medialib_db_scan_dirs(char *const paths[])
{
	(void)paths;
	fatal("medialib_db_scan_dirs: not available yet");
}

void medialib_db_update(bool show_skipped)
{
	(void)show_skipped;
	fatal("medialib_db_update: not available yet");
}
