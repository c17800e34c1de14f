// A test of 10000 records: the whole result set from the record tables (texts parsed, the
// engine with every standard result, the rows and notes), the engine again with an
// extensometer beside the crosshead (taken off at a third of the test, its strain joined to
// the crosshead's), the force-extension curve drawn through
// the off-screen surface at the results window's size, and the CSV text. Prints the medians against
// the targets of 5 ms, 10 ms and 20 ms. With a file name as argument, also saves the last curve
// frame as a PNG.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "../common/bench_support.h"
#include "chart/buffer_dc.h"
#include "records/records_csv.h"
#include "results/force_curve.h"
#include "results/results_engine.h"
#include "run/run_state.h"
#include "settings/settings_record.h"
#include "settings/specimen.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Settings settings;
    settings.Parse();
    const auto runState = std::make_unique<TestRun>();
    TestRun& run = *runState;
    SpecimenDims specimen;
    FillNoisyTensileTest(run);
    specimen = {10.0, 50.0};

    ResultSet set;
    std::size_t notes = 0;
    const double results = MedianMs(200, [&] {
        set = ResultsOfCurrentTest(settings, run, specimen);
        notes = ResultNotes(set).size();
    });
    const double engineOnly =
        MedianMs(200, [&set] { set.results = ComputeResults(set.curve, set.specimen, set.units); });

    // The extensometer reads the crosshead's travel less a load train of 0.04 mm/N over an Le
    // of half L0, with noise of its own, and nothing after record 3000.
    TestCurve both = set.curve;
    both.extensometerGauge = 25;
    both.removalRecord = 3000;
    for (std::size_t i = 0; i < both.force.size(); ++i) {
        both.extensometer.push_back(static_cast<int>(i) < both.removalRecord
                                        ? (both.displacement[i] - 0.04 * both.force[i]) / 2 +
                                              0.0005 * std::cos(i * 7.77)
                                        : std::nan(""));
    }
    TestResults withExtensometer;
    const double bothStrains =
        MedianMs(200, [&] { withExtensometer = ComputeResults(both, set.specimen, set.units); });

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
        "engine alone with the extensometer and the crosshead (removal at record 3000): median "
        "%.3f ms (target < 5 ms; E %s MPa)\n",
        bothStrains, ResultValueText(withExtensometer.modulus).c_str());
    std::printf(
        "force-extension curve of 10000 points, 640x480 off screen: median %.3f ms "
        "(target < 10 ms)\n",
        curve);
    std::printf("CSV of 10000 records (%zu bytes): median %.3f ms (target < 20 ms)\n", bytes, csv);
    std::printf("(%zu result rows, %zu notes)\n", set.rows.size(), notes);
    if (argc > 1) target.save(QString::fromLocal8Bit(argv[1]));
    return 0;
}
