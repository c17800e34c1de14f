#include "shell/status_text.h"

#include <QCoreApplication>
#include <QStringList>
#include <algorithm>

#include "common/message_box.h"
#include "control/run_controller.h"
#include "run/run_state.h"
#include "settings/settings_record.h"

namespace {

constexpr int kIntervalWindow = 10;  // records whose intervals are averaged

QString StateName(RunPhase phase) {
    switch (phase) {
        case RunPhase::kIdle:
            return QCoreApplication::translate("StatusText", "空闲");
        case RunPhase::kRecording:
            return QCoreApplication::translate("StatusText", "采集中");
        case RunPhase::kStopped:
            return QCoreApplication::translate("StatusText", "已停止");
        case RunPhase::kPlayback:
            return QCoreApplication::translate("StatusText", "回放中");
        case RunPhase::kPlaybackEnded:
            return QCoreApplication::translate("StatusText", "回放结束");
    }
    return {};
}

// Which condition stopped the rig, and what the operator does next.
QString ForcedStopNotice(const StatusFacts& facts, bool saved) {
    const ForcedStopCause& cause = facts.forcedStop;
    QStringList causes;
    if (cause.forceLimit) {
        causes << QCoreApplication::translate("StatusText", "%1达到强制停机限 %2 %3")
                      .arg(facts.channel0, QString::number(facts.forceStopLimit), facts.unit0);
    }
    if (cause.travelLimit) causes << QCoreApplication::translate("StatusText", "行程限位开关动作");
    const QString what = QCoreApplication::translate("StatusText", "强行停机：") +
                         causes.join(QCoreApplication::translate("StatusText", "，且"));
    if (saved) return what;
    if (!cause.forceLimit) {
        return what + QCoreApplication::translate(
                          "StatusText", "。横梁退离限位后按“开始采集”继续，或“保存”后“清除列表区”");
    }
    const QString relieve =
        cause.travelLimit ? QCoreApplication::translate("StatusText", "卸除载荷、横梁退离限位后")
                          : QCoreApplication::translate("StatusText", "卸除载荷后");
    return what + QCoreApplication::translate("StatusText", "。") + relieve +
           QCoreApplication::translate("StatusText", "“保存”本次试验，再“清除列表区”开始新试验");
}

}  // namespace

StatusTexts ComposeStatus(const StatusFacts& facts) {
    StatusTexts texts;
    texts.state = StateName(facts.phase);
    if (!facts.specimenId.isEmpty()) {
        texts.state += QCoreApplication::translate("StatusText", "  试样 ") + facts.specimenId;
        if (!facts.excludedReason.isEmpty())
            texts.state +=
                QCoreApplication::translate("StatusText", "（无效：%1）").arg(facts.excludedReason);
    } else if (!facts.nextSpecimenId.isEmpty()) {
        texts.state +=
            QCoreApplication::translate("StatusText", "  下一试样 ") + facts.nextSpecimenId;
    }
    if (facts.records > 0 || facts.phase == RunPhase::kRecording) {
        texts.time = QCoreApplication::translate("StatusText", "测试时间 %1 s")
                         .arg(facts.testSeconds, 0, 'f', 1);
    }
    if (facts.phase == RunPhase::kRecording && facts.intervalMs > 0) {
        texts.periodMissed = PeriodMissed(facts.intervalMs, facts.periodMs);
        texts.interval = QCoreApplication::translate("StatusText", "记录间隔 %1 ms / 设定 %2 ms")
                             .arg(facts.intervalMs, 0, 'f', 1)
                             .arg(facts.periodMs);
        if (texts.periodMissed)
            texts.interval += QCoreApplication::translate("StatusText", "，跟不上设定周期");
    }
    const bool saved = !facts.savedArchive.isEmpty();
    QStringList notice;
    if (facts.card == CardState::kLost) {
        notice << QCoreApplication::translate("StatusText",
                                              "采集器无应答，采集已停止，正在重新连接……");
    } else if (facts.card == CardState::kAbsent) {
        notice << QCoreApplication::translate("StatusText", "未连接采集器：只能打开历史文件回放");
    }
    if (facts.forcedStop.Any()) notice << ForcedStopNotice(facts, saved);
    if (saved) notice << QCoreApplication::translate("StatusText", "已保存：") + facts.savedArchive;
    if (facts.sharedWaiting > 0) {
        QString waiting =
            QCoreApplication::translate("StatusText", "%1 项待发送到共享数据库（已保存在本机）")
                .arg(facts.sharedWaiting);
        if (!facts.sharedError.isEmpty())
            waiting += QCoreApplication::translate("StatusText", "：") + facts.sharedError;
        notice << waiting;
    }
    texts.notice = notice.join(QCoreApplication::translate("StatusText", "；"));
    return texts;
}

double RecentIntervalMs(const double* recordTimes, int firstRecord, int count) {
    const int first = std::max(firstRecord, count - kIntervalWindow);
    if (count - first < 1) return 0;
    return (recordTimes[count] - recordTimes[first]) * 1000.0 / (count - first);
}

bool PeriodMissed(double intervalMs, int periodMs) {
    return intervalMs > periodMs * 1.1 + 2.0;
}

StatusFacts FactsOfRun(const Settings& settings, const TestRun& run, const RunController& control,
                       bool cardOpen, int periodMs) {
    StatusFacts facts;
    if (control.Playback()) {
        facts.phase = run.g_bRecording       ? RunPhase::kPlayback
                      : run.g_bPlaybackEnded ? RunPhase::kPlaybackEnded
                                             : RunPhase::kStopped;
    } else if (run.g_bRecording) {
        facts.phase = RunPhase::kRecording;
        facts.intervalMs =
            RecentIntervalMs(run.g_dRecordTime, control.RunFirstRecord(), run.g_nRecordCount);
    } else {
        facts.phase = run.g_nRecordCount > 0 || control.ForcedStop().Any() ? RunPhase::kStopped
                                                                           : RunPhase::kIdle;
    }
    if (control.CardLost()) {
        facts.card = CardState::kLost;
    } else if (!cardOpen && !control.Playback()) {
        facts.card = CardState::kAbsent;
    }
    facts.records = run.g_nRecordCount;
    facts.testSeconds = run.g_nRecordCount > 0 ? run.g_dRecordTime[run.g_nRecordCount] : 0.0;
    facts.periodMs = periodMs;
    facts.forcedStop = control.ForcedStop();
    if (facts.forcedStop.forceLimit) {
        facts.channel0 = FromGbk(settings.g_strChannelName0);
        facts.unit0 = FromGbk(settings.g_strUnit0);
        facts.forceStopLimit = settings.g_dForceStopLimit;
    }
    facts.savedArchive = QString::fromStdString(control.SavedArchive());
    const bool held = run.g_nRecordCount > 0 || run.g_bRecording || control.Playback();
    if (held) {
        facts.specimenId = QString::fromStdString(SpecimenIdOf(run.g_seriesMember));
        facts.excludedReason = QString::fromStdString(run.g_seriesMember.excludedReason);
    } else if (const SeriesSession* series = control.Series(); series && series->active) {
        facts.nextSpecimenId =
            QString::fromStdString(SpecimenIdOf({series->info.name, series->nextNumber, ""}));
    }
    return facts;
}
