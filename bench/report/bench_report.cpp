// The report page with a full table, printed to a PDF file at the printer's high
// resolution as a print job does. Prints the median; the target is 500 ms.
#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "run/run_state.h"
#include "printing/report_page.h"
#include "settings/settings_record.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Settings settings;
    settings.Parse();
    const auto runState = std::make_unique<TestRun>();
    TestRun& run = *runState;
    run.g_strStartTime = "2024-03-05-14:07:09";
    run.g_nRecordCount = 1000;
    for (int k = 1; k <= run.g_nRecordCount; ++k) {
        run.g_strRecord0[k] = "012.345";
        run.g_strRecord1[k] = "067.890";
    }
    for (int i = 0; i < kHistorySlots; ++i) {
        run.g_dHistory0[i] = 40 * std::sin(i / 30.0);
        run.g_dHistory1[i] = 90 * std::cos(i / 45.0);
    }

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.pdf"));
    std::vector<double> times;
    for (int pass = 0; pass < 15; ++pass) {
        QElapsedTimer timer;
        timer.start();
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        const auto fonts = CreateReportFonts();
        QPainter painter;
        if (!painter.begin(&printer)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        DrawReportPage(settings, run, painter, printer, *fonts);
        painter.end();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf(
        "report page to PDF (90 records, 2 curves): median %.1f ms, slowest %.1f ms "
        "(target <= 500 ms) over %zu runs\n",
        times[times.size() / 2], times.back(), times.size());
    return 0;
}
