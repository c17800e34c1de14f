#include "chart/line_chart.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

#include "run/run_state.h"
#include "chart/buffer_dc.h"
#include "chart/chart_axes.h"
#include "chart/chart_flags.h"
#include "chart/chart_mapping.h"
#include "common/message_box.h"
#include "settings/settings_record.h"

namespace {

constexpr int kRefreshMs = 50;
// Labels right-aligned; multi-line text with a bottom alignment is placed at the top.
constexpr int kLabelFormat = Qt::AlignRight | Qt::AlignTop;

const QColor kBackgroundColour(0, 0, 0);
const QColor kGridColour(0, 255, 0);
const QColor kTimeColour(0, 255, 255);
const QColor kRatioColour(200, 100, 100);
const QColor kCurve1Colour(128, 128, 255);
const QColor kCurve0Colour(255, 255, 255);
const QColor kLevelColour(0, 255, 255);
const QColor kPeakColour(255, 0, 255);
const QColor kAlarmReachedColour(255, 0, 0);
const QColor kAlarmClearColour(255, 255, 0);

// The right and bottom edges as a window rectangle has them: one past the last pixel.
int RightOf(const QRect& rect) {
    return rect.left() + rect.width();
}
int BottomOf(const QRect& rect) {
    return rect.top() + rect.height();
}

// A text rectangle given by its window edges.
QRect TextRect(int left, int top, int right, int bottom) {
    return QRect(left, top, right - left, bottom - top);
}

// The number of older samples drawn, kept inside the trend buffers.
int DrawnSamples(const TestRun& run) {
    return std::clamp(run.g_nHistoryLen, 0, kPeakSlot - 1);
}

void DrawLevel(QPainter& painter, const QColor& colour, int left, int right,
               std::optional<int> row) {
    if (!row) return;
    painter.setPen(QPen(colour, 1));
    painter.drawLine(left, *row, right, *row);
}

}  // namespace

CLineChartCtrl::CLineChartCtrl(const Settings& settings, const TestRun& run, ChartFlags& flags,
                               QWidget* parent)
    : QWidget(parent), m_settings(settings), m_run(run), m_flags(flags) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_refresh.setInterval(kRefreshMs);
    connect(&m_refresh, &QTimer::timeout, this, [this] { update(); });
}

void CLineChartCtrl::CalcLayout() {
    m_rcClient = rect();
    m_rcPlot.setCoords(m_rcClient.left() + 65, m_rcClient.top() + 15, RightOf(m_rcClient) - 20,
                       BottomOf(m_rcClient) - 35);
}

void CLineChartCtrl::StartRefresh() {
    m_refresh.start();
}

void CLineChartCtrl::StopRefresh() {
    m_refresh.stop();
}

bool CLineChartCtrl::IsRefreshing() const {
    return m_refresh.isActive();
}

void CLineChartCtrl::DrawFrame(QPainter& painter) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setFont(font());
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(kBackgroundColour);
    DrawBackground(painter);
    DrawAxes(painter);
    DrawCurves(painter);
    painter.restore();
}

void CLineChartCtrl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    {
        CBufferDC dc(painter, rect(), m_frame);
        DrawFrame(dc.Painter());
    }
    if (!m_run.g_bRecording) StopRefresh();
}

void CLineChartCtrl::DrawBackground(QPainter& painter) {
    painter.fillRect(m_rcClient, kBackgroundColour);
}

void CLineChartCtrl::DrawAxes(QPainter& painter) {
    const int pt = m_rcPlot.top(), pb = m_rcPlot.bottom();
    ChartAxes axes;
    axes.plot = m_rcPlot;
    axes.gridPen = QPen(kGridColour, 1, Qt::DotLine);
    if (m_flags.g_bShowGrid) axes.gridRows = {pb, pt, pt + (pb - pt) / 2};
    m_strSpan = ChartSpanText(m_settings.g_nSamplePeriod);
    const int bottom = BottomOf(m_rcClient);
    axes.labelPen = QPen(kTimeColour);
    axes.labels = {{TextRect(0, bottom - 22, 110, bottom - 6), kLabelFormat,
                    ChartSpanLabel(m_settings.g_nSamplePeriod)},
                   {TextRect(0, bottom - 22, RightOf(m_rcClient) - 15, bottom - 6), kLabelFormat,
                    QStringLiteral("0")}};
    PaintAxes(painter, axes);
}

void CLineChartCtrl::DrawCurves(QPainter& painter) {
    const int pl = m_rcPlot.left(), pt = m_rcPlot.top(), pr = m_rcPlot.right();
    const int pb = m_rcPlot.bottom();
    const int samples = DrawnSamples(m_run);
    m_flags.g_nZoomFactor = m_flags.g_bZoom ? 5 : 1;
    const QString suffix = m_flags.g_bZoom ? QStringLiteral("/5") : QString();
    const auto row0 = [this](double value) {
        return ChannelRow(value, m_flags.g_nZoomFactor, m_settings.g_dRangeLow0,
                          m_settings.g_dSpan0);
    };
    const auto row1 = [this](double value) {
        return ChannelRow(value, m_flags.g_nZoomFactor, m_settings.g_dRangeLow1,
                          m_settings.g_dSpan1);
    };
    CurveTrace trace(painter);

    if (m_flags.g_bShowRatioCurve) {
        PaintAxisLabels(
            painter, QPen(kRatioColour),
            {{TextRect(0, pb - 32, pl - 5, pb - 16), kLabelFormat, QStringLiteral("0%")},
             {TextRect(0, pb - 118, pl - 5, pb - 102), kLabelFormat, QStringLiteral("100%")},
             {TextRect(0, pt + 16, pl - 5, pt + 32), kLabelFormat, QStringLiteral("200%")}});
        painter.setPen(QPen(kRatioColour, 1));
        for (int i = 0; i <= samples; ++i) trace.Add(pr - i, RatioRow(m_run.g_dRatioHistory[i]));
        trace.Finish();
    }
    if (m_flags.g_bShowCurve1) {
        PaintAxisLabels(painter, QPen(kCurve1Colour),
                        {{TextRect(0, pb - 16, pl - 5, pb), kLabelFormat,
                          FromGbk(m_settings.g_strRangeLow1) + suffix},
                         {TextRect(0, pt, pl - 5, pt + 16), kLabelFormat,
                          FromGbk(m_settings.g_strRangeHigh1) + suffix}});
        painter.setPen(QPen(kCurve1Colour, 1));
        for (int i = 0; i <= samples; ++i) trace.Add(pr - i, row1(m_run.g_dHistory1[i]));
        trace.Finish();
    }
    if (m_flags.g_bShowCurve0) {
        PaintAxisLabels(painter, QPen(kCurve0Colour),
                        {{TextRect(0, pb - 2, pl - 5, pb + 14), kLabelFormat,
                          FromGbk(m_settings.g_strRangeLow0) + suffix},
                         {TextRect(0, pt - 14, pl - 5, pt + 2), kLabelFormat,
                          FromGbk(m_settings.g_strRangeHigh0) + suffix}});
        painter.setPen(QPen(kCurve0Colour, 1));
        for (int i = 0; i <= samples; ++i) trace.Add(pr - i, row0(m_run.g_dHistory0[i]));
        trace.Finish();
    }
    if (m_flags.g_bShowLevelLine)
        DrawLevel(painter, kLevelColour, pl, pr, row0(m_run.g_dHistory0[0]));
    if (m_flags.g_bShowPeakLine)
        DrawLevel(painter, kPeakColour, pl, pr, row0(m_run.g_dHistory0[kPeakSlot]));
    if (m_flags.g_bShowAlarmLines) {
        for (const double level : {m_settings.g_dAlarmHigh, m_settings.g_dAlarmLow}) {
            // A failed comparison (NaN) leaves the line yellow.
            const QColor& colour =
                m_run.g_dValue0 >= level ? kAlarmReachedColour : kAlarmClearColour;
            DrawLevel(painter, colour, pl, pr, row0(level));
        }
    }
}
