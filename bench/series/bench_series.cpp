// A series of 50 saved tests of 10000 records each, written to a temporary data folder: the
// time to read them back (no target), to compute the table with its statistics and the
// overlay's geometry (target 100 ms), and to paint one frame of the overlay as the window's
// control does, at the window's size and maximised on a large screen (target 16 ms). With a file
// name as argument, also saves the last frame.
#include <stdlib.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../common/bench_support.h"
#include "chart/buffer_dc.h"
#include "records/archive.h"
#include "records/archive_ini.h"
#include "run/run_state.h"
#include "series/series_chart.h"
#include "series/series_overlay.h"
#include "series/series_tests.h"
#include "settings/settings_record.h"
#include "settings/specimen.h"

namespace {

constexpr int kSpecimens = 50;
constexpr int kRecords = 10000;

// Linear to 20 N, hardening to Fm at 80 % of the travel, necking, the fracture, a short drop.
bool WriteSpecimen(const std::string& folder, int number, std::string* error) {
    Settings settings;
    settings.SetDefaults();
    settings.Parse();
    const auto run = std::make_unique<TestRun>();
    const double fm = 38 + 0.1 * number;
    for (int i = 1; i <= kRecords; ++i) {
        const double d = (i - 1) * 0.001;
        const double f = d <= 0.5   ? 40 * d
                         : d <= 8   ? 20 + (fm - 20) * std::sqrt((d - 0.5) / 7.5)
                         : d <= 9.9 ? fm - 0.2 * fm * (d - 8) / 1.9
                                    : 0.2;
        char text[32];
        std::snprintf(text, sizeof text, "%07.3f", f + 0.05 * std::sin(i * 0.7));
        run->g_strRecord0[i] = text;
        std::snprintf(text, sizeof text, "%07.3f", d);
        run->g_strRecord1[i] = text;
        run->g_dRecordTime[i] = 0.03 * i;
    }
    run->g_nRecordCount = kRecords;
    run->g_seriesMember = {"bench", number, number % 10 == 3 ? "断于标距外" : ""};
    char name[32];
    std::snprintf(name, sizeof name, "bench-%02d.dat", number);
    const std::string archive = folder + name;
    return WriteArchive(settings, *run, archive, error) &&
           WriteTestFile(*run, SpecimenDims{0.1, 50.0}, TestFilePathOf(archive), error);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    char pattern[] = "/tmp/bench-series-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return 1;
    const std::string folder = std::string(pattern) + "/";
    std::string error;
    for (int n = 1; n <= kSpecimens; ++n) {
        if (!WriteSpecimen(folder, n, &error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
    }

    SeriesTests series;
    const auto load = TimeMs(3, [&] { series = LoadSeriesTests(folder, "bench"); });
    std::filesystem::remove_all(pattern);
    if (series.tests.size() != static_cast<std::size_t>(kSpecimens)) return 1;

    const QRect area(0, 0, 900, 480);
    SeriesTable table;
    SeriesOverlay overlay;
    OverlayLayout layout;
    std::vector<std::vector<PlotPoint>> reduced;
    const auto geometry = TimeMs(20, [&] {
        table = SeriesTableOf(series.tests);
        overlay = OverlayOfSeries(series.tests);
        layout = LayOutOverlay(overlay, area, CurveScale{});
        reduced = ReduceOverlay(overlay, layout);
    });

    // The window's size, and a maximised window on a large screen.
    const std::vector<bool> shown(overlay.curves.size(), true);
    QImage target;
    std::pair<double, double> frames[2];
    std::size_t drawn[2] = {};
    const QRect areas[2] = {area, QRect(0, 0, 1800, 900)};
    for (int i = 0; i < 2; ++i) {
        const OverlayLayout sized = LayOutOverlay(overlay, areas[i], CurveScale{});
        const std::vector<std::vector<PlotPoint>> points = ReduceOverlay(overlay, sized);
        for (const auto& curve : points) drawn[i] += curve.size();
        target = QImage(areas[i].size(), QImage::Format_RGB32);
        QImage bitmap;
        frames[i] = TimeMs(200, [&] {
            QPainter painter(&target);
            CBufferDC dc(painter, areas[i], bitmap);
            PaintOverlay(dc.Painter(), overlay, sized, points, shown, CurveScale{});
        });
    }

    std::printf("series of %d specimens x %d records\n", kSpecimens, kRecords);
    std::printf("  reading the saved tests (results computed): median %.1f ms (no target)\n",
                load.first);
    std::printf(
        "  table, statistics and overlay geometry: median %.2f ms, 90th percentile %.2f ms "
        "(target <= 100 ms)\n",
        geometry.first, geometry.second);
    for (int i = 0; i < 2; ++i) {
        std::printf(
            "  one overlay frame %dx%d, %zu points drawn: median %.2f ms, 90th percentile %.2f "
            "ms (target <= 16 ms)\n",
            areas[i].width(), areas[i].height(), drawn[i], frames[i].first, frames[i].second);
    }
    if (argc > 1) target.save(QString::fromLocal8Bit(argv[1]));
    return geometry.first <= 100 && frames[0].first <= 16 && frames[1].first <= 16 ? 0 : 2;
}
