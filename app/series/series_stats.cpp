#include "series/series_stats.h"

#include <algorithm>
#include <cmath>

namespace {

// t(0.975) for 1..30 degrees of freedom; beyond, the Cornish-Fisher expansion agrees with
// the exact quantile to better than 1e-6.
constexpr double kT975[] = {12.706204736, 4.302652730, 3.182446305, 2.776445105, 2.570581836,
                            2.446911851,  2.364624252, 2.306004135, 2.262157163, 2.228138852,
                            2.200985160,  2.178812830, 2.160368656, 2.144786688, 2.131449546,
                            2.119905299,  2.109815578, 2.100922040, 2.093024054, 2.085963447,
                            2.079613845,  2.073873068, 2.068657610, 2.063898562, 2.059538553,
                            2.055529439,  2.051830516, 2.048407142, 2.045229642, 2.042272456};
constexpr int kTabled = static_cast<int>(sizeof kT975 / sizeof kT975[0]);

}  // namespace

double StudentT975(int degreesOfFreedom) {
    const int df = std::max(degreesOfFreedom, 1);
    if (df <= kTabled) return kT975[df - 1];
    const double z = 1.959963984540054;
    const double z2 = z * z;
    const double g1 = (z2 + 1) * z / 4;
    const double g2 = ((5 * z2 + 16) * z2 + 3) * z / 96;
    const double g3 = (((3 * z2 + 19) * z2 + 17) * z2 - 15) * z / 384;
    const double g4 = ((((79 * z2 + 776) * z2 + 1482) * z2 - 1920) * z2 - 945) * z / 92160;
    const double v = df;
    return z + g1 / v + g2 / (v * v) + g3 / (v * v * v) + g4 / (v * v * v * v);
}

SampleStatistics StatisticsOf(const std::vector<double>& values) {
    SampleStatistics s;
    s.n = static_cast<int>(values.size());
    if (s.n == 0) return s;
    double sum = 0;
    for (double v : values) sum += v;
    const double mean = sum / s.n;
    s.mean = mean;
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    s.minimum = *low;
    s.maximum = *high;
    if (s.n < 2) return s;
    // Deviations from the mean, not the sum of squares: no cancellation on close values.
    double squares = 0;
    for (double v : values) squares += (v - mean) * (v - mean);
    const double deviation = std::sqrt(squares / (s.n - 1));
    s.deviation = deviation;
    if (mean != 0) s.variation = 100 * deviation / std::fabs(mean);
    const double half = StudentT975(s.n - 1) * deviation / std::sqrt(static_cast<double>(s.n));
    s.confidenceLow = mean - half;
    s.confidenceHigh = mean + half;
    return s;
}

std::vector<ResultStatistics> StatisticsOfSeries(const std::vector<SeriesSpecimen>& specimens) {
    std::vector<ResultStatistics> table;
    std::vector<std::vector<double>> values;
    for (const SeriesSpecimen& specimen : specimens) {
        for (const ResultRow& row : specimen.rows) {
            auto it = std::find_if(table.begin(), table.end(), [&](const ResultStatistics& e) {
                return e.name == row.name && e.unit == row.unit;
            });
            if (it == table.end()) {
                table.push_back({row.name, row.unit, {}});
                values.emplace_back();
                it = table.end() - 1;
            }
            if (specimen.member.excludedReason.empty() && row.value && std::isfinite(*row.value))
                values[it - table.begin()].push_back(*row.value);
        }
    }
    for (std::size_t i = 0; i < table.size(); ++i) table[i].statistics = StatisticsOf(values[i]);
    return table;
}
