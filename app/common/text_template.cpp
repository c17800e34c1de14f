#include "common/text_template.h"

#include <cctype>
#include <vector>

std::string FillText(const char* textTemplate, std::initializer_list<std::string> args) {
    const std::vector<std::string> values(args);
    std::string text;
    for (const char* p = textTemplate; *p != '\0'; ++p) {
        const auto next = static_cast<unsigned char>(p[1]);
        if (*p == '%' && std::isdigit(next) && next != '0' &&
            static_cast<std::size_t>(next - '0') <= values.size()) {
            text += values[next - '1'];
            ++p;
        } else {
            text += *p;
        }
    }
    return text;
}
