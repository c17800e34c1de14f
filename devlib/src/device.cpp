// Operations on the device as a whole: open, close, reset, LED test, feature query, and the
// exports that do nothing; the message hook.
#include <algorithm>
#include <atomic>
#include <vector>

#include "DQX7460.h"
#include "card_protocol.h"
#include "deadline.h"
#include "platform.h"

using namespace dqx7460;

namespace {

constexpr ULONG kHighestDeviceNumber = 15;
constexpr int kInstanceCount = 16;
constexpr const char* kBadDeviceNumberText = "设备号不正确，必须为0-15!";

constexpr WORD kFeatureSlot0 = 16;
constexpr WORD kFeatureSlot1 = 32;
constexpr WORD kFeatureSlot6 = 4;
constexpr WORD kFeatureSlot7 = 1;
constexpr WORD kFeatureSlot8 = 16;
constexpr WORD kFeatureSlot9 = 2;
constexpr WORD kFeatureWord = 942;

std::atomic<dqx7460_message_hook> g_messageHook{nullptr};

}  // namespace

namespace dqx7460 {

void ShowMessage(const char* text, const char* caption) {
    dqx7460_message_hook hook = g_messageHook.load();
    if (hook != nullptr) {
        hook(text, caption);
    } else {
        ShowMessageWithoutHook(text, caption);
    }
}

}  // namespace dqx7460

extern "C" {

void dqx7460_set_message_hook(dqx7460_message_hook hook) {
    g_messageHook.store(hook);
}

// Searches the sixteen driver instances for the card that reports the number. A block
// whose read failed reports no number, so such an instance never matches.
LONG DQX7460_DeviceOpen(ULONG deviceNumber, HANDLE* handle) {
    const OperationScope operation;
    if (deviceNumber > kHighestDeviceNumber) {
        ShowMessage(kBadDeviceNumberText, kErrorCaption);
        return 1;
    }
    if (handle == nullptr) return 1;
    std::vector<std::uint8_t> block(kDeviceNumberBlockBytes);
    for (int instance = 0; instance < kInstanceCount; ++instance) {
        *handle = OpenInstance(instance);
        if (*handle == nullptr) continue;

        PostResetPulse(*handle);
        PostRegister(*handle, kRegReadSource, kSourceDeviceNumber);
        std::fill(block.begin(), block.end(), 0);
        BlockRead read = ReadBlock(*handle, block.data(), kDeviceNumberBlockBytes);
        if (read == BlockRead::kArmFailed) {
            CloseInstance(*handle);
            *handle = nullptr;
            return 1;
        }
        if (read == BlockRead::kRead && ReadLe16(&block[kDeviceNumberOffset]) == deviceNumber) {
            PostRegister(*handle, kRegReadSource, kSourceAdStream);
            return 0;
        }
        PostResetPulse(*handle);
        CloseInstance(*handle);
    }
    *handle = nullptr;
    return 1;
}

LONG DQX7460_DeviceClose(HANDLE handle) {
    CloseInstance(handle);
    return 0;
}

LONG DQX7460_Reset(HANDLE handle) {
    const OperationScope operation;
    return ResetPulse(handle) ? 0 : 1;
}

LONG DQX7460_LEDTest(HANDLE handle, WORD value) {
    const OperationScope operation;
    return WriteRegister(handle, kRegLed, value) ? 0 : 1;
}

LONG DQX7460_DeviceGetFeatures(HANDLE, FeatureQuery* query) {
    if (query == nullptr || query->Block == nullptr) return 1;
    query->Block->Slot[0] = kFeatureSlot0;
    query->Block->Slot[1] = kFeatureSlot1;
    query->Block->Slot[6] = kFeatureSlot6;
    query->Block->Slot[7] = kFeatureSlot7;
    query->Block->Slot[8] = kFeatureSlot8;
    query->Block->Slot[9] = kFeatureSlot9;
    query->Word = kFeatureWord;
    return 0;
}

LONG DQX7460_SelectDevice(LONG, LONG) {
    return 0;
}

LONG DQX7460_DeviceConfig(HANDLE, void*) {
    return 0;
}

LONG DQX7460_GetErrorMessage(LONG, LONG) {
    return 0;
}

}  // extern "C"
