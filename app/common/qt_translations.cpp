#include "common/qt_translations.h"

#include <QCoreApplication>
#include <QTranslator>

bool InstallQtTranslations(QCoreApplication& app, const QString& folder) {
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_zh_CN"), folder)) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}
