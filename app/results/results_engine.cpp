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
    int index;        // the record after the crossing
    double fraction;  // of the way from the record before
};

// Where a crossing between records index - 1 and index lies on another curve of the records.
double At(const std::vector<double>& x, const Crossing& c) {
    return x[c.index - 1] + c.fraction * (x[c.index] - x[c.index - 1]);
}

// The first place after record `from` where g(i) = f - slope (d - shift) turns from positive
// to not positive, interpolated linearly between the two records.
std::optional<Crossing> OffsetCrossing(const std::vector<double>& d, const std::vector<double>& f,
                                       int from, int end, double slope, double shift) {
    auto g = [&](int i) { return f[i] - slope * (d[i] - shift); };
    for (int i = std::max(from, 0) + 1; i <= end; ++i) {
        const double before = g(i - 1), after = g(i);
        if (before > 0 && after <= 0) {
            const double t = before / (before - after);
            return Crossing{f[i - 1] + t * (f[i] - f[i - 1]), d[i - 1] + t * (d[i] - d[i - 1]), i,
                            t};
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

// Discontinuous yielding: see ComputeResults in the header. The fall from record `hold` to the
// next is not counted (-1: none).
std::optional<YieldPoint> FindYieldPoint(const std::vector<double>& d, const std::vector<double>& f,
                                         int end, double fmax, double band, int hold) {
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
        if (d[i] - d[i - 1] > advancing && i - 1 != hold) fell += f[i - 1] - f[i];
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

// The offset line of Rp: the elastic line shifted by `offset` along x.
std::optional<Crossing> ProofCrossing(const std::vector<double>& x, const std::vector<double>& f,
                                      int end, const Line& line,
                                      const std::optional<double>& offset) {
    if (!offset) return std::nullopt;
    return OffsetCrossing(x, f, line.first, end, line.slope,
                          -line.intercept / line.slope + *offset);
}

struct ElasticFit {
    std::optional<Line> line;
    bool enoughRecords = false;  // the fit range of Fm had its records
    bool tiedToYield = false;    // the range is of Rp or ReH, not of Fm
    bool searched = false;       // the steepest straight range of Fm
    bool bent = false;           // no straight range was found
};

// The elastic line of force over x: on the fit range of Fm, tied to ReH or, by rounds, to Rp;
// a range that is not straight gives way to the steepest straight one.
ElasticFit FitElastic(const std::vector<double>& x, const std::vector<double>& f, int end,
                      double fmax, double fitLow, double fitHigh,
                      const std::optional<YieldPoint>& yield, const std::optional<double>& offset) {
    ElasticFit e;
    std::optional<Line> fit = FitRise(x, f, end, fitLow * fmax, fitHigh * fmax);
    e.enoughRecords = fit.has_value();
    // The fit range of Rp, found by rounds from the given line.
    auto tiedToProof = [&](Line line) -> std::optional<Line> {
        std::optional<Line> tied;
        for (int round = 0; round < kFitRounds; ++round) {
            const std::optional<Crossing> proof = ProofCrossing(x, f, end, line, offset);
            if (!proof) break;
            auto next = FitRise(x, f, end, fitLow * proof->force, fitHigh * proof->force);
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
        if (auto tied = FitRise(x, f, end, fitLow * ref, fitHigh * ref)) {
            fit = tied;
            e.tiedToYield = true;
        }
    } else if (fit) {
        if (auto tied = tiedToProof(*fit)) {
            fit = tied;
            e.tiedToYield = true;
        }
    }
    if (fit && !IsStraight(x, f, *fit)) {
        e.tiedToYield = false;
        fit = SteepestStraight(x, f, end, fmax);
        e.searched = fit.has_value();
        if (fit && !yield) {
            if (auto tied = tiedToProof(*fit); tied && IsStraight(x, f, *tied)) {
                fit = tied;
                e.tiedToYield = true;
                e.searched = false;
            }
        }
        e.bent = !fit;
    }
    e.line = fit;
    return e;
}

// Why a fit's results are missing or how its range was taken, in the notes of the strain
// it was fitted on.
void AddFitNotes(const ElasticFit& e, const FitRange& range, const result_text::FitNotes& texts,
                 std::vector<std::string>& notes) {
    if (e.bent) notes.push_back(texts.bent);
    if (e.line) {
        if (!e.tiedToYield && !e.searched)
            notes.push_back(FillText(texts.notTied, {RangeText(range)}));
        return;
    }
    if (!e.enoughRecords) notes.push_back(FillText(texts.tooFew, {RangeText(range)}));
    notes.push_back(texts.uncorrected);
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
    if (run.g_bExtRecorded) {
        curve.extensometer.reserve(count);
        for (int i = 1; i <= count; ++i) curve.extensometer.push_back(run.ExtReadingOf(i));
        curve.extensometerGauge = run.g_dExtGaugeLength;
        curve.removalRecord = std::clamp(run.g_nExtRemovalRecord, 0, count);
    }
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
    // The extensometer's strain needs the crosshead in mm for the part after its removal.
    JoinedExtensionCurve strain;
    if (!curve.extensometer.empty() && millimetres)
        strain = JoinedExtension(curve, r.count, specimen.gaugeLength, *millimetres);
    const bool withExtensometer = !strain.extension.empty();
    if (!curve.extensometer.empty() && !withExtensometer)
        r.notes.push_back(result_text::kNoExtensometerReadingsNote);
    if (!specimen.gaugeLength)
        r.notes.push_back(withExtensometer ? result_text::kNoGaugeWithExtensometerNote
                                           : result_text::kNoGaugeNote);

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
    const std::optional<Line> firstFit = FitRise(d, f, k, fitLow * fmax, fitHigh * fmax);
    double band = 1e-6 * fmax;
    if (firstFit) band = std::max(band, kNoiseBands * firstFit->rms);
    // The record the rig may have stood at while the extensometer was taken off.
    const int hold = withExtensometer && strain.lastRead < r.count - 1 ? strain.lastRead : -1;
    const std::optional<YieldPoint> yield = FindYieldPoint(d, f, k, fmax, band, hold);
    const ElasticFit crosshead = FitElastic(d, f, k, fmax, fitLow, fitHigh, yield, offset);
    const std::optional<Line>& fit = crosshead.line;
    r.fitTiedToYield = crosshead.tiedToYield;
    r.fitSearched = crosshead.searched;
    AddFitNotes(crosshead, fitRange,
                withExtensometer ? result_text::kCrossheadFitNotes : result_text::kFitNotes,
                r.notes);
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
        proof = ProofCrossing(d, f, k, *fit, offset);
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
    if (withExtensometer) {
        // The small strains again, of the extensometer's extension x over Le; the yield
        // points and the plateau of Fm stay where the crosshead's records put them.
        const std::vector<double>& x = strain.extension;
        const double le = curve.extensometerGauge;
        const double percent = 100 / le;
        const std::optional<double> strainOffset = specimen.proofOffset / 100 * le;
        const bool stresses = newtons && specimen.area;
        const double mpa = stresses ? *newtons / *specimen.area : 0;
        ExtensometerResults ext;
        ext.gauge = le;
        ext.joinLength = strain.joinLength;
        if (hold >= 0) ext.removalIndex = hold;
        const ElasticFit elastic = FitElastic(x, f, k, fmax, fitLow, fitHigh, yield, strainOffset);
        AddFitNotes(elastic, fitRange, result_text::kExtensometerFitNotes, r.notes);
        r.modulus.reset();
        r.proofForce.reset();
        r.proofDisplacement.reset();
        r.proofStrength.reset();
        r.totalForce.reset();
        r.totalDisplacement.reset();
        r.totalStrength.reset();
        r.plasticAtMax.reset();
        double toe = x[0];
        if (elastic.line) {
            const Line& line = *elastic.line;
            ext.stiffness = line.slope;
            ext.fitFirst = line.first;
            ext.fitLast = line.last;
            ext.fitPoints = line.points;
            ext.fitLowForce = line.low;
            ext.fitHighForce = line.high;
            ext.fitCorrelation = line.correlation;
            ext.fitTiedToYield = elastic.tiedToYield;
            ext.fitSearched = elastic.searched;
            toe = -line.intercept / line.slope;
            if (const auto crossing = ProofCrossing(x, f, k, line, strainOffset)) {
                r.proofForce = crossing->force;
                r.proofDisplacement = At(d, *crossing);
                if (stresses) r.proofStrength = crossing->force * mpa;
            }
            if (stresses) r.modulus = line.slope * le * mpa;
        }
        const double atMaxX = (x[first] + x[last]) / 2;
        r.totalAtMax = (atMaxX - toe) * percent;
        if (ext.stiffness) r.plasticAtMax = (atMaxX - toe - r.maxForce / *ext.stiffness) * percent;
        ext.joinedAtMax = hold >= 0 && last > hold;
        if (yield) {
            r.yieldExtension = (x[yield->hardening] - x[yield->upper]) * percent;
            ext.joinedYield = hold >= 0 && yield->hardening > hold;
        }
        const double total = toe + kTotalStrain * le;
        for (int i = 1; i <= k; ++i) {
            if (x[i - 1] < total && x[i] >= total) {
                const double t = (total - x[i - 1]) / (x[i] - x[i - 1]);
                r.totalForce = f[i - 1] + t * (f[i] - f[i - 1]);
                r.totalDisplacement = At(d, Crossing{0, 0, i, t});
                if (stresses) r.totalStrength = *r.totalForce * mpa;
                break;
            }
        }
        r.extensometer = ext;
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

JoinedExtensionCurve JoinedExtension(const TestCurve& curve, int count,
                                     const std::optional<double>& gaugeLength,
                                     double millimetresPerUnit) {
    JoinedExtensionCurve joined;
    const std::vector<double>& e = curve.extensometer;
    const std::vector<double>& d = curve.displacement;
    count = std::min(count, static_cast<int>(d.size()));
    if (!(curve.extensometerGauge > 0)) return joined;
    const int read = std::min(curve.removalRecord >= 1 ? curve.removalRecord : count,
                              static_cast<int>(e.size()));
    int last = -1;
    while (last + 1 < std::min(read, count) && std::isfinite(e[last + 1])) ++last;
    if (last < 0) return joined;
    joined.lastRead = last;
    joined.joinLength = gaugeLength ? *gaugeLength : curve.extensometerGauge;
    const double scale = millimetresPerUnit * curve.extensometerGauge / joined.joinLength;
    joined.extension.assign(e.begin(), e.begin() + last + 1);
    for (int i = last + 1; i < count; ++i)
        joined.extension.push_back(e[last] + (d[i] - d[last]) * scale);
    return joined;
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

std::string ExtensometerSourceNote(const TestResults& r) {
    const double le = r.extensometer ? r.extensometer->gauge : 0;
    return FillText(r.elongationFromLu ? result_text::kExtensometerSourceLuNote
                                       : result_text::kExtensometerSourceNote,
                    {ResultValueText(le), ResultValueText(r.proofOffset)});
}

namespace {

// The note of one elastic line (`note`: one of the fit notes' templates): its force range, the
// range it was taken on, its records and its correlation.
std::string FitNoteText(const char* note, const TestResults& r, double low, double high,
                        bool searched, bool tiedToYield, int points, double correlation,
                        const std::string& forceUnit) {
    const std::string range = FillText(searched            ? result_text::kFitSearched
                                       : !tiedToYield      ? result_text::kFitOfFm
                                       : r.upperYieldIndex ? result_text::kFitOfReH
                                                           : result_text::kFitOfRp,
                                       {RangeText(r.fitRange)});
    return FillText(note, {NumberText(low, 3), NumberText(high, 3), forceUnit, range,
                           std::to_string(points), FixedNumber(correlation, 5)});
}

}  // namespace

std::vector<std::string> ResultNotes(const ResultSet& set) {
    const TestResults& r = set.results;
    const std::optional<ExtensometerResults>& ext = r.extensometer;
    std::vector<std::string> notes = {ext ? ExtensometerSourceNote(r) : kStrainSourceNote};
    if (ext && ext->stiffness) {
        notes.push_back(FitNoteText(result_text::kExtensometerFitNote, r, ext->fitLowForce,
                                    ext->fitHighForce, ext->fitSearched, ext->fitTiedToYield,
                                    ext->fitPoints, ext->fitCorrelation, set.units.force));
    }
    if (ext && ext->removalIndex) {
        notes.push_back(
            FillText(r.compliance ? result_text::kRemovalCorrectedNote : result_text::kRemovalNote,
                     {std::to_string(*ext->removalIndex + 1),
                      set.specimen.gaugeLength ? "L0" : "Le", ResultValueText(ext->joinLength)}));
        const char* joined = ext->joinedAtMax && ext->joinedYield ? result_text::kJoinedAllNote
                             : ext->joinedAtMax                   ? result_text::kJoinedAtMaxNote
                             : ext->joinedYield                   ? result_text::kJoinedYieldNote
                                                                  : nullptr;
        if (joined != nullptr) notes.push_back(joined);
    }
    if (r.stiffness) {
        notes.push_back(FitNoteText(ext ? result_text::kCrossheadFitNote : result_text::kFitNote, r,
                                    r.fitLowForce, r.fitHighForce, r.fitSearched, r.fitTiedToYield,
                                    r.fitPoints, r.fitCorrelation, set.units.force));
    }
    notes.insert(notes.end(), r.notes.begin(), r.notes.end());
    return notes;
}
