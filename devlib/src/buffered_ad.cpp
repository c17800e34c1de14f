// Buffered A/D acquisition: running the stream, raw block reads and the triggered capture.
#include <algorithm>
#include <chrono>
#include <vector>

#include "DQX7460.h"
#include "card_protocol.h"
#include "deadline.h"

using namespace dqx7460;

namespace {

constexpr WORD kTriggerModeFlag = 0;
constexpr WORD kTriggerModeArmed = 1;
constexpr WORD kSubModePreTrigger = 0;
constexpr WORD kSubModeDelayed = 1;
constexpr std::uint32_t kRingEntries = kStreamBlockWords * 160;
constexpr std::uint32_t kOutputEntries = kStreamBlockWords * 320;
constexpr std::uint32_t kCaptureStoredTarget = 0x28000;
// About four seconds of stream at 250 kHz: a capture that sees no trigger in this many
// blocks gives up.
constexpr int kTriggerWaitBlockLimit = 1024;
// The wait for the trigger and the capture after it take about five seconds of stream.
constexpr std::chrono::milliseconds kCaptureBudget{10000};
constexpr std::uint32_t kSampleWordBytes = 4;
constexpr WORD kLedOff = 0;

struct Capture {
    WORD triggerMode;
    WORD subMode;
    WORD n;
    std::vector<ULONG> ring;
    std::vector<ULONG> output;
    std::uint32_t stored = 0;
    std::uint32_t ringIndex = 0;
    std::uint32_t delayCount = 0;
    bool synchronised = false;
    bool triggered = false;
    bool delayDone = false;

    Capture(WORD mode, WORD sub, WORD length)
        : triggerMode(mode), subMode(sub), n(length), ring(kRingEntries), output(kOutputEntries) {}

    bool PreTrigger() const {
        return triggerMode == kTriggerModeArmed && subMode == kSubModePreTrigger;
    }
    bool Delayed() const { return triggerMode == kTriggerModeArmed && subMode == kSubModeDelayed; }

    void Append(ULONG entry) { output[stored++] = entry; }

    void Examine(ULONG word) {
        if (!synchronised) {
            synchronised = IsStartMarker(word);
            return;
        }
        const bool flagged = (word & kSampleTriggerFlag) != 0;
        if (triggerMode == kTriggerModeFlag) {
            triggered = triggered || flagged;
            if (triggered) Append(word & kSampleCodeAndChannel);
        } else if (PreTrigger()) {
            if (triggered) {
                Append(word & kSampleCodeChannelTrigger);
                return;
            }
            ring[ringIndex] = word & kSampleCodeChannelTrigger;
            ringIndex = (ringIndex + 1) % n;
            if (flagged) {
                stored += n;
                triggered = true;
            }
        } else if (Delayed()) {
            if (!triggered) {
                triggered = flagged;
            } else if (!delayDone) {
                delayDone = delayCount == n;
                ++delayCount;
            } else {
                Append(word & kSampleCodeAndChannel);
            }
        }
    }

    // The n most recent words before and including the triggering word, oldest first;
    // ring slots never written give 0.
    void UnrollRing() {
        for (std::uint32_t entry = 0; entry < n; ++entry) {
            output[entry] = ring[ringIndex];
            ringIndex = (ringIndex + 1) % n;
        }
    }
};

}  // namespace

extern "C" {

LONG DQX7460_StartAd(HANDLE handle) {
    const OperationScope operation;
    PostRegister(handle, kRegAdRun, kAdRunStart);
    PostRegister(handle, kRegTrigger, kPulseOn);
    return WriteRegister(handle, kRegTrigger, kPulseOff) ? 0 : 1;
}

LONG DQX7460_StopAd(HANDLE handle) {
    const OperationScope operation;
    return WriteRegister(handle, kRegAdRun, kAdRunStop) ? 0 : 1;
}

LONG DQX7460_FifoClear(HANDLE handle) {
    const OperationScope operation;
    bool on = WriteRegister(handle, kRegFifoClear, kPulseOn);
    bool off = WriteRegister(handle, kRegFifoClear, kPulseOff);
    return on && off ? 0 : 1;
}

LONG DQX7460_SoftTrig(HANDLE handle) {
    const OperationScope operation;
    bool on = WriteRegister(handle, kRegTrigger, kPulseOn);
    bool off = WriteRegister(handle, kRegTrigger, kPulseOff);
    return on && off ? 0 : 1;
}

LONG DQX7460_ADReadData(HANDLE handle, ULONG** buffer, WORD wordCount) {
    const OperationScope operation;
    if (buffer == nullptr || (*buffer == nullptr && wordCount > 0)) return 1;
    return ReadBlock(handle, *buffer, wordCount * kSampleWordBytes) == BlockRead::kRead ? 0 : 1;
}

LONG DQX7460_ADReadData2(HANDLE handle, ULONG* data, WORD count, WORD triggerMode, WORD subMode,
                         WORD n) {
    const OperationScope operation(kCaptureBudget);
    if (triggerMode == kTriggerModeArmed && subMode == kSubModePreTrigger && n == 0) return 1;
    if (data == nullptr && count > 0) return 1;
    Capture capture(triggerMode, subMode, n);
    std::vector<ULONG> block(kStreamBlockWords);
    ULONG* words = block.data();

    DQX7460_LEDTest(handle, kLedOff);
    DQX7460_StartAd(handle);
    bool complete = false;
    int untriggeredBlocks = 0;
    while (!complete) {
        if (!capture.triggered && untriggeredBlocks++ == kTriggerWaitBlockLimit) break;
        if (DQX7460_ADReadData(handle, &words, kStreamBlockWords) != 0) break;
        for (ULONG word : block) capture.Examine(word);
        complete = capture.stored >= kCaptureStoredTarget;
    }
    if (complete) {
        if (capture.PreTrigger()) capture.UnrollRing();
        std::copy_n(capture.output.begin(), count, data);
    }
    DQX7460_StopAd(handle);
    return complete ? 0 : 1;
}

}  // extern "C"
