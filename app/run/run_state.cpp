#include "run/run_state.h"

#include <cmath>
#include <limits>
#include <memory>
#include <new>

void TestRun::Reset() {
    // No member is const or a reference, so the new object takes the old one's place.
    std::destroy_at(this);
    new (this) TestRun;
}

void TestRun::MarkTestStart() {
    testStart = std::chrono::steady_clock::now();
}

double TestRun::SecondsSinceTestStart() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - testStart).count();
}

void TestRun::FillRecordTimesFromPeriod(int periodMs) {
    for (int i = 0; i < kRecordSlots; ++i) g_dRecordTime[i] = i * (periodMs / 1000.0);
}

void TestRun::ResetBreakSequence() {
    g_bBreakDetected = g_bAutoStopDone = g_bAutoReturnActive = g_bAutoReturnDone = 0;
    g_nAutoStopTicks = g_nAutoReturnTicks = 0;
    g_nBreakRecord = 0;
}

bool TestRun::HasUnsavedTest() const {
    return g_nRecordCount > 0 && !g_bTestSaved;
}

double TestRun::ExtReadingOf(int n) const {
    const bool read = n >= 0 && n < kRecordSlots && std::isfinite(g_dRecordExt[n]) &&
                      (g_nExtRemovalRecord <= 0 || n <= g_nExtRemovalRecord);
    return read ? g_dRecordExt[n] : std::numeric_limits<double>::quiet_NaN();
}
