#include "printing/report_page.h"

#include <QImage>
#include <QPainter>
#include <QtTest>
#include <memory>

#include "run/run_state.h"
#include "settings/settings_record.h"

namespace {

// A4 at 600 dpi; 23622 dots per metre reads back as 600 dpi.
QImage RenderPage(const Settings& settings, const TestRun& run) {
    QImage page(4961, 7016, QImage::Format_RGB32);
    page.setDotsPerMeterX(23622);
    page.setDotsPerMeterY(23622);
    page.fill(Qt::white);
    const auto fonts = CreateReportFonts();
    QPainter painter(&page);
    DrawReportPage(settings, run, painter, page, *fonts);
    return page;
}

bool IsInk(QRgb pixel) {
    return qGray(pixel) < 128;
}

// The ink's bounding box inside the area; empty when there is none.
QRect InkBox(const QImage& page, const QRect& area) {
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (IsInk(page.pixel(x, y))) box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

// A cell's area inside its borders.
QRect CellInside(int left, int top, int right, int bottom) {
    return QRect(left + 3, top + 3, right - left - 6, bottom - top - 6);
}

// Below the header's bottom edge at 979, which overlaps the first body row.
QRect BodyCell(int group, int column, int row) {
    static const int edges[] = {350, 830, 1280, 1730, 2210, 2660, 3110, 3590, 4040, 4490};
    const int cell = group * 3 + column, top = 970 + 110 * row;
    return CellInside(edges[cell], std::max(top, 980), edges[cell + 1], top + 110);
}

void FillRecords(TestRun& run, int count) {
    run.g_nRecordCount = count;
    for (int k = 1; k <= count; ++k) {
        run.g_strRecord0[k] = "012.345";
        run.g_strRecord1[k] = "067.890";
    }
}

}  // namespace

class ReportPageTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        run.Reset();
        settings.SetDefaults();
        settings.Parse();
        run.g_strStartTime = "2024-03-05-14:07:09";
    }

    void fontsKeepTheirPointSizeInPageUnits() {
        const auto fonts = CreateReportFonts();
        QCOMPARE(fonts->title.pixelSize(), 150);
        QCOMPARE(fonts->header.pixelSize(), 100);
        QCOMPARE(fonts->body.pixelSize(), 83);
        QCOMPARE(fonts->info.pixelSize(), 100);
        QCOMPARE(fonts->headerBrush.color(), QColor(220, 220, 220));
        // "宋体" resolves to an installed CJK face.
        QVERIFY(QFontInfo(fonts->title).family().contains(QStringLiteral("CJK")));
    }

    void titleAndInformationLineStartAtTheirCorners() {
        const QImage page = RenderPage(settings, run);
        const QRect title = InkBox(page, QRect(0, 0, 4961, 600));
        QVERIFY(!title.isEmpty());
        QVERIFY2(title.left() >= 150 && title.left() < 175,
                 qPrintable(QString::number(title.left())));
        // The line's top is at 350; capitals start below the font's ascent space.
        QVERIFY2(title.top() >= 350 && title.top() < 430, qPrintable(QString::number(title.top())));
        QVERIFY(title.height() > 80 && title.height() <= 150);  // 18 pt capitals at 600 dpi
        const QRect info = InkBox(page, QRect(0, 600, 4961, 240));
        QVERIFY(info.left() >= 350 && info.left() < 375);
        QVERIFY(info.top() >= 680 && info.top() < 720);
    }

    void tableFrameRunsDownToItsBottomLine() {
        const QImage page = RenderPage(settings, run);
        for (const int x : {351, 2000, 4480}) {
            QVERIFY(IsInk(page.pixel(x, 4270)));
            QVERIFY(!IsInk(page.pixel(x, 4269)));
            QVERIFY(!IsInk(page.pixel(x, 4271)));
        }
        QVERIFY(!IsInk(page.pixel(4495, 4270)));
        // Left border without gaps; cell edges in every row even when empty.
        for (int y = 970; y <= 4275; ++y) QVERIFY(IsInk(page.pixel(350, y)));
        for (const int x : {830, 1280, 1730, 2210, 2660, 3110, 3590, 4040, 4490}) {
            QVERIFY(IsInk(page.pixel(x, 970 + 110 * 29 + 55)));
        }
        QCOMPARE(page.pixel(1000, 900), qRgb(220, 220, 220));  // header background
    }

    // Which records land in which cell is the layout tests' job; here: that the cells of
    // exactly the used rows and groups carry ink.
    void recordsFillTheirGroupsAndRows_data() {
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("groups");
        QTest::addColumn<int>("rows");
        QTest::newRow("5") << 5 << 1 << 5;
        QTest::newRow("100") << 100 << 3 << 30;
    }
    void recordsFillTheirGroupsAndRows() {
        QFETCH(int, records);
        QFETCH(int, groups);
        QFETCH(int, rows);
        FillRecords(run, records);
        const QImage page = RenderPage(settings, run);
        for (int group = 0; group < 3; ++group) {
            for (const int row : {0, 4, 5, 29}) {
                const bool used = group < groups && row < rows;
                for (int column = 0; column < 3; ++column)
                    QCOMPARE(InkBox(page, BodyCell(group, column, row)).isEmpty(), !used);
            }
        }
    }

    void zeroValuesPlotOnTheMiddleLine() {
        std::fill(std::begin(run.g_dHistory1), std::end(run.g_dHistory1), settings.g_dRangeLow1);
        const QImage page = RenderPage(settings, run);
        // The black curve (8 units wide) centred on 5475.
        QRect curve;
        for (int y = 4600; y <= 6350; ++y) {
            if (page.pixel(2000, y) == qRgb(0, 0, 0)) curve |= QRect(2000, y, 1, 1);
        }
        QVERIFY(!curve.isEmpty());
        QVERIFY(qAbs(curve.top() + curve.bottom() - 2 * 5475) <= 1);
        QVERIFY(curve.height() >= 7 && curve.height() <= 10);
        // The first printed sample stands at the plot's right edge, the last left of it.
        QCOMPARE(page.pixel(4399, 5475), qRgb(0, 0, 0));
        QCOMPARE(page.pixel(705, 5475), qRgb(0, 0, 0));
        // Channel 1 at its lower limit lies on the bottom grid line.
        QCOMPARE(page.pixel(2000, 6350), qRgb(100, 100, 100));
        QCOMPARE(page.pixel(2000, 6340), qRgb(230, 230, 230));
    }

    void alarmLinesAndLabels() {
        const QImage page = RenderPage(settings, run);
        QCOMPARE(page.pixel(2000, 5247), qRgb(150, 150, 150));  // 13 on -50..50
        QCOMPARE(page.pixel(2000, 5300), qRgb(150, 150, 150));  // 10
        // Range labels right-aligned against 720, time labels at both ends of 550..4490.
        const QRect high = InkBox(page, QRect(350, 4550, 370, 150));
        QVERIFY(high.right() <= 720 && high.right() > 650);
        const QRect span = InkBox(page, QRect(550, 6400, 600, 100));
        QVERIFY(span.left() >= 550 && span.left() < 580);
        const QRect zero = InkBox(page, QRect(4200, 6400, 290, 100));
        QVERIFY(!zero.isEmpty() && zero.right() < 4490);
    }

    void zeroSpanAndNaNStillDrawThePage() {
        settings.g_strRangeHigh0 = settings.g_strRangeLow0 = "0.000";
        settings.Parse();
        for (int i = 0; i < kHistorySlots; ++i) {
            run.g_dHistory1[i] = i % 2 == 0 ? std::numeric_limits<double>::quiet_NaN() : 50.0;
        }
        run.g_dHistory1[100] = std::numeric_limits<double>::infinity();
        const QImage page = RenderPage(settings, run);
        // The table is intact; channel 0 on a zero span at its lower limit has no position,
        // and channel 1 is drawn where its samples are numbers.
        QVERIFY(IsInk(page.pixel(2000, 4270)));
        int black = 0;
        for (int y = 4500; y < 6395; ++y) {
            for (int x = 730; x < 4490; ++x) black += page.pixel(x, y) == qRgb(0, 0, 0);
        }
        QCOMPARE(black, 0);
        // Samples between NaNs are dots at 5037 (50 on -100..100), not joined.
        QCOMPARE(page.pixel(ReportColumn(201), 5037), qRgb(100, 100, 100));
        QCOMPARE(page.pixel(ReportColumn(202), 5037), qRgb(230, 230, 230));
        QCOMPARE(page.pixel(ReportColumn(100), 5000), qRgb(100, 100, 100));
    }

  private:
    Settings settings;
    std::unique_ptr<TestRun> runState = std::make_unique<TestRun>();
    TestRun& run = *runState;
};

QTEST_MAIN(ReportPageTest)
#include "report_page_test.moc"
