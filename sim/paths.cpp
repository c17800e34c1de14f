#include "paths.h"

#include <unistd.h>

#include <cstdlib>

namespace sim {

std::string DefaultDriverDir() {
    const char* dir = std::getenv("DQX7460_DRIVER_DIR");
    if (dir != nullptr && *dir != '\0') return dir;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr) return std::string(runtime) + "/dqx7460";
    return "/tmp/dqx7460-" + std::to_string(getuid());
}

std::string InstanceSocketPath(const std::string& dir, int instance) {
    return dir + "/EZUSB-" + "0123456789ABCDEF"[instance & 0xF];
}

std::string ControlSocketPath(const std::string& dir) {
    return dir + "/" + kControlSocketName;
}

}  // namespace sim
