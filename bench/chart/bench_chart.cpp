// One chart frame at the main window's size with every line shown, drawn as a repaint does:
// through the off-screen surface onto the target. Prints the median; the target is 2 ms.
// With a file name as argument, also saves the last frame as a PNG.
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "run/run_state.h"
#include "chart/buffer_dc.h"
#include "chart/chart_flags.h"
#include "chart/line_chart.h"
#include "settings/settings_record.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Settings settings;
    settings.Parse();
    const auto runState = std::make_unique<TestRun>();
    TestRun& run = *runState;
    ChartFlags flags;
    flags.g_bShowRatioCurve = 1;
    for (int i = 0; i < kHistorySlots; ++i) {
        run.g_dHistory0[i] = 40 * std::sin(i / 30.0);
        run.g_dHistory1[i] = 90 * std::cos(i / 45.0);
        run.g_dRatioHistory[i] = 1 + std::sin(i / 20.0);
    }
    run.g_dHistory0[kHistorySlots - 2] = 40;
    run.g_dValue0 = run.g_dHistory0[0];

    CLineChartCtrl chart(settings, run, flags);
    chart.resize(586, 269);
    chart.CalcLayout();
    QImage target(586, 269, QImage::Format_RGB32);
    QImage bitmap;
    std::vector<double> times;
    for (int frame = 0; frame < 400; ++frame) {
        QElapsedTimer timer;
        timer.start();
        {
            QPainter painter(&target);
            CBufferDC dc(painter, target.rect(), bitmap);
            chart.DrawFrame(dc.Painter());
        }
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf(
        "chart frame 586x269, all lines on: median %.3f ms, 90th percentile %.3f ms "
        "(target <= 2 ms) over %zu frames\n",
        times[times.size() / 2], times[times.size() * 9 / 10], times.size());
    if (argc > 1) target.save(QString::fromLocal8Bit(argv[1]));
    return 0;
}
