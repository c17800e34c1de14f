#include "acquisition/run_state.h"

#include <algorithm>
#include <chrono>

#include "settings/settings_record.h"

std::string g_strRecord0[kRecordSlots];
std::string g_strRecord1[kRecordSlots];
int g_nRecordCount = 0;
int g_nRecordCapacity = 10000;
int g_nHistoryLen = 500;
double g_dRecordTime[kRecordSlots];

double g_dHistory0[kHistorySlots];
double g_dHistory1[kHistorySlots];
double g_dRatioHistory[kHistorySlots];
std::string g_strReadout0[kHistorySlots];
std::string g_strReadout1[kHistorySlots];
std::string g_strRatio[kHistorySlots];
double g_dValue0 = 0, g_dValue1 = 0, g_dRatio = 0;

unsigned char g_bRecording = 0;
unsigned char g_bPlaybackEnded = 0;
unsigned char g_bTravelLimit = 0;
unsigned char g_bStartTimeTaken = 0;
std::string g_strStartTime;
unsigned char g_bZeroRequest0 = 0, g_bZeroRequest1 = 0;
unsigned char g_bZeroed0 = 0, g_bZeroed1 = 0;
unsigned char g_bTestSaved = 1;

unsigned char g_bBreakDetected = 0, g_bAutoStopDone = 0, g_bAutoReturnActive = 0,
              g_bAutoReturnDone = 0;
int g_nAutoStopTicks = 0, g_nAutoReturnTicks = 0;
int g_nBreakRecord = 0;
PlayedArchive g_playedArchive;

namespace {

std::chrono::steady_clock::time_point g_testStart = std::chrono::steady_clock::now();

}  // namespace

void MarkTestStart() {
    g_testStart = std::chrono::steady_clock::now();
}

double SecondsSinceTestStart() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - g_testStart).count();
}

void FillRecordTimesFromPeriod(int periodMs) {
    for (int i = 0; i < kRecordSlots; ++i) g_dRecordTime[i] = i * (periodMs / 1000.0);
}

void ResetRunState() {
    for (int i = 0; i < kRecordSlots; ++i) {
        g_strRecord0[i].clear();
        g_strRecord1[i].clear();
    }
    std::fill(std::begin(g_dRecordTime), std::end(g_dRecordTime), 0.0);
    g_nRecordCount = 0;
    g_nRecordCapacity = 10000;
    g_nHistoryLen = 500;
    std::fill(std::begin(g_dHistory0), std::end(g_dHistory0), 0.0);
    std::fill(std::begin(g_dHistory1), std::end(g_dHistory1), 0.0);
    std::fill(std::begin(g_dRatioHistory), std::end(g_dRatioHistory), 0.0);
    for (int i = 0; i < kHistorySlots; ++i) {
        g_strReadout0[i].clear();
        g_strReadout1[i].clear();
        g_strRatio[i].clear();
    }
    g_dValue0 = g_dValue1 = g_dRatio = 0;
    g_bRecording = g_bPlaybackEnded = g_bTravelLimit = g_bStartTimeTaken = 0;
    g_strStartTime.clear();
    g_bZeroRequest0 = g_bZeroRequest1 = g_bZeroed0 = g_bZeroed1 = 0;
    g_bTestSaved = 1;
    ResetBreakSequence();
    g_playedArchive = PlayedArchive{};
    MarkTestStart();
}

void ResetProgramState() {
    ResetRunState();
    SetDefaultSettings();
    ParseSettings();
}

void ResetBreakSequence() {
    g_bBreakDetected = g_bAutoStopDone = g_bAutoReturnActive = g_bAutoReturnDone = 0;
    g_nAutoStopTicks = g_nAutoReturnTicks = 0;
    g_nBreakRecord = 0;
}

bool HasUnsavedTest() {
    return g_nRecordCount > 0 && !g_bTestSaved;
}
