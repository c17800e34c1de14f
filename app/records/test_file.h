// The test file beside an archive ("<archive base>.ini"): the specimen the test was run with
// and its start time, which the archive's fixed layout has no room for. Playback shows the
// test with them, not with today's Specimen.ini or the time of the playback.
#pragma once

#include <string>

#include "settings/specimen.h"

struct TestRun;

// "[Test]", "StartTime=<start time, UTF-8>", then the specimen as Specimen.ini holds it.
std::string TestFileText(const std::string& startTimeUtf8, const SpecimenDims& specimen);
// False when the text is not a test file (no "[Test]" line).
bool ParseTestFileText(const std::string& text, std::string* startTimeUtf8, SpecimenDims* specimen);

// The test file of an archive path: its extension replaced by ".ini".
std::string TestFilePathOf(const std::string& archivePathUtf8);
// The current test's: run.g_strStartTime and specimen. False, with a message, on failure.
bool WriteTestFile(const TestRun& run, const SpecimenDims& specimen, const std::string& pathUtf8,
                   std::string* errorUtf8);

// After an archive has been read over the record tables: run.g_playedArchive takes the count
// of its records, and its test file, when there is one, the start time and the specimen.
void TakeArchivedTest(TestRun& run, SpecimenDims& specimen, const std::string& archivePathUtf8);
