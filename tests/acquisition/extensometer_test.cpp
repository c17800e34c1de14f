// The extensometer's chain: (volts - zero) x coefficient, in mm over Le whatever its unit,
// averaged over ten idle ticks as the other channels are, and not at all while recording.
#include "acquisition/extensometer.h"

#include <gtest/gtest.h>

#include "acquisition/conditioning.h"
#include "acquisition_fixture.h"
#include "settings/extensometer_settings.h"

namespace {

class ExtensometerTest : public AcquisitionTest {
  protected:
    void Tick(double volts, bool average = true) {
        ch.rawExt = volts;
        ConditionExtensometer(extensometer, run, ch, average);
    }

    ExtensometerSettings extensometer;
    ChannelVoltages ch;
};

TEST_F(ExtensometerTest, IdleTicksShowTheMeanOfTenThenRecordedTicksTheirOwn) {
    extensometer.zero = 0.1;
    extensometer.coefficient = 2.0;
    for (int i = 0; i < 9; ++i) Tick(i % 2 ? 1.1 : 1.3);
    EXPECT_DOUBLE_EQ(run.g_dValueExt, -0.2);  // no mean of ten yet: 0 V less the zero
    Tick(1.1);
    EXPECT_NEAR(run.g_dValueExt, (1.2 - 0.1) * 2.0, 1e-12);
    EXPECT_EQ(run.g_strReadoutExt, "2.2000");
    // The next mean starts afresh.
    for (int i = 0; i < 10; ++i) Tick(0.6);
    EXPECT_NEAR(run.g_dValueExt, 1.0, 1e-12);

    run.g_bRecording = 1;
    Tick(2.6);
    EXPECT_NEAR(run.g_dValueExt, 5.0, 1e-12);
    Tick(-0.4);
    EXPECT_NEAR(run.g_dValueExt, -1.0, 1e-12);
    EXPECT_EQ(run.g_strReadoutExt, "-1.0000");

    // A reading between ticks is its own even while idle.
    run.g_bRecording = 0;
    Tick(0.35, false);
    EXPECT_NEAR(run.g_dValueExt, 0.5, 1e-12);
}

TEST_F(ExtensometerTest, StrainUnitReadsPercentAndRecordsMillimetres) {
    extensometer.unit = "%";
    extensometer.gaugeLength = 25;
    extensometer.coefficient = 4.0;  // % per volt
    run.g_bRecording = 1;
    Tick(0.5);
    EXPECT_EQ(run.g_strReadoutExt, "2.000");
    EXPECT_NEAR(run.g_dValueExt, 0.5, 1e-12);  // 2 % of 25 mm
}

TEST_F(ExtensometerTest, RestartedAverageDropsTheSamplesTaken) {
    for (int i = 0; i < 5; ++i) Tick(3.0);
    RestartExtensometerAverage(ch);
    for (int i = 0; i < 10; ++i) Tick(1.0);
    EXPECT_NEAR(run.g_dValueExt, 2.0, 1e-12);
}

}  // namespace
