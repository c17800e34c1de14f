// Where driver instance sockets live. Header-only, so that the simulator serving the
// sockets and the library connecting to them follow one rule without sharing a binary.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "driver.h"

namespace dqx7460 {

constexpr int kInstanceCount = 16;

// $DQX7460_DRIVER_DIR when set and not empty, else $XDG_RUNTIME_DIR/dqx7460 when
// XDG_RUNTIME_DIR is set and not empty, else /tmp/dqx7460-<uid>.
inline std::string InstanceFolder() {
    const char* driverDir = std::getenv("DQX7460_DRIVER_DIR");
    if (driverDir != nullptr && driverDir[0] != '\0') return driverDir;
    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    if (runtimeDir != nullptr && runtimeDir[0] != '\0') {
        return std::string(runtimeDir) + "/dqx7460";
    }
    return "/tmp/dqx7460-" + std::to_string(getuid());
}

// Whoever can put a socket in the folder can pose as the card: read the operator's outputs
// and press the rig's buttons. In a shared /tmp another user could make the folder first.
enum class FolderTrust { kTrusted, kMissing, kNotAFolder, kForeignOwner, kWritableByOthers };

// The folder must be a folder of this user that nobody else may write to.
inline FolderTrust CheckInstanceFolder(const std::string& folder) {
    struct stat status {};
    if (stat(folder.c_str(), &status) != 0) return FolderTrust::kMissing;
    if (!S_ISDIR(status.st_mode)) return FolderTrust::kNotAFolder;
    if (status.st_uid != geteuid()) return FolderTrust::kForeignOwner;
    if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0) return FolderTrust::kWritableByOthers;
    return FolderTrust::kTrusted;
}

// <folder>/EZUSB-<d>, d one upper-case hexadecimal digit.
inline std::string InstancePathIn(const std::string& folder, int instance) {
    return folder + "/" + InstanceName(instance);
}

inline std::string InstancePath(int instance) {
    return InstancePathIn(InstanceFolder(), instance);
}

}  // namespace dqx7460
