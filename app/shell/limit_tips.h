// What the main window's limit boxes and lamps stand for: the boxes show bare numbers and
// the lamps bare pictures, so each carries a tooltip naming its limit or condition and the
// unit of channel 0 the limits are compared in.
#pragma once

#include <QString>
#include <vector>

struct ControlTip {
    int id;
    QString text;
};

// The tips of limit boxes 1005-1008 and lamps 1067-1070, 1072, 1073 for a channel 0 unit
// (shown only when it is not empty).
std::vector<ControlTip> LimitTips(const QString& unit);
