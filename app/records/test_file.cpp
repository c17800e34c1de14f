#include "records/test_file.h"

#include <sstream>

#include "acquisition/run_state.h"
#include "common/atomic_file.h"
#include "common/gbk_text.h"

namespace {

constexpr char kHeader[] = "[Test]";
constexpr char kStartKey[] = "StartTime=";
constexpr std::size_t kMaxTestFileBytes = 4096;

}  // namespace

std::string TestFileText(const std::string& startTimeUtf8, const SpecimenDims& specimen) {
    return std::string(kHeader) + "\n" + kStartKey + startTimeUtf8 + "\n" +
           SpecimenFileText(specimen);
}

bool ParseTestFileText(const std::string& text, std::string* startTimeUtf8,
                       SpecimenDims* specimen) {
    std::istringstream lines(text);
    std::string line;
    bool isTestFile = false;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line == kHeader) isTestFile = true;
        if (line.rfind(kStartKey, 0) == 0) *startTimeUtf8 = line.substr(sizeof kStartKey - 1);
    }
    if (isTestFile) *specimen = ParseSpecimenText(text);
    return isTestFile;
}

std::string TestFilePathOf(const std::string& archivePathUtf8) {
    const std::size_t dot = archivePathUtf8.rfind('.');
    const std::size_t slash = archivePathUtf8.rfind('/');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? archivePathUtf8.substr(0, dot) : archivePathUtf8) + ".ini";
}

bool WriteTestFile(const std::string& pathUtf8, std::string* errorUtf8) {
    return WriteFileAtomically(pathUtf8, TestFileText(GbkToUtf8(g_strStartTime), g_specimen),
                               errorUtf8);
}

void TakeArchivedTest(const std::string& archivePathUtf8) {
    g_playedArchive = PlayedArchive{};
    g_playedArchive.open = true;
    while (g_playedArchive.records < g_nRecordCapacity &&
           g_playedArchive.records + 1 < kRecordSlots &&
           !g_strRecord0[g_playedArchive.records + 1].empty())
        ++g_playedArchive.records;
    std::string bytes, error, startTime;
    SpecimenDims specimen;
    if (ReadFilePrefix(TestFilePathOf(archivePathUtf8), kMaxTestFileBytes, &bytes, &error) &&
        ParseTestFileText(bytes, &startTime, &specimen)) {
        g_playedArchive.hasTestFile = true;
        g_strStartTime = Utf8ToGbk(startTime);
        g_specimen = specimen;
    } else {
        // The archive does not hold its start time; none is better than the playback's.
        g_strStartTime.clear();
    }
}
