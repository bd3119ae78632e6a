#include "core/config.h"

#include <libutil.h> // fparseln, from libbsd
#include <sys/types.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "base/error.h"
#include "base/globals.h"
#include "base/owners.h"
#include "commands/cmd.h"
#include "screen/message.h"

namespace
{

bool loading = false;

struct free_deleter {
	void operator()(char *p) const { free(p); }
};

// Marks a run of load_config for as long as it lives.
class loading_mark
{
public:
	loading_mark() { loading = true; }
	~loading_mark() { loading = false; }
	loading_mark(const loading_mark &) = delete;
	loading_mark &operator=(const loading_mark &) = delete;
};

} // namespace

bool config_is_loading()
{
	return loading;
}

int load_config(config_errors on_error)
{
	unique_file f(fopen(conf_file.c_str(), "r"));
	if (!f)
		return 0;
	loading_mark mark;

	size_t lineno = 0;
	while (!feof(f.get())) {
		std::unique_ptr<char, free_deleter> line(
		        fparseln(f.get(), nullptr, &lineno, nullptr, 0));
		if (!line) {
			if (!ferror(f.get()))
				break;
			if (on_error == config_errors::fatal)
				fatal_sys("error reading config file '%s'", conf_file.c_str());
			paint_error("error reading config file '%s': %s", conf_file.c_str(),
			            strerror(errno));
			return 1;
		}
		const char *text = line.get() + strspn(line.get(), " \t\n");
		if (*text == '\0')
			continue;
		const cmd_source source{ conf_file.c_str(), lineno,
			                 on_error == config_errors::fatal };
		if (cmd_dispatch(text, source) != 0)
			return 1;
	}
	return 0;
}

namespace
{

// "reload conf" reads the file through this.
const cmd_config_reader file_reader = {
	config_is_loading,
	[] { return load_config(config_errors::report); },
};
[[maybe_unused]] const bool reader_given = (config_reader = &file_reader, true);

} // namespace
