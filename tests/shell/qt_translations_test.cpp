// Qt's dialog texts in Chinese when Debian's translations are installed; English, without a
// fault, when the folder lacks them.
#include "common/qt_translations.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

class QtTranslationsTest : public QObject {
    Q_OBJECT

  private slots:
    void missingFileLeavesEnglish() {
        QTemporaryDir empty;
        QVERIFY(!InstallQtTranslations(*QCoreApplication::instance(), empty.path()));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
    }

    void installedFileGivesChinese() {
        const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
        QVERIFY2(QFileInfo::exists(folder + QStringLiteral("/qtbase_zh_CN.qm")),
                 "scripts/deps.sh installs qt6-translations-l10n");
        QVERIFY(InstallQtTranslations(*QCoreApplication::instance()));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("取消"));
    }
};

QTEST_GUILESS_MAIN(QtTranslationsTest)
#include "qt_translations_test.moc"
