#include "chart/chart_mapping.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <climits>
#include <cmath>
#include <limits>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(ChartMapping, RowsFollowTheFixedConstantsAndTruncateTowardZero) {
    // The rendered frames show the rows of whole values; here: the fractions.
    EXPECT_EQ(ChannelRow(13, 1, -50, 100), 95);  // 95.4
    // 234 - 234.3 = -0.3: toward zero is row 0, not row -1.
    EXPECT_EQ(RatioRow(2.13), 0);
    EXPECT_EQ(ChannelRow(57, 1, -50, 100), -1);  // -1.4
}

TEST(ChartMapping, ZeroSpanAndNonFiniteValuesGiveDefinedPixels) {
    EXPECT_EQ(ChannelRow(0, 1, 0, 0), std::nullopt);  // 0 / 0
    EXPECT_EQ(ChannelRow(1, 1, 0, 0), -kPixelLimit);
    EXPECT_EQ(ChannelRow(-1, 1, 0, 0), kPixelLimit);
    EXPECT_EQ(ChannelRow(kNaN, 1, -50, 100), std::nullopt);
    EXPECT_EQ(ChannelRow(kInf, 5, -50, 100), -kPixelLimit);
    EXPECT_EQ(RatioRow(-kInf), kPixelLimit);
    EXPECT_EQ(ChannelRow(1e300, 1, -50, 1e-300), -kPixelLimit);
    EXPECT_EQ(TruncatePixel(-2.9), -2);
}

TEST(ChartMapping, SpanTextNeverOverflows) {
    EXPECT_EQ(ChartSpanText(30), "15000");
    EXPECT_EQ(ChartSpanLabel(30), "-15000 (mS)");
    EXPECT_EQ(ChartSpanText(INT_MAX), "1073741823500");
    EXPECT_EQ(ChartSpanText(-1), "-500");
}

int InkInColumn(const QImage& image, int x) {
    int ink = 0;
    for (int y = 0; y < image.height(); ++y) ink += image.pixel(x, y) != qRgb(0, 0, 0);
    return ink;
}

TEST(CurveTrace, GapsWhereAPointHasNoPixelAndDrawsLonePoints) {
    QImage image(40, 10, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.setPen(QPen(Qt::white, 1));
    CurveTrace trace(painter);
    for (int x = 0; x < 40; ++x) {
        const bool gap = (x >= 10 && x < 20) || x == 29 || x == 31;
        trace.Add(x, gap ? std::nullopt : std::optional<int>(5));
    }
    trace.Finish();
    painter.end();
    for (int x = 0; x < 40; ++x) {
        const bool gap = (x >= 10 && x < 20) || x == 29 || x == 31;
        EXPECT_EQ(InkInColumn(image, x), gap ? 0 : 1) << "column " << x;
    }
}

TEST(CurveTrace, ARunLongerThanItsBufferStaysConnected) {
    QImage image(1200, 3, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.setPen(QPen(Qt::white, 1));
    CurveTrace trace(painter);
    for (int x = 0; x < 1200; ++x) trace.Add(x, 1);
    trace.Finish();
    painter.end();
    for (int x = 0; x < 1200; ++x) ASSERT_EQ(image.pixel(x, 1), qRgb(255, 255, 255)) << x;
}

}  // namespace
