// The application: anchors the data folder at the start-up directory, runs the main window
// modally and ends when it closes.
#include <QApplication>
#include <clocale>

#include "settings/data_folder.h"
#include "shell/main_dialog.h"
#include "shell/qt_translations.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // QApplication has taken the user's locale; numbers in texts stay "C" (a decimal point).
    setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    InstallQtTranslations(app);
    AnchorDataFolder();
    CTestDlg dialog;
    dialog.exec();
    return 0;
}
