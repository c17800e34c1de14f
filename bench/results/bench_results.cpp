// A test of 10000 records: the whole result set from the record tables (texts parsed, the
// engine with every standard result, the rows and notes), the force-extension curve drawn through
// the off-screen surface at the results window's size, and the CSV text. Prints the medians against
// the targets of 5 ms, 10 ms and 20 ms. With a file name as argument, also saves the last curve
// frame as a PNG.
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "run/run_state.h"
#include "chart/buffer_dc.h"
#include "records/records_csv.h"
#include "results/force_curve.h"
#include "results/results_engine.h"
#include "settings/settings_record.h"
#include "settings/specimen.h"

namespace {

double MedianMs(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// A noisy tensile curve: elastic, hardening, necking, break.
void FillTest(TestRun& run, SpecimenDims& specimen) {
    for (int i = 1; i <= 10000; ++i) {
        const double d = i * 0.002;
        const double f = d < 2    ? 10 * d
                         : d < 15 ? 20 + 12.5 * std::sqrt((d - 2) / 13)
                                  : 32.5 - (d - 15);
        char text[32];
        std::snprintf(text, sizeof text, "%07.3f", f + 0.02 * std::sin(i * 12.9898));
        run.g_strRecord0[i] = text;
        std::snprintf(text, sizeof text, "%07.3f", d);
        run.g_strRecord1[i] = text;
        run.g_dRecordTime[i] = i * 0.03;
    }
    run.g_nRecordCount = 10000;
    run.g_nBreakRecord = 10000;
    specimen = {10.0, 50.0};
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Settings settings;
    settings.Parse();
    const auto runState = std::make_unique<TestRun>();
    TestRun& run = *runState;
    SpecimenDims specimen;
    FillTest(run, specimen);

    ResultSet set;
    std::size_t notes = 0;
    const double results = MedianMs(200, [&] {
        set = ResultsOfCurrentTest(settings, run, specimen);
        notes = ResultNotes(set).size();
    });
    const double engineOnly =
        MedianMs(200, [&set] { set.results = ComputeResults(set.curve, set.specimen, set.units); });

    QImage target(640, 480, QImage::Format_RGB32);
    QImage bitmap;
    const double curve = MedianMs(200, [&] {
        QPainter painter(&target);
        CBufferDC dc(painter, target.rect(), bitmap);
        DrawForceCurve(dc.Painter(), target.rect(), set, CurveScale{});
    });

    std::size_t bytes = 0;
    const double csv = MedianMs(200, [&] { bytes = RecordsCsvText(settings, run).size(); });

    std::printf(
        "whole result set of 10000 records (texts parsed, engine, rows, notes): median %.3f ms, "
        "engine alone %.3f ms (target < 5 ms)\n",
        results, engineOnly);
    std::printf(
        "force-extension curve of 10000 points, 640x480 off screen: median %.3f ms "
        "(target < 10 ms)\n",
        curve);
    std::printf("CSV of 10000 records (%zu bytes): median %.3f ms (target < 20 ms)\n", bytes, csv);
    std::printf("(%zu result rows, %zu notes)\n", set.rows.size(), notes);
    if (argc > 1) target.save(QString::fromLocal8Bit(argv[1]));
    return 0;
}
