// The application: anchors the data folder at the start-up directory, runs the main window
// modally and ends when it closes, or when SIGTERM, SIGINT or SIGHUP ends it (exit status
// 128 + the signal's number, after the test is stopped and saved).
#include <QApplication>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "common/ui_language.h"
#include "settings/data_folder.h"
#include "shell/language_dialog.h"
#include "shell/main_dialog.h"
#include "shell/termination.h"

namespace {

const char kUsage[] =
    "Usage: Velmora [Qt options]\n"
    "Runs and records pull tests through the DQX7460 acquisition card. The settings and\n"
    "the saved tests live in the folder 测试数据存档 under the directory it starts in.\n"
    "\n"
    "  --lang en|zh  the windows' language (default: the one chosen under 界面语言, else\n"
    "                English for an English locale, else Chinese)\n"
    "  --help, -h    print this help and exit\n"
    "  --version     print the version and exit\n";

}  // namespace

int main(int argc, char* argv[]) {
    // Answered before the application exists: it needs a display, these do not.
    std::optional<UiLanguage> commandLineLanguage;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--lang") == 0) {
            const std::string value = i + 1 < argc ? argv[i + 1] : "";
            commandLineLanguage = ParseUiLanguage(value);
            if (!commandLineLanguage) {
                std::fprintf(stderr, "Velmora: --lang wants en or zh, not '%s'\n%s", value.c_str(),
                             kUsage);
                return 2;
            }
            ++i;
            continue;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("Velmora %s\n", VELMORA_VERSION);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
    }
    QApplication app(argc, argv);
    // QApplication has taken the user's locale; numbers in texts stay "C" (a decimal point).
    setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    AnchorDataFolder();
    const UiLanguage language = ChooseUiLanguage(
        commandLineLanguage, ReadSavedUiLanguage(UiLanguageFilePath()), LocaleUiLanguage());
    InstallUiLanguage(app, language);
    CTerminationSignals termination;
    // The window's start-up notices (no card, refused settings) are modal: a signal while
    // one is open ends its loop, and the window then ends without being shown.
    int earlySignal = 0;
    const QMetaObject::Connection early =
        QObject::connect(&termination, &CTerminationSignals::Requested, [&](int signalNumber) {
            if (earlySignal == 0) earlySignal = signalNumber;
            QCoreApplication::exit(128 + signalNumber);
        });
    CTestDlg dialog;
    QObject::disconnect(early);
    if (earlySignal != 0) {
        dialog.OnTerminate(earlySignal);
        return 128 + earlySignal;
    }
    QObject::connect(&termination, &CTerminationSignals::Requested, &dialog,
                     &CTestDlg::OnTerminate);
    dialog.exec();
    return dialog.TerminationSignal() != 0 ? 128 + dialog.TerminationSignal() : 0;
}
