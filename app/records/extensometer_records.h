// The extensometer's readings of a saved test, in a file of their own beside its archive,
// "<archive file name>.ext.csv": the archive's fixed layout has no room for a third channel,
// and a test saved without the extensometer has no such file, so its files stay as they were.
//
// UTF-8 with a byte-order mark, comma-separated, CRLF line ends:
//   引伸计记录,1                 the file's kind and version
//   存档 SHA-256,<hex>           the archive the readings belong to
//   标距 Le (mm),<Le>
//   通道,<card channel>
//   单位,mm                      the unit of the readings
//   记录数,<n>                   the archive's records
//   取下记录,<record>            the last record before it was taken off; empty: stayed on
//   次数,引伸计 (mm)
//   <record>,<extension>         one line per record, at full precision; empty where it read
//                                nothing (every record after the removal)
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct TestRun;

// A file of 10002 records at the longest plain numbers is well below this; a longer one is
// not such a file.
constexpr std::size_t kMaxExtensometerRecordsBytes = 8u << 20;

std::string ExtensometerRecordsPathOf(const std::string& archivePathUtf8);

// The file's text for records 1..run.g_nRecordCount of a run whose records carry the
// extensometer, with the digest of the archive they were saved in.
std::string ExtensometerRecordsText(const TestRun& run, const std::string& archiveSha256);

struct ExtensometerRecords {
    double gaugeLength = 0;  // Le, mm
    int channel = 0;
    int removalRecord = 0;
    std::vector<double> extension;  // records 1..n; NaN where it read nothing
};
// Reads a file's text strictly: every line as written, the digest that of the archive and
// as many records as it has, Le positive, readings finite numbers or empty, and empty after
// the removal. False, with what is wrong (UTF-8), for anything else: such a file is damaged
// or another test's, and none of its numbers is taken.
bool ParseExtensometerRecords(const std::string& text, const std::string& archiveSha256,
                              int recordCount, ExtensometerRecords* records, std::string* whyUtf8);

// After the archive of a test was written at archivePathUtf8: its extensometer file, through a
// temporary file renamed into place, when the run's records carry the extensometer; otherwise
// a file of that name left by an earlier test is removed, so that it is never taken for this
// one's. False, with a message, when either cannot be done.
bool WriteExtensometerRecords(const TestRun& run, const std::string& archivePathUtf8,
                              std::string* errorUtf8);

// After an archive was read over the record tables: the run's extensometer (its readings, Le,
// channel, removal record, this tick's reading and readout) is cleared, then taken from the
// archive's extensometer file where there is one. True when it was taken. False without a
// notice when there is no file; false with a notice (UTF-8) saying why when the file was
// refused, the test then being one without the extensometer.
bool TakeExtensometerRecords(TestRun& run, const std::string& archivePathUtf8,
                             std::string* noticeUtf8);
