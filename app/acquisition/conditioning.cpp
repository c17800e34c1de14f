#include "acquisition/conditioning.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "acquisition/run_state.h"
#include "common/number_text.h"
#include "settings/settings_record.h"

namespace {

constexpr int kAverageTicks = 10;
constexpr int kFormattedSlots = 502;  // slots 0..501 carry a readout text
constexpr int kMaxDamping = 4;
constexpr int kHistoryDepth = 500;  // slots 1..500 hold the previous recorded ticks
static_assert(kHistoryDepth < kPeakSlot && kPeakSlot < kHistorySlots);

// Everything one channel's chain reads and writes besides the voltage block.
struct ChannelChain {
    unsigned char& zeroRequest;
    unsigned char& zeroed;
    double coef;
    double span;
    int damping;
    double zeroPreset;
    double cutoff;
    double resolution;
    double& value;
    double* history;
};

// The span corresponds to the full voltage range of the input type; any other type text
// leaves the value as it is.
double ScaleByInputType(const Settings& settings, double v, double span) {
    const double s = std::fabs(span);
    if (settings.g_strInputType == "0~+5V") return s * v / 5;
    if (settings.g_strInputType == "0~+10V" || settings.g_strInputType == "-5V~+5V")
        return s * v / 10;
    if (settings.g_strInputType == "-10V~+10V") return s * v / 20;
    return v;
}

// Rounds toward minus infinity onto the resolution grid. A value that lies on the grid up
// to the division's rounding error (0.3 / 0.1 gives 2.9999999999999996) keeps its step
// instead of dropping one. A resolution of 0 or a non-finite one leaves the value alone.
double Quantise(double v, double resolution) {
    if (resolution == 0 || !std::isfinite(resolution) || !std::isfinite(v)) return v;
    const double steps = v / resolution;
    if (!std::isfinite(steps)) return v;
    return std::floor(steps + 1e-9) * resolution;
}

// The end of the chain, after the damping: the zero preset until the channel is zeroed, the
// small-signal cutoff and the resolution grid.
double FinishReading(double v, bool zeroed, double zeroPreset, double cutoff, double resolution) {
    if (!zeroed) v -= zeroPreset;
    if (std::fabs(cutoff) >= std::fabs(v)) v = 0;
    return Quantise(v, resolution);
}

void ShiftHistory(double* history) {
    std::copy_backward(history, history + kHistoryDepth, history + kHistoryDepth + 1);
}

// Without `damp` the chain skips its damping step: the reading is the voltage's own.
void ConditionChannel(const Settings& settings, const TestRun& run, int c, ChannelVoltages& ch,
                      ChannelChain chain, bool damp) {
    if (chain.zeroRequest) {
        ch.zeroVolt[c] = ch.avgVolt[c];
        ch.damped[c] = 0;
        std::fill(chain.history, chain.history + kFormattedSlots, 0.0);
        if (c == 0) ch.highSpeedZeroPreset = 0;
        chain.zeroed = 1;
        chain.zeroRequest = 0;
    }

    double v = (ch.avgVolt[c] - ch.zeroVolt[c]) * chain.coef;
    ch.scaled[c] = v;
    v = ScaleByInputType(settings, v, chain.span);

    if (damp) {
        // A non-finite damping state would hold the readout at nan for good; the chain
        // restarts from the current value instead.
        const double p = std::isfinite(ch.damped[c]) ? ch.damped[c] : v;
        if (run.g_bRecording) {
            // A level outside 0..4 from a settings file would make the filter diverge.
            const int d = std::clamp(chain.damping, 0, kMaxDamping);
            v = (d * p + (5 - d) * v) / 5;
        } else {
            v = (2 * p + 3 * v) / 5;
        }
    }
    ch.damped[c] = v;

    v = FinishReading(v, chain.zeroed, chain.zeroPreset, chain.cutoff, chain.resolution);
    chain.value = v;

    if (run.g_bRecording) ShiftHistory(chain.history);
    chain.history[0] = v;
    if (run.g_bRecording && !run.g_bTravelLimit && chain.history[0] > chain.history[kPeakSlot]) {
        chain.history[kPeakSlot] = chain.history[0];
    }
}

// The format row of a full scale: the first bound that exceeds it.
int FormatRow(double fullScale) {
    static const double kBounds[] = {10, 100, 1000, 10000, 100000, 1000000};
    int row = 0;
    for (double bound : kBounds) {
        if (bound > fullScale) return row;
        ++row;
    }
    return row;
}

constexpr int kPointRow = 5;  // "%06.0f" followed by "."

std::string FormatWithRow(int channel, int row, double value) {
    static const char* const kChannel0[] = {"%07.4f", "%07.3f", "%07.2f", "%07.1f",
                                            "%07.0f", "%06.0f", "%07.0f"};
    static const char* const kChannel1[] = {"%07.5f", "%07.4f", "%07.3f", "%07.2f",
                                            "%07.1f", "%06.0f", "%07.0f"};
    const char* format = channel == 0 ? kChannel0[row] : kChannel1[row];
    // 309 integer digits, a sign, a point and five decimals fit: no text is ever cut.
    char text[352];
    int length = FormatDouble(text, sizeof text, format, value);
    length = std::clamp(length, 0, static_cast<int>(sizeof text) - 2);
    if (row == kPointRow) text[length++] = '.';
    return std::string(text, static_cast<std::size_t>(length));
}

// The text of every slot is a function of its value and its format row alone, so a slot
// whose value and row are those of its last formatting keeps its text. While recording
// the histories move one slot per tick; the cache and the texts move with them, so a
// recorded tick formats only its new slots.
struct SlotCache {
    std::uint64_t bits[kFormattedSlots];
    int row[kFormattedSlots];
    std::string text[kFormattedSlots];
    SlotCache() { std::fill(std::begin(row), std::end(row), -1); }
};

SlotCache g_readoutCache[2];

std::uint64_t BitsOf(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

void FormatChannelSlots(int channel, const double* history, double fullScale,
                        std::string* readouts) {
    SlotCache& cache = g_readoutCache[channel];
    const int row = FormatRow(fullScale);
    for (int i = 0; i < kFormattedSlots; ++i) {
        const std::uint64_t bits = BitsOf(history[i]);
        if (cache.bits[i] == bits && cache.row[i] == row && readouts[i] == cache.text[i]) {
            continue;
        }
        cache.bits[i] = bits;
        cache.row[i] = row;
        cache.text[i] = FormatWithRow(channel, row, history[i]);
        readouts[i] = cache.text[i];
    }
}

// Moves the formatted texts of slots 0..499 to 1..500 along with their histories.
void ShiftFormattedSlots(int channel, std::string* readouts) {
    SlotCache& cache = g_readoutCache[channel];
    const int n = kHistoryDepth;
    std::copy_backward(cache.bits, cache.bits + n, cache.bits + n + 1);
    std::copy_backward(cache.row, cache.row + n, cache.row + n + 1);
    std::rotate(cache.text, cache.text + n, cache.text + n + 1);
    std::rotate(readouts, readouts + n, readouts + n + 1);
    // Slot 0 now holds slot 500's old text: it must be formatted again even when the new
    // value equals the previous one.
    cache.row[0] = -1;
}

// Both channels from their average voltages, then the ratio, the histories and the texts.
void ConditionAverages(const Settings& settings, TestRun& run, ChannelVoltages& ch, bool damp) {
    ConditionChannel(settings, run, 0, ch,
                     {run.g_bZeroRequest0, run.g_bZeroed0, settings.g_dCoef0, settings.g_dSpan0,
                      settings.g_nDamping0, settings.g_dZeroPreset0, settings.g_dCutoff0,
                      settings.g_dResolution0, run.g_dValue0, run.g_dHistory0},
                     damp);
    ConditionChannel(settings, run, 1, ch,
                     {run.g_bZeroRequest1, run.g_bZeroed1, settings.g_dCoef1, settings.g_dSpan1,
                      settings.g_nDamping1, settings.g_dZeroPreset1, settings.g_dCutoff1,
                      settings.g_dResolution1, run.g_dValue1, run.g_dHistory1},
                     damp);

    if (run.g_dHistory0[0] == run.g_dHistory1[0]) {
        run.g_dRatio = 1.0;
    } else if (run.g_dHistory1[0] != 0) {
        run.g_dRatio = run.g_dHistory0[0] / run.g_dHistory1[0];
    }
    if (run.g_bRecording) {
        ShiftHistory(run.g_dRatioHistory);
        ShiftFormattedSlots(0, run.g_strReadout0);
        ShiftFormattedSlots(1, run.g_strReadout1);
    }
    run.g_dRatioHistory[0] = run.g_dRatio;

    FormatReadouts(settings, run);
}

}  // namespace

void ConditionChannels(const Settings& settings, TestRun& run, ChannelVoltages& ch) {
    if (!run.g_bRecording) {
        ++ch.avgCount;
        for (int c = 0; c < 2; ++c) ch.voltSum[c] += ch.rawVolt[c];
        if (ch.avgCount >= kAverageTicks) {
            for (int c = 0; c < 2; ++c) {
                ch.avgVolt[c] = ch.voltSum[c] / kAverageTicks;
                ch.voltSum[c] = 0;
            }
            ch.avgCount = 0;
        }
    } else {
        for (int c = 0; c < 2; ++c) ch.avgVolt[c] = ch.rawVolt[c];
    }
    ConditionAverages(settings, run, ch, true);
}

void ConditionPolledReading(const Settings& settings, TestRun& run, ChannelVoltages& ch) {
    for (int c = 0; c < 2; ++c) ch.avgVolt[c] = ch.rawVolt[c];
    ConditionAverages(settings, run, ch, false);
}

double PolledValue0(const Settings& settings, const TestRun& run, const ChannelVoltages& ch,
                    double volts) {
    const double v =
        ScaleByInputType(settings, (volts - ch.zeroVolt[0]) * settings.g_dCoef0, settings.g_dSpan0);
    return FinishReading(v, run.g_bZeroed0, settings.g_dZeroPreset0, settings.g_dCutoff0,
                         settings.g_dResolution0);
}

void RestartDamping(ChannelVoltages& ch) {
    // The chain takes a non-finite state as "no previous output".
    ch.damped[0] = ch.damped[1] = std::numeric_limits<double>::quiet_NaN();
}

void FormatReadouts(const Settings& settings, TestRun& run) {
    FormatChannelSlots(0, run.g_dHistory0, settings.g_dFullScale0, run.g_strReadout0);
    FormatChannelSlots(1, run.g_dHistory1, settings.g_dFullScale1, run.g_strReadout1);
    run.g_strRatio[0] = RatioReadout(run.g_dHistory0[0], run.g_dHistory1[0]);
}

std::string RatioReadout(double reading0, double reading1) {
    // The ratio kept for the chart after a zero divisor belongs to earlier readings.
    if (reading0 != reading1 && reading1 == 0) return kNoRatioReadout;
    return FormatRatio(reading0 == reading1 ? 1.0 : reading0 / reading1);
}

std::string FormatChannelValue(int channel, double value, double fullScale) {
    return FormatWithRow(channel == 0 ? 0 : 1, FormatRow(fullScale), value);
}

std::string FormatRatio(double ratio) {
    const char* format = "%07.3f";
    if (ratio >= 10000 || ratio <= -10000) {
        format = "%07.0f";
    } else if (ratio >= 1000 || ratio <= -1000) {
        format = "%07.1f";
    } else if (ratio >= 100 || ratio <= -100) {
        format = "%07.2f";
    }
    char text[352];
    const int length = std::clamp(FormatDouble(text, sizeof text, format, ratio), 0,
                                  static_cast<int>(sizeof text) - 1);
    return std::string(text, static_cast<std::size_t>(length));
}
