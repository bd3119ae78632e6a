#include "playlist/ybuffer.h"

namespace
{

constexpr int YBUFFER_STEP = 100;

// Grows the room in steps of 100 until n more records fit.
void make_room(int n)
{
	const int needed = ybuffer.nfiles() + n;
	if (needed <= ybuffer.capacity())
		return;
	const int steps = (needed - ybuffer.capacity() + YBUFFER_STEP - 1) / YBUFFER_STEP;
	ybuffer.files.reserve(static_cast<size_t>(ybuffer.capacity()) +
	                      static_cast<size_t>(steps) * YBUFFER_STEP);
}

} // namespace

ybuffer_state ybuffer;

void ybuffer_init()
{
	ybuffer.files = std::vector<meta_info *>();
	ybuffer.files.reserve(YBUFFER_STEP);
}

void ybuffer_add(meta_info *mi)
{
	make_room(1);
	ybuffer.files.push_back(mi);
}

void ybuffer_add_files(meta_info *const *files, int n)
{
	if (n <= 0)
		return;
	make_room(n);
	ybuffer.files.insert(ybuffer.files.end(), files, files + n);
}

void ybuffer_clear()
{
	ybuffer.files.clear();
}

void ybuffer_free()
{
	ybuffer.files = std::vector<meta_info *>();
}
