#include "core/config.h"

#include <libutil.h> // fparseln, from libbsd
#include <sys/types.h>

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/globals.h"
#include "base/owners.h"
#include "commands/cmd.h"
#include "commands/str2argv.h"
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

// Ends the program with the message (fatal's hook gives the terminal back
// first), or shows it on the message line; 1 in the latter case.
__attribute__((format(printf, 2, 3))) int fail(config_errors on_error, const char *fmt, ...)
{
	char text[1024];
	va_list ap;
	va_start(ap, fmt);
	vsnprintf(text, sizeof text, fmt, ap);
	va_end(ap);
	if (on_error == config_errors::fatal)
		fatal("%s", text);
	paint_error("%s", text);
	return 1;
}

// Runs one logical line numbered lineno; 0, or what fail gave.
int run_line(const char *line, size_t lineno, config_errors on_error)
{
	const char *file = conf_file.c_str();
	const ssize_t n = static_cast<ssize_t>(lineno);
	std::vector<std::string> argv;
	std::optional<std::string> errmsg;
	if (str2argv(line, argv, errmsg) != 0)
		return fail(on_error, "%s line %zd: parse error: %s", file, n, errmsg->c_str());

	const std::string word0 = argv.empty() ? "" : argv[0];
	const int row = cmd_select(word0);
	if (row == CMD_UNKNOWN)
		return fail(on_error, "%s line %zd: unknown command'%s'", file, n, word0.c_str());
	if (row == CMD_AMBIGUOUS)
		return fail(on_error, "%s line %zd: ambiguous abbreviation '%s'", file, n,
		            word0.c_str());

	const int rc = cmd_table[row].handler(argv);
	argv_free(argv);
	if (rc != 0)
		return fail(on_error, "%s line %zd: error with command '%s' [%i]", file, n,
		            word0.c_str(), rc);
	return 0;
}

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
			return fail(on_error, "error reading config file '%s': %s",
			            conf_file.c_str(), strerror(errno));
		}
		const char *text = line.get() + strspn(line.get(), " \t\n");
		if (*text == '\0')
			continue;
		if (run_line(text, lineno, on_error) != 0)
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
