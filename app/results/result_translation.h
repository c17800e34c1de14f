// The results engine's row names and notes in the language of the installed translators. The
// engine builds them in Chinese from the templates of result_texts.h, which the files keep;
// a view finds each text's template again and shows its translation with the same numbers.
#pragma once

#include <QString>
#include <string>
#include <vector>

// `text` (UTF-8) translated: a text of result_texts.h or one built from a template, whose
// parts are translated in turn (a name, a list joined by "、"); a text that is none of these
// (a number, a unit, a name the operator gave) comes back as it is.
QString TranslatedResultText(const std::string& text);

// The same for another library's texts: `templates` are its marked texts, in `context`.
QString TranslatedText(const char* context, const std::vector<const char*>& templates,
                       const std::string& text);
