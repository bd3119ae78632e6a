#include "screen/swindow.h"

#include <algorithm>
#include <climits>

#include "base/error.h"
#include "base/directions.h"

void swindow_scroll(swindow &sw, int direction, int n)
{
	switch (direction) {
	case UP:
		sw.voffset = static_cast<int>(
		        std::max<long long>(0, static_cast<long long>(sw.voffset) - n));
		break;
	case DOWN:
		// In 64 bits, so that a count near the largest int cannot overflow.
		sw.voffset = static_cast<int>(std::max<long long>(
		        0, std::min<long long>(static_cast<long long>(sw.voffset) + n,
		                               sw.nrows() - sw.h)));
		break;
	case LEFT:
		sw.hoffset = static_cast<int>(
		        std::max<long long>(0, static_cast<long long>(sw.hoffset) - n));
		break;
	case RIGHT:
		sw.hoffset = static_cast<int>(
		        std::min<long long>(static_cast<long long>(sw.hoffset) + n, INT_MAX));
		break;
	default:
		fatal_sys("swindow_scroll: bad direction");
	}
}

void swindow_set_height(swindow &sw, int h)
{
	sw.h = h;
	if (sw.crow >= h)
		sw.crow = h - 1;
}

void swindow_normalise(swindow &sw)
{
	if (sw.crow >= sw.h)
		sw.crow = sw.h - 1;
	const int n = sw.nrows();
	if (n > 0 && sw.crow + sw.voffset >= n)
		sw.crow = n - sw.voffset - 1;
}

void swindow_home(swindow &sw)
{
	sw.crow = sw.voffset = sw.hoffset = 0;
}
