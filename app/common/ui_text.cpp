#include "common/ui_text.h"

namespace ui {

namespace {
Translator g_translator = nullptr;
}  // namespace

void SetTranslator(Translator translator) {
    g_translator = translator;
}

std::string translate(const char* context, const char* sourceUtf8) {
    return g_translator != nullptr ? g_translator(context, sourceUtf8) : std::string(sourceUtf8);
}

std::string Fill(std::string text, std::initializer_list<std::string> args) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (text[i] == '%' && next >= '1' && next <= '9' &&
            static_cast<std::size_t>(next - '1') < args.size()) {
            out += *(args.begin() + (next - '1'));
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace ui
