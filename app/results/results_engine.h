// The results of a test, computed from its records and their times: plain functions that
// the results window, the report's second page, the 结果 worksheet and the headless run
// all call, so that they all show the same result set.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "settings/specimen.h"

// A test as numbers: one entry per record, in record order.
struct TestCurve {
    std::vector<double> force;         // channel 0, in its unit
    std::vector<double> displacement;  // channel 1, in its unit
    std::vector<double> time;          // s since the test's first start
    int breakRecord = 0;               // record (1-based) at which the break was detected; 0: none
};

// Records 1..g_nRecordCount of the record tables, their times and the break record.
TestCurve CurveOfCurrentTest();

struct TestResults {
    int count = 0;  // records; with none, nothing below is computed
    int maxIndex = 0;
    double maxForce = 0, maxForceDisplacement = 0;
    int breakIndex = 0;  // the break record, or the last record when there was no break
    bool breakDetected = false;
    double breakForce = 0, breakDisplacement = 0;
    double work = 0;  // trapezoidal integral of force over displacement, unit0 x unit1
    double testTime = 0;
    std::optional<double> tensileStrength;  // Rm, MPa
    std::optional<double> elongation;       // A, %
    std::optional<double> stiffness;        // unit0 / unit1
    std::optional<double> modulus;          // E, MPa
    int fitFirst = 0, fitLast = 0;          // records (0-based) of the stiffness fit
};

// Units of the two channels (UTF-8), which decide the units of the derived results.
struct ChannelUnits {
    std::string force = "N";
    std::string length = "mm";
};
ChannelUnits UnitsOfSettings();

// Factors to newtons and to millimetres of the units the program knows; none otherwise.
std::optional<double> NewtonsPer(const std::string& forceUnit);
std::optional<double> MillimetresPer(const std::string& lengthUnit);

// Maximum force, break values, work, test time and the initial slope; with S0 the tensile
// strength, with L0 the elongation after break, with both the modulus. Rm, A and E need
// channel units the program can convert to newtons and millimetres.
//
// The initial slope: the rise is the records up to the maximum force; its lower part runs
// from the first record at or above 10 % of the maximum force to the last before the first
// one above 50 %. A window of half that part's records (at least 3) slides over it one
// record at a time; each window gets a least-squares line of force over displacement, and
// the steepest line is the slope. Toe and yield both lower a window's slope, so the
// steepest window is the straight part; half the part averages sensor noise out.
TestResults ComputeResults(const TestCurve& curve, const SpecimenDims& specimen,
                           const ChannelUnits& units);

// One line of the result table: name, value (none when it cannot be computed), unit.
struct ResultRow {
    std::string name;
    std::optional<double> value;
    std::string unit;
};
// The ten results in their fixed order: 最大力, 最大力位移, 断裂力, 断裂位移, 断裂功, 试验时间,
// 抗拉强度, 断后伸长率, 刚度, 弹性模量. The work is in J when the units convert to N and mm.
std::vector<ResultRow> ResultRows(const TestResults& results, const ChannelUnits& units);
// The text a value is shown with: up to 4 decimals, trailing zeros dropped ("" for none).
std::string ResultValueText(const std::optional<double>& value);

// Everything a view of a test's results shows: the results table, the force-extension
// curve and what they belong to.
struct ResultSet {
    std::string testName, startTime;          // UTF-8
    std::string forceName, displacementName;  // the channel names, UTF-8
    ChannelUnits units;
    SpecimenDims specimen;
    TestCurve curve;
    TestResults results;
    std::vector<ResultRow> rows;
};
// The current test (record tables, times, break record) with the dimensions in force.
ResultSet ResultsOfCurrentTest();
