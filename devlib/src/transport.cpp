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
// The handle whose driver holds calls of this thread's operation back, until it settles.
thread_local HANDLE t_postedOn = nullptr;

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

void SettlePosted() {
    if (t_postedOn == nullptr) return;
    CurrentDriver().Settle(t_postedOn);
    t_postedOn = nullptr;
}

// A call whose outcome nobody examines, held back by the driver where it can: it goes with
// the next call that waits for the card, so that a configuration of forty registers costs
// one exchange with the card instead of eighty. The operation settles it before it returns.
// False when the driver sends nothing of it (or the operation is over): make it a Call.
bool TryPost(HANDLE handle, std::uint32_t code, const void* in, std::uint32_t inLen,
             const void* out, std::uint32_t outLen) {
    if (t_operationDepth == 0 || OperationExpired()) return false;
    if (t_postedOn != nullptr && t_postedOn != handle) SettlePosted();
    if (!CurrentDriver().Post(handle, code, in, inLen, out, outLen)) return false;
    t_postedOn = handle;
    return true;
}

// The reserved bits, the padding and the 16-byte data stage carry nothing: zeros.
struct ArmRequest {
    explicit ArmRequest(std::uint8_t request) {
        setup[kVendorOffsetDirection] = kVendorDirectionHostToDevice;
        setup[kVendorOffsetType] = kVendorTypeVendor;
        setup[kVendorOffsetRecipient] = kVendorRecipientDevice;
        setup[kVendorOffsetRequest] = request;
        WriteLe16(setup + kVendorOffsetValue, kVendorValue);
        WriteLe16(setup + kVendorOffsetIndex, kVendorIndex);
    }
    std::uint8_t setup[kVendorRequestBytes] = {};
    std::uint8_t dataStage[kVendorDataStageBytes] = {};
};

bool SendArmRequest(HANDLE handle, std::uint8_t request) {
    if (handle == nullptr) return false;
    ArmRequest arm(request);
    std::uint32_t returned = 0;
    return Call(handle, kIoctlVendorRequest, arm.setup, sizeof arm.setup, arm.dataStage,
                sizeof arm.dataStage, &returned);
}

struct RegisterWrite {
    RegisterWrite(WORD reg, WORD value) {
        WriteLe32(pipe, kPipeBulkOut);
        WriteLe16(data, reg);
        WriteLe16(data + 2, value);
    }
    std::uint8_t pipe[kPipeNumberBytes];
    std::uint8_t data[kRegisterWriteBytes];
};

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
    if (--t_operationDepth > 0) return;
    // Within the operation's deadline: an operation returns once the card answered all it
    // was sent.
    SettlePosted();
    t_operationDeadline = Clock::time_point::max();
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
    RegisterWrite write(reg, value);
    std::uint32_t returned = 0;
    return Call(handle, kIoctlBulkWrite, write.pipe, sizeof write.pipe, write.data,
                sizeof write.data, &returned);
}

// Where the driver holds calls back, the write goes after its arm request whatever the arm's
// outcome, which is not known yet; elsewhere a failed arm suppresses it as ever.
void PostRegister(HANDLE handle, WORD reg, WORD value) {
    if (handle == nullptr) return;
    ArmRequest arm(kRequestWriteArm);
    if (!TryPost(handle, kIoctlVendorRequest, arm.setup, sizeof arm.setup, arm.dataStage,
                 sizeof arm.dataStage)) {
        WriteRegister(handle, reg, value);
        return;
    }
    RegisterWrite write(reg, value);
    if (!TryPost(handle, kIoctlBulkWrite, write.pipe, sizeof write.pipe, write.data,
                 sizeof write.data)) {
        std::uint32_t returned = 0;
        Call(handle, kIoctlBulkWrite, write.pipe, sizeof write.pipe, write.data, sizeof write.data,
             &returned);
    }
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

void PostResetPulse(HANDLE handle) {
    PostRegister(handle, kRegReset, kPulseOn);
    PostRegister(handle, kRegReset, kPulseOff);
}

}  // namespace dqx7460
