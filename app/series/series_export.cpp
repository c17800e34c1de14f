#include "series/series_export.h"

#include "common/atomic_file.h"
#include "common/number_text.h"
#include "common/ui_text.h"
#include "records/compound_file.h"
#include "records/records_csv.h"
#include "records/workbook.h"
#include "results/result_texts.h"

namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";
constexpr char kLineEnd[] = "\r\n";

// The series' data as label and value pairs, the lines both files begin with.
std::vector<std::pair<std::string, std::string>> InfoLines(const SeriesInfo& info) {
    return {{"系列", info.name},
            {"材料", info.material},
            {"方法", info.method},
            {"操作员", info.operatorName},
            {"计划试样数", std::to_string(info.planned)},
            {"备注", info.notes},
            {"创建时间", info.created}};
}

std::string ColumnTitle(const SeriesColumn& column) {
    const std::string name = FileResultName(column.name);
    return column.unit.empty() ? name : name + "(" + column.unit + ")";
}

}  // namespace

std::string SeriesCsvPath(const std::string& dataFolderUtf8, const std::string& nameUtf8) {
    return dataFolderUtf8 + nameUtf8 + ".series.csv";
}

std::string SeriesWorkbookPath(const std::string& dataFolderUtf8, const std::string& nameUtf8) {
    return dataFolderUtf8 + nameUtf8 + ".series.xls";
}

std::string SeriesCsvText(const SeriesInfo& info, const SeriesTable& table) {
    std::string text = kBom;
    for (const auto& [label, value] : InfoLines(info))
        text += label + ',' + CsvField(value) + kLineEnd;
    text += kLineEnd;
    text += "试样,排除原因";
    for (const SeriesColumn& column : table.columns) text += ',' + CsvField(ColumnTitle(column));
    text += kLineEnd;
    const auto values = [&text](const auto& of, std::size_t count) {
        for (std::size_t c = 0; c < count; ++c) {
            const std::optional<double> value = of(c);
            text += ',';
            if (value) text += PlainNumber(*value);
        }
        text += kLineEnd;
    };
    for (const SeriesTableRow& row : table.specimens) {
        text += CsvField(row.specimenId) + ',' + CsvField(row.excludedReason);
        values([&row](std::size_t c) { return row.values[c]; }, row.values.size());
    }
    for (int line = 0; line < kStatisticLines; ++line) {
        text += CsvField(StatisticLabel(line)) + ',';
        values([&](std::size_t c) { return StatisticValue(table.statistics[c], line); },
               table.statistics.size());
    }
    return text;
}

Worksheet SeriesWorksheet(const SeriesInfo& info, const SeriesTable& table) {
    Worksheet sheet;
    sheet.name = u"系列";
    std::uint16_t row = 0;
    const auto text = [&sheet](std::uint16_t r, std::uint16_t c, const std::string& utf8) {
        if (!utf8.empty()) sheet.texts.push_back({r, c, Utf8ToUtf16(utf8)});
    };
    const auto number = [&sheet](std::uint16_t r, std::uint16_t c,
                                 const std::optional<double>& value) {
        if (value) sheet.numbers.push_back({r, c, *value});
    };
    for (const auto& [label, value] : InfoLines(info)) {
        text(row, 0, label);
        text(row, 1, value);
        ++row;
    }
    ++row;
    text(row, 0, "试样");
    text(row, 1, "排除原因");
    // A sheet has 256 columns: results beyond them are left to the CSV.
    const std::size_t columns = std::min<std::size_t>(table.columns.size(), 254);
    for (std::size_t c = 0; c < columns; ++c)
        text(row, static_cast<std::uint16_t>(c + 2), ColumnTitle(table.columns[c]));
    ++row;
    for (const SeriesTableRow& specimen : table.specimens) {
        text(row, 0, specimen.specimenId);
        text(row, 1, specimen.excludedReason);
        for (std::size_t c = 0; c < columns; ++c)
            number(row, static_cast<std::uint16_t>(c + 2), specimen.values[c]);
        ++row;
    }
    for (int line = 0; line < kStatisticLines; ++line) {
        text(row, 0, StatisticLabel(line));
        for (std::size_t c = 0; c < columns; ++c)
            number(row, static_cast<std::uint16_t>(c + 2),
                   StatisticValue(table.statistics[c], line));
        ++row;
    }
    return sheet;
}

bool WriteSeriesTables(const std::string& dataFolderUtf8, const SeriesInfo& info,
                       const SeriesTable& table, std::string* errorUtf8) {
    const std::string problem = SeriesNameProblem(info.name);
    if (!problem.empty()) {
        if (errorUtf8 != nullptr) *errorUtf8 = problem;
        return false;
    }
    if (!WriteFileAtomically(SeriesCsvPath(dataFolderUtf8, info.name), SeriesCsvText(info, table),
                             errorUtf8))
        return false;
    const std::string workbookPath = SeriesWorkbookPath(dataFolderUtf8, info.name);
    std::string file;
    if (!BuildCompoundFile(BuildWorkbookStream({SeriesWorksheet(info, table)}), &file)) {
        if (errorUtf8 != nullptr)
            *errorUtf8 =
                ui::Fill(ui::translate("SeriesExport", "工作簿过大，无法保存：%1"), {workbookPath});
        return false;
    }
    return WriteFileAtomically(workbookPath, file, errorUtf8);
}
