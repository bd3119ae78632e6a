#include "core/startup.h"

int main(int argc, char *argv[])
{
	return korvane_main(argc, argv);
}
