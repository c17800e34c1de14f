#include "acquisition/extensometer.h"

#include <algorithm>
#include <string>

#include "acquisition/conditioning.h"
#include "common/number_text.h"
#include "run/run_state.h"
#include "settings/extensometer_settings.h"

namespace {

constexpr int kAverageTicks = 10;

}  // namespace

void ConditionExtensometer(const ExtensometerSettings& settings, TestRun& run, ChannelVoltages& ch,
                           bool average) {
    if (average && !run.g_bRecording) {
        ch.extSum += ch.rawExt;
        if (++ch.extCount >= kAverageTicks) {
            ch.extVolt = ch.extSum / kAverageTicks;
            RestartExtensometerAverage(ch);
        }
    } else {
        ch.extVolt = ch.rawExt;
    }
    const double value = (ch.extVolt - settings.zero) * settings.coefficient;
    run.g_dValueExt = ExtensionMillimetres(settings, value);
    run.g_strReadoutExt = ExtensometerReadoutText(settings, value);
}

std::string ExtensometerReadoutText(const ExtensometerSettings& settings, double value) {
    char text[352];
    const int length =
        FormatDouble(text, sizeof text, settings.unit == "%" ? "%.3f" : "%.4f", value);
    return std::string(
        text, static_cast<std::size_t>(std::clamp(length, 0, static_cast<int>(sizeof text) - 1)));
}

void RestartExtensometerAverage(ChannelVoltages& ch) {
    ch.extSum = 0;
    ch.extCount = 0;
}
