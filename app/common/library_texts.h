// The texts of the libraries built without Qt (the records, the store, the settings' checks,
// the run controller), which they write as ui::translate("Context", "…"): their English is
// built into ":/i18n/velmora_<library>_en.qm" with this library, for the program and for
// velmora-results alike.
#pragma once

#include <string>

// A library's text by the translators installed in the application (UTF-8); what
// ui::SetTranslator takes.
std::string TranslateWithQt(const char* context, const char* sourceUtf8);
