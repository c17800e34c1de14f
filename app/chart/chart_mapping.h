// Value-to-pixel mappings shared by the screen chart and the printed report, and the texts
// of the chart's time axis.
#pragma once

#include <QPoint>
#include <QString>
#include <array>
#include <optional>

class QPainter;

// Positions beyond this many pixels either way are held at it: far off any page or chart,
// and well inside what both an int and the painter's fixed-point rasteriser can hold.
constexpr int kPixelLimit = 1 << 20;

// Truncates a computed position toward zero. A NaN position (a zero span with the value on
// the lower limit, or a NaN value) has no pixel; an infinite one (a zero span) is held at
// kPixelLimit.
std::optional<int> TruncatePixel(double position);

// Screen chart rows: channels y = 234 - (zoom * v - low) * 220 / span, ratio y = 234 - 110 v.
std::optional<int> ChannelRow(double value, int zoomFactor, double rangeLow, double span);
std::optional<int> RatioRow(double value);

// The time span at the left end of the chart: the sample period times 500, in ms.
QString ChartSpanText(int samplePeriod);
// "-" + span + " (mS)": the left time label of the chart.
QString ChartSpanLabel(int samplePeriod);

// Collects one curve point by point and draws it as polylines, broken where a point has no
// pixel, so that an undefined sample leaves a gap instead of a stray line.
class CurveTrace {
  public:
    explicit CurveTrace(QPainter& painter) : m_painter(painter) {}
    void Add(int x, std::optional<int> y);
    // Draws what is still collected; call once after the last point.
    void Finish();

  private:
    QPainter& m_painter;
    std::array<QPoint, 512> m_points;
    int m_count = 0;
};
