#include "base/error.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <err.h>

namespace
{
fatal_hook_fn fatal_hook = nullptr;
} // namespace

void run_fatal_hook()
{
	if (fatal_hook != nullptr) {
		fatal_hook_fn hook = fatal_hook;
		fatal_hook = nullptr;
		hook();
	}
}

void error_set_fatal_hook(fatal_hook_fn hook)
{
	fatal_hook = hook;
}

void fatal_sys(const char *fmt, ...)
{
	int saved = errno;
	run_fatal_hook();
	fflush(stdout);
	errno = saved;
	va_list ap;
	va_start(ap, fmt);
	verr(1, fmt, ap);
}

void fatal(const char *fmt, ...)
{
	run_fatal_hook();
	fflush(stdout);
	va_list ap;
	va_start(ap, fmt);
	verrx(1, fmt, ap);
}

void warn_sys(const char *fmt, ...)
{
	int saved = errno;
	fflush(stdout);
	errno = saved;
	va_list ap;
	va_start(ap, fmt);
	vwarn(fmt, ap);
	va_end(ap);
}

void warn_msg(const char *fmt, ...)
{
	fflush(stdout);
	va_list ap;
	va_start(ap, fmt);
	vwarnx(fmt, ap);
	va_end(ap);
}
