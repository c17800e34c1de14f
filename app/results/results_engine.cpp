#include "results/results_engine.h"

#include <algorithm>
#include <cmath>

#include "common/gbk_text.h"
#include "common/number_text.h"
#include "results/line_sums.h"
#include "results/result_texts.h"
#include "run/break_rule.h"
#include "run/run_state.h"
#include "settings/settings_record.h"

namespace {

constexpr int kMinFitPoints = 5;
constexpr int kFitRounds = 8;
constexpr double kSteepDrop = 0.02;     // of the maximum force, per record
constexpr double kYieldDrop = 0.005;    // of the maximum force
constexpr double kHardening = 0.01;     // of the upper yield force
constexpr double kNoiseBands = 3;       // residual standard deviations
constexpr double kTotalStrain = 0.005;  // of Rt0.5

constexpr double kLinearity = 0.03;     // of the slope: the two halves of a fit may differ
constexpr double kSearchStep = 0.02;    // of Fm, between the lower ends of searched ranges
constexpr double kSearchTop = 0.60;     // of Fm, the highest lower end searched
constexpr double kAdvancing = 0.25;     // of the mean displacement step
constexpr double kMaxStrength = 10000;  // MPa: no material is stronger
constexpr double kMaxModulus = 1.5e6;   // MPa: no material is stiffer

struct Line {
    double slope = 0, intercept = 0, correlation = 0, rms = 0, spread = 0;
    int first = 0, last = 0, points = 0;
    double low = 0, high = 0;
};

// Least-squares line of force over displacement through records first..last whose force is
// at least `low`.
std::optional<Line> FitRecords(const std::vector<double>& d, const std::vector<double>& f,
                               int first, int last, double low, int minPoints) {
    Line line;
    LineSums sums;
    for (int i = first; i <= last; ++i) {
        if (f[i] < low) continue;
        if (sums.points == 0) line.first = i;
        sums.Add(d[i], f[i]);
        line.last = i;
    }
    line.points = sums.points;
    if (line.points < minPoints) return std::nullopt;
    const double n = line.points;
    const double vx = sums.Vx(), vy = sums.Vy(), cxy = sums.Cxy();
    if (!(vx > 0) || !(cxy > 0)) return std::nullopt;
    line.slope = cxy / vx;
    line.intercept = sums.MeanY() - line.slope * sums.MeanX();
    line.correlation = vy > 0 ? cxy / std::sqrt(vx * vy) : 1;
    line.rms = std::sqrt(std::max(0.0, vy - line.slope * cxy) / n);
    line.spread = vx;
    return line;
}

// The line through the records of the rise (up to the first reaching `high`) whose force lies
// in [low, high].
std::optional<Line> FitRise(const std::vector<double>& d, const std::vector<double>& f, int end,
                            double low, double high) {
    int stop = 0;
    while (stop <= end && f[stop] < high) ++stop;
    std::optional<Line> line = FitRecords(d, f, 0, std::min(stop - 1, end), low, kMinFitPoints);
    if (line) {
        line->low = low;
        line->high = high;
    }
    return line;
}

// The force noise on records first..last from their second differences, which a smooth curve
// keeps near zero whatever its slope or curvature: each is the sum of three noises, 1, -2, 1.
double ForceNoise(const std::vector<double>& f, int first, int last) {
    double sum = 0;
    int count = 0;
    for (int i = first + 1; i < last; ++i) {
        const double second = f[i + 1] - 2 * f[i] + f[i - 1];
        sum += second * second;
        ++count;
    }
    return count > 0 ? std::sqrt(sum / count / 6) : 0;
}

// A fit is straight when the lines through its lower and its upper half agree on the slope
// within kLinearity, or within what the noise allows them to differ. Residuals would not do:
// on a few records a bent range still fits its line closely.
bool IsStraight(const std::vector<double>& d, const std::vector<double>& f, const Line& line) {
    int middle = line.first, seen = 0;
    while (seen < line.points / 2) {
        if (f[middle] >= line.low) ++seen;
        ++middle;
    }
    const auto lower = FitRecords(d, f, line.first, middle - 1, line.low, 2);
    const auto upper = FitRecords(d, f, middle, line.last, line.low, 2);
    if (!lower || !upper) return false;
    const double noise = ForceNoise(f, line.first, line.last);
    const double allowed = kLinearity * line.slope +
                           kNoiseBands * noise * std::sqrt(1 / lower->spread + 1 / upper->spread);
    return std::fabs(lower->slope - upper->slope) <= allowed;
}

// Where the usual range is bent (a toe below it, yielding within it): the steepest straight
// range of 10, 20 or 30 % of Fm on the rise. The elastic line is the steepest part of the
// rise; a toe and yielding are both less steep.
std::optional<Line> SteepestStraight(const std::vector<double>& d, const std::vector<double>& f,
                                     int end, double fmax) {
    std::optional<Line> best;
    for (int step = 1; step * kSearchStep <= kSearchTop + 1e-9; ++step) {
        const double low = step * kSearchStep;
        for (double width : {0.1, 0.2, 0.3}) {
            const auto line = FitRise(d, f, end, low * fmax, (low + width) * fmax);
            if (line && (!best || line->slope > best->slope) && IsStraight(d, f, *line))
                best = line;
        }
    }
    return best;
}

struct Crossing {
    double force, displacement;
};

// The first place after record `from` where g(i) = f - slope (d - shift) turns from positive
// to not positive, interpolated linearly between the two records.
std::optional<Crossing> OffsetCrossing(const std::vector<double>& d, const std::vector<double>& f,
                                       int from, int end, double slope, double shift) {
    auto g = [&](int i) { return f[i] - slope * (d[i] - shift); };
    for (int i = std::max(from, 0) + 1; i <= end; ++i) {
        const double before = g(i - 1), after = g(i);
        if (before > 0 && after <= 0) {
            const double t = before / (before - after);
            return Crossing{f[i - 1] + t * (f[i] - f[i - 1]), d[i - 1] + t * (d[i] - d[i - 1])};
        }
    }
    return std::nullopt;
}

struct YieldPoint {
    int upper = 0;      // ReH
    int minimum = 0;    // the first minimum after it
    int lower = 0;      // ReL
    int hardening = 0;  // last record of the yield phase
};

// Discontinuous yielding: see ComputeResults in the header.
std::optional<YieldPoint> FindYieldPoint(const std::vector<double>& d, const std::vector<double>& f,
                                         int end, double fmax, double band) {
    const double drop = std::max(kYieldDrop * fmax, 2 * band);
    // A force that falls while the crosshead stands still relaxes; it does not yield. Only
    // the fall over records at which the displacement went on counts.
    const double advancing = kAdvancing * (d[end] - d[0]) / std::max(end, 1);
    int h = 0;
    double fell = 0;
    int i = 1;
    for (; i <= end; ++i) {
        if (f[i] > f[h]) {
            h = i;
            fell = 0;
            continue;
        }
        if (d[i] - d[i - 1] > advancing) fell += f[i - 1] - f[i];
        if (f[i] < f[h] - drop && fell >= drop) break;
    }
    if (i > end) return std::nullopt;
    int low = i;
    int rise = -1;
    for (int j = i; j <= end; ++j) {
        if (f[j] < f[low]) low = j;
        if (f[j] > f[low] + drop) {
            rise = j;
            break;
        }
    }
    if (rise < 0) return std::nullopt;

    YieldPoint y;
    y.upper = h;
    // The initial transient: down to the first minimum (within the noise band) and up out
    // of it for as long as each record still climbs.
    int t = h + 1;
    for (int j = h + 1; j <= end; ++j) {
        if (f[j] < f[t]) t = j;
        if (f[j] > f[t] + band) break;
    }
    y.minimum = t;
    // The climb out of it goes on while, within the next two records or a window of 1 % of
    // the test's displacement, some record still lies a noise band higher. A climb back to
    // where the force fell from ReH is work hardening, which on coarse records can follow
    // the transient within two records: then there is no transient to leave out.
    const double window = 0.01 * (d[end] - d[0]);
    int r = t;
    for (bool climbing = true; climbing;) {
        climbing = false;
        for (int j = r + 1; j <= end && (j <= r + 2 || d[j] - d[r] <= window); ++j) {
            if (f[j] > f[r] + band) {
                climbing = f[j] < f[h] - drop;
                r = climbing ? j : t;
                break;
            }
        }
    }
    // The yield phase runs on while the force stays within kHardening of its lowest value.
    const double hardening = std::max(kHardening * f[h], 2 * band);
    int lowest = r == t ? t : -1;
    int last = r;
    for (int j = r + 1; j <= end; ++j) {
        if (lowest < 0 || f[j] < f[lowest]) lowest = j;
        if (f[j] > f[lowest] + hardening) break;
        last = j;
    }
    y.lower = lowest >= 0 ? lowest : t;
    y.hardening = last;
    return y;
}

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string NumberText(double value, int decimals) {
    return ResultValueText(std::round(value * std::pow(10, decimals)) / std::pow(10, decimals));
}

// "10 %–40 %"
std::string RangeText(const FitRange& range) {
    return ResultValueText(range.lowPercent) + " %–" + ResultValueText(range.highPercent) + " %";
}

}  // namespace

int BreakRecordOf(const std::vector<double>& force, double breakValue) {
    if (!(breakValue > 0)) return 0;
    double peak = 0;
    for (std::size_t i = 0; i < force.size(); ++i) {
        peak = std::max(peak, force[i]);
        if (BreakRuleFires(peak, force[i], breakValue)) return static_cast<int>(i) + 1;
    }
    return 0;
}

TestCurve CurveOfCurrentTest(const Settings& settings, const TestRun& run) {
    TestCurve curve;
    const int count =
        std::clamp(run.g_playedArchive.open ? run.g_playedArchive.records : run.g_nRecordCount, 0,
                   kRecordSlots - 1);
    curve.force.reserve(count);
    curve.displacement.reserve(count);
    curve.time.reserve(count);
    for (int i = 1; i <= count; ++i) {
        curve.force.push_back(LeadingNumber(run.g_strRecord0[i]));
        curve.displacement.push_back(LeadingNumber(run.g_strRecord1[i]));
        curve.time.push_back(run.g_dRecordTime[i]);
    }
    curve.breakRecord = run.g_playedArchive.open
                            ? BreakRecordOf(curve.force, settings.g_dBreakValue)
                            : run.g_nBreakRecord;
    return curve;
}

ChannelUnits UnitsOfSettings(const Settings& settings) {
    return {GbkToUtf8(settings.g_strUnit0), GbkToUtf8(settings.g_strUnit1)};
}

std::optional<double> NewtonsPer(const std::string& forceUnit) {
    const std::string unit = Trimmed(forceUnit);
    if (unit == "N") return 1.0;
    if (unit == "kN") return 1000.0;
    if (unit == "mN") return 0.001;
    if (unit == "kgf") return 9.80665;
    return std::nullopt;
}

std::optional<double> MillimetresPer(const std::string& lengthUnit) {
    const std::string unit = Trimmed(lengthUnit);
    if (unit == "mm") return 1.0;
    if (unit == "cm") return 10.0;
    if (unit == "m") return 1000.0;
    if (unit == "um" || unit == "μm") return 0.001;
    return std::nullopt;
}

TestResults ComputeResults(const TestCurve& curve, const SpecimenDims& specimen,
                           const ChannelUnits& units, const FitRange& fitRange) {
    TestResults r;
    r.fitRange = fitRange;
    // Fractions of the reference force; 10 / 100.0 is the double nearest 0.1.
    const double fitLow = fitRange.lowPercent / 100.0;
    const double fitHigh = fitRange.highPercent / 100.0;
    const std::vector<double>& f = curve.force;
    const std::vector<double>& d = curve.displacement;
    r.count = static_cast<int>(std::min({f.size(), d.size(), curve.time.size()}));
    r.proofOffset = specimen.proofOffset;
    if (r.count == 0) return r;
    r.testTime = curve.time[r.count - 1];

    const auto newtons = NewtonsPer(units.force);
    const auto millimetres = MillimetresPer(units.length);
    if (!newtons) r.notes.push_back(FillText(result_text::kForceUnitNote, {units.force}));
    if (!millimetres) r.notes.push_back(FillText(result_text::kLengthUnitNote, {units.length}));
    if (!specimen.area) r.notes.push_back(result_text::kNoAreaNote);
    if (!specimen.gaugeLength) r.notes.push_back(result_text::kNoGaugeNote);

    r.breakDetected = curve.breakRecord >= 1 && curve.breakRecord <= r.count;
    r.detectedIndex = r.breakDetected ? curve.breakRecord - 1 : r.count - 1;
    int peak = 0;
    for (int i = 1; i <= r.detectedIndex; ++i) {
        if (f[i] > f[peak]) peak = i;
    }
    const double fmax = f[peak];
    int k = r.detectedIndex;
    if (fmax > 0) {
        while (k > 0 && f[k - 1] - f[k] > kSteepDrop * fmax) --k;
    }
    r.breakIndex = k;
    r.breakForce = f[k];
    r.breakDisplacement = d[k];
    for (int i = 1; i <= k; ++i) r.work += (f[i] + f[i - 1]) / 2 * (d[i] - d[i - 1]);
    r.maxIndex = peak;
    r.maxForce = fmax;
    r.maxForceDisplacement = d[peak];
    if (!(fmax > 0)) {
        r.notes.push_back(result_text::kNoPositiveForceNote);
        return r;
    }

    // The offset of Rp in displacement units; without L0 or a known unit there is none.
    std::optional<double> offset;
    if (specimen.gaugeLength && millimetres)
        offset = specimen.proofOffset / 100 * *specimen.gaugeLength / *millimetres;

    // Elastic line and yield: a first fit on the band of Fm gives the noise band; the
    // range is then tied to ReH or, by rounds, to Rp. A range that is not straight gives
    // way to the steepest straight one.
    std::optional<Line> fit = FitRise(d, f, k, fitLow * fmax, fitHigh * fmax);
    const bool enoughRecords = fit.has_value();
    double band = 1e-6 * fmax;
    if (fit) band = std::max(band, kNoiseBands * fit->rms);
    const std::optional<YieldPoint> yield = FindYieldPoint(d, f, k, fmax, band);
    auto proofOf = [&](const Line& line) -> std::optional<Crossing> {
        if (!offset) return std::nullopt;
        return OffsetCrossing(d, f, line.first, k, line.slope,
                              -line.intercept / line.slope + *offset);
    };
    // The fit range of Rp, found by rounds from the given line.
    auto tiedToProof = [&](Line line) -> std::optional<Line> {
        std::optional<Line> tied;
        for (int round = 0; round < kFitRounds; ++round) {
            const std::optional<Crossing> proof = proofOf(line);
            if (!proof) break;
            auto next = FitRise(d, f, k, fitLow * proof->force, fitHigh * proof->force);
            if (!next) break;
            const bool settled = next->first == line.first && next->last == line.last;
            line = *next;
            tied = next;
            if (settled) break;
        }
        return tied;
    };
    if (yield) {
        const double ref = f[yield->upper];
        if (auto tied = FitRise(d, f, k, fitLow * ref, fitHigh * ref)) {
            fit = tied;
            r.fitTiedToYield = true;
        }
    } else if (fit) {
        if (auto tied = tiedToProof(*fit)) {
            fit = tied;
            r.fitTiedToYield = true;
        }
    }
    if (fit && !IsStraight(d, f, *fit)) {
        r.fitTiedToYield = false;
        fit = SteepestStraight(d, f, k, fmax);
        r.fitSearched = fit.has_value();
        if (fit && !yield) {
            if (auto tied = tiedToProof(*fit); tied && IsStraight(d, f, *tied)) {
                fit = tied;
                r.fitTiedToYield = true;
                r.fitSearched = false;
            }
        }
        if (!fit) {
            r.notes.push_back(result_text::kNotStraightNote);
        }
    }
    std::optional<Crossing> proof;
    if (fit) {
        r.stiffness = fit->slope;
        r.fitFirst = fit->first;
        r.fitLast = fit->last;
        r.fitPoints = fit->points;
        r.fitLowForce = fit->low;
        r.fitHighForce = fit->high;
        r.fitCorrelation = fit->correlation;
        r.toeDisplacement = -fit->intercept / fit->slope;
        band = std::max(1e-6 * fmax, kNoiseBands * fit->rms);
        proof = proofOf(*fit);
        if (!r.fitTiedToYield && !r.fitSearched)
            r.notes.push_back(FillText(result_text::kFitNotTiedNote, {RangeText(fitRange)}));
    } else {
        if (!enoughRecords) {
            r.notes.push_back(FillText(result_text::kTooFewFitNote, {RangeText(fitRange)}));
        }
        r.notes.push_back(result_text::kNoToeNote);
    }

    // Fm after the first minimum past ReH, so that an upper yield above the later maximum is
    // not Rm, whether or not the start of work hardening shows on the records.
    int from = 0;
    if (yield) {
        from = yield->minimum;
        r.maxIndex = from;
        for (int i = from; i <= k; ++i) {
            if (f[i] > f[r.maxIndex]) r.maxIndex = i;
        }
        r.maxForce = f[r.maxIndex];
        r.maxForceDisplacement = d[r.maxIndex];
    }
    // The plateau of Fm: the first and the last record within the noise band of it.
    int first = r.maxIndex, last = r.maxIndex;
    for (int i = from; i <= k; ++i) {
        if (f[i] >= r.maxForce - band) {
            first = std::min(first, i);
            last = std::max(last, i);
        }
    }
    const double atMax = (d[first] + d[last]) / 2;

    if (yield) {
        r.upperYieldIndex = yield->upper;
        r.lowerYieldIndex = yield->lower;
    }
    const double zero = r.toeDisplacement.value_or(d[0]);
    if (proof) {
        r.proofForce = proof->force;
        r.proofDisplacement = proof->displacement;
    }
    if (newtons && specimen.area) {
        const double mpa = *newtons / *specimen.area;
        r.tensileStrength = r.maxForce * mpa;
        if (proof) r.proofStrength = proof->force * mpa;
        if (yield) {
            r.upperYield = f[yield->upper] * mpa;
            r.lowerYield = f[yield->lower] * mpa;
        }
    }
    if (millimetres && specimen.gaugeLength) {
        const double percent = *millimetres / *specimen.gaugeLength * 100;
        if (r.breakDetected) {
            r.totalAtFracture = (d[k] - zero) * percent;
            if (r.stiffness) r.elongation = (d[k] - zero - f[k] / *r.stiffness) * percent;
        }
        r.totalAtMax = (atMax - zero) * percent;
        if (r.stiffness) r.plasticAtMax = (atMax - zero - r.maxForce / *r.stiffness) * percent;
        if (yield) r.yieldExtension = (d[yield->hardening] - d[yield->upper]) * percent;
        const double total = zero + kTotalStrain * *specimen.gaugeLength / *millimetres;
        for (int i = 1; i <= k; ++i) {
            if (d[i - 1] < total && d[i] >= total) {
                const double t = (total - d[i - 1]) / (d[i] - d[i - 1]);
                r.totalForce = f[i - 1] + t * (f[i] - f[i - 1]);
                r.totalDisplacement = total;
                if (newtons && specimen.area)
                    r.totalStrength = *r.totalForce * *newtons / *specimen.area;
                break;
            }
        }
    }
    // A measured final gauge length gives A; the crosshead's value is kept beside it.
    if (specimen.finalGaugeLength && specimen.gaugeLength) {
        if (*specimen.finalGaugeLength >= *specimen.gaugeLength) {
            r.crossheadElongation = r.elongation;
            r.elongationFromLu = true;
            r.elongation =
                (*specimen.finalGaugeLength - *specimen.gaugeLength) / *specimen.gaugeLength * 100;
        } else {
            r.notes.push_back(result_text::kLuBelowL0Note);
        }
    }
    if (r.stiffness && specimen.area && specimen.gaugeLength && newtons && millimetres) {
        r.modulus = *r.stiffness * *newtons / *millimetres * *specimen.gaugeLength / *specimen.area;
    }
    if (specimen.finalArea && specimen.area) {
        if (*specimen.finalArea <= *specimen.area) {
            r.reductionOfArea = (*specimen.area - *specimen.finalArea) / *specimen.area * 100;
        } else {
            r.notes.push_back(result_text::kSuAboveS0Note);
        }
    }
    // A value no material reaches comes from numbers that are not in the unit they are
    // labelled with: it is not given, and the note says where to look.
    std::vector<std::string> unreachable;
    auto reachable = [&unreachable](std::optional<double>& value, const char* name, double limit) {
        if (!value || *value <= limit) return;
        unreachable.push_back(std::string(name) + " " + NumberText(*value, 0) + " MPa");
        value.reset();
    };
    reachable(r.tensileStrength, result_text::kTensileStrength, kMaxStrength);
    reachable(r.proofStrength, result_text::kProofStrength, kMaxStrength);
    reachable(r.totalStrength, result_text::kTotalStrength, kMaxStrength);
    reachable(r.upperYield, result_text::kUpperYield, kMaxStrength);
    reachable(r.lowerYield, result_text::kLowerYield, kMaxStrength);
    reachable(r.modulus, result_text::kModulus, kMaxModulus);
    if (!unreachable.empty()) {
        std::string list;
        for (const std::string& item : unreachable)
            list += (list.empty() ? "" : result_text::kListSeparator) + item;
        r.notes.push_back(FillText(result_text::kUnreachableNote, {list}));
    }
    if (!r.breakDetected) {
        r.notes.push_back(specimen.finalGaugeLength ? result_text::kNoBreakWithLuNote
                                                    : result_text::kNoBreakNote);
    }
    return r;
}

std::vector<ResultRow> ResultRows(const TestResults& r, const ChannelUnits& units) {
    auto value = [&r](double v) { return r.count > 0 ? std::optional<double>(v) : std::nullopt; };
    const auto newtons = NewtonsPer(units.force);
    const auto millimetres = MillimetresPer(units.length);
    ResultRow work{result_text::kWork, value(r.work), units.force + "·" + units.length};
    if (newtons && millimetres) {
        // N x mm is a thousandth of a joule.
        if (work.value) *work.value *= *newtons * *millimetres / 1000;
        work.unit = "J";
    }
    const std::string rp = "Rp" + ResultValueText(r.proofOffset);
    auto atFracture = [&](double v) { return r.breakDetected ? value(v) : std::nullopt; };
    std::vector<ResultRow> rows = {
        {result_text::kMaxForce, value(r.maxForce), units.force},
        {result_text::kMaxForceDisplacement, value(r.maxForceDisplacement), units.length},
        {result_text::kBreakForce, atFracture(r.breakForce), units.force},
        {result_text::kBreakDisplacement, atFracture(r.breakDisplacement), units.length},
        work,
        {result_text::kTestTime, value(r.testTime), "s"},
        {result_text::kTensileStrength, r.tensileStrength, "MPa", 1},
        {result_text::kElongation, r.elongation, "%", 0.5},
        {result_text::kStiffness, r.stiffness, units.force + "/" + units.length},
        {result_text::kModulus, r.modulus, "MPa", 100},
        {FillText(result_text::kProofStrengthOf, {rp}), r.proofStrength, "MPa", 1},
        {result_text::kTotalStrength, r.totalStrength, "MPa", 1},
        {result_text::kUpperYield, r.upperYield, "MPa", 1},
        {result_text::kLowerYield, r.lowerYield, "MPa", 1},
        {result_text::kYieldExtension, r.yieldExtension, "%", 0.1},
        {result_text::kPlasticAtMax, r.plasticAtMax, "%", 0.5},
        {result_text::kTotalAtMax, r.totalAtMax, "%", 0.5},
        {result_text::kTotalAtFracture, r.totalAtFracture, "%", 0.5},
        {result_text::kReductionOfArea, r.reductionOfArea, "%", 1}};
    if (r.elongationFromLu)
        rows.push_back({result_text::kCrossheadElongation, r.crossheadElongation, "%", 0.5});
    return rows;
}

std::string ResultValueText(const std::optional<double>& value) {
    if (!value) return std::string();
    std::string text = FixedNumber(*value, 4);
    while (!text.empty() && text.back() == '0') text.pop_back();
    if (!text.empty() && text.back() == '.') text.pop_back();
    return text == "-0" ? "0" : text;
}

std::string ReportedValueText(const ResultRow& row) {
    if (!row.value || !(row.reportStep > 0)) return ResultValueText(row.value);
    // Steps of 0.1, 0.5, 1 and 100 are whole multiples on one decimal, which the text keeps.
    const double rounded = std::round(*row.value / row.reportStep) * row.reportStep;
    return NumberText(rounded, row.reportStep < 1 ? 1 : 0);
}

ResultSet ResultsOfCurrentTest(const Settings& settings, const TestRun& run,
                               const SpecimenDims& specimen) {
    ResultSet set;
    set.testName = GbkToUtf8(settings.g_strTestName);
    set.startTime = GbkToUtf8(run.g_strStartTime);
    set.forceName = GbkToUtf8(settings.g_strChannelName0);
    set.displacementName = GbkToUtf8(settings.g_strChannelName1);
    set.units = UnitsOfSettings(settings);
    set.specimen = specimen;
    set.curve = CurveOfCurrentTest(settings, run);
    set.specimenNotStored = run.g_playedArchive.open && !run.g_playedArchive.hasTestFile;
    EvaluateResultSet(set);
    return set;
}

void EvaluateResultSet(ResultSet& set, const FitRange& fitRange) {
    TestCurve& curve = set.curve;
    if (!curve.crosshead.empty()) curve.displacement = std::move(curve.crosshead);
    curve.crosshead.clear();
    const std::optional<double> newtons = NewtonsPer(set.units.force);
    const std::optional<double> millimetres = MillimetresPer(set.units.length);
    const bool corrected = set.specimen.compliance && newtons && millimetres;
    if (corrected) {
        // C in mm/N, in the channels' own units.
        const double c = *set.specimen.compliance * *newtons / *millimetres;
        curve.crosshead = curve.displacement;
        for (std::size_t i = 0; i < curve.displacement.size() && i < curve.force.size(); ++i)
            curve.displacement[i] -= curve.force[i] * c;
    }
    set.results = ComputeResults(curve, set.specimen, set.units, fitRange);
    if (corrected) {
        set.results.compliance = set.specimen.compliance;
        const std::string& date = set.specimen.complianceDate;
        const std::string compliance = NumberText(*set.specimen.compliance, 6);
        set.results.notes.push_back(
            date.empty() ? FillText(result_text::kComplianceNote, {compliance})
                         : FillText(result_text::kComplianceDatedNote, {compliance, date}));
    } else if (set.specimen.compliance) {
        set.results.notes.push_back(
            FillText(result_text::kComplianceUnitsNote, {set.units.force, set.units.length}));
    }
    if (set.specimenNotStored) set.results.notes.push_back(result_text::kSpecimenNotStoredNote);
    set.rows = ResultRows(set.results, set.units);
}

std::string BreakNoteText(const TestResults& results) {
    if (results.count == 0) return result_text::kNoRecordsNote;
    if (results.breakDetected)
        return FillText(result_text::kBreakAtNote, {std::to_string(results.breakIndex + 1)});
    return result_text::kNoBreakDetectedNote;
}

std::vector<std::string> ResultNotes(const ResultSet& set) {
    const TestResults& r = set.results;
    std::vector<std::string> notes = {kStrainSourceNote};
    if (r.stiffness) {
        const std::string fitRange = RangeText(r.fitRange);
        const std::string range = FillText(r.fitSearched       ? result_text::kFitSearched
                                           : !r.fitTiedToYield ? result_text::kFitOfFm
                                           : r.upperYieldIndex ? result_text::kFitOfReH
                                                               : result_text::kFitOfRp,
                                           {fitRange});
        notes.push_back(
            FillText(result_text::kFitNote,
                     {NumberText(r.fitLowForce, 3), NumberText(r.fitHighForce, 3), set.units.force,
                      range, std::to_string(r.fitPoints), FixedNumber(r.fitCorrelation, 5)}));
    }
    notes.insert(notes.end(), r.notes.begin(), r.notes.end());
    return notes;
}
