// Card set-up at start-up and the two single-scan reads of every sampling tick.
#pragma once

#include <string>

#include "DQX7460.h"
#include "acquisition/conditioning.h"

struct Settings;

extern AdScanRequest g_maiVoltParam;
extern AdScanRequest g_maiBinParam;
extern double g_dVoltBuf[256];  // entries 0 and 1: channel voltages; 0..249 high-speed burst

// Range code and polarity for an input-type text; false (outputs untouched) for any other.
bool InputTypeRange(const std::string& inputType, WORD* rangeCode, LONG* bipolar);

// Resets the card and fills the two read records from settings.g_strInputType; with g_bHighSpeed
// set, starts the high-speed capture instead.
void ConfigureCard(const Settings& settings);

// The tick's acquisition: DQX7460_MAIVoltageIn then DQX7460_MAIBinaryIn, codes into
// g_nLastError. On success copies both voltages into ch.rawVolt and returns true.
bool ReadChannels(ChannelVoltages& ch);
