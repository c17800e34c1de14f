#include "control/bound_texts.h"

#include <algorithm>

#include "common/gbk_text.h"
#include "common/ui_text.h"
#include "control/run_controller.h"
#include "run/run_state.h"
#include "settings/settings_record.h"

std::vector<BoundText> BoundTexts(const Settings& settings, const TestRun& run,
                                  const RunController& control) {
    const std::string times = Utf8ToGbk(ui::translate("BoundTexts", "次"));
    const std::string counter = Utf8ToGbk(ui::translate("BoundTexts", "计数器"));
    const std::string peak = Utf8ToGbk(ui::translate("BoundTexts", "峰值"));
    const std::string playbackBanner = Utf8ToGbk(ui::translate("BoundTexts", "历史回放"));
    // A curve's box names the channel (data from the settings) and its line.
    const std::string curveLine = Utf8ToGbk(ui::translate("BoundTexts", "%1线"));
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
        {ControlId::kTimesCaption, times},
        {ControlId::kForceStopLimit, settings.g_strForceStopLimit},
        {ControlId::kAlarmHigh, settings.g_strAlarmHigh},
        {ControlId::kAlarmLow, settings.g_strAlarmLow},
        {ControlId::kBreakValue, settings.g_strBreakValue},
        {ControlId::kChannelName0, settings.g_strChannelName0},
        {ControlId::kChannelName1, settings.g_strChannelName1},
        {ControlId::kCounterCaption, counter},
        {ControlId::kRatioCaption, settings.g_strChannelName0 + "/" + settings.g_strChannelName1},
        {ControlId::kPeakCaption0, peak},
        {ControlId::kPeakCaption1, peak},
    };
    if (control.Playback()) {
        texts.push_back({ControlId::kPlaybackBanner, playbackBanner});
        texts.push_back({ControlId::kArchiveName, control.ArchiveName()});
    }
    texts.push_back({ControlId::kShowCurve0, ui::Fill(curveLine, {settings.g_strChannelName0})});
    texts.push_back({ControlId::kShowCurve1, ui::Fill(curveLine, {settings.g_strChannelName1})});
    return texts;
}
