// What the main window's limit boxes and lamps stand for: the boxes show bare numbers and
// the lamps bare pictures, so each carries a tooltip naming its limit or condition and the
// unit of channel 0 the limits are compared in.
#pragma once

#include <QString>
#include <vector>

#include "control/control_ids.h"

struct ControlTip {
    ControlId id;
    QString text;
};

// The tips of the four limit boxes and the six lamps for a channel 0 unit
// (shown only when it is not empty).
std::vector<ControlTip> LimitTips(const QString& unit);
