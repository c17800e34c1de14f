// The results of a test, computed from its records and their times: plain functions that
// the results window, the report's second page, the 结果 worksheet, the CSV and the headless
// run all call, so that they all show the same result set. Strain is the crosshead
// displacement over the gauge length L0; where the test recorded an extensometer, the results
// of small strains come from its extension over Le instead (see ComputeResults).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "results/result_texts.h"
#include "settings/specimen.h"

struct Settings;
struct TestRun;

// A test as numbers: one entry per record, in record order.
struct TestCurve {
    std::vector<double> force;         // channel 0, in its unit
    std::vector<double> displacement;  // channel 1, in its unit, less the load train's part
    // Channel 1 as recorded, where the displacement was corrected for the load train's
    // compliance; empty when the displacement is as recorded.
    std::vector<double> crosshead;
    std::vector<double> time;  // s since the test's first start
    int breakRecord = 0;       // record (1-based) at which the break was detected; 0: none
    // The extensometer's extension over its gauge length (mm), a record each; NaN where it
    // read nothing. Empty when the test had no extensometer.
    std::vector<double> extensometer;
    double extensometerGauge = 0;  // Le, mm
    // The last record (1-based) the extensometer read before it was taken off; 0 when it
    // stayed on.
    int removalRecord = 0;
};

// The record (1-based) at which the program's break rule fires: the first whose force lies
// the break value or more below the peak so far (the peak starts at 0); 0 when none does or
// the break value is not positive.
int BreakRecordOf(const std::vector<double>& force, double breakValue);

// The records of the current test, their times and the break record. While an archive is
// played back: all its records, and the break record by the break rule with the archive's
// break value, so that how the playback ends does not matter. Where the records carry the
// extensometer, its readings (NaN after its removal), Le and removal record.
TestCurve CurveOfCurrentTest(const Settings& settings, const TestRun& run);

// The elastic fit's force range, in % of its reference force (Fm first, then ReH or Rp).
struct FitRange {
    double lowPercent = 10;
    double highPercent = 40;
};

// Where the strains came from the extensometer: its elastic line and how its strain went on
// after it was taken off.
struct ExtensometerResults {
    double gauge = 0;  // Le, mm
    // Force over the extensometer's extension (unit0 per mm over Le), which E, Rp and the toe
    // of Rt0.5, Ag and Agt come from.
    std::optional<double> stiffness;
    int fitFirst = 0, fitLast = 0, fitPoints = 0;
    double fitLowForce = 0, fitHighForce = 0, fitCorrelation = 0;
    bool fitTiedToYield = false, fitSearched = false;
    // The last record (0-based) it read when it was taken off before the end; past it the
    // strain goes on from the crosshead's travel over joinLength (mm): L0, or Le without L0.
    std::optional<int> removalIndex;
    double joinLength = 0;
    bool joinedAtMax = false;  // Ag and Agt lie past the removal
    bool joinedYield = false;  // the yield phase of Ae ends past it
};

struct TestResults {
    int count = 0;  // records; with none, nothing below is computed
    int maxIndex = 0;
    double maxForce = 0, maxForceDisplacement = 0;  // Fm: after work hardening has begun
    int breakIndex = 0;  // the fracture record: the last before the final steep drop
    bool breakDetected = false;
    int detectedIndex = 0;  // the record at which the break rule fired, or the last record
    double breakForce = 0, breakDisplacement = 0;
    double work = 0;  // trapezoidal integral of force over displacement to fracture
    double testTime = 0;

    // Elastic line: least squares of force over displacement on the records of the rise
    // whose force lies between fitLowForce and fitHighForce.
    FitRange fitRange;                // the range asked for
    std::optional<double> stiffness;  // unit0 / unit1
    int fitFirst = 0, fitLast = 0, fitPoints = 0;
    double fitLowForce = 0, fitHighForce = 0, fitCorrelation = 0;
    bool fitTiedToYield = false;  // the range is of Rp or ReH, not of Fm
    bool fitSearched = false;     // that range was bent: the steepest straight range of Fm instead
    std::optional<double> toeDisplacement;  // where the elastic line crosses zero force

    std::optional<double> tensileStrength;                               // Rm, MPa
    std::optional<double> modulus;                                       // E, MPa
    double proofOffset = 0.2;                                            // % of L0, of Rp
    std::optional<double> proofForce, proofDisplacement, proofStrength;  // Rp
    std::optional<double> totalForce, totalDisplacement, totalStrength;  // Rt0.5
    std::optional<int> upperYieldIndex, lowerYieldIndex;
    std::optional<double> upperYield, lowerYield;    // ReH, ReL, MPa
    std::optional<double> yieldExtension;            // Ae, %
    std::optional<double> plasticAtMax, totalAtMax;  // Ag, Agt, %
    std::optional<double> totalAtFracture;           // At, %
    std::optional<double> elongation;                // A, %: from Lu where it is given
    bool elongationFromLu = false;
    std::optional<double> crossheadElongation;  // A from the crosshead, where Lu gave A
    std::optional<double> reductionOfArea;      // Z, %
    std::optional<double> compliance;           // mm/N the crosshead was corrected by
    // With an extensometer, E, Rp, Rt0.5, Ae, Ag and Agt above are of its strain, and the
    // proof and total displacements lie on the crosshead at the same force; the stiffness,
    // the fit and the toe above stay the crosshead's, which A and At and the curve drawn use.
    std::optional<ExtensometerResults> extensometer;
    std::vector<std::string> notes;  // why a result is missing or how it was taken (UTF-8)
};

// Units of the two channels (UTF-8), which decide the units of the derived results.
struct ChannelUnits {
    std::string force = "N";
    std::string length = "mm";
};
ChannelUnits UnitsOfSettings(const Settings& settings);

// Factors to newtons and to millimetres of the units the program knows (blanks around a
// unit are ignored); none otherwise.
std::optional<double> NewtonsPer(const std::string& forceUnit);
std::optional<double> MillimetresPer(const std::string& lengthUnit);

// The result set of one test. Definitions (record indexes as in the curve):
// - Fracture: walking back from the record where the break rule fired, over records that
//   each fell more than 2 % of the maximum force; the record before that drop. Without a
//   break the fracture values, A (unless from Lu) and At are not given.
// - Upper yield ReH: the first running maximum after which the force falls 0.5 % of the
//   maximum force, over records at which the displacement went on (a relaxation while the
//   crosshead stands still is no yield), and later rises as much again (yielding, not
//   necking or fracture). ReL: the lowest force from the end of the initial transient (the
//   first minimum and the rise out of it, unless that rise climbs back to where the force
//   fell from ReH) to the start of work hardening (the force 1 % of ReH above that lowest
//   force); Fm, and with it Rm, is the maximum after the force fell from ReH.
// - Elastic line: least squares over the fit range (10-40 % unless given) of ReH, or of Rp
//   found iteratively starting from that range of Fm; at least 5 records, else the widest range
//   that had them. The range must be straight (its two halves agree on the slope within 3 % or the
//   noise); else the steepest straight range of 10-30 % of Fm on the rise, tied to Rp again where
//   that is straight; with none, no slope and nothing that needs it.
// - Strains are counted from the toe: where the elastic line crosses zero force; without
//   one from the first record, which the notes say.
// - A from Lu where it is given: (Lu - L0) / L0.
// - Strengths above 10000 MPa and E above 1.5e6 MPa are not given: the notes point at the
//   unit and the coefficient.
// - Rp: the offset line (slope of the elastic line, proofOffset % of L0 to the right)
//   crosses the curve; Rt0.5: total strain 0.5 %.
// - Agt at the middle of the records within the noise band (three residual standard
//   deviations of the elastic fit) of Fm; Ag, A: minus the elastic part force / slope.
// - Z from the final cross-section Su.
// - With an extensometer (curve.extensometer not empty, a length unit in mm's terms): the
//   elastic line, E, Rp, Rt0.5, Ae, Ag and Agt from its strain, JoinedExtension over Le,
//   with offsets of Le; fracture, yield forces, Rm, A and At from the crosshead as above.
//   The fall of the force from the last record it read to the next is no yield: the rig
//   may have stood there while it was taken off, and the specimen relaxed.
TestResults ComputeResults(const TestCurve& curve, const SpecimenDims& specimen,
                           const ChannelUnits& units, const FitRange& fitRange = {});

// The extensometer's extension (mm over Le) of records 0..count-1: as read up to the last
// record it read (the removal record, or the last before it first read nothing), then that
// extension plus the crosshead's travel since, scaled from joinLength to Le, so that the
// strain goes on without a step at the same rate as the crosshead's. joinLength is L0: the
// crosshead's travel stretches the whole gauge length, as A and At count it; Le only without
// L0. Empty when the first record has no reading; lastRead is then -1.
struct JoinedExtensionCurve {
    std::vector<double> extension;
    int lastRead = -1;  // 0-based; count - 1 when it read to the end
    double joinLength = 0;
};
JoinedExtensionCurve JoinedExtension(const TestCurve& curve, int count,
                                     const std::optional<double>& gaugeLength,
                                     double millimetresPerUnit);

// One line of the result table: name, value (none when it cannot be computed), unit, and
// the step the report rounds it to (0: as computed).
struct ResultRow {
    std::string name;
    std::optional<double> value;
    std::string unit;
    double reportStep = 0;
};
// The results in their fixed order: 最大力, 最大力位移, 断裂力, 断裂位移, 断裂功, 试验时间,
// 抗拉强度 Rm, 断后伸长率 A, 刚度, 弹性模量 E, then 规定塑性延伸强度 Rp, 规定总延伸强度 Rt0.5,
// 上屈服强度 ReH, 下屈服强度 ReL, 屈服点延伸率 Ae, 最大力塑性延伸率 Ag, 最大力总延伸率 Agt,
// 断裂总延伸率 At, 断面收缩率 Z, and where A came from Lu, 断后伸长率 A (横梁位移). The work is
// in J when the units convert to N and mm.
std::vector<ResultRow> ResultRows(const TestResults& results, const ChannelUnits& units);
// The text a value is shown with: up to 4 decimals, trailing zeros dropped ("" for none).
std::string ResultValueText(const std::optional<double>& value);
// The value as the report gives it: rounded to the row's step (strengths to 1 MPa,
// elongations to 0.5 %, Ae to 0.1 %, Z to 1 %, E to 100 MPa).
std::string ReportedValueText(const ResultRow& row);

// The line every view of the results carries about how strain was measured, of a test
// without an extensometer.
inline constexpr const char* kStrainSourceNote = result_text::kStrainSource;
// The same line of a test whose small strains came from the extensometer (UTF-8).
std::string ExtensometerSourceNote(const TestResults& results);

// Where the fracture was found: "断裂于第 N 条记录", or that there was none (UTF-8).
std::string BreakNoteText(const TestResults& results);

// The lines every view prints under the table: how strain was measured, how the elastic
// line was fitted, then the result set's notes (UTF-8).
struct ResultSet;
std::vector<std::string> ResultNotes(const ResultSet& set);

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
    // A played archive without its test file: the specimen is not the test's own.
    bool specimenNotStored = false;
};
// The set's results and rows computed again from its curve, specimen and units. Where the
// specimen gives a load-train compliance and the channels' units convert to N and mm, the
// curve's displacement is the crosshead less F × C first (the recorded crosshead kept in
// `curve.crosshead`), so the results, the curve drawn and its marks agree; evaluated again,
// it starts from the recorded crosshead.
void EvaluateResultSet(ResultSet& set, const FitRange& fitRange = {});
// The current test (record tables, times, break record) with the dimensions in force.
ResultSet ResultsOfCurrentTest(const Settings& settings, const TestRun& run,
                               const SpecimenDims& specimen);
