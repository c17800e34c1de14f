#include "printing/results_page.h"

#include <QPaintDevice>
#include <QPainter>

#include "printing/report_page.h"
#include "results/force_curve.h"

namespace {

constexpr int kLeft = 350;
constexpr int kRight = 4490;
constexpr int kTableTop = 850;
constexpr int kRowHeight = 120;
constexpr int kNameRight = 1900;
constexpr int kValueRight = 3300;
constexpr int kCurveTop = 2900;
constexpr int kCurveBottom = 6500;
constexpr int kCellText = Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip;

QString Utf8(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

std::vector<ResultLine> ResultLines(const ResultSet& set) {
    std::vector<ResultLine> lines = {
        {QStringLiteral("试验名称"), Utf8(set.testName), QString()},
        {QStringLiteral("启动时间"), Utf8(set.startTime), QString()},
        {QStringLiteral("横截面积 S0"), Utf8(ResultValueText(set.specimen.area)),
         QStringLiteral("mm²")},
        {QStringLiteral("标距 L0"), Utf8(ResultValueText(set.specimen.gaugeLength)),
         QStringLiteral("mm")}};
    for (const ResultRow& row : set.rows)
        lines.push_back({Utf8(row.name), Utf8(ResultValueText(row.value)), Utf8(row.unit)});
    return lines;
}

QString BreakNote(const TestResults& results) {
    if (results.count == 0) return QStringLiteral("没有记录");
    if (results.breakDetected)
        return QStringLiteral("断裂于第 %1 条记录").arg(results.breakIndex + 1);
    return QStringLiteral("未检测到断裂：断裂值取最后一条记录");
}

void DrawResultsPage(QPainter& painter, const QPaintDevice& device, const ReportFonts& fonts,
                     const ResultSet& set) {
    BeginReportPage(painter, device);
    painter.setBackgroundMode(Qt::TransparentMode);

    painter.setFont(fonts.title);
    painter.drawText(QRect(150, 350, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip,
                     QStringLiteral("试验结果"));

    const std::vector<ResultLine> lines = ResultLines(set);
    painter.setFont(fonts.header);
    painter.fillRect(QRect(kLeft, kTableTop, kRight - kLeft, kRowHeight), fonts.headerBrush);
    const QString headers[] = {QStringLiteral("项目"), QStringLiteral("数值"),
                               QStringLiteral("单位")};
    const int edges[] = {kLeft, kNameRight, kValueRight, kRight};
    for (int c = 0; c < 3; ++c) {
        painter.drawText(QRect(edges[c] + 40, kTableTop, edges[c + 1] - edges[c] - 80, kRowHeight),
                         kCellText | Qt::AlignLeft, headers[c]);
    }
    painter.setFont(fonts.body);
    int top = kTableTop + kRowHeight;
    for (const ResultLine& line : lines) {
        painter.drawText(QRect(kLeft + 40, top, kNameRight - kLeft - 80, kRowHeight),
                         kCellText | Qt::AlignLeft, line.name);
        painter.drawText(QRect(kNameRight + 40, top, kValueRight - kNameRight - 80, kRowHeight),
                         kCellText | Qt::AlignRight, line.value);
        painter.drawText(QRect(kValueRight + 40, top, kRight - kValueRight - 80, kRowHeight),
                         kCellText | Qt::AlignLeft, line.unit);
        top += kRowHeight;
    }
    const int bottom = top;
    for (int y = kTableTop; y <= bottom; y += kRowHeight) painter.drawLine(kLeft, y, kRight, y);
    for (int x : edges) painter.drawLine(x, kTableTop, x, bottom);
    painter.drawText(QRect(kLeft, bottom + 40, kRight - kLeft, kRowHeight),
                     kCellText | Qt::AlignLeft, BreakNote(set.results));

    const QRect curve(kLeft, kCurveTop, kRight - kLeft, kCurveBottom - kCurveTop);
    DrawForceCurve(painter, curve, set, CurveScale{kReportDpi / 96.0});
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(curve);
    painter.restore();
}
