#include "records/archive_ini.h"

#include <cstdlib>
#include <sstream>

#include "common/atomic_file.h"
#include "common/gbk_text.h"
#include "common/ui_text.h"
#include "run/run_state.h"

namespace {

constexpr char kHeader[] = "[Test]";
constexpr char kStartKey[] = "StartTime=";
constexpr char kOperatorKey[] = "Operator=";
constexpr char kSeriesKey[] = "Series=";
constexpr char kNumberKey[] = "SpecimenNo=";
constexpr char kExcludedKey[] = "Excluded=";

// A value stored on one line: line breaks typed into a reason become blanks.
std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    return text;
}

std::string SeriesLines(const SeriesMember& member) {
    if (member.series.empty()) return std::string();
    std::string lines = kSeriesKey + OneLine(member.series) + "\n" + kNumberKey +
                        std::to_string(member.number) + "\n";
    if (!member.excludedReason.empty())
        lines += kExcludedKey + OneLine(member.excludedReason) + "\n";
    return lines;
}

}  // namespace

std::string TestFileText(const std::string& startTimeUtf8, const std::string& operatorUtf8,
                         const SpecimenDims& specimen, const SeriesMember& member) {
    return std::string(kHeader) + "\n" + kStartKey + startTimeUtf8 + "\n" + kOperatorKey +
           operatorUtf8 + "\n" + SeriesLines(member) + SpecimenFileText(specimen);
}

bool ParseTestFileText(const std::string& text, std::string* startTimeUtf8,
                       std::string* operatorUtf8, SpecimenDims* specimen, SeriesMember* member) {
    std::istringstream lines(text);
    std::string line;
    bool isTestFile = false;
    SeriesMember read;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line == kHeader) isTestFile = true;
        if (line.rfind(kStartKey, 0) == 0) *startTimeUtf8 = line.substr(sizeof kStartKey - 1);
        if (line.rfind(kOperatorKey, 0) == 0) *operatorUtf8 = line.substr(sizeof kOperatorKey - 1);
        if (line.rfind(kSeriesKey, 0) == 0) read.series = line.substr(sizeof kSeriesKey - 1);
        if (line.rfind(kNumberKey, 0) == 0)
            read.number = std::atoi(line.c_str() + sizeof kNumberKey - 1);
        if (line.rfind(kExcludedKey, 0) == 0)
            read.excludedReason = line.substr(sizeof kExcludedKey - 1);
    }
    if (!isTestFile) return false;
    *specimen = ParseSpecimenText(text);
    // A number that is not a place in a series leaves the test a lone one.
    if (read.number <= 0) read = SeriesMember{};
    if (member != nullptr) *member = read;
    return true;
}

std::string TestFilePathOf(const std::string& archivePathUtf8) {
    const std::size_t dot = archivePathUtf8.rfind('.');
    const std::size_t slash = archivePathUtf8.rfind('/');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? archivePathUtf8.substr(0, dot) : archivePathUtf8) + ".ini";
}

bool WriteTestFile(const TestRun& run, const SpecimenDims& specimen, const std::string& pathUtf8,
                   std::string* errorUtf8) {
    return WriteFileAtomically(
        pathUtf8,
        TestFileText(GbkToUtf8(run.g_strStartTime), GbkToUtf8(run.g_strOperator), specimen,
                     run.g_seriesMember),
        errorUtf8);
}

bool WriteExcludedReason(const std::string& archivePathUtf8, const std::string& reasonUtf8,
                         std::string* errorUtf8) {
    const std::string path = TestFilePathOf(archivePathUtf8);
    std::string bytes, startTime, operatorUtf8;
    SpecimenDims specimen;
    SeriesMember member;
    if (!ReadFilePrefix(path, kMaxTestFileBytes, &bytes, errorUtf8)) return false;
    if (!ParseTestFileText(bytes, &startTime, &operatorUtf8, &specimen, &member) ||
        member.series.empty()) {
        if (errorUtf8 != nullptr)
            *errorUtf8 = ui::Fill(ui::translate("RecordTexts", "该试验不属于任何系列：%1"), {path});
        return false;
    }
    member.excludedReason = reasonUtf8;
    return WriteFileAtomically(path, TestFileText(startTime, operatorUtf8, specimen, member),
                               errorUtf8);
}

void TakeArchivedTest(TestRun& run, SpecimenDims& specimen, const std::string& archivePathUtf8) {
    run.g_playedArchive = PlayedArchive{};
    run.g_playedArchive.open = true;
    while (run.g_playedArchive.records < run.g_nRecordCapacity &&
           run.g_playedArchive.records + 1 < kRecordSlots &&
           !run.g_strRecord0[run.g_playedArchive.records + 1].empty())
        ++run.g_playedArchive.records;
    std::string bytes, error, startTime;
    std::string operatorUtf8 = GbkToUtf8(run.g_strOperator);
    SpecimenDims stored;
    if (ReadFilePrefix(TestFilePathOf(archivePathUtf8), kMaxTestFileBytes, &bytes, &error) &&
        ParseTestFileText(bytes, &startTime, &operatorUtf8, &stored, &run.g_seriesMember)) {
        run.g_playedArchive.hasTestFile = true;
        run.g_strStartTime = Utf8ToGbk(startTime);
        run.g_strOperator = Utf8ToGbk(operatorUtf8);
        specimen = stored;
    } else {
        // The archive does not hold its start time; none is better than the playback's.
        run.g_strStartTime.clear();
        run.g_seriesMember = SeriesMember{};
    }
}
