// The run state of a test: record tables, histories, readout texts and run flags. They live
// for the whole program; the chart, the report, the archive and the workbook read them in
// place, and only the window's thread touches them.
#pragma once

#include <cstdint>
#include <string>

#include "DQX7460.h"

constexpr int kRecordSlots = 10003;  // records at 1..g_nRecordCount; 0 is never used
constexpr int kHistorySlots = 503;   // [0] current, [1..500] older, [501] peak
constexpr int kPeakSlot = 501;

// Record tables: the readout texts of each recorded tick (GBK).
extern std::string g_strRecord0[kRecordSlots];
extern std::string g_strRecord1[kRecordSlots];
extern int g_nRecordCount;
extern int g_nRecordCapacity;  // 10000
// Elapsed time of each record in seconds since the test's first start, indexed as the
// record tables: a live record takes the monotonic clock when it is taken, so a stop and
// continue keeps counting real time; a played-back test takes its times from its CSV file,
// or record number x the archive's period.
extern double g_dRecordTime[kRecordSlots];
extern int g_nHistoryLen;  // 500

// Histories: [0] current value, [1..500] previous recorded ticks newest first, [501] peak.
extern double g_dHistory0[kHistorySlots];
extern double g_dHistory1[kHistorySlots];
extern double g_dRatioHistory[kHistorySlots];
extern std::string g_strReadout0[kHistorySlots];
extern std::string g_strReadout1[kHistorySlots];
extern std::string g_strRatio[kHistorySlots];
extern double g_dValue0, g_dValue1, g_dRatio;

// Run flags.
extern unsigned char g_bRecording;
extern unsigned char g_bPlaybackEnded;
extern unsigned char g_bTravelLimit;
extern unsigned char g_bStartTimeTaken;
extern std::string g_strStartTime;  // "%Y-%m-%d-%H:%M:%S" of the first start after a clear
extern unsigned char g_bZeroRequest0, g_bZeroRequest1;
extern unsigned char g_bZeroed0, g_bZeroed1;
// 1 while the records held are stored in an archive: set by a save and by opening an
// archive, cleared by every live record.
extern unsigned char g_bTestSaved;

// True when discarding the records would lose a test: records were taken since the last
// save. Questions before the records are cleared ask this.
bool HasUnsavedTest();

// The test an opened archive holds, while the main window plays it back: its results are
// those of all its records, however far the playback has come or however it ended.
struct PlayedArchive {
    bool open = false;
    int records = 0;           // up to the archive's first empty force text
    bool hasTestFile = false;  // its specimen and start time were stored beside it
};
extern PlayedArchive g_playedArchive;

// Automatic stop sequence after a break; reset only by the start command.
extern unsigned char g_bBreakDetected, g_bAutoStopDone, g_bAutoReturnActive, g_bAutoReturnDone;
extern int g_nAutoStopTicks, g_nAutoReturnTicks;
// The record count at the tick the break was detected; 0 while the test has none. Reset
// with the sequence flags by the start command, and by the clear command.
extern int g_nBreakRecord;
// Puts the automatic stop sequence and the break record back to a test without a break.
void ResetBreakSequence();

// The monotonic start of the test, taken by the start command at the first start after a
// clear, and the seconds elapsed since then.
void MarkTestStart();
double SecondsSinceTestStart();
// Record number x period: the times of a test stored without its own.
void FillRecordTimesFromPeriod(int periodMs);

// Rig inputs on the digital input word, active low.
constexpr WORD kInTravelLimit = 0x01;
constexpr WORD kInStop = 0x02;
constexpr WORD kInZero = 0x04;
constexpr WORD kInClear = 0x08;
constexpr WORD kInStart = 0x10;

// Puts every item above back to its start-up value (defaults of the main window's
// construction). Tests use it to begin from a clean program state.
void ResetRunState();
// The run state and the settings (defaults, parsed) as a freshly started program has them
// before it reads its settings file.
void ResetProgramState();
