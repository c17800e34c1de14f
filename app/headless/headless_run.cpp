// Runs the main job without a display: the program starts on the simulated card, the rig's
// start button begins a test, the specimen breaks, the automatic sequence stops and saves
// the test; then the report is printed to a PDF and the window to a PNG, and the paths of
// everything written are printed.
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/gbk_text.h"
#include "common/message_box.h"
#include "common/ui_language.h"
#include "headless/headless_options.h"
#include "instance_path.h"
#include "printing/print_frame.h"
#include "records/archive.h"
#include "results/result_translation.h"
#include "results/results_engine.h"
#include "run/run_state.h"
#include "settings/data_folder.h"
#include "settings/settings_record.h"
#include "shell/language_dialog.h"
#include "shell/main_dialog.h"

namespace {

constexpr int kTestTimeoutMs = 55000;

int Fail(const std::string& why) {
    std::fprintf(stderr, "velmora-headless: %s\n", why.c_str());
    return 1;
}

// The folder the simulator serves its sockets in: the driver folder of the card library,
// by the library's own rule.
std::string SimulatorFolder() {
    return dqx7460::InstanceFolder();
}

// One command on the simulator's control socket (a line out, a line back); its reply line,
// or an empty string when no simulator answers within timeoutMs.
std::string SimulatorCommand(const std::string& command, int timeoutMs = 5000) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = SimulatorFolder() + "/dqx7460-sim.ctl";
    if (path.size() >= sizeof(address.sun_path)) return {};
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return {};
    std::string reply;
    const std::string line = command + "\n";
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0 &&
        send(fd, line.data(), line.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(line.size())) {
        QElapsedTimer clock;
        clock.start();
        pollfd readable{fd, POLLIN, 0};
        char buffer[256];
        while (reply.find('\n') == std::string::npos) {
            int left = timeoutMs - static_cast<int>(clock.elapsed());
            if (left <= 0 || poll(&readable, 1, left) <= 0) break;
            ssize_t n = recv(fd, buffer, sizeof(buffer), 0);
            if (n <= 0) break;
            reply.append(buffer, static_cast<size_t>(n));
        }
    }
    close(fd);
    std::size_t end = reply.find('\n');
    return end == std::string::npos ? std::string() : reply.substr(0, end);
}

// The newest archive in the data folder, or an empty string.
QString NewestArchive() {
    QDir folder(QString::fromStdString(DataFolderPath()));
    QFileInfoList archives =
        folder.entryInfoList({QStringLiteral("*.dat")}, QDir::Files, QDir::Time);
    for (const QFileInfo& file : archives)
        if (file.fileName() != QStringLiteral("MyTestSet.dat")) return file.absoluteFilePath();
    return {};
}

// A test name the settings dialog and the archive's name would both take; else why not.
std::string CheckTestName(Settings& settings, const std::string& nameUtf8) {
    const std::string gbk = Utf8ToGbk(nameUtf8);
    for (const SettingsField& field : settings.Fields()) {
        if (field.text == &settings.g_strTestName && field.entryLimit > 0 &&
            gbk.size() > static_cast<std::size_t>(field.entryLimit))
            return "the test name is longer than " + std::to_string(field.entryLimit) + " bytes";
    }
    std::string base, error;
    if (!ArchiveBasePath(gbk, std::time(nullptr), &base, &error)) return error;
    return {};
}

}  // namespace

int main(int argc, char* argv[]) {
    HeadlessOptions options;
    const std::string refused =
        ParseHeadlessOptions(std::vector<std::string>(argv + 1, argv + argc), &options);
    if (!refused.empty()) {
        std::fprintf(stderr, "velmora-headless: %s\n%s", refused.c_str(), HeadlessUsage().c_str());
        return 2;
    }
    if (options.help) {
        std::printf("%s", HeadlessUsage().c_str());
        return 0;
    }
    if (options.version) {
        std::printf("velmora-headless %s\n", VELMORA_VERSION);
        return 0;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // QApplication has taken the user's locale; numbers in texts stay "C" (a decimal point).
    setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    AnchorDataFolder();
    // The program's own rule: the command line, else the choice saved in the data folder,
    // else the locale.
    const UiLanguage language = ChooseUiLanguage(
        options.language, ReadSavedUiLanguage(UiLanguageFilePath()), LocaleUiLanguage());
    InstallUiLanguage(app, language);
    // The results in the language chosen; the files keep them in Chinese.
    const bool english = language == UiLanguage::English;
    const auto shown = [english](const std::string& text) {
        return english ? TranslatedResultText(text).toStdString() : text;
    };
    SetMessageBoxHandler([](const QString& text, const QString& caption) {
        std::printf("[%s] %s\n", qPrintable(caption), qPrintable(text));
    });

    if (SimulatorCommand("ping") != "ok") return Fail("no simulator in " + SimulatorFolder());

    CTestDlg dialog;
    dialog.show();
    if (dialog.TheCard().g_hDevice == nullptr) return Fail("the program found no card");
    const TestRun& run = dialog.Run();
    if (options.testName) {
        const std::string why = CheckTestName(dialog.SettingsRecord(), *options.testName);
        if (!why.empty()) return Fail("--name " + *options.testName + ": " + why);
        dialog.SettingsRecord().g_strTestName = Utf8ToGbk(*options.testName);
    }
    // The rig's own specimen, so that the strengths and strains come out.
    const SpecimenDims rigSpecimen = SpecimenOfSimulatorReply(SimulatorCommand("specimen"));
    dialog.SetSpecimen(SpecimenForRun(options, rigSpecimen, dialog.Specimen()));

    // The start button is held until the program has seen it, however late a busy machine
    // lets it poll, as an operator holds a button until the program answers.
    std::string reply = SimulatorCommand("hold start");
    if (reply.rfind("ok", 0) != 0) return Fail("the rig did not take the start button: " + reply);
    std::printf("Test started: the rig pulls the specimen until it breaks.\n");

    bool started = false;
    bool finished = false;
    QElapsedTimer clock;
    clock.start();
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (run.g_bRecording && !started) {
            started = true;
            SimulatorCommand("release start");
        }
        if ((started && !run.g_bRecording) || clock.elapsed() > kTestTimeoutMs) {
            finished = started && !run.g_bRecording;
            app.quit();
        }
    });
    watch.start(50);
    app.exec();
    watch.stop();
    if (!finished) return Fail("the test did not end within 55 s");

    QString archive = NewestArchive();
    if (archive.isEmpty()) return Fail("the test ended but no archive was saved");
    // The broken specimen measured, as an operator types Su and Lu in after the save: the
    // files of the saved test take them.
    if (run.g_nBreakRecord > 0) {
        SpecimenDims measured = dialog.Specimen();
        MeasureBrokenSpecimen(measured, rigSpecimen);
        dialog.SetSpecimen(measured);
    }
    QString base = archive.left(archive.size() - 4);
    QString pdf = base + QStringLiteral(".pdf");
    QString png = base + QStringLiteral(".png");
    if (!PrintReportToPdf(dialog.Report(), pdf)) return Fail("the report could not be printed");
    if (!dialog.grab().save(png)) return Fail("the screenshot could not be written");

    const ResultSet results = ResultsOfCurrentTest(dialog.SettingsRecord(), run, dialog.Specimen());
    std::printf("Test ended after %d records, peak %s N.\n", run.g_nRecordCount,
                run.g_strReadout0[kPeakSlot].c_str());
    std::printf(
        "Specimen: S0 %s mm², L0 %s mm\n",
        results.specimen.area ? ResultValueText(results.specimen.area).c_str() : "-",
        results.specimen.gaugeLength ? ResultValueText(results.specimen.gaugeLength).c_str() : "-");
    std::printf("Results:\n");
    for (const ResultRow& row : results.rows) {
        const std::string value = row.value ? ResultValueText(row.value) : "-";
        std::printf("  %s %s %s\n", shown(row.name).c_str(), value.c_str(), row.unit.c_str());
    }
    for (const std::string& note : ResultNotes(results))
        std::printf("  (%s)\n", shown(note).c_str());
    for (const std::string& line : MissingDimensionLines(results.specimen))
        std::printf("  (%s)\n", line.c_str());
    std::printf("Archive:    %s\n", qPrintable(archive));
    std::printf("Workbook:   %s.xls\n", qPrintable(base));
    std::printf("Records:    %s.csv\n", qPrintable(base));
    std::printf("Report PDF: %s\n", qPrintable(pdf));
    std::printf("Screenshot: %s\n", qPrintable(png));
    return 0;
}
