// The series statistics against values worked out independently: the t quantile by
// integrating Student's density, the rest by hand.
#include "series/series_stats.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// P(0 < T < q) for Student's t with v degrees of freedom, by Simpson's rule.
double CentralMass(double q, int v) {
    const double c =
        std::exp(std::lgamma((v + 1) / 2.0) - std::lgamma(v / 2.0)) / std::sqrt(v * M_PI);
    const auto density = [&](double t) { return c * std::pow(1 + t * t / v, -(v + 1) / 2.0); };
    const int steps = 20000;
    const double h = q / steps;
    double sum = density(0) + density(q);
    for (int i = 1; i < steps; ++i) sum += density(i * h) * (i % 2 ? 4 : 2);
    return sum * h / 3;
}

TEST(SeriesStatistics, TQuantileLeavesTwoAndAHalfPercentInEachTail) {
    for (int v : {1, 2, 4, 9, 29, 30, 31, 45, 120, 1000})
        EXPECT_NEAR(CentralMass(StudentT975(v), v), 0.475, 2e-7) << v << " degrees of freedom";
    EXPECT_EQ(StudentT975(0), StudentT975(1));
}

TEST(SeriesStatistics, SampleOfFiveWorkedByHand) {
    // Mean 650, deviations -10, -5, 0, 5, 10: s = sqrt(250 / 4) = 7.9057.
    const SampleStatistics s = StatisticsOf({660, 640, 650, 655, 645});
    EXPECT_EQ(s.n, 5);
    EXPECT_DOUBLE_EQ(*s.mean, 650);
    EXPECT_DOUBLE_EQ(*s.minimum, 640);
    EXPECT_DOUBLE_EQ(*s.maximum, 660);
    EXPECT_NEAR(*s.deviation, std::sqrt(62.5), 1e-12);
    EXPECT_NEAR(*s.variation, 100 * std::sqrt(62.5) / 650, 1e-12);
    const double half = 2.776445105 * std::sqrt(62.5) / std::sqrt(5.0);
    EXPECT_NEAR(*s.confidenceLow, 650 - half, 1e-8);
    EXPECT_NEAR(*s.confidenceHigh, 650 + half, 1e-8);

    // Close large values keep their spread.
    const SampleStatistics close = StatisticsOf({1e9 + 1, 1e9 + 2, 1e9 + 3});
    EXPECT_NEAR(*close.deviation, 1.0, 1e-9);

    const SampleStatistics one = StatisticsOf({3});
    EXPECT_EQ(one.n, 1);
    EXPECT_EQ(one.mean, 3.0);
    EXPECT_FALSE(one.deviation || one.confidenceLow || one.variation);
    EXPECT_FALSE(StatisticsOf({}).mean);
    EXPECT_FALSE(StatisticsOf({-1, 1}).variation);  // a mean of 0 has no relative spread
}

TEST(SeriesStatistics, OnlyValidSpecimensWithTheResultCount) {
    const auto row = [](const char* name, std::optional<double> v, const char* unit) {
        return ResultRow{name, v, unit, 0};
    };
    std::vector<SeriesSpecimen> specimens(4);
    for (int i = 0; i < 4; ++i) specimens[i].member = {"B", i + 1, ""};
    specimens[0].rows = {row("Rm", 600, "MPa"), row("A", 20, "%")};
    specimens[1].rows = {row("Rm", 620, "MPa"), row("A", std::nullopt, "%")};
    specimens[2].rows = {row("Rm", 900, "MPa"), row("A", 5, "%")};
    specimens[2].member.excludedReason = "断于标距外";
    // A unit changed within the series: its values are not mixed with the others.
    specimens[3].rows = {row("Rm", 0.61, "GPa"), row("A", 22, "%")};

    const std::vector<ResultStatistics> table = StatisticsOfSeries(specimens);
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(table[0].name, "Rm");
    EXPECT_EQ(table[0].statistics.n, 2);
    EXPECT_DOUBLE_EQ(*table[0].statistics.mean, 610);
    EXPECT_EQ(table[1].name, "A");
    EXPECT_EQ(table[1].statistics.n, 2);
    EXPECT_DOUBLE_EQ(*table[1].statistics.mean, 21);
    EXPECT_EQ(table[2].unit, "GPa");
    EXPECT_EQ(table[2].statistics.n, 1);
}

}  // namespace
