// The texts of the main window's status line, composed from the run's facts without a
// window: the run state, the test time, the real interval between records against the set
// period, and a notice (why the rig was stopped and what to do next, where the test was
// saved).
#pragma once

#include <QString>

#include "acquisition/safety.h"

class RunController;
struct Settings;
struct TestRun;

enum class RunPhase { kIdle, kRecording, kStopped, kPlayback, kPlaybackEnded };

// The card as the window sees it: found at start-up, never found (playback only), or
// stopped answering and being opened again.
enum class CardState { kPresent, kAbsent, kLost };

struct StatusFacts {
    RunPhase phase = RunPhase::kIdle;
    CardState card = CardState::kPresent;
    int records = 0;
    double testSeconds = 0;  // elapsed test time at the newest record
    double intervalMs = 0;   // mean real interval between the run's latest records; 0: none
    int periodMs = 0;        // the set sampling period
    ForcedStopCause forcedStop;
    QString channel0;  // name of channel 0, its unit and the forced-stop limit, for the
    QString unit0;     // notice of a forced stop by the limit
    double forceStopLimit = 0;
    QString savedArchive;  // the archive the last save wrote; empty when there is none
    QString specimenId;    // the test's specimen in its series; empty for a lone test
    QString excludedReason;
    QString nextSpecimenId;  // while a series is active and no test is held: the next one
    int sharedWaiting = 0;   // tests and series the shared database does not have yet
    QString sharedError;     // why they wait
};

struct StatusTexts {
    QString state;
    QString time;      // empty while no test is held
    QString interval;  // empty unless a live run has measured one
    bool periodMissed = false;
    QString notice;  // empty when there is nothing to tell
};

StatusTexts ComposeStatus(const StatusFacts& facts);

// The facts of the run as the controller and the test hold them; `cardOpen` when the card
// has a handle, `periodMs` the sampling timer's period.
StatusFacts FactsOfRun(const Settings& settings, const TestRun& run, const RunController& control,
                       bool cardOpen, int periodMs);

// Mean interval in ms between consecutive records among firstRecord..count (only the last
// ten intervals), from their elapsed times in seconds; 0 with fewer than two records.
double RecentIntervalMs(const double* recordTimes, int firstRecord, int count);

// Whether a measured mean interval shows that the set period is not being kept (timer
// jitter of a few percent and a couple of milliseconds is not counted).
bool PeriodMissed(double intervalMs, int periodMs);
