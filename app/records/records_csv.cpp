#include "records/records_csv.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

#include "common/atomic_file.h"
#include "common/gbk_text.h"
#include "common/number_text.h"
#include "common/ui_text.h"
#include "results/result_texts.h"
#include "results/results_engine.h"
#include "run/run_state.h"
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
constexpr char kBreakRecordName[] = "断裂判定记录";
constexpr char kComplianceName[] = "加载链柔度 C";
constexpr char kProofPrefix[] = "规定塑性延伸强度 Rp";
constexpr char kTestTimeName[] = "试验时间";
// The extensometer's column, and its lines of the block, only in the files of tests whose
// records carry it.
constexpr char kExtensometerColumn[] = "引伸计 (mm)";
constexpr char kGaugeName[] = "引伸计标距 Le";
constexpr char kRemovalName[] = "引伸计取下记录";

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

// "<name>(<unit>)" of the header: the unit in the parentheses that close the field.
bool SplitChannelField(const std::string& field, std::string* name, std::string* unit) {
    if (field.empty() || field.back() != ')') return false;
    int depth = 0;
    for (std::size_t i = field.size(); i-- > 0;) {
        if (field[i] == ')') ++depth;
        if (field[i] == '(' && --depth == 0) {
            *name = field.substr(0, i);
            *unit = field.substr(i + 1, field.size() - i - 2);
            return true;
        }
    }
    return false;
}

// The columns of the records' header: 4, or 5 where the last is the extensometer's; 0 for
// another header.
std::size_t RecordColumns(const std::vector<std::string>& header) {
    if (header.size() == 4) return 4;
    if (header.size() == 5 && header[4] == kExtensometerColumn) return 5;
    return 0;
}

// A record number of the block: empty for none, else a whole record of the tables.
bool RecordValue(const std::string& text, int* record) {
    double value = 0;
    if (text.empty()) return true;
    if (!ParseNumber(text, &value) || value < 1 || value >= kRecordSlots ||
        value != std::floor(value))
        return false;
    *record = static_cast<int>(value);
    return true;
}

// A dimension's value of the block: empty for none, else a positive number.
bool DimensionValue(const std::string& text, std::optional<double>* value) {
    if (text.empty()) {
        value->reset();
        return true;
    }
    double number = 0;
    if (!ParseNumber(text, &number) || !std::isfinite(number) || number <= 0) return false;
    *value = number;
    return true;
}

// The record lines hold their times to the millisecond; the block's 试验时间 is the last
// record's time at full precision. Where it agrees with the last line, the last record takes
// it, so that a test read back gives the test time it was saved with.
void TakeTestTime(std::vector<double>& times, const std::string& lastTimeText,
                  const std::optional<double>& testTime) {
    if (!times.empty() && testTime && FixedNumber(*testTime, 3) == lastTimeText)
        times.back() = *testTime;
}

// The value of the block's 试验时间 line, when it has one that is a number.
std::optional<double> TestTimeOfBlock(const std::vector<std::string>& row) {
    double value = 0;
    if (row.size() == 4 && row[0] == kResultField && row[1] == kTestTimeName &&
        ParseNumber(row[2], &value) && std::isfinite(value))
        return value;
    return std::nullopt;
}

}  // namespace

std::string RecordsCsvText(const Settings& settings, const TestRun& run) {
    const int count = std::clamp(run.g_nRecordCount, 0, kRecordSlots - 1);
    std::string text = kBom;
    text.reserve(64 + static_cast<std::size_t>(count) * 32);
    text += "次数,时间(s),";
    text += ChannelHeader(settings.g_strChannelName0, settings.g_strUnit0) + ',';
    text += ChannelHeader(settings.g_strChannelName1, settings.g_strUnit1);
    const bool extensometer = run.g_bExtRecorded != 0;
    if (extensometer) text += std::string(",") + kExtensometerColumn;
    text += kLineEnd;
    char number[16];
    for (int i = 1; i <= count; ++i) {
        text.append(number, std::to_chars(number, number + sizeof number, i).ptr);
        text += ',';
        text += FixedNumber(run.g_dRecordTime[i], 3);
        text += ',';
        text += PlainNumber(LeadingNumber(run.g_strRecord0[i]));
        text += ',';
        text += PlainNumber(LeadingNumber(run.g_strRecord1[i]));
        if (extensometer) {
            text += ',';
            const double reading = run.ExtReadingOf(i);
            if (std::isfinite(reading)) text += PlainNumber(reading);
        }
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
    // Only where it is given, so that the files of tests without one stay as they were.
    if (set.specimen.compliance) line(kComplianceName, set.specimen.compliance, "mm/N");
    const TestCurve& curve = set.curve;
    const bool extensometer = !curve.extensometer.empty();
    if (extensometer) line(kGaugeName, curve.extensometerGauge, "mm");
    for (const ResultRow& row : set.rows) line(FileResultName(row.name), row.value, row.unit);
    const int breakRecord = set.curve.breakRecord;
    text += std::string(kResultField) + ',' + kBreakRecordName + ',' +
            (breakRecord > 0 ? std::to_string(breakRecord) : std::string()) + ',' + kLineEnd;
    if (extensometer) {
        text += std::string(kResultField) + ',' + kRemovalName + ',' +
                (curve.removalRecord > 0 ? std::to_string(curve.removalRecord) : std::string()) +
                ',' + kLineEnd;
    }
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
    std::optional<double> testTime;
    while (header < rows.size() && !rows[header].empty() &&
           (rows[header][0] == kResultField || rows[header][0] == kNoteField)) {
        if (const auto value = TestTimeOfBlock(rows[header])) testTime = value;
        ++header;
    }
    if (header >= rows.size() || RecordColumns(rows[header]) == 0 || rows[header][0] != "次数")
        return false;
    const std::size_t columns = rows[header].size();
    std::vector<double> times;
    for (std::size_t n = 1; header + n < rows.size(); ++n) {
        const std::vector<std::string>& row = rows[header + n];
        double number = 0, time = 0;
        if (row.size() != columns || !ParseNumber(row[0], &number) ||
            number != static_cast<double>(n) || !ParseNumber(row[1], &time) ||
            n >= static_cast<std::size_t>(kRecordSlots)) {
            return false;
        }
        times.push_back(time);
    }
    if (header + 1 < rows.size()) TakeTestTime(times, rows.back()[1], testTime);
    std::copy(times.begin(), times.end(), run.g_dRecordTime + 1);
    return true;
}

bool ParseRecordsCsv(const std::string& text, RecordsCsvContent* test, std::string* errorUtf8) {
    auto refuse = [errorUtf8](const std::string& why) {
        if (errorUtf8 != nullptr)
            *errorUtf8 =
                ui::Fill(ui::translate("RecordTexts", "不是本程序的记录文件（%1）"), {why});
        return false;
    };
    if (text.compare(0, 3, kBom) != 0)
        return refuse(ui::translate("RecordTexts", "没有 UTF-8 字节顺序标记"));
    const auto rows = CsvRows(text.substr(3));
    RecordsCsvContent read;
    ResultSet& set = read.set;
    std::size_t header = 0;
    std::optional<double> testTime;
    std::optional<double> gauge;
    bool removalStored = false;
    for (;
         header < rows.size() && (rows[header][0] == kResultField || rows[header][0] == kNoteField);
         ++header) {
        const std::vector<std::string>& row = rows[header];
        const std::string line = std::to_string(header + 1);
        if (row.size() != 4)
            return refuse(ui::Fill(ui::translate("RecordTexts", "第 %1 行不是四栏"), {line}));
        if (row[0] == kNoteField) continue;
        if (const auto value = TestTimeOfBlock(row)) testTime = value;
        const std::string& name = row[1];
        const std::string& value = row[2];
        bool usable = true;
        if (name == "横截面积 S0") usable = DimensionValue(value, &set.specimen.area);
        if (name == "标距 L0") usable = DimensionValue(value, &set.specimen.gaugeLength);
        if (name == "断后最小横截面积 Su") usable = DimensionValue(value, &set.specimen.finalArea);
        if (name == "断后标距 Lu") usable = DimensionValue(value, &set.specimen.finalGaugeLength);
        if (name == kComplianceName) usable = DimensionValue(value, &set.specimen.compliance);
        if (name.rfind(kProofPrefix, 0) == 0) {
            usable = ParseNumber(name.substr(sizeof kProofPrefix - 1), &set.specimen.proofOffset) &&
                     std::isfinite(set.specimen.proofOffset) && set.specimen.proofOffset > 0;
        }
        if (name == kBreakRecordName) {
            usable = RecordValue(value, &set.curve.breakRecord);
            read.breakRecordStored = true;
        }
        if (name == kGaugeName) {
            usable = DimensionValue(value, &gauge) && gauge.has_value();
            set.curve.extensometerGauge = gauge.value_or(0);
        }
        if (name == kRemovalName) {
            usable = RecordValue(value, &set.curve.removalRecord);
            removalStored = true;
        }
        if (!usable)
            return refuse(ui::Fill(ui::translate("RecordTexts", "第 %1 行的“%2”不是可用的数值：%3"),
                                   {line, name, value}));
    }
    const std::size_t columns = header < rows.size() ? RecordColumns(rows[header]) : 0;
    if (columns == 0 || rows[header][0] != "次数" || rows[header][1] != "时间(s)" ||
        !SplitChannelField(rows[header][2], &set.forceName, &set.units.force) ||
        !SplitChannelField(rows[header][3], &set.displacementName, &set.units.length))
        return refuse(
            ui::translate("RecordTexts", "没有“次数,时间(s),<名称>(<单位>),<名称>(<单位>)”表头"));
    // The extensometer's column and its lines of the block come together.
    const bool extensometer = columns == 5;
    if (extensometer != (gauge.has_value() && removalStored))
        return refuse(
            extensometer
                ? ui::translate("RecordTexts", "有引伸计一栏，结果中却没有引伸计标距 Le 与取下记录")
                : ui::translate("RecordTexts", "结果中有引伸计的行，却没有引伸计一栏"));
    const int removal = set.curve.removalRecord;
    for (std::size_t n = 1; header + n < rows.size(); ++n) {
        const std::vector<std::string>& row = rows[header + n];
        const std::string record = std::to_string(n);
        double number = 0, time = 0, force = 0, displacement = 0;
        if (row.size() != columns || !ParseNumber(row[0], &number) ||
            number != static_cast<double>(n) || !ParseNumber(row[1], &time) ||
            !ParseNumber(row[2], &force) || !ParseNumber(row[3], &displacement))
            return refuse(ui::Fill(ui::translate("RecordTexts", "第 %1 条记录不可读"), {record}));
        if (n >= static_cast<std::size_t>(kRecordSlots))
            return refuse(ui::translate("RecordTexts", "记录多于存档所能容纳"));
        set.curve.time.push_back(time);
        set.curve.force.push_back(force);
        set.curve.displacement.push_back(displacement);
        if (!extensometer) continue;
        // Empty where it read nothing; once it is taken off, it reads nothing.
        double extension = std::numeric_limits<double>::quiet_NaN();
        if (!row[4].empty() && (!ParseNumber(row[4], &extension) || !std::isfinite(extension) ||
                                (removal > 0 && n > static_cast<std::size_t>(removal))))
            return refuse(
                ui::Fill(ui::translate("RecordTexts", "第 %1 条记录的引伸计读数不可用：%2"),
                         {record, row[4]}));
        set.curve.extensometer.push_back(extension);
    }
    if (removal > static_cast<int>(set.curve.force.size()))
        return refuse(ui::translate("RecordTexts", "引伸计取下记录超出记录数"));
    if (header + 1 < rows.size()) TakeTestTime(set.curve.time, rows.back()[1], testTime);
    *test = std::move(read);
    return true;
}

bool ReadRecordsCsv(const std::string& pathUtf8, RecordsCsvContent* test, std::string* errorUtf8) {
    std::string text;
    std::string error;
    if (!ReadBoundedFile(pathUtf8, kMaxRecordsCsvBytes, &text, &error)) {
        if (errorUtf8 != nullptr) *errorUtf8 = error;
        return false;
    }
    if (!ParseRecordsCsv(text, test, errorUtf8)) {
        if (errorUtf8 != nullptr) *errorUtf8 += "：" + pathUtf8;
        return false;
    }
    return true;
}
