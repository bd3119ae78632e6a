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

	// One buffer kept from record to record takes the texts as they are
	// folded, so that folding a library allocates once per record.
	static std::string texts;
	texts.clear();
	uint32_t ends[mi_folded::NPARTS];
	for (int k = 0; k < mi_folded::NPARTS; k++) {
		const auto &text = k == 0 ? mi.filename : mi.cinfo[k - 1];
		if (text)
			text_fold_into(*text, texts);
		ends[k] = static_cast<uint32_t>(texts.size());
		texts += '\0';
	}
	mi.fold.folded.make(texts, ends);
	mi.fold.state = mi_fold_cache::FOLDED;
}

void mi_texts_changed(meta_info &mi)
{
	mi.fold.forget();
}

void mi_folded::make(std::string_view texts, const uint32_t (&ends)[NPARTS])
{
	block = std::make_unique_for_overwrite<char[]>(HEADER + texts.size());
	memcpy(block.get(), ends, HEADER);
	memcpy(block.get() + HEADER, texts.data(), texts.size());
}
