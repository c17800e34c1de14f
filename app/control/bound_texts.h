// What the main window's bound edits and the two curve check boxes show, worked out from the
// test, the settings and the run controller without a window: the window only puts the
// texts into its controls.
#pragma once

#include <string>
#include <vector>

#include "control/control_ids.h"

struct Settings;
struct TestRun;
class RunController;

struct BoundText {
    ControlId id;
    std::string gbk;
};

// Readouts, peaks, ratio, record count, units, limits, channel names and captions, and,
// while an archive plays, its banner and name; then the two curve boxes' captions.
std::vector<BoundText> BoundTexts(const Settings& settings, const TestRun& run,
                                  const RunController& control);
