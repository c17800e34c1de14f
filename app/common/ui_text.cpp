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

}  // namespace ui
