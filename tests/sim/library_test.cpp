// The card library against the simulated card in process: the firmware must make sense of
// the library's register sequences and the library of the firmware's blocks. Opening,
// inputs and outputs are shown through the simulator process (process_test.cpp).
#include <gtest/gtest.h>

#include "DQX7460.h"
#include "card.h"
#include "driver.h"
#include "in_process_driver.h"
#include "rig.h"
#include "two_channel_scan.h"

namespace {

constexpr double kBipolar5VoltsPerCode = 10.0 / 65536;

class LibraryInProcess : public ::testing::Test {
  protected:
    void SetUp() override {
        driver_.AddCard(0, card_);
        dqx7460::SetDriver(&driver_);
        ASSERT_EQ(DQX7460_DeviceOpen(1, &handle_), 0);
    }
    void TearDown() override {
        DQX7460_DeviceClose(handle_);
        dqx7460::SetDriver(nullptr);
    }

    sim::Card card_{1};
    sim::InProcessDriver driver_;
    HANDLE handle_ = nullptr;
};

TEST_F(LibraryInProcess, SingleScansReadTheVoltagesToWithinOneCode) {
    card_.SetVoltage(0, 3.21);
    card_.SetVoltage(1, -4.56);
    double volts[2] = {};
    AdScanRequest request = TwoChannelRequest(1, 1, volts);
    ASSERT_EQ(DQX7460_MAIVoltageIn(handle_, &request), 0);
    EXPECT_NEAR(volts[0], 3.21, kBipolar5VoltsPerCode);
    EXPECT_NEAR(volts[1], -4.56, kBipolar5VoltsPerCode);
    EXPECT_FALSE(card_.Converting()) << "the scan stops the conversion again";

    card_.SetVoltage(1, 7.5);
    request = TwoChannelRequest(4, 0, volts);
    ASSERT_EQ(DQX7460_MAIVoltageIn(handle_, &request), 0);
    EXPECT_NEAR(volts[1], 7.5, 10.0 / 65536);
}

// The rig's three sensors in one scan, as the program will read them: tension, crosshead
// and the clip-on extensometer.
TEST_F(LibraryInProcess, ScanOfThreeChannelsReadsTheExtensometer) {
    sim::RigParams params;
    params.forceNoise = 0;
    params.displacementNoise = 0;
    params.extensometerNoise = 0;
    double now = 0;
    sim::Rig rig(card_, params, [&now] { return now; });
    rig.Press(sim::Button::kStart);
    now = 3.0;
    rig.Update();
    double volts[3] = {};
    AdScanRequest request = TwoChannelRequest(1, 1, volts);
    request.Config.RangeCode[2] = 1;
    request.Config.ChannelList[2] = sim::kExtensometerChannel;
    request.Config.ChannelCount = 3;
    ASSERT_EQ(DQX7460_MAIVoltageIn(handle_, &request), 0);
    const sim::RigState state = rig.State();
    EXPECT_NEAR(volts[0] * params.newtonsPerVolt, state.force,
                params.newtonsPerVolt * kBipolar5VoltsPerCode);
    EXPECT_NEAR(volts[1] * params.mmPerVolt, state.position,
                params.mmPerVolt * kBipolar5VoltsPerCode);
    EXPECT_NEAR(volts[2] * params.extensometerMmPerVolt, state.extension,
                params.extensometerMmPerVolt * kBipolar5VoltsPerCode);
    EXPECT_GT(volts[2], 0.1);

    rig.SetExtensometer(false);
    ASSERT_EQ(DQX7460_MAIVoltageIn(handle_, &request), 0);
    EXPECT_NEAR(volts[2], 0.0, kBipolar5VoltsPerCode);
}

TEST_F(LibraryInProcess, StreamStartsWithTheMarkerAndTheTriggeredSample) {
    AdScanRequest request = TwoChannelRequest(1, 1, nullptr);
    ASSERT_EQ(DQX7460_AIConfig(handle_, request.Config), 0);
    ASSERT_EQ(DQX7460_StartAd(handle_), 0);
    std::vector<ULONG> words(512);
    ULONG* buffer = words.data();
    ASSERT_EQ(DQX7460_ADReadData(handle_, &buffer, 512), 0);
    EXPECT_EQ(words[0], dqx7460::kStartMarker);
    EXPECT_EQ(words[1], 32768u | dqx7460::kSampleTriggerFlag);
    EXPECT_EQ(words[2] >> 16, 1u);
    ASSERT_EQ(DQX7460_StopAd(handle_), 0);
    EXPECT_EQ(DQX7460_ADReadData(handle_, &buffer, 512), 1) << "a stopped card streams nothing";
}

TEST_F(LibraryInProcess, CountersProgrammedStartedAndReadBack) {
    ASSERT_EQ(DQX7460_SetCounter2(handle_, 2, 0, 0, 0, 0x10000 + 1000, 5), 0);
    EXPECT_EQ(card_.CounterValue(2), 0x10000u + 999);
    ASSERT_EQ(DQX7460_StartCounter(handle_, 0, 0, 1, 0), 0);
    ULONG c[4] = {};
    ASSERT_EQ(DQX7460_ReadBackCount2(handle_, &c[0], &c[1], &c[2], &c[3]), 0);
    EXPECT_EQ(c[2], 0x10000u + 1000);
    ASSERT_EQ(DQX7460_ReadBackCount2(handle_, &c[0], &c[1], &c[2], &c[3]), 0);
    EXPECT_EQ(c[2], 0x10000u + 1001);
    EXPECT_EQ(c[0], 0u);
    ASSERT_EQ(DQX7460_StopCounter(handle_, 0, 0, 1, 0), 0);
    EXPECT_FALSE(card_.CounterRunning(2));
}

}  // namespace
