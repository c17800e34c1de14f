#include "acquisition/safety.h"

#include <gtest/gtest.h>

#include "acquisition/conditioning.h"
#include "acquisition_fixture.h"

namespace {

class SafetyTest : public AcquisitionTest {
  protected:
    SafetyAction Evaluate(double value, bool playback = false) {
        run.g_dValue0 = value;
        run.g_dHistory0[0] = value;
        return EvaluateSafety(settings, run, word, lamps, playback);
    }
    // A break from a peak of 40; the sequence is then in its first auto-stop tick.
    void Break() {
        run.g_dHistory0[501] = 40;
        ASSERT_EQ(Evaluate(10), SafetyAction::kNone);
        ASSERT_EQ(run.g_bBreakDetected, 1);
    }

    std::uint16_t word = kIdleOutputWord;
    Lamps lamps;
};

TEST_F(SafetyTest, AlarmsAreAtOrAboveTheirLevels) {
    EXPECT_EQ(Evaluate(9.999), SafetyAction::kNone);
    EXPECT_EQ(word, 0x00FF);
    Evaluate(10);
    EXPECT_EQ(word, 0x00FB);
    Evaluate(12);
    EXPECT_EQ(word, 0x00FB);
    EXPECT_TRUE(lamps.alarmLow);
    EXPECT_FALSE(lamps.alarmHigh);
    Evaluate(13);
    EXPECT_EQ(word, 0x00F9);
    EXPECT_TRUE(lamps.alarmHigh);
    Evaluate(0);
    EXPECT_EQ(word, 0x00FF);
    EXPECT_FALSE(lamps.alarmLow || lamps.alarmHigh || lamps.forcedStop);
}

TEST_F(SafetyTest, BreakIsADropOfTheBreakValueFromThePeak) {
    run.g_dHistory0[501] = 40;
    run.g_nRecordCount = 17;
    Evaluate(10.1);  // a drop of 29.9
    EXPECT_EQ(run.g_bBreakDetected, 0);
    EXPECT_EQ(run.g_nBreakRecord, 0);
    EXPECT_FALSE(lamps.broken);
    run.g_nRecordCount = 18;
    Evaluate(10);
    EXPECT_EQ(run.g_bBreakDetected, 1);
    EXPECT_TRUE(lamps.broken);
    EXPECT_TRUE(lamps.autoStop);
    EXPECT_EQ(word, 0x00FF & ~(kOutAlarmLow | kOutBroken | kOutAutoStop));
    EXPECT_EQ(run.g_nBreakRecord, 18);  // the record of the tick that saw the drop
    run.g_nRecordCount = 19;
    Evaluate(0);
    EXPECT_EQ(run.g_nBreakRecord, 18);
}

TEST_F(SafetyTest, AutoStopThenAutoReturnThenStopAndSave) {
    Break();
    for (int tick = 1; tick < 5; ++tick) {
        ASSERT_EQ(Evaluate(0), SafetyAction::kNone);
        ASSERT_TRUE(lamps.autoStop) << tick;
    }
    EXPECT_EQ(Evaluate(0), SafetyAction::kNone);  // the fifth tick ends the auto-stop phase
    EXPECT_FALSE(lamps.autoStop);
    EXPECT_TRUE(lamps.autoReturn);
    EXPECT_EQ(run.g_bAutoStopDone, 1);
    EXPECT_EQ(run.g_bAutoReturnActive, 1);
    EXPECT_EQ(word, 0x00FF & ~(kOutBroken | kOutAutoReturn));
    for (int tick = 1; tick < 20; ++tick) ASSERT_EQ(Evaluate(0), SafetyAction::kNone) << tick;
    EXPECT_EQ(Evaluate(0), SafetyAction::kStopAndSave);
    EXPECT_FALSE(lamps.autoReturn);
    EXPECT_TRUE(lamps.broken);  // until the next start or clear
    EXPECT_EQ(word, 0x00FF & ~kOutBroken);
    EXPECT_EQ(run.g_bAutoReturnDone, 1);
    // A finished sequence does nothing until the next start, even past the forced stop.
    for (int tick = 0; tick < 30; ++tick) ASSERT_EQ(Evaluate(0), SafetyAction::kNone);
    EXPECT_EQ(run.g_nAutoStopTicks, 5);
    EXPECT_EQ(run.g_nAutoReturnTicks, 20);
}

TEST_F(SafetyTest, TheEndOfTheSequenceSkipsTheForcedStopOfThatTick) {
    settings.g_nAutoStopDelay = 1;
    settings.g_nAutoReturnDelay = 1;
    Break();
    Evaluate(0);
    EXPECT_EQ(Evaluate(50), SafetyAction::kStopAndSave);
    EXPECT_FALSE(lamps.forcedStop);
    EXPECT_EQ(Evaluate(50), SafetyAction::kForcedStop);
}

TEST_F(SafetyTest, DelaysOfZeroFromAFileEndTheirPhaseAfterOneTick) {
    settings.g_nAutoStopDelay = 0;
    settings.g_nAutoReturnDelay = -4;
    Break();
    EXPECT_EQ(Evaluate(0), SafetyAction::kNone);
    EXPECT_TRUE(lamps.autoReturn);
    EXPECT_EQ(Evaluate(0), SafetyAction::kStopAndSave);
}

TEST_F(SafetyTest, IdleValueBelowMinusBreakValueStartsTheSequence) {
    Evaluate(-29.9);
    EXPECT_EQ(run.g_bBreakDetected, 0);
    Evaluate(-30);
    EXPECT_EQ(run.g_bBreakDetected, 1);
    EXPECT_TRUE(lamps.broken);
}

TEST_F(SafetyTest, ForcedStopAtTheLimitOrTheTravelLimit) {
    EXPECT_EQ(Evaluate(34.99), SafetyAction::kNone);
    EXPECT_FALSE(lamps.forcedStop);
    EXPECT_EQ(Evaluate(35), SafetyAction::kForcedStop);
    EXPECT_TRUE(lamps.forcedStop);
    EXPECT_EQ(word, 0x00FF & ~(kOutForcedStop | kOutAlarmHigh | kOutAlarmLow));
    EXPECT_EQ(Evaluate(0), SafetyAction::kNone);
    EXPECT_EQ(word, 0x00FF);
    run.g_bTravelLimit = 1;
    EXPECT_EQ(Evaluate(0), SafetyAction::kForcedStop);
    EXPECT_EQ(word, 0x00FF & ~kOutForcedStop);
}

TEST_F(SafetyTest, PlaybackLampsFollowButNeverForceAStop) {
    run.g_bTravelLimit = 1;
    EXPECT_EQ(Evaluate(40, true), SafetyAction::kNone);
    EXPECT_FALSE(lamps.forcedStop);
    EXPECT_TRUE(lamps.alarmHigh);
    EXPECT_EQ(word & kOutForcedStop, kOutForcedStop);
    run.g_dHistory0[501] = 40;
    Evaluate(5, true);
    EXPECT_TRUE(lamps.broken);
    for (int tick = 0; tick < 24; ++tick) ASSERT_EQ(Evaluate(5, true), SafetyAction::kNone);
    EXPECT_EQ(Evaluate(5, true), SafetyAction::kStopAndSave);
}

// Between two ticks the value polled then drives the alarms, the break and the forced stop;
// the sequence after a break is counted in ticks only.
TEST_F(SafetyTest, BetweenTicksTheLimitsWatchThePolledValue) {
    EXPECT_EQ(EvaluateBetweenTicks(settings, run, word, lamps, 13, 13), SafetyAction::kNone);
    EXPECT_EQ(word, 0x00F9);
    EXPECT_EQ(EvaluateBetweenTicks(settings, run, word, lamps, 35, 35), SafetyAction::kForcedStop);
    EXPECT_EQ(word & kOutForcedStop, 0);
    EXPECT_TRUE(lamps.forcedStop);

    word = kIdleOutputWord;
    lamps = Lamps{};
    run.g_bTravelLimit = 1;
    EXPECT_EQ(EvaluateBetweenTicks(settings, run, word, lamps, 0, 0), SafetyAction::kForcedStop);
    run.g_bTravelLimit = 0;

    // A peak reached only between ticks counts: 32.5 polled, then 2.5 after the break.
    word = kIdleOutputWord;
    lamps = Lamps{};
    run.g_dHistory0[501] = 5;
    EXPECT_EQ(EvaluateBetweenTicks(settings, run, word, lamps, 2.5, 32.5), SafetyAction::kNone);
    EXPECT_EQ(run.g_bBreakDetected, 1);
    EXPECT_EQ(word, kIdleOutputWord & ~(kOutBroken | kOutAutoStop));
    EXPECT_TRUE(lamps.broken && lamps.autoStop);
    for (int i = 0; i < 10; ++i) EvaluateBetweenTicks(settings, run, word, lamps, 2.5, 32.5);
    EXPECT_EQ(run.g_nAutoStopTicks, 0);
    EXPECT_EQ(run.g_bAutoStopDone, 0);
    EXPECT_TRUE(lamps.autoStop);
}

TEST_F(SafetyTest, ForcedStopConditionIsTheLimitOrTheSwitch) {
    EXPECT_FALSE(ForcedStopCondition(settings, 34.999, false));
    EXPECT_TRUE(ForcedStopCondition(settings, 35, false));
    EXPECT_TRUE(ForcedStopCondition(settings, -100, true));
}

// The polled value is the tick's chain without its damping: the same scale, zero, cut-off
// and resolution, and the damping state is not touched.
TEST_F(SafetyTest, PolledValueScalesAsTheTickWithoutDamping) {
    ChannelVoltages ch;
    ch.damped[0] = 7.0;
    EXPECT_NEAR(PolledValue0(settings, run, ch, 3.5), 35.0, 1e-9);
    EXPECT_EQ(PolledValue0(settings, run, ch, 0.0001), 0.0);  // within the cut-off
    ch.zeroVolt[0] = 0.5;
    EXPECT_NEAR(PolledValue0(settings, run, ch, 3.5), 30.0, 1e-9);
    settings.g_strInputType = "0~+5V";
    EXPECT_NEAR(PolledValue0(settings, run, ch, 3.0), 50.0, 1e-9);
    EXPECT_EQ(ch.damped[0], 7.0);
}

}  // namespace
