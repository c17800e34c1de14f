#include "common/numeric_text.h"

#include <cstdio>

locale_t CNumericLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

int FormatDouble(char* text, std::size_t size, const char* format, double value) {
    // uselocale changes the calling thread's locale only, and only for this call.
    const locale_t previous = uselocale(CNumericLocale());
    const int length = std::snprintf(text, size, format, value);
    uselocale(previous);
    return length;
}
