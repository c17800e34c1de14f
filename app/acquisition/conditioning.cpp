#include "acquisition/conditioning.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "common/number_text.h"
#include "run/readouts.h"
#include "run/run_state.h"
#include "settings/settings_record.h"

namespace {

constexpr int kAverageTicks = 10;
constexpr int kMaxDamping = 4;

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
        ShiftReadouts(run);
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
