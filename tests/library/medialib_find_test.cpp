// The lookup of a library record by its file name.
#include <gtest/gtest.h>

#include "library/db_test_util.h"
#include "library/medialib.h"

namespace
{

TEST(MedialibFind, FirstRecordOfExactlyThatNameInLibraryOrder)
{
	medialib_new_state();
	// Out of file name order, as after an append: the lookup must not rely
	// on the order the load leaves.
	mi_ptr absent = mi_new();
	meta_info *records[] = {
		medialib_adopt(make_record("/m/b.ogg")),
		medialib_adopt(std::move(absent)),
		medialib_adopt(make_record("/m/a.ogg")),
		medialib_adopt(make_record("http://radio/x", {}, 0, 0, true)),
		medialib_adopt(make_record("/m/b.ogg", { "second" })),
		medialib_adopt(make_record("")),
	};
	playlist_file_append(*medialib.library, records, 6, false);

	struct {
		const char *name;
		int index;
	} cases[] = {
		{ "/m/b.ogg", 0 },  { "/m/a.ogg", 2 },  { "http://radio/x", 3 },
		{ "", 5 },          { "/m/c.ogg", -1 }, { "/m/b.ogg ", -1 },
		{ "/m/B.ogg", -1 }, { "m/a.ogg", -1 },  { "/m/a.og", -1 },
	};
	for (const auto &c : cases)
		EXPECT_EQ(medialib_find(c.name), c.index) << "'" << c.name << "'";

	// A record without a name is never found, not even by the empty name.
	playlist_remove_file(*medialib.library, 5, 1, false);
	EXPECT_EQ(medialib_find(""), -1);

	medialib_new_state();
	EXPECT_EQ(medialib_find("/m/a.ogg"), -1) << "empty library";
	medialib_destroy();
}

} // namespace
