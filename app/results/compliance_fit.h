// The load train's compliance from a calibration run: a specimen far stiffer than the frame
// and grips pulled as a test, so that the crosshead's travel over the force is the train's.
#pragma once

#include <optional>

#include "results/results_engine.h"

struct ComplianceFit {
    double compliance = 0;  // mm/N: the slope, less the specimen's own 1 / stiffness
    double slope = 0;       // mm/N: crosshead travel over force
    double correlation = 0;
    int points = 0;
    double lowForce = 0, highForce = 0;  // the fitted range, in the force channel's unit
};

// Fraction of the test's maximum force between which the records are fitted: above the grips'
// slack, below where a long run might start to yield.
constexpr double kCalibrationLow = 0.2;
constexpr double kCalibrationHigh = 0.8;

// Least squares of the recorded crosshead over force on the rise to the maximum force, over
// the records whose force lies in kCalibrationLow..kCalibrationHigh of it. specimenStiffness
// (N/mm), when given, is the calibration specimen's own, whose share is taken off. None
// without at least 5 such records, a positive slope, or units that convert to N and mm.
std::optional<ComplianceFit> FitCompliance(const ResultSet& set,
                                           std::optional<double> specimenStiffness = {});
