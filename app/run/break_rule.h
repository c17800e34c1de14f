// The break rule, for the interlocks of a live run and for the results of a played-back
// archive alike.
#pragma once

// A break: the value lies the break value or more below the peak.
inline bool BreakRuleFires(double peak, double value, double breakValue) {
    return peak - value >= breakValue;
}
