// The card's registers as the library, the simulator and the program all see them:
// register numbers, the two arm requests, read-back sources and block layouts, the A/D
// sample word and the card's input ranges.
#pragma once

#include <cstdint>

#include "DQX7460.h"

// Blocks are read straight into arrays of sample words and 16-bit values.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the card's data is little-endian");

namespace dqx7460 {

// Vendor request on the control endpoint (10-byte input buffer).
constexpr std::uint8_t kVendorDirectionHostToDevice = 0;
constexpr std::uint8_t kVendorTypeVendor = 2;
constexpr std::uint8_t kVendorRecipientDevice = 0;
constexpr std::uint8_t kRequestWriteArm = 0xBA;
constexpr std::uint8_t kRequestReadArm = 0xBB;
constexpr WORD kVendorValue = 0x0000;
constexpr WORD kVendorIndex = 0xBEEF;
constexpr std::uint32_t kVendorRequestBytes = 10;
constexpr std::uint32_t kVendorDataStageBytes = 16;
constexpr std::uint32_t kVendorOffsetDirection = 0;
constexpr std::uint32_t kVendorOffsetType = 1;
constexpr std::uint32_t kVendorOffsetRecipient = 2;
constexpr std::uint32_t kVendorOffsetRequest = 4;
constexpr std::uint32_t kVendorOffsetValue = 6;
constexpr std::uint32_t kVendorOffsetIndex = 8;

// Bulk transfers name their pipe in a 4-byte little-endian input buffer.
constexpr std::uint32_t kPipeBulkOut = 0;
constexpr std::uint32_t kPipeBulkIn = 1;
constexpr std::uint32_t kPipeNumberBytes = 4;

// A register write is one 4-byte bulk OUT: register number, then value, both little-endian.
constexpr std::uint32_t kRegisterWriteBytes = 4;

// Card registers.
constexpr WORD kRegLed = 0;
constexpr WORD kRegReset = 1;
constexpr WORD kRegFifoClear = 2;
constexpr WORD kRegTrigger = 3;
constexpr WORD kRegScanValue4 = 4;
constexpr WORD kRegPolarity = 5;
constexpr WORD kRegReadSource = 6;
constexpr WORD kRegScanMode = 7;
constexpr WORD kRegAdRun = 9;
constexpr WORD kRegScanValue10 = 10;
constexpr WORD kRegRangeFirst = 21;     // + physical channel 0..31
constexpr WORD kRegScanListFirst = 53;  // + scan list index 0..31
constexpr WORD kRegScanCount = 85;
constexpr WORD kRegDaDataBefore = 95;     // + output channel 1..4
constexpr WORD kRegDaControlBefore = 99;  // + output channel 1..4
constexpr WORD kRegDaLength[4] = {104, 105, 112, 113};
constexpr WORD kRegDaRangeBefore = 113;  // + output channel 1..4
constexpr WORD kRegDaStart = 118;
constexpr WORD kRegDaModeBefore = 118;    // + output channel 1..4
constexpr WORD kRegDaDirectBefore = 122;  // + output channel 1..4
constexpr WORD kAnalogOutputCount = 4;
constexpr WORD kRegDigitalOut = 128;
constexpr WORD kRegCounterFirst = 144;  // + kCounterStride * counter 0..3
constexpr WORD kCounterStride = 7;
constexpr WORD kRegCounterStartMask = 150;
constexpr WORD kRegCounterStopMask = 157;

// Registers of one counter's block, relative to its first register.
constexpr WORD kCounterMode = 0;
constexpr WORD kCounterCount1Low = 1;
constexpr WORD kCounterCount1High = 2;
constexpr WORD kCounterLoadStrobe = 3;
constexpr WORD kCounterCount2Low = 4;
constexpr WORD kCounterCount2High = 5;
constexpr WORD kCounterCount = 4;

// Register 7, the scan mode: mode selector in bits 0..1, two flag bits above it.
constexpr unsigned kScanModeBit2Shift = 2;
constexpr unsigned kScanModeBit3Shift = 3;
constexpr WORD kScanModeSelector0 = 0;
constexpr WORD kScanModeSelector1 = 0;  // mode 1 selects the same bits as mode 0
constexpr WORD kScanModeSelector2 = 2;
constexpr WORD kScanModeSelector3 = 3;

// Counter mode word: the flag's bit 0 and the two select bits sit above the mode.
constexpr unsigned kCounterFlagShift = 2;
constexpr unsigned kCounterSelectShift = 3;
constexpr WORD kCounterSelectMask = 0x3;

// Register values with a fixed meaning.
constexpr WORD kPulseOn = 1;
constexpr WORD kPulseOff = 0;
constexpr WORD kAdRunStart = 1;
constexpr WORD kAdRunStop = 0;

// Read-back sources (register 6) and their blocks.
constexpr WORD kSourceAdStream = 0;
constexpr WORD kSourceDigitalIn = 1;
constexpr WORD kSourceCounters = 2;
constexpr WORD kSourceDeviceNumber = 4;
constexpr std::uint32_t kDigitalInBlockBytes = 4096;
constexpr std::uint32_t kDigitalInWordOffset = 4000;
constexpr std::uint32_t kCounterBlockBytes = 4096;
constexpr std::uint32_t kCounterFrameFirstIndex = 1024;  // 16-bit word index
constexpr std::uint32_t kCounterFrameLastIndex = 2031;
constexpr std::uint32_t kCounterFrameTags = 8;
constexpr std::uint32_t kDeviceNumberBlockBytes = 8192;
constexpr std::uint32_t kDeviceNumberOffset = 8000;
constexpr std::uint32_t kDirectInputBytes = 2;

// The A/D stream: one 32-bit little-endian sample word per conversion.
constexpr ULONG kSampleCodeMask = 0xFFFF;
constexpr unsigned kSampleChannelShift = 16;
constexpr ULONG kSampleChannelMask = 0x1F;
constexpr ULONG kSampleTriggerFlag = 1u << 21;
constexpr unsigned kSampleTagShift = 21;
constexpr ULONG kSampleTagMask = 0x7;
constexpr ULONG kStartMarkerTag = 3;
constexpr ULONG kStartMarkerCode = 15;
constexpr ULONG kStartMarker = kStartMarkerTag << kSampleTagShift | kStartMarkerCode;
constexpr ULONG kSampleCodeAndChannel = 0x1FFFFF;      // bits 0..20
constexpr ULONG kSampleCodeChannelTrigger = 0x3FFFFF;  // bits 0..21
constexpr std::uint32_t kStreamBlockWords = 1024;      // the library's own readers
constexpr std::uint32_t kStreamBlockBytes = kStreamBlockWords * 4;
constexpr std::uint32_t kScanListEntries = 32;
constexpr std::uint32_t kPhysicalChannels = 32;

inline WORD SampleCode(ULONG word) {
    return static_cast<WORD>(word & kSampleCodeMask);
}
inline WORD SampleChannel(ULONG word) {
    return static_cast<WORD>((word >> kSampleChannelShift) & kSampleChannelMask);
}
inline bool IsStartMarker(ULONG word) {
    return ((word >> kSampleTagShift) & kSampleTagMask) == kStartMarkerTag &&
           SampleCode(word) == kStartMarkerCode;
}

inline WORD ReadLe16(const std::uint8_t* bytes) {
    return static_cast<WORD>(bytes[0] | (bytes[1] << 8));
}
inline std::uint32_t ReadLe32(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(ReadLe16(bytes)) |
           static_cast<std::uint32_t>(ReadLe16(bytes + 2)) << 16;
}
inline void WriteLe16(std::uint8_t* at, WORD value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}
inline void WriteLe32(std::uint8_t* at, std::uint32_t value) {
    WriteLe16(at, static_cast<WORD>(value));
    WriteLe16(at + 2, static_cast<WORD>(value >> 16));
}

// The input ranges by range code, as the card's table gives them:
// volts = code * span / kCodeSteps - offset.
struct RangeRow {
    long double span;
    long double offset;
    bool bipolar;
};
constexpr RangeRow kRangeRows[] = {
    {20.0L, 10.0L, true}, {10.0L, 5.0L, true}, {5.0L, 2.5L, true},  {2.5L, 1.25L, true},
    {10.0L, 0.0L, false}, {5.0L, 0.0L, false}, {2.5L, 0.0L, false},
};
constexpr long double kCodeSteps = 65536.0L;

// The row of a range code under the polarity; nullptr when the table has none.
inline const RangeRow* FindRangeRow(long rangeCode, bool bipolar) {
    constexpr long kRows = sizeof kRangeRows / sizeof kRangeRows[0];
    if (rangeCode < 0 || rangeCode >= kRows || kRangeRows[rangeCode].bipolar != bipolar) {
        return nullptr;
    }
    return &kRangeRows[rangeCode];
}

}  // namespace dqx7460
