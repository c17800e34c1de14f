#include "card.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "driver.h"

namespace sim {

using namespace dqx7460;

namespace {

constexpr int kWaveformCapacity = 65536;
constexpr std::uint16_t kCounterFiller = 0xFFFF;
// Successive counter read-backs place the frame at different word indexes, as the card's
// free-running read pointer does.
constexpr unsigned kCounterFrameStep = 61;

bool ValidChannel(int channel) {
    return channel >= 0 && channel < static_cast<int>(kPhysicalChannels);
}

}  // namespace

std::uint16_t VoltsToCode(double volts, int rangeCode, bool bipolar) {
    const RangeRow* row = FindRangeRow(rangeCode, bipolar);
    if (row == nullptr) row = &kRangeRows[0];
    const auto span = static_cast<double>(row->span);
    const auto offset = static_cast<double>(row->offset);
    double code = std::floor((volts + offset) * static_cast<double>(kCodeSteps) / span + 0.5);
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
            if (ReadLe16(input + kVendorOffsetIndex) != kVendorIndex) return false;
            if (input[kVendorOffsetRequest] == kRequestWriteArm) {
                writeArmed_ = true;
            } else if (input[kVendorOffsetRequest] == kRequestReadArm) {
                readArmed_ = true;
            } else {
                return false;
            }
            *returned = outLen;
            return true;
        }
        case kIoctlBulkWrite: {
            if (input == nullptr || inLen != kPipeNumberBytes || ReadLe32(input) != kPipeBulkOut) {
                return false;
            }
            if (!writeArmed_) return false;
            writeArmed_ = false;
            if (outLen == 0 || outLen % kRegisterWriteBytes != 0) return false;
            for (std::uint32_t i = 0; i < outLen; i += kRegisterWriteBytes) {
                ApplyWrite(ReadLe16(data + i), ReadLe16(data + i + 2));
            }
            *returned = outLen;
            return true;
        }
        case kIoctlBulkRead: {
            if (input == nullptr || inLen != kPipeNumberBytes || ReadLe32(input) != kPipeBulkIn) {
                return false;
            }
            if (!readArmed_) return false;
            readArmed_ = false;
            bool directInput = registers_[kRegReset] == kPulseOn;
            if (!directInput && registers_[kRegReadSource] == kSourceAdStream &&
                registers_[kRegAdRun] != kAdRunStart) {
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
    if (registers_[kRegReset] == kPulseOn) {
        // Held in reset, the card answers every read with its input word (direct input).
        ++inputReads_;
        for (std::uint32_t i = 0; i + 1 < len; i += 2) WriteLe16(out + i, digitalIn_);
        if (len % 2 != 0) out[len - 1] = static_cast<std::uint8_t>(digitalIn_);
        return;
    }
    switch (registers_[kRegReadSource]) {
        case kSourceAdStream:
            FillStream(out, len);
            return;
        case kSourceDigitalIn:
            ++inputReads_;
            std::memset(out, 0, len);
            if (len >= kDigitalInWordOffset + 2) WriteLe16(out + kDigitalInWordOffset, digitalIn_);
            return;
        case kSourceCounters:
            FillCounterFrame(out, len);
            return;
        case kSourceDeviceNumber:
            std::memset(out, 0, len);
            if (len >= kDeviceNumberOffset + 2) {
                WriteLe16(out + kDeviceNumberOffset, deviceNumber_);
            }
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
        WriteLe32(out + 4 * i, word);
    }
    std::memset(out + 4 * words, 0, len % 4);
}

std::uint32_t Card::NextSample() {
    // An empty scan list converts list entry 0 over and over.
    int count = std::clamp<int>(registers_[kRegScanCount], 1, kScanListEntries);
    if (scanPosition_ >= count) scanPosition_ = 0;
    std::uint32_t channel = registers_[kRegScanListFirst + scanPosition_] & kSampleChannelMask;
    std::uint32_t word = VoltsToCode(voltages_[channel], registers_[kRegRangeFirst + channel],
                                     registers_[kRegPolarity] == 1);
    word |= channel << kSampleChannelShift;
    if (triggerPending_) {
        word |= kSampleTriggerFlag;
        triggerPending_ = false;
    }
    scanPosition_ = (scanPosition_ + 1) % count;
    return word;
}

void Card::FillCounterFrame(std::uint8_t* out, std::uint32_t len) {
    for (int k = 0; k < kCounterCount; ++k) {
        if (counting_[k]) ++counters_[k];
    }
    std::uint32_t words = len / 2;
    for (std::uint32_t i = 0; i < words; ++i) WriteLe16(out + 2 * i, kCounterFiller);
    if (len % 2 != 0) out[len - 1] = 0;
    std::uint32_t span = kCounterFrameLastIndex - kCounterFrameFirstIndex + 1;
    std::uint32_t start = kCounterFrameFirstIndex + (counterReads_ * kCounterFrameStep) % span;
    ++counterReads_;
    if (start + 2 * kCounterFrameTags > words) return;
    std::uint8_t* frame = out + 2 * start;
    for (int j = 0; j < kCounterCount; ++j) {
        WriteLe16(frame + 2 * (4 * j), static_cast<std::uint16_t>(counters_[j]));
        WriteLe16(frame + 2 * (4 * j + 2), static_cast<std::uint16_t>(counters_[j] >> 16));
    }
    for (std::uint32_t tag = 0; tag < kCounterFrameTags; ++tag) {
        WriteLe16(frame + 2 * (2 * tag + 1), static_cast<std::uint16_t>(tag));
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
    bool rising = previous == kPulseOff && value == kPulseOn;
    switch (reg) {
        case kRegDigitalOut:
            outputFalls_ = static_cast<std::uint16_t>(outputFalls_ | (previous & ~value));
            break;
        case kRegReset:
            // The reset restarts the bus interface only: a running conversion survives the
            // input poll's reset pulses.
            if (rising) readArmed_ = false;
            break;
        case kRegFifoClear:
            if (rising) ClearFifo();
            break;
        case kRegTrigger:
            if (rising && registers_[kRegAdRun] == kAdRunStart) triggerPending_ = true;
            break;
        case kRegAdRun:
            if (value == kAdRunStart && previous != kAdRunStart) {
                ClearFifo();
                markerPending_ = true;
            } else if (value != kAdRunStart) {
                ClearFifo();
            }
            break;
        case kRegCounterStartMask:
            for (int k = 0; k < kCounterCount; ++k) {
                if (value & (1u << k)) counting_[k] = true;
            }
            break;
        case kRegCounterStopMask:
            for (int k = 0; k < kCounterCount; ++k) {
                if (value & (1u << k)) counting_[k] = false;
            }
            break;
        default:
            if (reg > kRegDaDataBefore && reg <= kRegDaDataBefore + kAnalogOutputCount) {
                auto& wave = waveforms_[reg - kRegDaDataBefore - 1];
                if (wave.size() < kWaveformCapacity) wave.push_back(value);
            } else if (reg > kRegDaControlBefore &&
                       reg <= kRegDaControlBefore + kAnalogOutputCount) {
                if (value == 1 && previous != 1) waveforms_[reg - kRegDaControlBefore - 1].clear();
            } else if (reg >= kRegCounterFirst &&
                       reg < kRegCounterFirst + kCounterCount * kCounterStride) {
                int k = (reg - kRegCounterFirst) / kCounterStride;
                int field = (reg - kRegCounterFirst) % kCounterStride;
                if (field == kCounterLoadStrobe && rising) {
                    int b = kRegCounterFirst + k * kCounterStride;
                    counters_[k] = registers_[b + kCounterCount1Low] |
                                   static_cast<std::uint32_t>(registers_[b + kCounterCount1High])
                                       << 16;
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

std::uint64_t Card::InputReads() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return inputReads_;
}

std::uint16_t Card::DigitalOutputs() const {
    return Register(kRegDigitalOut);
}

std::uint16_t Card::TakeOutputFalls() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(outputFalls_, std::uint16_t{0});
}

std::uint16_t Card::AnalogOutput(int channel) const {
    if (channel < 1 || channel > kAnalogOutputCount) return 0;
    return Register(kRegDaDirectBefore + channel);
}

std::vector<std::uint16_t> Card::Waveform(int channel) const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (channel < 1 || channel > kAnalogOutputCount) return {};
    return waveforms_[channel - 1];
}

std::uint32_t Card::CounterValue(int counter) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return counter >= 0 && counter < kCounterCount ? counters_[counter] : 0;
}

bool Card::CounterRunning(int counter) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return counter >= 0 && counter < kCounterCount && counting_[counter];
}

bool Card::Converting() const {
    return Register(kRegAdRun) == kAdRunStart;
}

void Card::SetWriteObserver(WriteObserver observer) {
    std::lock_guard<std::mutex> lock(mutex_);
    observer_ = std::move(observer);
}

}  // namespace sim
