#include "results/force_curve.h"

#include <QCoreApplication>
#include <QFont>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <cmath>

#include "chart/buffer_dc.h"
#include "chart/chart_axes.h"
#include "common/number_text.h"

namespace {

const QColor kBackground(255, 255, 255);
const QColor kAxis(0, 0, 0);
const QColor kGrid(210, 210, 210);
const QColor kCurve(0, 0, 200);
const QColor kMaxMark(220, 0, 0);
const QColor kBreakMark(0, 150, 0);
const QColor kYieldMark(200, 120, 0);

QString Utf8(const std::string& text) {
    return QString::fromStdString(text);
}

// Axes end within these bounds, so that every step, tick and span of an axis is finite
// and every tick count fits an int, whatever values a test holds; points beyond an axis
// lie outside the plot and are clipped away.
constexpr double kAxisLimit = 1e12;
constexpr double kFinestStep = 1e-9;
constexpr int kMostTicks = 100;

// A position held far outside any plot, yet well inside int, for the painter's own
// conversions as for ours.
double Coordinate(double position) {
    constexpr double kFar = 1 << 20;
    return std::isnan(position) ? 0 : std::clamp(position, -kFar, kFar);
}

int Pixel(double position) {
    return static_cast<int>(std::lround(Coordinate(position)));
}

// A value range that always has width: a flat or empty series still gets an axis.
void Widen(double& lo, double& hi) {
    if (!(hi > lo)) {
        lo -= 1;
        hi += 1;
    }
}

}  // namespace

QString AxisTickText(double value, double step) {
    // As many decimals as the step needs, so 0.25 steps do not read 0.3.
    int decimals = 0;
    while (decimals < 6 && std::fabs(step * std::pow(10, decimals) -
                                     std::round(step * std::pow(10, decimals))) > 1e-6)
        ++decimals;
    return QString::fromStdString(
        FixedNumber(std::fabs(value) < step * 1e-9 ? 0.0 : value, decimals));
}

AxisTicks NiceTicks(double lo, double hi, int ticks) {
    lo = std::isnan(lo) ? 0 : std::clamp(lo, -kAxisLimit, kAxisLimit);
    hi = std::isnan(hi) ? 0 : std::clamp(hi, -kAxisLimit, kAxisLimit);
    Widen(lo, hi);
    const double raw = std::max((hi - lo) / std::clamp(ticks, 1, kMostTicks), kFinestStep);
    const double magnitude = std::pow(10, std::floor(std::log10(raw)));
    double step = magnitude;
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
        step = m * magnitude;
        if (step >= raw) break;
    }
    const double first = std::floor(lo / step) * step;
    const int count = static_cast<int>(std::ceil((hi - first) / step - 1e-9));
    return {first, step, std::max(1, count)};
}

void DrawForceCurve(QPainter& painter, const QRect& area, const ResultSet& set,
                    const CurveScale& scale) {
    const double u = scale.unit;
    auto px = [u](double units) { return Pixel(units * u); };
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(area, kBackground);
    QFont font = painter.font();
    font.setPixelSize(std::max(1, px(12)));
    painter.setFont(font);

    const QRect plot = area.adjusted(px(62), px(28), -px(18), -px(44));
    const std::vector<double>& xs = set.curve.displacement;
    const std::vector<double>& ys = set.curve.force;
    // The curve ends at the fracture or the stop: the records of the auto-stop and the
    // auto-return that follow a break are not part of the test.
    int n = std::min(static_cast<int>(xs.size()), static_cast<int>(ys.size()));
    if (set.results.count > 0 && set.results.breakDetected)
        n = std::min(n, set.results.detectedIndex + 1);
    double xlo = 0, xhi = 0, ylo = 0, yhi = 0;
    for (int i = 0; i < n; ++i) {
        if (!std::isfinite(xs[i]) || !std::isfinite(ys[i])) continue;
        xlo = std::min(xlo, xs[i]);
        xhi = std::max(xhi, xs[i]);
        ylo = std::min(ylo, ys[i]);
        yhi = std::max(yhi, ys[i]);
    }
    const AxisTicks xt = NiceTicks(xlo, xhi, 8);
    const AxisTicks yt = NiceTicks(ylo, yhi, 6);
    const double x0 = xt.first, x1 = xt.first + xt.step * xt.count;
    const double y0 = yt.first, y1 = yt.first + yt.step * yt.count;
    auto mapX = [&](double x) { return plot.left() + (x - x0) / (x1 - x0) * plot.width(); };
    auto mapY = [&](double y) { return plot.bottom() - (y - y0) / (y1 - y0) * plot.height(); };

    // Grid, frame, tick labels and the axes' names.
    ChartAxes axes;
    axes.plot = plot;
    axes.gridPen = QPen(kGrid, std::max(1, px(1)));
    axes.framePen = axes.labelPen = QPen(kAxis, std::max(1, px(1)));
    const int tickText = px(40);
    for (int i = 0; i <= xt.count; ++i) {
        const double x = xt.first + i * xt.step;
        const int col = static_cast<int>(Coordinate(mapX(x)));
        axes.gridColumns.push_back(col);
        axes.labels.push_back({QRect(col - tickText, plot.bottom() + px(4), 2 * tickText, px(16)),
                               Qt::AlignHCenter | Qt::AlignTop, AxisTickText(x, xt.step)});
    }
    for (int i = 0; i <= yt.count; ++i) {
        const double y = yt.first + i * yt.step;
        const int row = static_cast<int>(Coordinate(mapY(y)));
        axes.gridRows.push_back(row);
        axes.labels.push_back(
            {QRect(area.left(), row - px(8), plot.left() - area.left() - px(6), px(16)),
             Qt::AlignRight | Qt::AlignVCenter, AxisTickText(y, yt.step)});
    }
    axes.labels.push_back({QRect(plot.left(), plot.bottom() + px(22), plot.width(), px(18)),
                           Qt::AlignHCenter | Qt::AlignTop,
                           Utf8(set.displacementName + " (" + set.units.length + ")")});
    axes.labels.push_back({QRect(area.left() + px(4), area.top() + px(6), plot.width(), px(18)),
                           Qt::AlignLeft | Qt::AlignTop,
                           Utf8(set.forceName + " (" + set.units.force + ")")});
    PaintAxes(painter, axes);

    // The curve, clipped to the plot.
    painter.setClipRect(plot.adjusted(0, 0, 1, 1));
    // Neighbouring records mostly fall on the same dot: each dot is visited once, which
    // draws the same line with a fraction of the segments.
    QPolygon points;
    points.reserve(n);
    for (int i = 0; i < n; ++i) {
        if (!std::isfinite(xs[i]) || !std::isfinite(ys[i])) continue;
        const QPoint dot(Pixel(mapX(xs[i])), Pixel(mapY(ys[i])));
        if (points.isEmpty() || points.constLast() != dot) points.append(dot);
    }
    painter.setPen(QPen(kCurve, std::max(1, px(1))));
    painter.drawPolyline(points);
    painter.setClipping(false);

    const TestResults& r = set.results;
    if (r.count > 0) {
        const int mark = px(5);
        const QPointF maxAt(Coordinate(mapX(r.maxForceDisplacement)), Coordinate(mapY(r.maxForce)));
        painter.setPen(QPen(kMaxMark, std::max(1, px(2))));
        painter.drawEllipse(maxAt, mark, mark);
        painter.drawText(QRectF(maxAt.x() + mark, maxAt.y() - px(20), px(160), px(16)),
                         Qt::AlignLeft | Qt::AlignBottom,
                         QCoreApplication::translate("ForceCurve", "最大力"));
        const QPointF breakAt(Coordinate(mapX(r.breakDisplacement)),
                              Coordinate(mapY(r.breakForce)));
        painter.setPen(QPen(kBreakMark, std::max(1, px(2))));
        painter.drawLine(breakAt + QPointF(-mark, -mark), breakAt + QPointF(mark, mark));
        painter.drawLine(breakAt + QPointF(-mark, mark), breakAt + QPointF(mark, -mark));
        painter.drawText(
            QRectF(breakAt.x() - px(160) - mark, breakAt.y() - px(20), px(160), px(16)),
            Qt::AlignRight | Qt::AlignBottom,
            r.breakDetected ? QCoreApplication::translate("ForceCurve", "断裂")
                            : QCoreApplication::translate("ForceCurve", "末点"));

        // Proof and yield points: a square each, named to the right.
        struct Point {
            double displacement, force;
            QString name;
        };
        std::vector<Point> points;
        if (r.proofForce && r.proofDisplacement) {
            points.push_back({*r.proofDisplacement, *r.proofForce,
                              QStringLiteral("Rp") + Utf8(ResultValueText(r.proofOffset))});
        }
        const int records = std::min(static_cast<int>(xs.size()), static_cast<int>(ys.size()));
        for (const auto& [index, name] : {std::pair{r.upperYieldIndex, QStringLiteral("ReH")},
                                          std::pair{r.lowerYieldIndex, QStringLiteral("ReL")}}) {
            if (index && *index >= 0 && *index < records)
                points.push_back({xs[*index], ys[*index], name});
        }
        painter.setPen(QPen(kYieldMark, std::max(1, px(2))));
        for (const Point& point : points) {
            if (!std::isfinite(point.displacement) || !std::isfinite(point.force)) continue;
            const QPointF at(mapX(point.displacement), mapY(point.force));
            painter.drawRect(QRectF(at.x() - mark, at.y() - mark, 2 * mark, 2 * mark));
            painter.drawText(QRectF(at.x() + mark + px(2), at.y(), px(80), px(16)),
                             Qt::AlignLeft | Qt::AlignTop, point.name);
        }
    }
    painter.restore();
}

CForceCurveCtrl::CForceCurveCtrl(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(320, 240);
}

void CForceCurveCtrl::SetResults(const ResultSet* set) {
    m_set = set;
    update();
}

void CForceCurveCtrl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setBackground(kBackground);
    CBufferDC dc(painter, rect(), m_frame);
    static const ResultSet kEmpty;
    DrawForceCurve(dc.Painter(), rect(), m_set ? *m_set : kEmpty, CurveScale{});
}
