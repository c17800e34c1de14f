// The test archive: a 210716-byte file holding its own path, the settings record, the
// readout texts and the record tables; and playback of a stored test.
#pragma once

#include <cstddef>
#include <ctime>
#include <string>

struct Settings;
struct TestRun;

constexpr std::size_t kArchiveBytes = 210716;

// The archive's path without extension: data folder, test name, local time
// "%Y-%m-%d-%H-%M-%S", then the tag (a save on termination says so in its name). False,
// with a message, for a test name the file system cannot take or that would leave the data
// folder ("/" in it, "." or ".."), or a path that does not fit its 256-byte field.
bool ArchiveBasePath(const std::string& testNameGbk, std::time_t when, std::string* basePathUtf8,
                     std::string* errorUtf8, const std::string& tagUtf8 = std::string());

// The PDF file a report of the test is offered under, in the data folder: the name of the
// test's archive (saved, or the one played back) with ".pdf"; for a test not saved, the
// name its archive would have if saved at `now`. Empty when the test name cannot be a file
// name.
std::string ReportPdfPath(const std::string& testNameGbk, const std::string& archivePathUtf8,
                          std::time_t now);

// Writes the archive of the current test (records above run.g_nRecordCount as empty texts)
// through a temporary file renamed into place. False, with a message, when it fails.
bool WriteArchive(const Settings& settings, const TestRun& run, const std::string& pathUtf8,
                  std::string* errorUtf8);
// Writes the archive as WriteArchive does at basePathUtf8 + ".dat", but never over a file
// that is there: two saves under one name in one second keep both tests, the second as
// "<base>-2.dat" (then "-3", ...). *writtenBaseUtf8 receives the base that was used.
bool WriteNewArchive(const Settings& settings, const TestRun& run, const std::string& basePathUtf8,
                     std::string* writtenBaseUtf8, std::string* errorUtf8);

// Loads an archive over the settings strings, readout texts and record tables.
// *archiveNameGbk receives the stored path. When the file cannot be opened, is not
// kArchiveBytes long or holds a record no channel of its settings could read (not finite, or
// far beyond the channel's full scale), nothing changes and false is returned
// with a message.
bool ReadArchive(Settings& settings, TestRun& run, const std::string& pathUtf8,
                 std::string* archiveNameGbk, std::string* errorUtf8);

// One playback tick for record n (the new run.g_nRecordCount). Returns true when record n is
// empty, which ends the playback; otherwise fills values, histories, ratio and readouts, and
// where the records carry the extensometer, its reading and readout.
bool PlaybackStep(const Settings& settings, TestRun& run, int n);
