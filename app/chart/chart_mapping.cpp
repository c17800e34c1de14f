#include "chart/chart_mapping.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

std::optional<int> TruncatePixel(double position) {
    if (std::isnan(position)) return std::nullopt;
    const double limit = kPixelLimit;
    return static_cast<int>(std::clamp(position, -limit, limit));
}

std::optional<int> ChannelRow(double value, int zoomFactor, double rangeLow, double span) {
    return TruncatePixel(234 - (zoomFactor * value - rangeLow) * 220 / span);
}

std::optional<int> RatioRow(double value) {
    return TruncatePixel(234 - 110 * value);
}

QString ChartSpanText(int samplePeriod) {
    // Widened first: a period read from a damaged settings file must not overflow.
    return QString::number(static_cast<long long>(samplePeriod) * 500);
}

QString ChartSpanLabel(int samplePeriod) {
    return QStringLiteral("-") + ChartSpanText(samplePeriod) + QStringLiteral(" (mS)");
}

void CurveTrace::Add(int x, std::optional<int> y) {
    if (!y) {
        Finish();
        return;
    }
    if (m_count == static_cast<int>(m_points.size())) {
        // Continue the curve from the last point in a fresh run.
        const QPoint last = m_points[m_count - 1];
        Finish();
        m_points[m_count++] = last;
    }
    m_points[m_count++] = QPoint(x, *y);
}

void CurveTrace::Finish() {
    if (m_count == 1) {
        m_painter.drawPoint(m_points[0]);
    } else if (m_count > 1) {
        m_painter.drawPolyline(m_points.data(), m_count);
    }
    m_count = 0;
}
