// Analog output, channels 1 to 4: range, mode, direct value and waveforms.
#include <chrono>
#include <cstdio>
#include <vector>

#include "DQX7460.h"
#include "card_protocol.h"
#include "deadline.h"

using namespace dqx7460;

namespace {

constexpr WORD kFirstOutputChannel = 1;
constexpr WORD kLastOutputChannel = kAnalogOutputCount;
constexpr WORD kHighestOutputRange = 3;
constexpr WORD kControlLoad = 1;
constexpr WORD kControlOutput = 0;
constexpr const char* kWaveformFileName = "Da_Data_file.dat";
constexpr WORD kWaveformFileChannel = 1;
constexpr std::size_t kWaveformFileSamples = 1024;

// A waveform is one register write per sample: its bound grows with its length.
std::chrono::milliseconds WaveformBudget(WORD samples) {
    constexpr std::chrono::milliseconds kPerSample{2};
    return OperationBudget() + kPerSample * samples;
}

bool ValidChannel(WORD channel) {
    return channel >= kFirstOutputChannel && channel <= kLastOutputChannel;
}

WORD LengthRegister(WORD channel) {
    return kRegDaLength[channel - kFirstOutputChannel];
}

}  // namespace

extern "C" {

// The card counts its output ranges the other way round: range r goes out as 3 - r.
LONG DQX7460_DaConfig(HANDLE handle, WORD channel, WORD range) {
    const OperationScope operation;
    if (ValidChannel(channel) && range <= kHighestOutputRange) {
        PostRegister(handle, kRegDaRangeBefore + channel, kHighestOutputRange - range);
    }
    return 0;
}

LONG DQX7460_DaModeSet(HANDLE handle, WORD channel, WORD mode) {
    const OperationScope operation;
    if (!ValidChannel(channel)) return 1;
    return WriteRegister(handle, kRegDaModeBefore + channel, mode) ? 0 : 1;
}

LONG DQX7460_AOBinaryOut(HANDLE handle, WORD channel, WORD value) {
    const OperationScope operation;
    if (!ValidChannel(channel)) return 1;
    return WriteRegister(handle, kRegDaDirectBefore + channel, value) ? 0 : 1;
}

LONG DQX7460_DaOutSet(HANDLE handle, WORD channel, LONG enable) {
    const OperationScope operation;
    if (ValidChannel(channel)) {
        PostRegister(handle, kRegDaControlBefore + channel,
                     enable == 0 ? kControlLoad : kControlOutput);
    }
    return 0;
}

// The control register stays in load state until DQX7460_DaOutSet enables the output.
LONG DQX7460_DaDataSet(HANDLE handle, WORD channel, WORD* data, WORD count) {
    const OperationScope operation(WaveformBudget(count));
    if (data == nullptr && count > 0) return 1;
    if (!ValidChannel(channel)) return 0;
    PostRegister(handle, LengthRegister(channel), count);
    PostRegister(handle, kRegDaControlBefore + channel, kControlLoad);
    for (WORD sample = 0; sample < count; ++sample) {
        PostRegister(handle, kRegDaDataBefore + channel, data[sample]);
    }
    return 0;
}

LONG DQX7460_DaStart(HANDLE handle) {
    const OperationScope operation;
    PostRegister(handle, kRegDaStart, kPulseOff);
    PostRegister(handle, kRegDaStart, kPulseOn);
    return WriteRegister(handle, kRegDaStart, kPulseOff) ? 0 : 1;
}

// Channel 1's waveform from the first 1024 little-endian values of the data file in the
// working directory; a shorter file is followed by zeros (a lone last byte is a low byte).
LONG DQX7460_DaDataFileSet(HANDLE handle, LONG) {
    std::FILE* file = std::fopen(kWaveformFileName, "rb");
    if (file == nullptr) return 1;
    std::vector<std::uint8_t> bytes(kWaveformFileSamples * sizeof(WORD));
    std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    std::vector<WORD> samples(kWaveformFileSamples);
    for (std::size_t sample = 0; sample < (got + 1) / sizeof(WORD); ++sample) {
        samples[sample] = ReadLe16(&bytes[sample * sizeof(WORD)]);
    }
    DQX7460_DaDataSet(handle, kWaveformFileChannel, samples.data(),
                      static_cast<WORD>(samples.size()));
    return 0;
}

LONG DQX7460_FAOIntScanStart(LONG, LONG) {
    return 0;
}

LONG DQX7460_FAOStop(LONG) {
    return 0;
}

}  // extern "C"
