// The results engine against curves whose results are known in closed form, their noisy
// copies, and a run recorded from the simulator's rig.
#include "results/results_engine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>

#include "card.h"
#include "results/compliance_fit.h"
#include "rig.h"

namespace {

constexpr double kPeriod = 0.03;  // s between records

// Force as a function of displacement, sampled at equal displacement steps up to dEnd.
TestCurve Sampled(const std::function<double(double)>& force, double dEnd, int records,
                  int breakRecord = 0) {
    TestCurve curve;
    for (int i = 0; i < records; ++i) {
        const double d = dEnd * i / (records - 1);
        curve.displacement.push_back(d);
        curve.force.push_back(force(d));
        curve.time.push_back((i + 1) * kPeriod);
    }
    curve.breakRecord = breakRecord;
    return curve;
}

TestCurve Noisy(TestCurve curve, double forceNoise, double displacementNoise) {
    std::mt19937 random(7);
    std::normal_distribution<double> unit(0.0, 1.0);
    for (double& f : curve.force) f += forceNoise * unit(random);
    for (double& d : curve.displacement) d += displacementNoise * unit(random);
    return curve;
}

// Ramberg-Osgood force-extension: d = F / k + c (F / Fy)^n, sampled at equal force steps.
TestCurve RambergOsgood(double k, double c, double fy, double n, double fEnd, int records) {
    TestCurve curve;
    for (int i = 0; i < records; ++i) {
        const double f = fEnd * i / (records - 1);
        curve.force.push_back(f);
        curve.displacement.push_back(f / k + c * std::pow(f / fy, n));
        curve.time.push_back((i + 1) * kPeriod);
    }
    return curve;
}

struct Expected {
    double maxForce, maxDisplacement, breakForce, breakDisplacement, workJ, stiffness;
    bool breakDetected;
};

struct Tolerance {
    double force, displacement, work, stiffness;  // absolute, absolute, relative, relative
};

void ExpectResults(const char* name, const TestCurve& curve, const Expected& e,
                   const Tolerance& tol) {
    SCOPED_TRACE(name);
    const SpecimenDims specimen{10.0, 50.0};  // S0 = 10 mm², L0 = 50 mm
    const TestResults r = ComputeResults(curve, specimen, ChannelUnits{});
    ASSERT_EQ(r.count, static_cast<int>(curve.force.size()));
    EXPECT_NEAR(r.maxForce, e.maxForce, tol.force);
    EXPECT_NEAR(r.maxForceDisplacement, e.maxDisplacement, tol.displacement);
    EXPECT_EQ(r.breakDetected, e.breakDetected);
    EXPECT_NEAR(r.breakForce, e.breakForce, tol.force);
    EXPECT_NEAR(r.breakDisplacement, e.breakDisplacement, tol.displacement);
    const auto rows = ResultRows(r, ChannelUnits{});
    ASSERT_EQ(rows[4].unit, "J");
    EXPECT_NEAR(*rows[4].value, e.workJ, tol.work * e.workJ);
    EXPECT_DOUBLE_EQ(r.testTime, curve.time.back());
    ASSERT_TRUE(r.stiffness);
    EXPECT_NEAR(*r.stiffness, e.stiffness, tol.stiffness * e.stiffness);
    // Rm = Fmax / S0; At counts from the toe of the elastic line, A without its elastic part
    // F / k; E = k L0 / S0.
    EXPECT_DOUBLE_EQ(*r.tensileStrength, r.maxForce / 10.0);
    ASSERT_TRUE(r.toeDisplacement);
    if (!e.breakDetected) {
        // Without a fracture there is neither At nor A.
        EXPECT_FALSE(r.totalAtFracture);
        EXPECT_FALSE(r.elongation);
        EXPECT_FALSE(rows[2].value);
        EXPECT_FALSE(rows[3].value);
    } else {
        EXPECT_NEAR(*r.totalAtFracture, (r.breakDisplacement - *r.toeDisplacement) / 50.0 * 100,
                    1e-9);
        EXPECT_NEAR(*r.elongation, *r.totalAtFracture - r.breakForce / *r.stiffness / 50.0 * 100,
                    1e-9);
    }
    EXPECT_DOUBLE_EQ(*r.modulus, *r.stiffness * 50.0 / 10.0);
}

const Tolerance kExact{1e-9, 1e-9, 1e-9, 1e-9};

TEST(ResultsEngine, StraightLine) {
    // F = 10 d up to d = 10 mm: work 10 * 10² / 2 = 500 N mm = 0.5 J; no break detected.
    const TestCurve line = Sampled([](double d) { return 10 * d; }, 10.0, 1001);
    ExpectResults("exact", line, {100, 10, 100, 10, 0.5, 10, false}, kExact);
    ExpectResults("noisy", Noisy(line, 0.1, 0.002), {100, 10, 100, 10, 0.5, 10, false},
                  {0.4, 0.01, 0.005, 0.02});
}

TEST(ResultsEngine, BilinearCurveWithABreak) {
    // 10 N/mm to 20 N at 2 mm, 1 N/mm to 30 N at 12 mm, down to 25 N at 14 mm, where the
    // break is seen. Work: 20 + 250 + 55 = 325 N mm.
    auto force = [](double d) {
        if (d <= 2) return 10 * d;
        if (d <= 12) return 20 + (d - 2);
        return 30 - 2.5 * (d - 12);
    };
    const TestCurve curve = Sampled(force, 14.0, 1401, 1401);
    ExpectResults("exact", curve, {30, 12, 25, 14, 0.325, 10, true}, kExact);
    ExpectResults("noisy", Noisy(curve, 0.05, 0.002), {30, 12, 25, 14, 0.325, 10, true},
                  {0.2, 0.3, 0.005, 0.03});
}

TEST(ResultsEngine, RambergOsgoodCurve) {
    // d = F/10 + 0.2 (F/20)^8 up to 30 N: d(30) = 3 + 0.2 * 1.5^8; the work is
    // F d - ∫ d dF = 30 d(30) - (30² / 20 + 0.2 * 20 / 9 * 1.5^9).
    const double dEnd = 3 + 0.2 * std::pow(1.5, 8);
    const double work = (30 * dEnd - (900.0 / 20 + 0.2 * 20 / 9 * std::pow(1.5, 9))) / 1000;
    const TestCurve curve = RambergOsgood(10, 0.2, 20, 8, 30, 3001);
    // The straight part is only nearly straight: the initial slope is 10 within 1 %.
    ExpectResults("exact", curve, {30, dEnd, 30, dEnd, work, 10, false}, {1e-9, 1e-9, 1e-5, 0.01});
    ExpectResults("noisy", Noisy(curve, 0.05, 0.002), {30, dEnd, 30, dEnd, work, 10, false},
                  {0.2, 0.05, 0.005, 0.03});
}

TEST(ResultsEngine, TheFitRangeIsChosen) {
    const TestCurve curve = RambergOsgood(10, 0.2, 20, 8, 30, 3001);
    const SpecimenDims specimen{10.0, 50.0};
    ResultSet usual;
    usual.curve = curve;
    usual.specimen = specimen;
    EvaluateResultSet(usual);
    // Not given, the range is 10-40 %: every result as before, to the last bit.
    const TestResults given = ComputeResults(curve, specimen, {}, FitRange{10, 40});
    EXPECT_EQ(*usual.results.stiffness, *given.stiffness);
    EXPECT_EQ(*usual.results.proofStrength, *given.proofStrength);
    EXPECT_EQ(usual.results.fitLowForce, given.fitLowForce);
    EXPECT_EQ(usual.results.notes, given.notes);
    EXPECT_NE(ResultNotes(usual)[1].find("（Rp 的 10 %–40 %）"), std::string::npos);

    // Lower on the rise the curve is straighter: the slope comes closer to the true 10 N/mm.
    ResultSet low = usual;
    EvaluateResultSet(low, FitRange{2, 15});
    ASSERT_TRUE(low.results.stiffness);
    EXPECT_LT(std::fabs(*low.results.stiffness - 10), std::fabs(*usual.results.stiffness - 10));
    EXPECT_NEAR(low.results.fitHighForce / low.results.fitLowForce, 7.5, 1e-9);
    EXPECT_NE(ResultNotes(low)[1].find("（Rp 的 2 %–15 %）"), std::string::npos);
    EXPECT_NE(*low.rows[10].value, *usual.rows[10].value);  // Rp follows the line

    // Too few records in the range: the note names the range that was asked for.
    const TestResults narrow = ComputeResults(Sampled([](double d) { return 10 * d; }, 10.0, 21),
                                              specimen, {}, FitRange{10, 12});
    EXPECT_FALSE(narrow.stiffness);
    EXPECT_EQ(narrow.notes[0],
              "弹性段记录不足（力在 Fm 的 10 %–12 % 之间少于 5 条）：刚度、E、Rp、A、Ag 不计算");
}

// The crosshead travels the load train's F × C too: the specimen's own curve comes back when
// the results take it off, in any units that convert, as often as the set is evaluated.
TEST(ResultsEngine, TheLoadTrainsComplianceComesOffTheCrosshead) {
    const TestCurve specimenCurve = RambergOsgood(10, 0.2, 20, 8, 30, 3001);
    const double compliance = 0.04;  // mm/N: the crosshead's slope is 10 / 1.4 N/mm
    TestCurve crosshead = specimenCurve;
    for (std::size_t i = 0; i < crosshead.force.size(); ++i)
        crosshead.displacement[i] += crosshead.force[i] * compliance;
    ResultSet truth, raw, corrected;
    truth.curve = specimenCurve;
    raw.curve = corrected.curve = crosshead;
    truth.specimen = raw.specimen = corrected.specimen = {10.0, 50.0};
    corrected.specimen.compliance = compliance;
    for (ResultSet* set : {&truth, &raw, &corrected}) EvaluateResultSet(*set);
    EXPECT_LT(*raw.results.modulus, 0.8 * *truth.results.modulus) << "uncorrected: far too low";
    EXPECT_NEAR(*corrected.results.modulus, *truth.results.modulus, 1e-6 * *truth.results.modulus);
    EXPECT_NEAR(*corrected.results.proofStrength, *truth.results.proofStrength, 1e-6);
    EXPECT_NEAR(*corrected.results.plasticAtMax, *truth.results.plasticAtMax, 1e-6);
    EXPECT_EQ(corrected.results.compliance, std::optional<double>(compliance));
    EXPECT_EQ(corrected.curve.crosshead, crosshead.displacement) << "the record is kept";
    EXPECT_EQ(corrected.results.notes.back(),
              "横梁位移已按加载链柔度 0.04 mm/N 修正：位移减去 力 × 柔度");
    // Evaluated again (another fit range, a specimen change), it starts from the record.
    const double modulus = *corrected.results.modulus;
    EvaluateResultSet(corrected);
    EXPECT_EQ(*corrected.results.modulus, modulus);
    EXPECT_FALSE(raw.results.compliance);
    EXPECT_TRUE(raw.curve.crosshead.empty());

    // In kN and cm the same compliance is the same correction.
    ResultSet scaled = corrected;
    scaled.units = {"kN", "cm"};
    for (double& f : scaled.curve.force) f /= 1000;
    scaled.curve.crosshead.clear();
    scaled.curve.displacement = crosshead.displacement;
    for (double& d : scaled.curve.displacement) d /= 10;
    EvaluateResultSet(scaled);
    ASSERT_TRUE(scaled.results.modulus);
    EXPECT_NEAR(*scaled.results.modulus, *truth.results.modulus, 1e-6 * *truth.results.modulus);
    // Units the program cannot convert: nothing is taken off, and the notes say why.
    ResultSet unknown = raw;
    unknown.units = {"lbf", "in"};
    unknown.specimen.compliance = compliance;
    EvaluateResultSet(unknown);
    EXPECT_FALSE(unknown.results.compliance);
    EXPECT_EQ(unknown.curve.displacement, crosshead.displacement);
    EXPECT_NE(unknown.results.notes.back().find("横梁位移未修正"), std::string::npos);
}

// A calibration run's crosshead over force is the load train's compliance plus the calibration
// specimen's own share, fitted above the grips' slack; it comes out in mm/N in any units.
TEST(ResultsEngine, ComplianceFromACalibrationRun) {
    ResultSet set;
    for (int i = 0; i <= 100; ++i) {
        const double force = i * 0.5;
        // Slack taken up below 5 N, then 0.04 mm/N of the train and 0.001 of the specimen.
        const double slack = force < 5 ? 0.3 * (1 - (1 - force / 5) * (1 - force / 5)) : 0.3;
        set.curve.force.push_back(force);
        set.curve.displacement.push_back(slack + force * 0.041);
    }
    std::optional<ComplianceFit> fit = FitCompliance(set, 1000.0);
    ASSERT_TRUE(fit);
    EXPECT_NEAR(fit->slope, 0.041, 1e-12);
    EXPECT_NEAR(fit->compliance, 0.04, 1e-12);
    EXPECT_NEAR(fit->lowForce, 10, 1e-12);
    EXPECT_EQ(fit->points, 61);
    EXPECT_NEAR(FitCompliance(set)->compliance, 0.041, 1e-12) << "a rigid specimen";

    ResultSet scaled = set;
    scaled.units = {"kN", "m"};
    for (double& f : scaled.curve.force) f /= 1000;
    for (double& d : scaled.curve.displacement) d /= 1000;
    EXPECT_NEAR(FitCompliance(scaled)->compliance, 0.041, 1e-12);
    // The recorded crosshead is fitted, not a corrected displacement.
    ResultSet corrected = set;
    corrected.specimen.compliance = 0.04;
    EvaluateResultSet(corrected);
    EXPECT_NEAR(FitCompliance(corrected)->compliance, 0.041, 1e-12);

    set.curve.force.resize(8);
    set.curve.displacement.resize(8);
    EXPECT_FALSE(FitCompliance(set)) << "too few records above the slack";
    scaled.units.length = "in";
    EXPECT_FALSE(FitCompliance(scaled)) << "units it cannot convert";
}

TEST(ResultsEngine, WhatCannotBeComputedStaysEmpty) {
    // Broken at its last record, so that A and At are defined.
    const TestCurve line = Sampled([](double d) { return 10 * d; }, 10.0, 101, 101);
    struct Case {
        const char* name;
        SpecimenDims specimen;
        ChannelUnits units;
        bool rm, a, e;
    } cases[] = {
        {"no dimensions", {}, {}, false, false, false},
        {"S0 only", {10.0, std::nullopt}, {}, true, false, false},
        {"L0 only", {std::nullopt, 50.0}, {}, false, true, false},
        {"unknown force unit", {10.0, 50.0}, {"KN", "mm"}, false, true, false},
        {"unknown length unit", {10.0, 50.0}, {"N", "in"}, true, false, false},
    };
    for (const Case& c : cases) {
        const TestResults r = ComputeResults(line, c.specimen, c.units);
        EXPECT_EQ(bool(r.tensileStrength), c.rm) << c.name;
        EXPECT_EQ(bool(r.elongation), c.a) << c.name;
        EXPECT_EQ(bool(r.modulus), c.e) << c.name;
    }
    // kN and cm convert: Rm = 100 kN / 10 mm² = 10000 MPa; A = 10 cm / 50 mm = 200 %.
    const TestResults converted = ComputeResults(line, {10.0, 50.0}, {"kN", "cm"});
    EXPECT_DOUBLE_EQ(*converted.tensileStrength, 10000);
    EXPECT_NEAR(*converted.totalAtFracture, 200, 1e-9);
    EXPECT_NEAR(*converted.elongation, 0, 1e-9);  // a straight line is elastic throughout
    // kgf converts, and blanks around a unit do not matter.
    EXPECT_NEAR(*ComputeResults(line, {10.0, 50.0}, {"kgf", "mm"}).tensileStrength,
                100 * 9.80665 / 10, 1e-9);
    EXPECT_DOUBLE_EQ(*ComputeResults(line, {10.0, 50.0}, {"N ", " mm"}).tensileStrength, 10);
    EXPECT_NEAR(*converted.modulus, 10 * 100.0 * 50 / 10, 1e-6);
    // Work in units the program cannot turn into joules stays in unit0·unit1.
    const auto rows = ResultRows(ComputeResults(line, {}, {"kgf", "in"}), {"kgf", "in"});
    EXPECT_EQ(rows[4].unit, "kgf·in");
    EXPECT_DOUBLE_EQ(*rows[4].value, 500);

    // No records: no value at all; a flat curve has no slope.
    for (const ResultRow& row : ResultRows(ComputeResults(TestCurve{}, {10.0, 50.0}, {}), {}))
        EXPECT_FALSE(row.value) << row.name;
    EXPECT_FALSE(ComputeResults(Sampled([](double) { return 0.0; }, 1, 50), {}, {}).stiffness);
}

TEST(ResultsEngine, RowsAreTheResultsInOrder) {
    const auto rows = ResultRows(ComputeResults(Sampled([](double d) { return d; }, 1, 11), {}, {}),
                                 ChannelUnits{});
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"最大力", "N"},
        {"最大力位移", "mm"},
        {"断裂力", "N"},
        {"断裂位移", "mm"},
        {"断裂功", "J"},
        {"试验时间", "s"},
        {"抗拉强度 Rm", "MPa"},
        {"断后伸长率 A", "%"},
        {"刚度", "N/mm"},
        {"弹性模量 E", "MPa"},
        {"规定塑性延伸强度 Rp0.2", "MPa"},
        {"规定总延伸强度 Rt0.5", "MPa"},
        {"上屈服强度 ReH", "MPa"},
        {"下屈服强度 ReL", "MPa"},
        {"屈服点延伸率 Ae", "%"},
        {"最大力塑性延伸率 Ag", "%"},
        {"最大力总延伸率 Agt", "%"},
        {"断裂总延伸率 At", "%"},
        {"断面收缩率 Z", "%"}};
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].name, expected[i].first);
        EXPECT_EQ(rows[i].unit, expected[i].second);
    }
    EXPECT_EQ(ResultValueText(12.34567), "12.3457");
    EXPECT_EQ(ResultValueText(2.5), "2.5");
    EXPECT_EQ(ResultValueText(-0.00001), "0");
    EXPECT_EQ(ResultValueText(std::nullopt), "");
}

// A run of the simulator's default rig, sampled every 30 ms from the start button to the
// break and recorded to 3 decimals as the program records it. Its specimen: 10 N/mm up to
// 20 N, peak 32.5 N at 12 mm, break at 16 mm; the crosshead pulls at 2 mm/s. The load train
// is made stiff and the grips tight, so that the crosshead's travel is the specimen's own
// elongation and the results can be checked against the specimen.
TEST(ResultsEngine, RecordedRigRun) {
    double now = 0;
    sim::Card card(1);
    sim::RigParams params;
    params.compliance = 0;
    params.toe = 0;
    sim::Rig rig(card, params, [&now] { return now; });
    rig.Press(sim::Button::kStart);
    TestCurve curve;
    double peak = 0;
    auto quantised = [](double v) { return std::round(v * 1000) / 1000; };
    while (curve.force.size() < 2000 && curve.breakRecord == 0) {
        now += kPeriod;
        rig.Update();
        const double f = quantised(card.Voltage(sim::kTensionChannel) * params.newtonsPerVolt);
        const double d = quantised(card.Voltage(sim::kDisplacementChannel) * params.mmPerVolt);
        curve.force.push_back(f);
        curve.displacement.push_back(d);
        curve.time.push_back(now);
        peak = std::max(peak, f);
        // The program's break rule with the default break value of 30 N.
        if (peak - f >= 30) curve.breakRecord = static_cast<int>(curve.force.size());
    }
    ASSERT_NE(curve.breakRecord, 0) << "the specimen did not break";

    // Work to the break: the loading curve's integral up to the break elongation.
    const sim::SpecimenParams& s = params.specimen;
    double work = 0;
    const int steps = 16000;
    for (int i = 0; i < steps; ++i) {
        const double a = s.breakElongation * i / steps, b = s.breakElongation * (i + 1) / steps;
        work += (sim::LoadingForce(s, a) + sim::LoadingForce(s, b)) / 2 * (b - a);
    }
    const TestResults r = ComputeResults(curve, {10.0, 50.0}, ChannelUnits{});
    EXPECT_NEAR(r.maxForce, s.ultimateForce, 0.1);
    EXPECT_NEAR(r.maxForceDisplacement, s.ultimateElongation, 0.2);
    EXPECT_TRUE(r.breakDetected);
    // The force at fracture: the last record before the drop, not the first after it.
    EXPECT_NEAR(r.breakForce, sim::LoadingForce(s, s.breakElongation), 0.02 * s.ultimateForce);
    EXPECT_NEAR(r.breakDisplacement, s.breakElongation, 2 * params.speed * kPeriod);
    EXPECT_NEAR(r.work / 1000, work / 1000, 0.01 * work / 1000);
    EXPECT_NEAR(r.testTime, s.breakElongation / params.speed, 2 * kPeriod);
    ASSERT_TRUE(r.stiffness);
    EXPECT_NEAR(*r.stiffness, s.stiffness, 0.02 * s.stiffness);
    EXPECT_NEAR(*r.totalAtFracture, s.breakElongation / 50 * 100, 0.3);
    EXPECT_NEAR(*r.elongation, (s.breakElongation - r.breakForce / s.stiffness) / 50 * 100, 0.3);
    EXPECT_NEAR(*r.modulus, s.stiffness * 50 / 10, 0.02 * s.stiffness * 5);
}

}  // namespace
