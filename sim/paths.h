// Where the driver instances and the control socket live.
#pragma once

#include <string>

namespace sim {

constexpr int kMaxInstances = 16;
constexpr const char* kControlSocketName = "dqx7460-sim.ctl";

// $DQX7460_DRIVER_DIR when set and not empty, else $XDG_RUNTIME_DIR/dqx7460 when
// XDG_RUNTIME_DIR is set, else /tmp/dqx7460-<uid>.
std::string DefaultDriverDir();
// <dir>/EZUSB-<d>, d one upper-case hexadecimal digit.
std::string InstanceSocketPath(const std::string& dir, int instance);
std::string ControlSocketPath(const std::string& dir);

}  // namespace sim
