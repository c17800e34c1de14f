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
    // A vendor request or bulk write whose outcome the operation never examines. A driver
    // that returns true holds it back and sends it, in order, with the handle's next Control
    // or Settle, which also take its reply; false (the default) has the caller make it a
    // Control, so that drivers which watch calls see every one.
    virtual bool Post(HANDLE, std::uint32_t, const void*, std::uint32_t, const void*,
                      std::uint32_t) {
        return false;
    }
    // Sends what Post held back on the handle and waits for its replies. False when the
    // connection failed; the handle is then good only for closing.
    virtual bool Settle(HANDLE) { return true; }
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
