// The run controller without a window, on a simulated card served over the driver's real
// instance sockets: what a command, a tick or a poll decides, what reaches the card's
// outputs and what is saved.
#include "control/run_controller.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "acquisition/card_access.h"
#include "acquisition/run_state.h"
#include "card.h"
#include "server.h"
#include "settings/data_folder.h"
#include "settings/settings_record.h"
#include "settings/specimen.h"

namespace {

using Kind = Effect::Kind;

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const Effect* Find(const Reaction& r, Kind kind) {
    const auto found =
        std::find_if(r.begin(), r.end(), [kind](const Effect& e) { return e.kind == kind; });
    return found == r.end() ? nullptr : &*found;
}

// The last state the reaction leaves a button or menu command in; -1 when it says nothing.
int LastEnabled(const Reaction& r, Kind kind, ControlId id) {
    int enabled = -1;
    for (const Effect& e : r)
        if (e.kind == kind && e.id == id) enabled = e.on ? 1 : 0;
    return enabled;
}

std::string LastCaption(const Reaction& r, ControlId id) {
    std::string caption;
    for (const Effect& e : r)
        if (e.kind == Kind::kCaption && e.id == id) caption = e.text;
    return caption;
}

int LastTimer(const Reaction& r, Kind timer) {
    int period = -1;
    for (const Effect& e : r)
        if (e.kind == timer) period = e.periodMs;
    return period;
}

class RunControllerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/velmora-run-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        base_ = pattern;
        setenv("DQX7460_DRIVER_DIR", (base_ + "/drv").c_str(), 1);
        std::filesystem::create_directory(base_ + "/work");
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(base_ + "/work");
        AnchorDataFolder();
        std::string error;
        ASSERT_TRUE(LoadOrCreateSettingsFile(settings, &error)) << error;
        card_.SetDigitalInputs(0x00FF);
    }
    void TearDown() override {
        run_.reset();
        daq_.CloseCard();
        if (server_) server_->Stop();
        std::filesystem::current_path(previous_);
        unsetenv("DQX7460_DRIVER_DIR");
        std::filesystem::remove_all(base_);
    }

    void ServeCard() {
        server_ = std::make_unique<sim::Server>(
            base_ + "/drv", [](const std::string&, bool*) { return std::string("err"); }, [] {});
        server_->AddInstance(0, card_);
        std::string error;
        ASSERT_TRUE(server_->Start(&error)) << error;
    }

    // Starts the controller on the served card and a live test.
    void StartLiveTest() {
        ServeCard();
        const Reaction startup = run_->OpenCardAtStartup();
        ASSERT_EQ(Find(startup, Kind::kMessage), nullptr);
        ASSERT_EQ(Find(run_->Start(), Kind::kSafetyNotice), nullptr);
        ASSERT_EQ(run.g_bRecording, 1);
    }

    // Ticks until a reaction holds an effect of the kind; that reaction, or none after
    // `limit` ticks.
    std::optional<Reaction> TickUntil(Kind kind, int limit) {
        for (int i = 0; i < limit; ++i) {
            Reaction r = run_->Tick(i * 0.03);
            if (Find(r, kind)) return r;
        }
        return std::nullopt;
    }

    std::string base_;
    std::filesystem::path previous_;
    sim::Card card_{1};
    std::unique_ptr<sim::Server> server_;
    Settings settings;
    std::unique_ptr<TestRun> runState_ = std::make_unique<TestRun>();
    TestRun& run = *runState_;
    SpecimenDims specimen_;
    Card daq_;
    std::unique_ptr<RunController> run_ =
        std::make_unique<RunController>(daq_, settings, run, specimen_);
};

TEST_F(RunControllerTest, WithoutACardOnlyPlaybackIsOffered) {
    const Reaction r = run_->OpenCardAtStartup();
    const Effect* box = Find(r, Kind::kMessage);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text.rfind("USB数据采集器未连接", 0), 0u) << box->text;
    EXPECT_EQ(box->caption, "设备信息");
    EXPECT_EQ(LastEnabled(r, Kind::kEnableMenu, ControlId::kMenuSettings), 0);
    EXPECT_EQ(LastEnabled(r, Kind::kEnable, ControlId::kSettings), 0);
    EXPECT_EQ(LastTimer(r, Kind::kSampleTimer), -1);
    EXPECT_EQ(LastTimer(r, Kind::kPollTimer), -1);
}

TEST_F(RunControllerTest, StartUpWithACardArmsTheTimersAndStartStopRunTheButtons) {
    ServeCard();
    const Reaction startup = run_->OpenCardAtStartup();
    EXPECT_EQ(Find(startup, Kind::kMessage), nullptr);
    EXPECT_EQ(LastEnabled(startup, Kind::kEnable, ControlId::kStart), 1);
    EXPECT_EQ(LastEnabled(startup, Kind::kEnableMenu, ControlId::kMenuOpen), 0);
    EXPECT_EQ(LastTimer(startup, Kind::kPollTimer), kPollPeriodMs);
    EXPECT_EQ(LastTimer(startup, Kind::kSampleTimer), kIdleSamplePeriodMs);

    const Reaction start = run_->Start();
    EXPECT_EQ(LastCaption(start, ControlId::kStart), "已开始....");
    EXPECT_EQ(LastEnabled(start, Kind::kEnable, ControlId::kStart), 0);
    EXPECT_EQ(LastCaption(start, ControlId::kStop), "停止采集");
    EXPECT_EQ(LastEnabled(start, Kind::kEnable, ControlId::kStop), 1);
    EXPECT_EQ(LastTimer(start, Kind::kSampleTimer), 30);
    EXPECT_EQ(card_.DigitalOutputs() & 0x3F, 0x3F);

    for (int i = 0; i < 3; ++i) run_->Tick(i * 0.03);
    EXPECT_EQ(run.g_nRecordCount, 3);
    EXPECT_EQ(run.g_bTestSaved, 0);

    const Reaction stop = run_->Stop();
    EXPECT_EQ(LastCaption(stop, ControlId::kStart), "开始采集");
    EXPECT_EQ(LastEnabled(stop, Kind::kEnable, ControlId::kSave), 1);
    EXPECT_EQ(LastTimer(stop, Kind::kSampleTimer), kIdleSamplePeriodMs);
    EXPECT_EQ(run.g_bRecording, 0);
    // Stopped by hand and unsaved: a start continues the same test.
    run_->Start();
    run_->Tick(0.1);
    EXPECT_EQ(run.g_nRecordCount, 4);
}

// Over the forced-stop limit the stop line goes active on the card, the test stops and the
// line stays while the cause does: a start is refused until the tension falls.
TEST_F(RunControllerTest, ForcedStopHoldsTheLineWhileItsCauseLasts) {
    StartLiveTest();
    card_.SetVoltage(0, 4.0);  // 40 N, over the 35 N limit
    const std::optional<Reaction> stop = TickUntil(Kind::kSafetyNotice, 40);
    ASSERT_TRUE(stop);
    EXPECT_EQ(Find(*stop, Kind::kSafetyNotice)->text, "安全限制 强行停机");
    EXPECT_TRUE(run_->ForcedStop().forceLimit);
    EXPECT_EQ(run.g_bRecording, 0);
    EXPECT_EQ(card_.DigitalOutputs() & kOutForcedStop, 0);
    EXPECT_EQ(run_->DigitalOut() & kOutForcedStop, 0);

    const Reaction refused = run_->Start();
    ASSERT_NE(Find(refused, Kind::kSafetyNotice), nullptr);
    EXPECT_NE(Find(refused, Kind::kSafetyNotice)->text.find("不能开始采集"), std::string::npos);
    EXPECT_EQ(run.g_bRecording, 0);
    EXPECT_EQ(card_.DigitalOutputs() & kOutForcedStop, 0);

    card_.SetVoltage(0, 0.0);
    EXPECT_EQ(Find(run_->Start(), Kind::kSafetyNotice), nullptr);
    EXPECT_EQ(run.g_bRecording, 1);
    EXPECT_EQ(card_.DigitalOutputs() & 0x3F, 0x3F);
}

// A break runs the stop and return phases tick by tick; at their end the test is saved and
// the results shown, and the next start begins a new test.
TEST_F(RunControllerTest, BreakSequenceEndsInASaveAndTheNextStartIsANewTest) {
    settings.g_strForceStopLimit = "100.000";
    settings.Parse();
    StartLiveTest();
    card_.SetVoltage(0, 4.0);
    for (int i = 0; i < 20; ++i) run_->Tick(i * 0.03);
    card_.SetVoltage(0, 0.0);
    const std::optional<Reaction> end = TickUntil(Kind::kResults, 100);
    ASSERT_TRUE(end);
    EXPECT_GT(run.g_nBreakRecord, 20);
    EXPECT_EQ(run.g_bRecording, 0);
    EXPECT_EQ(run.g_bTestSaved, 1);
    const std::string archive = run_->SavedArchive();
    ASSERT_FALSE(archive.empty());
    EXPECT_TRUE(std::filesystem::exists(archive));
    EXPECT_EQ(archive.rfind(DataFolderPath(), 0), 0u);
    for (const char* side : {".xls", ".csv", ".ini"}) {
        std::string path = archive;
        path.replace(path.size() - 4, 4, side);
        EXPECT_TRUE(std::filesystem::exists(path)) << path;
    }
    const Reaction again = run_->Save();
    ASSERT_NE(Find(again, Kind::kMessage), nullptr);
    EXPECT_EQ(Find(again, Kind::kMessage)->text, "该测试数据已保存，没有再存一份：\n" + archive);

    run_->Start();
    EXPECT_EQ(run.g_nRecordCount, 0);
    EXPECT_EQ(run.g_nBreakRecord, 0);
    EXPECT_TRUE(run_->SavedArchive().empty());
}

// Each new specimen's test starts without what was measured on the last broken one, under
// the tester of its start; Su typed after the save reaches the saved test's files.
TEST_F(RunControllerTest, EachSpecimenStartsWithoutTheLastOnesAfterBreakMeasurements) {
    settings.g_strForceStopLimit = "100.000";
    settings.g_strTester = "Tolvane";
    settings.Parse();
    specimen_ = {20.0, 50.0};
    specimen_.finalArea = 4.0;
    specimen_.finalGaugeLength = 60.0;
    std::string error;
    ASSERT_TRUE(WriteSpecimenFile(specimen_, &error)) << error;
    StartLiveTest();
    EXPECT_FALSE(specimen_.finalArea);
    EXPECT_FALSE(specimen_.finalGaugeLength);
    EXPECT_TRUE(specimen_.carriedOver);
    SpecimenDims onFile;
    ASSERT_TRUE(LoadSpecimenFile(onFile));
    EXPECT_FALSE(onFile.finalArea || onFile.finalGaugeLength);
    EXPECT_EQ(onFile.area, 20.0);
    EXPECT_EQ(run.g_strOperator, "Tolvane");
    settings.g_strTester = "Orrin";  // while the test runs: the next test's tester

    card_.SetVoltage(0, 4.0);
    for (int i = 0; i < 20; ++i) run_->Tick(i * 0.03);
    card_.SetVoltage(0, 0.0);
    ASSERT_TRUE(TickUntil(Kind::kResults, 100));
    const std::string archive = run_->SavedArchive();
    ASSERT_FALSE(archive.empty());
    const std::string base = archive.substr(0, archive.size() - 4);
    const std::string archiveBytes = ReadWhole(archive);
    EXPECT_NE(ReadWhole(base + ".ini").find("Operator=Tolvane\n"), std::string::npos);
    EXPECT_NE(ReadWhole(base + ".csv").find("结果,断面收缩率 Z,,%"), std::string::npos);

    specimen_.finalArea = 12.0;
    const Reaction typed = run_->SpecimenChanged();
    EXPECT_EQ(Find(typed, Kind::kMessage), nullptr);
    EXPECT_NE(Find(typed, Kind::kResultsAgain), nullptr);
    EXPECT_NE(ReadWhole(base + ".ini").find("Su=12\n"), std::string::npos);
    EXPECT_NE(ReadWhole(base + ".csv").find("结果,断面收缩率 Z,40,%"), std::string::npos);
    EXPECT_EQ(ReadWhole(archive), archiveBytes);

    // Dimensions entered over an empty list are the next specimen's own.
    run_->Clear();
    specimen_.area = 25.0;
    run_->SpecimenChanged();
    run_->Start();
    EXPECT_FALSE(specimen_.carriedOver);
    EXPECT_FALSE(specimen_.finalArea);
    EXPECT_EQ(run.g_strOperator, "Orrin");
}

// A broken test whose save failed is kept: the start is refused until it is saved or cleared.
TEST_F(RunControllerTest, BrokenUnsavedTestHoldsTheStartAndEmptySaveWritesNothing) {
    ServeCard();
    run_->OpenCardAtStartup();
    const auto files = [] {
        return std::distance(std::filesystem::directory_iterator(DataFolderPath()),
                             std::filesystem::directory_iterator());
    };
    const auto before = files();
    const Reaction empty = run_->Save();
    ASSERT_NE(Find(empty, Kind::kMessage), nullptr);
    EXPECT_EQ(Find(empty, Kind::kMessage)->text, "列表区没有测试数据，没有保存。");
    EXPECT_EQ(files(), before);

    run.g_nRecordCount = 5;
    run.g_nBreakRecord = 4;
    run.g_bTestSaved = 0;
    const Reaction refused = run_->Start();
    ASSERT_NE(Find(refused, Kind::kStartNotice), nullptr);
    EXPECT_EQ(Find(refused, Kind::kStartNotice)->caption, "采集信息");
    EXPECT_EQ(LastTimer(refused, Kind::kSampleTimer), -1);
    EXPECT_EQ(run.g_bRecording, 0);
    EXPECT_EQ(run.g_nRecordCount, 5);

    run_->Clear();
    EXPECT_EQ(run.g_nRecordCount, 0);
    EXPECT_EQ(Find(run_->Start(), Kind::kStartNotice), nullptr);
    EXPECT_EQ(run.g_bRecording, 1);
}

// The rig's inputs at the poll: the switch is shown, the stop button stops, and a held start
// cannot start a test while the switch is engaged.
TEST_F(RunControllerTest, PollFollowsTheSwitchAndTheButtons) {
    ServeCard();
    run_->OpenCardAtStartup();
    card_.SetDigitalInputs(0x00FF & ~(kInTravelLimit | kInStart));
    Reaction r = run_->Poll(kIdleSamplePeriodMs);
    EXPECT_EQ(LastCaption(r, ControlId::kTravelLimit), "行程限位接通");
    EXPECT_EQ(run.g_bTravelLimit, 1);
    EXPECT_EQ(run.g_bRecording, 0);

    card_.SetDigitalInputs(0x00FF & ~kInStart);
    r = run_->Poll(kIdleSamplePeriodMs);
    EXPECT_EQ(LastCaption(r, ControlId::kTravelLimit), "行程限位断开");
    EXPECT_EQ(run.g_bRecording, 1);
    EXPECT_EQ(LastTimer(r, Kind::kSampleTimer), 30);

    card_.SetDigitalInputs(0x00FF & ~kInStop);
    r = run_->Poll(30);
    EXPECT_EQ(run.g_bRecording, 0);
    EXPECT_EQ(LastCaption(r, ControlId::kStart), "开始采集");
}

// A long sampling period: the poll reads the tension itself and stops the rig at the limit
// between two ticks.
TEST_F(RunControllerTest, PollsWatchTheLimitBetweenLongTicks) {
    settings.g_strSamplePeriod = "5000";
    settings.Parse();
    StartLiveTest();
    run_->Tick(0);
    card_.SetVoltage(0, 4.0);
    EXPECT_EQ(Find(run_->Poll(30), Kind::kSafetyNotice), nullptr);
    const Reaction r = run_->Poll(5000);
    EXPECT_NE(Find(r, Kind::kSafetyNotice), nullptr);
    EXPECT_EQ(card_.DigitalOutputs() & kOutForcedStop, 0);
    // The tick's record and the reading that tripped.
    EXPECT_EQ(run.g_nRecordCount, 2);
}

// The reading that tripped between ticks is the test's last record, undamped and at its own
// time: the stored test reaches the force that stopped it.
TEST_F(RunControllerTest, TripBetweenTicksIsTheLastRecord) {
    settings.g_strSamplePeriod = "5000";
    settings.Parse();
    StartLiveTest();
    card_.SetVoltage(0, 2.0);
    card_.SetVoltage(1, 0.5);
    run_->Tick(0);
    ASSERT_EQ(run.g_nRecordCount, 1);
    card_.SetVoltage(0, 3.6);
    const Reaction r = run_->Poll(5000);
    ASSERT_NE(Find(r, Kind::kSafetyNotice), nullptr);
    EXPECT_NE(Find(r, Kind::kRecords), nullptr);
    ASSERT_EQ(run.g_nRecordCount, 2);
    EXPECT_EQ(run.g_strRecord0[2], "036.000");
    EXPECT_EQ(run.g_strRecord1[2], "010.000");
    EXPECT_NEAR(run.g_dHistory0[kPeakSlot], 36.0, 1e-9);
    EXPECT_GE(run.g_dRecordTime[2], run.g_dRecordTime[1]);
    EXPECT_EQ(run.g_bTestSaved, 0);
    // Nothing more is recorded while the stop holds.
    run_->Tick(5.0);
    run_->Poll(5000);
    EXPECT_EQ(run.g_nRecordCount, 2);
}

// A card that stops answering: the test stops with its records, the operator is told, and
// the card is opened again until it answers.
TEST_F(RunControllerTest, LostCardStopsTheTestAndReturns) {
    StartLiveTest();
    for (int i = 0; i < 3; ++i) run_->Tick(i * 0.03);
    server_->Stop();
    std::optional<Reaction> lost;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!lost && std::chrono::steady_clock::now() < deadline) {
        Reaction r = run_->Poll(30);
        if (Find(r, Kind::kCardNotice)) lost = r;
    }
    ASSERT_TRUE(lost);
    EXPECT_TRUE(run_->CardLost());
    EXPECT_EQ(run.g_bRecording, 0);
    EXPECT_EQ(run.g_nRecordCount, 3);
    EXPECT_EQ(LastTimer(*lost, Kind::kSampleTimer), 0);
    EXPECT_EQ(LastTimer(*lost, Kind::kPollTimer), 0);
    EXPECT_EQ(LastEnabled(*lost, Kind::kEnable, ControlId::kStart), 0);
    ASSERT_NE(Find(*lost, Kind::kReopenIn), nullptr);
    EXPECT_EQ(Find(*lost, Kind::kReopenIn)->periodMs, 1000);

    EXPECT_EQ(Find(run_->TryReopenCard(), Kind::kReopenIn)->periodMs, 2000);
    ServeCard();
    const Reaction back = run_->TryReopenCard();
    EXPECT_NE(Find(back, Kind::kStopReopen), nullptr);
    ASSERT_NE(Find(back, Kind::kCardNotice), nullptr);
    EXPECT_EQ(Find(back, Kind::kCardNotice)->text, "USB数据采集器已重新连接，可以继续采集。");
    EXPECT_FALSE(run_->CardLost());
    EXPECT_EQ(LastEnabled(back, Kind::kEnable, ControlId::kStart), 1);
    EXPECT_EQ(LastTimer(back, Kind::kPollTimer), kPollPeriodMs);
}

// A termination signal during a live test: the test is saved under a name that says so and
// the card's outputs are left idle.
TEST_F(RunControllerTest, TerminationSavesTheTestAndLeavesTheOutputsIdle) {
    StartLiveTest();
    for (int i = 0; i < 4; ++i) run_->Tick(i * 0.03);
    const Reaction r = run_->Terminate();
    EXPECT_EQ(LastTimer(r, Kind::kPollTimer), 0);
    EXPECT_NE(Find(r, Kind::kStopReopen), nullptr);
    EXPECT_EQ(run.g_bRecording, 0);
    EXPECT_EQ(run.g_bTestSaved, 1);
    EXPECT_NE(run_->SavedArchive().find("-终止保存"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(run_->SavedArchive()));
    EXPECT_EQ(card_.TakeOutputFalls() & kOutForcedStop, kOutForcedStop);
    EXPECT_EQ(card_.DigitalOutputs() & 0x3F, 0x3F);
}

}  // namespace
