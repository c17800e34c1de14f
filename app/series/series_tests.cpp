#include "series/series_tests.h"

#include <algorithm>
#include <cmath>

#include "common/atomic_file.h"
#include "common/number_text.h"
#include "records/archive_ini.h"
#include "run/series_member.h"
#include "series/series_session.h"
#include "series/series_texts.h"

SeriesTests LoadSeriesTests(const std::string& dataFolderUtf8, const std::string& seriesUtf8) {
    SeriesTests found;
    for (const SeriesTestFile& file : SeriesTestFiles(dataFolderUtf8, seriesUtf8)) {
        SavedTest test;
        std::string error;
        if (!LoadSavedTest(file.archivePath, SpecimenDims{}, &test, &error)) {
            found.problems.push_back({TestFilePathOf(file.archivePath), error});
            continue;
        }
        found.tests.push_back(std::move(test));
    }
    return found;
}

SeriesTable SeriesTableOf(const std::vector<SavedTest>& tests) {
    std::vector<SeriesSpecimen> specimens;
    specimens.reserve(tests.size());
    for (const SavedTest& test : tests) specimens.push_back({test.member, test.set.rows});
    SeriesTable table;
    for (ResultStatistics& result : StatisticsOfSeries(specimens)) {
        table.columns.push_back({result.name, result.unit, 0});
        table.statistics.push_back(result.statistics);
    }
    for (const SavedTest& test : tests) {
        SeriesTableRow row{SpecimenIdOf(test.member), test.member.excludedReason,
                           std::vector<std::optional<double>>(table.columns.size())};
        for (const ResultRow& result : test.set.rows) {
            for (std::size_t c = 0; c < table.columns.size(); ++c) {
                SeriesColumn& column = table.columns[c];
                if (column.name != result.name || column.unit != result.unit) continue;
                row.values[c] = result.value;
                column.reportStep = result.reportStep;
            }
        }
        table.specimens.push_back(std::move(row));
    }
    return table;
}

const char* StatisticLabel(int line) {
    static const char* const kLabels[kStatisticLines] = {"n",
                                                         series_text::kMean,
                                                         series_text::kDeviation,
                                                         series_text::kVariation,
                                                         series_text::kMinimum,
                                                         series_text::kMaximum,
                                                         series_text::kLowerBound,
                                                         series_text::kUpperBound};
    return kLabels[std::clamp(line, 0, kStatisticLines - 1)];
}

std::optional<double> StatisticValue(const SampleStatistics& s, int line) {
    switch (line) {
        case 0:
            return static_cast<double>(s.n);
        case 1:
            return s.mean;
        case 2:
            return s.deviation;
        case 3:
            return s.variation;
        case 4:
            return s.minimum;
        case 5:
            return s.maximum;
        case 6:
            return s.confidenceLow;
        case 7:
            return s.confidenceHigh;
        default:
            return std::nullopt;
    }
}

double StatisticStep(const SeriesColumn& column, int line) {
    if (line == 0) return 1;
    if (line == 3) return 0.1;
    if (line == 2) return column.reportStep / 10;
    return column.reportStep;
}

std::string RoundedValueText(const std::optional<double>& value, double step) {
    if (!value || !(step > 0) || !std::isfinite(*value)) return ResultValueText(value);
    // As many decimals as the step has: 0.5 keeps one, 0.05 two, 100 none.
    int decimals = 0;
    while (decimals < 6 && std::fabs(step * std::pow(10, decimals) -
                                     std::round(step * std::pow(10, decimals))) > 1e-9)
        ++decimals;
    const double rounded = std::round(*value / step) * step;
    return FixedNumber(rounded == 0 ? 0.0 : rounded, decimals);
}
