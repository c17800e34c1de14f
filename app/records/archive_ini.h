// The test file beside an archive ("<archive base>.ini"): the specimen the test was run with,
// its start time and its operator, which the archive's fixed layout has no room for. Playback shows
// the test with them, not with today's Specimen.ini or the time of the playback.
#pragma once

#include <cstddef>
#include <string>

#include "run/series_member.h"
#include "settings/specimen.h"

struct TestRun;

// A test file is two short sections; anything much longer is not one.
constexpr std::size_t kMaxTestFileBytes = 4096;

// "[Test]", "StartTime=<start time>", "Operator=<operator>" (UTF-8), for a test of a series
// "Series=<name>", "SpecimenNo=<number>" and, when it was marked invalid,
// "Excluded=<reason>"; then the specimen as Specimen.ini holds it.
std::string TestFileText(const std::string& startTimeUtf8, const std::string& operatorUtf8,
                         const SpecimenDims& specimen, const SeriesMember& member = {});
// False when the text is not a test file (no "[Test]" line). *operatorUtf8 is left as it is
// when the file has no operator line; *member is a lone test's when it names no series.
bool ParseTestFileText(const std::string& text, std::string* startTimeUtf8,
                       std::string* operatorUtf8, SpecimenDims* specimen,
                       SeriesMember* member = nullptr);

// The test file of an archive path: its extension replaced by ".ini".
std::string TestFilePathOf(const std::string& archivePathUtf8);
// The current test's: run.g_strStartTime, run.g_strOperator, run.g_seriesMember and specimen.
// False, with a message, on failure.
bool WriteTestFile(const TestRun& run, const SpecimenDims& specimen, const std::string& pathUtf8,
                   std::string* errorUtf8);

// A saved test's specimen marked invalid (a reason) or valid again (none): its test file is
// written again with everything else it holds kept. False, with a message, when the archive
// has no test file or it cannot be written.
bool WriteExcludedReason(const std::string& archivePathUtf8, const std::string& reasonUtf8,
                         std::string* errorUtf8);

// After an archive has been read over the record tables: run.g_playedArchive takes the count
// of its records, and its test file, when there is one, the start time, the specimen and the
// operator (run.g_strOperator is left alone when the file names none) and its series.
void TakeArchivedTest(TestRun& run, SpecimenDims& specimen, const std::string& archivePathUtf8);
