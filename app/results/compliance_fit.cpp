#include "results/compliance_fit.h"

#include <algorithm>
#include <cmath>

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
    // Sums relative to the first record taken keep the differences of large sums exact.
    double x0 = 0, y0 = 0, sx = 0, sy = 0, sxx = 0, sxy = 0, syy = 0;
    for (std::size_t i = 0; i <= peak; ++i) {
        if (force[i] < fit.lowForce || force[i] > fit.highForce) continue;
        if (fit.points == 0) {
            x0 = force[i];
            y0 = travel[i];
        }
        const double dx = force[i] - x0, dy = travel[i] - y0;
        sx += dx;
        sy += dy;
        sxx += dx * dx;
        sxy += dx * dy;
        syy += dy * dy;
        ++fit.points;
    }
    if (fit.points < 5) return std::nullopt;
    const double n = fit.points;
    const double vx = sxx - sx * sx / n, vy = syy - sy * sy / n, cxy = sxy - sx * sy / n;
    if (!(vx > 0) || !(cxy > 0)) return std::nullopt;
    fit.slope = cxy / vx * *millimetres / *newtons;
    fit.correlation = vy > 0 ? cxy / std::sqrt(vx * vy) : 1;
    fit.compliance = fit.slope - (specimenStiffness ? 1 / *specimenStiffness : 0);
    if (!(fit.compliance > 0)) return std::nullopt;
    return fit;
}
