// Channel conditioning: raw volts to engineering values, histories, peaks and ratio, with
// the readout texts (run/readouts.h) brought up to date.
#pragma once

#include <string>

struct Settings;
struct TestRun;

// The main window's per-channel voltage block; index 0 is tension, 1 displacement.
struct ChannelVoltages {
    double rawVolt[2] = {0, 0};      // this tick's voltage
    double voltSum[2] = {0, 0};      // running sum of the ten-sample idle average
    int avgCount = 0;                // shared averaging counter
    double avgVolt[2] = {0, 0};      // the voltage the chain uses
    double zeroVolt[2] = {0, 0};     // average captured by the last zero request
    double scaled[2] = {0, 0};       // (average - zero) x coefficient
    double damped[2] = {0, 0};       // previous output of the damping step
    double highSpeedZeroPreset = 0;  // preset zero of the high-speed path
    // The extensometer's channel, read only while it is on: this tick's voltage, the running
    // sum and count of its own ten-sample idle average, and the voltage its value is taken
    // from.
    double rawExt = 0;
    double extSum = 0;
    int extCount = 0;
    double extVolt = 0;
};

// One tick's conditioning of both channels: fills run.g_dValue0/1, run.g_dRatio, the histories,
// the peaks and, through FormatReadouts, the readout texts.
void ConditionChannels(const Settings& settings, TestRun& run, ChannelVoltages& ch);

// Channel 0's value for a voltage read between ticks: the tick's chain without its
// averaging and damping (an undamped value reaches a limit no later than a damped one),
// touching no state. The interlocks watch the rig with it between long ticks.
double PolledValue0(const Settings& settings, const TestRun& run, const ChannelVoltages& ch,
                    double volts);

// A recorded reading taken between ticks from ch.rawVolt (a forced stop's trip): both
// channels through the tick's chain without its averaging and damping, so that channel 0
// reads what PolledValue0 gave for the same voltage, entered into the histories, the peaks
// and the readout texts as a recorded tick's reading is.
void ConditionPolledReading(const Settings& settings, TestRun& run, ChannelVoltages& ch);

// The next tick's damping starts from that tick's own reading instead of the state left by
// earlier ticks: a new test must not begin with a value read before it.
void RestartDamping(ChannelVoltages& ch);
