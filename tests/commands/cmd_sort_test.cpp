// :sort keeps records that compare equal in the order they had.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/cmd_fixture.h"
#include "meta/mi_sort.h"

namespace
{

class CmdSort : public CmdTest
{
};

TEST_F(CmdSort, SortByYearKeepsEachAlbumsTracksInOrder)
{
	// Three albums of twelve tracks each, in album and track order, then
	// sorted by year alone, newest first.
	const char *years[] = { "1971", "1969", "1973" };
	library_of(36);
	for (int i = 0; i < 36; i++) {
		char track[8];
		snprintf(track, sizeof track, "%3d", i % 12 + 1);
		records[i]->cinfo[CINFO_ALBUM] = "album " + std::to_string(i / 12);
		records[i]->cinfo[CINFO_TRACK] = track;
		records[i]->cinfo[CINFO_YEAR] = years[i / 12];
	}
	ASSERT_EQ(run("sort -year"), 0);

	std::vector<std::string> order;
	for (const meta_info *mi : medialib.library->files)
		order.push_back(*mi->cinfo[CINFO_ALBUM] + ":" + *mi->cinfo[CINFO_TRACK]);
	std::vector<std::string> expected;
	for (int album : { 2, 0, 1 })
		for (int t = 1; t <= 12; t++) {
			char track[8];
			snprintf(track, sizeof track, "%3d", t);
			expected.push_back("album " + std::to_string(album) + ":" + track);
		}
	EXPECT_EQ(order, expected);
}

} // namespace
