#include "meta/meta_info.h"

#include <strings.h>

#include <cstdio>

const char *const MI_CINFO_NAMES[MI_NUM_CINFO] = {
	"Artist", "Album", "Title", "Track", "Year", "Genre", "Length", "Comment",
};

mi_ptr mi_new()
{
	return std::make_unique<meta_info>();
}

void mi_free(mi_ptr mi)
{
	mi.reset();
}

std::optional<std::string> mi_length_text(int32_t length)
{
	if (length <= 0)
		return std::nullopt;

	int h = length / 3600;
	int m = (length % 3600) / 60;
	int s = length % 60;
	char buf[64];
	if (length >= 3600)
		snprintf(buf, sizeof buf, "%i:%02i:%02i", h, m, s);
	else if (length >= 60)
		snprintf(buf, sizeof buf, "%i:%02i", m, s);
	else
		snprintf(buf, sizeof buf, "%is", s);
	return std::string(buf);
}

int mi_cinfo_index(std::string_view name)
{
	for (int i = 0; i < MI_NUM_CINFO; i++) {
		std::string_view candidate = MI_CINFO_NAMES[i];
		if (candidate.size() == name.size() &&
		    strncasecmp(candidate.data(), name.data(), name.size()) == 0)
			return i;
	}
	return -1;
}
