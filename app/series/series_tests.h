// The tests of a series as they stand in the data folder, and the series table built from
// them: read from the files alone, so that a window showing a series never touches the run.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "records/saved_test.h"
#include "series/series_stats.h"

// A file of the folder that names the series but could not be read, and why (UTF-8).
struct SeriesFileProblem {
    std::string pathUtf8;
    std::string reasonUtf8;
};

struct SeriesTests {
    std::vector<SavedTest> tests;  // in specimen order: number, then archive path
    std::vector<SeriesFileProblem> problems;
};

// Every "*.ini" test file in the folder (ending in '/') that names the series, with its
// archive "<base>.dat" beside it. A file that does not read is listed, never fatal.
SeriesTests LoadSeriesTests(const std::string& dataFolderUtf8, const std::string& seriesUtf8);

// One column of the table: a result of the specimens' result rows.
struct SeriesColumn {
    std::string name, unit;  // UTF-8
    double reportStep = 0;   // the step the report rounds the result to
};
struct SeriesTableRow {
    std::string specimenId;                     // "<series>-03"
    std::string excludedReason;                 // not empty: shown, counted in no statistic
    std::vector<std::optional<double>> values;  // one per column
};
struct SeriesTable {
    std::vector<SeriesColumn> columns;
    std::vector<SeriesTableRow> specimens;
    std::vector<SampleStatistics> statistics;  // one per column
};
SeriesTable SeriesTableOf(const std::vector<SavedTest>& tests);

// The statistics rows under the specimens: n, mean, s, CV, min, max, CI low, CI high.
constexpr int kStatisticLines = 8;
// The label of a statistics row (UTF-8): "n", "平均值", "标准差 s", ...
const char* StatisticLabel(int line);
std::optional<double> StatisticValue(const SampleStatistics& statistics, int line);
// The step a statistics row of a column is rounded to in the report: the column's own for the
// mean, the extremes and the interval, a tenth of it for s, 0.1 % for CV, whole for n.
double StatisticStep(const SeriesColumn& column, int line);
// A value rounded to a step (none: as computed, up to 4 decimals), as the report prints it.
std::string RoundedValueText(const std::optional<double>& value, double step);
