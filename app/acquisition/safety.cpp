#include "acquisition/safety.h"

#include "run/break_rule.h"
#include "run/run_state.h"
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

void DriveAlarms(const Settings& settings, std::uint16_t& digitalOut, Lamps& lamps, double value) {
    Drive(digitalOut, kOutAlarmHigh, lamps.alarmHigh, value >= settings.g_dAlarmHigh);
    Drive(digitalOut, kOutAlarmLow, lamps.alarmLow, value >= settings.g_dAlarmLow);
}

void DetectBreak(const Settings& settings, TestRun& run, std::uint16_t& digitalOut, Lamps& lamps,
                 double peak, double value) {
    if (BreakRuleFires(peak, value, settings.g_dBreakValue)) {
        Drive(digitalOut, kOutBroken, lamps.broken, true);
        Drive(digitalOut, kOutAutoStop, lamps.autoStop, true);
        run.g_bBreakDetected = 1;
        run.g_nBreakRecord = run.g_nRecordCount;
    }
}

// At most one stage acts per tick. True when the auto-return phase has just ended.
bool StepBreakSequence(const Settings& settings, TestRun& run, std::uint16_t& digitalOut,
                       Lamps& lamps) {
    if (!run.g_bBreakDetected) {
        DetectBreak(settings, run, digitalOut, lamps, run.g_dHistory0[kPeakSlot],
                    run.g_dHistory0[0]);
        return false;
    }
    // The phases end when their count reaches the delay or passes it, so a delay of 0 or
    // less from a settings file ends the phase after one tick instead of never.
    if (!run.g_bAutoStopDone) {
        if (++run.g_nAutoStopTicks >= settings.g_nAutoStopDelay) {
            Drive(digitalOut, kOutAutoStop, lamps.autoStop, false);
            run.g_bAutoStopDone = 1;
            Drive(digitalOut, kOutAutoReturn, lamps.autoReturn, true);
            run.g_bAutoReturnActive = 1;
        }
        return false;
    }
    if (!run.g_bAutoReturnDone) {
        if (++run.g_nAutoReturnTicks >= settings.g_nAutoReturnDelay) {
            Drive(digitalOut, kOutAutoReturn, lamps.autoReturn, false);
            run.g_bAutoReturnDone = 1;
            return true;
        }
    }
    return false;
}

}  // namespace

bool ForcedStopCondition(const Settings& settings, double value0, bool travelLimit) {
    return value0 >= settings.g_dForceStopLimit || travelLimit;
}

SafetyAction EvaluateSafety(const Settings& settings, TestRun& run, std::uint16_t& digitalOut,
                            Lamps& lamps, bool playback) {
    DriveAlarms(settings, digitalOut, lamps, run.g_dValue0);

    if (StepBreakSequence(settings, run, digitalOut, lamps)) return SafetyAction::kStopAndSave;

    const bool forced =
        !playback && ForcedStopCondition(settings, run.g_dValue0, run.g_bTravelLimit != 0);
    Drive(digitalOut, kOutForcedStop, lamps.forcedStop, forced);
    return forced ? SafetyAction::kForcedStop : SafetyAction::kNone;
}

SafetyAction EvaluateBetweenTicks(const Settings& settings, TestRun& run, std::uint16_t& digitalOut,
                                  Lamps& lamps, double value, double peak) {
    DriveAlarms(settings, digitalOut, lamps, value);
    if (!run.g_bBreakDetected) DetectBreak(settings, run, digitalOut, lamps, peak, value);
    const bool forced = ForcedStopCondition(settings, value, run.g_bTravelLimit != 0);
    Drive(digitalOut, kOutForcedStop, lamps.forcedStop, forced);
    return forced ? SafetyAction::kForcedStop : SafetyAction::kNone;
}
