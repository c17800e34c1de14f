#include "records/records_csv.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "run/run_state.h"
#include "common/atomic_file.h"
#include "common/gbk_text.h"
#include "common/number_text.h"
#include "results/results_engine.h"
#include "settings/settings_record.h"

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";
constexpr char kLineEnd[] = "\r\n";
constexpr char kResultField[] = "结果";
constexpr char kNoteField[] = "说明";

std::string ChannelHeader(const std::string& nameGbk, const std::string& unitGbk) {
    return CsvField(GbkToUtf8(nameGbk) + "(" + GbkToUtf8(unitGbk) + ")");
}

// The rows of a CSV text, quoted fields taken whole (with their commas and line ends).
std::vector<std::vector<std::string>> CsvRows(const std::string& text) {
    std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        std::string& field = rows.back().back();
        if (quoted) {
            if (c != '"') {
                field += c;
            } else if (i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            rows.back().emplace_back();
        } else if (c == '\n') {
            rows.emplace_back(1);
        } else if (c != '\r') {
            field += c;
        }
    }
    if (rows.back().size() == 1 && rows.back()[0].empty()) rows.pop_back();
    return rows;
}

}  // namespace

std::string RecordsCsvText(const Settings& settings, const TestRun& run) {
    const int count = std::clamp(run.g_nRecordCount, 0, kRecordSlots - 1);
    std::string text = kBom;
    text.reserve(64 + static_cast<std::size_t>(count) * 32);
    text += "次数,时间(s),";
    text += ChannelHeader(settings.g_strChannelName0, settings.g_strUnit0) + ',';
    text += ChannelHeader(settings.g_strChannelName1, settings.g_strUnit1) + kLineEnd;
    char number[16];
    for (int i = 1; i <= count; ++i) {
        text.append(number, std::to_chars(number, number + sizeof number, i).ptr);
        text += ',';
        text += FixedNumber(run.g_dRecordTime[i], 3);
        text += ',';
        text += PlainNumber(LeadingNumber(run.g_strRecord0[i]));
        text += ',';
        text += PlainNumber(LeadingNumber(run.g_strRecord1[i]));
        text += kLineEnd;
    }
    return text;
}

std::string ResultsCsvBlock(const ResultSet& set) {
    std::string text;
    auto line = [&text](const std::string& name, const std::optional<double>& value,
                        const std::string& unit) {
        text += std::string(kResultField) + ',' + CsvField(name) + ',' +
                (value ? PlainNumber(*value) : std::string()) + ',' + CsvField(unit) + kLineEnd;
    };
    line("横截面积 S0", set.specimen.area, "mm²");
    line("标距 L0", set.specimen.gaugeLength, "mm");
    line("断后最小横截面积 Su", set.specimen.finalArea, "mm²");
    line("断后标距 Lu", set.specimen.finalGaugeLength, "mm");
    for (const ResultRow& row : set.rows) line(row.name, row.value, row.unit);
    text += std::string(kNoteField) + ',' + CsvField(BreakNoteText(set.results)) + ",," + kLineEnd;
    for (const std::string& note : ResultNotes(set))
        text += std::string(kNoteField) + ',' + CsvField(note) + ",," + kLineEnd;
    return text;
}

std::optional<std::string> WithResultsBlock(const std::string& csvText, const std::string& block) {
    if (csvText.compare(0, 3, kBom) != 0) return std::nullopt;
    // The records begin at the first line, outside a quoted field, that is the header.
    bool quoted = false;
    bool lineStart = true;
    for (std::size_t i = 3; i < csvText.size(); ++i) {
        if (lineStart && !quoted && csvText.compare(i, 7, "次数,") == 0)
            return kBom + block + csvText.substr(i);
        const char c = csvText[i];
        if (c == '"') quoted = !quoted;
        lineStart = c == '\n';
    }
    return std::nullopt;
}

bool WriteRecordsCsv(const Settings& settings, const TestRun& run, const SpecimenDims& specimen,
                     const std::string& pathUtf8, std::string* errorUtf8) {
    const std::string records = RecordsCsvText(settings, run);
    return WriteFileAtomically(pathUtf8,
                               kBom +
                                   ResultsCsvBlock(ResultsOfCurrentTest(settings, run, specimen)) +
                                   records.substr(sizeof kBom - 1),
                               errorUtf8);
}

bool ReadRecordTimesCsv(TestRun& run, const std::string& pathUtf8) {
    std::string text;
    if (!ReadBoundedFile(pathUtf8, kMaxRecordsCsvBytes, &text, nullptr)) return false;
    if (text.compare(0, 3, kBom) != 0) return false;
    auto rows = CsvRows(text.substr(3));
    std::size_t header = 0;
    while (header < rows.size() && !rows[header].empty() &&
           (rows[header][0] == kResultField || rows[header][0] == kNoteField))
        ++header;
    if (header >= rows.size() || rows[header].size() != 4 || rows[header][0] != "次数")
        return false;
    std::vector<double> times;
    for (std::size_t n = 1; header + n < rows.size(); ++n) {
        const std::vector<std::string>& row = rows[header + n];
        double number = 0, time = 0;
        if (row.size() != 4 || !ParseNumber(row[0], &number) || number != static_cast<double>(n) ||
            !ParseNumber(row[1], &time) || n >= static_cast<std::size_t>(kRecordSlots)) {
            return false;
        }
        times.push_back(time);
    }
    std::copy(times.begin(), times.end(), run.g_dRecordTime + 1);
    return true;
}
