// The process in the C.UTF-8 locale for as long as the object lives, then
// back in the C locale the tests otherwise run in.
#pragma once

#include <clocale>

class utf8_locale
{
public:
	utf8_locale() : ok(setlocale(LC_ALL, "C.UTF-8") != nullptr) {}
	~utf8_locale() { setlocale(LC_ALL, "C"); }
	utf8_locale(const utf8_locale &) = delete;
	utf8_locale &operator=(const utf8_locale &) = delete;
	// Whether the system has the locale.
	bool available() const { return ok; }

private:
	bool ok;
};
