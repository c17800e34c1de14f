#include "paths.h"

namespace sim {

std::string ControlSocketPath(const std::string& dir) {
    return dir + "/" + kControlSocketName;
}

}  // namespace sim
