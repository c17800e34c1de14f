// The Windows side of the library: the vendor's kernel driver reached through CreateFileA and
// one synchronous DeviceIoControl per request, and the message box.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

#include "driver.h"

namespace dqx7460 {

// The three system calls the driver makes; tests put recording ones in their place.
struct KernelCalls {
    decltype(&::CreateFileA) createFile = ::CreateFileA;
    decltype(&::DeviceIoControl) deviceIoControl = ::DeviceIoControl;
    decltype(&::CloseHandle) closeHandle = ::CloseHandle;
};

// Instance EZUSB-<d> is the device \\.\EZUSB-<d>, opened for writing and shared for writing,
// as the vendor's driver expects; requests are never overlapped.
class WindowsDriver : public Driver {
  public:
    explicit WindowsDriver(KernelCalls calls = KernelCalls()) : calls_(calls) {}
    HANDLE Open(int instance) override;
    void Close(HANDLE handle) override;
    bool Control(HANDLE handle, std::uint32_t code, const void* in, std::uint32_t inLen, void* out,
                 std::uint32_t outLen, std::uint32_t* returned) override;

  private:
    KernelCalls calls_;
};

// UTF-16 for the wide Windows calls; invalid UTF-8 becomes U+FFFD.
std::wstring WideFromUtf8(const char* text);

}  // namespace dqx7460
