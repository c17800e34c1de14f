#include "records/records_csv.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

#include "common/atomic_file.h"
#include "common/gbk_text.h"
#include "common/number_text.h"
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
    // Only where it is given, so that the files of tests without one stay as they were.
    if (set.specimen.compliance) line(kComplianceName, set.specimen.compliance, "mm/N");
    for (const ResultRow& row : set.rows) line(row.name, row.value, row.unit);
    const int breakRecord = set.curve.breakRecord;
    text += std::string(kResultField) + ',' + kBreakRecordName + ',' +
            (breakRecord > 0 ? std::to_string(breakRecord) : std::string()) + ',' + kLineEnd;
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
    if (header + 1 < rows.size()) TakeTestTime(times, rows.back()[1], testTime);
    std::copy(times.begin(), times.end(), run.g_dRecordTime + 1);
    return true;
}

bool ParseRecordsCsv(const std::string& text, RecordsCsvContent* test, std::string* errorUtf8) {
    auto refuse = [errorUtf8](const std::string& why) {
        if (errorUtf8 != nullptr) *errorUtf8 = "不是本程序的记录文件（" + why + "）";
        return false;
    };
    if (text.compare(0, 3, kBom) != 0) return refuse("没有 UTF-8 字节顺序标记");
    const auto rows = CsvRows(text.substr(3));
    RecordsCsvContent read;
    ResultSet& set = read.set;
    std::size_t header = 0;
    std::optional<double> testTime;
    for (;
         header < rows.size() && (rows[header][0] == kResultField || rows[header][0] == kNoteField);
         ++header) {
        const std::vector<std::string>& row = rows[header];
        const std::string where = "第 " + std::to_string(header + 1) + " 行";
        if (row.size() != 4) return refuse(where + "不是四栏");
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
            double record = 0;
            usable = value.empty() || (ParseNumber(value, &record) && record >= 1 &&
                                       record < kRecordSlots && record == std::floor(record));
            set.curve.breakRecord = static_cast<int>(record);
            read.breakRecordStored = true;
        }
        if (!usable) return refuse(where + "的“" + name + "”不是可用的数值：" + value);
    }
    if (header >= rows.size() || rows[header].size() != 4 || rows[header][0] != "次数" ||
        rows[header][1] != "时间(s)" ||
        !SplitChannelField(rows[header][2], &set.forceName, &set.units.force) ||
        !SplitChannelField(rows[header][3], &set.displacementName, &set.units.length))
        return refuse("没有“次数,时间(s),<名称>(<单位>),<名称>(<单位>)”表头");
    for (std::size_t n = 1; header + n < rows.size(); ++n) {
        const std::vector<std::string>& row = rows[header + n];
        double number = 0, time = 0, force = 0, displacement = 0;
        if (row.size() != 4 || !ParseNumber(row[0], &number) || number != static_cast<double>(n) ||
            !ParseNumber(row[1], &time) || !ParseNumber(row[2], &force) ||
            !ParseNumber(row[3], &displacement))
            return refuse("第 " + std::to_string(n) + " 条记录不可读");
        if (n >= static_cast<std::size_t>(kRecordSlots)) return refuse("记录多于存档所能容纳");
        set.curve.time.push_back(time);
        set.curve.force.push_back(force);
        set.curve.displacement.push_back(displacement);
    }
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
