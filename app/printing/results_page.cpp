#include "printing/results_page.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>

#include "printing/report_page.h"
#include "results/force_curve.h"
#include "results/result_translation.h"

namespace {

constexpr int kLeft = 350;
constexpr int kRight = 4490;
constexpr int kTableTop = 850;
constexpr int kRowHeight = 100;
constexpr int kNoteHeight = 90;
constexpr int kMinCurveHeight = 1800;
constexpr int kNameRight = 1900;
constexpr int kValueRight = 3300;
constexpr int kMinValueWidth = 700;
constexpr int kCurveBottom = 6500;
constexpr int kCellText = Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip;

QString Utf8(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

int NameColumnRight(const std::vector<ResultLine>& lines, const QFontMetrics& metrics) {
    int right = kNameRight;
    for (const ResultLine& line : lines)
        right = std::max(right, kLeft + 80 + metrics.horizontalAdvance(line.name));
    return std::min(right, kValueRight - kMinValueWidth);
}

std::vector<ResultLine> ResultLines(const ResultSet& set, const std::string& operatorUtf8,
                                    bool rounded) {
    std::vector<ResultLine> lines = {
        {QCoreApplication::translate("ResultsPage", "试验名称"), Utf8(set.testName), QString()},
        {QCoreApplication::translate("ResultsPage", "测试员"), Utf8(operatorUtf8), QString()},
        {QCoreApplication::translate("ResultsPage", "启动时间"), Utf8(set.startTime), QString()},
        {QCoreApplication::translate("ResultsPage", "横截面积 S0"),
         Utf8(ResultValueText(set.specimen.area)), QStringLiteral("mm²")},
        {QCoreApplication::translate("ResultsPage", "标距 L0"),
         Utf8(ResultValueText(set.specimen.gaugeLength)), QStringLiteral("mm")},
        {QCoreApplication::translate("ResultsPage", "断后最小横截面积 Su"),
         Utf8(ResultValueText(set.specimen.finalArea)), QStringLiteral("mm²")},
        {QCoreApplication::translate("ResultsPage", "断后标距 Lu"),
         Utf8(ResultValueText(set.specimen.finalGaugeLength)), QStringLiteral("mm")}};
    for (const ResultRow& row : set.rows) {
        lines.push_back({TranslatedResultText(row.name),
                         Utf8(rounded ? ReportedValueText(row) : ResultValueText(row.value)),
                         Utf8(row.unit)});
    }
    return lines;
}

QStringList SpecimenNotes(const ResultSet& set) {
    QStringList notes;
    const std::string carried = CarriedOverNote(set.specimen);
    if (!carried.empty()) notes << TranslatedResultText(carried);
    const bool area = set.specimen.area.has_value(), gauge = set.specimen.gaugeLength.has_value();
    if (!area || !gauge) {
        notes << (!area && !gauge ? QCoreApplication::translate(
                                        "ResultsPage",
                                        "横截面积 S0、标距 L0 未给定：在菜单栏的 试样参数 中输入")
                  : !area ? QCoreApplication::translate(
                                "ResultsPage", "横截面积 S0 未给定：在菜单栏的 试样参数 中输入")
                          : QCoreApplication::translate(
                                "ResultsPage", "标距 L0 未给定：在菜单栏的 试样参数 中输入"));
    }
    return notes;
}

QString BreakNote(const TestResults& results) {
    return TranslatedResultText(BreakNoteText(results));
}

void DrawResultsPage(QPainter& painter, const QPaintDevice& device, const ReportFonts& fonts,
                     const ResultSet& set, const std::string& operatorUtf8) {
    BeginReportPage(painter, device);
    painter.setBackgroundMode(Qt::TransparentMode);

    painter.setFont(fonts.title);
    painter.drawText(QRect(150, 350, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip,
                     QCoreApplication::translate("ResultsPage", "试验结果"));

    const std::vector<ResultLine> lines = ResultLines(set, operatorUtf8, true);
    painter.setFont(fonts.header);
    painter.fillRect(QRect(kLeft, kTableTop, kRight - kLeft, kRowHeight), fonts.headerBrush);
    const QString headers[] = {QCoreApplication::translate("ResultsPage", "项目"),
                               QCoreApplication::translate("ResultsPage", "数值"),
                               QCoreApplication::translate("ResultsPage", "单位")};
    painter.setFont(fonts.body);
    const int nameRight = NameColumnRight(lines, painter.fontMetrics());
    painter.setFont(fonts.header);
    const int edges[] = {kLeft, nameRight, kValueRight, kRight};
    for (int c = 0; c < 3; ++c) {
        painter.drawText(QRect(edges[c] + 40, kTableTop, edges[c + 1] - edges[c] - 80, kRowHeight),
                         kCellText | Qt::AlignLeft, headers[c]);
    }
    painter.setFont(fonts.body);
    int top = kTableTop + kRowHeight;
    for (const ResultLine& line : lines) {
        painter.drawText(QRect(kLeft + 40, top, nameRight - kLeft - 80, kRowHeight),
                         kCellText | Qt::AlignLeft, line.name);
        painter.drawText(QRect(nameRight + 40, top, kValueRight - nameRight - 80, kRowHeight),
                         kCellText | Qt::AlignRight, line.value);
        painter.drawText(QRect(kValueRight + 40, top, kRight - kValueRight - 80, kRowHeight),
                         kCellText | Qt::AlignLeft, line.unit);
        top += kRowHeight;
    }
    const int bottom = top;
    for (int y = kTableTop; y <= bottom; y += kRowHeight) painter.drawLine(kLeft, y, kRight, y);
    for (int x : edges) painter.drawLine(x, kTableTop, x, bottom);
    // The notes under the table, as many as leave the curve its least height.
    int noteTop = bottom + 30;
    std::vector<QString> notes = {
        BreakNote(set.results),
        QCoreApplication::translate("ResultsPage",
                                    "强度修约至 1 MPa，延伸率至 0.5 %（Ae 0.1 %），"
                                    "Z 至 1 %，E 至 100 MPa")};
    for (const std::string& note : ResultNotes(set)) notes.push_back(TranslatedResultText(note));
    for (const QString& note : SpecimenNotes(set)) notes.push_back(note);
    for (const QString& note : notes) {
        if (noteTop + kNoteHeight > kCurveBottom - kMinCurveHeight) break;
        painter.drawText(QRect(kLeft, noteTop, kRight - kLeft, kNoteHeight),
                         kCellText | Qt::AlignLeft, note);
        noteTop += kNoteHeight;
    }

    const int curveTop = noteTop + 60;
    const QRect curve(kLeft, curveTop, kRight - kLeft, kCurveBottom - curveTop);
    DrawForceCurve(painter, curve, set, CurveScale{kReportDpi / 96.0});
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(curve);
    painter.restore();
}
