// Where the driver instances and the control socket live: the instances follow the card
// library's rule (instance_path.h), the control socket sits beside them.
#pragma once

#include <string>

#include "instance_path.h"

namespace sim {

constexpr const char* kControlSocketName = "dqx7460-sim.ctl";

// The folder the card library looks in when no folder is chosen.
inline std::string DefaultDriverDir() {
    return dqx7460::InstanceFolder();
}
std::string ControlSocketPath(const std::string& dir);

}  // namespace sim
