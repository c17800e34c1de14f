// The extensometer's channel conditioned beside the force and crosshead channels: its own
// chain, so that theirs stays exactly as it is without it.
#pragma once

#include <string>

struct ChannelVoltages;
struct ExtensometerSettings;
struct TestRun;

// This tick's extensometer reading from ch.rawExt: with `average`, idle ticks take the mean
// of ten readings as channels 0 and 1 do, and a recorded tick its own reading; without it
// (a reading between ticks) the reading itself. There is no damping step: the reading is
// set against the force of the same tick. Fills run.g_dValueExt (mm over Le) and
// run.g_strReadoutExt (in the settings' unit).
void ConditionExtensometer(const ExtensometerSettings& settings, TestRun& run, ChannelVoltages& ch,
                           bool average);

// A value in the settings' unit as its readout shows it: mm to 0.0001, % to 0.001.
std::string ExtensometerReadoutText(const ExtensometerSettings& settings, double value);

// The next idle average starts from nothing: the channel or its settings changed.
void RestartExtensometerAverage(ChannelVoltages& ch);
