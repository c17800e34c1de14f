#include "common/number_text.h"

#include <charconv>
#include <cmath>

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
