// The run state of a test: record tables, histories, readout texts and run flags. Their
// owner hands them to the chart, the report, the archive and the workbook, which read them
// in place; only the owner's thread touches them.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "run/series_member.h"

constexpr int kRecordSlots = 10003;  // records at 1..g_nRecordCount; 0 is never used
constexpr int kHistorySlots = 503;   // [0] current, [1..500] older, [501] peak
constexpr int kPeakSlot = 501;
constexpr int kHistoryDepth = 500;    // slots 1..500 hold the previous recorded ticks
constexpr int kFormattedSlots = 502;  // slots 0..501 carry a readout text

// The test an opened archive holds, while the main window plays it back: its results are
// those of all its records, however far the playback has come or however it ended.
struct PlayedArchive {
    bool open = false;
    int records = 0;           // up to the archive's first empty force text
    bool hasTestFile = false;  // its specimen and start time were stored beside it
};

// The run state of one test. A new object is the state of a freshly started program.
// Large (the record tables): its owners keep it on the heap.
struct TestRun final {
    TestRun() = default;
    TestRun(const TestRun&) = delete;
    TestRun& operator=(const TestRun&) = delete;

    // Back to the state of a new object, in place, so that whoever holds a reference to it
    // sees the fresh state.
    void Reset();

    // True when discarding the records would lose a test: records were taken since the
    // last save. Questions before the records are cleared ask this.
    bool HasUnsavedTest() const;
    // Puts the automatic stop sequence and the break record back to a test without a
    // break.
    void ResetBreakSequence();
    // The monotonic start of the test, taken by the start command at the first start after
    // a clear, and the seconds elapsed since then.
    void MarkTestStart();
    double SecondsSinceTestStart() const;
    // Record number x period: the times of a test stored without its own.
    void FillRecordTimesFromPeriod(int periodMs);

    // Record tables: the readout texts of each recorded tick (GBK).
    std::string g_strRecord0[kRecordSlots];
    std::string g_strRecord1[kRecordSlots];
    int g_nRecordCount = 0;
    int g_nRecordCapacity = 10000;
    // Elapsed time of each record in seconds since the test's first start, indexed as the
    // record tables: a live record takes the monotonic clock when it is taken, so a stop
    // and continue keeps counting real time; a played-back test takes its times from its
    // CSV file, or record number x the archive's period.
    double g_dRecordTime[kRecordSlots] = {};
    int g_nHistoryLen = 500;
    // The extensometer's reading of each record (mm over Le), indexed as the record tables;
    // NaN once it is taken off. Only a test recorded with the extensometer on fills it.
    double g_dRecordExt[kRecordSlots] = {};
    unsigned char g_bExtRecorded = 0;  // the records carry the extensometer
    int g_nExtRemovalRecord = 0;       // its last record before it was taken off; 0: still on
    double g_dExtGaugeLength = 0;      // Le (mm) of the records that carry it
    double g_dValueExt = 0;            // this tick's reading
    std::string g_strReadoutExt;       // its readout text (GBK)

    // Histories: [0] current value, [1..500] previous recorded ticks newest first, [501]
    // peak.
    double g_dHistory0[kHistorySlots] = {};
    double g_dHistory1[kHistorySlots] = {};
    double g_dRatioHistory[kHistorySlots] = {};
    std::string g_strReadout0[kHistorySlots];
    std::string g_strReadout1[kHistorySlots];
    std::string g_strRatio[kHistorySlots];
    double g_dValue0 = 0, g_dValue1 = 0, g_dRatio = 0;

    // Run flags.
    unsigned char g_bRecording = 0;
    unsigned char g_bPlaybackEnded = 0;
    unsigned char g_bTravelLimit = 0;
    unsigned char g_bStartTimeTaken = 0;
    std::string g_strStartTime;   // "%Y-%m-%d-%H:%M:%S" of the first start after a clear
    std::string g_strOperator;    // the tester (GBK) as the settings named them at that start
    SeriesMember g_seriesMember;  // the series and specimen number taken at that start
    unsigned char g_bZeroRequest0 = 0, g_bZeroRequest1 = 0;
    unsigned char g_bZeroed0 = 0, g_bZeroed1 = 0;
    // 1 while the records held are stored in an archive: set by a save and by opening an
    // archive, cleared by every live record.
    unsigned char g_bTestSaved = 1;

    PlayedArchive g_playedArchive;

    // Automatic stop sequence after a break; reset only by the start command.
    unsigned char g_bBreakDetected = 0, g_bAutoStopDone = 0, g_bAutoReturnActive = 0,
                  g_bAutoReturnDone = 0;
    int g_nAutoStopTicks = 0, g_nAutoReturnTicks = 0;
    // The record count at the tick the break was detected; 0 while the test has none.
    // Reset with the sequence flags by the start command, and by the clear command.
    int g_nBreakRecord = 0;

    // Where SecondsSinceTestStart counts from.
    std::chrono::steady_clock::time_point testStart = std::chrono::steady_clock::now();
};
