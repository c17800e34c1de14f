// The DQX7460 card's firmware as seen from the driver: registers, the arm handshake, the
// read-back sources and the A/D sample stream. Thread-safe: the instance server, the rig and
// a control client may all touch one card at once.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace sim {

constexpr std::uint32_t kIoctlVendorRequest = 0x00222059;
constexpr std::uint32_t kIoctlBulkWrite = 0x00222051;
constexpr std::uint32_t kIoctlBulkRead = 0x0022204E;

constexpr std::uint8_t kWriteArmRequest = 0xBA;
constexpr std::uint8_t kReadArmRequest = 0xBB;
constexpr std::uint32_t kVendorRequestBytes = 10;
constexpr std::uint32_t kWritePipe = 0;
constexpr std::uint32_t kReadPipe = 1;

// Registers the firmware acts on.
constexpr int kRegReset = 1;
constexpr int kRegFifoClear = 2;
constexpr int kRegTrigger = 3;
constexpr int kRegPolarity = 5;
constexpr int kRegReadSource = 6;
constexpr int kRegAdRun = 9;
constexpr int kRegRangeBase = 21;
constexpr int kRegScanListBase = 53;
constexpr int kRegScanCount = 85;
constexpr int kRegDaDataBase = 96;
constexpr int kRegDaControlBase = 100;
constexpr int kRegDaDirectBase = 123;
constexpr int kRegDigitalOut = 128;
constexpr int kRegCounterBase = 144;
constexpr int kCounterStride = 7;
constexpr int kRegCounterStart = 150;
constexpr int kRegCounterStop = 157;
constexpr int kRegisterCount = 256;

// Read-back sources (register 6).
constexpr int kSourceStream = 0;
constexpr int kSourceDigitalIn = 1;
constexpr int kSourceCounters = 2;
constexpr int kSourceDeviceNumber = 4;

constexpr std::uint32_t kDigitalInBlockBytes = 4096;
constexpr std::uint32_t kDigitalInOffset = 4000;
constexpr std::uint32_t kCounterBlockBytes = 4096;
constexpr int kCounterFrameFirstIndex = 1024;
constexpr int kCounterFrameLastIndex = 2031;
constexpr std::uint32_t kDeviceNumberBlockBytes = 8192;
constexpr std::uint32_t kDeviceNumberOffset = 8000;

constexpr std::uint32_t kStartMarker = 0x0060000F;
constexpr std::uint32_t kTriggerFlag = 1u << 21;
constexpr int kChannelCount = 32;
constexpr int kCounters = 4;
constexpr int kAnalogOutputs = 4;

// Analog input range code for a voltage: the inverse of the library's conversion, rounded
// to the nearest code and clamped to 0..65535. A range code without a row for the polarity
// (or above 6) converts on the widest range, -10 V..+10 V.
std::uint16_t VoltsToCode(double volts, int rangeCode, bool bipolar);

class Card {
  public:
    explicit Card(std::uint16_t deviceNumber = 1);

    // One device-control request exactly as the driver delivers it. For the vendor request
    // and the bulk write, out carries data to the card; a bulk read fills out. False (with
    // *returned 0) when the card refuses it: malformed input, wrong pipe, or no arm request
    // before the transfer.
    bool Control(std::uint32_t code, const void* in, std::uint32_t inLen, void* out,
                 std::uint32_t outLen, std::uint32_t* returned);

    void WriteRegister(std::uint16_t reg, std::uint16_t value);
    std::uint16_t Register(int reg) const;

    std::uint16_t DeviceNumber() const;
    void SetDeviceNumber(std::uint16_t number);

    // The analog inputs: the voltage present on a physical channel 0..31.
    void SetVoltage(int channel, double volts);
    double Voltage(int channel) const;

    void SetDigitalInputs(std::uint16_t word);
    std::uint16_t DigitalInputs() const;
    std::uint16_t DigitalOutputs() const;

    // Output channel 1..4: the direct value and the waveform loaded since its control
    // register last went to 1.
    std::uint16_t AnalogOutput(int channel) const;
    std::vector<std::uint16_t> Waveform(int channel) const;

    // Counter 0..3 and whether it is counting.
    std::uint32_t CounterValue(int counter) const;
    bool CounterRunning(int counter) const;

    bool Converting() const;

    // Called after every register write with the card locked: it must not call back into
    // the card.
    using WriteObserver = std::function<void(std::uint16_t reg, std::uint16_t value)>;
    void SetWriteObserver(WriteObserver observer);

  private:
    void ApplyWrite(std::uint16_t reg, std::uint16_t value);
    void FillReadBack(std::uint8_t* out, std::uint32_t len);
    void FillStream(std::uint8_t* out, std::uint32_t len);
    void FillCounterFrame(std::uint8_t* out, std::uint32_t len);
    std::uint32_t NextSample();
    void ClearFifo();

    mutable std::mutex mutex_;
    std::array<std::uint16_t, kRegisterCount> registers_{};
    std::array<double, kChannelCount> voltages_{};
    std::array<std::uint32_t, kCounters> counters_{};
    std::array<bool, kCounters> counting_{};
    std::array<std::vector<std::uint16_t>, kAnalogOutputs> waveforms_;
    std::uint16_t deviceNumber_;
    std::uint16_t digitalIn_ = 0xFFFF;
    bool writeArmed_ = false;
    bool readArmed_ = false;
    bool markerPending_ = false;
    bool triggerPending_ = false;
    int scanPosition_ = 0;
    unsigned counterReads_ = 0;
    WriteObserver observer_;
};

}  // namespace sim
