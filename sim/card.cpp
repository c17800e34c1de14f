#include "card.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace sim {

namespace {

struct RangeRow {
    double span;
    double offset;
};

// Indexed by range code 0..6; the converter's widest row stands in for anything else.
constexpr RangeRow kRangeRows[] = {
    {20.0, 10.0}, {10.0, 5.0}, {5.0, 2.5}, {2.5, 1.25}, {10.0, 0.0}, {5.0, 0.0}, {2.5, 0.0},
};
constexpr int kFirstUnipolarCode = 4;
constexpr int kLastRangeCode = 6;
constexpr int kWaveformCapacity = 65536;
constexpr std::uint16_t kCounterFiller = 0xFFFF;
// Successive counter read-backs place the frame at different word indexes, as the card's
// free-running read pointer does.
constexpr unsigned kCounterFrameStep = 61;

std::uint16_t Get16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t Get32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void Put16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

bool ValidChannel(int channel) {
    return channel >= 0 && channel < kChannelCount;
}

}  // namespace

std::uint16_t VoltsToCode(double volts, int rangeCode, bool bipolar) {
    bool rowFits = rangeCode >= 0 && rangeCode <= kLastRangeCode &&
                   (bipolar ? rangeCode < kFirstUnipolarCode : rangeCode >= kFirstUnipolarCode);
    const RangeRow& row = kRangeRows[rowFits ? rangeCode : 0];
    double code = std::floor((volts + row.offset) * 65536.0 / row.span + 0.5);
    if (!(code >= 0.0)) return 0;  // also NaN
    if (code > 65535.0) return 65535;
    return static_cast<std::uint16_t>(code);
}

Card::Card(std::uint16_t deviceNumber) : deviceNumber_(deviceNumber) {
    // Active-low output lines power up released.
    registers_[kRegDigitalOut] = 0x00FF;
}

bool Card::Control(std::uint32_t code, const void* in, std::uint32_t inLen, void* out,
                   std::uint32_t outLen, std::uint32_t* returned) {
    *returned = 0;
    const auto* input = static_cast<const std::uint8_t*>(in);
    auto* data = static_cast<std::uint8_t*>(out);
    if (outLen > 0 && data == nullptr) return false;
    std::lock_guard<std::mutex> lock(mutex_);
    switch (code) {
        case kIoctlVendorRequest: {
            if (input == nullptr || inLen < kVendorRequestBytes) return false;
            if (Get16(input + 8) != 0xBEEF) return false;
            if (input[4] == kWriteArmRequest) {
                writeArmed_ = true;
            } else if (input[4] == kReadArmRequest) {
                readArmed_ = true;
            } else {
                return false;
            }
            *returned = outLen;
            return true;
        }
        case kIoctlBulkWrite: {
            if (input == nullptr || inLen != 4 || Get32(input) != kWritePipe) return false;
            if (!writeArmed_) return false;
            writeArmed_ = false;
            if (outLen == 0 || outLen % 4 != 0) return false;
            for (std::uint32_t i = 0; i < outLen; i += 4) {
                ApplyWrite(Get16(data + i), Get16(data + i + 2));
            }
            *returned = outLen;
            return true;
        }
        case kIoctlBulkRead: {
            if (input == nullptr || inLen != 4 || Get32(input) != kReadPipe) return false;
            if (!readArmed_) return false;
            readArmed_ = false;
            bool directInput = registers_[kRegReset] == 1;
            if (!directInput && registers_[kRegReadSource] == kSourceStream &&
                registers_[kRegAdRun] != 1) {
                // Nothing converts, so nothing arrives on the bulk pipe: the transfer fails
                // instead of handing out stale samples.
                return false;
            }
            FillReadBack(data, outLen);
            *returned = outLen;
            return true;
        }
        default:
            return false;
    }
}

void Card::FillReadBack(std::uint8_t* out, std::uint32_t len) {
    if (registers_[kRegReset] == 1) {
        // Held in reset, the card answers every read with its input word (direct input).
        for (std::uint32_t i = 0; i + 1 < len; i += 2) Put16(out + i, digitalIn_);
        if (len % 2 != 0) out[len - 1] = static_cast<std::uint8_t>(digitalIn_);
        return;
    }
    switch (registers_[kRegReadSource]) {
        case kSourceStream:
            FillStream(out, len);
            return;
        case kSourceDigitalIn:
            std::memset(out, 0, len);
            if (len >= kDigitalInOffset + 2) Put16(out + kDigitalInOffset, digitalIn_);
            return;
        case kSourceCounters:
            FillCounterFrame(out, len);
            return;
        case kSourceDeviceNumber:
            std::memset(out, 0, len);
            if (len >= kDeviceNumberOffset + 2) Put16(out + kDeviceNumberOffset, deviceNumber_);
            return;
        default:
            std::memset(out, 0, len);
            return;
    }
}

void Card::FillStream(std::uint8_t* out, std::uint32_t len) {
    std::uint32_t words = len / 4;
    for (std::uint32_t i = 0; i < words; ++i) {
        std::uint32_t word = kStartMarker;
        if (markerPending_) {
            markerPending_ = false;
        } else {
            word = NextSample();
        }
        Put32(out + 4 * i, word);
    }
    std::memset(out + 4 * words, 0, len % 4);
}

std::uint32_t Card::NextSample() {
    // An empty scan list converts list entry 0 over and over.
    int count = std::clamp<int>(registers_[kRegScanCount], 1, kChannelCount);
    if (scanPosition_ >= count) scanPosition_ = 0;
    int channel = registers_[kRegScanListBase + scanPosition_] & 0x1F;
    std::uint32_t word = VoltsToCode(voltages_[channel], registers_[kRegRangeBase + channel],
                                     registers_[kRegPolarity] == 1);
    word |= static_cast<std::uint32_t>(channel) << 16;
    if (triggerPending_) {
        word |= kTriggerFlag;
        triggerPending_ = false;
    }
    scanPosition_ = (scanPosition_ + 1) % count;
    return word;
}

void Card::FillCounterFrame(std::uint8_t* out, std::uint32_t len) {
    for (int k = 0; k < kCounters; ++k) {
        if (counting_[k]) ++counters_[k];
    }
    std::uint32_t words = len / 2;
    for (std::uint32_t i = 0; i < words; ++i) Put16(out + 2 * i, kCounterFiller);
    if (len % 2 != 0) out[len - 1] = 0;
    std::uint32_t span = kCounterFrameLastIndex - kCounterFrameFirstIndex + 1;
    std::uint32_t start = kCounterFrameFirstIndex + (counterReads_ * kCounterFrameStep) % span;
    ++counterReads_;
    if (start + 16 > words) return;
    std::uint8_t* frame = out + 2 * start;
    for (int j = 0; j < kCounters; ++j) {
        Put16(frame + 2 * (4 * j), static_cast<std::uint16_t>(counters_[j]));
        Put16(frame + 2 * (4 * j + 2), static_cast<std::uint16_t>(counters_[j] >> 16));
    }
    for (int tag = 0; tag < 8; ++tag) {
        Put16(frame + 2 * (2 * tag + 1), static_cast<std::uint16_t>(tag));
    }
}

void Card::ClearFifo() {
    markerPending_ = false;
    triggerPending_ = false;
    scanPosition_ = 0;
}

void Card::ApplyWrite(std::uint16_t reg, std::uint16_t value) {
    if (reg >= kRegisterCount) return;
    std::uint16_t previous = registers_[reg];
    registers_[reg] = value;
    bool rising = previous == 0 && value == 1;
    switch (reg) {
        case kRegReset:
            // The reset restarts the bus interface only: a running conversion survives the
            // input poll's reset pulses.
            if (rising) readArmed_ = false;
            break;
        case kRegFifoClear:
            if (rising) ClearFifo();
            break;
        case kRegTrigger:
            if (rising && registers_[kRegAdRun] == 1) triggerPending_ = true;
            break;
        case kRegAdRun:
            if (value == 1 && previous != 1) {
                ClearFifo();
                markerPending_ = true;
            } else if (value != 1) {
                ClearFifo();
            }
            break;
        case kRegCounterStart:
            for (int k = 0; k < kCounters; ++k) {
                if (value & (1u << k)) counting_[k] = true;
            }
            break;
        case kRegCounterStop:
            for (int k = 0; k < kCounters; ++k) {
                if (value & (1u << k)) counting_[k] = false;
            }
            break;
        default:
            if (reg >= kRegDaDataBase && reg < kRegDaDataBase + kAnalogOutputs) {
                auto& wave = waveforms_[reg - kRegDaDataBase];
                if (wave.size() < kWaveformCapacity) wave.push_back(value);
            } else if (reg >= kRegDaControlBase && reg < kRegDaControlBase + kAnalogOutputs) {
                if (value == 1 && previous != 1) waveforms_[reg - kRegDaControlBase].clear();
            } else if (reg >= kRegCounterBase &&
                       reg < kRegCounterBase + kCounters * kCounterStride) {
                int k = (reg - kRegCounterBase) / kCounterStride;
                int field = (reg - kRegCounterBase) % kCounterStride;
                constexpr int kLoadStrobe = 3;
                if (field == kLoadStrobe && rising) {
                    int b = kRegCounterBase + k * kCounterStride;
                    counters_[k] =
                        registers_[b + 1] | (static_cast<std::uint32_t>(registers_[b + 2]) << 16);
                }
            }
            break;
    }
    if (observer_) observer_(reg, value);
}

void Card::WriteRegister(std::uint16_t reg, std::uint16_t value) {
    std::lock_guard<std::mutex> lock(mutex_);
    ApplyWrite(reg, value);
}

std::uint16_t Card::Register(int reg) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return reg >= 0 && reg < kRegisterCount ? registers_[reg] : 0;
}

std::uint16_t Card::DeviceNumber() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return deviceNumber_;
}

void Card::SetDeviceNumber(std::uint16_t number) {
    std::lock_guard<std::mutex> lock(mutex_);
    deviceNumber_ = number;
}

void Card::SetVoltage(int channel, double volts) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (ValidChannel(channel)) voltages_[channel] = volts;
}

double Card::Voltage(int channel) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return ValidChannel(channel) ? voltages_[channel] : 0.0;
}

void Card::SetDigitalInputs(std::uint16_t word) {
    std::lock_guard<std::mutex> lock(mutex_);
    digitalIn_ = word;
}

std::uint16_t Card::DigitalInputs() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return digitalIn_;
}

std::uint16_t Card::DigitalOutputs() const {
    return Register(kRegDigitalOut);
}

std::uint16_t Card::AnalogOutput(int channel) const {
    if (channel < 1 || channel > kAnalogOutputs) return 0;
    return Register(kRegDaDirectBase + channel - 1);
}

std::vector<std::uint16_t> Card::Waveform(int channel) const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (channel < 1 || channel > kAnalogOutputs) return {};
    return waveforms_[channel - 1];
}

std::uint32_t Card::CounterValue(int counter) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return counter >= 0 && counter < kCounters ? counters_[counter] : 0;
}

bool Card::CounterRunning(int counter) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return counter >= 0 && counter < kCounters && counting_[counter];
}

bool Card::Converting() const {
    return Register(kRegAdRun) == 1;
}

void Card::SetWriteObserver(WriteObserver observer) {
    std::lock_guard<std::mutex> lock(mutex_);
    observer_ = std::move(observer);
}

}  // namespace sim
