#include "printing/report_page.h"

#include <QPaintDevice>
#include <QPainter>
#include <QStringList>
#include <algorithm>
#include <array>
#include <mutex>

#include "run/run_state.h"
#include "chart/chart_axes.h"
#include "chart/chart_mapping.h"
#include "common/message_box.h"
#include "settings/settings_record.h"

namespace {

const QString kSongTi = QStringLiteral("宋体");

// Sizes in page units, so that a font keeps its point size once the page is scaled.
int PointsToUnits(int points) {
    return (points * kReportDpi + 36) / 72;
}

QFont ReportFont(int points) {
    QFont font(kSongTi);
    font.setPixelSize(PointsToUnits(points));
    return font;
}

QRect CellRect(int left, int top, int right, int bottom) {
    return QRect(left, top, right - left, bottom - top);
}

// Window text is clipped to its rectangle; the CJK fonts here have a taller line than the
// fonts the layout was made for, so glyphs are never cut at a cell's edge.
constexpr int kCellText = Qt::AlignCenter | Qt::TextSingleLine | Qt::TextDontClip;
constexpr int kRightText = Qt::AlignRight | Qt::AlignTop | Qt::TextDontClip;
constexpr int kLeftText = Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip;

// Cell edges of the table, left to right: three groups of number, channel 0, channel 1.
constexpr std::array<int, 10> kColumnEdges = {350,  830,  1280, 1730, 2210,
                                              2660, 3110, 3590, 4040, 4490};
constexpr int kHeaderTop = 855;
constexpr int kBodyTop = 970;
constexpr int kRowHeight = 110;
constexpr int kTableBottom = kBodyTop + kReportRows * kRowHeight;  // 4270

constexpr int kPlotLeft = 750;
constexpr int kPlotTop = 4600;
constexpr int kPlotRight = 4400;
constexpr int kPlotBottom = 6350;

QPen WidePen(const QColor& colour, int width) {
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void DrawTitleAndInfo(const Settings& settings, const TestRun& run, QPainter& painter,
                      const ReportFonts& fonts) {
    painter.setFont(fonts.title);
    painter.drawText(QRect(150, 350, 0, 0), kLeftText, FromGbk(settings.g_strTestName));
    painter.setFont(fonts.info);
    painter.drawText(QRect(350, 680, 0, 0), kLeftText, ReportInfoLine(run.g_strStartTime));
}

void DrawTableHeader(const Settings& settings, QPainter& painter, const ReportFonts& fonts) {
    painter.setFont(fonts.header);
    painter.setBrush(fonts.headerBrush);
    painter.setBackgroundMode(Qt::TransparentMode);
    // The outline runs on the rectangle's first and last rows and columns.
    painter.drawRect(CellRect(350, 850, 4490 - 1, 980 - 1));
    painter.setBrush(Qt::NoBrush);
    const QString names[] = {QStringLiteral("次数"), FromGbk(settings.g_strChannelName0),
                             FromGbk(settings.g_strChannelName1)};
    for (int cell = 0; cell < 9; ++cell) {
        const int left = kColumnEdges[cell], right = kColumnEdges[cell + 1];
        const int bottom = cell % 3 == 0 ? 975 : 970;
        painter.drawText(CellRect(left, kHeaderTop, right, bottom), kCellText, names[cell % 3]);
        painter.drawLine(right, kHeaderTop, right, bottom);
    }
}

QString RecordText(const std::string* table, int record) {
    return record > 0 && record < kRecordSlots ? FromGbk(table[record]) : QString();
}

void DrawTableBody(const TestRun& run, QPainter& painter, const ReportFonts& fonts) {
    painter.setFont(fonts.body);
    painter.drawLine(350, kBodyTop, 350, kTableBottom + 5);
    for (int row = 0; row < kReportRows; ++row) {
        const int top = kBodyTop + row * kRowHeight, bottom = top + kRowHeight;
        for (int group = 0; group < kReportGroups; ++group) {
            const int record = ReportRecordNumber(run.g_nRecordCount, group, row);
            const bool shown = record > 0 && record < kRecordSlots;
            const QString texts[] = {shown ? QString::number(record) : QString(),
                                     RecordText(run.g_strRecord0, record),
                                     RecordText(run.g_strRecord1, record)};
            for (int column = 0; column < 3; ++column) {
                const int cell = group * 3 + column;
                const int left = kColumnEdges[cell], right = kColumnEdges[cell + 1];
                painter.drawText(CellRect(left, top, right, bottom), kCellText, texts[column]);
                painter.drawLine(right, top, right, bottom);
            }
        }
    }
    painter.drawLine(350, kTableBottom, 4490, kTableBottom);
}

void DrawCurve(const TestRun& run, QPainter& painter, const QPen& pen, const double* history,
               double rangeLow, double span) {
    painter.setPen(pen);
    CurveTrace trace(painter);
    const int samples = std::clamp(run.g_nHistoryLen, 1, kHistorySlots - 3);
    for (int i = 1; i <= samples; ++i) {
        trace.Add(ReportColumn(i), ReportRow(history[i], rangeLow, span));
    }
    trace.Finish();
}

void DrawChart(const Settings& settings, const TestRun& run, QPainter& painter,
               const ReportFonts& fonts) {
    painter.fillRect(CellRect(350, 4500, 4490, 6500), QColor(230, 230, 230));
    // The chart's labels are set in the body face: a device's default font has no fixed
    // size on paper.
    painter.setFont(fonts.body);
    ChartAxes axes;
    axes.plot = QRect(QPoint(kPlotLeft, kPlotTop), QPoint(kPlotRight, kPlotBottom));
    // A dotted pen wider than one dot prints solid.
    axes.gridPen = WidePen(QColor(100, 100, 100), 3);
    axes.gridRows = {kPlotBottom, kPlotTop, kPlotTop + (kPlotBottom - kPlotTop) / 2};
    axes.labelPen = QPen(Qt::black);
    const QRect timeAxis = CellRect(550, 6400, 4490, 6500);
    axes.labels = {{CellRect(350, 4550, 720, 6500), kRightText, FromGbk(settings.g_strRangeHigh0)},
                   {CellRect(350, 6300, 720, 6500), kRightText, FromGbk(settings.g_strRangeLow0)},
                   {timeAxis, kLeftText, ReportSpanLabel(settings.g_nSamplePeriod)},
                   {timeAxis, kRightText, ReportZeroLabel()}};
    PaintAxes(painter, axes);
    painter.setPen(WidePen(QColor(150, 150, 150), 3));
    for (const double level : {settings.g_dAlarmHigh, settings.g_dAlarmLow}) {
        if (const auto y = ReportRow(level, settings.g_dRangeLow0, settings.g_dSpan0)) {
            painter.drawLine(kPlotLeft, *y, kPlotRight, *y);
        }
    }
    DrawCurve(run, painter, WidePen(QColor(0, 0, 0), 8), run.g_dHistory0, settings.g_dRangeLow0,
              settings.g_dSpan0);
    DrawCurve(run, painter, WidePen(QColor(100, 100, 100), 3), run.g_dHistory1,
              settings.g_dRangeLow1, settings.g_dSpan1);
}

}  // namespace

std::unique_ptr<ReportFonts> CreateReportFonts() {
    static std::once_flag substituted;
    std::call_once(substituted, [] {
        QFont::insertSubstitutions(
            kSongTi, {QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC")});
    });
    auto fonts = std::make_unique<ReportFonts>();
    fonts->title = ReportFont(18);
    fonts->header = ReportFont(12);
    fonts->body = ReportFont(10);
    fonts->info = ReportFont(12);
    fonts->headerBrush = QBrush(QColor(220, 220, 220));
    return fonts;
}

void BeginReportPage(QPainter& painter, const QPaintDevice& device) {
    painter.save();
    painter.scale(device.logicalDpiX() / double(kReportDpi),
                  device.logicalDpiY() / double(kReportDpi));
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::NoBrush);
}

void DrawReportPage(const Settings& settings, const TestRun& run, QPainter& painter,
                    const QPaintDevice& device, const ReportFonts& fonts) {
    BeginReportPage(painter, device);
    DrawTitleAndInfo(settings, run, painter, fonts);
    DrawTableHeader(settings, painter, fonts);
    DrawTableBody(run, painter, fonts);
    DrawChart(settings, run, painter, fonts);
    painter.restore();
}

QString ReportInfoLine(const std::string& startTimeGbk) {
    return QStringLiteral("测试时间：") + FromGbk(startTimeGbk) +
           QStringLiteral("              测试员签名：");
}

int ReportRecordNumber(int recordCount, int group, int row) {
    return recordCount - kReportRows * group - row;
}

QString ReportSpanLabel(int samplePeriod) {
    return QStringLiteral("-") + ChartSpanText(samplePeriod) + QStringLiteral("(mS)");
}

QString ReportZeroLabel() {
    return QStringLiteral("0  ");
}

int ReportColumn(int sample) {
    return sample <= 1 ? kPlotRight : static_cast<int>(kPlotRight - 7.4 * sample);
}

std::optional<int> ReportRow(double value, double rangeLow, double span) {
    return TruncatePixel(kPlotBottom - 1750 * (value - rangeLow) / span);
}
