// The status line's texts in each run state, after a forced stop by each condition and
// after a save; the measured record interval and when it counts as missing the period.
#include "shell/status_text.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "acquisition/card_access.h"
#include "control/run_controller.h"
#include "run/run_state.h"
#include "settings/settings_record.h"
#include "settings/specimen.h"

namespace {

std::string S(const QString& text) {
    return text.toStdString();
}

StatusFacts Facts(RunPhase phase, int records = 0) {
    StatusFacts facts;
    facts.phase = phase;
    facts.records = records;
    facts.testSeconds = records * 0.03;
    facts.periodMs = 30;
    facts.channel0 = QStringLiteral("张力");
    facts.unit0 = QStringLiteral("N");
    facts.forceStopLimit = 35;
    return facts;
}

struct StateCase {
    const char* name;
    StatusFacts facts;
    const char* state;
    const char* time;
    const char* interval;
    bool missed;
};

TEST(StatusText, StateTimeAndIntervalInEachPhase) {
    StatusFacts keeping = Facts(RunPhase::kRecording, 100);
    keeping.intervalMs = 30.4;
    StatusFacts slow = Facts(RunPhase::kRecording, 100);
    slow.intervalMs = 52;
    StatusFacts stopped = Facts(RunPhase::kStopped, 100);
    stopped.intervalMs = 52;  // a stopped test measures nothing
    const StateCase cases[] = {
        {"idle", Facts(RunPhase::kIdle), "空闲", "", "", false},
        {"first tick pending", Facts(RunPhase::kRecording), "采集中", "测试时间 0.0 s", "", false},
        {"keeps the period", keeping, "采集中", "测试时间 3.0 s", "记录间隔 30.4 ms / 设定 30 ms",
         false},
        {"misses the period", slow, "采集中", "测试时间 3.0 s",
         "记录间隔 52.0 ms / 设定 30 ms，跟不上设定周期", true},
        {"stopped", stopped, "已停止", "测试时间 3.0 s", "", false},
        {"playback", Facts(RunPhase::kPlayback, 10), "回放中", "测试时间 0.3 s", "", false},
        {"playback ended", Facts(RunPhase::kPlaybackEnded, 10), "回放结束", "测试时间 0.3 s", "",
         false},
    };
    for (const StateCase& c : cases) {
        SCOPED_TRACE(c.name);
        const StatusTexts texts = ComposeStatus(c.facts);
        EXPECT_EQ(S(texts.state), c.state);
        EXPECT_EQ(S(texts.time), c.time);
        EXPECT_EQ(S(texts.interval), c.interval);
        EXPECT_EQ(texts.periodMissed, c.missed);
        EXPECT_EQ(S(texts.notice), "");
    }
}

struct NoticeCase {
    const char* name;
    bool forceLimit;
    bool travelLimit;
    const char* saved;
    const char* notice;
};

TEST(StatusText, ForcedStopNamesItsConditionAndTheNextStep) {
    const NoticeCase cases[] = {
        {"forced-stop limit", true, false, "",
         "强行停机：张力达到强制停机限 35 N。卸除载荷后“保存”本次试验，再“清除列表区”开始新试验"},
        {"travel limit", false, true, "",
         "强行停机：行程限位开关动作。横梁退离限位后按“开始采集”继续，或“保存”后“清除列表区”"},
        {"both", true, true, "",
         "强行停机：张力达到强制停机限 35 N，且行程限位开关动作。卸除载荷、横梁退离限位后“保存”"
         "本次试验，再“清除列表区”开始新试验"},
        {"saved after the stop", false, true, "/d/测试数据存档/a2026.dat",
         "强行停机：行程限位开关动作；已保存：/d/测试数据存档/a2026.dat"},
        {"saved", false, false, "/d/测试数据存档/a2026.dat", "已保存：/d/测试数据存档/a2026.dat"},
    };
    for (const NoticeCase& c : cases) {
        SCOPED_TRACE(c.name);
        StatusFacts facts = Facts(RunPhase::kStopped, 5);
        facts.forcedStop.forceLimit = c.forceLimit;
        facts.forcedStop.travelLimit = c.travelLimit;
        facts.savedArchive = QString::fromUtf8(c.saved);
        const StatusTexts texts = ComposeStatus(facts);
        EXPECT_EQ(S(texts.notice), c.notice);
        EXPECT_EQ(S(texts.state), "已停止");
    }
}

TEST(StatusText, CardLostOrAbsentComesFirst) {
    StatusFacts facts = Facts(RunPhase::kStopped, 5);
    facts.card = CardState::kLost;
    facts.savedArchive = QStringLiteral("/d/a.dat");
    EXPECT_EQ(S(ComposeStatus(facts).notice),
              "采集器无应答，采集已停止，正在重新连接……；已保存：/d/a.dat");
    facts = Facts(RunPhase::kIdle);
    facts.card = CardState::kAbsent;
    EXPECT_EQ(S(ComposeStatus(facts).notice), "未连接采集器：只能打开历史文件回放");
}

// The facts the window shows come from the test and the controller: the phase from the run
// flags, the card's state, the time of the newest record.
TEST(StatusText, FactsOfTheRun) {
    Settings settings;
    settings.Parse();
    auto run = std::make_unique<TestRun>();
    SpecimenDims specimen;
    Card card;
    RunController control(card, settings, *run, specimen);
    StatusFacts facts = FactsOfRun(settings, *run, control, false, 50);
    EXPECT_EQ(facts.phase, RunPhase::kIdle);
    EXPECT_EQ(facts.card, CardState::kAbsent);
    EXPECT_EQ(facts.periodMs, 50);
    EXPECT_TRUE(facts.savedArchive.isEmpty());

    run->g_nRecordCount = 3;
    run->g_dRecordTime[3] = 0.09;
    facts = FactsOfRun(settings, *run, control, true, 30);
    EXPECT_EQ(facts.phase, RunPhase::kStopped);
    EXPECT_EQ(facts.card, CardState::kPresent);
    EXPECT_EQ(facts.records, 3);
    EXPECT_DOUBLE_EQ(facts.testSeconds, 0.09);

    run->g_bRecording = 1;
    run->g_dRecordTime[1] = 0.03;
    run->g_dRecordTime[2] = 0.06;
    facts = FactsOfRun(settings, *run, control, true, 30);
    EXPECT_EQ(facts.phase, RunPhase::kRecording);
    EXPECT_NEAR(facts.intervalMs, 30.0, 1e-9);
}

// The state names the test's specimen in its series, or the next one while no test is held.
TEST(StatusText, SeriesSpecimenBesideTheState) {
    Settings settings;
    settings.Parse();
    auto run = std::make_unique<TestRun>();
    SpecimenDims specimen;
    Card card;
    RunController control(card, settings, *run, specimen);
    SeriesSession series;
    series.active = true;
    series.info.name = "B";
    series.nextNumber = 4;
    control.FollowSeries(series);
    EXPECT_EQ(S(ComposeStatus(FactsOfRun(settings, *run, control, true, 50)).state),
              "空闲  下一试样 B-04");
    run->g_nRecordCount = 3;
    run->g_seriesMember = {"B", 3, "断于标距外"};
    EXPECT_EQ(S(ComposeStatus(FactsOfRun(settings, *run, control, true, 50)).state),
              "已停止  试样 B-03（无效：断于标距外）");
    run->g_seriesMember = {};
    EXPECT_EQ(S(ComposeStatus(FactsOfRun(settings, *run, control, true, 50)).state), "已停止");
}

// What waits for the shared database is said, with why; nothing when all went.
TEST(StatusText, SharedDatabaseBacklog) {
    StatusFacts facts = Facts(RunPhase::kIdle);
    EXPECT_EQ(S(ComposeStatus(facts).notice), "");
    facts.sharedWaiting = 3;
    facts.sharedError = QStringLiteral("无法连接共享数据库");
    EXPECT_EQ(S(ComposeStatus(facts).notice),
              "3 项待发送到共享数据库（已保存在本机）：无法连接共享数据库");
}

TEST(StatusText, RecentIntervalAveragesTheRunsLastTenRecords) {
    double times[32] = {};
    // Records 1..5 at 30 ms, a 10 s pause (stop, continue), then 6..30 at 40 ms.
    for (int i = 1; i <= 5; ++i) times[i] = (i - 1) * 0.030;
    for (int i = 6; i <= 30; ++i) times[i] = 10.0 + (i - 6) * 0.040;
    EXPECT_EQ(RecentIntervalMs(times, 1, 0), 0.0);
    EXPECT_EQ(RecentIntervalMs(times, 1, 1), 0.0);
    EXPECT_NEAR(RecentIntervalMs(times, 1, 5), 30.0, 1e-9);
    // The run that continued at record 6: the pause before it is not an interval.
    EXPECT_EQ(RecentIntervalMs(times, 6, 6), 0.0);
    EXPECT_NEAR(RecentIntervalMs(times, 6, 8), 40.0, 1e-9);
    // Only the last ten intervals count, so an old stall does not linger.
    times[7] += 1.0;
    for (int i = 8; i <= 30; ++i) times[i] += 1.0;
    EXPECT_NEAR(RecentIntervalMs(times, 6, 30), 40.0, 1e-9);
}

TEST(StatusText, PeriodMissedAllowsTimerJitter) {
    const struct {
        double interval;
        int period;
        bool missed;
    } cases[] = {{30.0, 30, false}, {35.0, 30, false},   {35.1, 30, true},  {3.0, 1, false},
                 {3.2, 1, true},    {1100, 1000, false}, {1110, 1000, true}};
    for (const auto& c : cases) {
        EXPECT_EQ(PeriodMissed(c.interval, c.period), c.missed) << c.interval << " " << c.period;
    }
}

}  // namespace
