#include "results/results_engine.h"

#include <algorithm>
#include <cmath>

#include "acquisition/run_state.h"
#include "common/gbk_text.h"
#include "common/number_text.h"
#include "settings/settings_record.h"

namespace {

constexpr double kBandLow = 0.1;   // of the maximum force
constexpr double kBandHigh = 0.5;  // of the maximum force
constexpr int kMinFitPoints = 3;

struct Slope {
    double value;
    int first, last;
};

// The steepest least-squares line over a window sliding across records [first, last].
// Sums run over values taken relative to the first record of the part, which keeps the
// differences of large sums exact enough.
std::optional<Slope> SteepestWindow(const std::vector<double>& x, const std::vector<double>& y,
                                    int first, int last) {
    const int points = last - first + 1;
    if (points < kMinFitPoints) return std::nullopt;
    const int window = std::max(kMinFitPoints, points / 2);
    const double x0 = x[first], y0 = y[first];
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    auto add = [&](int i, double sign) {
        const double dx = x[i] - x0, dy = y[i] - y0;
        sx += sign * dx;
        sy += sign * dy;
        sxx += sign * dx * dx;
        sxy += sign * dx * dy;
    };
    for (int i = first; i < first + window; ++i) add(i, 1);
    std::optional<Slope> best;
    for (int start = first;; ++start) {
        const double n = window;
        const double spread = n * sxx - sx * sx;
        if (spread > 0) {
            const double slope = (n * sxy - sx * sy) / spread;
            if (!best || slope > best->value) best = Slope{slope, start, start + window - 1};
        }
        if (start + window > last) break;
        add(start, -1);
        add(start + window, 1);
    }
    return best;
}

}  // namespace

TestCurve CurveOfCurrentTest() {
    TestCurve curve;
    const int count = std::clamp(g_nRecordCount, 0, kRecordSlots - 1);
    curve.force.reserve(count);
    curve.displacement.reserve(count);
    curve.time.reserve(count);
    for (int i = 1; i <= count; ++i) {
        curve.force.push_back(LeadingNumber(g_strRecord0[i]));
        curve.displacement.push_back(LeadingNumber(g_strRecord1[i]));
        curve.time.push_back(g_dRecordTime[i]);
    }
    curve.breakRecord = g_nBreakRecord;
    return curve;
}

ChannelUnits UnitsOfSettings() {
    return {GbkToUtf8(g_strUnit0), GbkToUtf8(g_strUnit1)};
}

std::optional<double> NewtonsPer(const std::string& forceUnit) {
    if (forceUnit == "N") return 1.0;
    if (forceUnit == "kN") return 1000.0;
    if (forceUnit == "mN") return 0.001;
    return std::nullopt;
}

std::optional<double> MillimetresPer(const std::string& lengthUnit) {
    if (lengthUnit == "mm") return 1.0;
    if (lengthUnit == "cm") return 10.0;
    if (lengthUnit == "m") return 1000.0;
    if (lengthUnit == "um" || lengthUnit == "μm") return 0.001;
    return std::nullopt;
}

TestResults ComputeResults(const TestCurve& curve, const SpecimenDims& specimen,
                           const ChannelUnits& units) {
    TestResults r;
    const std::vector<double>& f = curve.force;
    const std::vector<double>& d = curve.displacement;
    r.count = static_cast<int>(std::min({f.size(), d.size(), curve.time.size()}));
    if (r.count == 0) return r;

    for (int i = 1; i < r.count; ++i) {
        if (f[i] > f[r.maxIndex]) r.maxIndex = i;
    }
    r.maxForce = f[r.maxIndex];
    r.maxForceDisplacement = d[r.maxIndex];

    r.breakDetected = curve.breakRecord >= 1 && curve.breakRecord <= r.count;
    r.breakIndex = r.breakDetected ? curve.breakRecord - 1 : r.count - 1;
    r.breakForce = f[r.breakIndex];
    r.breakDisplacement = d[r.breakIndex];
    for (int i = 1; i <= r.breakIndex; ++i) r.work += (f[i] + f[i - 1]) / 2 * (d[i] - d[i - 1]);
    r.testTime = curve.time[r.count - 1];

    if (r.maxForce > 0) {
        int first = 0;
        while (first <= r.maxIndex && f[first] < kBandLow * r.maxForce) ++first;
        int last = first;
        while (last + 1 <= r.maxIndex && f[last + 1] <= kBandHigh * r.maxForce) ++last;
        if (auto slope = SteepestWindow(d, f, first, last)) {
            r.stiffness = slope->value;
            r.fitFirst = slope->first;
            r.fitLast = slope->last;
        }
    }

    const auto newtons = NewtonsPer(units.force);
    const auto millimetres = MillimetresPer(units.length);
    if (specimen.area && newtons) r.tensileStrength = r.maxForce * *newtons / *specimen.area;
    if (specimen.gaugeLength && millimetres) {
        r.elongation = (r.breakDisplacement - d[0]) * *millimetres / *specimen.gaugeLength * 100;
    }
    if (r.stiffness && specimen.area && specimen.gaugeLength && newtons && millimetres) {
        r.modulus = *r.stiffness * *newtons / *millimetres * *specimen.gaugeLength / *specimen.area;
    }
    return r;
}

std::vector<ResultRow> ResultRows(const TestResults& r, const ChannelUnits& units) {
    auto value = [&r](double v) { return r.count > 0 ? std::optional<double>(v) : std::nullopt; };
    const auto newtons = NewtonsPer(units.force);
    const auto millimetres = MillimetresPer(units.length);
    ResultRow work{"断裂功", value(r.work), units.force + "·" + units.length};
    if (newtons && millimetres) {
        // N x mm is a thousandth of a joule.
        if (work.value) *work.value *= *newtons * *millimetres / 1000;
        work.unit = "J";
    }
    return {{"最大力", value(r.maxForce), units.force},
            {"最大力位移", value(r.maxForceDisplacement), units.length},
            {"断裂力", value(r.breakForce), units.force},
            {"断裂位移", value(r.breakDisplacement), units.length},
            work,
            {"试验时间", value(r.testTime), "s"},
            {"抗拉强度", r.tensileStrength, "MPa"},
            {"断后伸长率", r.elongation, "%"},
            {"刚度", r.stiffness, units.force + "/" + units.length},
            {"弹性模量", r.modulus, "MPa"}};
}

std::string ResultValueText(const std::optional<double>& value) {
    if (!value) return std::string();
    std::string text = FixedNumber(*value, 4);
    while (!text.empty() && text.back() == '0') text.pop_back();
    if (!text.empty() && text.back() == '.') text.pop_back();
    return text == "-0" ? "0" : text;
}

ResultSet ResultsOfCurrentTest() {
    ResultSet set;
    set.testName = GbkToUtf8(g_strTestName);
    set.startTime = GbkToUtf8(g_strStartTime);
    set.forceName = GbkToUtf8(g_strChannelName0);
    set.displacementName = GbkToUtf8(g_strChannelName1);
    set.units = UnitsOfSettings();
    set.specimen = g_specimen;
    set.curve = CurveOfCurrentTest();
    set.results = ComputeResults(set.curve, set.specimen, set.units);
    set.rows = ResultRows(set.results, set.units);
    return set;
}
