// Analog input: the scan configuration and single scans read from the A/D stream.
#include <algorithm>
#include <cstring>
#include <vector>

#include "DQX7460.h"
#include "card_protocol.h"
#include "deadline.h"

using namespace dqx7460;

namespace {

// MAIVoltageIn lets the converter settle after the start marker: the 32 words after it
// are not examined.
constexpr std::uint32_t kVoltageSkipAfterMarker = 32;
constexpr std::uint32_t kNoSkipAfterMarker = 0;
constexpr int kScanBlockLimit = 64;
constexpr int kBinaryInBlockLimit = 5;
constexpr std::uint32_t kAiBinaryBlockBytes = 4096;
constexpr std::uint32_t kAiBinaryOffset = 4000;
constexpr std::uint32_t kGetAdVolFirstWord = 1024;
constexpr std::uint32_t kGetAdVolWords = 64;
constexpr WORD kGetAdVolRange = 0;  // always read as -10 V to +10 V
constexpr LONG kBipolar = 1;

WORD Low16(LONG value) {
    return static_cast<WORD>(value);
}

std::uint32_t ScanLength(const AdScanConfig& config) {
    return std::min<std::uint32_t>(config.ChannelCount, kScanListEntries);
}

WORD ScanModeValue(const AdScanConfig& config) {
    const WORD bit2 = static_cast<WORD>((config.Reg7Bit2 & 1) << kScanModeBit2Shift);
    const WORD bit3 = static_cast<WORD>((config.Reg7Bit3 & 1) << kScanModeBit3Shift);
    switch (config.Reg7Mode) {
        case 0:
            return bit3 | bit2 | kScanModeSelector0;
        case 1:
            return bit3 | bit2 | kScanModeSelector1;
        case 2:
            return bit3 | bit2 | kScanModeSelector2;
        case 3:
            return bit3 | bit2 | kScanModeSelector3;
        default:
            return bit2;
    }
}

// Reads the running stream block by block until every listed channel has delivered one
// sample after the start marker; store(i, word) receives the sample of list entry i.
// False when a block cannot be read or blockLimit blocks pass without a complete scan.
template <typename Store>
bool ReadScan(HANDLE handle, const AdScanConfig& config, std::uint32_t skipAfterMarker,
              int blockLimit, Store store) {
    const std::uint32_t length = ScanLength(config);
    std::vector<ULONG> block(kStreamBlockWords);
    ULONG* words = block.data();
    bool synchronised = false;
    std::uint32_t next = 0;
    for (int blocks = 0; blocks < blockLimit; ++blocks) {
        if (DQX7460_ADReadData(handle, &words, kStreamBlockWords) != 0) return false;
        std::uint32_t position = 0;
        while (position < kStreamBlockWords) {
            const ULONG word = block[position];
            if (!synchronised) {
                synchronised = IsStartMarker(word);
                position += synchronised ? 1 + skipAfterMarker : 1;
                continue;
            }
            if (next < length && SampleChannel(word) == config.ChannelList[next]) {
                store(next, word);
                ++next;
            }
            if (next == length) return true;
            ++position;
        }
    }
    return false;
}

// Reset, configuration and start, shared by every single scan.
void StartScan(HANDLE handle, const AdScanConfig& config) {
    PostResetPulse(handle);
    DQX7460_AIConfig(handle, config);
    DQX7460_StartAd(handle);
}

void StopScan(HANDLE handle) {
    PostRegister(handle, kRegReadSource, kSourceAdStream);
    DQX7460_StopAd(handle);
}

// The record of a one-channel scan; fields the caller does not name are zero.
AdScanConfig OneChannelConfig(WORD channel, WORD rangeCode, LONG bipolar, LONG reg4Value) {
    AdScanConfig config{};
    config.RangeCode[channel] = rangeCode;
    config.Reg4Value = reg4Value;
    config.Bipolar = bipolar;
    config.ChannelList[0] = channel;
    config.ChannelCount = 1;
    return config;
}

}  // namespace

namespace dqx7460 {

bool CodeToVolts(WORD code, WORD rangeCode, bool bipolar, double* volts) {
    const RangeRow* row = FindRangeRow(rangeCode, bipolar);
    if (row == nullptr) return false;
    *volts = static_cast<double>(code * row->span / kCodeSteps - row->offset);
    return true;
}

}  // namespace dqx7460

extern "C" {

// The list is written one entry past the count: the card takes its scan length from that
// extra write. For a full list of 32 the extra write lands on register 85 with the count.
LONG DQX7460_AIConfig(HANDLE handle, AdScanConfig config) {
    const OperationScope operation;
    PostRegister(handle, kRegScanValue10, config.Reg10Value);
    PostRegister(handle, kRegScanValue4, Low16(config.Reg4Value));
    PostRegister(handle, kRegPolarity, Low16(config.Bipolar));
    for (WORD channel = 0; channel < kPhysicalChannels; ++channel) {
        PostRegister(handle, kRegRangeFirst + channel, config.RangeCode[channel]);
    }
    PostRegister(handle, kRegScanCount, config.ChannelCount);
    const std::uint32_t listWrites = ScanLength(config) + 1;
    for (WORD entry = 0; entry < listWrites; ++entry) {
        WORD value = entry < kScanListEntries ? config.ChannelList[entry] : config.ChannelCount;
        PostRegister(handle, kRegScanListFirst + entry, value);
    }
    PostRegister(handle, kRegScanMode, ScanModeValue(config));
    return 0;
}

LONG DQX7460_AIConfig2(HANDLE handle, WORD rangeCode, WORD reg4Value, WORD bipolar, WORD reg7Mode,
                       WORD reg7Bit2, WORD reg7Bit3, WORD reg10Value, WORD firstChannel,
                       WORD channelCount) {
    AdScanConfig config{};
    std::fill(std::begin(config.RangeCode), std::end(config.RangeCode), rangeCode);
    config.Reg4Value = reg4Value;
    config.Bipolar = bipolar;
    config.Reg7Mode = reg7Mode;
    config.Reg7Bit2 = reg7Bit2;
    config.Reg7Bit3 = reg7Bit3;
    config.Reg10Value = reg10Value;
    config.ChannelCount = channelCount;
    for (WORD entry = 0; entry < ScanLength(config); ++entry) {
        config.ChannelList[entry] = static_cast<WORD>(firstChannel + entry);
    }
    return DQX7460_AIConfig(handle, config);
}

LONG DQX7460_MAIVoltageIn(HANDLE handle, AdScanRequest* request) {
    if (request == nullptr || (request->Results == nullptr && ScanLength(request->Config) > 0)) {
        return 1;
    }
    const OperationScope operation;
    const AdScanConfig& config = request->Config;
    double* results = static_cast<double*>(request->Results);
    StartScan(handle, config);
    bool complete =
        ReadScan(handle, config, kVoltageSkipAfterMarker, kScanBlockLimit,
                 [&](std::uint32_t entry, ULONG word) {
                     double volts = 0.0;
                     if (CodeToVolts(SampleCode(word), config.RangeCode[SampleChannel(word)],
                                     config.Bipolar == kBipolar, &volts)) {
                         results[entry] = volts;
                     }
                 });
    StopScan(handle);
    return complete ? 0 : 1;
}

LONG DQX7460_MAIBinaryIn(HANDLE handle, AdScanRequest* request) {
    if (request == nullptr || (request->Results == nullptr && ScanLength(request->Config) > 0)) {
        return 1;
    }
    const OperationScope operation;
    const AdScanConfig& config = request->Config;
    WORD* results = static_cast<WORD*>(request->Results);
    StartScan(handle, config);
    bool complete =
        ReadScan(handle, config, kNoSkipAfterMarker, kScanBlockLimit,
                 [&](std::uint32_t entry, ULONG word) { results[entry] = SampleCode(word); });
    StopScan(handle);
    return complete ? 0 : 1;
}

LONG DQX7460_AIVoltageIn(HANDLE handle, AiPointRequest* request) {
    if (request == nullptr || request->Result == nullptr || request->Channel >= kPhysicalChannels) {
        return 1;
    }
    const OperationScope operation;
    const AdScanConfig config = OneChannelConfig(request->Channel, request->RangeCode,
                                                 request->Bipolar, request->Reg4Value);
    StartScan(handle, config);
    bool complete = ReadScan(handle, config, kNoSkipAfterMarker, kScanBlockLimit,
                             [&](std::uint32_t, ULONG word) {
                                 double volts = 0.0;
                                 if (CodeToVolts(SampleCode(word), request->RangeCode,
                                                 request->Bipolar == kBipolar, &volts)) {
                                     *request->Result = static_cast<float>(volts);
                                 }
                             });
    StopScan(handle);
    return complete ? 0 : 1;
}

// The range code applies to the sampled channel. On success the A/D is left running.
LONG DQX7460_AIBinaryIn2(HANDLE handle, LONG reg4Value, LONG bipolar, WORD channel, WORD rangeCode,
                         WORD* code) {
    if (code == nullptr || channel >= kPhysicalChannels) return 1;
    const OperationScope operation;
    AdScanConfig config = OneChannelConfig(channel, rangeCode, bipolar, reg4Value);
    // Callers written for range code slot 0 find their range there as well.
    config.RangeCode[0] = rangeCode;
    StartScan(handle, config);
    bool complete = ReadScan(handle, config, kNoSkipAfterMarker, kBinaryInBlockLimit,
                             [&](std::uint32_t, ULONG word) { *code = SampleCode(word); });
    if (!complete) return 1;
    PostRegister(handle, kRegReadSource, kSourceAdStream);
    DQX7460_StartAd(handle);
    return 0;
}

LONG DQX7460_AIBinaryIn(HANDLE handle, AdScanRequest* request) {
    if (request == nullptr || request->Results == nullptr) return 1;
    const OperationScope operation;
    PostResetPulse(handle);
    DQX7460_AIConfig(handle, request->Config);
    std::vector<std::uint8_t> block(kAiBinaryBlockBytes);
    if (!SendReadArm(handle)) return 1;
    DQX7460_StartAd(handle);
    bool read = BulkRead(handle, block.data(), kAiBinaryBlockBytes);
    StopScan(handle);
    if (read) {
        std::memcpy(request->Results, &block[kAiBinaryOffset], DQX7460_AI_BINARY_BYTES);
    }
    return read ? 0 : 1;
}

LONG DQX7460_GetAdVol(float* volts, WORD channel, ULONG* buffer) {
    if (volts == nullptr || buffer == nullptr) return 0;
    for (std::uint32_t index = kGetAdVolFirstWord; index < kGetAdVolFirstWord + kGetAdVolWords;
         ++index) {
        if (SampleChannel(buffer[index]) == channel) {
            double value = 0.0;
            CodeToVolts(SampleCode(buffer[index]), kGetAdVolRange, true, &value);
            *volts = static_cast<float>(value);
            return 0;
        }
    }
    return 0;
}

LONG DQX7460_MAIConfig(HANDLE handle, ReadSourceRecord* record) {
    const OperationScope operation;
    if (record == nullptr || record->Source == nullptr) return 1;
    return WriteRegister(handle, kRegReadSource, *record->Source) ? 0 : 1;
}

}  // extern "C"
