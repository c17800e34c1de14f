#include "acquisition/safety.h"

#include "acquisition/run_state.h"
#include "settings/settings_record.h"

namespace {

constexpr int kPeakSlot = 501;

// An output is active while its bit is 0; its lamp is shown exactly then.
void Drive(std::uint16_t& digitalOut, OutputBit bit, bool& lamp, bool active) {
    lamp = active;
    if (active) {
        digitalOut = static_cast<std::uint16_t>(digitalOut & ~bit);
    } else {
        digitalOut = static_cast<std::uint16_t>(digitalOut | bit);
    }
}

// At most one stage acts per tick. True when the auto-return phase has just ended.
bool StepBreakSequence(std::uint16_t& digitalOut, Lamps& lamps) {
    if (!g_bBreakDetected) {
        if (g_dHistory0[kPeakSlot] - g_dHistory0[0] >= g_dBreakValue) {
            Drive(digitalOut, kOutBroken, lamps.broken, true);
            Drive(digitalOut, kOutAutoStop, lamps.autoStop, true);
            g_bBreakDetected = 1;
            g_nBreakRecord = g_nRecordCount;
        }
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

SafetyAction EvaluateSafety(std::uint16_t& digitalOut, Lamps& lamps, bool playback) {
    Drive(digitalOut, kOutAlarmHigh, lamps.alarmHigh, g_dValue0 >= g_dAlarmHigh);
    Drive(digitalOut, kOutAlarmLow, lamps.alarmLow, g_dValue0 >= g_dAlarmLow);

    if (StepBreakSequence(digitalOut, lamps)) return SafetyAction::kStopAndSave;

    const bool forced = !playback && (g_dValue0 >= g_dForceStopLimit || g_bTravelLimit);
    Drive(digitalOut, kOutForcedStop, lamps.forcedStop, forced);
    return forced ? SafetyAction::kForcedStop : SafetyAction::kNone;
}
