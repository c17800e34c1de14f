#include "control/bound_texts.h"

#include <algorithm>

#include "run/run_state.h"
#include "common/gbk_text.h"
#include "control/run_controller.h"
#include "settings/settings_record.h"

std::vector<BoundText> BoundTexts(const Settings& settings, const TestRun& run,
                                  const RunController& control) {
    static const std::string kTimes = Utf8ToGbk("次");
    static const std::string kCounter = Utf8ToGbk("计数器");
    static const std::string kPeak = Utf8ToGbk("峰值");
    static const std::string kPlaybackBanner = Utf8ToGbk("历史回放");
    static const std::string kLine = Utf8ToGbk("线");
    const int peakSlot = std::clamp(run.g_nHistoryLen + 1, 0, kHistorySlots - 1);
    std::vector<BoundText> texts = {
        {ControlId::kReadout0, run.g_strReadout0[0]},
        {ControlId::kReadout1, run.g_strReadout1[0]},
        {ControlId::kPeak0, run.g_strReadout0[peakSlot]},
        {ControlId::kPeak1, run.g_strReadout1[peakSlot]},
        {ControlId::kRatio, run.g_strRatio[0]},
        {ControlId::kRecordCount, std::to_string(run.g_nRecordCount)},
        {ControlId::kUnit0, settings.g_strUnit0},
        {ControlId::kUnit1, settings.g_strUnit1},
        {ControlId::kTimesCaption, kTimes},
        {ControlId::kForceStopLimit, settings.g_strForceStopLimit},
        {ControlId::kAlarmHigh, settings.g_strAlarmHigh},
        {ControlId::kAlarmLow, settings.g_strAlarmLow},
        {ControlId::kBreakValue, settings.g_strBreakValue},
        {ControlId::kChannelName0, settings.g_strChannelName0},
        {ControlId::kChannelName1, settings.g_strChannelName1},
        {ControlId::kCounterCaption, kCounter},
        {ControlId::kRatioCaption, settings.g_strChannelName0 + "/" + settings.g_strChannelName1},
        {ControlId::kPeakCaption0, kPeak},
        {ControlId::kPeakCaption1, kPeak},
    };
    if (control.Playback()) {
        texts.push_back({ControlId::kPlaybackBanner, kPlaybackBanner});
        texts.push_back({ControlId::kArchiveName, control.ArchiveName()});
    }
    texts.push_back({ControlId::kShowCurve0, settings.g_strChannelName0 + kLine});
    texts.push_back({ControlId::kShowCurve1, settings.g_strChannelName1 + kLine});
    return texts;
}
