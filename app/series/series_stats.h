// The statistics of a series: for every result, over the valid specimens that have it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "results/results_engine.h"
#include "run/series_member.h"

// The two-sided 95 % quantile of Student's t with that many degrees of freedom (at least 1).
double StudentT975(int degreesOfFreedom);

struct SampleStatistics {
    int n = 0;
    std::optional<double> mean, minimum, maximum;
    // From two values on: the sample standard deviation, the coefficient of variation (% of
    // the mean; none for a mean of 0) and the mean's 95 % confidence interval.
    std::optional<double> deviation, variation, confidenceLow, confidenceHigh;
};
SampleStatistics StatisticsOf(const std::vector<double>& values);

// One specimen of a series as the statistics see it.
struct SeriesSpecimen {
    SeriesMember member;  // excluded when its reason is not empty
    std::vector<ResultRow> rows;
};

struct ResultStatistics {
    std::string name, unit;  // UTF-8, as the result rows name them
    SampleStatistics statistics;
};
// One entry per result name and unit, in the order the specimens' rows first give them; a
// result whose unit differs between specimens (a unit changed within the series) is
// counted separately for each unit, never mixed.
std::vector<ResultStatistics> StatisticsOfSeries(const std::vector<SeriesSpecimen>& specimens);
