// The results window, the force-extension curve and the report's second page, drawn from
// a test whose results are known: 10 N/mm to 20 N at 2 mm, 1 N/mm to 30 N at 12 mm, then
// down to 25 N at 14 mm, where the break is seen.
#include "results/results_window.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <QTableWidget>
#include <QtTest>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>

#include "run/run_state.h"
#include "printing/report_page.h"
#include "printing/results_page.h"
#include "results/force_curve.h"
#include "settings/settings_record.h"
#include "settings/specimen.h"

namespace {

constexpr int kRecords = 1401;
const QColor kCurveColour(0, 0, 200);
const QColor kMaxColour(220, 0, 0);
const QColor kBreakColour(0, 150, 0);

void RecordBilinearTest(Settings& settings, TestRun& run, SpecimenDims& specimen) {
    run.Reset();
    settings.SetDefaults();
    settings.Parse();
    run.g_strStartTime = "2025-03-07-14:05:09";
    for (int i = 1; i <= kRecords; ++i) {
        const double d = (i - 1) * 0.01;
        const double f = d <= 2 ? 10 * d : d <= 12 ? 20 + (d - 2) : 30 - 2.5 * (d - 12);
        char text[32];
        std::snprintf(text, sizeof text, "%07.3f", f);
        run.g_strRecord0[i] = text;
        std::snprintf(text, sizeof text, "%07.3f", d);
        run.g_strRecord1[i] = text;
        run.g_dRecordTime[i] = i * 0.03;
    }
    run.g_nRecordCount = kRecords;
    run.g_nBreakRecord = kRecords;
    specimen = {10.0, std::nullopt};
}

// Pixels of the colour in the rectangle (all of the image when the rectangle is empty).
int Count(const QImage& image, const QColor& colour, QRect area = QRect()) {
    if (area.isNull()) area = image.rect();
    int found = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) found += image.pixelColor(x, y) == colour;
    return found;
}

// Ink, as text leaves it: a pixel darker than mid-grey.
int InkIn(const QImage& image, const QRect& area) {
    int ink = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) ink += qGray(image.pixel(x, y)) < 128;
    return ink;
}

}  // namespace

class ResultsWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { RecordBilinearTest(settings, run, specimen); }

    void tableShowsTheResultsAndTheirUnits() {
        CResultsWnd window;
        specimen.finalGaugeLength = 61.5;
        window.ShowResults(ResultsOfCurrentTest(settings, run, specimen), "吴 Tolvane");
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.windowTitle(), QStringLiteral("试验结果"));
        auto* table = window.findChild<QTableWidget*>(QStringLiteral("table"));
        QCOMPARE(table->rowCount(), 26);
        auto cell = [table](int row, int col) { return table->item(row, col)->text(); };
        QCOMPARE(cell(0, 1), QStringLiteral("Dranvik"));
        QCOMPARE(cell(1, 0), QStringLiteral("测试员"));
        QCOMPARE(cell(1, 1), QStringLiteral("吴 Tolvane"));
        QCOMPARE(cell(3, 1), QStringLiteral("10"));  // S0
        QCOMPARE(cell(4, 1), QString());             // L0 not given
        const struct {
            int row;
            const char *name, *value, *unit;
        } expected[] = {{5, "断后最小横截面积 Su", "", "mm²"},
                        {6, "断后标距 Lu", "61.5", "mm"},
                        {7, "最大力", "30", "N"},
                        {8, "最大力位移", "12", "mm"},
                        {9, "断裂力", "25", "N"},
                        {10, "断裂位移", "14", "mm"},
                        {11, "断裂功", "0.325", "J"},
                        {12, "试验时间", "42.03", "s"},
                        {13, "抗拉强度 Rm", "3", "MPa"},
                        {14, "断后伸长率 A", "", "%"},
                        {15, "刚度", "10", "N/mm"},
                        {16, "弹性模量 E", "", "MPa"},
                        {25, "断面收缩率 Z", "", "%"}};
        for (const auto& e : expected) {
            QCOMPARE(cell(e.row, 0), QString::fromUtf8(e.name));
            QCOMPARE(cell(e.row, 1), QString::fromUtf8(e.value));
            QCOMPARE(cell(e.row, 2), QString::fromUtf8(e.unit));
        }
        // The fracture record, how strain was measured and why A and E are missing.
        const QString notes = window.findChild<QLabel*>(QStringLiteral("breakNote"))->text();
        QVERIFY2(
            notes.startsWith(QStringLiteral("断裂于第 1401 条记录\n引伸计: 无，以横梁位移计算\n")),
            qPrintable(notes));
        QVERIFY(notes.contains(QStringLiteral("标距 L0 未给定或无效")));
        // And where to give it.
        QVERIFY2(notes.endsWith(QStringLiteral("\n标距 L0 未给定：在菜单栏的 试样参数 中输入")),
                 qPrintable(notes));
        // Not modal: the main window goes on behind it.
        QVERIFY(!window.isModal());
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
    }

    void curveIsDrawnOffScreenAndFollowsTheWindowSize() {
        CResultsWnd window;
        window.ShowResults(ResultsOfCurrentTest(settings, run, specimen), std::string());
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* curve = window.findChild<CForceCurveCtrl*>(QStringLiteral("curve"));
        window.resize(1200, 700);
        QTRY_VERIFY_WITH_TIMEOUT(curve->width() > 700, 5000);
        curve->grab();  // a repaint now, at the new size
        const QImage frame = curve->LastFrame();
        QCOMPARE(frame.size(), curve->size() * curve->devicePixelRatio());
        QVERIFY(Count(frame, kCurveColour) > 500);
        QVERIFY(Count(frame, kMaxColour) > 10);
        QVERIFY(Count(frame, kBreakColour) > 10);
        // The maximum (12 mm, 30 N) lies right of the middle and in the upper part; the
        // break (14 mm, 25 N) right of it.
        const QRect upperRight(frame.width() / 2, 0, frame.width() / 2, frame.height() / 2);
        QVERIFY(Count(frame, kMaxColour, upperRight) > 10);
    }

    // Narrow, maximised or in between, every column of the table lies within its viewport: 单位 is
    // never behind a scroll bar.
    void tableFitsItsColumns() {
        specimen.finalGaugeLength = 61.5;  // the longest name: 断后伸长率 A (横梁位移)
        specimen.gaugeLength = 50.0;
        CResultsWnd window;
        window.ShowResults(ResultsOfCurrentTest(settings, run, specimen), std::string());
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* table = window.findChild<QTableWidget*>(QStringLiteral("table"));
        const QAbstractItemView* view = table;
        auto fits = [table, view] {
            const int right = table->columnViewportPosition(2) + table->columnWidth(2);
            return right <= table->viewport()->width() &&
                   table->columnWidth(2) >= view->sizeHintForColumn(2) &&
                   table->columnWidth(0) >= view->sizeHintForColumn(0) &&
                   !table->horizontalScrollBar()->isVisible();
        };
        QTRY_VERIFY_WITH_TIMEOUT(fits(), 5000);
        // Narrowed, the curve gives way, not the table.
        window.resize(600, 540);
        QTRY_VERIFY_WITH_TIMEOUT(fits(), 5000);
        window.showMaximized();
        QTRY_VERIFY_WITH_TIMEOUT(window.isMaximized() || window.width() > 960, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(fits(), 5000);
    }

    // After the break the rig stops and returns the crosshead along F = 0: those records are
    // no part of the curve, which ends at the fracture.
    void curveEndsAtTheFracture() {
        const int returnRecords = 200;
        for (int i = 1; i <= returnRecords; ++i) {
            char text[32];
            std::snprintf(text, sizeof text, "%07.3f", 14.0 * (returnRecords - i) / returnRecords);
            run.g_strRecord0[kRecords + i] = "000.000";
            run.g_strRecord1[kRecords + i] = text;
            run.g_dRecordTime[kRecords + i] = (kRecords + i) * 0.03;
        }
        run.g_nRecordCount = kRecords + returnRecords;
        ResultSet set = ResultsOfCurrentTest(settings, run, specimen);
        QImage frame(800, 500, QImage::Format_RGB32);
        {
            QPainter painter(&frame);
            DrawForceCurve(painter, frame.rect(), set, CurveScale{});
        }
        // The plot's bottom edge is F = 0; the return stroke would run along it from 14 mm
        // back to 0.
        const QRect plot = frame.rect().adjusted(62, 28, -18, -44);
        const QRect zeroForce(plot.left() + plot.width() / 10, plot.bottom() - 3,
                              plot.width() * 8 / 10, 6);
        QCOMPARE(Count(frame, kCurveColour, zeroForce), 0);
        QVERIFY(Count(frame, kCurveColour) > 300);
    }

    // The axes of the curve of 0..14 mm and 0..30 N, on screen and at the report's scale: a
    // grid line at every round tick (2 mm, 5 N) inside the plot, the frame on its edges, each
    // tick's number beside its line and none halfway between, the axes' names.
    void curveAxesMarkEveryRoundTick() {
        const ResultSet set = ResultsOfCurrentTest(settings, run, specimen);
        const QColor grid(210, 210, 210);
        for (const double unit : {1.0, 600.0 / 96}) {
            auto px = [unit](int units) { return static_cast<int>(std::lround(units * unit)); };
            QImage frame(px(800), px(500), QImage::Format_RGB32);
            {
                QPainter painter(&frame);
                DrawForceCurve(painter, frame.rect(), set, CurveScale{unit});
            }
            const QRect plot = frame.rect().adjusted(px(62), px(28), -px(18), -px(44));
            const auto column = [&](double mm) {
                return plot.left() + static_cast<int>(mm / 14 * plot.width());
            };
            const auto row = [&](double newtons) {
                return static_cast<int>(plot.bottom() - newtons / 30 * plot.height());
            };
            const int inside = px(2);
            const QRect across(plot.left() + inside, 0, plot.width() - 2 * inside, 1);
            const QRect down(0, plot.top() + inside, 1, plot.height() - 2 * inside);
            const auto mostly = [](int found, int of) { return found > of * 9 / 10; };
            const QByteArray at = QByteArray::number(unit);
            for (int mm = 0; mm <= 14; mm += 2) {
                const QRect number(column(mm) - px(12), plot.bottom() + px(4), px(24), px(16));
                QVERIFY2(InkIn(frame, number) > 0, at);
                if (mm == 14) continue;
                QCOMPARE(InkIn(frame, number.translated(column(1) - column(0), 0)), 0);
                if (mm > 0) {
                    QVERIFY2(
                        mostly(Count(frame, grid, down.translated(column(mm), 0)), down.height()),
                        at);
                }
            }
            for (int newtons = 0; newtons <= 30; newtons += 5) {
                const QRect number(px(20), row(newtons) - px(6), px(36), px(12));
                QVERIFY2(InkIn(frame, number) > 0, at);
                if (newtons == 30) continue;
                QCOMPARE(InkIn(frame, number.translated(0, row(2.5) - row(0))), 0);
                if (newtons > 0) {
                    QVERIFY2(mostly(Count(frame, grid, across.translated(0, row(newtons))),
                                    across.width()),
                             at);
                }
            }
            // The frame's right and bottom lines lie one past the plot's last pixel.
            const QRect outline = plot.adjusted(0, 0, 1, 1);
            for (const QRect& edge :
                 {down.translated(outline.left(), 0), down.translated(outline.right(), 0),
                  across.translated(0, outline.top()), across.translated(0, outline.bottom())})
                QVERIFY2(mostly(Count(frame, Qt::black, edge), edge.width() * edge.height()), at);
            const QRect xName(plot.left(), plot.bottom() + px(22), plot.width(), px(18));
            QVERIFY2(InkIn(frame, xName) > 0, at);
            QVERIFY2(InkIn(frame, QRect(px(4), px(6), px(60), px(18))) > 0, at);
        }
    }

    void ticksAreRoundStepsCoveringTheRange() {
        const struct {
            double lo, hi;
            int ticks;
            double first, step;
            int count;
        } cases[] = {{0, 32.5, 6, 0, 10, 4},
                     {0, 16, 8, 0, 2, 8},
                     {-1.2, 0.3, 5, -1.5, 0.5, 4},
                     {5, 5, 4, 4, 0.5, 4},
                     {0, 0.004, 4, 0, 0.001, 4}};
        for (const auto& c : cases) {
            const AxisTicks t = NiceTicks(c.lo, c.hi, c.ticks);
            QCOMPARE(t.first, c.first);
            QVERIFY(qFuzzyCompare(t.step, c.step));
            QCOMPARE(t.count, c.count);
        }
    }

    // Values at the ends of double's range (the sanitizer build traps any overflowing
    // conversion): the axes stay finite, with a few round ticks, and the curve is drawn.
    void extremeValuesGiveFiniteAxesAndADrawing() {
        const double big = std::numeric_limits<double>::max();
        const struct {
            double lo, hi;
            int ticks;
        } cases[] = {{-1e308, 1e308, 8},   {-big, big, 6},  {0, big, 1}, {1e308, 1e308, 4},
                     {0, 1e-300, 6},       {-big, -big, 8}, {0, 10, 0},  {0, 10, 1 << 30},
                     {std::nan(""), 5, 6}, {0, 4.9e-324, 8}};
        for (const auto& c : cases) {
            const AxisTicks t = NiceTicks(c.lo, c.hi, c.ticks);
            QVERIFY(std::isfinite(t.first) && std::isfinite(t.step) && t.step > 0);
            QVERIFY(std::isfinite(t.first + t.step * t.count));
            QVERIFY(t.count >= 1 && t.count <= 200);
        }

        ResultSet set;
        set.curve.force = {0, 1e308, -1e308, 5, big, -big};
        set.curve.displacement = {0, -1e308, 1e308, big, 1, -big};
        set.curve.time = {0, 1, 2, 3, 4, 5};
        set.curve.breakRecord = 3;
        set.results = ComputeResults(set.curve, SpecimenDims{}, ChannelUnits{});
        QImage frame(640, 480, QImage::Format_RGB32);
        {
            QPainter painter(&frame);
            DrawForceCurve(painter, frame.rect(), set, CurveScale{});
        }
        QVERIFY(Count(frame, kCurveColour) > 0);
    }

    // Page 2 at 150 dpi: title and table in the upper part, the curve in the lower part.
    void secondReportPageShowsTableAndCurve() {
        QImage page(1240, 1754, QImage::Format_RGB32);
        page.setDotsPerMeterX(qRound(150 / 0.0254));
        page.setDotsPerMeterY(qRound(150 / 0.0254));
        page.fill(Qt::white);
        {
            QPainter painter(&page);
            DrawResultsPage(painter, page, *CreateReportFonts(),
                            ResultsOfCurrentTest(settings, run, specimen), "Tolvane");
        }
        const auto units = [](int y) { return y * 150 / kReportDpi; };
        const QRect table(units(350), units(850), units(4140), units(15 * 120));
        const QRect curve(units(350), units(2900), units(4140), units(3600));
        QVERIFY(Count(page, Qt::black, table) > 1000);
        QVERIFY(Count(page, kCurveColour, curve) > 300);
        QVERIFY(Count(page, kMaxColour, curve) > 10);
        QCOMPARE(Count(page, kCurveColour, table), 0);
        // Nothing is drawn outside the page's layout area.
        const QRect layout(units(150) - 2, units(350) - 2, units(4490 - 150) + 4,
                           units(6500 - 350) + 4);
        QImage outside = page.copy();
        QPainter(&outside).fillRect(layout, Qt::white);
        QCOMPARE(Count(outside, Qt::white), outside.width() * outside.height());
    }

  private:
    Settings settings;
    std::unique_ptr<TestRun> runState = std::make_unique<TestRun>();
    TestRun& run = *runState;
    SpecimenDims specimen;
};

QTEST_MAIN(ResultsWindowTest)
#include "results_window_test.moc"
