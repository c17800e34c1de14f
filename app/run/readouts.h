// The readout texts of a test: its values as the readouts, the records list and the stored
// records show them.
#pragma once

#include <string>

struct Settings;
struct TestRun;

// Formats slots 0..501 of both histories and the current ratio into the readout texts.
void FormatReadouts(const Settings& settings, TestRun& run);

// Moves a history's slots 0..499 to 1..500 (a recorded tick), and the readout texts of both
// channels with their histories, so that only the new slots are formatted again.
void ShiftHistory(double* history);
void ShiftReadouts(TestRun& run);

// One value as channel 0 or 1 shows it for the given full scale; the ratio's text.
std::string FormatChannelValue(int channel, double value, double fullScale);
std::string FormatRatio(double ratio);

// The ratio readout of two present readings: equal readings (two zeros too) read 1, and a
// zero divisor under a nonzero reading, which has no ratio, reads kNoRatioReadout.
constexpr const char* kNoRatioReadout = "---.---";
std::string RatioReadout(double reading0, double reading1);
