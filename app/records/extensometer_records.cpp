#include "records/extensometer_records.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "common/atomic_file.h"
#include "common/number_text.h"
#include "common/sha256.h"
#include "common/ui_text.h"
#include "run/run_state.h"

namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";
constexpr char kLineEnd[] = "\r\n";
constexpr char kKindLine[] = "引伸计记录,1";
constexpr char kArchiveKey[] = "存档 SHA-256,";
constexpr char kGaugeKey[] = "标距 Le (mm),";
constexpr char kChannelKey[] = "通道,";
constexpr char kUnitLine[] = "单位,mm";
constexpr char kCountKey[] = "记录数,";
constexpr char kRemovalKey[] = "取下记录,";
constexpr char kColumnsLine[] = "次数,引伸计 (mm)";
// The card channels the extensometer's settings allow: 0 and 1 are force and crosshead.
constexpr int kFirstChannel = 2, kLastChannel = 31;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The records an archive read over the tables holds: up to its first empty force text.
int ArchivedRecords(const TestRun& run) {
    int count = 0;
    while (count + 1 < kRecordSlots && !run.g_strRecord0[count + 1].empty()) ++count;
    return count;
}

// A whole number of digits alone (no sign, no blanks) within [low, high].
bool WholeNumber(const std::string& text, int low, int high, int* value) {
    if (text.empty() || text.size() > 9 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    int number = 0;
    std::from_chars(text.data(), text.data() + text.size(), number);
    if (number < low || number > high) return false;
    *value = number;
    return true;
}

bool UsableHeader(const TestRun& run) {
    return std::isfinite(run.g_dExtGaugeLength) && run.g_dExtGaugeLength > 0 &&
           run.g_nExtChannel >= kFirstChannel && run.g_nExtChannel <= kLastChannel;
}

// The lines of a text that ends with a line end, each without it (CRLF or LF).
bool SplitLines(const std::string& text, std::vector<std::string>* lines) {
    if (text.empty() || text.back() != '\n') return false;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines->push_back(std::move(line));
        start = end + 1;
    }
    return true;
}

// The value after `key` when the line is `key` followed by it.
bool Keyed(const std::string& line, const char* key, std::string* value) {
    const std::size_t length = std::char_traits<char>::length(key);
    if (line.compare(0, length, key) != 0) return false;
    *value = line.substr(length);
    return true;
}

}  // namespace

std::string ExtensometerRecordsPathOf(const std::string& archivePathUtf8) {
    return archivePathUtf8 + ".ext.csv";
}

std::string ExtensometerRecordsText(const TestRun& run, const std::string& archiveSha256) {
    const int count = std::clamp(run.g_nRecordCount, 0, kRecordSlots - 1);
    const int removal = std::clamp(run.g_nExtRemovalRecord, 0, count);
    std::string text = kBom;
    text.reserve(256 + static_cast<std::size_t>(count) * 24);
    text += std::string(kKindLine) + kLineEnd;
    text += kArchiveKey + archiveSha256 + kLineEnd;
    text += kGaugeKey + PlainNumber(run.g_dExtGaugeLength) + kLineEnd;
    text += kChannelKey + std::to_string(run.g_nExtChannel) + kLineEnd;
    text += std::string(kUnitLine) + kLineEnd;
    text += kCountKey + std::to_string(count) + kLineEnd;
    text += kRemovalKey + (removal > 0 ? std::to_string(removal) : std::string()) + kLineEnd;
    text += std::string(kColumnsLine) + kLineEnd;
    for (int i = 1; i <= count; ++i) {
        text += std::to_string(i);
        text += ',';
        const double value = run.ExtReadingOf(i);
        if (std::isfinite(value)) text += PlainNumber(value);
        text += kLineEnd;
    }
    return text;
}

bool ParseExtensometerRecords(const std::string& text, const std::string& archiveSha256,
                              int recordCount, ExtensometerRecords* records, std::string* whyUtf8) {
    auto refuse = [whyUtf8](const std::string& why) {
        if (whyUtf8 != nullptr) *whyUtf8 = why;
        return false;
    };
    std::vector<std::string> lines;
    if (text.compare(0, 3, kBom) != 0)
        return refuse(ui::translate("RecordTexts", "没有 UTF-8 字节顺序标记"));
    if (!SplitLines(text.substr(3), &lines))
        return refuse(ui::translate("RecordTexts", "文件不完整，末行没有结束"));
    constexpr std::size_t kHeaderLines = 8;
    if (lines.size() < kHeaderLines || lines[0] != kKindLine)
        return refuse(ui::translate("RecordTexts", "不是引伸计记录文件"));
    ExtensometerRecords read;
    std::string value;
    if (!Keyed(lines[1], kArchiveKey, &value))
        return refuse(ui::translate("RecordTexts", "第 2 行不是存档的 SHA-256"));
    if (value != archiveSha256)
        return refuse(ui::translate("RecordTexts", "属于另一份存档（SHA-256 不符）"));
    if (!Keyed(lines[2], kGaugeKey, &value) || !ParseNumber(value, &read.gaugeLength) ||
        !std::isfinite(read.gaugeLength) || !(read.gaugeLength > 0))
        return refuse(ui::translate("RecordTexts", "标距 Le 不是正数"));
    if (!Keyed(lines[3], kChannelKey, &value) ||
        !WholeNumber(value, kFirstChannel, kLastChannel, &read.channel))
        return refuse(ui::translate("RecordTexts", "通道不是 2 到 31 之间的整数"));
    if (lines[4] != kUnitLine) return refuse(ui::translate("RecordTexts", "单位不是 mm"));
    int count = 0;
    if (!Keyed(lines[5], kCountKey, &value) || !WholeNumber(value, 0, kRecordSlots - 1, &count))
        return refuse(ui::translate("RecordTexts", "记录数不可读"));
    if (count != recordCount)
        return refuse(ui::Fill(ui::translate("RecordTexts", "记录数 %1 与存档的 %2 条不符"),
                               {std::to_string(count), std::to_string(recordCount)}));
    if (!Keyed(lines[6], kRemovalKey, &value) ||
        !(value.empty() || WholeNumber(value, 1, count, &read.removalRecord)))
        return refuse(ui::translate("RecordTexts", "取下记录不是 1 到记录数之间的整数"));
    if (lines[7] != kColumnsLine)
        return refuse(ui::translate("RecordTexts", "没有“次数,引伸计 (mm)”表头"));
    if (lines.size() != kHeaderLines + static_cast<std::size_t>(count))
        return refuse(
            ui::Fill(ui::translate("RecordTexts", "有 %1 行记录，应为 %2 行"),
                     {std::to_string(lines.size() - kHeaderLines), std::to_string(count)}));
    read.extension.reserve(static_cast<std::size_t>(count));
    for (int n = 1; n <= count; ++n) {
        const std::string& line = lines[kHeaderLines + static_cast<std::size_t>(n) - 1];
        const std::string record = std::to_string(n);
        const std::size_t comma = line.find(',');
        int number = 0;
        if (comma == std::string::npos ||
            !WholeNumber(line.substr(0, comma), 1, kRecordSlots - 1, &number) || number != n)
            return refuse(
                ui::Fill(ui::translate("RecordTexts", "第 %1 条记录的次数不符"), {record}));
        const std::string reading = line.substr(comma + 1);
        if (reading.empty()) {
            read.extension.push_back(kNaN);
            continue;
        }
        double extension = 0;
        if (!ParseNumber(reading, &extension) || !std::isfinite(extension))
            return refuse(ui::Fill(ui::translate("RecordTexts", "第 %1 条记录不是可用的数值：%2"),
                                   {record, reading}));
        if (read.removalRecord > 0 && n > read.removalRecord)
            return refuse(
                ui::Fill(ui::translate("RecordTexts", "第 %1 条记录在取下之后仍有读数"), {record}));
        read.extension.push_back(extension);
    }
    *records = std::move(read);
    return true;
}

bool WriteExtensometerRecords(const TestRun& run, const std::string& archivePathUtf8,
                              std::string* errorUtf8) {
    const std::string path = ExtensometerRecordsPathOf(archivePathUtf8);
    if (!run.g_bExtRecorded) {
        if (std::remove(path.c_str()) == 0 || errno == ENOENT) return true;
        if (errorUtf8 != nullptr)
            *errorUtf8 =
                ui::Fill(ui::translate("RecordTexts", "旧的引伸计记录文件无法删除：%1"), {path});
        return false;
    }
    if (!UsableHeader(run)) {
        if (errorUtf8 != nullptr)
            *errorUtf8 = ui::Fill(
                ui::translate("RecordTexts", "引伸计记录没有标距 Le 或通道，没有保存：%1"), {path});
        return false;
    }
    std::string digest;
    return Sha256OfFile(archivePathUtf8, &digest, errorUtf8) &&
           WriteFileAtomically(path, ExtensometerRecordsText(run, digest), errorUtf8);
}

bool TakeExtensometerRecords(TestRun& run, const std::string& archivePathUtf8,
                             std::string* noticeUtf8) {
    std::fill(std::begin(run.g_dRecordExt), std::end(run.g_dRecordExt), kNaN);
    run.g_bExtRecorded = 0;
    run.g_nExtRemovalRecord = 0;
    run.g_dExtGaugeLength = 0;
    run.g_nExtChannel = 0;
    run.g_dValueExt = kNaN;
    run.g_strReadoutExt.clear();
    if (noticeUtf8 != nullptr) noticeUtf8->clear();

    const std::string path = ExtensometerRecordsPathOf(archivePathUtf8);
    std::string text, error, digest;
    int readErrno = 0;
    if (!ReadBoundedFile(path, kMaxExtensometerRecordsBytes, &text, &error, &readErrno)) {
        if (readErrno == ENOENT) return false;
    } else if (Sha256OfFile(archivePathUtf8, &digest, &error)) {
        ExtensometerRecords records;
        if (ParseExtensometerRecords(text, digest, ArchivedRecords(run), &records, &error)) {
            std::copy(records.extension.begin(), records.extension.end(), run.g_dRecordExt + 1);
            run.g_bExtRecorded = 1;
            run.g_nExtRemovalRecord = records.removalRecord;
            run.g_dExtGaugeLength = records.gaugeLength;
            run.g_nExtChannel = records.channel;
            return true;
        }
    }
    if (noticeUtf8 != nullptr)
        *noticeUtf8 = ui::Fill(
            ui::translate("RecordTexts", "引伸计记录文件不可用（%1），试验按没有引伸计打开：%2"),
            {error, path});
    return false;
}
