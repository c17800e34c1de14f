// The texts a window shows from code built without Qt (the run controller, the settings'
// checks, the card's messages). Each is written in Chinese as ui::translate("Context", "…"),
// which lupdate finds like Qt's own translate(); the program's window installs a translator
// that looks the text up in the chosen language. Without one (the tests, the command-line
// tools) every text stays the Chinese it is written in.
#pragma once

#include <initializer_list>
#include <string>

#include "common/text_template.h"

namespace ui {

// Returns the text (UTF-8) in the shown language; nullptr keeps the source.
using Translator = std::string (*)(const char* context, const char* sourceUtf8);

// Installed once at start-up, before any thread runs; nullptr removes it.
void SetTranslator(Translator translator);

// The source text (UTF-8) in the shown language.
std::string translate(const char* context, const char* sourceUtf8);

// `text` (a translated template) with each "%1", "%2", ... replaced by the argument of that
// number.
inline std::string Fill(const std::string& text, std::initializer_list<std::string> args) {
    return FillText(text.c_str(), args);
}

}  // namespace ui
