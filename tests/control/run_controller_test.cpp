// The run controller without a window, on a simulated card served over the driver's real
// instance sockets (or, where a read must fail, in this process): what a command, a tick or
// a poll decides, what reaches the card's outputs and what is saved.
#include "control/run_controller.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "../common/scratch_folder.h"
#include "acquisition/card_access.h"
#include "acquisition/card_claim.h"
#include "acquisition/high_speed.h"
#include "card.h"
#include "common/number_text.h"
#include "driver.h"
#include "in_process_driver.h"
#include "records/archive.h"
#include "results/results_engine.h"
#include "run/readouts.h"
#include "run/run_state.h"
#include "server.h"
#include "settings/data_folder.h"
#include "settings/settings_record.h"
#include "settings/specimen.h"
#include "store/results_store.h"

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

// The effects the window shows as a box, blocking or not.
bool IsBox(const Effect& e) {
    return e.kind == Kind::kMessage || e.kind == Kind::kSafetyNotice ||
           e.kind == Kind::kStartNotice || e.kind == Kind::kCardNotice || e.kind == Kind::kNotice;
}

const std::set<ControlId> kButtons = {
    ControlId::kTravelLimit, ControlId::kSettings, ControlId::kStart,       ControlId::kClearList,
    ControlId::kStop,        ControlId::kSave,     ControlId::kZeroSensors, ControlId::kPrint};

// The buttons a reaction leaves enabled; none when it does not set every button.
std::optional<std::set<ControlId>> EnabledButtons(const Reaction& r) {
    std::set<ControlId> enabled;
    for (ControlId id : kButtons) {
        const int state = LastEnabled(r, Kind::kEnable, id);
        if (state < 0) return std::nullopt;
        if (state == 1) enabled.insert(id);
    }
    return enabled;
}

// The archives in the data folder, without the settings file.
std::vector<std::string> Archives() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(DataFolderPath())) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() == ".dat" && name != "MyTestSet.dat") names.push_back(name);
    }
    return names;
}

// Passes every call to the in-process card, except bulk reads while reads are made to fail.
class FailableDriver : public dqx7460::ForwardingDriver {
  public:
    using ForwardingDriver::ForwardingDriver;
    bool Control(HANDLE handle, std::uint32_t code, const void* in, std::uint32_t inLen, void* out,
                 std::uint32_t outLen, std::uint32_t* returned) override {
        if (failReads && code == dqx7460::kIoctlBulkRead) {
            *returned = 0;
            return false;
        }
        return ForwardingDriver::Control(handle, code, in, inLen, out, outLen, returned);
    }
    bool failReads = false;
};

constexpr std::uint16_t kOutputRegister = 128;

class RunControllerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(scratch_.Made());
        setenv("DQX7460_DRIVER_DIR", (scratch_ / "drv").c_str(), 1);
        std::filesystem::create_directory(scratch_ / "work");
        ASSERT_TRUE(scratch_.Enter("work"));
        AnchorDataFolder();
        std::string error;
        ASSERT_TRUE(LoadOrCreateSettingsFile(settings, &error)) << error;
        card_.SetDigitalInputs(0x00FF);
        // The simulator's threads write while the test reads.
        card_.SetWriteObserver([this](std::uint16_t reg, std::uint16_t) {
            ++cardWrites_;
            if (reg == kOutputRegister) ++outputWrites_;
        });
    }
    void TearDown() override {
        run_.reset();
        daq_.CloseCard();
        if (server_) server_->Stop();
        dqx7460::SetDriver(nullptr);
        card_.SetWriteObserver(nullptr);
        unsetenv("DQX7460_DRIVER_DIR");
    }

    void ServeCard() {
        server_ = std::make_unique<sim::Server>(
            scratch_ / "drv", [](const std::string&, bool*) { return std::string("err"); }, [] {});
        server_->AddInstance(0, card_);
        std::string error;
        ASSERT_TRUE(server_->Start(&error)) << error;
    }

    // The card in this process, behind a driver whose reads can be made to fail.
    void PlugInCard() {
        inProcess_.AddCard(0, card_);
        dqx7460::SetDriver(&failable_);
    }

    // Starts the controller on the card and lets it open the card, as the program starts.
    void OpenTheCard() {
        ASSERT_EQ(Find(Note(run_->OpenCardAtStartup()), Kind::kMessage), nullptr);
    }

    // Starts the controller on the served card and a live test.
    void StartLiveTest() {
        ServeCard();
        const Reaction startup = run_->OpenCardAtStartup();
        ASSERT_EQ(Find(startup, Kind::kMessage), nullptr);
        ASSERT_EQ(Find(run_->Start(), Kind::kSafetyNotice), nullptr);
        ASSERT_EQ(run.g_bRecording, 1);
    }

    // Keeps what the window would show of a reaction: its boxes, and the buttons' states.
    const Reaction& Note(const Reaction& r) {
        for (const Effect& e : r) {
            if (IsBox(e)) boxes_.push_back(e);
            if (e.kind == Kind::kEnable) enabled_[e.id] = e.on;
        }
        return r;
    }
    // A tick 30 ms after the last one.
    const Reaction& NextTick() {
        last_ = run_->Tick(0.03 * ticks_++);
        return Note(last_);
    }
    // Ticks until the predicate holds; false when it still fails after `limit` ticks.
    bool TickUntil(const std::function<bool()>& done, int limit = 400) {
        for (int i = 0; i < limit && !done(); ++i) NextTick();
        return done();
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

    ScratchFolder scratch_{"velmora-run"};
    sim::Card card_{1};
    std::unique_ptr<sim::Server> server_;
    sim::InProcessDriver inProcess_;
    FailableDriver failable_{inProcess_};
    std::atomic<int> cardWrites_{0};
    std::atomic<int> outputWrites_{0};
    std::vector<Effect> boxes_;
    std::map<ControlId, bool> enabled_;
    Reaction last_;
    int ticks_ = 0;
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

// While a series is active each new test is its next specimen: a test cleared unsaved leaves
// its number to the next one, a saved one takes it; marking it invalid reaches its test file.
TEST_F(RunControllerTest, SeriesNumbersItsSpecimensAndKeepsTheExclusion) {
    settings.g_strForceStopLimit = "100.000";
    settings.Parse();
    SeriesSession series;
    series.active = true;
    series.info.name = "B";
    run_->FollowSeries(series);
    StartLiveTest();
    EXPECT_EQ(SpecimenIdOf(run.g_seriesMember), "B-01");
    for (int i = 0; i < 3; ++i) NextTick();
    run_->Stop();
    run_->Clear();
    run_->Start();
    EXPECT_EQ(SpecimenIdOf(run.g_seriesMember), "B-01") << "an unsaved test used no number";

    const auto breakAndSave = [&] {
        card_.SetVoltage(0, 4.0);
        for (int i = 0; i < 20; ++i) NextTick();
        card_.SetVoltage(0, 0.0);
        return TickUntil(Kind::kResults, 100).has_value();
    };
    ASSERT_TRUE(breakAndSave());
    const std::string first = run_->SavedArchive();
    EXPECT_EQ(series.nextNumber, 2);
    EXPECT_NE(
        ReadWhole(first.substr(0, first.size() - 4) + ".ini").find("Series=B\nSpecimenNo=1\n"),
        std::string::npos);
    ASSERT_EQ(SeriesTestFiles(DataFolderPath(), "B").size(), 1u);
    EXPECT_EQ(SeriesTestFiles(DataFolderPath(), "B")[0].archivePath, first);

    const Reaction marked = run_->MarkExcluded("断于标距外");
    EXPECT_EQ(Find(marked, Kind::kMessage), nullptr);
    EXPECT_NE(Find(marked, Kind::kSeriesAgain), nullptr);
    EXPECT_NE(ReadWhole(first.substr(0, first.size() - 4) + ".ini").find("Excluded=断于标距外\n"),
              std::string::npos);

    card_.SetVoltage(0, 0.0);
    run_->Start();
    EXPECT_EQ(SpecimenIdOf(run.g_seriesMember), "B-02");
    EXPECT_EQ(run.g_seriesMember.excludedReason, "");
    EXPECT_NE(Find(run_->MarkExcluded("x"), Kind::kMessage), nullptr) << "not saved yet";
    run_->Stop();
    run_->Clear();
    series.active = false;
    run_->Start();
    EXPECT_EQ(run.g_seriesMember.series, "") << "after the series ends, a lone test";
}

// Every save is entered in the store after its files are written, and entered again when the
// saved test's specimen changes; a store that cannot take it is said, the files stand.
TEST_F(RunControllerTest, SavedTestsAreEnteredInTheStoreWhichNeverHoldsASaveBack) {
    settings.g_strForceStopLimit = "100.000";
    settings.Parse();
    ResultsStore unopened;
    run_->KeepStore(unopened);
    StartLiveTest();
    for (int i = 0; i < 5; ++i) NextTick();
    run_->Stop();
    const Reaction save = run_->Save();
    ASSERT_NE(Find(save, Kind::kNotice), nullptr);
    EXPECT_NE(Find(save, Kind::kNotice)->text.find("未登记到试验记录库"), std::string::npos);
    EXPECT_EQ(Find(save, Kind::kMessage), nullptr);
    EXPECT_EQ(Archives().size(), 1u);

    ResultsStore store;
    std::string message;
    ASSERT_TRUE(store.Open(ResultsStorePath(DataFolderPath()), &message)) << message;
    run_->KeepStore(store);
    run_->Clear();
    run_->Start();
    for (int i = 0; i < 5; ++i) NextTick();
    run_->Stop();
    EXPECT_EQ(Find(run_->Save(), Kind::kNotice), nullptr);
    const std::string archive = run_->SavedArchive();
    const std::string name = archive.substr(archive.rfind('/') + 1);
    StoredTest entered;
    ASSERT_TRUE(store.ReadTest(name, &entered, &message)) << message;
    EXPECT_EQ(entered.recordCount, run.g_nRecordCount);
    EXPECT_FALSE(entered.finalArea);

    specimen_ = {20.0, 50.0};
    specimen_.finalArea = 12.0;
    EXPECT_EQ(Find(run_->SpecimenChanged(), Kind::kNotice), nullptr);
    ASSERT_TRUE(store.ReadTest(name, &entered, &message)) << message;
    EXPECT_EQ(entered.finalArea, std::optional<double>(12.0));
    std::vector<StoredChange> changes;
    ASSERT_TRUE(store.ChangesOf(name, &changes, &message)) << message;
    EXPECT_FALSE(changes.empty()) << "the store keeps what the change did";
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

// Opening resets the card, so a card another program holds is not even opened: playback
// only, until that program has ended.
TEST_F(RunControllerTest, CardHeldByAnotherProgramIsNotOpened) {
    ServeCard();
    auto otherProgram = std::make_unique<CardClaim>();
    ASSERT_EQ(otherProgram->Claim(), CardClaim::Result::kClaimed);
    const Reaction r = run_->OpenCardAtStartup();
    EXPECT_EQ(cardWrites_, 0);
    EXPECT_EQ(daq_.g_hDevice, nullptr);
    Note(r);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].kind, Kind::kMessage);
    EXPECT_EQ(boxes_[0].caption, "设备信息");
    EXPECT_EQ(boxes_[0].text, "USB数据采集器正被另一个程序使用,只能<打开>历史文件回放。");
    EXPECT_EQ(LastEnabled(r, Kind::kEnableMenu, ControlId::kMenuSettings), 0);
    EXPECT_EQ(LastEnabled(r, Kind::kEnable, ControlId::kSettings), 0);
    EXPECT_EQ(LastTimer(r, Kind::kSampleTimer), -1);
    EXPECT_EQ(LastTimer(r, Kind::kPollTimer), -1);

    otherProgram.reset();
    Card next;
    RunController nextProgram(next, settings, run, specimen_);
    EXPECT_EQ(Find(nextProgram.OpenCardAtStartup(), Kind::kMessage), nullptr);
    EXPECT_NE(next.g_hDevice, nullptr);
    next.CloseCard();
}

// A test stopped by hand and started again keeps its start time; a cleared list begins a
// new test with a start time of its own.
TEST_F(RunControllerTest, ContinuedTestKeepsItsStartTime) {
    StartLiveTest();
    card_.SetVoltage(0, 2.0);
    EXPECT_FALSE(run.g_strStartTime.empty());
    NextTick();
    NextTick();
    run_->Stop();
    run.g_strStartTime = "marker";
    run_->Start();
    EXPECT_EQ(run.g_strStartTime, "marker");
    NextTick();
    EXPECT_EQ(run.g_nRecordCount, 3);

    run_->Stop();
    run_->Clear();
    run_->Start();
    EXPECT_NE(run.g_strStartTime, "marker");
}

// The records are timed on the test's clock, which runs on through a stop: the pause before
// a continue counts. A cleared list's test starts its clock at its own first start.
TEST_F(RunControllerTest, RecordTimesCountRealTimeAcrossAStop) {
    StartLiveTest();
    run_->Tick(run.SecondsSinceTestStart());
    run_->Tick(run.SecondsSinceTestStart());
    EXPECT_GE(run.g_dRecordTime[1], 0.0);
    EXPECT_GE(run.g_dRecordTime[2], run.g_dRecordTime[1]);
    run_->Stop();
    const double resumeAfter = run.g_dRecordTime[2] + 0.05;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (run.SecondsSinceTestStart() < resumeAfter && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    ASSERT_GE(run.SecondsSinceTestStart(), resumeAfter);
    run_->Start();
    run_->Tick(run.SecondsSinceTestStart());
    EXPECT_GE(run.g_dRecordTime[3], resumeAfter);

    run_->Stop();
    run_->Clear();
    run_->Start();
    run_->Tick(run.SecondsSinceTestStart());
    EXPECT_EQ(run.g_nRecordCount, 1);
    EXPECT_LT(run.g_dRecordTime[1], resumeAfter);
}

// A full table stops the run as the stop command does and says why; the interlocks go on
// watching the rig, which may still be pulling.
TEST_F(RunControllerTest, FullTableStopsTheRunAndTheInterlocksWatchOn) {
    ServeCard();
    OpenTheCard();
    const struct {
        const char* what;
        double volts;
        WORD inputs;
    } cases[] = {{"tension at the forced-stop limit", 3.6, 0x00FF},
                 {"travel-limit switch", 0.0, 0x00FF & ~kInTravelLimit}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        card_.SetVoltage(0, 0.0);
        card_.SetDigitalInputs(0x00FF);
        run_->Clear();
        run_->Start();
        NextTick();
        for (int i = 1; i <= 10000; ++i) run.g_strRecord0[i] = run.g_strRecord1[i] = "001.000";
        run.g_nRecordCount = 10000;
        boxes_.clear();
        const Reaction full = NextTick();
        EXPECT_EQ(run.g_nRecordCount, 10000);
        EXPECT_EQ(run.g_bRecording, 0);
        EXPECT_EQ(
            EnabledButtons(full),
            (std::set<ControlId>{ControlId::kSettings, ControlId::kStart, ControlId::kClearList,
                                 ControlId::kSave, ControlId::kZeroSensors, ControlId::kPrint}));
        EXPECT_EQ(LastCaption(full, ControlId::kStart), "开始采集");
        EXPECT_EQ(LastCaption(full, ControlId::kStop), "已停止....");
        ASSERT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(boxes_[0].kind, Kind::kMessage);
        EXPECT_EQ(boxes_[0].text, "记录已满 10000 次，采集已停止。请保存测试数据。");
        EXPECT_EQ(boxes_[0].caption, "采集信息");
        EXPECT_TRUE(run.HasUnsavedTest());
        EXPECT_EQ(LastTimer(full, Kind::kSampleTimer), kIdleSamplePeriodMs);

        card_.SetVoltage(0, c.volts);
        card_.SetDigitalInputs(c.inputs);
        Note(run_->Poll(kIdleSamplePeriodMs));
        ASSERT_TRUE(TickUntil([this] { return boxes_.size() > 1; }));
        EXPECT_EQ(boxes_.back().text, "安全限制 强行停机");
        EXPECT_EQ(card_.DigitalOutputs() & kOutForcedStop, 0);
        EXPECT_TRUE(run_->LampStates().forcedStop);
    }
    EXPECT_TRUE(Archives().empty());
}

// A start held on the rig is issued again at every poll, and each start resets the break
// sequence's state.
TEST_F(RunControllerTest, HeldStartInputRepeatsTheStart) {
    ServeCard();
    OpenTheCard();
    card_.SetDigitalInputs(0x00FF & ~kInStart);
    const Reaction first = run_->Poll(kIdleSamplePeriodMs);
    EXPECT_EQ(run.g_bRecording, 1);
    EXPECT_EQ(LastCaption(first, ControlId::kStart), "已开始....");
    run.g_nAutoStopTicks = 3;
    run_->Poll(LastTimer(first, Kind::kSampleTimer));
    EXPECT_EQ(run.g_nAutoStopTicks, 0);
    card_.SetDigitalInputs(0x00FF);
    run.g_nAutoStopTicks = 3;
    run_->Poll(LastTimer(first, Kind::kSampleTimer));
    EXPECT_EQ(run.g_nAutoStopTicks, 3);
}

// Zero and clear on the rig wait for the test to stop; the stop input is taken first, so all
// three act in the same poll.
TEST_F(RunControllerTest, ZeroAndClearInputsWaitForTheStop) {
    StartLiveTest();
    NextTick();
    NextTick();
    card_.SetDigitalInputs(0x00FF & ~(kInZero | kInClear));
    run_->Poll(30);
    EXPECT_EQ(run.g_nRecordCount, 2);
    EXPECT_EQ(run.g_bZeroRequest0, 0);
    card_.SetDigitalInputs(0x00FF & ~(kInStop | kInZero | kInClear));
    run_->Poll(30);
    EXPECT_EQ(run.g_bRecording, 0);
    EXPECT_EQ(run.g_nRecordCount, 0);
    EXPECT_EQ(run.g_bZeroRequest0, 1);
    EXPECT_EQ(run.g_bZeroRequest1, 1);
}

// A tick whose read fails records nothing, shows nothing new and writes no outputs; the
// next one that reads goes on.
TEST_F(RunControllerTest, FailingReadSkipsTheTick) {
    PlugInCard();
    OpenTheCard();
    card_.SetVoltage(0, 1.0);
    run_->Start();
    NextTick();
    const std::string readout = run.g_strReadout0[0];
    const int writes = outputWrites_;
    card_.SetVoltage(0, 2.0);
    failable_.failReads = true;
    const Reaction failed = NextTick();
    EXPECT_EQ(daq_.g_nLastError, 1);
    EXPECT_EQ(run.g_nRecordCount, 1);
    EXPECT_EQ(run.g_strReadout0[0], readout);
    EXPECT_EQ(Find(failed, Kind::kRecords), nullptr);
    EXPECT_EQ(Find(failed, Kind::kRefresh), nullptr);
    EXPECT_EQ(outputWrites_, writes);
    failable_.failReads = false;
    NextTick();
    EXPECT_EQ(run.g_nRecordCount, 2);
    EXPECT_EQ(outputWrites_, writes + 1);
}

// With ticks 10 s apart the poll stops the test at the limit; at the default period the
// ticks, as frequent as the polls, watch alone.
TEST_F(RunControllerTest, PollsWatchTheLimitsOnlyOfALongPeriod) {
    ServeCard();
    OpenTheCard();
    settings.g_strSamplePeriod = "10000";
    settings.Parse();
    const Reaction slow = Note(run_->Start());
    ASSERT_EQ(LastTimer(slow, Kind::kSampleTimer), 10000);
    card_.SetVoltage(0, 4.0);
    Note(run_->Poll(10000));
    EXPECT_EQ(run.g_bRecording, 0);
    // The reading that tripped is the test's one record.
    EXPECT_EQ(run.g_nRecordCount, 1);
    EXPECT_EQ(run.g_strRecord0[1], run.g_strReadout0[0]);
    EXPECT_GE(std::atof(run.g_strRecord0[1].c_str()), 35.0);
    EXPECT_EQ(card_.DigitalOutputs() & 0x07, 0);
    EXPECT_TRUE(run_->LampStates().forcedStop);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "安全限制 强行停机");

    card_.SetVoltage(0, 1.2);
    settings.g_strSamplePeriod = "30";
    settings.Parse();
    const Reaction fast = run_->Start();
    EXPECT_EQ(run.g_bRecording, 1);
    card_.SetVoltage(0, 4.0);
    run_->Poll(LastTimer(fast, Kind::kSampleTimer));
    EXPECT_EQ(run.g_bRecording, 1);
    EXPECT_EQ(card_.DigitalOutputs() & kOutForcedStop, kOutForcedStop);
}

// A new test after a forced stop begins from the card's present values, whatever was read
// before the stop; after the next forced stop the ticks keep the readouts on the card
// without evaluating the limits again.
TEST_F(RunControllerTest, ReadingsAfterAForcedStop) {
    ServeCard();
    OpenTheCard();
    card_.SetVoltage(1, 4.0);
    run_->Start();
    NextTick();
    card_.SetVoltage(0, 4.0);
    ASSERT_TRUE(TickUntil([this] { return !boxes_.empty(); }));

    card_.SetVoltage(0, 0.0);
    card_.SetVoltage(1, 0.0);
    run_->Clear();
    run_->Start();
    NextTick();
    EXPECT_EQ(run.g_nRecordCount, 1);
    const std::string zero0 = FormatChannelValue(0, 0.0, settings.g_dFullScale0);
    const std::string zero1 = FormatChannelValue(1, 0.0, settings.g_dFullScale1);
    EXPECT_EQ(run.g_strRecord0[1], zero0);
    EXPECT_EQ(run.g_strRecord1[1], zero1);
    EXPECT_EQ(run.g_dHistory1[kPeakSlot], 0.0);

    card_.SetVoltage(0, 4.0);
    card_.SetVoltage(1, 2.0);
    ASSERT_TRUE(TickUntil([this] { return boxes_.size() == 2; }));
    card_.SetVoltage(0, 0.0);
    card_.SetVoltage(1, 0.0);
    EXPECT_TRUE(
        TickUntil([&] { return run.g_strReadout0[0] == zero0 && run.g_strReadout1[0] == zero1; }));
    EXPECT_NE(Find(last_, Kind::kRefresh), nullptr);
    EXPECT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(card_.DigitalOutputs() & kOutForcedStop, 0);
    EXPECT_EQ(run.g_bRecording, 0);
}

// The switch engaged stops the test once; the button's state lasts until the next poll sees
// the switch released.
TEST_F(RunControllerTest, TravelLimitFromTheSwitch) {
    ServeCard();
    OpenTheCard();
    card_.SetDigitalInputs(0x00FF & ~kInTravelLimit);
    Reaction r = run_->Poll(kIdleSamplePeriodMs);
    EXPECT_EQ(run.g_bTravelLimit, 1);
    EXPECT_EQ(LastCaption(r, ControlId::kTravelLimit), "行程限位接通");
    NextTick();
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "安全限制 强行停机");
    NextTick();
    EXPECT_EQ(boxes_.size(), 1u);
    EXPECT_TRUE(run_->ForcedStop().travelLimit);
    EXPECT_FALSE(run_->ForcedStop().forceLimit);

    card_.SetDigitalInputs(0x00FF);
    r = run_->Poll(kIdleSamplePeriodMs);
    EXPECT_EQ(run.g_bTravelLimit, 0);
    EXPECT_EQ(LastCaption(r, ControlId::kTravelLimit), "行程限位断开");

    EXPECT_EQ(LastCaption(run_->ToggleTravelLimit(), ControlId::kTravelLimit), "行程限位接通");
    EXPECT_EQ(LastCaption(run_->Poll(kIdleSamplePeriodMs), ControlId::kTravelLimit),
              "行程限位断开");
}

// The travel-limit switch wins over a start: held on the rig while idle, held while a test
// reaches the switch, or given from the window while the switch is engaged.
TEST_F(RunControllerTest, StartCannotOverrideTheSwitch) {
    ServeCard();
    const struct {
        const char* name;
        bool running;
        bool command;
    } cases[] = {{"idle", false, false}, {"running", true, false}, {"command", false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto state = std::make_unique<TestRun>();
        Card card;
        RunController control(card, settings, *state, specimen_);
        boxes_.clear();
        ASSERT_EQ(Find(Note(control.OpenCardAtStartup()), Kind::kMessage), nullptr);
        if (c.running) {
            Note(control.Start());
            Note(control.Tick(0));
        }
        const auto poll = [&] {
            Note(control.Poll(state->g_bRecording ? 30 : kIdleSamplePeriodMs));
        };
        card_.SetDigitalInputs(0x00FF & ~(kInTravelLimit | kInStart));
        for (int i = 0; i < 5; ++i) {
            poll();
            EXPECT_EQ(state->g_bRecording != 0, c.running);
        }
        if (c.command) Note(control.Start());
        Note(control.Tick(0.1));
        ASSERT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(boxes_[0].text, "安全限制 强行停机");
        EXPECT_EQ(state->g_bRecording, 0);
        EXPECT_EQ(card_.DigitalOutputs() & kOutForcedStop, 0);
        for (int i = 0; i < 5; ++i) {
            poll();
            EXPECT_EQ(state->g_bRecording, 0);
        }
        card_.SetDigitalInputs(0x00FF);
    }
}

// A test that broke but could not be saved is kept, and a start, from the rig or the window,
// is refused with a notice until it is saved; once saved, the next start begins a new test.
TEST_F(RunControllerTest, BrokenTestNotSavedHoldsTheNextStart) {
    settings.g_strTestName = "a/b";
    StartLiveTest();
    card_.SetVoltage(0, 3.2);
    ASSERT_TRUE(TickUntil([this] { return run.g_dHistory0[kPeakSlot] > 31.9; }));
    card_.SetVoltage(0, 0.0);
    ASSERT_TRUE(TickUntil([this] { return !run.g_bRecording; }));
    EXPECT_GT(run.g_nBreakRecord, 0);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].caption, "文件信息");
    const int records = run.g_nRecordCount;
    const double peak = run.g_dHistory0[kPeakSlot];

    boxes_.clear();
    card_.SetDigitalInputs(0x00FF & ~kInStart);
    Note(run_->Poll(kIdleSamplePeriodMs));
    card_.SetDigitalInputs(0x00FF);
    Note(run_->Start());
    EXPECT_EQ(run.g_bRecording, 0);
    EXPECT_EQ(run.g_nRecordCount, records);
    EXPECT_EQ(run.g_dHistory0[kPeakSlot], peak);
    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(boxes_[0].kind, Kind::kStartNotice);
    EXPECT_EQ(boxes_[0].caption, "采集信息");
    EXPECT_NE(boxes_[0].text.find("尚未保存"), std::string::npos);
    EXPECT_TRUE(enabled_[ControlId::kSave]);

    settings.g_strTestName = "ok";
    boxes_.clear();
    Note(run_->Save());
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(Archives().size(), 1u);
    card_.SetVoltage(0, 1.0);
    Note(run_->Start());
    EXPECT_EQ(run.g_bRecording, 1);
    EXPECT_EQ(run.g_nRecordCount, 0);
    EXPECT_EQ(run.g_nBreakRecord, 0);
    NextTick();
    EXPECT_EQ(run.g_nRecordCount, 1);
    EXPECT_LT(run.g_dHistory0[kPeakSlot], 15.0);
    EXPECT_TRUE(boxes_.empty());
}

// The break lights its lamps and drives the stop lines low; the return phase runs its ticks,
// recording on, and its end stops the test and saves it without a box.
TEST_F(RunControllerTest, BreakSequenceLightsItsLampsAndSavesAtItsEnd) {
    StartLiveTest();
    card_.SetVoltage(0, 3.2);
    ASSERT_TRUE(TickUntil([this] { return run.g_dHistory0[kPeakSlot] > 31.9; }));
    card_.SetVoltage(0, 0.0);
    ASSERT_TRUE(TickUntil([this] { return run.g_bBreakDetected != 0; }));
    EXPECT_EQ(run.g_nBreakRecord, run.g_nRecordCount);
    EXPECT_TRUE(run_->LampStates().broken);
    EXPECT_TRUE(run_->LampStates().autoStop);
    EXPECT_EQ(card_.DigitalOutputs() & (kOutBroken | kOutAutoStop), 0);

    ASSERT_TRUE(TickUntil([this] { return run.g_bAutoReturnActive != 0; }));
    EXPECT_TRUE(run_->LampStates().autoReturn);
    for (int i = 1; i < 20; ++i) NextTick();
    EXPECT_EQ(run.g_bRecording, 1);
    EXPECT_TRUE(Archives().empty());
    const int records = run.g_nRecordCount + 1;
    NextTick();
    EXPECT_EQ(run.g_bRecording, 0);
    EXPECT_EQ(run.g_nRecordCount, records);
    EXPECT_FALSE(run_->LampStates().autoReturn);
    ASSERT_EQ(Archives().size(), 1u);
    const std::string base =
        DataFolderPath() + Archives().front().substr(0, Archives().front().size() - 4);
    EXPECT_TRUE(std::filesystem::exists(base + ".xls"));
    EXPECT_TRUE(std::filesystem::exists(base + ".csv"));
    EXPECT_EQ(run_->SavedArchive(), base + ".dat");
    EXPECT_NE(Find(last_, Kind::kResults), nullptr);
    EXPECT_TRUE(boxes_.empty());
}

// The high-speed tick takes its record only once the burst is in.
TEST_F(RunControllerTest, HighSpeedTickWaitsForTheBurst) {
    StartLiveTest();
    daq_.g_bHighSpeed = 1;
    daq_.highSpeed.g_bHighSpeedDone = 0;
    const int writes = outputWrites_;
    NextTick();
    EXPECT_EQ(run.g_nRecordCount, 0);
    EXPECT_EQ(outputWrites_, writes);
    daq_.highSpeed.g_bHighSpeedDone.store(1, std::memory_order_release);
    NextTick();
    EXPECT_EQ(daq_.highSpeed.g_bHighSpeedDone.load(), 0);
    EXPECT_EQ(run.g_nRecordCount, 1);
    EXPECT_EQ(outputWrites_, writes + 1);
}

// A program without a card, for playback: the settings file as start-up reads it.
struct PlaybackProgram {
    PlaybackProgram() {
        std::string error;
        loaded = LoadOrCreateSettingsFile(settings, &error);
    }
    bool loaded = false;
    Settings settings;
    std::unique_ptr<TestRun> state = std::make_unique<TestRun>();
    TestRun& run = *state;
    SpecimenDims specimen;
    Card card;
    RunController control{card, settings, run, specimen};
};

// A file that cannot be read as an archive is told and changes nothing: no playback, no
// control, no timer, the settings in force as they were.
TEST_F(RunControllerTest, UnreadableOrForeignFilesChangeNothing) {
    StartLiveTest();
    card_.SetVoltage(0, 1.5);
    card_.SetVoltage(1, -0.5);
    for (int i = 0; i < 3; ++i) NextTick();
    run_->Stop();
    run_->Save();
    const std::string archive = run_->SavedArchive();
    ASSERT_FALSE(archive.empty());

    PlaybackProgram program;
    ASSERT_TRUE(program.loaded);
    program.control.OpenCardAtStartup();
    const SettingsTexts inForce = program.settings.Texts();
    for (const std::string& file : {scratch_ / "missing.dat", DataFolderPath() + "MyTestSet.dat",
                                    archive.substr(0, archive.size() - 4) + ".xls"}) {
        SCOPED_TRACE(file);
        const Reaction r = program.control.OpenArchive(file);
        ASSERT_EQ(r.size(), 1u);
        EXPECT_EQ(r[0].kind, Kind::kMessage);
        EXPECT_EQ(r[0].caption, "文件信息");
        if (file != scratch_ / "missing.dat") {
            EXPECT_NE(r[0].text.find(file), std::string::npos) << r[0].text;
        }
        EXPECT_FALSE(program.control.Playback());
        EXPECT_EQ(program.run.g_bRecording, 0);
        EXPECT_TRUE(program.settings.Texts() == inForce);
    }
}

// Each playback starts without the lamps, outputs and break sequence of the one before.
TEST_F(RunControllerTest, EachPlaybackStartsQuiet) {
    PlaybackProgram program;
    ASSERT_TRUE(program.loaded);
    program.control.OpenCardAtStartup();
    // A test whose tension falls from 40 to 5 N: the break lamp lights in its playback.
    const std::string breakArchive = DataFolderPath() + "break.dat";
    TestRun& stored = program.run;
    stored.g_strRecord0[1] = "040.000";
    stored.g_strRecord0[2] = stored.g_strRecord0[3] = "005.000";
    stored.g_strRecord1[1] = stored.g_strRecord1[2] = stored.g_strRecord1[3] = "001.000";
    stored.g_nRecordCount = 3;
    std::string error;
    ASSERT_TRUE(WriteArchive(program.settings, stored, breakArchive, &error)) << error;
    for (int playback = 0; playback < 2; ++playback) {
        SCOPED_TRACE(playback);
        program.control.OpenArchive(breakArchive);
        ASSERT_TRUE(program.control.Playback());
        const Lamps& lamps = program.control.LampStates();
        EXPECT_FALSE(lamps.forcedStop || lamps.alarmHigh || lamps.alarmLow || lamps.broken ||
                     lamps.autoReturn || lamps.autoStop);
        EXPECT_EQ(program.control.DigitalOut(), 0xFF);
        for (int i = 0; i < 10 && !program.run.g_bPlaybackEnded; ++i) program.control.Tick(0);
        ASSERT_TRUE(program.run.g_bPlaybackEnded);
        EXPECT_TRUE(lamps.broken);
        EXPECT_EQ(program.control.DigitalOut() & kOutBroken, 0);
    }
}

// A saved test played back: the break sequence stops the playback before the archive's end
// (继续回放), the next start plays on to 回放结束. Every stop gives the same results, with
// the specimen the test was saved with and its own start time.
TEST_F(RunControllerTest, PlaybackResultsDoNotDependOnHowItEnds) {
    settings.g_strSamplePeriod = "5";
    settings.Parse();
    constexpr int kRise = 150, kRecords = 250;
    for (int i = 1; i <= kRecords; ++i) {
        const double d = 0.1 * i;
        const double f = i <= kRise ? 40 * (1 - std::exp(-d / 3)) : 0.5;
        char text[32];
        std::snprintf(text, sizeof text, "%07.3f", f);
        run.g_strRecord0[i] = text;
        std::snprintf(text, sizeof text, "%07.3f", d);
        run.g_strRecord1[i] = text;
    }
    run.g_nRecordCount = kRecords;
    run.g_strStartTime = "2025-03-07-14:05:09";
    specimen_ = {10.0, 50.0};
    ASSERT_TRUE(Archives().empty());
    run_->Save();
    const std::string archive = run_->SavedArchive();
    ASSERT_FALSE(archive.empty());
    EXPECT_TRUE(std::filesystem::exists(archive.substr(0, archive.size() - 4) + ".ini"));

    PlaybackProgram program;
    ASSERT_TRUE(program.loaded);
    program.control.OpenCardAtStartup();
    program.specimen = {20.0, 80.0};  // today's specimen is another one
    program.control.OpenArchive(archive);
    ASSERT_TRUE(program.control.Playback());

    struct Stop {
        std::string caption;
        int played;
        std::string startTime;
        ResultSet set;
    };
    std::vector<Stop> stops;
    while (stops.size() <= 10) {
        Reaction stop;
        for (int i = 0; i <= kRecords && program.run.g_bRecording; ++i)
            stop = program.control.Tick(0);
        ASSERT_FALSE(program.run.g_bRecording);
        ASSERT_EQ(LastEnabled(stop, Kind::kEnable, ControlId::kStart), 1);
        stops.push_back({LastCaption(stop, ControlId::kStart), program.run.g_nRecordCount,
                         program.run.g_strStartTime,
                         ResultsOfCurrentTest(program.settings, program.run, program.specimen)});
        if (stops.back().caption == "回放结束") break;
        program.control.Start();
    }
    ASSERT_GE(stops.size(), 2u);
    EXPECT_EQ(stops.front().caption, "继续回放");
    EXPECT_LT(stops.front().played, kRecords);
    EXPECT_EQ(stops.back().caption, "回放结束");
    for (const Stop& stop : stops) {
        EXPECT_EQ(stop.startTime, "2025-03-07-14:05:09");
        EXPECT_EQ(stop.set.startTime, "2025-03-07-14:05:09");
        EXPECT_EQ(*stop.set.specimen.area, 10.0);
        EXPECT_EQ(*stop.set.specimen.gaugeLength, 50.0);
        EXPECT_EQ(stop.set.results.count, kRecords);
        EXPECT_EQ(stop.set.results.breakIndex, kRise - 1);
        ASSERT_EQ(stop.set.rows.size(), stops.front().set.rows.size());
        for (std::size_t i = 0; i < stop.set.rows.size(); ++i) {
            EXPECT_EQ(stop.set.rows[i].name, stops.front().set.rows[i].name);
            EXPECT_EQ(stop.set.rows[i].value, stops.front().set.rows[i].value);
        }
    }
    EXPECT_EQ(stops.front().set.results.breakForce, LeadingNumber(program.run.g_strRecord0[kRise]));
    EXPECT_TRUE(stops.front().set.results.tensileStrength);
}

// Records 1..count with rising texts and times, as a stopped test holds them; the
// extensometer, where it is given, read `readings` over Le 50 mm and was taken off after
// `removal` (0: never).
void FillStoppedTest(TestRun& run, int count, const std::vector<double>& readings = {},
                     int removal = 0) {
    for (int i = 1; i <= count; ++i) {
        char text[32];
        std::snprintf(text, sizeof text, "%07.3f", i * 0.5);
        run.g_strRecord0[i] = text;
        std::snprintf(text, sizeof text, "%07.3f", i * 0.01);
        run.g_strRecord1[i] = text;
        run.g_dRecordTime[i] = i * 0.03;
        run.g_dRecordExt[i] = i <= static_cast<int>(readings.size())
                                  ? readings[i - 1]
                                  : std::numeric_limits<double>::quiet_NaN();
    }
    run.g_nRecordCount = count;
    run.g_bExtRecorded = readings.empty() ? 0 : 1;
    run.g_nExtRemovalRecord = removal;
    run.g_dExtGaugeLength = 50;
    run.g_nExtChannel = 2;
}

// The extensometer's readings are saved beside the archive and its CSV carries them; the
// playback shows each record's reading as it reaches it. A file that no longer reads is
// told at the open and the test plays without the extensometer.
TEST_F(RunControllerTest, SavedExtensometerReadingsPlayBackRecordByRecord) {
    const std::vector<double> readings = {0.0, 0.1 + 0.2, 1.0 / 3, -2.5};
    FillStoppedTest(run, 6, readings, 4);
    const Reaction save = run_->Save();
    EXPECT_EQ(Find(save, Kind::kMessage), nullptr);
    const std::string archive = run_->SavedArchive();
    ASSERT_FALSE(archive.empty());
    const std::string base = archive.substr(0, archive.size() - 4);
    EXPECT_TRUE(std::filesystem::exists(archive + ".ext.csv"));
    EXPECT_NE(ReadWhole(base + ".csv").find(",位移(mm),引伸计 (mm)\r\n"), std::string::npos);

    PlaybackProgram program;
    ASSERT_TRUE(program.loaded);
    program.control.OpenCardAtStartup();
    Reaction open = program.control.OpenArchive(archive);
    EXPECT_EQ(Find(open, Kind::kNotice), nullptr);
    ASSERT_TRUE(program.control.Playback());
    EXPECT_EQ(program.run.g_bExtRecorded, 1);
    EXPECT_EQ(program.run.g_nExtRemovalRecord, 4);
    for (int n = 1; n <= 6; ++n) {
        program.control.Tick(0);
        ASSERT_EQ(program.run.g_nRecordCount, n);
        if (n <= 4) {
            EXPECT_EQ(program.run.g_dValueExt, readings[n - 1]) << n;
        } else {
            EXPECT_TRUE(std::isnan(program.run.g_dValueExt)) << n;
        }
    }
    const TestCurve curve =
        ResultsOfCurrentTest(program.settings, program.run, program.specimen).curve;
    ASSERT_EQ(curve.extensometer.size(), 6u);
    EXPECT_EQ(curve.extensometer[2], 1.0 / 3);
    EXPECT_EQ(curve.extensometerGauge, 50);
    EXPECT_EQ(curve.removalRecord, 4);

    std::string side = ReadWhole(archive + ".ext.csv");
    side.resize(side.size() - 10);
    std::ofstream(archive + ".ext.csv", std::ios::binary | std::ios::trunc) << side;
    open = program.control.OpenArchive(archive);
    const Effect* notice = Find(open, Kind::kNotice);
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->caption, "文件信息");
    EXPECT_NE(notice->text.find("引伸计记录文件不可用"), std::string::npos) << notice->text;
    ASSERT_TRUE(program.control.Playback());
    EXPECT_EQ(program.run.g_bExtRecorded, 0);
    program.control.Tick(0);
    EXPECT_EQ(program.run.g_nRecordCount, 1);
    EXPECT_TRUE(std::isnan(program.run.g_dValueExt));
}

// A test saved without the extensometer under the name of one that had it leaves no file of
// it behind; a save whose extensometer file cannot be written says so, the archive kept.
TEST_F(RunControllerTest, SaveRemovesAStaleExtensometerFileAndTellsAFailedOne) {
    // Every name the saves below can take: this second and the next minute, with "-2", "-3".
    std::vector<std::string> names;
    const std::time_t now = std::time(nullptr);
    for (std::time_t t = now; t <= now + 60; ++t) {
        std::string base, error;
        ASSERT_TRUE(ArchiveBasePath(settings.g_strTestName, t, &base, &error)) << error;
        for (const char* suffix : {"", "-2", "-3"}) names.push_back(base + suffix + ".dat.ext.csv");
    }
    for (const std::string& name : names) std::ofstream(name, std::ios::binary) << "stale";
    FillStoppedTest(run, 5);
    EXPECT_EQ(Find(run_->Save(), Kind::kMessage), nullptr);
    const std::string archive = run_->SavedArchive();
    ASSERT_FALSE(archive.empty());
    EXPECT_FALSE(std::filesystem::exists(archive + ".ext.csv"));

    for (const std::string& name : names) {
        std::filesystem::remove(name);
        std::filesystem::create_directories(name + "/in the way");
    }
    run_->Clear();
    FillStoppedTest(run, 5, {0.5, 0.6});
    const Reaction save = run_->Save();
    const Effect* message = Find(save, Kind::kMessage);
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->text.rfind("试验存档已保存，但引伸计记录没有保存：", 0), 0u)
        << message->text;
    EXPECT_EQ(Archives().size(), 2u);
}

}  // namespace

namespace {

// The extensometer's reading is recorded with each record of a run while it is on, NaN
// once it is taken off and at the records taken without it; the clear forgets it, and the
// current test's curve carries it.
TEST_F(RunControllerTest, ExtensometerIsRecordedWithTheRunUntilTakenOff) {
    ExtensometerSettings extensometer;
    run_->UseExtensometer(extensometer);
    card_.SetVoltage(2, 1.5);
    StartLiveTest();
    ASSERT_TRUE(TickUntil([this] { return run.g_nRecordCount >= 3; }));
    EXPECT_FALSE(run.g_bExtRecorded);
    EXPECT_FALSE(daq_.ExtensometerScanned());

    // Switched on between a stop and a continue: the records before it read nothing.
    Note(run_->Stop());
    extensometer.enabled = true;
    extensometer.gaugeLength = 25;
    Note(run_->ExtensometerChanged());
    EXPECT_TRUE(daq_.ExtensometerScanned());
    Note(run_->Start());
    const int before = run.g_nRecordCount;
    ASSERT_TRUE(TickUntil([&] { return run.g_nRecordCount >= before + 3; }));
    ASSERT_TRUE(run.g_bExtRecorded);
    EXPECT_EQ(run.g_dExtGaugeLength, 25);
    for (int i = 1; i <= before; ++i) EXPECT_TRUE(std::isnan(run.g_dRecordExt[i])) << i;
    // 1.5 V at 2 mm/V, to a code of the ±5 V range.
    EXPECT_NEAR(run.g_dRecordExt[run.g_nRecordCount], 3.0, 0.001);
    EXPECT_NEAR(LeadingNumber(run.g_strReadoutExt), 3.0, 0.001) << run.g_strReadoutExt;

    run.g_nExtRemovalRecord = run.g_nRecordCount;
    NextTick();
    EXPECT_TRUE(std::isnan(run.g_dRecordExt[run.g_nRecordCount]));
    const TestCurve curve = CurveOfCurrentTest(settings, run);
    ASSERT_EQ(curve.extensometer.size(), static_cast<std::size_t>(run.g_nRecordCount));
    EXPECT_NEAR(curve.extensometer[before], 3.0, 0.001);
    EXPECT_TRUE(std::isnan(curve.extensometer.back()));
    EXPECT_EQ(curve.extensometerGauge, 25);
    EXPECT_EQ(curve.removalRecord, run.g_nRecordCount - 1);

    Note(run_->Stop());
    Note(run_->Clear());
    EXPECT_FALSE(run.g_bExtRecorded);
    EXPECT_EQ(run.g_nExtRemovalRecord, 0);
    EXPECT_TRUE(CurveOfCurrentTest(settings, run).extensometer.empty());
    // The menu command follows the settings command: refused while a test runs.
    const Reaction start = Note(run_->Start());
    EXPECT_EQ(LastEnabled(start, Kind::kEnableMenu, ControlId::kMenuExtensometer), 0);
    const Reaction stop = Note(run_->Stop());
    EXPECT_EQ(LastEnabled(stop, Kind::kEnableMenu, ControlId::kMenuExtensometer), 1);
}

}  // namespace
