// The DQX7460 card's firmware as seen from the driver: registers, the arm handshake, the
// read-back sources and the A/D sample stream. Thread-safe: the instance server, the rig and
// a control client may all touch one card at once.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "card_registers.h"

namespace sim {

// The register file's size is the firmware's own; the register map, block layouts and
// sample words are the card protocol's (dqx7460::).
constexpr int kRegisterCount = 256;

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
    // How often the input word was read back (either way): a test that moves the rig waits
    // for the program's next polls by this count, not by the clock.
    std::uint64_t InputReads() const;
    std::uint16_t DigitalOutputs() const;
    // The output lines that fell (went active) since the previous call, however briefly:
    // the drive's relays latch a pulse that came and went between two looks at the word.
    std::uint16_t TakeOutputFalls();

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
    std::array<double, dqx7460::kPhysicalChannels> voltages_{};
    std::array<std::uint32_t, dqx7460::kCounterCount> counters_{};
    std::array<bool, dqx7460::kCounterCount> counting_{};
    std::array<std::vector<std::uint16_t>, dqx7460::kAnalogOutputCount> waveforms_;
    std::uint16_t deviceNumber_;
    std::uint16_t outputFalls_ = 0;
    std::uint16_t digitalIn_ = 0xFFFF;
    bool writeArmed_ = false;
    bool readArmed_ = false;
    bool markerPending_ = false;
    bool triggerPending_ = false;
    int scanPosition_ = 0;
    unsigned counterReads_ = 0;
    std::uint64_t inputReads_ = 0;
    WriteObserver observer_;
};

}  // namespace sim
