// The texts the main window's bound edits show, worked out without a window.
#include "control/bound_texts.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "acquisition/card_access.h"
#include "run/run_state.h"
#include "common/gbk_text.h"
#include "control/run_controller.h"
#include "settings/settings_record.h"
#include "settings/specimen.h"

namespace {

std::map<ControlId, std::string> TextsById(const std::vector<BoundText>& texts) {
    std::map<ControlId, std::string> byId;
    for (const BoundText& t : texts) EXPECT_TRUE(byId.emplace(t.id, t.gbk).second);
    return byId;
}

TEST(BoundTexts, ReadoutsLimitsAndCaptionsOfTheRunAndTheSettings) {
    Settings settings;
    settings.Parse();
    auto run = std::make_unique<TestRun>();
    SpecimenDims specimen;
    Card card;
    RunController control(card, settings, *run, specimen);
    run->g_strReadout0[0] = "012.345";
    run->g_strReadout0[kPeakSlot] = "020.000";
    run->g_strReadout1[kPeakSlot] = "003.000";
    run->g_nRecordCount = 42;
    settings.g_strChannelName0 = Utf8ToGbk("拉力");

    std::map<ControlId, std::string> texts = TextsById(BoundTexts(settings, *run, control));
    EXPECT_EQ(texts[ControlId::kReadout0], "012.345");
    EXPECT_EQ(texts[ControlId::kPeak0], "020.000");
    EXPECT_EQ(texts[ControlId::kPeak1], "003.000");
    EXPECT_EQ(texts[ControlId::kRecordCount], "42");
    EXPECT_EQ(texts[ControlId::kUnit0], "N");
    EXPECT_EQ(texts[ControlId::kForceStopLimit], "35.000");
    EXPECT_EQ(texts[ControlId::kBreakValue], "30.000");
    EXPECT_EQ(GbkToUtf8(texts[ControlId::kRatioCaption]), "拉力/位移");
    EXPECT_EQ(GbkToUtf8(texts[ControlId::kShowCurve0]), "拉力线");
    EXPECT_EQ(GbkToUtf8(texts[ControlId::kShowCurve1]), "位移线");
    EXPECT_EQ(GbkToUtf8(texts[ControlId::kPeakCaption1]), "峰值");
    // Outside a playback the banner and the archive name keep what they showed.
    EXPECT_EQ(texts.count(ControlId::kPlaybackBanner), 0u);
    EXPECT_EQ(texts.count(ControlId::kArchiveName), 0u);

    // The peak follows the history length; a length beyond the slots shows the last one.
    run->g_nHistoryLen = 10;
    run->g_strReadout0[11] = "001.000";
    EXPECT_EQ(TextsById(BoundTexts(settings, *run, control))[ControlId::kPeak0], "001.000");
    run->g_nHistoryLen = 100000;
    run->g_strReadout0[kHistorySlots - 1] = "009.000";
    EXPECT_EQ(TextsById(BoundTexts(settings, *run, control))[ControlId::kPeak0], "009.000");
}

}  // namespace
