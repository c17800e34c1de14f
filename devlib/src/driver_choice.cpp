#include "driver_choice.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <unordered_set>

#include "instance_path.h"
#include "socket_driver.h"
#include "usb_driver.h"

namespace dqx7460 {
namespace {

class ChoosingDriver : public Driver {
  public:
    HANDLE Open(int instance) override {
        switch (ChooseDriverKind()) {
            case DriverKind::kSocket:
                return SocketDriver().Open(instance);
            case DriverKind::kUsb:
                break;
            case DriverKind::kNone:
                return nullptr;
        }
        HANDLE handle = UsbDriver().Open(instance);
        if (handle != nullptr) {
            std::lock_guard<std::mutex> lock(mutex_);
            usbHandles_.insert(handle);
        }
        return handle;
    }

    void Close(HANDLE handle) override {
        bool usb = false;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            usb = usbHandles_.erase(handle) > 0;
        }
        OwnerOf(usb).Close(handle);
    }

    bool Control(HANDLE handle, std::uint32_t code, const void* in, std::uint32_t inLen, void* out,
                 std::uint32_t outLen, std::uint32_t* returned) override {
        return OwnerOf(IsUsb(handle)).Control(handle, code, in, inLen, out, outLen, returned);
    }

    bool Post(HANDLE handle, std::uint32_t code, const void* in, std::uint32_t inLen,
              const void* out, std::uint32_t outLen) override {
        return OwnerOf(IsUsb(handle)).Post(handle, code, in, inLen, out, outLen);
    }

    bool Settle(HANDLE handle) override { return OwnerOf(IsUsb(handle)).Settle(handle); }

  private:
    // Every handle the USB driver did not open is the socket driver's, also one a caller
    // opened through SocketDriver() itself.
    static Driver& OwnerOf(bool usb) { return usb ? UsbDriver() : SocketDriver(); }

    bool IsUsb(HANDLE handle) {
        std::lock_guard<std::mutex> lock(mutex_);
        return usbHandles_.count(handle) > 0;
    }

    std::mutex mutex_;
    std::unordered_set<HANDLE> usbHandles_;
};

}  // namespace

DriverKind ChooseDriverKind() {
    const char* setting = std::getenv("DQX7460_DRIVER");
    if (setting == nullptr || setting[0] == '\0') {
        return HoldsInstanceSocket(InstanceFolder()) ? DriverKind::kSocket : DriverKind::kUsb;
    }
    if (std::strcmp(setting, "socket") == 0) return DriverKind::kSocket;
    if (std::strcmp(setting, "usb") == 0) return DriverKind::kUsb;
    ReportDriverProblem(std::string("DQX7460_DRIVER=") + setting +
                        " names no driver (socket or usb): no card is opened");
    return DriverKind::kNone;
}

bool HoldsInstanceSocket(const std::string& folder) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return false;
    bool found = false;
    while (!found) {
        const dirent* entry = readdir(dir);
        if (entry == nullptr) break;
        if (std::strncmp(entry->d_name, "EZUSB-", 6) != 0) continue;
        struct stat status {};
        found =
            lstat((folder + "/" + entry->d_name).c_str(), &status) == 0 && S_ISSOCK(status.st_mode);
    }
    closedir(dir);
    return found;
}

Driver& DefaultDriver() {
    static ChoosingDriver driver;
    return driver;
}

void ReportDriverProblem(const std::string& text) {
    static std::mutex mutex;
    static std::set<std::string> reported;
    std::lock_guard<std::mutex> lock(mutex);
    if (reported.insert(text).second) std::fprintf(stderr, "DQX7460: %s\n", text.c_str());
}

}  // namespace dqx7460
