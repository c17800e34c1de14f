// "<base>.csv" beside the archive: the records with their elapsed times, for spreadsheets
// and scripts. UTF-8 with a byte-order mark, comma-separated, CRLF line ends.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "results/results_engine.h"
#include "run/run_state.h"

struct Settings;
struct SpecimenDims;
struct TestRun;

// A row of the program's own file is a few dozen bytes; a far longer file is not one.
constexpr std::size_t kMaxRecordsCsvBytes = 256 * (kRecordSlots + 1);

// A field as the program's CSV files write it: quoted when it holds a comma, a quote, CR or LF.
std::string CsvField(const std::string& text);
// Header "次数,时间(s),<name0>(<unit0>),<name1>(<unit1>)" with the channel names and units
// of the settings, then one line per record 1..g_nRecordCount: the record number, the
// elapsed time with 3 decimals and both values as plain decimal numbers. A field holding a
// comma, a quote, CR or LF is quoted. Where the records carry the extensometer, a fifth
// column "引伸计 (mm)": its reading at full precision, empty where it read nothing (after its
// removal).
std::string RecordsCsvText(const Settings& settings, const TestRun& run);
// The block the file begins with, before that header: the specimen (S0, L0, Su, Lu) and the
// result set, one line "结果,<name>,<value at full precision>,<unit>" each (an empty value
// when it cannot be computed), the line "结果,断裂判定记录,<record>," (the record at which the
// break rule fired, empty when it did not), then one line "说明,<note>,," per note. Where the
// curve has the extensometer, "结果,引伸计标距 Le,<Le>,mm" after the specimen and
// "结果,引伸计取下记录,<record>," (empty when it stayed on) after the break record.
std::string ResultsCsvBlock(const ResultSet& set);
// The text of a file of the program with its result block replaced by `block`, the records
// from their header on kept byte for byte; none when the text is not such a file.
std::optional<std::string> WithResultsBlock(const std::string& csvText, const std::string& block);
// The block and the records, after one byte-order mark, through a temporary file renamed
// into place. False, with a message.
bool WriteRecordsCsv(const Settings& settings, const TestRun& run, const SpecimenDims& specimen,
                     const std::string& pathUtf8, std::string* errorUtf8);
// Takes the record times of a played-back test from its CSV file: run.g_dRecordTime[n] for each
// record line n, the last one at the full precision of the block's 试验时间 where that agrees
// with it to the millisecond; the other lines of the result block skipped. The extensometer's
// column, where there is one, is left to its own file. False, changing nothing, when the file
// is missing or is not such a file.
bool ReadRecordTimesCsv(TestRun& run, const std::string& pathUtf8);

// The program's CSV read back: what the results need, as the file holds it.
struct RecordsCsvContent {
    // The channel names and units of the header, the specimen of the block (the proof
    // offset from the name of its Rp line), every record's time (the last as
    // ReadRecordTimesCsv takes it) and values and the break record, and where the file has
    // the extensometer's column, its readings, Le and removal record; the results are not
    // evaluated.
    ResultSet set;
    // The block names the break record; files written before it did not.
    bool breakRecordStored = false;
};
// False, with a message (UTF-8), for a text that is not such a file.
bool ParseRecordsCsv(const std::string& text, RecordsCsvContent* test, std::string* errorUtf8);
bool ReadRecordsCsv(const std::string& pathUtf8, RecordsCsvContent* test, std::string* errorUtf8);
