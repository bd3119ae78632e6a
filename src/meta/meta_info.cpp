#include "meta/meta_info.h"

#include <strings.h>

#include <cstdio>

#include "base/text.h"

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

// Folds the texts of mi that hold more than ASCII into one allocation; an
// ASCII text goes in as it is, its capitals made small.
void mi_fold_texts(const meta_info &mi)
{
	bool all_ascii = !mi.filename || text_is_ascii(*mi.filename);
	for (const auto &text : mi.cinfo)
		all_ascii = all_ascii && (!text || text_is_ascii(*text));
	if (all_ascii || !text_utf8_locale()) {
		mi.fold.state = mi_fold_cache::AS_THEY_ARE;
		return;
	}

	auto folded = std::make_unique<mi_folded>();
	auto add = [&](int k, const std::optional<std::string> &text) {
		if (text)
			folded->text += text_fold(*text);
		folded->ends[k] = static_cast<uint32_t>(folded->text.size());
		folded->text += '\0';
	};
	add(0, mi.filename);
	for (int i = 0; i < MI_NUM_CINFO; i++)
		add(1 + i, mi.cinfo[i]);
	folded->text.shrink_to_fit();
	mi.fold.folded = std::move(folded);
	mi.fold.state = mi_fold_cache::FOLDED;
}

void mi_texts_changed(meta_info &mi)
{
	mi.fold.forget();
}
