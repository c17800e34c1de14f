// Runs the main job without a display: the program starts on the simulated card, the rig's
// start button begins a test, the specimen breaks, the automatic sequence stops and saves
// the test; then the report is printed to a PDF and the window to a PNG, and the paths of
// everything written are printed.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QTimer>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>

#include "acquisition/run_state.h"
#include "common/message_box.h"
#include "control_client.h"
#include "instance_path.h"
#include "results/results_engine.h"
#include "settings/data_folder.h"
#include "shell/main_dialog.h"

namespace {

constexpr int kTestTimeoutMs = 55000;

int Fail(const std::string& why) {
    std::fprintf(stderr, "velmora-headless: %s\n", why.c_str());
    return 1;
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

bool PrintReport(CTestDlg& dialog, const QString& pdfPath) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdfPath);
    dialog.OnReportBeginPrinting(printer);
    QPainter painter;
    bool ok = painter.begin(&printer);
    if (ok) {
        for (int page = 1; page <= dialog.ReportPageCount(); ++page) {
            if (page > 1) printer.newPage();
            dialog.OnReportPrintPage(painter, printer, page);
        }
        painter.end();
    }
    dialog.OnReportEndPrinting(printer);
    return ok;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("velmora-headless %s\n", VELMORA_VERSION);
        return 0;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // QApplication has taken the user's locale; numbers in texts stay "C" (a decimal point).
    setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    SetMessageBoxHandler([](const QString& text, const QString& caption) {
        std::printf("[%s] %s\n", qPrintable(caption), qPrintable(text));
    });
    AnchorDataFolder();

    sim::ControlClient rig;
    std::string error;
    if (!rig.Connect(dqx7460::InstanceFolder(), &error)) return Fail("no simulator: " + error);

    CTestDlg dialog;
    dialog.show();
    if (g_hDevice == nullptr) return Fail("the program found no card");

    std::string reply;
    if (!rig.Send("press start", &reply) || reply.rfind("ok", 0) != 0)
        return Fail("the rig did not take the start button: " + reply);
    std::printf("Test started: the rig pulls the specimen until it breaks.\n");

    bool started = false;
    bool finished = false;
    QElapsedTimer clock;
    clock.start();
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (g_bRecording) started = true;
        if ((started && !g_bRecording) || clock.elapsed() > kTestTimeoutMs) {
            finished = started && !g_bRecording;
            app.quit();
        }
    });
    watch.start(50);
    app.exec();
    watch.stop();
    if (!finished) return Fail("the test did not end within 55 s");

    QString archive = NewestArchive();
    if (archive.isEmpty()) return Fail("the test ended but no archive was saved");
    QString base = archive.left(archive.size() - 4);
    QString pdf = base + QStringLiteral(".pdf");
    QString png = base + QStringLiteral(".png");
    if (!PrintReport(dialog, pdf)) return Fail("the report could not be printed");
    if (!dialog.grab().save(png)) return Fail("the screenshot could not be written");

    std::printf("Test ended after %d records, peak %s N.\n", g_nRecordCount,
                g_strReadout0[501].c_str());
    std::printf("Results:\n");
    for (const ResultRow& row : ResultsOfCurrentTest().rows) {
        const std::string value = row.value ? ResultValueText(row.value) : "-";
        std::printf("  %s %s %s\n", row.name.c_str(), value.c_str(), row.unit.c_str());
    }
    std::printf("Archive:    %s\n", qPrintable(archive));
    std::printf("Workbook:   %s.xls\n", qPrintable(base));
    std::printf("Records:    %s.csv\n", qPrintable(base));
    std::printf("Report PDF: %s\n", qPrintable(pdf));
    std::printf("Screenshot: %s\n", qPrintable(png));
    return 0;
}
