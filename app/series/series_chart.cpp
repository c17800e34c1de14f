#include "series/series_chart.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>

#include "chart/buffer_dc.h"
#include "chart/chart_axes.h"
#include "results/result_translation.h"
#include "series/series_texts.h"

namespace {

const QColor kBackground(255, 255, 255);
const QColor kAxis(0, 0, 0);
const QColor kGrid(210, 210, 210);

QString Utf8(const std::string& text) {
    return QString::fromStdString(text);
}

int Scaled(double units, const CurveScale& scale) {
    return static_cast<int>(std::lround(units * scale.unit));
}

bool Shown(const std::vector<bool>& shown, std::size_t curve) {
    return curve >= shown.size() || shown[curve];
}

QPen CurvePen(const OverlayCurve& curve, int index, const CurveScale& scale) {
    QPen pen(SpecimenColour(index), std::max(1, Scaled(1, scale)));
    if (curve.excluded) pen.setStyle(Qt::DashLine);
    return pen;
}

}  // namespace

QColor SpecimenColour(int index) {
    static const QColor kColours[] = {
        {31, 119, 180}, {214, 39, 40},   {44, 160, 44},  {255, 127, 14}, {148, 103, 189},
        {140, 86, 75},  {227, 119, 194}, {23, 190, 207}, {188, 189, 34}, {64, 64, 64}};
    constexpr int kCount = static_cast<int>(sizeof kColours / sizeof kColours[0]);
    if (index >= 0 && index < kCount) return kColours[index];
    // Beyond them, hues a golden angle apart never repeat a neighbour's.
    return QColor::fromHsv((std::max(index, 0) * 137) % 360, 220, 190);
}

OverlayLayout LayOutOverlay(const SeriesOverlay& overlay, const QRect& area,
                            const CurveScale& scale) {
    OverlayLayout layout;
    layout.area = area;
    const auto px = [&scale](double units) { return Scaled(units, scale); };
    const int legendWidth = px(110);
    layout.plot = area.adjusted(px(62), px(28), -(legendWidth + px(18)), -px(44));
    layout.legend =
        QRect(layout.plot.right() + px(12), layout.plot.top(), legendWidth, layout.plot.height());
    layout.xTicks = NiceTicks(overlay.xLow, overlay.xHigh, 8);
    layout.yTicks = NiceTicks(overlay.yLow, overlay.yHigh, 6);
    PlotMapping& m = layout.mapping;
    m.x0 = layout.xTicks.first;
    m.x1 = layout.xTicks.first + layout.xTicks.step * layout.xTicks.count;
    m.y0 = layout.yTicks.first;
    m.y1 = layout.yTicks.first + layout.yTicks.step * layout.yTicks.count;
    m.left = layout.plot.left();
    m.bottom = layout.plot.bottom();
    m.width = std::max(1, layout.plot.width());
    m.height = std::max(1, layout.plot.height());
    return layout;
}

std::vector<std::vector<PlotPoint>> ReduceOverlay(const SeriesOverlay& overlay,
                                                  const OverlayLayout& layout) {
    std::vector<std::vector<PlotPoint>> reduced;
    reduced.reserve(overlay.curves.size());
    for (const OverlayCurve& curve : overlay.curves)
        reduced.push_back(ReduceToColumns(curve.x, curve.y, layout.mapping));
    return reduced;
}

void PaintOverlay(QPainter& painter, const SeriesOverlay& overlay, const OverlayLayout& layout,
                  const std::vector<std::vector<PlotPoint>>& reduced,
                  const std::vector<bool>& shown, const CurveScale& scale) {
    const auto px = [&scale](double units) { return Scaled(units, scale); };
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(layout.area, kBackground);
    painter.setBrush(Qt::NoBrush);
    QFont font = painter.font();
    font.setPixelSize(std::max(1, px(12)));
    painter.setFont(font);

    const QRect& plot = layout.plot;
    const PlotMapping& m = layout.mapping;
    const auto column = [&](double x) {
        return m.left + static_cast<int>(std::lround((x - m.x0) / (m.x1 - m.x0) * m.width));
    };
    const auto row = [&](double y) {
        return m.bottom - static_cast<int>(std::lround((y - m.y0) / (m.y1 - m.y0) * m.height));
    };
    ChartAxes axes;
    axes.plot = plot;
    axes.gridPen = QPen(kGrid, std::max(1, px(1)));
    axes.framePen = axes.labelPen = QPen(kAxis, std::max(1, px(1)));
    const int tickText = px(40);
    for (int i = 0; i <= layout.xTicks.count; ++i) {
        const double x = layout.xTicks.first + i * layout.xTicks.step;
        const int col = column(x);
        axes.gridColumns.push_back(col);
        axes.labels.push_back({QRect(col - tickText, plot.bottom() + px(4), 2 * tickText, px(16)),
                               Qt::AlignHCenter | Qt::AlignTop,
                               AxisTickText(x, layout.xTicks.step)});
    }
    for (int i = 0; i <= layout.yTicks.count; ++i) {
        const double y = layout.yTicks.first + i * layout.yTicks.step;
        const int r = row(y);
        axes.gridRows.push_back(r);
        axes.labels.push_back(
            {QRect(layout.area.left(), r - px(8), plot.left() - layout.area.left() - px(6), px(16)),
             Qt::AlignRight | Qt::AlignVCenter, AxisTickText(y, layout.yTicks.step)});
    }
    axes.labels.push_back({QRect(plot.left(), plot.bottom() + px(22), plot.width(), px(18)),
                           Qt::AlignHCenter | Qt::AlignTop,
                           TranslatedText("SeriesTexts", SeriesTextTemplates(), overlay.xTitle)});
    axes.labels.push_back(
        {QRect(layout.area.left() + px(4), layout.area.top() + px(6), plot.width(), px(18)),
         Qt::AlignLeft | Qt::AlignTop,
         TranslatedText("SeriesTexts", SeriesTextTemplates(), overlay.yTitle)});
    PaintAxes(painter, axes);

    painter.setClipRect(plot.adjusted(0, 0, 1, 1));
    // A drawing file keeps each curve as one path element; on pixels a polyline is faster.
    const bool vector =
        painter.paintEngine() != nullptr && painter.paintEngine()->type() == QPaintEngine::SVG;
    QPolygon points;
    for (std::size_t c = 0; c < overlay.curves.size() && c < reduced.size(); ++c) {
        if (!Shown(shown, c)) continue;
        points.resize(static_cast<int>(reduced[c].size()));
        for (int i = 0; i < points.size(); ++i)
            points[i] = QPoint(reduced[c][i].x, reduced[c][i].y);
        painter.setPen(CurvePen(overlay.curves[c], static_cast<int>(c), scale));
        if (vector) {
            QPainterPath path;
            path.addPolygon(QPolygonF(points));
            painter.drawPath(path);
        } else {
            painter.drawPolyline(points);
        }
    }
    painter.setClipping(false);

    // The legend: a stretch of each shown curve's line and its specimen, as many as fit.
    const int entry = px(18);
    int top = layout.legend.top();
    for (std::size_t c = 0; c < overlay.curves.size(); ++c) {
        if (!Shown(shown, c)) continue;
        if (top + 2 * entry > layout.legend.bottom()) {
            painter.setPen(QPen(kAxis, 1));
            painter.drawText(QRect(layout.legend.left(), top, layout.legend.width(), entry),
                             Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("…"));
            break;
        }
        const int middle = top + entry / 2;
        painter.setPen(CurvePen(overlay.curves[c], static_cast<int>(c), scale));
        painter.drawLine(layout.legend.left(), middle, layout.legend.left() + px(24), middle);
        painter.setPen(QPen(kAxis, 1));
        painter.drawText(
            QRect(layout.legend.left() + px(30), top, layout.legend.width() - px(30), entry),
            Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
            Utf8(overlay.curves[c].specimenId));
        top += entry;
    }
    painter.restore();
}

void DrawSeriesOverlay(QPainter& painter, const QRect& area, const SeriesOverlay& overlay,
                       const std::vector<bool>& shown, const CurveScale& scale) {
    const OverlayLayout layout = LayOutOverlay(overlay, area, scale);
    PaintOverlay(painter, overlay, layout, ReduceOverlay(overlay, layout), shown, scale);
}

bool ExportOverlayImage(const SeriesOverlay& overlay, const std::vector<bool>& shown,
                        const QString& path, const QSize& size, QString* error) {
    const QRect area(QPoint(0, 0), size);
    if (QFileInfo(path).suffix().compare(QStringLiteral("svg"), Qt::CaseInsensitive) == 0) {
        QSvgGenerator svg;
        svg.setFileName(path);
        svg.setSize(size);
        svg.setViewBox(area);
        svg.setTitle(QCoreApplication::translate("SeriesChart", "系列曲线"));
        QPainter painter;
        if (!painter.begin(&svg)) {
            if (error != nullptr)
                *error = QCoreApplication::translate("SeriesChart", "无法写入图像：") + path;
            return false;
        }
        DrawSeriesOverlay(painter, area, overlay, shown, CurveScale{});
        painter.end();
        // The generator does not report a failed write: the file must be there.
        if (QFileInfo(path).size() > 0) return true;
        if (error != nullptr)
            *error = QCoreApplication::translate("SeriesChart", "无法写入图像：") + path;
        return false;
    }
    QImage image(size, QImage::Format_RGB32);
    {
        QPainter painter(&image);
        DrawSeriesOverlay(painter, area, overlay, shown, CurveScale{});
    }
    if (image.save(path, "PNG")) return true;
    if (error != nullptr)
        *error = QCoreApplication::translate("SeriesChart", "无法写入图像：") + path;
    return false;
}

CSeriesOverlayCtrl::CSeriesOverlayCtrl(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(400, 300);
}

void CSeriesOverlayCtrl::SetOverlay(const SeriesOverlay* overlay, const std::vector<bool>* shown) {
    m_overlay = overlay;
    m_shown = shown;
    m_reducedFor = QSize();
    update();
}

void CSeriesOverlayCtrl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setBackground(kBackground);
    CBufferDC dc(painter, rect(), m_frame);
    static const SeriesOverlay kEmpty;
    static const std::vector<bool> kAllShown;
    const SeriesOverlay& overlay = m_overlay != nullptr ? *m_overlay : kEmpty;
    if (m_reducedFor != size()) {
        m_layout = LayOutOverlay(overlay, rect(), CurveScale{});
        m_reduced = ReduceOverlay(overlay, m_layout);
        m_reducedFor = size();
    }
    PaintOverlay(dc.Painter(), overlay, m_layout, m_reduced, m_shown ? *m_shown : kAllShown,
                 CurveScale{});
}
