// The test's spreadsheet: an Excel 97-2003 workbook (BIFF8 in a compound file).
#pragma once

#include <string>

struct ResultSet;
struct Settings;
struct SpecimenDims;
struct TestRun;

// Decodes UTF-8 as the GBK helper produces it; a malformed sequence becomes U+FFFD.
std::u16string Utf8ToUtf16(const std::string& utf8);

// The workbook's bytes: the records sheet from the settings and the run, the 结果 sheet from
// the result set, and where the records carry the extensometer a third sheet 引伸计 (Le, the
// removal record, then per record its number, time in s, extension in mm and strain in % of
// Le). False, with a message, when it is too large for the format.
bool WorkbookBytes(const Settings& settings, const TestRun& run, const ResultSet& results,
                   std::string* bytes, std::string* errorUtf8);
// Writes rows 1..6 (header data) and one row per record of the current test, every cell a
// text, on the first sheet; the second sheet 结果 holds the test's results (names, number
// values, units). At pathUtf8 through a temporary file renamed into place. False, with a
// message, when it cannot be written.
bool ExportSpreadsheet(const Settings& settings, const TestRun& run, const SpecimenDims& specimen,
                       const std::string& pathUtf8, std::string* errorUtf8);
