// The library's one seam to the driver: every device-control call of every operation goes
// through the installed Driver. By default it is the platform's driver (platform.h); tests
// of the static library install an in-process one.
#pragma once

#include <cstdint>
#include <string>

#include "DQX7460.h"

namespace dqx7460 {

constexpr std::uint32_t kIoctlVendorRequest = 0x00222059;  // data stage host to device
constexpr std::uint32_t kIoctlBulkWrite = 0x00222051;
constexpr std::uint32_t kIoctlBulkRead = 0x0022204E;

// The name of driver instance 0..15: "EZUSB-" and one upper-case hexadecimal digit.
inline std::string InstanceName(int instance) {
    return std::string("EZUSB-") + "0123456789ABCDEF"[instance & 0xF];
}

class Driver {
  public:
    virtual ~Driver() = default;
    // Opens driver instance EZUSB-<instance> (0..15); nullptr when there is none.
    virtual HANDLE Open(int instance) = 0;
    virtual void Close(HANDLE handle) = 0;
    // One device-control call: the input buffer goes to the driver; for the vendor request
    // and the bulk write the output buffer goes to the device too; a bulk read fills the
    // output buffer. False when the call failed; *returned is the byte count transferred.
    virtual bool Control(HANDLE handle, std::uint32_t code, const void* in, std::uint32_t inLen,
                         void* out, std::uint32_t outLen, std::uint32_t* returned) = 0;
};

// Passes every call to another driver. Drivers that watch or alter some calls derive from
// it and override Control, calling ForwardingDriver::Control for the calls they pass on.
class ForwardingDriver : public Driver {
  public:
    explicit ForwardingDriver(Driver& inner) : inner_(inner) {}
    HANDLE Open(int instance) override { return inner_.Open(instance); }
    void Close(HANDLE handle) override { inner_.Close(handle); }
    bool Control(HANDLE handle, std::uint32_t code, const void* in, std::uint32_t inLen, void* out,
                 std::uint32_t outLen, std::uint32_t* returned) override {
        return inner_.Control(handle, code, in, inLen, out, outLen, returned);
    }

  private:
    Driver& inner_;
};

// Installs the driver every operation uses; nullptr restores the platform's default.
// Not exported from the shared library.
void SetDriver(Driver* driver);

}  // namespace dqx7460
