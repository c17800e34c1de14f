// Tests of the windows in English: every translation the program embeds installed for the
// lifetime of an object, for Qt's texts and for the libraries' messages, and a check for
// Chinese text left in a window.
#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTranslator>
#include <memory>
#include <vector>

#include "common/library_texts.h"
#include "common/ui_text.h"

class EnglishTexts {
  public:
    EnglishTexts() {
        for (const QString& name :
             QDir(QStringLiteral(":/i18n")).entryList({QStringLiteral("velmora_*_en.qm")})) {
            auto translator = std::make_unique<QTranslator>();
            if (translator->load(QStringLiteral(":/i18n/") + name) &&
                QCoreApplication::installTranslator(translator.get()))
                m_translators.push_back(std::move(translator));
        }
        ui::SetTranslator(&TranslateWithQt);
    }
    ~EnglishTexts() {
        ui::SetTranslator(nullptr);
        for (const auto& translator : m_translators)
            QCoreApplication::removeTranslator(translator.get());
    }
    EnglishTexts(const EnglishTexts&) = delete;
    EnglishTexts& operator=(const EnglishTexts&) = delete;
    int Count() const { return static_cast<int>(m_translators.size()); }

  private:
    std::vector<std::unique_ptr<QTranslator>> m_translators;
};

// Whether `text` holds Chinese once the data it may show (names the operator gave) is taken out.
inline bool HasChineseBesides(QString text, const QStringList& data = {}) {
    for (const QString& item : data) text.remove(item);
    static const QRegularExpression han(QStringLiteral("[\\x{3000}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
    return text.contains(han);
}
