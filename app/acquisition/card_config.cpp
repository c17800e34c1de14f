// The card's set-up and the tick's single-scan reads.
#include "acquisition/card_access.h"
#include "acquisition/input_range.h"
#include "settings/extensometer_settings.h"
#include "settings/settings_record.h"

namespace {

constexpr WORD kPlusMinus5V = 1;
constexpr WORD kZeroTo5V = 5;
constexpr LONG kBipolar = 1;
constexpr int kExtensometerSlot = 2;
constexpr int kZeroReads = 10;

// The extensometer is wired to a ±5 V input. The polarity is the card's, set by the input
// type: a unipolar card reads it on 0..+5 V.
WORD ExtensometerRange(LONG bipolar) {
    return bipolar == kBipolar ? kPlusMinus5V : kZeroTo5V;
}

// Channels 0 and 1 with the input type's range, then the extensometer's channel when it is
// on; an unknown type keeps the range code and polarity the record had.
void FillReadRecord(const Settings& settings, const ExtensometerSettings* extensometer,
                    AdScanRequest& request, void* results) {
    WORD rangeCode = request.Config.RangeCode[0];
    LONG bipolar = request.Config.Bipolar;
    InputTypeRange(settings.g_strInputType, &rangeCode, &bipolar);
    request.Config = AdScanConfig{};
    request.Config.ChannelCount = 2;
    request.Config.ChannelList[0] = 0;
    request.Config.ChannelList[1] = 1;
    request.Config.RangeCode[0] = rangeCode;
    request.Config.RangeCode[1] = rangeCode;
    request.Config.Bipolar = bipolar;
    request.Config.Reg7Mode = 0;
    request.Config.Reg7Bit2 = 1;
    request.Results = results;
    if (extensometer != nullptr && extensometer->enabled &&
        !FindExtensometerFailure(*extensometer)) {
        const auto channel = static_cast<WORD>(extensometer->channel);
        request.Config.ChannelCount = 3;
        request.Config.ChannelList[kExtensometerSlot] = channel;
        request.Config.RangeCode[channel] = ExtensometerRange(bipolar);
    }
}

}  // namespace

void Card::ConfigureCard(const Settings& settings, const ExtensometerSettings* extensometer) {
    WithCard(DQX7460_Reset);
    if (g_bHighSpeed) {
        highSpeed.StartHighSpeedCapture(settings);
        return;
    }
    FillReadRecord(settings, extensometer, g_maiVoltParam, g_dVoltBuf);
    FillReadRecord(settings, extensometer, g_maiBinParam, g_wBinaryCodes);
}

bool Card::ReadChannels(ChannelVoltages& ch) {
    g_nLastError = WithCard([this](HANDLE card) {
        const LONG volts = DQX7460_MAIVoltageIn(card, &g_maiVoltParam);
        return volts != 0 ? volts : DQX7460_MAIBinaryIn(card, &g_maiBinParam);
    });
    if (g_nLastError != 0) return false;
    ch.rawVolt[0] = g_dVoltBuf[0];
    ch.rawVolt[1] = g_dVoltBuf[1];
    if (ExtensometerScanned()) ch.rawExt = g_dVoltBuf[kExtensometerSlot];
    return true;
}

std::optional<double> Card::ReadChannelVolts(const Settings& settings, int channel) {
    if (channel < 0 || channel >= 32 || g_bHighSpeed) return std::nullopt;
    WORD rangeCode = 0;
    LONG bipolar = g_maiVoltParam.Config.Bipolar;
    InputTypeRange(settings.g_strInputType, &rangeCode, &bipolar);
    float volts = 0;
    AiPointRequest request{
        static_cast<WORD>(channel), ExtensometerRange(bipolar), bipolar, 0, 0, &volts};
    double sum = 0;
    for (int i = 0; i < kZeroReads; ++i) {
        if (WithCard([&request](HANDLE card) { return DQX7460_AIVoltageIn(card, &request); }) != 0)
            return std::nullopt;
        sum += volts;
    }
    return sum / kZeroReads;
}
