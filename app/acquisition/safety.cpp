#include "acquisition/safety.h"

#include "acquisition/run_state.h"
#include "settings/settings_record.h"

namespace {

// An output is active while its bit is 0; its lamp is shown exactly then.
void Drive(std::uint16_t& digitalOut, OutputBit bit, bool& lamp, bool active) {
    lamp = active;
    if (active) {
        digitalOut = static_cast<std::uint16_t>(digitalOut & ~bit);
    } else {
        digitalOut = static_cast<std::uint16_t>(digitalOut | bit);
    }
}

void DriveAlarms(std::uint16_t& digitalOut, Lamps& lamps, double value) {
    Drive(digitalOut, kOutAlarmHigh, lamps.alarmHigh, value >= g_dAlarmHigh);
    Drive(digitalOut, kOutAlarmLow, lamps.alarmLow, value >= g_dAlarmLow);
}

void DetectBreak(std::uint16_t& digitalOut, Lamps& lamps, double peak, double value) {
    if (peak - value >= g_dBreakValue) {
        Drive(digitalOut, kOutBroken, lamps.broken, true);
        Drive(digitalOut, kOutAutoStop, lamps.autoStop, true);
        g_bBreakDetected = 1;
        g_nBreakRecord = g_nRecordCount;
    }
}

// At most one stage acts per tick. True when the auto-return phase has just ended.
bool StepBreakSequence(std::uint16_t& digitalOut, Lamps& lamps) {
    if (!g_bBreakDetected) {
        DetectBreak(digitalOut, lamps, g_dHistory0[kPeakSlot], g_dHistory0[0]);
        return false;
    }
    // The phases end when their count reaches the delay or passes it, so a delay of 0 or
    // less from a settings file ends the phase after one tick instead of never.
    if (!g_bAutoStopDone) {
        if (++g_nAutoStopTicks >= g_nAutoStopDelay) {
            Drive(digitalOut, kOutAutoStop, lamps.autoStop, false);
            g_bAutoStopDone = 1;
            Drive(digitalOut, kOutAutoReturn, lamps.autoReturn, true);
            g_bAutoReturnActive = 1;
        }
        return false;
    }
    if (!g_bAutoReturnDone) {
        if (++g_nAutoReturnTicks >= g_nAutoReturnDelay) {
            Drive(digitalOut, kOutAutoReturn, lamps.autoReturn, false);
            g_bAutoReturnDone = 1;
            return true;
        }
    }
    return false;
}

}  // namespace

bool ForcedStopCondition(double value0, bool travelLimit) {
    return value0 >= g_dForceStopLimit || travelLimit;
}

SafetyAction EvaluateSafety(std::uint16_t& digitalOut, Lamps& lamps, bool playback) {
    DriveAlarms(digitalOut, lamps, g_dValue0);

    if (StepBreakSequence(digitalOut, lamps)) return SafetyAction::kStopAndSave;

    const bool forced = !playback && ForcedStopCondition(g_dValue0, g_bTravelLimit != 0);
    Drive(digitalOut, kOutForcedStop, lamps.forcedStop, forced);
    return forced ? SafetyAction::kForcedStop : SafetyAction::kNone;
}

SafetyAction EvaluateBetweenTicks(std::uint16_t& digitalOut, Lamps& lamps, double value,
                                  double peak) {
    DriveAlarms(digitalOut, lamps, value);
    if (!g_bBreakDetected) DetectBreak(digitalOut, lamps, peak, value);
    const bool forced = ForcedStopCondition(value, g_bTravelLimit != 0);
    Drive(digitalOut, kOutForcedStop, lamps.forcedStop, forced);
    return forced ? SafetyAction::kForcedStop : SafetyAction::kNone;
}
