#include "chart/line_chart.h"

#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>
#include <limits>

#include "run/run_state.h"
#include "chart/buffer_dc.h"
#include "chart/chart_flags.h"
#include "settings/settings_record.h"

namespace {

constexpr int kWidth = 586;
constexpr int kHeight = 269;
constexpr int kPlotRight = kWidth - 20;  // pr: the newest sample's column
constexpr int kPlotLeft = 65;

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlue = qRgb(128, 128, 255);
const QRgb kRatio = qRgb(200, 100, 100);
const QRgb kCyan = qRgb(0, 255, 255);
const QRgb kMagenta = qRgb(255, 0, 255);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kYellow = qRgb(255, 255, 0);

// The rows above the time labels on which the colour appears anywhere between the two
// columns (inclusive).
QSet<int> RowsOf(const QImage& image, QRgb colour, int x0 = kPlotLeft, int x1 = kPlotRight) {
    QSet<int> rows;
    for (int y = 0; y < kHeight - 22; ++y) {
        for (int x = x0; x <= x1; ++x) {
            if (image.pixel(x, y) == colour) {
                rows.insert(y);
                break;
            }
        }
    }
    return rows;
}

// Pixels of the colour or of a darker shade of it, as smoothed text edges have.
int CountOf(const QImage& image, QRgb colour, const QRect& area) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            const int level = std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)});
            const int full = std::max({qRed(colour), qGreen(colour), qBlue(colour)});
            count += level > 0 && qAbs(qRed(pixel) * full - qRed(colour) * level) <= 2 * full &&
                     qAbs(qGreen(pixel) * full - qGreen(colour) * level) <= 2 * full &&
                     qAbs(qBlue(pixel) * full - qBlue(colour) * level) <= 2 * full;
        }
    }
    return count;
}

void ShowOnly(ChartFlags& flags, int* flag) {
    flags.g_bShowGrid = flags.g_bShowAlarmLines = flags.g_bShowPeakLine = flags.g_bShowLevelLine =
        0;
    flags.g_bShowCurve0 = flags.g_bShowCurve1 = flags.g_bShowRatioCurve = 0;
    *flag = 1;
}

void FillHistory(double* history, double value) {
    for (int i = 0; i < kHistorySlots; ++i) history[i] = value;
}

}  // namespace

class LineChartTest : public QObject {
    Q_OBJECT

  private:
    QImage Render() {
        QImage image(kWidth, kHeight, QImage::Format_RGB32);
        image.fill(Qt::gray);
        QPainter painter(&image);
        m_chart->DrawFrame(painter);
        return image;
    }

    Settings settings;
    std::unique_ptr<TestRun> runState = std::make_unique<TestRun>();
    TestRun& run = *runState;
    ChartFlags flags;
    std::unique_ptr<CLineChartCtrl> m_chart;

  private slots:
    void init() {
        run.Reset();
        settings.SetDefaults();
        settings.Parse();
        flags = ChartFlags{};
        m_chart = std::make_unique<CLineChartCtrl>(settings, run, flags);
        m_chart->resize(kWidth, kHeight);
        m_chart->CalcLayout();
    }

    void cleanup() { m_chart.reset(); }

    void zeroBuffersLieOnTheMiddleRowAndTheRatioOnTheBottomRow() {
        flags.g_bShowRatioCurve = 1;
        QImage image = Render();
        // Later items draw over earlier ones: the peak line (zero) tops the row.
        QCOMPARE(RowsOf(image, kMagenta), QSet<int>{124});
        QCOMPARE(RowsOf(image, kRatio, kPlotRight - 500, kPlotRight), QSet<int>{234});
        // A polyline leaves out its last pixel, as a window line does.
        QCOMPARE(image.pixel(kPlotRight - 499, 234), kRatio);
        QCOMPARE(image.pixel(kPlotRight, 234), kRatio);

        ShowOnly(flags, &flags.g_bShowCurve0);
        QCOMPARE(RowsOf(Render(), kWhite), QSet<int>{124});
        ShowOnly(flags, &flags.g_bShowCurve1);
        image = Render();
        QCOMPARE(RowsOf(image, kBlue), QSet<int>{124});
        QCOMPARE(image.pixel(kPlotRight - 499, 124), kBlue);
        QVERIFY(image.pixel(kPlotRight - 501, 124) != kBlue);
    }

    void curvesScrollOnePixelPerSample() {
        ShowOnly(flags, &flags.g_bShowCurve0);
        run.g_dHistory0[0] = 50;  // newest sample at the right edge, on the upper limit
        run.g_dHistory0[1] = 50;
        run.g_dHistory0[300] = -50;
        const QImage image = Render();
        QCOMPARE(image.pixel(kPlotRight, 14), kWhite);
        QCOMPARE(image.pixel(kPlotRight - 1, 14), kWhite);
        QCOMPARE(image.pixel(kPlotRight - 300, 234), kWhite);
        QVERIFY(image.pixel(kPlotRight - 3, 14) != kWhite);
    }

    void zoomMagnifiesFiveFold() {
        settings.g_strRangeLow0 = "0.000";
        settings.Parse();
        FillHistory(run.g_dHistory0, settings.g_dRangeHigh0 / 5);
        ShowOnly(flags, &flags.g_bShowCurve0);
        flags.g_bZoom = 1;
        QCOMPARE(RowsOf(Render(), kWhite), QSet<int>{14});
        QCOMPARE(flags.g_nZoomFactor, 5);
        flags.g_bZoom = 0;
        QCOMPARE(RowsOf(Render(), kWhite), QSet<int>{190});  // 234 - 10 * 220 / 50
        QCOMPARE(flags.g_nZoomFactor, 1);
    }

    void alarmLineIsRedAtOrAboveItsLevelAndYellowBelow() {
        ShowOnly(flags, &flags.g_bShowAlarmLines);
        run.g_dValue0 =
            settings.g_dAlarmLow;  // 10: the lower level is reached, the upper (13) is not
        QImage image = Render();
        QCOMPARE(RowsOf(image, kRed), QSet<int>{102});
        QCOMPARE(RowsOf(image, kYellow), QSet<int>{95});
        QCOMPARE(image.pixel(kPlotLeft, 102), kRed);
        QCOMPARE(image.pixel(kPlotRight, 102), kRed);

        run.g_dValue0 = std::numeric_limits<double>::quiet_NaN();
        image = Render();
        QCOMPARE(RowsOf(image, kYellow), (QSet<int>{95, 102}));
        QVERIFY(RowsOf(image, kRed).isEmpty());
    }

    void peakLineFollowsThePeakSlot() {
        ShowOnly(flags, &flags.g_bShowPeakLine);
        run.g_dHistory0[10] = 40;                 // larger than the peak, but not the peak slot
        run.g_dHistory0[kHistorySlots - 2] = 30;  // 234 - 80 * 2.2 = 58
        QCOMPARE(RowsOf(Render(), kMagenta), QSet<int>{58});

        ShowOnly(flags, &flags.g_bShowLevelLine);
        run.g_dHistory0[0] = -50;
        QCOMPARE(RowsOf(Render(), kCyan), QSet<int>{234});
    }

    void timeLabelsSitAtBothEndsOfTheAxis() {
        ShowOnly(flags, &flags.g_bShowGrid);
        flags.g_bShowGrid = 0;
        const QImage image = Render();
        const QRect band(0, kHeight - 22, kWidth, 16);
        // "-15000 (mS)" right-aligned in (0..110), "0" right-aligned against R - 15.
        QVERIFY(CountOf(image, kCyan, QRect(0, band.top(), 110, band.height())) > 20);
        QVERIFY(CountOf(image, kCyan, QRect(kWidth - 30, band.top(), 15, band.height())) > 3);
        QCOMPARE(CountOf(image, kCyan, QRect(111, band.top(), kWidth - 141, band.height())), 0);
        QCOMPARE(CountOf(image, kCyan, QRect(0, 0, kWidth, band.top())), 0);
        QCOMPARE(CountOf(image, kCyan, QRect(kWidth - 15, 0, 15, kHeight)), 0);
    }

    void gridHasThreeRows() {
        ShowOnly(flags, &flags.g_bShowGrid);
        QCOMPARE(RowsOf(Render(), qRgb(0, 255, 0)), (QSet<int>{15, 124, 234}));
    }

    void zeroSpanAndNonFiniteValuesStillDrawAFrame() {
        settings.g_strRangeHigh0 = settings.g_strRangeLow0 = "0.000";
        settings.Parse();
        QCOMPARE(settings.g_dSpan0, 0.0);
        for (int i = 100; i < 200; ++i)
            run.g_dHistory1[i] = std::numeric_limits<double>::quiet_NaN();
        run.g_dHistory0[7] = std::numeric_limits<double>::infinity();
        run.g_dRatioHistory[3] = -std::numeric_limits<double>::infinity();
        flags.g_bShowRatioCurve = 1;
        const QImage image = Render();
        // Channel 0 at its lower limit over a zero span has no row: no curve, no level line.
        QCOMPARE(CountOf(image, kWhite, QRect(kPlotLeft, 15, 502, 220)), 0);
        // Channel 1 breaks where its samples are NaN and is intact elsewhere.
        QCOMPARE(image.pixel(kPlotRight - 50, 124), kBlue);
        QCOMPARE(image.pixel(kPlotRight - 250, 124), kBlue);
        for (int i = 100; i < 200; ++i)
            QVERIFY(RowsOf(image, kBlue, kPlotRight - i, kPlotRight - i).isEmpty());
        // Infinite samples run off the edge of the frame.
        QCOMPARE(image.pixel(kPlotRight - 3, kHeight - 1), kRatio);

        ShowOnly(flags, &flags.g_bShowCurve0);
        settings.g_strRangeHigh0 = "50.000";
        settings.g_strRangeLow0 = "-50.000";
        settings.Parse();
        QCOMPARE(image.pixel(kPlotRight - 7, 0), qRgb(0, 0, 0));
        QCOMPARE(Render().pixel(kPlotRight - 7, 0), kWhite);
    }

    void aFramePaintedWhileIdleStopsTheRefresh() {
        run.g_bRecording = 1;
        m_chart->StartRefresh();
        m_chart->grab();
        QVERIFY(m_chart->IsRefreshing());
        QCOMPARE(m_chart->LastFrame().size(), QSize(kWidth, kHeight));
        QCOMPARE(m_chart->LastFrame().pixel(kPlotRight, 124), kMagenta);

        run.g_bRecording = 0;
        m_chart->grab();
        QVERIFY(!m_chart->IsRefreshing());

        // A start request while idle yields one repaint through the timer, then idles again.
        m_chart->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_chart.get()));
        run.g_dHistory0[0] = run.g_dHistory0[kHistorySlots - 2] = 50;
        m_chart->StartRefresh();
        QTRY_VERIFY_WITH_TIMEOUT(!m_chart->IsRefreshing(), 2000);
        QCOMPARE(m_chart->LastFrame().pixel(kPlotRight, 14), kMagenta);
    }

    void aPrinterIsDrawnStraightThrough() {
        QTemporaryDir dir;
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath("chart.pdf"));
        QPainter painter(&printer);
        QImage bitmap;
        {
            CBufferDC dc(painter, QRect(0, 0, kWidth, kHeight), bitmap);
            QVERIFY(!dc.IsMemDC());
            QCOMPARE(&dc.Painter(), &painter);
            m_chart->DrawFrame(dc.Painter());
        }
        QVERIFY(bitmap.isNull());
    }

    void aScreenTargetGetsTheFrameInOneCopy() {
        QImage target(100, 60, QImage::Format_RGB32);
        target.fill(Qt::white);
        QPainter painter(&target);
        QImage bitmap;
        {
            CBufferDC dc(painter, QRect(10, 20, 50, 30), bitmap);
            QVERIFY(dc.IsMemDC());
            dc.Painter().fillRect(QRect(10, 20, 50, 30), Qt::blue);
            dc.Painter().fillRect(QRect(30, 30, 1, 1), Qt::red);
            QCOMPARE(target.pixel(30, 30), qRgb(255, 255, 255));  // nothing copied yet
        }
        painter.end();
        QCOMPARE(bitmap.size(), QSize(50, 30));
        QCOMPARE(target.pixel(30, 30), qRgb(255, 0, 0));
        QCOMPARE(target.pixel(10, 20), qRgb(0, 0, 255));
        QCOMPARE(target.pixel(59, 49), qRgb(0, 0, 255));
        QCOMPARE(target.pixel(60, 50), qRgb(255, 255, 255));
        QCOMPARE(target.pixel(9, 19), qRgb(255, 255, 255));
    }
};

QTEST_MAIN(LineChartTest)
#include "line_chart_test.moc"
