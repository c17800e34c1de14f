// Results with an extensometer, on curves whose answers are known: the simulator's rig, whose
// load train and grips put a compliance and a toe into the crosshead while the extensometer
// reads the specimen's own strain, and a synthetic curve whose rig held at the removal while
// the specimen relaxed.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <random>
#include <string>

#include "card.h"
#include "results/results_engine.h"
#include "rig.h"

namespace {

constexpr double kPeriod = 0.03;  // s between records
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct RecordedRun {
    TestCurve curve;
    std::vector<double> extension;  // what the extensometer would have read had it stayed on
    sim::RigParams params;
};

// The simulator's default rig from the start button to the break, recorded every 30 ms as the
// program records it: force and crosshead to 3 decimals, the extensometer to 4. The
// extensometer is taken off after the record at which its strain first reaches
// `removalPercent` of Le.
RecordedRun RecordRig(std::optional<double> removalPercent) {
    RecordedRun run;
    double now = 0;
    sim::Card card(1);
    sim::Rig rig(card, run.params, [&now] { return now; });
    rig.Press(sim::Button::kStart);
    TestCurve& curve = run.curve;
    curve.extensometerGauge = run.params.extensometerLength;
    double peak = 0;
    auto quantised = [](double v, double step) { return std::round(v / step) * step; };
    while (curve.force.size() < 2000 && curve.breakRecord == 0) {
        now += kPeriod;
        rig.Update();
        const double f =
            quantised(card.Voltage(sim::kTensionChannel) * run.params.newtonsPerVolt, 0.001);
        const double d =
            quantised(card.Voltage(sim::kDisplacementChannel) * run.params.mmPerVolt, 0.001);
        const double e = quantised(
            card.Voltage(sim::kExtensometerChannel) * run.params.extensometerMmPerVolt, 0.0001);
        curve.force.push_back(f);
        curve.displacement.push_back(d);
        curve.time.push_back(now);
        run.extension.push_back(e);
        curve.extensometer.push_back(curve.removalRecord > 0 ? kNaN : e);
        if (removalPercent && curve.removalRecord == 0 &&
            e / curve.extensometerGauge * 100 >= *removalPercent)
            curve.removalRecord = static_cast<int>(curve.force.size());
        peak = std::max(peak, f);
        // The program's break rule with the default break value of 30 N.
        if (peak - f >= 30) curve.breakRecord = static_cast<int>(curve.force.size());
    }
    return run;
}

// The set as the program evaluates it: the crosshead corrected by the rig's compliance.
ResultSet Evaluated(const TestCurve& curve, const sim::RigParams& params, bool withGauge = true) {
    ResultSet set;
    set.curve = curve;
    set.specimen.area = params.specimen.area;
    if (withGauge) set.specimen.gaugeLength = params.specimen.gaugeLength;
    set.specimen.compliance = params.compliance;
    EvaluateResultSet(set);
    return set;
}

bool HasNote(const ResultSet& set, const std::string& part) {
    for (const std::string& note : ResultNotes(set))
        if (note.find(part) != std::string::npos) return true;
    return false;
}

// The specimen's own values: E = k L0 / S0, Rp0.2 at the yield plateau, Rt0.5 on the elastic
// line, Agt at Fm, Ag less its elastic part, A at the break less its elastic part.
struct Truth {
    double modulus, proof, total, agt, ag, a;
};

Truth TruthOf(const sim::RigParams& params) {
    const sim::SpecimenParams& s = params.specimen;
    const double l0 = s.gaugeLength;
    return {s.stiffness * l0 / s.area,
            s.yieldForce / s.area,
            s.stiffness * 0.005 * l0 / s.area,
            s.ultimateElongation / l0 * 100,
            (s.ultimateElongation - s.ultimateForce / s.stiffness) / l0 * 100,
            (s.breakElongation - s.breakForce / s.stiffness) / l0 * 100};
}

}  // namespace

// The crosshead's travel holds the load train's deflection and the grips' toe: its E is far
// off. The extensometer's gives the specimen's E, Rp and Rt0.5; A and At stay the crosshead's.
TEST(ExtensometerResults, ExtensometerGivesTheSpecimensStrainWhereTheCrossheadCannot) {
    const RecordedRun run = RecordRig(std::nullopt);
    ASSERT_NE(run.curve.breakRecord, 0) << "the specimen did not break";
    const Truth truth = TruthOf(run.params);

    TestCurve crossheadOnly = run.curve;
    crossheadOnly.extensometer.clear();
    ResultSet uncorrected;
    uncorrected.curve = crossheadOnly;
    uncorrected.specimen = {run.params.specimen.area, run.params.specimen.gaugeLength};
    EvaluateResultSet(uncorrected);
    ASSERT_TRUE(uncorrected.results.modulus);
    EXPECT_GT(std::fabs(*uncorrected.results.modulus - truth.modulus), 0.2 * truth.modulus);
    EXPECT_EQ(ResultNotes(uncorrected).front(), kStrainSourceNote);

    const ResultSet set = Evaluated(run.curve, run.params);
    const TestResults& r = set.results;
    ASSERT_TRUE(r.extensometer);
    EXPECT_FALSE(r.extensometer->removalIndex);
    ASSERT_TRUE(r.modulus);
    EXPECT_NEAR(*r.modulus, truth.modulus, 0.01 * truth.modulus);
    ASSERT_TRUE(r.proofStrength && r.totalStrength);
    EXPECT_NEAR(*r.proofStrength, truth.proof, 0.01 * truth.proof);
    EXPECT_NEAR(*r.totalStrength, truth.total, 0.01 * truth.total);
    ASSERT_TRUE(r.totalAtMax && r.plasticAtMax);
    EXPECT_NEAR(*r.totalAtMax, truth.agt, 0.5);
    EXPECT_NEAR(*r.plasticAtMax, truth.ag, 0.5);
    ASSERT_TRUE(r.elongation && r.totalAtFracture);
    EXPECT_NEAR(*r.elongation, truth.a, 0.5);
    // Rp's mark on the crosshead's curve: its force on the crosshead's elastic line, plus the
    // offset's plastic elongation of L0.
    ASSERT_TRUE(r.proofDisplacement && r.proofForce && r.stiffness);
    EXPECT_NEAR(*r.proofDisplacement,
                *r.toeDisplacement + *r.proofForce / *r.stiffness +
                    r.proofOffset / 100 * run.params.specimen.gaugeLength,
                0.05);

    const std::vector<std::string> notes = ResultNotes(set);
    EXPECT_EQ(notes.front(), ExtensometerSourceNote(r));
    EXPECT_NE(notes.front().find("Le 50 mm"), std::string::npos) << notes.front();
    EXPECT_NE(notes.front().find("A、At 以横梁位移计算"), std::string::npos) << notes.front();
    EXPECT_TRUE(HasNote(set, "引伸计弹性段拟合"));
    EXPECT_FALSE(HasNote(set, kStrainSourceNote));
}

// Taken off at 2 % strain, well before Fm: the strain goes on from the corrected crosshead
// without a step, Ag and Agt come from the joined strain and the notes say so; E, Rp and
// Rt0.5 lie before the removal and stay as they were.
TEST(ExtensometerResults, RemovalJoinsTheCrossheadWithoutAStep) {
    const RecordedRun run = RecordRig(2.0);
    ASSERT_NE(run.curve.breakRecord, 0);
    ASSERT_GT(run.curve.removalRecord, 0);
    const Truth truth = TruthOf(run.params);
    const ResultSet set = Evaluated(run.curve, run.params);
    const TestResults& r = set.results;
    ASSERT_TRUE(r.extensometer && r.extensometer->removalIndex);
    const int removal = *r.extensometer->removalIndex;
    EXPECT_EQ(removal, run.curve.removalRecord - 1);
    EXPECT_DOUBLE_EQ(r.extensometer->joinLength, run.params.specimen.gaugeLength);

    // The joined extension follows what the extensometer would have read, to within the
    // crosshead's noise (5 µm over L0, a quarter of it over Le) and its 1 µm steps.
    const JoinedExtensionCurve joined =
        JoinedExtension(set.curve, r.count, set.specimen.gaugeLength, 1.0);
    ASSERT_EQ(joined.lastRead, removal);
    const int fm = r.maxIndex;
    ASSERT_GT(fm, removal + 10);
    double worst = 0;
    for (int i = removal; i <= fm; ++i)
        worst = std::max(worst, std::fabs(joined.extension[i] - run.extension[i]));
    EXPECT_LT(worst, 0.01);
    // No step at the join: the first step after it is the rig's usual step, within noise.
    const double usual = run.params.speed * kPeriod * run.params.extensometerLength /
                         run.params.specimen.gaugeLength;
    EXPECT_NEAR(joined.extension[removal + 1] - joined.extension[removal], usual, 0.006);

    ASSERT_TRUE(r.modulus && r.proofStrength && r.totalStrength);
    EXPECT_NEAR(*r.modulus, truth.modulus, 0.01 * truth.modulus);
    EXPECT_NEAR(*r.proofStrength, truth.proof, 0.01 * truth.proof);
    EXPECT_NEAR(*r.totalStrength, truth.total, 0.01 * truth.total);
    ASSERT_TRUE(r.totalAtMax && r.plasticAtMax && r.elongation);
    EXPECT_NEAR(*r.totalAtMax, truth.agt, 0.5);
    EXPECT_NEAR(*r.plasticAtMax, truth.ag, 0.5);
    EXPECT_NEAR(*r.elongation, truth.a, 0.5);
    EXPECT_TRUE(r.extensometer->joinedAtMax);
    EXPECT_TRUE(HasNote(set, "引伸计于第 " + std::to_string(removal + 1) + " 条记录后取下"));
    EXPECT_TRUE(HasNote(set, "横梁位移（已修正柔度）的增量除以 L0 100 mm"));
    EXPECT_TRUE(HasNote(set, "Ag、Agt 取自这一接续的应变"));

    // Without L0 the join runs over Le; A and At, which need L0, are not given.
    const ResultSet noGauge = Evaluated(run.curve, run.params, false);
    ASSERT_TRUE(noGauge.results.extensometer);
    EXPECT_DOUBLE_EQ(noGauge.results.extensometer->joinLength, run.params.extensometerLength);
    ASSERT_TRUE(noGauge.results.modulus);
    EXPECT_NEAR(*noGauge.results.modulus, truth.modulus, 0.01 * truth.modulus);
    EXPECT_FALSE(noGauge.results.elongation);
    EXPECT_FALSE(noGauge.results.totalAtFracture);
    EXPECT_TRUE(HasNote(noGauge, "的增量除以 Le 50 mm"));
    EXPECT_TRUE(HasNote(noGauge, "：A、At 不计算"));
}

// A continuous curve (E 200000 MPa, no yield point) whose rig stood at the removal while the
// force relaxed by 2 % of Fm; the crosshead then went on and the specimen reloaded. The fall
// across the removal is no ReH, though the same records without the extensometer's removal
// make one of it.
TEST(ExtensometerResults, RelaxationAtTheRemovalHoldIsNoYieldPoint) {
    constexpr double kS0 = 10, kL0 = 50, kLe = 25, kE = 200000, kCompliance = 2e-5;
    auto stress = [](double strain) {  // elastic, then hardening smoothly to 500 MPa
        const double plastic = 400 + 100 * std::tanh((strain - 0.002) / 0.05);
        return std::min(kE * strain, plastic);
    };
    std::mt19937 random(11);
    std::normal_distribution<double> unit(0.0, 1.0);
    TestCurve curve;
    curve.extensometerGauge = kLe;
    double strain = 0, reload = 0;
    const double step = 0.0001;
    int removal = 0;
    for (int i = 0; strain < 0.12; ++i) {
        double force = stress(strain) * kS0;
        if (removal > 0) force = std::min(force, reload + kE * step * kS0 * (i - removal));
        curve.force.push_back(force + 2 * unit(random));
        curve.displacement.push_back(strain * kL0 + 0.05 + force * kCompliance);
        curve.time.push_back(i * kPeriod + (removal > 0 ? 30 : 0));
        curve.extensometer.push_back(removal > 0 ? kNaN : strain * kLe + 2e-5 * unit(random));
        if (removal == 0 && strain >= 0.02) {
            removal = i + 1;
            reload = force - 0.02 * 5000;
        }
        strain += step;
    }
    curve.removalRecord = removal;
    curve.breakRecord = static_cast<int>(curve.force.size());

    ResultSet set;
    set.curve = curve;
    set.specimen = {kS0, kL0};
    EvaluateResultSet(set);
    const TestResults& r = set.results;
    ASSERT_TRUE(r.extensometer && r.extensometer->removalIndex);
    EXPECT_FALSE(r.upperYield) << "ReH at record " << r.upperYieldIndex.value_or(-1);
    EXPECT_FALSE(r.yieldExtension);
    ASSERT_TRUE(r.modulus);
    EXPECT_NEAR(*r.modulus, kE, 0.01 * kE);

    ResultSet withoutRemoval = set;
    withoutRemoval.curve.extensometer.clear();
    withoutRemoval.curve.removalRecord = 0;
    EvaluateResultSet(withoutRemoval);
    EXPECT_TRUE(withoutRemoval.results.upperYield);
}

// An extensometer that never read (its first record is empty) leaves the crosshead's results
// as they are without it, and says so.
TEST(ExtensometerResults, ExtensometerWithoutReadingsLeavesTheCrossheadsResults) {
    const RecordedRun run = RecordRig(std::nullopt);
    TestCurve unread = run.curve;
    std::fill(unread.extensometer.begin(), unread.extensometer.end(), kNaN);
    TestCurve crossheadOnly = run.curve;
    crossheadOnly.extensometer.clear();
    const ResultSet a = Evaluated(unread, run.params), b = Evaluated(crossheadOnly, run.params);
    EXPECT_FALSE(a.results.extensometer);
    EXPECT_EQ(a.results.modulus, b.results.modulus);
    EXPECT_EQ(a.results.totalAtMax, b.results.totalAtMax);
    EXPECT_TRUE(HasNote(a, "引伸计没有可用的读数"));
}
