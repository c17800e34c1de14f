#include "series/series_overlay.h"

#include <algorithm>
#include <cmath>

#include "run/series_member.h"
#include "series/series_texts.h"

namespace {

// A position held far outside any plot, yet well inside int.
int Pixel(double position) {
    constexpr double kFar = 1 << 20;
    return static_cast<int>(
        std::lround(std::isnan(position) ? 0 : std::clamp(position, -kFar, kFar)));
}

bool HasDimensions(const SavedTest& test) {
    const SpecimenDims& s = test.set.specimen;
    return s.area && *s.area > 0 && s.gaugeLength && *s.gaugeLength > 0 &&
           NewtonsPer(test.set.units.force) && MillimetresPer(test.set.units.length);
}

}  // namespace

int CurveEndIndex(const ResultSet& set) {
    const std::vector<double>& d = set.curve.displacement;
    const int count = static_cast<int>(std::min(d.size(), set.curve.force.size()));
    if (count == 0) return -1;
    if (set.results.count > 0 && set.results.breakDetected)
        return std::clamp(set.results.breakIndex, 0, count - 1);
    int farthest = 0;
    for (int i = 1; i < count; ++i)
        if (std::isfinite(d[i]) && !(d[i] < d[farthest])) farthest = i;
    return farthest;
}

SeriesOverlay OverlayOfSeries(const std::vector<SavedTest>& tests) {
    SeriesOverlay overlay;
    overlay.stressStrain = std::any_of(tests.begin(), tests.end(), [](const SavedTest& t) {
        return t.member.excludedReason.empty();
    });
    for (const SavedTest& test : tests)
        if (test.member.excludedReason.empty() && !HasDimensions(test))
            overlay.stressStrain = false;
    // Force and extension in the first specimen's units; another's converted where both are
    // known units.
    const ChannelUnits units = tests.empty() ? ChannelUnits{} : tests.front().set.units;
    if (overlay.stressStrain) {
        overlay.xTitle = series_text::kStrainTitle;
        overlay.yTitle = series_text::kStressTitle;
    } else {
        const std::string force = tests.empty() ? series_text::kForce : tests.front().set.forceName;
        const std::string length =
            tests.empty() ? series_text::kDisplacement : tests.front().set.displacementName;
        overlay.xTitle = length + " (" + units.length + ")";
        overlay.yTitle = force + " (" + units.force + ")";
    }
    for (const SavedTest& test : tests) {
        const ResultSet& set = test.set;
        OverlayCurve curve{SpecimenIdOf(test.member), !test.member.excludedReason.empty(), {}, {}};
        if (curve.specimenId.empty()) curve.specimenId = set.testName;
        double xOffset = 0, xScale = 1, yScale = 1;
        if (overlay.stressStrain) {
            if (!HasDimensions(test)) {
                overlay.notes.push_back(FillText(series_text::kNotDrawnNote, {curve.specimenId}));
                continue;
            }
            // Strain from the toe, in % of L0; stress in MPa.
            const double mm = *MillimetresPer(set.units.length);
            xOffset = set.results.toeDisplacement
                          ? *set.results.toeDisplacement
                          : (set.curve.displacement.empty() ? 0 : set.curve.displacement.front());
            xScale = 100 * mm / *set.specimen.gaugeLength;
            yScale = *NewtonsPer(set.units.force) / *set.specimen.area;
        } else {
            const auto from = NewtonsPer(set.units.force), to = NewtonsPer(units.force);
            const auto lengthFrom = MillimetresPer(set.units.length),
                       lengthTo = MillimetresPer(units.length);
            if (from && to) yScale = *from / *to;
            if (lengthFrom && lengthTo) xScale = *lengthFrom / *lengthTo;
        }
        const int end = CurveEndIndex(set);
        curve.x.reserve(end + 1);
        curve.y.reserve(end + 1);
        for (int i = 0; i <= end; ++i) {
            const double x = (set.curve.displacement[i] - xOffset) * xScale;
            const double y = set.curve.force[i] * yScale;
            curve.x.push_back(x);
            curve.y.push_back(y);
            if (!std::isfinite(x) || !std::isfinite(y)) continue;
            // Strain starts at the toe: the slack before it would only push the axis left.
            if (!overlay.stressStrain || x >= 0) overlay.xLow = std::min(overlay.xLow, x);
            overlay.xHigh = std::max(overlay.xHigh, x);
            overlay.yLow = std::min(overlay.yLow, y);
            overlay.yHigh = std::max(overlay.yHigh, y);
        }
        overlay.curves.push_back(std::move(curve));
    }
    return overlay;
}

std::vector<PlotPoint> ReduceToColumns(const std::vector<double>& x, const std::vector<double>& y,
                                       const PlotMapping& m) {
    std::vector<PlotPoint> points;
    const std::size_t n = std::min(x.size(), y.size());
    if (!(m.x1 > m.x0) || !(m.y1 > m.y0)) return points;
    const double sx = m.width / (m.x1 - m.x0), sy = m.height / (m.y1 - m.y0);
    const auto add = [&points](int px, int py) {
        if (points.empty() || points.back().x != px || points.back().y != py)
            points.push_back({px, py});
    };
    // The run in the current column: its first, lowest, highest and last rows, and which of
    // the lowest and highest came first.
    bool open = false;
    int column = 0, first = 0, low = 0, high = 0, last = 0;
    bool lowFirst = true;
    const auto close = [&] {
        add(column, first);
        add(column, lowFirst ? low : high);
        add(column, lowFirst ? high : low);
        add(column, last);
    };
    for (std::size_t i = 0; i < n; ++i) {
        if (!std::isfinite(x[i]) || !std::isfinite(y[i])) continue;
        const int px = Pixel(m.left + (x[i] - m.x0) * sx);
        const int py = Pixel(m.bottom - (y[i] - m.y0) * sy);
        if (open && px == column) {
            // Screen rows grow downwards: the lowest value is the largest row.
            if (py > low) {
                low = py;
                lowFirst = false;
            }
            if (py < high) {
                high = py;
                lowFirst = true;
            }
            last = py;
            continue;
        }
        if (open) close();
        open = true;
        column = px;
        first = low = high = last = py;
        lowFirst = true;
    }
    if (open) close();
    return points;
}
