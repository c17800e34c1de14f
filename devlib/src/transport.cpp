// The seam to the driver, the deadlines of calls and operations, and the two primitives
// built on the device-control calls.
#include <algorithm>
#include <atomic>
#include <cstdint>

#include "card_protocol.h"
#include "deadline.h"
#include "driver.h"
#include "platform.h"

namespace dqx7460 {
namespace {

std::atomic<Driver*> g_installedDriver{nullptr};
std::atomic<long long> g_requestTimeoutMs{kDefaultRequestTimeout.count()};
std::atomic<long long> g_operationBudgetMs{kDefaultOperationBudget.count()};

// Each thread runs its own operations (the program's window and its capture worker).
thread_local int t_operationDepth = 0;
thread_local Clock::time_point t_operationDeadline = Clock::time_point::max();

Driver& CurrentDriver() {
    Driver* installed = g_installedDriver.load(std::memory_order_acquire);
    return installed != nullptr ? *installed : DefaultDriver();
}

// Every device-control call of the library passes here: once the operation has overrun
// its deadline the rest of its calls fail without being sent.
bool Call(HANDLE handle, std::uint32_t code, const void* in, std::uint32_t inLen, void* out,
          std::uint32_t outLen, std::uint32_t* returned) {
    if (OperationExpired()) {
        *returned = 0;
        return false;
    }
    return CurrentDriver().Control(handle, code, in, inLen, out, outLen, returned);
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
    return Call(handle, kIoctlVendorRequest, setup, sizeof setup, dataStage, sizeof dataStage,
                &returned);
}

}  // namespace

void SetRequestTimeout(std::chrono::milliseconds timeout) {
    g_requestTimeoutMs = timeout.count();
}

void SetOperationBudget(std::chrono::milliseconds budget) {
    g_operationBudgetMs = budget.count();
}

std::chrono::milliseconds OperationBudget() {
    return std::chrono::milliseconds(g_operationBudgetMs.load());
}

Clock::time_point RequestDeadline() {
    const Clock::time_point own =
        Clock::now() + std::chrono::milliseconds(g_requestTimeoutMs.load());
    return std::min(own, t_operationDeadline);
}

bool OperationExpired() {
    return t_operationDepth > 0 && Clock::now() >= t_operationDeadline;
}

OperationScope::OperationScope(std::chrono::milliseconds budget) {
    if (t_operationDepth++ > 0) return;
    if (budget == std::chrono::milliseconds::zero()) budget = OperationBudget();
    t_operationDeadline = Clock::now() + budget;
}

OperationScope::~OperationScope() {
    if (--t_operationDepth == 0) t_operationDeadline = Clock::time_point::max();
}

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
    return Call(handle, kIoctlBulkWrite, pipe, sizeof pipe, data, sizeof data, &returned);
}

bool SendReadArm(HANDLE handle) {
    return SendArmRequest(handle, kRequestReadArm);
}

bool BulkRead(HANDLE handle, void* block, std::uint32_t bytes) {
    if (handle == nullptr) return false;
    std::uint8_t pipe[kPipeNumberBytes];
    WriteLe32(pipe, kPipeBulkIn);
    // A block that arrives short would read as zeros where the card's data should be.
    std::uint32_t returned = 0;
    return Call(handle, kIoctlBulkRead, pipe, sizeof pipe, block, bytes, &returned) &&
           returned == bytes;
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
