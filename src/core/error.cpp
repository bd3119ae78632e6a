#include "core/error.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <err.h>

void fatal_sys(const char *fmt, ...)
{
	int saved = errno;
	fflush(stdout);
	errno = saved;
	va_list ap;
	va_start(ap, fmt);
	verr(1, fmt, ap);
}

void fatal(const char *fmt, ...)
{
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
