// The extensometer's removal point in the run, on a simulated card served over the driver's
// real instance sockets: the record it marks, the notice, the stop line of the hold, and the
// start that continues the test.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>

#include "../common/scratch_folder.h"
#include "acquisition/card_access.h"
#include "card.h"
#include "control/run_controller.h"
#include "run/run_state.h"
#include "server.h"
#include "settings/data_folder.h"
#include "settings/settings_record.h"
#include "settings/specimen.h"

namespace {

using Kind = Effect::Kind;

double kNaN() {
    return std::numeric_limits<double>::quiet_NaN();
}

int Notices(const Reaction& r) {
    int count = 0;
    for (const Effect& e : r) {
        if (e.kind == Kind::kNotice && e.text == kExtensometerRemovalNotice) ++count;
        // Nothing of the removal blocks the window.
        EXPECT_NE(e.kind, Kind::kMessage) << e.text;
    }
    return count;
}

class ExtensometerRemovalTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(scratch_.Made());
        setenv("DQX7460_DRIVER_DIR", (scratch_ / "drv").c_str(), 1);
        ASSERT_TRUE(scratch_.Enter());
        AnchorDataFolder();
        std::string error;
        ASSERT_TRUE(LoadOrCreateSettingsFile(settings_, &error)) << error;
        card_.SetDigitalInputs(0x00FF);
        server_ = std::make_unique<sim::Server>(
            scratch_ / "drv", [](const std::string&, bool*) { return std::string("err"); }, [] {});
        server_->AddInstance(0, card_);
        ASSERT_TRUE(server_->Start(&error)) << error;
        extensometer_.enabled = true;
        run_->UseExtensometer(extensometer_);
    }
    void TearDown() override {
        run_.reset();
        daq_.CloseCard();
        server_->Stop();
        unsetenv("DQX7460_DRIVER_DIR");
    }

    void StartLiveTest() {
        ASSERT_EQ(Notices(run_->OpenCardAtStartup()), 0);
        run_->Start();
        ASSERT_EQ(run.g_bRecording, 1);
    }

    // One tick of 30 ms with the force and the extensometer's extension (mm over Le; NaN:
    // taken off, 0 V) on the card; the record's extension is entered as the acquisition
    // enters it.
    Reaction TickWith(double newtons, double extensionMm) {
        card_.SetVoltage(0, newtons / 10);
        card_.SetVoltage(
            2, std::isfinite(extensionMm) ? extensionMm / extensometer_.coefficient : 0.0);
        run.g_dRecordExt[run.g_nRecordCount + 1] = extensionMm;
        const Reaction r = run_->Tick(0.03 * ticks_++);
        notices_ += Notices(r);
        return r;
    }
    bool StopLineActive() const { return (card_.DigitalOutputs() & kOutForcedStop) == 0; }

    ScratchFolder scratch_{"velmora-ext"};
    sim::Card card_{1};
    std::unique_ptr<sim::Server> server_;
    Settings settings_;
    std::unique_ptr<TestRun> runState_ = std::make_unique<TestRun>();
    TestRun& run = *runState_;
    SpecimenDims specimen_;
    ExtensometerSettings extensometer_;
    Card daq_;
    std::unique_ptr<RunController> run_ =
        std::make_unique<RunController>(daq_, settings_, run, specimen_);
    int ticks_ = 0;
    int notices_ = 0;
};

// At 2 % of Le the record is the extensometer's last, the test stops with the stop line held
// through the idle ticks, and the next start continues the same test without a second
// removal.
TEST_F(ExtensometerRemovalTest, HoldAtStrainStopsTheRigUntilTheNextStart) {
    extensometer_.removal = ExtensometerRemoval::AtStrain;
    extensometer_.removalStrain = 2;
    StartLiveTest();
    double extension = 0;
    for (int i = 0; i < 100 && run.g_nExtRemovalRecord == 0; ++i) {
        extension += 0.05;  // 0.1 % of the 50 mm Le a tick
        TickWith(5, extension);
    }
    const int removal = run.g_nExtRemovalRecord;
    ASSERT_GT(removal, 1);
    EXPECT_EQ(removal, run.g_nRecordCount);
    EXPECT_GE(run.g_dRecordExt[removal] / extensometer_.gaugeLength * 100, 2.0);
    EXPECT_LT(run.g_dRecordExt[removal - 1] / extensometer_.gaugeLength * 100, 2.0);
    EXPECT_EQ(notices_, 1);
    EXPECT_EQ(run.g_bRecording, 0);
    EXPECT_TRUE(StopLineActive());
    EXPECT_FALSE(run_->LampStates().forcedStop) << "a hold is no safety stop";

    for (int i = 0; i < 5; ++i) TickWith(4.9, kNaN());
    EXPECT_TRUE(StopLineActive());
    EXPECT_EQ(run.g_nRecordCount, removal) << "no records while held";
    EXPECT_EQ(run.g_bTestSaved, 0);

    run_->Start();
    EXPECT_FALSE(StopLineActive());
    for (int i = 0; i < 5; ++i) TickWith(5, kNaN());
    EXPECT_EQ(run.g_nRecordCount, removal + 5);
    EXPECT_EQ(run.g_nExtRemovalRecord, removal);
    EXPECT_FALSE(StopLineActive());
    EXPECT_EQ(notices_, 1);

    // A new test arms the removal again.
    run_->Stop();
    run_->Clear();
    EXPECT_EQ(run.g_nExtRemovalRecord, 0);
}

// After Fm, at 80 % of it, without the hold: the notice only, and the test runs on. Neither
// the start of the test, with its force at the noise, nor the rise counts as after Fm.
TEST_F(ExtensometerRemovalTest, AfterPeakWithoutHoldOnlyTells) {
    extensometer_.removal = ExtensometerRemoval::AfterPeak;
    extensometer_.removalForcePercent = 80;
    extensometer_.holdAtRemoval = false;
    StartLiveTest();
    double force = 0, extension = 0;
    for (int i = 0; i < 40; ++i) TickWith(0, 0);
    for (; force < 32; force += 0.5) TickWith(force, extension += 0.01);
    EXPECT_EQ(run.g_nExtRemovalRecord, 0);
    for (int i = 0; i < 100 && run.g_nExtRemovalRecord == 0; ++i)
        TickWith(force -= 0.25, extension += 0.01);
    const int removal = run.g_nExtRemovalRecord;
    ASSERT_GT(removal, 0);
    EXPECT_EQ(removal, run.g_nRecordCount);
    EXPECT_LE(run.g_dValue0, 0.8 * run.g_dHistory0[kPeakSlot]);
    EXPECT_EQ(notices_, 1);
    EXPECT_EQ(run.g_bRecording, 1);
    EXPECT_FALSE(StopLineActive());
    for (int i = 0; i < 5; ++i) TickWith(force -= 0.25, kNaN());
    EXPECT_EQ(run.g_nRecordCount, removal + 5);
    EXPECT_EQ(notices_, 1);
    EXPECT_FALSE(StopLineActive());
}

// An extensometer that is off, or has no removal point, never stops the test.
TEST_F(ExtensometerRemovalTest, NoRemovalWithoutARemovalPoint) {
    extensometer_.removal = ExtensometerRemoval::None;
    StartLiveTest();
    for (int i = 0; i < 30; ++i) TickWith(5, 0.1 * i);
    extensometer_.enabled = false;
    extensometer_.removal = ExtensometerRemoval::AtStrain;
    extensometer_.removalStrain = 1;
    for (int i = 0; i < 30; ++i) TickWith(5, 3 + 0.1 * i);
    EXPECT_EQ(run.g_nExtRemovalRecord, 0);
    EXPECT_EQ(run.g_bRecording, 1);
    EXPECT_EQ(notices_, 0);
    EXPECT_FALSE(StopLineActive());
}

}  // namespace
