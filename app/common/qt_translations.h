// Qt's own dialogs (file picker, print dialog, print preview, message box buttons) in
// Chinese, from Debian's qt6-translations-l10n.
#pragma once

#include <QLibraryInfo>
#include <QString>

class QCoreApplication;

// Installs qtbase_zh_CN.qm from the folder on the application. False, with nothing
// installed, when the file is absent or unreadable: Qt's dialogs then stay in English.
bool InstallQtTranslations(QCoreApplication& app, const QString& folder = QLibraryInfo::path(
                                                      QLibraryInfo::TranslationsPath));
