// A single scan of channels 0 and 1 on one range code, with the program's scan mode bit.
#pragma once

#include "DQX7460.h"

inline AdScanRequest TwoChannelRequest(WORD rangeCode, LONG bipolar, double* results) {
    AdScanRequest request{};
    request.Config.RangeCode[0] = rangeCode;
    request.Config.RangeCode[1] = rangeCode;
    request.Config.Bipolar = bipolar;
    request.Config.Reg7Bit2 = 1;
    request.Config.ChannelList[1] = 1;
    request.Config.ChannelCount = 2;
    request.Results = results;
    return request;
}
