// The standard tensile results against analytic curves whose answers are known: elastic +
// Ramberg-Osgood hardening (eps = sigma/E + 0.002 (sigma/Rp0.2)^n) with necking, a curve
// with an upper and a lower yield point and slack at the start, and a brittle curve; each
// at 100, 1000 and 10000 records, exact and with uniform force noise of ±0.1 % of Fm.
// Records are taken at equal displacement steps, as a crosshead at constant speed gives
// them; the knee at Fm, the fracture and the upper yield point fall on records.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>

#include "results/results_engine.h"

namespace {

constexpr double kS0 = 10;    // mm²
constexpr double kL0 = 50;    // mm
constexpr double kE = 10000;  // MPa: crosshead strain includes the rig's own give

struct Truth {
    double rp = 0, reh = 0, rel = 0, rm = 0, agt = 0, ag = 0, at = 0, a = 0, fracture = 0;
};

struct Shape {
    const char* name;
    std::function<double(double)> stress;  // MPa of strain, 0 after the fracture
    double end;                            // the last record's strain
    double slack;                          // strain before the specimen takes load
    Truth truth;
};

// Snaps a strain to the record grid of step h.
double OnGrid(double strain, double h) {
    return std::round(strain / h) * h;
}

double RambergOsgoodStress(double strain, double rp, double n) {
    double lo = 0, hi = kE * strain;
    for (int i = 0; i < 200; ++i) {
        const double mid = (lo + hi) / 2;
        (mid / kE + 0.002 * std::pow(mid / rp, n) < strain ? lo : hi) = mid;
    }
    return (lo + hi) / 2;
}

Shape RambergOsgood(double n, int records) {
    const double rp = 300;
    const double h = 0.135 / (records - 1);
    const double eu = OnGrid(0.10, h), ef = OnGrid(0.13, h);
    const double su = RambergOsgoodStress(eu, rp, n);
    const double neck = 0.2 * su / (ef - eu);
    const double sf = su - neck * (ef - eu);
    Shape s{"Ramberg-Osgood",
            [=](double e) {
                if (e <= eu) return RambergOsgoodStress(e, rp, n);
                if (e <= ef + 1e-12) return su - neck * (e - eu);
                return 0.0;
            },
            h * (records - 1),
            0,
            {}};
    s.truth = {rp,      0, 0, su, eu * 100, (eu - su / kE) * 100, ef * 100, (ef - sf / kE) * 100,
               sf * kS0};
    return s;
}

// Upper yield 360 MPa, a transient dip to 320, the Lüders plateau at 330, hardening to only
// 350 (below ReH), necking, fracture; 1 % strain of slack before all of it.
Shape YieldPoint(int records) {
    const double reh = 360, rel = 330, rm = 350, slack = 0.01;
    const double eh0 = reh / kE;
    // The grid puts a record on the upper yield point.
    const double approx = 0.115 / (records - 1);
    const double h = (slack + eh0) / std::max(1.0, std::round((slack + eh0) / approx));
    const double eh = eh0, el = OnGrid(slack + eh + 0.02, h) - slack;
    const double eu = OnGrid(slack + 0.07, h) - slack, ef = OnGrid(slack + 0.10, h) - slack;
    const double sf = 0.8 * rm;
    Shape s{"yield point",
            [=](double e) {
                if (e <= eh) return kE * e;
                if (e <= eh + 0.001) return reh - 40 * (e - eh) / 0.001;
                if (e <= eh + 0.004) return 320 + 10 * (e - eh - 0.001) / 0.003;
                if (e <= el) return rel;
                if (e <= eu) return rel + (rm - rel) * std::sqrt((e - el) / (eu - el));
                if (e <= ef + 1e-12) return rm - (rm - sf) * (e - eu) / (ef - eu);
                return 0.0;
            },
            h * (records - 1) - slack,
            slack,
            {}};
    s.truth = {
        0, reh, rel, rm, eu * 100, (eu - rm / kE) * 100, ef * 100, (ef - sf / kE) * 100, sf * kS0};
    return s;
}

Shape Brittle(int records) {
    const double h = 0.055 / (records - 1);
    const double ef = OnGrid(0.05, h), sf = kE * ef;
    Shape s{"brittle",
            [=](double e) { return e <= ef + 1e-12 ? kE * e : 0.0; },
            h * (records - 1),
            0,
            {}};
    s.truth = {0, 0, 0, sf, ef * 100, 0, ef * 100, 0, sf * kS0};
    return s;
}

TestCurve Record(const Shape& s, int records, bool noisy) {
    TestCurve curve;
    double fm = 0;
    for (int i = 0; i < records; ++i) {
        const double e = (s.end + s.slack) * i / (records - 1) - s.slack;
        curve.displacement.push_back((e + s.slack) * kL0);
        curve.force.push_back(e <= 0 ? 0.0 : s.stress(e) * kS0);
        curve.time.push_back(0.03 * (i + 1));
        fm = std::max(fm, curve.force.back());
    }
    if (noisy) {
        std::mt19937 random(20260);
        std::uniform_real_distribution<double> noise(-0.001 * fm, 0.001 * fm);
        for (double& f : curve.force) f += noise(random);
    }
    curve.breakRecord = BreakRecordOf(curve.force, 0.5 * fm);
    return curve;
}

void ExpectRelative(const char* what, const std::optional<double>& value, double truth,
                    double tolerance) {
    ASSERT_TRUE(value) << what;
    EXPECT_NEAR(*value, truth, tolerance * std::fabs(truth)) << what;
}

void Check(const Shape& shape, int records, bool noisy) {
    SCOPED_TRACE(std::string(shape.name) + ", " + std::to_string(records) + " records" +
                 (noisy ? ", noisy" : ""));
    const TestCurve curve = Record(shape, records, noisy);
    const TestResults r = ComputeResults(curve, {kS0, kL0}, ChannelUnits{});
    const Truth& t = shape.truth;
    ASSERT_TRUE(r.breakDetected);
    EXPECT_NEAR(r.breakForce, t.fracture, 0.02 * t.fracture) << "force at fracture";
    ExpectRelative("E", r.modulus, kE, 0.02);
    EXPECT_TRUE(r.fitTiedToYield || !t.rp) << "the fit range follows Rp or ReH";
    EXPECT_GT(r.fitCorrelation, 0.999);
    ExpectRelative("Rm", r.tensileStrength, t.rm, 0.002);
    if (t.rp > 0) {
        ExpectRelative("Rp0.2", r.proofStrength, t.rp, 0.005);
    }
    if (t.reh > 0) {
        ExpectRelative("ReH", r.upperYield, t.reh, 0.005);
        ExpectRelative("ReL", r.lowerYield, t.rel, 0.005);
        ASSERT_TRUE(r.yieldExtension);
        EXPECT_NEAR(*r.yieldExtension, 2.0, 0.5);
    } else {
        EXPECT_FALSE(r.upperYield) << "no yield point on a continuous curve";
    }
    ASSERT_TRUE(r.totalAtMax && r.totalAtFracture && r.elongation && r.plasticAtMax);
    EXPECT_NEAR(*r.totalAtMax, t.agt, 0.25) << "Agt";
    EXPECT_NEAR(*r.plasticAtMax, t.ag, 0.25) << "Ag";
    EXPECT_NEAR(*r.totalAtFracture, t.at, 0.25) << "At";
    EXPECT_NEAR(*r.elongation, t.a, 0.25) << "A";
}

TEST(StandardResults, RambergOsgoodCurves) {
    for (double n : {5.0, 10.0, 20.0}) {
        SCOPED_TRACE("n = " + std::to_string(n));
        for (int records : {100, 1000, 10000})
            for (bool noisy : {false, true}) Check(RambergOsgood(n, records), records, noisy);
    }
}

TEST(StandardResults, YieldPointCurveWithSlack) {
    for (int records : {100, 1000, 10000})
        for (bool noisy : {false, true}) Check(YieldPoint(records), records, noisy);
}

TEST(StandardResults, BrittleCurveHasNoProofStrength) {
    for (int records : {100, 1000, 10000}) {
        for (bool noisy : {false, true}) {
            Check(Brittle(records), records, noisy);
            const TestResults r =
                ComputeResults(Record(Brittle(records), records, noisy), {kS0, kL0}, {});
            EXPECT_FALSE(r.proofStrength) << "the offset line never meets the curve";
        }
    }
}

bool HasNote(const TestResults& r, const std::string& part) {
    for (const std::string& note : r.notes)
        if (note.find(part) != std::string::npos) return true;
    return false;
}

TEST(StandardResults, ProofOffsetReductionOfAreaAndReportRounding) {
    const Shape shape = RambergOsgood(10, 1000);
    const TestCurve curve = Record(shape, 1000, false);
    SpecimenDims specimen{kS0, kL0};
    specimen.finalArea = 4.0;
    specimen.proofOffset = 0.1;
    const TestResults r = ComputeResults(curve, specimen, {});
    // Rp0.1 of eps = sigma/E + 0.002 (sigma/Rp0.2)^10: sigma = Rp0.2 * 0.5^(1/10).
    ExpectRelative("Rp0.1", r.proofStrength, 300 * std::pow(0.5, 0.1), 0.005);
    ExpectRelative("Z", r.reductionOfArea, 60, 1e-9);
    // Rt0.5 lies on the elastic line here: 0.5 % of 10000 MPa.
    ExpectRelative("Rt0.5", r.totalStrength, 50, 0.005);
    const auto rows = ResultRows(r, {});
    EXPECT_EQ(rows[10].name, "规定塑性延伸强度 Rp0.1");
    specimen.finalArea = 12.0;
    EXPECT_FALSE(ComputeResults(curve, specimen, {}).reductionOfArea);
    EXPECT_TRUE(HasNote(ComputeResults(curve, specimen, {}), "Su 大于 S0"));

    ResultRow row{"", 345.5, "MPa", 1};
    EXPECT_EQ(ReportedValueText(row), "346");
    row = {"", 23.74, "%", 0.5};
    EXPECT_EQ(ReportedValueText(row), "23.5");
    row = {"", 23.76, "%", 0.5};
    EXPECT_EQ(ReportedValueText(row), "24");
    row = {"", 1.26, "%", 0.1};
    EXPECT_EQ(ReportedValueText(row), "1.3");
    row = {"", 201234.5, "MPa", 100};
    EXPECT_EQ(ReportedValueText(row), "201200");
    row = {"", 12.34567, "N", 0};
    EXPECT_EQ(ReportedValueText(row), "12.3457");
    row = {"", 1e300, "MPa", 1};
    EXPECT_FALSE(ReportedValueText(row).empty());
}

TEST(StandardResults, BadInputsGetAClearWord) {
    const TestCurve curve = Record(RambergOsgood(10, 1000), 1000, false);
    const TestResults noSpecimen = ComputeResults(curve, {}, {});
    EXPECT_TRUE(HasNote(noSpecimen, "S0 未给定或无效"));
    EXPECT_TRUE(HasNote(noSpecimen, "L0 未给定或无效"));
    EXPECT_FALSE(noSpecimen.tensileStrength);
    ASSERT_TRUE(noSpecimen.stiffness) << "the slope needs no specimen";

    const TestResults units = ComputeResults(curve, {kS0, kL0}, {"KN", "in"});
    EXPECT_TRUE(HasNote(units, "“KN”无法换算为 N"));
    EXPECT_TRUE(HasNote(units, "“in”无法换算为 mm"));
    EXPECT_FALSE(units.proofStrength);
    EXPECT_FALSE(units.totalAtFracture);

    TestCurve negative = curve;
    for (double& f : negative.force) f = -std::fabs(f) - 1;
    const TestResults pressed = ComputeResults(negative, {kS0, kL0}, {});
    EXPECT_TRUE(HasNote(pressed, "力值全部不大于 0"));
    EXPECT_FALSE(pressed.tensileStrength);
    EXPECT_FALSE(pressed.stiffness);

    // 40 records over the whole test leave one record on the elastic line.
    const TestCurve coarse = Record(RambergOsgood(10, 40), 40, false);
    const TestResults few = ComputeResults(coarse, {kS0, kL0}, {});
    EXPECT_TRUE(HasNote(few, "弹性段记录不足"));
    EXPECT_FALSE(few.modulus);
    EXPECT_FALSE(few.elongation);
    EXPECT_TRUE(few.totalAtFracture) << "At still counts from the first record";
    EXPECT_TRUE(few.tensileStrength);
}

TEST(StandardResults, BreakRuleAndFractureRecord) {
    const std::vector<double> force = {0, 10, 20, 30, 25, 8, 1};
    EXPECT_EQ(BreakRecordOf(force, 20), 6);
    EXPECT_EQ(BreakRecordOf(force, 50), 0);
    EXPECT_EQ(BreakRecordOf(force, 0), 0) << "a break value of 0 would break at once";
    // The rule fires on the way down; fracture is the record before the steep drop, whether
    // the rule fired at its first or its last step. Without a break it is the last record.
    TestCurve curve;
    curve.force = {0, 10, 20, 30, 29.8, 29.6, 12, 2, 0.5, 0.4};
    for (std::size_t i = 0; i < curve.force.size(); ++i) {
        curve.displacement.push_back(0.1 * static_cast<double>(i));
        curve.time.push_back(0.03 * static_cast<double>(i));
    }
    for (int detected : {7, 8}) {
        curve.breakRecord = detected;
        const TestResults r = ComputeResults(curve, {}, {});
        EXPECT_TRUE(r.breakDetected);
        EXPECT_EQ(r.breakIndex, 5) << detected;
        EXPECT_DOUBLE_EQ(r.breakForce, 29.6) << detected;
    }
    curve.force.resize(6);
    curve.displacement.resize(6);
    curve.time.resize(6);
    curve.breakRecord = 0;
    const TestResults stopped = ComputeResults(curve, {}, {});
    EXPECT_FALSE(stopped.breakDetected);
    EXPECT_EQ(stopped.breakIndex, 5);
}

}  // namespace
