// Safety interlocks: alarm lamps and outputs, break detection with the automatic
// stop-and-return sequence, and the forced stop.
#pragma once

#include <cstdint>

struct Settings;
struct TestRun;

// Output word bits (active low) and the lamp that shows each.
enum OutputBit : std::uint16_t {
    kOutForcedStop = 0x01,  // lamp 1067
    kOutAlarmHigh = 0x02,   // lamp 1068
    kOutAlarmLow = 0x04,    // lamp 1069
    kOutBroken = 0x08,      // lamp 1070
    kOutAutoStop = 0x10,    // lamp 1073
    kOutAutoReturn = 0x20,  // lamp 1072
};
constexpr std::uint16_t kIdleOutputWord = 0x00FF;

// Visibility of the six indicator lamps, kept by the main window.
struct Lamps {
    bool forcedStop = false;  // 1067
    bool alarmHigh = false;   // 1068
    bool alarmLow = false;    // 1069
    bool broken = false;      // 1070
    bool autoStop = false;    // 1073
    bool autoReturn = false;  // 1072
};

// What a forced stop saw; both may hold at once.
struct ForcedStopCause {
    bool forceLimit = false;   // channel 0 at or above the forced-stop limit
    bool travelLimit = false;  // the travel-limit switch (or button) engaged

    bool Any() const { return forceLimit || travelLimit; }
};

enum class SafetyAction {
    kNone,         // the tick goes on: refresh, then (live) write the output word
    kStopAndSave,  // the automatic sequence ended: run stop, then (live) save; tick ends
    kForcedStop,   // live only: write the word at once, stop, kill timer 1, show
                   // "安全限制 强行停机" / "安全保护信息"; tick ends
};

// Evaluates the interlocks on run.g_dValue0 and the channel 0 history, updating the output
// word, the lamps and the sequence flags. In playback there is no forced stop.
SafetyAction EvaluateSafety(const Settings& settings, TestRun& run, std::uint16_t& digitalOut,
                            Lamps& lamps, bool playback);

// The interlocks of a live run between two ticks, on channel 0's value polled then and the
// highest value of the test (`peak`, polled or recorded): the alarms follow the value, a
// break is detected (its stop phase starts at once; the phases are counted in ticks, so
// they go on at the ticks), and the forced stop is asked for when its condition holds. A
// long sampling period thus never lets the rig run past a limit unwatched.
SafetyAction EvaluateBetweenTicks(const Settings& settings, TestRun& run, std::uint16_t& digitalOut,
                                  Lamps& lamps, double value, double peak);

// The forced stop's condition: the value at or above the forced-stop limit, or the travel
// limit engaged.
bool ForcedStopCondition(const Settings& settings, double value0, bool travelLimit);
