#include "common/ui_language.h"

#include <QCoreApplication>
#include <QDir>
#include <QTranslator>
#include <cstdlib>

#include "common/atomic_file.h"
#include "common/library_texts.h"
#include "common/qt_translations.h"
#include "common/ui_text.h"

namespace {

constexpr char kKey[] = "Language=";
UiLanguage g_installed = UiLanguage::Chinese;

bool InstallFromResources(QCoreApplication& app, const QString& name, const QString& folder) {
    auto* translator = new QTranslator(&app);
    if (!translator->load(name, folder)) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

}  // namespace

std::optional<UiLanguage> ParseUiLanguage(const std::string& name) {
    if (name == "en") return UiLanguage::English;
    if (name == "zh") return UiLanguage::Chinese;
    return std::nullopt;
}

const char* UiLanguageName(UiLanguage language) {
    return language == UiLanguage::English ? "en" : "zh";
}

UiLanguage LocaleUiLanguage(const char* lcAll, const char* lcMessages, const char* lang) {
    for (const char* value : {lcAll, lcMessages, lang}) {
        if (value == nullptr || *value == '\0') continue;
        const std::string locale(value);
        const bool english =
            locale.compare(0, 2, "en") == 0 &&
            (locale.size() == 2 || locale[2] == '_' || locale[2] == '.' || locale[2] == '@');
        return english ? UiLanguage::English : UiLanguage::Chinese;
    }
    return UiLanguage::Chinese;
}

UiLanguage LocaleUiLanguage() {
    return LocaleUiLanguage(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

std::optional<UiLanguage> ReadSavedUiLanguage(const std::string& pathUtf8) {
    std::string bytes;
    std::string error;
    if (!ReadBoundedFile(pathUtf8, 4096, &bytes, &error)) return std::nullopt;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.compare(0, sizeof kKey - 1, kKey) == 0) {
            return ParseUiLanguage(line.substr(sizeof kKey - 1));
        }
        start = end + 1;
    }
    return std::nullopt;
}

bool SaveUiLanguage(const std::string& pathUtf8, UiLanguage language, std::string* errorUtf8) {
    return WriteFileAtomically(
        pathUtf8, std::string("[Interface]\n") + kKey + UiLanguageName(language) + "\n", errorUtf8);
}

UiLanguage ChooseUiLanguage(std::optional<UiLanguage> commandLine, std::optional<UiLanguage> saved,
                            UiLanguage locale) {
    if (commandLine) return *commandLine;
    if (saved) return *saved;
    return locale;
}

bool InstallUiLanguage(QCoreApplication& app, UiLanguage language) {
    g_installed = language;
    if (language == UiLanguage::Chinese) {
        return InstallQtTranslations(app);
    }
    const QDir folder(QStringLiteral(":/i18n"));
    const QStringList names =
        folder.entryList({QStringLiteral("velmora_*_en.qm")}, QDir::Files, QDir::Name);
    bool all = !names.isEmpty();
    for (const QString& name : names) all = InstallFromResources(app, name, folder.path()) && all;
    ui::SetTranslator(&TranslateWithQt);
    return all;
}

UiLanguage InstalledUiLanguage() {
    return g_installed;
}
