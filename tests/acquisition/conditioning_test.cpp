#include "acquisition/conditioning.h"
#include "run/readouts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <utility>

#include "acquisition_fixture.h"
#include "settings/settings_checks.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

class ConditioningTest : public AcquisitionTest {
  protected:
    void Tick(double volt0, double volt1) {
        ch.rawVolt[0] = volt0;
        ch.rawVolt[1] = volt1;
        ConditionChannels(settings, run, ch);
    }
    void Ticks(int n, double volt0, double volt1) {
        for (int i = 0; i < n; ++i) Tick(volt0, volt1);
    }
    // While recording with damping 0 and an input type without span scaling, the value is
    // the voltage after cut-off and quantisation.
    double Pass(double volt) {
        run.g_bRecording = 1;
        settings.g_nDamping0 = 0;
        settings.g_strInputType = "none";
        Tick(volt, 0);
        return run.g_dValue0;
    }

    ChannelVoltages ch;
};

TEST_F(ConditioningTest, IdleAverageThenDampingConvergesToScaledValue) {
    // "-5V~+5V", span 100 (channel 1: 200), coefficient 1, 1.0 V on both channels.
    Ticks(9, 1.0, 1.0);
    EXPECT_EQ(run.g_dValue0, 0);
    EXPECT_EQ(run.g_strReadout0[0], "000.000");
    Tick(1.0, 1.0);  // the first average: 3/5 of the step of 10 (channel 1: of 20)
    EXPECT_DOUBLE_EQ(run.g_dValue0, 6.0);
    EXPECT_DOUBLE_EQ(run.g_dValue1, 12.0);
    EXPECT_EQ(run.g_strReadout0[0], "006.000");
    EXPECT_EQ(run.g_strReadout1[0], "012.000");
    Ticks(100, 1.0, 1.0);
    EXPECT_DOUBLE_EQ(run.g_dValue0, 10.0);
    EXPECT_DOUBLE_EQ(run.g_dValue1, 20.0);
    EXPECT_EQ(run.g_strReadout0[0], "010.000");
    // Idle ticks neither move the history nor raise the peak.
    EXPECT_EQ(run.g_dHistory0[1], 0);
    EXPECT_EQ(run.g_dHistory0[501], 0);
}

TEST_F(ConditioningTest, ASteadyValueWhileRecordingKeepsItsOwnText) {
    // The texts move with the histories; a value equal to the previous one must not pick
    // up the text that slot 500 carried before the move.
    for (int i = 0; i < 4; ++i) EXPECT_DOUBLE_EQ(Pass(0.5), 0.5);
    for (int i = 0; i <= 4; ++i)
        EXPECT_EQ(run.g_strReadout0[i],
                  FormatChannelValue(0, run.g_dHistory0[i], settings.g_dFullScale0))
            << i;
    EXPECT_EQ(run.g_strReadout0[0], "000.500");
}

TEST_F(ConditioningTest, RangeScalingFollowsTheInputType) {
    run.g_bRecording = 1;
    settings.g_nDamping0 = 0;
    const struct {
        const char* type;
        double value;
    } cases[] = {{"0~+5V", 20}, {"0~+10V", 10}, {"-5V~+5V", 10}, {"-10V~+10V", 5}, {"5V", 1}};
    for (const auto& c : cases) {
        settings.g_strInputType = c.type;
        Tick(1.0, 0);
        EXPECT_DOUBLE_EQ(run.g_dValue0, c.value) << c.type;
    }
}

TEST_F(ConditioningTest, CutoffAndQuantisationTowardMinusInfinity) {
    EXPECT_EQ(Pass(0.0015), 0);
    EXPECT_EQ(Pass(0.002), 0);  // at the cut-off counts as below it
    EXPECT_DOUBLE_EQ(Pass(0.0025), 0.002);
    EXPECT_DOUBLE_EQ(Pass(-0.0025), -0.003);
    settings.g_dCutoff0 = 0;
    EXPECT_DOUBLE_EQ(Pass(-0.0015), -0.002);
    // A value on the grid keeps its step although the division comes out a hair below it.
    settings.g_dResolution0 = 0.1;
    EXPECT_DOUBLE_EQ(Pass(0.3), 0.3);
    EXPECT_DOUBLE_EQ(Pass(-0.3), -0.3);
}

TEST_F(ConditioningTest, RecordingShiftsHistoriesAndTracksThePeak) {
    run.g_bRecording = 1;
    settings.g_nDamping0 = 0;
    settings.g_dResolution0 = 0;
    settings.g_strInputType = "none";
    Tick(3, 0);
    Tick(7, 0);
    Tick(5, 0);
    EXPECT_EQ(run.g_dHistory0[0], 5);
    EXPECT_EQ(run.g_dHistory0[1], 7);
    EXPECT_EQ(run.g_dHistory0[2], 3);
    EXPECT_EQ(run.g_dHistory0[501], 7);
    EXPECT_EQ(run.g_strReadout0[1], "007.000");
    EXPECT_EQ(run.g_strReadout0[2], "003.000");
    EXPECT_EQ(run.g_strReadout0[501], "007.000");
    // The peak is held while the travel limit is engaged.
    run.g_bTravelLimit = 1;
    Tick(9, 0);
    EXPECT_EQ(run.g_dHistory0[501], 7);
    // 500 ticks later the 9 is the oldest value; one more and it has left the history.
    run.g_bTravelLimit = 0;
    Ticks(500, 1, 0);
    EXPECT_EQ(run.g_dHistory0[500], 9);
    Tick(1, 0);
    EXPECT_EQ(run.g_dHistory0[500], 1);
    EXPECT_EQ(run.g_strReadout0[500], "001.000");
    EXPECT_EQ(run.g_dHistory0[501], 7);
}

TEST_F(ConditioningTest, DampingWhileRecordingUsesTheLevel) {
    run.g_bRecording = 1;
    settings.g_nDamping0 = 4;
    Tick(1.0, 0);
    EXPECT_DOUBLE_EQ(run.g_dValue0, 2.0);  // (4 x 0 + 1 x 10) / 5
    // A level beyond 4 from a settings file acts as 4 instead of making the filter diverge.
    run.Reset();
    ch = ChannelVoltages{};
    run.g_bRecording = 1;
    settings.g_nDamping0 = 9;
    Tick(1.0, 0);
    EXPECT_DOUBLE_EQ(run.g_dValue0, 2.0);
    settings.g_nDamping0 = -3;
    Tick(1.0, 0);
    EXPECT_DOUBLE_EQ(run.g_dValue0, 10.0);
}

TEST_F(ConditioningTest, ZeroRequestTakesTheAverageAndRestartsHistoryAndPeak) {
    settings.g_dZeroPreset0 = 2;
    for (int i = 1; i <= 10; ++i) Tick(0.1 * i, 0);  // average 0.55 V
    run.g_dHistory0[1] = 4;
    run.g_dHistory0[501] = 8;
    ch.highSpeedZeroPreset = 2;
    run.g_bZeroRequest0 = 1;
    Tick(3.0, 0);  // not yet averaged: the chain still uses 0.55 V
    EXPECT_DOUBLE_EQ(ch.zeroVolt[0], 0.55);
    EXPECT_EQ(run.g_bZeroRequest0, 0);
    EXPECT_EQ(run.g_bZeroed0, 1);
    EXPECT_EQ(run.g_bZeroed1, 0);
    EXPECT_EQ(ch.highSpeedZeroPreset, 0);
    EXPECT_EQ(run.g_dHistory0[1], 0);
    EXPECT_EQ(run.g_dHistory0[501], 0);
    // Zeroed: neither the old average nor the preset remains in the value.
    EXPECT_EQ(run.g_dValue0, 0);
    EXPECT_EQ(run.g_strReadout0[501], "000.000");
}

TEST_F(ConditioningTest, PresetZeroIsSubtractedUntilZeroed) {
    run.g_bRecording = 1;
    settings.g_nDamping0 = 0;
    settings.g_dZeroPreset0 = 2;
    Tick(1.0, 0);
    EXPECT_DOUBLE_EQ(run.g_dValue0, 8.0);
    run.g_bZeroed0 = 1;
    Tick(1.0, 0);
    EXPECT_DOUBLE_EQ(run.g_dValue0, 10.0);
}

TEST_F(ConditioningTest, RatioRules) {
    Tick(0, 0);
    EXPECT_EQ(run.g_dRatio, 1.0);
    EXPECT_EQ(run.g_strRatio[0], "001.000");
    run.g_bRecording = 1;
    settings.g_nDamping0 = settings.g_nDamping1 = 0;
    Tick(1.0, 0.5);  // 10 and 10: equal
    EXPECT_EQ(run.g_dRatio, 1.0);
    Tick(1.0, 0.25);  // 10 / 5
    EXPECT_DOUBLE_EQ(run.g_dRatio, 2.0);
    Tick(0.5, 0);  // channel 1 at 0: the ratio stays for the chart
    EXPECT_DOUBLE_EQ(run.g_dRatio, 2.0);
    EXPECT_DOUBLE_EQ(run.g_dRatioHistory[0], 2.0);
    EXPECT_DOUBLE_EQ(run.g_dRatioHistory[1], 2.0);
    EXPECT_DOUBLE_EQ(run.g_dRatioHistory[2], 1.0);
    // ... but the readout shows no number: 2 is not the ratio of 5 and 0.
    EXPECT_EQ(run.g_strRatio[0], kNoRatioReadout);
    Tick(1.0, 0.5);
    EXPECT_EQ(run.g_strRatio[0], "001.000");
}

TEST(RatioReadout, ReadsOnlyTheRatioOfThePresentReadings) {
    EXPECT_EQ(RatioReadout(0, 0), "001.000");
    EXPECT_EQ(RatioReadout(5, 0), kNoRatioReadout);
    EXPECT_EQ(RatioReadout(-5, 0), kNoRatioReadout);
    EXPECT_EQ(RatioReadout(0, 4), "000.000");
    EXPECT_EQ(RatioReadout(12.5, -2.5), "-05.000");
    EXPECT_EQ(RatioReadout(3000, 2), "01500.0");
}

TEST(FormatChannelValue, OneCasePerFullScaleRow) {
    const struct {
        double fullScale;
        double value;
        const char* channel0;
        const char* channel1;
    } rows[] = {
        {5, 1.5, "01.5000", "1.50000"},
        {10, 12.345, "012.345", "12.3450"},  // a bound must exceed the full scale
        {50, 12.345, "012.345", "12.3450"},
        {100, 123.45, "0123.45", "123.450"},
        {5000, 1234.5, "01234.5", "1234.50"},
        {99999, 12345, "0012345", "12345.0"},
        {500000, 123456, "123456.", "123456."},
        {1000000, 1234567, "1234567", "1234567"},
        {-1, -1.5, "-1.5000", "-1.50000"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(FormatChannelValue(0, row.value, row.fullScale), row.channel0) << row.fullScale;
        EXPECT_EQ(FormatChannelValue(1, row.value, row.fullScale), row.channel1) << row.fullScale;
    }
}

TEST(FormatRatio, FormatChangesAtEachPowerOfTen) {
    const std::pair<double, const char*> rows[] = {
        {1.0, "001.000"},     {99.5, "099.500"},  {100, "0100.00"},   {-100, "-100.00"},
        {1234.56, "01234.6"}, {-1000, "-1000.0"}, {10000, "0010000"}, {-12345.6, "-012346"}};
    for (const auto& [ratio, text] : rows) EXPECT_EQ(FormatRatio(ratio), text) << ratio;
}

TEST(Formatting, ExtremeValuesStayWhole) {
    EXPECT_EQ(FormatChannelValue(0, kNaN, 50), "    nan");
    EXPECT_EQ(FormatChannelValue(1, -kInf, 50), "   -inf");
    EXPECT_EQ(FormatChannelValue(0, 1.0, kNaN), "0000001");
    EXPECT_EQ(FormatChannelValue(1, 1e6, 500000), "1000000.");
    const std::string huge = FormatChannelValue(1, -1.7e308, 5);
    EXPECT_EQ(huge.size(), 1u + 309 + 1 + 5);
    EXPECT_EQ(huge.substr(huge.size() - 6), ".00000");
    EXPECT_EQ(FormatRatio(kNaN), "    nan");
    EXPECT_EQ(FormatRatio(1.7e308).size(), 309u);
}

TEST_F(ConditioningTest, ZeroOrNonFiniteSettingsNeverFault) {
    run.g_bRecording = 1;
    settings.g_nDamping0 = 0;
    settings.g_dResolution0 = 0;  // not quantised
    Tick(0.00025, 0);
    EXPECT_DOUBLE_EQ(run.g_dValue0, 0.0025);
    settings.g_dResolution0 = kNaN;
    Tick(0.00025, 0);
    EXPECT_DOUBLE_EQ(run.g_dValue0, 0.0025);
    settings.g_dResolution0 = 1e-320;  // the division overflows: left as it is
    Tick(0.00025, 0);
    EXPECT_DOUBLE_EQ(run.g_dValue0, 0.0025);
    settings.g_dResolution0 = 0.001;
    settings.g_dSpan0 = 0;
    Tick(1.0, 0);
    EXPECT_EQ(run.g_dValue0, 0);
    settings.g_dSpan0 = 100;
    settings.g_dCoef0 = kInf;
    Tick(1.0, 0);
    EXPECT_EQ(run.g_dValue0, kInf);
    EXPECT_EQ(run.g_strReadout0[0], "    inf");
    EXPECT_EQ(run.g_dHistory0[501], kInf);
    settings.g_dCoef0 = 1;
    settings.g_dFullScale0 = kNaN;
    Tick(1.0, 0);
    EXPECT_EQ(run.g_strReadout0[0], "0000010");
}

TEST_F(ConditioningTest, NanVoltageDoesNotLatchTheReadout) {
    run.g_bRecording = 1;
    Tick(kNaN, kNaN);
    EXPECT_TRUE(std::isnan(run.g_dValue0));
    EXPECT_EQ(run.g_strReadout0[0], "    nan");
    EXPECT_EQ(run.g_dHistory0[501], 0);  // a nan never becomes the peak
    // The next good sample restarts the damping from its own value.
    Tick(1.0, 0.5);
    EXPECT_DOUBLE_EQ(run.g_dValue0, 10.0);
    EXPECT_DOUBLE_EQ(run.g_dValue1, 10.0);
    EXPECT_EQ(run.g_dRatio, 1.0);
    EXPECT_EQ(run.g_strReadout0[1], "    nan");
}

TEST_F(ConditioningTest, TextsClearedElsewhereAreWrittenAgain) {
    Tick(0, 0);
    EXPECT_EQ(run.g_strReadout1[7], "000.000");
    run.Reset();  // clears the texts; the values stay 0
    FormatReadouts(settings, run);
    EXPECT_EQ(run.g_strReadout0[7], "000.000");
    EXPECT_EQ(run.g_strReadout1[501], "000.000");
    // A full-scale change reformats every slot although no value moved.
    settings.g_dFullScale0 = 5;
    FormatReadouts(settings, run);
    EXPECT_EQ(run.g_strReadout0[7], "00.0000");
}

// Two runs share nothing, and a reset run is a new one where its holders already look.
TEST_F(ConditioningTest, RunsAreSeparateAndAResetOneStartsAfresh) {
    const auto other = std::make_unique<TestRun>();
    run.g_bRecording = 1;
    Ticks(3, 1.0, 0.5);
    run.g_nRecordCount = 3;
    run.g_bTestSaved = 0;
    run.g_bBreakDetected = 1;
    run.g_playedArchive.open = true;
    run.g_strStartTime = "2025-03-07-14:05:09";
    EXPECT_EQ(other->g_dValue0, 0);
    EXPECT_EQ(other->g_dHistory0[kPeakSlot], 0);
    EXPECT_TRUE(other->g_strReadout0[0].empty());
    EXPECT_FALSE(other->HasUnsavedTest());
    ASSERT_TRUE(run.HasUnsavedTest());

    const TestRun& held = run;
    run.Reset();
    EXPECT_EQ(held.g_nRecordCount, 0);
    EXPECT_EQ(held.g_nRecordCapacity, 10000);
    EXPECT_EQ(held.g_nHistoryLen, 500);
    EXPECT_EQ(held.g_dValue0, 0);
    EXPECT_EQ(held.g_dHistory0[1], 0);
    EXPECT_EQ(held.g_dHistory0[kPeakSlot], 0);
    EXPECT_TRUE(held.g_strReadout0[0].empty());
    EXPECT_EQ(int(held.g_bRecording), 0);
    EXPECT_EQ(int(held.g_bTestSaved), 1);
    EXPECT_EQ(int(held.g_bBreakDetected), 0);
    EXPECT_FALSE(held.g_playedArchive.open);
    EXPECT_TRUE(held.g_strStartTime.empty());
    EXPECT_FALSE(held.HasUnsavedTest());
    EXPECT_LT(held.SecondsSinceTestStart(), 5.0);
}

// A reading between ticks goes through the chain undamped: channel 0 reads what the poll
// saw, and it takes its place in the histories and the peak as a recorded tick's would.
TEST_F(ConditioningTest, PolledReadingIsRecordedUndamped) {
    run.g_bRecording = 1;
    settings.g_nDamping0 = settings.g_nDamping1 = 4;
    Tick(1.0, 0.5);
    ASSERT_DOUBLE_EQ(run.g_dValue0, 2.0);
    ch.rawVolt[0] = 3.6;
    ch.rawVolt[1] = 0.5;
    const double polled = PolledValue0(settings, run, ch, 3.6);
    ConditionPolledReading(settings, run, ch);
    EXPECT_DOUBLE_EQ(run.g_dValue0, polled);
    EXPECT_NEAR(run.g_dValue0, 36.0, 1e-9);
    EXPECT_NEAR(run.g_dValue1, 10.0, 1e-9);
    EXPECT_DOUBLE_EQ(run.g_dHistory0[1], 2.0);
    EXPECT_DOUBLE_EQ(run.g_dHistory0[kPeakSlot], run.g_dValue0);
    EXPECT_EQ(run.g_strReadout0[0], "036.000");
    EXPECT_EQ(run.g_strReadout0[1], "002.000");
}

// The settings checks judge a limit by the reach they compute; it must be the highest value
// the chain gives over the input type's voltage range.
TEST_F(ConditioningTest, ReachOfTheChecksIsTheChainsHighestReading) {
    settings.g_strCutoff0 = "0";
    settings.g_strResolution0 = "0.000001";
    const struct {
        const char* type;
        double low, high;
    } kTypes[] = {{"0~+5V", 0, 5}, {"0~+10V", 0, 10}, {"-5V~+5V", -5, 5}, {"-10V~+10V", -10, 10}};
    for (const auto& type : kTypes) {
        for (const char* coef : {"1.5", "-0.5"}) {
            settings.g_strInputType = type.type;
            settings.g_strCoef0 = coef;
            settings.Parse();
            const double highest = std::max(PolledValue0(settings, run, ch, type.low),
                                            PolledValue0(settings, run, ch, type.high));
            EXPECT_NEAR(ChannelReach0(settings), highest, 1e-5) << type.type << " " << coef;
        }
    }
}

}  // namespace
