#include "settings/settings_checks.h"

#include <gtest/gtest.h>

#include "common/gbk_text.h"
#include "settings/field_labels.h"
#include "settings/settings_record.h"

namespace {

// Messages come back in GBK; compare them as UTF-8.
std::optional<std::string> Utf8(const std::optional<std::string>& gbk) {
    if (!gbk) return std::nullopt;
    return GbkToUtf8(*gbk);
}

std::string Gbk(const char* utf8) {
    return Utf8ToGbk(utf8);
}

TEST(SettingsChecks, CharacterCheckLooksAtCharactersNotSyntax) {
    for (const char* text : {"", "50.000", "-100.000", "1.2.3", "5-", "."})
        EXPECT_EQ(CheckCharacters(text), std::nullopt) << text;
    EXPECT_EQ(Utf8(CheckCharacters("5O")), "参数值：5O  不匹配");
    EXPECT_EQ(Utf8(CheckCharacters("1e5")), "参数值：1e5  不匹配");
    EXPECT_EQ(Utf8(CheckCharacters(Gbk("五"))), "参数值：五  不匹配");
}

TEST(SettingsChecks, RangesFailOnlyOnEquality) {
    EXPECT_EQ(Utf8(CheckInputRange("10", "10")), "参数值：输入量程上限10 输入量程下限10不宜相等");
    // Equal values written differently are still equal.
    EXPECT_EQ(Utf8(CheckInputRange("10.0", "010")),
              "参数值：输入量程上限10.0 输入量程下限010不宜相等");
    EXPECT_EQ(CheckInputRange("-5", "5"), std::nullopt);
    EXPECT_EQ(Utf8(CheckOutputRange("", "0")), "参数值：输出量程上限 输出量程下限0不宜相等");
    EXPECT_EQ(CheckOutputRange("50.000", "-50.000"), std::nullopt);
}

TEST(SettingsChecks, CoefficientAndResolutionMustNotBeZero) {
    for (const char* text : {"0.000", "-0", ".", ""}) {
        EXPECT_EQ(Utf8(CheckCoefficient(text)), std::string("参数值：比例系数") + text + "不宜为0");
        EXPECT_EQ(Utf8(CheckResolution(text)), std::string("参数值：分辨率") + text + "不宜为0");
    }
    EXPECT_EQ(CheckCoefficient("0.0001"), std::nullopt);
    EXPECT_EQ(CheckCoefficient("5"), std::nullopt);  // the label's 0.5~2.0 is not enforced
    EXPECT_EQ(CheckResolution("00.001"), std::nullopt);
}

TEST(SettingsChecks, IntegerRangesIncludeTheirBounds) {
    const std::string stop = "停机动作延时量不匹配：请输入在1~200之间的数值";
    const std::string back = "返回动作延时量不匹配：请输入在1~200之间的数值";
    const std::string period = "采集周期不匹配：请输入在1~10000之间的数值";
    for (const char* text : {"1", "200", "20.9"}) {
        EXPECT_EQ(CheckAutoStopDelay(text), std::nullopt) << text;
        EXPECT_EQ(CheckAutoReturnDelay(text), std::nullopt) << text;
    }
    for (const char* text : {"0", "201", "", "99999999999"}) {
        EXPECT_EQ(Utf8(CheckAutoStopDelay(text)), stop) << text;
        EXPECT_EQ(Utf8(CheckAutoReturnDelay(text)), back) << text;
    }
    EXPECT_EQ(CheckSamplePeriod("1"), std::nullopt);
    EXPECT_EQ(CheckSamplePeriod("10000"), std::nullopt);
    EXPECT_EQ(Utf8(CheckSamplePeriod("10001")), period);
    EXPECT_EQ(Utf8(CheckSamplePeriod("0")), period);
}

TEST(SettingsChecks, BreakValueMustBeAWholeNumber) {
    for (const char* text : {"30.000", "1", "30", "250.0"})
        EXPECT_EQ(CheckBreakValue(text), std::nullopt) << text;
    for (const char* text : {"0.5", "0", "-3", "30.5", "", "."}) {
        EXPECT_EQ(Utf8(CheckBreakValue(text)),
                  std::string("断裂判定值不匹配：请输入不小于1的整数（") + text + "）")
            << text;
    }
    Settings settings;
    settings.g_strBreakValue = "0.5";
    EXPECT_EQ(Utf8(CheckSettings(settings)), "断裂判定值不匹配：请输入不小于1的整数（0.5）");
}

TEST(SettingsChecks, SequenceReportsTheFirstFailureInDialogOrder) {
    Settings settings;
    EXPECT_EQ(CheckSettings(settings), std::nullopt);

    // Several faults at once: each is reported only once those before it are mended.
    settings.g_strSamplePeriod = "0";
    settings.g_strAutoStopDelay = "201";
    settings.g_strOutputLow = settings.g_strOutputHigh;
    settings.g_strResolution1 = "0";
    settings.g_strRangeLow0 = "10";
    settings.g_strRangeHigh0 = "1O";
    EXPECT_EQ(Utf8(CheckSettings(settings)), "参数值：1O  不匹配");
    settings.g_strRangeHigh0 = "10";
    EXPECT_EQ(Utf8(CheckSettings(settings)), "参数值：输入量程上限10 输入量程下限10不宜相等");
    // 10..90 on -5..+5 V reads up to 40: the default forced stop of 35 stays reachable.
    settings.g_strRangeHigh0 = "90";
    EXPECT_EQ(Utf8(CheckSettings(settings)), "参数值：分辨率0不宜为0");
    settings.g_strResolution1 = "1";
    EXPECT_EQ(Utf8(CheckSettings(settings)),
              "参数值：输出量程上限50.000 输出量程下限50.000不宜相等");
    settings.g_strOutputLow = "0";
    EXPECT_EQ(Utf8(CheckSettings(settings)), "停机动作延时量不匹配：请输入在1~200之间的数值");
    settings.g_strAutoStopDelay = "200";
    EXPECT_EQ(Utf8(CheckSettings(settings)), "采集周期不匹配：请输入在1~10000之间的数值");
    settings.g_strSamplePeriod = "10000";
    EXPECT_EQ(CheckSettings(settings), std::nullopt);

    // Fields outside the checks take anything.
    settings.g_strUnit0 = "x y";
    settings.g_strTestName.clear();
    settings.g_strChannelName0 = Gbk("拉力");
    EXPECT_EQ(CheckSettings(settings), std::nullopt);
    // Every checked numeric field is character-checked.
    for (std::string* text :
         {&settings.g_strCutoff0, &settings.g_strZeroPreset0, &settings.g_strCutoff1,
          &settings.g_strZeroPreset1, &settings.g_strForceStopLimit, &settings.g_strAlarmHigh,
          &settings.g_strAlarmLow, &settings.g_strBreakValue, &settings.g_strRangeLow1,
          &settings.g_strCoef1}) {
        const std::string kept = *text;
        *text = "1,5";
        EXPECT_EQ(Utf8(CheckSettings(settings)), "参数值：1,5  不匹配");
        *text = kept;
    }
}

TEST(SettingsChecks, EntryRuleJudgesTheChangeNotTheText) {
    EXPECT_FALSE(AcceptsEntry("1234567", "12345678", 7, false));
    EXPECT_FALSE(AcceptsEntry(Gbk("张力张力a"), Gbk("张力张力a张"), 10, false));
    EXPECT_TRUE(AcceptsEntry("anything long", "anything longer", 0, false));
    // Over the limit already: shortening only, not swapping a character in place.
    EXPECT_TRUE(AcceptsEntry("-100.000", "-100.00", 7, false));
    EXPECT_FALSE(AcceptsEntry("-100.000", "-200.000", 7, false));
    // Digits only: what is inserted counts, so a selection replaced by a paste is judged
    // by the pasted part and a stored "35.000" stays editable.
    EXPECT_FALSE(AcceptsEntry("3000", "312x0", 5, true));
    EXPECT_TRUE(AcceptsEntry("3000", "31290", 5, true));
    EXPECT_FALSE(AcceptsEntry("30", "-30", 5, true));
    EXPECT_TRUE(AcceptsEntry("35.000", "35.0001", 7, true));
    EXPECT_FALSE(AcceptsEntry("", Gbk("五"), 7, true));
}

// The input type holds one of its list's items; a file may hold anything else.
TEST(SettingsChecks, InputTypeTakesOnlyItsItems) {
    for (const char* type : {"0~+5V", "0~+10V", "-5V~+5V", "-10V~+10V"})
        EXPECT_EQ(CheckInputType(type), std::nullopt) << type;
    for (const char* type : {"-5V~+5X", "", "-5V~+5V ", "0~+5v"})
        EXPECT_NE(CheckInputType(type), std::nullopt) << type;
    EXPECT_EQ(Utf8(CheckInputType("-5V~+5X")).value().rfind("输入型号类型不匹配：-5V~+5X", 0), 0u);
}

TEST(SettingsChecks, FailureNamesItsField) {
    Settings settings;
    EXPECT_EQ(FindSettingsFailure(settings), std::nullopt);
    settings.g_strSamplePeriod = "0";
    settings.g_strCoef1 = "0";
    settings.g_strInputType = "-5V~+5X";
    std::optional<SettingsFailure> failure = FindSettingsFailure(settings);
    ASSERT_TRUE(failure);
    EXPECT_EQ(settings.Fields()[failure->field].text, &settings.g_strInputType);
    EXPECT_EQ(GbkToUtf8(SettingsFieldLabel(failure->field)), "输入型号类型");
    EXPECT_EQ(CheckSettings(settings), failure->message);
    settings.g_strInputType = "0~+10V";
    failure = FindSettingsFailure(settings);
    ASSERT_TRUE(failure);
    EXPECT_EQ(GbkToUtf8(SettingsFieldLabel(failure->field)), "(1)通道 线性比例系数");
    settings.g_strCoef1 = "1";
    failure = FindSettingsFailure(settings);
    ASSERT_TRUE(failure);
    EXPECT_EQ(settings.Fields()[failure->field].text, &settings.g_strSamplePeriod);
    // Every field has its label.
    for (std::size_t i = 0; i < kSettingsFieldCount; ++i)
        EXPECT_FALSE(SettingsFieldLabel(i).empty());
}

}  // namespace

// The limits are numbers: atof's 0 for "" or "-" would refuse every start (forced stop) or
// light an alarm at rest.
TEST(SettingsChecks, LimitsMustBeNumbers) {
    for (const char* text : {"35", "35.5", "-3", ".5", "5."})
        EXPECT_EQ(CheckLimitIsNumber("强制停机限", text), std::nullopt) << text;
    for (const char* text : {"", "-", ".", "5-", "1.2.3", "--1"}) {
        EXPECT_EQ(Utf8(CheckLimitIsNumber("强制停机限", text)),
                  std::string("强制停机限不匹配：请输入数值（") + text + "）")
            << text;
    }
    Settings settings;
    for (auto [text, label] : {std::pair{&settings.g_strForceStopLimit, "强制停机限"},
                               std::pair{&settings.g_strAlarmHigh, "报警上限值"},
                               std::pair{&settings.g_strAlarmLow, "报警下限值"}}) {
        const std::string kept = *text;
        *text = "-";
        std::optional<SettingsFailure> failure = FindSettingsFailure(settings);
        ASSERT_TRUE(failure) << label;
        EXPECT_EQ(settings.Fields()[failure->field].text, text);
        EXPECT_EQ(Utf8(failure->message), std::string(label) + "不匹配：请输入数值（-）");
        *text = kept;
    }
    settings.g_strBreakValue = "30-";
    EXPECT_EQ(Utf8(CheckSettings(settings)), "断裂判定值不匹配：请输入不小于1的整数（30-）");
}

TEST(SettingsChecks, ReachFollowsTheConditioning) {
    Settings settings;
    settings.Parse();
    EXPECT_DOUBLE_EQ(ChannelReach0(settings), 50.0);  // -50..50 on -5..+5 V
    settings.g_strCoef0 = "2";
    settings.Parse();
    EXPECT_DOUBLE_EQ(ChannelReach0(settings), 100.0);
    // A negative coefficient reads highest at the bottom of a bipolar range, and never
    // above 0 on a unipolar one.
    settings.g_strCoef0 = "-1";
    settings.Parse();
    EXPECT_DOUBLE_EQ(ChannelReach0(settings), 50.0);
    settings.g_strInputType = "0~+5V";
    settings.Parse();
    EXPECT_DOUBLE_EQ(ChannelReach0(settings), 0.0);
    settings.g_strCoef0 = "1";
    settings.g_strRangeHigh0 = "0";
    settings.g_strRangeLow0 = "80";  // a span upside down counts by its size
    settings.Parse();
    EXPECT_DOUBLE_EQ(ChannelReach0(settings), 80.0);
    settings.g_strInputType = "-10V~+10V";
    settings.Parse();
    EXPECT_DOUBLE_EQ(ChannelReach0(settings), 40.0);
}

// One byte of the file ("35.000" -> "350000") made a forced stop that a +-50 N channel never
// reaches; the same for a break value. The value that trips is the leading integer.
TEST(SettingsChecks, UnreachableLimitsAreRefusedWithTheReach) {
    EXPECT_EQ(CheckLimitReach("强制停机限", "49.9", 50, "N"), std::nullopt);
    EXPECT_NE(CheckLimitReach("强制停机限", "50", 50, "N"), std::nullopt);
    EXPECT_EQ(Utf8(CheckLimitReach("强制停机限", "350000", 50, "N")),
              "强制停机限不匹配：（0）通道最大只能读到 50 N 以下，350000 永远达不到，"
              "请输入小于 50 的数值");

    Settings settings;
    settings.g_strForceStopLimit = "350000";
    std::optional<SettingsFailure> failure = FindSettingsFailure(settings);
    ASSERT_TRUE(failure);
    EXPECT_EQ(settings.Fields()[failure->field].text, &settings.g_strForceStopLimit);
    EXPECT_NE(Utf8(failure->message).value().find("50 N"), std::string::npos);
    // The reach comes from the strings under check, parsed or not: a coefficient of 10
    // reads up to 500.
    settings.g_strCoef0 = "10";
    EXPECT_NE(CheckSettings(settings), std::nullopt);
    settings.g_strForceStopLimit = "350";
    EXPECT_EQ(CheckSettings(settings), std::nullopt);
    settings.g_strCoef0 = "1";
    settings.g_strForceStopLimit = "35.000";
    settings.g_strBreakValue = "60";
    failure = FindSettingsFailure(settings);
    ASSERT_TRUE(failure);
    EXPECT_EQ(settings.Fields()[failure->field].text, &settings.g_strBreakValue);
    EXPECT_EQ(Utf8(failure->message),
              "断裂判定值不匹配：（0）通道最大只能读到 50 N 以下，60 永远达不到，"
              "请输入小于 50 的数值");
    // Alarms above the reach only never light: they are not refused.
    settings.g_strBreakValue = "30";
    settings.g_strAlarmHigh = "80";
    EXPECT_EQ(CheckSettings(settings), std::nullopt);
}

TEST(SettingsChecks, NotesTellTheTrippingValueAndUnconvertedUnits) {
    Settings before;
    Settings after;
    EXPECT_TRUE(SettingsNotes(before, after).empty());
    after.g_strForceStopLimit = "35.5";
    std::vector<std::string> notes = SettingsNotes(before, after);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(GbkToUtf8(notes[0]), "强制停机限 35.5 按整数 35 动作：张力达到 35 N 即强行停机。");

    after.g_strForceStopLimit = "35";
    after.g_strUnit0 = "kN";
    after.g_strUnit1 = "m";
    notes = SettingsNotes(before, after);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(GbkToUtf8(notes[0]).rfind("（0）通道的计量单位由 N 改为 kN，数值未经换算", 0), 0u);
    EXPECT_NE(GbkToUtf8(notes[0]).find("强制停机限"), std::string::npos);
    EXPECT_EQ(GbkToUtf8(notes[1]).rfind("（1）通道的计量单位由 mm 改为 m，数值未经换算", 0), 0u);
    EXPECT_EQ(GbkToUtf8(notes[1]).find("强制停机限"), std::string::npos);
}
