// The application: anchors the data folder at the start-up directory, runs the main window
// modally and ends when it closes, or when SIGTERM, SIGINT or SIGHUP ends it (exit status
// 128 + the signal's number, after the test is stopped and saved).
#include <QApplication>
#include <clocale>

#include "settings/data_folder.h"
#include "shell/main_dialog.h"
#include "shell/qt_translations.h"
#include "shell/termination.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // QApplication has taken the user's locale; numbers in texts stay "C" (a decimal point).
    setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    InstallQtTranslations(app);
    AnchorDataFolder();
    CTerminationSignals termination;
    CTestDlg dialog;
    QObject::connect(&termination, &CTerminationSignals::Requested, &dialog,
                     &CTestDlg::OnTerminate);
    dialog.exec();
    return dialog.TerminationSignal() != 0 ? 128 + dialog.TerminationSignal() : 0;
}
