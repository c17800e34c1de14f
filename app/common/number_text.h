// Numbers as the program stores and shows them: "." as the decimal point whatever the
// operator's locale, and parsing that never depends on the process locale.
#pragma once

#include <locale.h>

#include <cstddef>
#include <string>
#include <string_view>

// The shortest plain decimal that reads back as the same double ("12.345", "0.001", "-3");
// never an exponent. A negative zero is written "0"; NaN and infinities as "nan", "inf".
std::string PlainNumber(double value);
// With exactly `decimals` digits after the point ("1.250" for 1.25 and 3).
std::string FixedNumber(double value, int decimals);
// The number at the start of the text as atof reads it (blanks and a sign first, the longest
// decimal that follows; 0 when there is none), without the process locale. Record texts
// ("012.345") are read with it: it is several times faster than the C library.
double LeadingNumber(std::string_view text);
// The whole text (blanks around it allowed, one leading '+' allowed) as a decimal number;
// false for anything else, an empty text included.
bool ParseNumber(std::string_view text, double* value);
// The "C" locale, for the _l variants of the C library's conversions.
locale_t CNumericLocale();
// snprintf of one double in the "C" locale, for the fixed-width printf formats of readouts
// and records.
int FormatDouble(char* text, std::size_t size, const char* format, double value);
