#include "results/compliance_fit.h"

#include <algorithm>
#include <cmath>

#include "results/line_sums.h"

std::optional<ComplianceFit> FitCompliance(const ResultSet& set,
                                           std::optional<double> specimenStiffness) {
    const std::vector<double>& force = set.curve.force;
    // The crosshead as it was read, whatever correction the set carries now.
    const std::vector<double>& travel =
        set.curve.crosshead.empty() ? set.curve.displacement : set.curve.crosshead;
    const std::optional<double> newtons = NewtonsPer(set.units.force);
    const std::optional<double> millimetres = MillimetresPer(set.units.length);
    const std::size_t count = std::min(force.size(), travel.size());
    if (!newtons || !millimetres || count == 0) return std::nullopt;
    const std::size_t peak = std::max_element(force.begin(), force.begin() + count) - force.begin();
    ComplianceFit fit;
    fit.lowForce = kCalibrationLow * force[peak];
    fit.highForce = kCalibrationHigh * force[peak];
    LineSums sums;
    for (std::size_t i = 0; i <= peak; ++i)
        if (force[i] >= fit.lowForce && force[i] <= fit.highForce) sums.Add(force[i], travel[i]);
    fit.points = sums.points;
    if (fit.points < 5) return std::nullopt;
    const double vx = sums.Vx(), vy = sums.Vy(), cxy = sums.Cxy();
    if (!(vx > 0) || !(cxy > 0)) return std::nullopt;
    fit.slope = cxy / vx * *millimetres / *newtons;
    fit.correlation = vy > 0 ? cxy / std::sqrt(vx * vy) : 1;
    fit.compliance = fit.slope - (specimenStiffness ? 1 / *specimenStiffness : 0);
    if (!(fit.compliance > 0)) return std::nullopt;
    return fit;
}
