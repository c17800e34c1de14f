// The language of the program's windows: Chinese (the texts as written) or English (from the
// translations built into the program). Chosen once at start-up, by --lang on the command
// line, else by the saved choice, else by the locale.
#pragma once

#include <optional>
#include <string>

class QCoreApplication;

enum class UiLanguage { Chinese, English };

// "en" or "zh"; nullopt for anything else.
std::optional<UiLanguage> ParseUiLanguage(const std::string& name);
// "en" or "zh".
const char* UiLanguageName(UiLanguage language);

// The locale's language as the C library reads it: the first set of LC_ALL, LC_MESSAGES and
// LANG; English for an "en" locale ("en", "en_GB.UTF-8"), Chinese for anything else.
UiLanguage LocaleUiLanguage(const char* lcAll, const char* lcMessages, const char* lang);
UiLanguage LocaleUiLanguage();

// The saved choice in the file (a line "Language=en" or "Language=zh"); nullopt when the file
// is missing or holds neither.
std::optional<UiLanguage> ReadSavedUiLanguage(const std::string& pathUtf8);
bool SaveUiLanguage(const std::string& pathUtf8, UiLanguage language, std::string* errorUtf8);

// The command line's choice first, then the saved one, then the locale's.
UiLanguage ChooseUiLanguage(std::optional<UiLanguage> commandLine, std::optional<UiLanguage> saved,
                            UiLanguage locale);

// English: installs every translation built in as ":/i18n/velmora_*_en.qm", and a
// translator for the texts of the code built without Qt. Chinese: Qt's own zh_CN
// translations, so that its dialogs speak Chinese too. False when a translation could not be
// loaded (the texts it holds then stay in Chinese, or Qt's dialogs in English).
bool InstallUiLanguage(QCoreApplication& app, UiLanguage language);
// The language last installed; Chinese before any.
UiLanguage InstalledUiLanguage();
