// The series' files beside its tests: "<name>.series.csv" and "<name>.series.xls", the series'
// data, one line per specimen with every result, then the statistics lines.
#pragma once

#include <string>

#include "records/biff8_writer.h"
#include "records/series_file.h"
#include "series/series_tests.h"

std::string SeriesCsvPath(const std::string& dataFolderUtf8, const std::string& nameUtf8);
std::string SeriesWorkbookPath(const std::string& dataFolderUtf8, const std::string& nameUtf8);

// UTF-8 with a byte-order mark, CRLF line ends, as the program's other CSV files: lines
// "系列,<name>" ... "创建时间,<created>", a blank line, the header
// "试样,排除原因,<result>(<unit>)...", one line per specimen with the values at full precision
// (empty where a result is missing), then one line per statistic: "<label>,,<values>".
std::string SeriesCsvText(const SeriesInfo& info, const SeriesTable& table);
// The same table on one sheet: texts as texts, values as numbers.
Worksheet SeriesWorksheet(const SeriesInfo& info, const SeriesTable& table);
// Both files, each through a temporary file renamed into place. False, with a message; the
// CSV may then stand without the workbook.
bool WriteSeriesTables(const std::string& dataFolderUtf8, const SeriesInfo& info,
                       const SeriesTable& table, std::string* errorUtf8);
