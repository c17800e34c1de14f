// Where driver instance sockets live. Header-only, so that the simulator serving the
// sockets and the library connecting to them follow one rule without sharing a binary.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <string>

#include "driver.h"

namespace dqx7460 {

constexpr int kInstanceCount = 16;

// $DQX7460_DRIVER_DIR when set and not empty, else $XDG_RUNTIME_DIR/dqx7460 when
// XDG_RUNTIME_DIR is set, else /tmp/dqx7460-<uid>.
inline std::string InstanceFolder() {
    const char* driverDir = std::getenv("DQX7460_DRIVER_DIR");
    if (driverDir != nullptr && driverDir[0] != '\0') return driverDir;
    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    if (runtimeDir != nullptr) return std::string(runtimeDir) + "/dqx7460";
    return "/tmp/dqx7460-" + std::to_string(getuid());
}

// <folder>/EZUSB-<d>, d one upper-case hexadecimal digit.
inline std::string InstancePathIn(const std::string& folder, int instance) {
    return folder + "/" + InstanceName(instance);
}

inline std::string InstancePath(int instance) {
    return InstancePathIn(InstanceFolder(), instance);
}

}  // namespace dqx7460
