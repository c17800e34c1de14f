#include "common/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace {

std::string ToChars(double value, std::chars_format format, int decimals) {
    if (value == 0.0) value = 0.0;  // no "-0"
    char text[400];
    const auto result = decimals < 0
                            ? std::to_chars(text, text + sizeof text, value, format)
                            : std::to_chars(text, text + sizeof text, value, format, decimals);
    if (result.ec != std::errc()) return std::isnan(value) ? "nan" : "inf";
    return std::string(text, result.ptr);
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

std::string PlainNumber(double value) {
    return ToChars(value, std::chars_format::fixed, -1);
}

std::string FixedNumber(double value, int decimals) {
    return ToChars(value, std::chars_format::fixed, decimals < 0 ? 0 : decimals);
}

double LeadingNumber(std::string_view text) {
    while (!text.empty() && (IsBlank(text.front()) || text.front() == '\v' || text.front() == '\f'))
        text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large, or too small to hold: a negative exponent tells which.
        const std::string_view digits(text.data(), result.ptr - text.data());
        const bool tiny = digits.find("e-") != std::string_view::npos ||
                          digits.find("E-") != std::string_view::npos;
        value = tiny ? 0.0 : HUGE_VAL;
    } else if (result.ec != std::errc() || (!text.empty() && text.front() == '-')) {
        value = 0;  // no digits, or a second sign
    }
    return negative ? -value : value;
}

bool ParseNumber(std::string_view text, double* value) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    // from_chars takes a '-' but no '+'; "+-1" is not a number.
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') return false;
    }
    double parsed = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return false;
    *value = parsed;
    return true;
}

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
