// The control protocol's commands: one line in, one reply line out ("ok ..." or "err ...").
// The command list is in the README (control protocol).
#pragma once

#include <string>

#include "card.h"
#include "rig.h"
#include "sim_clock.h"

namespace sim {

// Runs one command on the card the rig is wired to. *quit is set by "quit". The clock
// commands need the rig's clock; without one they are refused.
std::string ExecuteControl(const std::string& line, Card& card, Rig& rig, bool* quit,
                           SimClock* clock = nullptr);

}  // namespace sim
