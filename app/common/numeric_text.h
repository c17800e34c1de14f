// The program's own numbers in text always use "." as the decimal point, whatever locale
// the window system gave the process: readouts, records, archives and workbooks must read
// the same everywhere.
#pragma once

#include <locale.h>

#include <cstddef>

// The "C" locale, for the _l variants of the C library's conversions.
locale_t CNumericLocale();

// snprintf of one double, in the "C" locale.
int FormatDouble(char* text, std::size_t size, const char* format, double value);
