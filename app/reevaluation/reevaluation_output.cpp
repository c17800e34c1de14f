#include "reevaluation/reevaluation_output.h"

#include <cmath>
#include <cstdio>

#include "common/number_text.h"
#include "records/records_csv.h"
#include "results/result_texts.h"

namespace {

std::string Number(const std::optional<double>& value) {
    return value && std::isfinite(*value) ? PlainNumber(*value) : std::string();
}

std::string JsonNumber(const std::optional<double>& value) {
    return value && std::isfinite(*value) ? PlainNumber(*value) : std::string("null");
}

std::string JsonNumber(double value) {
    return JsonNumber(std::optional<double>(value));
}

std::string Padded(const std::string& text, std::size_t width) {
    const std::size_t shown = DisplayWidth(text);
    return text + std::string(width > shown ? width - shown : 0, ' ');
}

// Aligned columns, two blanks apart; the last column is not padded.
std::string Columns(const std::vector<std::vector<std::string>>& rows, const std::string& indent) {
    std::vector<std::size_t> widths;
    for (const auto& row : rows) {
        if (widths.size() < row.size()) widths.resize(row.size(), 0);
        for (std::size_t c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], DisplayWidth(row[c]));
    }
    std::string text;
    for (const auto& row : rows) {
        std::string line = indent;
        for (std::size_t c = 0; c < row.size(); ++c)
            line += c + 1 == row.size() ? row[c] : Padded(row[c], widths[c]) + "  ";
        while (!line.empty() && line.back() == ' ') line.pop_back();
        text += line + "\n";
    }
    return text;
}

const char* const kStatisticsHeader[] = {QT_TRANSLATE_NOOP("ReevaluationTexts", "项目"),
                                         QT_TRANSLATE_NOOP("ReevaluationTexts", "单位"),
                                         "n",
                                         QT_TRANSLATE_NOOP("ReevaluationTexts", "平均值"),
                                         QT_TRANSLATE_NOOP("ReevaluationTexts", "标准差"),
                                         QT_TRANSLATE_NOOP("ReevaluationTexts", "变异系数(%)"),
                                         QT_TRANSLATE_NOOP("ReevaluationTexts", "最小值"),
                                         QT_TRANSLATE_NOOP("ReevaluationTexts", "最大值"),
                                         QT_TRANSLATE_NOOP("ReevaluationTexts", "95%置信下限"),
                                         QT_TRANSLATE_NOOP("ReevaluationTexts", "95%置信上限")};

std::vector<std::string> StatisticsRow(const ResultStatistics& entry) {
    const SampleStatistics& s = entry.statistics;
    const std::string name = FileResultName(entry.name);
    return {name,
            entry.unit,
            std::to_string(s.n),
            Number(s.mean),
            Number(s.deviation),
            Number(s.variation),
            Number(s.minimum),
            Number(s.maximum),
            Number(s.confidenceLow),
            Number(s.confidenceHigh)};
}

// The length of the well-formed UTF-8 sequence starting at byte i (two to four bytes, no
// overlong forms, surrogates or code points past U+10FFFF); 0 for a byte that starts none.
std::size_t Utf8SequenceLength(const std::string& text, std::size_t i) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                              : 0;
    if (length == 0 || i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 0;
    const unsigned char second = static_cast<unsigned char>(text[i + 1]);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F))
        return 0;
    return length;
}

}  // namespace

std::vector<ResultRow> PrintedRows(const ResultSet& set) {
    std::vector<ResultRow> rows = {
        {QT_TRANSLATE_NOOP("ReevaluationTexts", "横截面积 S0"), set.specimen.area, "mm²"},
        {QT_TRANSLATE_NOOP("ReevaluationTexts", "标距 L0"), set.specimen.gaugeLength, "mm"},
        {QT_TRANSLATE_NOOP("ReevaluationTexts", "断后最小横截面积 Su"), set.specimen.finalArea,
         "mm²"},
        {QT_TRANSLATE_NOOP("ReevaluationTexts", "断后标距 Lu"), set.specimen.finalGaugeLength,
         "mm"}};
    // As the CSV's block has it: only where one is given.
    if (set.specimen.compliance)
        rows.push_back({QT_TRANSLATE_NOOP("ReevaluationTexts", "加载链柔度 C"),
                        set.specimen.compliance, "mm/N"});
    for (const ResultRow& row : set.rows)
        rows.push_back({FileResultName(row.name), row.value, row.unit, row.reportStep});
    const int breakRecord = set.curve.breakRecord;
    rows.push_back({QT_TRANSLATE_NOOP("ReevaluationTexts", "断裂判定记录"),
                    breakRecord > 0 ? std::optional<double>(breakRecord) : std::nullopt, ""});
    return rows;
}

std::size_t DisplayWidth(const std::string& utf8) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length && i + k < utf8.size(); ++k)
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        const bool wide =
            (code >= 0x1100 && code <= 0x115F) || (code >= 0x2E80 && code <= 0xA4CF) ||
            (code >= 0xAC00 && code <= 0xD7A3) || (code >= 0xF900 && code <= 0xFAFF) ||
            (code >= 0xFE30 && code <= 0xFE4F) || (code >= 0xFF00 && code <= 0xFF60) ||
            (code >= 0xFFE0 && code <= 0xFFE6) || (code >= 0x20000 && code <= 0x3FFFD);
        width += wide ? 2 : 1;
        i += length;
    }
    return width;
}

std::string TableText(const Evaluation& evaluation, const TableLanguage& language) {
    const auto label = [&language](const char* source) {
        return language.label != nullptr ? language.label(source) : std::string(source);
    };
    // A row's name is this file's (S0, L0, ...) or, as the files write it, the engine's.
    const auto result = [&language, &label](const std::string& source) {
        if (language.result == nullptr) return source;
        const std::string own = label(source.c_str());
        return own != source ? own : language.result(EngineResultName(source));
    };
    std::string text;
    for (const EvaluatedTest& test : evaluation.tests) {
        if (!text.empty()) text += "\n";
        text += FillText(label(QT_TRANSLATE_NOOP("ReevaluationTexts", "文件：%1")).c_str(),
                         {test.path}) +
                "\n";
        if (!test.member.series.empty())
            text += FillText(label(QT_TRANSLATE_NOOP("ReevaluationTexts", "试样：%1")).c_str(),
                             {SpecimenIdOf(test.member)}) +
                    "\n";
        if (!test.member.excludedReason.empty())
            text += FillText(label(QT_TRANSLATE_NOOP("ReevaluationTexts", "已排除：%1")).c_str(),
                             {test.member.excludedReason}) +
                    "\n";
        for (const std::string& given : test.fromCommandLine)
            text +=
                FillText(label(QT_TRANSLATE_NOOP("ReevaluationTexts", "命令行给定：%1")).c_str(),
                         {result(given)}) +
                "\n";
        std::vector<std::vector<std::string>> rows = {
            {label(QT_TRANSLATE_NOOP("ReevaluationTexts", "项目")),
             label(QT_TRANSLATE_NOOP("ReevaluationTexts", "数值")),
             label(QT_TRANSLATE_NOOP("ReevaluationTexts", "单位"))}};
        for (const ResultRow& row : PrintedRows(test.set)) {
            const std::string value = Number(row.value);
            rows.push_back({result(row.name), value.empty() ? "-" : value, row.unit});
        }
        text += Columns(rows, "  ");
        text += label(QT_TRANSLATE_NOOP("ReevaluationTexts", "说明：")) + "\n";
        for (const std::string& note : test.notes) text += "  " + result(note) + "\n";
    }
    if (evaluation.withStatistics) {
        int valid = 0;
        for (const EvaluatedTest& test : evaluation.tests)
            if (test.member.excludedReason.empty()) ++valid;
        text +=
            (text.empty() ? "" : "\n") +
            FillText(label(QT_TRANSLATE_NOOP("ReevaluationTexts", "统计：%1 个有效试样")).c_str(),
                     {std::to_string(valid)}) +
            "\n";
        std::vector<std::vector<std::string>> rows(1);
        for (const char* title : kStatisticsHeader) rows[0].push_back(label(title));
        for (const ResultStatistics& entry : evaluation.statistics) {
            std::vector<std::string> row = StatisticsRow(entry);
            row[0] = result(row[0]);
            for (std::string& field : row)
                if (field.empty()) field = "-";
            rows.push_back(row);
        }
        text += Columns(rows, "  ");
        for (const EvaluatedTest& test : evaluation.tests) {
            if (test.member.excludedReason.empty()) continue;
            const std::string id = SpecimenIdOf(test.member);
            const std::string who =
                id.empty()
                    ? test.path
                    : FillText(label(QT_TRANSLATE_NOOP("ReevaluationTexts", "%1（%2）")).c_str(),
                               {id, test.path});
            text +=
                FillText(label(QT_TRANSLATE_NOOP("ReevaluationTexts", "已排除：%1：%2")).c_str(),
                         {who, test.member.excludedReason}) +
                "\n";
        }
    }
    return text;
}

std::string CsvText(const Evaluation& evaluation) {
    std::string text = "文件,试样,项目,数值,单位\r\n";
    for (const EvaluatedTest& test : evaluation.tests) {
        const std::string lead =
            CsvField(test.path) + "," + CsvField(SpecimenIdOf(test.member)) + ",";
        if (!test.member.excludedReason.empty())
            text += lead + "已排除," + CsvField(test.member.excludedReason) + ",\r\n";
        for (const std::string& given : test.fromCommandLine)
            text += lead + "命令行," + CsvField(given) + ",\r\n";
        for (const ResultRow& row : PrintedRows(test.set))
            text += lead + CsvField(row.name) + "," + Number(row.value) + "," + CsvField(row.unit) +
                    "\r\n";
        for (const std::string& note : test.notes)
            text += lead + "说明," + CsvField(note) + ",\r\n";
    }
    if (evaluation.withStatistics) {
        text += "\r\n统计";
        for (const char* title : kStatisticsHeader) text += std::string(",") + title;
        text += "\r\n";
        for (const ResultStatistics& entry : evaluation.statistics) {
            text += "统计";
            for (const std::string& field : StatisticsRow(entry)) text += "," + CsvField(field);
            text += "\r\n";
        }
        for (const EvaluatedTest& test : evaluation.tests) {
            if (test.member.excludedReason.empty()) continue;
            text += "排除," + CsvField(test.path) + "," + CsvField(SpecimenIdOf(test.member)) +
                    "," + CsvField(test.member.excludedReason) + "\r\n";
        }
    }
    return text;
}

std::string JsonString(const std::string& utf8) {
    std::string text = "\"";
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        const unsigned char u = static_cast<unsigned char>(c);
        if (u >= 0x80) {
            // A file's bytes need not be UTF-8; JSON text must be.
            const std::size_t length = Utf8SequenceLength(utf8, i);
            text += length > 0 ? utf8.substr(i, length) : "\\ufffd";
            i += length > 0 ? length - 1 : 0;
        } else if (c == '"' || c == '\\') {
            text += '\\';
            text += c;
        } else if (c == '\n') {
            text += "\\n";
        } else if (c == '\r') {
            text += "\\r";
        } else if (c == '\t') {
            text += "\\t";
        } else if (u < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
            text += escaped;
        } else {
            text += c;
        }
    }
    return text + "\"";
}

std::string JsonText(const Evaluation& evaluation) {
    auto strings = [](const std::vector<std::string>& list) {
        std::string text = "[";
        for (std::size_t i = 0; i < list.size(); ++i) text += (i ? ", " : "") + JsonString(list[i]);
        return text + "]";
    };
    auto optionalString = [](const std::string& text) {
        return text.empty() ? std::string("null") : JsonString(text);
    };
    std::string text = "{\n  \"tests\": [";
    for (std::size_t t = 0; t < evaluation.tests.size(); ++t) {
        const EvaluatedTest& test = evaluation.tests[t];
        const ResultSet& set = test.set;
        text += t ? ",\n    {" : "\n    {";
        text += "\n      \"file\": " + JsonString(test.path) + ",";
        text +=
            "\n      \"source\": " + std::string(test.archive ? "\"archive\"" : "\"csv\"") + ",";
        text += "\n      \"specimen_id\": " + optionalString(SpecimenIdOf(test.member)) + ",";
        text += "\n      \"series\": " + optionalString(test.member.series) + ",";
        text += "\n      \"excluded\": " + optionalString(test.member.excludedReason) + ",";
        text += "\n      \"proof_offset\": " + JsonNumber(set.specimen.proofOffset) + ",";
        text += "\n      \"fit_range\": [" + JsonNumber(set.results.fitRange.lowPercent) + ", " +
                JsonNumber(set.results.fitRange.highPercent) + "],";
        text += "\n      \"from_command_line\": " + strings(test.fromCommandLine) + ",";
        text += "\n      \"results\": [";
        const std::vector<ResultRow> rows = PrintedRows(set);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            text += (i ? ",\n        " : "\n        ") + std::string("{\"name\": ") +
                    JsonString(rows[i].name) + ", \"value\": " + JsonNumber(rows[i].value) +
                    ", \"unit\": " + JsonString(rows[i].unit) + "}";
        }
        text += "\n      ],";
        text += "\n      \"notes\": " + strings(test.notes);
        text += "\n    }";
    }
    text += evaluation.tests.empty() ? "],\n" : "\n  ],\n";
    text += "  \"refused\": [";
    for (std::size_t i = 0; i < evaluation.refused.size(); ++i) {
        text += (i ? ", " : "") + std::string("{\"file\": ") +
                JsonString(evaluation.refused[i].path) +
                ", \"message\": " + JsonString(evaluation.refused[i].message) + "}";
    }
    text += "],\n  \"statistics\": ";
    if (!evaluation.withStatistics) return text + "null\n}\n";
    text += "{\n    \"results\": [";
    for (std::size_t i = 0; i < evaluation.statistics.size(); ++i) {
        const ResultStatistics& entry = evaluation.statistics[i];
        const SampleStatistics& s = entry.statistics;
        text += (i ? ",\n      " : "\n      ") + std::string("{\"name\": ") +
                JsonString(FileResultName(entry.name)) + ", \"unit\": " + JsonString(entry.unit) +
                ", \"n\": " + std::to_string(s.n) + ", \"mean\": " + JsonNumber(s.mean) +
                ", \"deviation\": " + JsonNumber(s.deviation) +
                ", \"variation\": " + JsonNumber(s.variation) +
                ", \"minimum\": " + JsonNumber(s.minimum) +
                ", \"maximum\": " + JsonNumber(s.maximum) + ", \"confidence95\": [" +
                JsonNumber(s.confidenceLow) + ", " + JsonNumber(s.confidenceHigh) + "]}";
    }
    text += evaluation.statistics.empty() ? "],\n" : "\n    ],\n";
    text += "    \"excluded\": [";
    bool first = true;
    for (const EvaluatedTest& test : evaluation.tests) {
        if (test.member.excludedReason.empty()) continue;
        text += (first ? "" : ", ") + std::string("{\"file\": ") + JsonString(test.path) +
                ", \"specimen_id\": " + optionalString(SpecimenIdOf(test.member)) +
                ", \"reason\": " + JsonString(test.member.excludedReason) + "}";
        first = false;
    }
    return text + "]\n  }\n}\n";
}
