#include "windows_platform.h"

#include "platform.h"

namespace dqx7460 {

HANDLE WindowsDriver::Open(int instance) {
    const std::string path = "\\\\.\\" + InstanceName(instance);
    HANDLE handle = calls_.createFile(path.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

void WindowsDriver::Close(HANDLE handle) {
    calls_.closeHandle(handle);
}

// The driver takes the input buffer as const in practice; the system call's signature
// does not say so.
bool WindowsDriver::Control(HANDLE handle, std::uint32_t code, const void* in, std::uint32_t inLen,
                            void* out, std::uint32_t outLen, std::uint32_t* returned) {
    DWORD transferred = 0;
    const BOOL ok = calls_.deviceIoControl(handle, code, const_cast<void*>(in), inLen, out, outLen,
                                           &transferred, nullptr);
    if (returned != nullptr) *returned = transferred;
    return ok != FALSE;
}

std::wstring WideFromUtf8(const char* text) {
    const int units = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    if (units <= 1) return std::wstring();
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, &wide[0], units);
    wide.pop_back();
    return wide;
}

Driver& DefaultDriver() {
    static WindowsDriver driver;
    return driver;
}

void ShowMessageWithoutHook(const char* text, const char* caption) {
    MessageBoxW(nullptr, WideFromUtf8(text).c_str(), WideFromUtf8(caption).c_str(), MB_OK);
}

}  // namespace dqx7460
