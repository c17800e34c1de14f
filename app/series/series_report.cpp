#include "series/series_report.h"

#include <QCoreApplication>
#include <QPaintDevice>
#include <QPainter>
#include <QPrinter>
#include <algorithm>

#include "printing/report_page.h"
#include "results/result_translation.h"
#include "series/series_chart.h"
#include "series/series_texts.h"

namespace {

constexpr int kLeft = 350;
constexpr int kRight = 4490;
constexpr int kPageTop = 350;
constexpr int kInfoTop = 800;
constexpr int kInfoRow = 110;
constexpr int kPageBottom = 6500;
constexpr int kHeaderHeight = 330;
constexpr int kRowHeight = 100;
constexpr int kNoteHeight = 90;
constexpr int kBlockGap = 100;
constexpr int kIdWidth = 800;
constexpr int kMinChartHeight = 2400;
constexpr int kCellText = Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip;
const QColor kExcludedText(128, 128, 128);

QString Utf8(const std::string& text) {
    return QString::fromStdString(text);
}

// One line of a page's table: a block's header, a specimen's row or a statistics row.
struct TableLine {
    enum Kind { kHeader, kSpecimen, kStatistic } kind;
    int block;
    int index;
    int top;
};

struct PagePlan {
    std::vector<TableLine> lines;
    std::vector<std::pair<int, QString>> notes;  // top, text
    QRect chart;                                 // empty: none on this page
};

std::vector<QString> ReportNotes(const SeriesReport& report) {
    std::vector<QString> notes;
    for (const SeriesTableRow& row : report.table.specimens)
        if (!row.excludedReason.empty())
            notes.push_back(QCoreApplication::translate("SeriesReport", "%1 已排除，不计入统计：%2")
                                .arg(Utf8(row.specimenId), Utf8(row.excludedReason)));
    for (const std::string& note : report.overlay.notes)
        notes.push_back(TranslatedText("SeriesTexts", SeriesTextTemplates(), note));
    notes.push_back(QCoreApplication::translate(
        "SeriesReport", "统计仅含有效试样；强度修约至 1 MPa，延伸率至 0.5 %"));
    return notes;
}

std::vector<PagePlan> PlanPages(const SeriesReport& report) {
    std::vector<PagePlan> pages(1);
    int top = kInfoTop + 4 * kInfoRow + 60;
    const auto place = [&](int height) {
        if (top + height > kPageBottom) {
            pages.emplace_back();
            top = kPageTop;
        }
        const int at = top;
        top += height;
        return at;
    };
    const std::vector<std::vector<int>> blocks = ReportColumnBlocks(report.table);
    const int rows = static_cast<int>(report.table.specimens.size()) + kStatisticLines;
    for (int b = 0; b < static_cast<int>(blocks.size()); ++b) {
        if (b > 0) top += kBlockGap;
        // A header never ends a page: its first row comes with it.
        const int headerTop = place(kHeaderHeight + kRowHeight);
        top -= kRowHeight;
        pages.back().lines.push_back({TableLine::kHeader, b, 0, headerTop});
        for (int r = 0; r < rows; ++r) {
            const std::size_t before = pages.size();
            const int at = place(kRowHeight);
            if (pages.size() != before) {
                // A new page repeats the block's header above the row.
                pages.back().lines.push_back({TableLine::kHeader, b, 0, at});
                top = at + kHeaderHeight;
                const int rowTop = place(kRowHeight);
                pages.back().lines.push_back({r < static_cast<int>(report.table.specimens.size())
                                                  ? TableLine::kSpecimen
                                                  : TableLine::kStatistic,
                                              b, r, rowTop});
                continue;
            }
            pages.back().lines.push_back({r < static_cast<int>(report.table.specimens.size())
                                              ? TableLine::kSpecimen
                                              : TableLine::kStatistic,
                                          b, r, at});
        }
    }
    top += 30;
    for (const QString& note : ReportNotes(report)) {
        const int at = place(kNoteHeight);
        pages.back().notes.push_back({at, note});
    }
    top += 60;
    if (top + kMinChartHeight > kPageBottom) {
        pages.emplace_back();
        top = kPageTop;
    }
    pages.back().chart = QRect(kLeft, top, kRight - kLeft, kPageBottom - top);
    return pages;
}

// The right edges of a block's cells: the specimen column, then its results.
std::vector<int> CellEdges(std::size_t columns) {
    std::vector<int> edges = {kLeft, kLeft + kIdWidth};
    const int width = (kRight - kLeft - kIdWidth) / kReportResultColumns;
    for (std::size_t c = 0; c < columns; ++c) edges.push_back(edges.back() + width);
    return edges;
}

void DrawInfo(QPainter& painter, const ReportFonts& fonts, const SeriesReport& report) {
    painter.setFont(fonts.title);
    painter.drawText(QRect(150, kPageTop, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip,
                     QCoreApplication::translate("SeriesReport", "系列试验报告"));
    const SeriesInfo& info = report.info;
    int valid = 0;
    for (const SeriesTableRow& row : report.table.specimens) valid += row.excludedReason.empty();
    const QString tested = QCoreApplication::translate("SeriesReport", "%1（有效 %2，计划 %3）")
                               .arg(report.table.specimens.size())
                               .arg(valid)
                               .arg(info.planned);
    const std::pair<QString, QString> items[] = {
        {QCoreApplication::translate("SeriesReport", "系列名称："), Utf8(info.name)},
        {QCoreApplication::translate("SeriesReport", "材料："), Utf8(info.material)},
        {QCoreApplication::translate("SeriesReport", "试验方法："),
         QCoreApplication::translate("CSeriesDlg", info.method.c_str())},
        {QCoreApplication::translate("SeriesReport", "操作员："), Utf8(info.operatorName)},
        {QCoreApplication::translate("SeriesReport", "试样数："), tested},
        {QCoreApplication::translate("SeriesReport", "创建时间："), Utf8(info.created)},
        {QCoreApplication::translate("SeriesReport", "备注："), Utf8(info.notes)},
        {QCoreApplication::translate("SeriesReport", "测试员签名："), QString()}};
    painter.setFont(fonts.info);
    const int half = (kRight - kLeft) / 2;
    for (int i = 0; i < 8; ++i) {
        const QRect cell(kLeft + (i % 2) * half, kInfoTop + (i / 2) * kInfoRow, half - 40,
                         kInfoRow);
        painter.drawText(cell, kCellText | Qt::AlignLeft, items[i].first + items[i].second);
    }
}

void DrawLine(QPainter& painter, const ReportFonts& fonts, const SeriesReport& report,
              const std::vector<int>& block, const TableLine& line) {
    const SeriesTable& table = report.table;
    const std::vector<int> edges = CellEdges(block.size());
    const int height = line.kind == TableLine::kHeader ? kHeaderHeight : kRowHeight;
    const QRect whole(kLeft, line.top, edges.back() - kLeft, height);
    const auto cell = [&](std::size_t c) {
        return QRect(edges[c] + 30, line.top, edges[c + 1] - edges[c] - 60, height);
    };
    painter.setPen(QPen(Qt::black, 1));
    if (line.kind == TableLine::kHeader) {
        painter.fillRect(whole, fonts.headerBrush);
        painter.setFont(fonts.body);
        painter.drawText(cell(0), kCellText | Qt::AlignLeft,
                         QCoreApplication::translate("SeriesReport", "试样"));
        for (std::size_t c = 0; c < block.size(); ++c) {
            const SeriesColumn& column = table.columns[block[c]];
            QString title = TranslatedResultText(column.name);
            if (!column.unit.empty()) title += QStringLiteral("\n(") + Utf8(column.unit) + ")";
            painter.drawText(cell(c + 1), Qt::AlignCenter | Qt::TextWordWrap, title);
        }
    } else {
        painter.setFont(fonts.body);
        const bool specimen = line.kind == TableLine::kSpecimen;
        const SeriesTableRow* row = specimen ? &table.specimens[line.index] : nullptr;
        const int statistic = line.index - static_cast<int>(table.specimens.size());
        const bool excluded = row != nullptr && !row->excludedReason.empty();
        if (line.kind == TableLine::kStatistic && statistic == 0)
            painter.drawLine(kLeft, line.top + 8, edges.back(), line.top + 8);
        painter.setPen(QPen(excluded ? kExcludedText : QColor(Qt::black), 1));
        painter.drawText(
            cell(0), kCellText | Qt::AlignLeft,
            specimen
                ? Utf8(row->specimenId) +
                      (excluded ? QCoreApplication::translate("SeriesReport", " (排除)")
                                : QString())
                : TranslatedText("SeriesTexts", SeriesTextTemplates(), StatisticLabel(statistic)));
        for (std::size_t c = 0; c < block.size(); ++c) {
            const SeriesColumn& column = table.columns[block[c]];
            const std::string text =
                specimen ? RoundedValueText(row->values[block[c]], column.reportStep)
                         : RoundedValueText(StatisticValue(table.statistics[block[c]], statistic),
                                            StatisticStep(column, statistic));
            painter.drawText(cell(c + 1), kCellText | Qt::AlignRight, Utf8(text));
        }
        painter.setPen(QPen(Qt::black, 1));
    }
    painter.drawRect(whole);
    for (std::size_t c = 1; c + 1 < edges.size(); ++c)
        painter.drawLine(edges[c], line.top, edges[c], line.top + height);
}

}  // namespace

std::vector<std::vector<int>> ReportColumnBlocks(const SeriesTable& table) {
    std::vector<int> given;
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
        const bool any = std::any_of(table.specimens.begin(), table.specimens.end(),
                                     [c](const SeriesTableRow& row) { return row.values[c]; });
        if (any) given.push_back(static_cast<int>(c));
    }
    std::vector<std::vector<int>> blocks;
    for (std::size_t i = 0; i < given.size(); i += kReportResultColumns)
        blocks.emplace_back(given.begin() + i,
                            given.begin() + std::min(given.size(), i + kReportResultColumns));
    if (blocks.empty()) blocks.emplace_back();
    return blocks;
}

int SeriesReportPageCount(const SeriesReport& report) {
    return static_cast<int>(PlanPages(report).size());
}

void DrawSeriesReportPage(QPainter& painter, const QPaintDevice& device, const ReportFonts& fonts,
                          const SeriesReport& report, int page) {
    const std::vector<PagePlan> pages = PlanPages(report);
    if (page < 0 || page >= static_cast<int>(pages.size())) return;
    BeginReportPage(painter, device);
    painter.setBackgroundMode(Qt::TransparentMode);
    if (page == 0) DrawInfo(painter, fonts, report);
    const std::vector<std::vector<int>> blocks = ReportColumnBlocks(report.table);
    const PagePlan& plan = pages[page];
    for (const TableLine& line : plan.lines)
        DrawLine(painter, fonts, report, blocks[line.block], line);
    painter.setFont(fonts.body);
    painter.setPen(QPen(Qt::black, 1));
    for (const auto& [top, text] : plan.notes)
        painter.drawText(QRect(kLeft, top, kRight - kLeft, kNoteHeight), kCellText | Qt::AlignLeft,
                         text);
    if (!plan.chart.isEmpty()) {
        painter.setFont(fonts.body);
        DrawSeriesOverlay(painter, plan.chart, report.overlay, report.shown,
                          CurveScale{kReportDpi / 96.0});
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(plan.chart);
    }
    painter.restore();
}

bool PrintSeriesReport(QPrinter& printer, const SeriesReport& report) {
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    const std::unique_ptr<ReportFonts> fonts = CreateReportFonts();
    // Shaped runs of Latin letters and digits come out of the PDF as glyphs without their
    // characters ("B-01" copies as "B-"); the report's texts need no shaping.
    for (QFont* font : {&fonts->title, &fonts->header, &fonts->body, &fonts->info})
        font->setStyleStrategy(QFont::PreferNoShaping);
    const int pages = SeriesReportPageCount(report);
    for (int page = 0; page < pages; ++page) {
        if (page > 0) printer.newPage();
        DrawSeriesReportPage(painter, printer, *fonts, report, page);
    }
    return painter.end();
}

bool WriteSeriesReportPdf(const SeriesReport& report, const QString& pdfPath) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setOutputFileName(pdfPath);
    return PrintSeriesReport(printer, report);
}
