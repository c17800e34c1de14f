// The card's set-up and the tick's single-scan reads.
#include "acquisition/card_access.h"
#include "acquisition/input_range.h"
#include "settings/settings_record.h"

namespace {

// Two channels, 0 and 1, with the input type's range; an unknown type keeps the range
// code and polarity the record had.
void FillReadRecord(const Settings& settings, AdScanRequest& request, void* results) {
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
}

}  // namespace

void Card::ConfigureCard(const Settings& settings) {
    WithCard(DQX7460_Reset);
    if (g_bHighSpeed) {
        highSpeed.StartHighSpeedCapture(settings);
        return;
    }
    FillReadRecord(settings, g_maiVoltParam, g_dVoltBuf);
    FillReadRecord(settings, g_maiBinParam, g_wBinaryCodes);
}

bool Card::ReadChannels(ChannelVoltages& ch) {
    g_nLastError = WithCard([this](HANDLE card) {
        const LONG volts = DQX7460_MAIVoltageIn(card, &g_maiVoltParam);
        return volts != 0 ? volts : DQX7460_MAIBinaryIn(card, &g_maiBinParam);
    });
    if (g_nLastError != 0) return false;
    ch.rawVolt[0] = g_dVoltBuf[0];
    ch.rawVolt[1] = g_dVoltBuf[1];
    return true;
}
