// Where the driver instances and the control socket live: the instances follow the card
// library's rule (instance_path.h), the control socket sits beside them.
#pragma once

#include <string>

#include "instance_path.h"

namespace sim {

constexpr const char* kControlSocketName = "dqx7460-sim.ctl";

std::string ControlSocketPath(const std::string& dir);

}  // namespace sim
