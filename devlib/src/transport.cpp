// The seam to the driver and the two primitives built on its device-control calls.
#include <atomic>
#include <cstdint>

#include "card_protocol.h"
#include "driver.h"
#include "platform.h"

namespace dqx7460 {
namespace {

std::atomic<Driver*> g_installedDriver{nullptr};

Driver& CurrentDriver() {
    Driver* installed = g_installedDriver.load(std::memory_order_acquire);
    return installed != nullptr ? *installed : DefaultDriver();
}

// The reserved bits, the padding and the 16-byte data stage carry nothing: zeros.
bool SendArmRequest(HANDLE handle, std::uint8_t request) {
    if (handle == nullptr) return false;
    std::uint8_t setup[kVendorRequestBytes] = {};
    setup[kVendorOffsetDirection] = kVendorDirectionHostToDevice;
    setup[kVendorOffsetType] = kVendorTypeVendor;
    setup[kVendorOffsetRecipient] = kVendorRecipientDevice;
    setup[kVendorOffsetRequest] = request;
    WriteLe16(setup + kVendorOffsetValue, kVendorValue);
    WriteLe16(setup + kVendorOffsetIndex, kVendorIndex);
    std::uint8_t dataStage[kVendorDataStageBytes] = {};
    std::uint32_t returned = 0;
    return CurrentDriver().Control(handle, kIoctlVendorRequest, setup, sizeof setup, dataStage,
                                   sizeof dataStage, &returned);
}

}  // namespace

void SetDriver(Driver* driver) {
    g_installedDriver.store(driver, std::memory_order_release);
}

HANDLE OpenInstance(int instance) {
    return CurrentDriver().Open(instance);
}

void CloseInstance(HANDLE handle) {
    if (handle != nullptr) CurrentDriver().Close(handle);
}

bool WriteRegister(HANDLE handle, WORD reg, WORD value) {
    if (!SendArmRequest(handle, kRequestWriteArm)) return false;
    std::uint8_t pipe[kPipeNumberBytes];
    WriteLe32(pipe, kPipeBulkOut);
    std::uint8_t data[kRegisterWriteBytes];
    WriteLe16(data, reg);
    WriteLe16(data + 2, value);
    std::uint32_t returned = 0;
    return CurrentDriver().Control(handle, kIoctlBulkWrite, pipe, sizeof pipe, data, sizeof data,
                                   &returned);
}

bool SendReadArm(HANDLE handle) {
    return SendArmRequest(handle, kRequestReadArm);
}

bool BulkRead(HANDLE handle, void* block, std::uint32_t bytes) {
    if (handle == nullptr) return false;
    std::uint8_t pipe[kPipeNumberBytes];
    WriteLe32(pipe, kPipeBulkIn);
    std::uint32_t returned = 0;
    return CurrentDriver().Control(handle, kIoctlBulkRead, pipe, sizeof pipe, block, bytes,
                                   &returned);
}

BlockRead ReadBlock(HANDLE handle, void* block, std::uint32_t bytes) {
    if (!SendReadArm(handle)) return BlockRead::kArmFailed;
    return BulkRead(handle, block, bytes) ? BlockRead::kRead : BlockRead::kReadFailed;
}

bool ResetPulse(HANDLE handle) {
    bool on = WriteRegister(handle, kRegReset, kPulseOn);
    bool off = WriteRegister(handle, kRegReset, kPulseOff);
    return on && off;
}

}  // namespace dqx7460
