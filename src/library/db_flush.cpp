// The comma-separated dump of the library.
#include <cstdint>
#include <cstring>
#include <ctime>
#include <string>

#include "base/term_text.h"
#include "library/db_file.h"
#include "library/medialib.h"

namespace
{

std::string format_time(int64_t when, const char *time_format)
{
	time_t t = static_cast<time_t>(when);
	struct tm tm;
	if (localtime_r(&t, &tm) == nullptr)
		return "";
	// Long formats get room until the text fits; no conversion writes more
	// than a few dozen characters, so past that bound the text is empty.
	const size_t bound = 255 + 64 * strlen(time_format);
	for (size_t size = 255;; size *= 4) {
		std::string buf(size, '\0');
		size_t n = strftime(buf.data(), size, time_format, &tm);
		if (n > 0 || size >= bound) {
			buf.resize(n);
			return buf;
		}
	}
}

} // namespace

void medialib_db_flush(FILE *out, const char *time_format)
{
	fprintf(out, "filename, ");
	for (const char *name : MI_CINFO_NAMES)
		fprintf(out, "\"%s\", ", name);
	fprintf(out, "length-seconds, is_url, \"last-updated\"\n");
	fflush(out);

	// A database from elsewhere may hold any bytes; a terminal gets them
	// escaped.
	const bool escape = term_is_terminal(out);
	for (const meta_info *mi : medialib.library->files) {
		std::string line = mi->filename ? *mi->filename : "(null)";
		if (escape)
			line = term_escape(line);
		line += ", ";
		for (const auto &text : mi->cinfo) {
			line += '"';
			line += !text ? "(null)" : escape ? term_escape(*text) : *text;
			line += "\", ";
		}
		fwrite(line.data(), 1, line.size(), out);
		fprintf(out, "%i, %s, \"%s\"\n", mi->length, mi->is_url ? "true" : "false",
		        format_time(mi->last_updated, time_format).c_str());
		fflush(out);
	}
}
