// Digital I/O and the four counters.
#include <cstring>
#include <vector>

#include "DQX7460.h"
#include "card_protocol.h"
#include "deadline.h"

using namespace dqx7460;

namespace {

constexpr int kCounterBlockLimit = 64;
constexpr unsigned kHalfShift = 16;
constexpr ULONG kHalfMask = 0xFFFF;
constexpr WORD kNoCounters = 0;
constexpr WORD kCleared = 0;

WORD CounterRegister(WORD counter, WORD offset) {
    return static_cast<WORD>(kRegCounterFirst + kCounterStride * counter + offset);
}

WORD FlagMask(LONG flag0, LONG flag1, LONG flag2, LONG flag3) {
    return static_cast<WORD>((flag0 & 1) | (flag1 & 1) << 1 | (flag2 & 1) << 2 | (flag3 & 1) << 3);
}

// The card loads one less than the low half it receives; a zero low half goes as zero,
// without borrowing from the high half.
WORD CountLowHalf(ULONG count) {
    WORD low = static_cast<WORD>(count & kHalfMask);
    return low != 0 ? static_cast<WORD>(low - 1) : low;
}

WORD CountHighHalf(ULONG count) {
    return static_cast<WORD>(count >> kHalfShift);
}

// Reset pulse, digital input source, one block; the input word when the read succeeded.
LONG ReadInputWord(HANDLE handle, WORD* value) {
    PostResetPulse(handle);
    PostRegister(handle, kRegReadSource, kSourceDigitalIn);
    std::vector<std::uint8_t> block(kDigitalInBlockBytes);
    BlockRead read = ReadBlock(handle, block.data(), kDigitalInBlockBytes);
    if (read == BlockRead::kArmFailed) return 1;
    if (read == BlockRead::kRead) *value = ReadLe16(&block[kDigitalInWordOffset]);
    PostRegister(handle, kRegReadSource, kSourceAdStream);
    return read == BlockRead::kRead ? 0 : 1;
}

// The first start index whose odd words carry the tags 0..7 holds the frame.
bool FindCounterFrame(const std::vector<std::uint8_t>& block, ULONG (&counts)[kCounterCount]) {
    auto word = [&](std::uint32_t index) { return ReadLe16(&block[index * sizeof(WORD)]); };
    for (std::uint32_t start = kCounterFrameFirstIndex; start <= kCounterFrameLastIndex; ++start) {
        std::uint32_t tag = 0;
        while (tag < kCounterFrameTags && word(start + 2 * tag + 1) == tag) ++tag;
        if (tag < kCounterFrameTags) continue;
        for (std::uint32_t counter = 0; counter < kCounterCount; ++counter) {
            counts[counter] = word(start + 4 * counter) |
                              static_cast<ULONG>(word(start + 4 * counter + 2)) << kHalfShift;
        }
        return true;
    }
    return false;
}

// Reads blocks until one holds a frame, at most kCounterBlockLimit of them. Without all four
// outputs nothing is sent.
LONG ReadCounters(HANDLE handle, ULONG* count0, ULONG* count1, ULONG* count2, ULONG* count3) {
    if (count0 == nullptr || count1 == nullptr || count2 == nullptr || count3 == nullptr) return 1;
    const OperationScope operation;
    PostResetPulse(handle);
    PostRegister(handle, kRegReadSource, kSourceCounters);
    std::vector<std::uint8_t> block(kCounterBlockBytes);
    ULONG counts[kCounterCount] = {};
    bool found = false;
    for (int blocks = 0; blocks < kCounterBlockLimit && !found; ++blocks) {
        BlockRead read = ReadBlock(handle, block.data(), kCounterBlockBytes);
        if (read == BlockRead::kArmFailed) return 1;
        if (read == BlockRead::kReadFailed) break;
        found = FindCounterFrame(block, counts);
    }
    if (found) {
        ULONG* outputs[kCounterCount] = {count0, count1, count2, count3};
        for (WORD counter = 0; counter < kCounterCount; ++counter)
            *outputs[counter] = counts[counter];
    }
    PostRegister(handle, kRegReadSource, kSourceAdStream);
    return found ? 0 : 1;
}

}  // namespace

extern "C" {

LONG DQX7460_DioWriteWord2(HANDLE handle, WORD value) {
    const OperationScope operation;
    return WriteRegister(handle, kRegDigitalOut, value) ? 0 : 1;
}

LONG DQX7460_DioWriteWord(HANDLE handle, DioWordRecord* record) {
    if (record == nullptr) return 1;
    return DQX7460_DioWriteWord2(handle, record->OutputValue);
}

LONG DQX7460_DioReadWord2(HANDLE handle, WORD* value) {
    const OperationScope operation;
    if (value == nullptr) return 1;
    return ReadInputWord(handle, value);
}

LONG DQX7460_DioReadWord(HANDLE handle, DioWordRecord* record) {
    const OperationScope operation;
    if (record == nullptr) return 1;
    WORD value = 0;
    LONG result = ReadInputWord(handle, &value);
    if (result == 0) record->Result = value;
    return result;
}

// Register 1 is held at 1 around the two-byte read.
LONG DQX7460_DIOInput(HANDLE handle, WORD* value) {
    const OperationScope operation;
    if (value == nullptr) return 1;
    PostRegister(handle, kRegReset, kPulseOn);
    std::uint8_t bytes[kDirectInputBytes] = {};
    if (!SendReadArm(handle)) return 1;
    bool read = BulkRead(handle, bytes, kDirectInputBytes);
    PostRegister(handle, kRegReset, kPulseOff);
    if (read) *value = ReadLe16(bytes);
    return read ? 0 : 1;
}

LONG DQX7460_DioGetCurrentDOWord(HANDLE, WORD*) {
    return 0;
}

LONG DQX7460_SetCounter(HANDLE handle, WORD counter, CounterConfig config) {
    const OperationScope operation;
    if (counter >= kCounterCount) return 0;
    const WORD mode =
        static_cast<WORD>(config.Mode | (config.Flag & 1) << kCounterFlagShift |
                          (config.Select & kCounterSelectMask) << kCounterSelectShift);
    PostRegister(handle, CounterRegister(counter, kCounterMode), mode);
    PostRegister(handle, CounterRegister(counter, kCounterCount1Low), CountLowHalf(config.Count1));
    PostRegister(handle, CounterRegister(counter, kCounterCount1High),
                 CountHighHalf(config.Count1));
    PostRegister(handle, CounterRegister(counter, kCounterCount2Low), CountLowHalf(config.Count2));
    PostRegister(handle, CounterRegister(counter, kCounterCount2High),
                 CountHighHalf(config.Count2));
    PostRegister(handle, CounterRegister(counter, kCounterLoadStrobe), kPulseOff);
    PostRegister(handle, CounterRegister(counter, kCounterLoadStrobe), kPulseOn);
    return 0;
}

LONG DQX7460_SetCounter2(HANDLE handle, WORD counter, WORD mode, LONG flag, WORD select,
                         ULONG count1, ULONG count2) {
    CounterConfig config{};
    config.Mode = mode;
    config.Flag = flag;
    config.Select = select;
    config.Count1 = count1;
    config.Count2 = count2;
    return DQX7460_SetCounter(handle, counter, config);
}

LONG DQX7460_StartCounter(HANDLE handle, LONG flag0, LONG flag1, LONG flag2, LONG flag3) {
    const OperationScope operation;
    PostRegister(handle, kRegCounterStartMask, kNoCounters);
    PostRegister(handle, kRegCounterStartMask, FlagMask(flag0, flag1, flag2, flag3));
    return 0;
}

// A counter is cleared when its flag is non-zero at all, even where bit 0 (its stop mask
// bit) is clear.
LONG DQX7460_StopCounter(HANDLE handle, LONG flag0, LONG flag1, LONG flag2, LONG flag3) {
    const OperationScope operation;
    PostRegister(handle, kRegCounterStopMask, kNoCounters);
    PostRegister(handle, kRegCounterStopMask, FlagMask(flag0, flag1, flag2, flag3));
    const LONG flags[kCounterCount] = {flag0, flag1, flag2, flag3};
    static constexpr WORD kClearOrder[] = {kCounterMode,       kCounterCount1Low,
                                           kCounterCount1High, kCounterCount2Low,
                                           kCounterCount2High, kCounterLoadStrobe};
    for (WORD counter = 0; counter < kCounterCount; ++counter) {
        if (flags[counter] == 0) continue;
        for (WORD offset : kClearOrder)
            PostRegister(handle, CounterRegister(counter, offset), kCleared);
    }
    return 0;
}

LONG DQX7460_ReadBackCount2(HANDLE handle, ULONG* count0, ULONG* count1, ULONG* count2,
                            ULONG* count3) {
    return ReadCounters(handle, count0, count1, count2, count3);
}

LONG DQX7460_ReadBackCount(HANDLE handle, ULONG* count0, ULONG* count1, ULONG* count2,
                           ULONG* count3) {
    return ReadCounters(handle, count0, count1, count2, count3);
}

LONG DQX7460_SetCounterGate(HANDLE, WORD) {
    return 0;
}

LONG DQX7460_SetCounterValue(HANDLE, WORD, ULONG) {
    return 0;
}

}  // extern "C"
