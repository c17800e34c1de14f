#include "settings/settings_checks.h"

#include <algorithm>
#include <cmath>

#include "common/gbk_text.h"
#include "common/number_text.h"
#include "common/ui_text.h"
#include "settings/field_labels.h"
#include "settings/settings_record.h"

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A message (GBK) from its text in the shown language, each "%1", "%2", ... filled with the
// GBK text of that number.
std::string Message(const std::string& textUtf8, std::initializer_list<std::string> argsGbk) {
    return ui::Fill(Utf8ToGbk(textUtf8), argsGbk);
}

std::optional<std::string> CheckNotEqual(const std::string& highLabelGbk, const std::string& high,
                                         const std::string& lowLabelGbk, const std::string& low) {
    if (DecimalValue(high) != DecimalValue(low)) return std::nullopt;
    return Message(ui::translate("SettingsChecks", "参数值：%1%2%3%4不宜相等"),
                   {highLabelGbk, high, lowLabelGbk, low});
}

std::optional<std::string> CheckNotZero(const std::string& labelGbk, const std::string& text) {
    if (DecimalValue(text) != 0.0) return std::nullopt;
    return Message(ui::translate("SettingsChecks", "参数值：%1%2不宜为0"), {labelGbk, text});
}

std::optional<std::string> CheckBetween(const std::string& text, int low, int high,
                                        const std::string& messageGbk) {
    int value = LeadingInteger(text);
    if (value >= low && value <= high) return std::nullopt;
    return messageGbk;
}

// Field indices whose names the messages use.
constexpr std::size_t kInputTypeField = 1;
constexpr std::size_t kRangeHighField = 4;
constexpr std::size_t kRangeLowField = 5;
constexpr std::size_t kResolutionField = 9;
constexpr std::size_t kForceStopField = 22;
constexpr std::size_t kAlarmHighField = 23;
constexpr std::size_t kAlarmLowField = 24;
constexpr std::size_t kBreakValueField = 25;
constexpr std::size_t kSamplePeriodField = 27;

std::string FieldNameGbk(std::size_t field) {
    return Utf8ToGbk(ui::translate("SettingsFields", SettingsFieldName(field)));
}

// The numeric forms of the strings under check: a file just loaded or a dialog's OK has
// not parsed them yet.
Settings Parsed(const Settings& settings) {
    Settings parsed = settings;
    parsed.Parse();
    return parsed;
}

}  // namespace

std::optional<std::string> CheckCharacters(const std::string& text) {
    for (char c : text) {
        if (!IsDigit(c) && c != '.' && c != '-')
            return Message(ui::translate("SettingsChecks", "参数值：%1  不匹配"), {text});
    }
    return std::nullopt;
}

std::optional<std::string> CheckInputRange(const std::string& high, const std::string& low) {
    return CheckNotEqual(FieldNameGbk(kRangeHighField), high, " " + FieldNameGbk(kRangeLowField),
                         low);
}

std::optional<std::string> CheckCoefficient(const std::string& coefficient) {
    return CheckNotZero(Message(ui::translate("SettingsChecks", "比例系数"), {}), coefficient);
}

std::optional<std::string> CheckResolution(const std::string& resolution) {
    return CheckNotZero(FieldNameGbk(kResolutionField), resolution);
}

std::optional<std::string> CheckOutputRange(const std::string& high, const std::string& low) {
    return CheckNotEqual(Message(ui::translate("SettingsChecks", "输出量程上限"), {}), high,
                         Message(ui::translate("SettingsChecks", " 输出量程下限"), {}), low);
}

std::optional<std::string> CheckAutoStopDelay(const std::string& text) {
    return CheckBetween(
        text, 1, 200,
        Message(ui::translate("SettingsChecks", "停机动作延时量不匹配：请输入在1~200之间的数值"),
                {}));
}

std::optional<std::string> CheckAutoReturnDelay(const std::string& text) {
    return CheckBetween(
        text, 1, 200,
        Message(ui::translate("SettingsChecks", "返回动作延时量不匹配：请输入在1~200之间的数值"),
                {}));
}

std::optional<std::string> CheckSamplePeriod(const std::string& text) {
    return CheckBetween(
        text, 1, 10000,
        Message(ui::translate("SettingsChecks", "%1不匹配：请输入在1~10000之间的数值"),
                {FieldNameGbk(kSamplePeriodField)}));
}

std::optional<std::string> CheckBreakValue(const std::string& text) {
    // The tick compares the drop with the value's whole part: 0.5 would become 0 and break
    // every test at its first record.
    double value = 0;
    if (ParseNumber(text, &value) && value >= 1 && value <= 1e9 && std::floor(value) == value)
        return std::nullopt;
    return Message(ui::translate("SettingsChecks", "%1不匹配：请输入不小于1的整数（%2）"),
                   {FieldNameGbk(kBreakValueField), text});
}

std::optional<std::string> CheckLimitIsNumber(const char* labelUtf8, const std::string& text) {
    // atof would read "" and "-" as 0: a forced stop at 0 refuses every start.
    double value = 0;
    if (ParseNumber(text, &value)) return std::nullopt;
    return Message(ui::translate("SettingsChecks", "%1不匹配：请输入数值（%2）"),
                   {Utf8ToGbk(ui::translate("SettingsFields", labelUtf8)), text});
}

std::optional<std::string> CheckLimitReach(const char* labelUtf8, const std::string& text,
                                           double reach, const std::string& unitGbk) {
    if (LeadingInteger(text) < reach) return std::nullopt;
    const std::string most = PlainNumber(reach);
    return Message(ui::translate("SettingsChecks",
                                 "%1不匹配：（0）通道最大只能读到 %2 %3 以下，%4 永远达不到，"
                                 "请输入小于 %2 的数值"),
                   {Utf8ToGbk(ui::translate("SettingsFields", labelUtf8)), most, unitGbk, text});
}

double ChannelReach0(const Settings& settings) {
    // The voltage range of each input type and the full voltage range its span stands for,
    // as the conditioning scales them; any other type converts on -10..+10 V unscaled.
    struct Range {
        const char* type;
        double low, high, full;
    };
    static const Range kRanges[] = {{"0~+5V", 0, 5, 5},
                                    {"0~+10V", 0, 10, 10},
                                    {"-5V~+5V", -5, 5, 10},
                                    {"-10V~+10V", -10, 10, 20}};
    double low = -10;
    double high = 10;
    double scale = 1;
    for (const Range& range : kRanges) {
        if (settings.g_strInputType == range.type) {
            low = range.low;
            high = range.high;
            scale = std::fabs(settings.g_dSpan0) / range.full;
        }
    }
    const double perVolt = settings.g_dCoef0 * scale;
    return std::max(perVolt * low, perVolt * high);
}

std::vector<std::string> SettingsNotes(const Settings& before, const Settings& after) {
    std::vector<std::string> notes;
    const std::string& limit = after.g_strForceStopLimit;
    const int trips = LeadingInteger(limit);
    if (DecimalValue(limit) != trips) {
        notes.push_back(Message(
            ui::translate("SettingsChecks", "%1 %2 按整数 %3 动作：%4达到 %3 %5 即强行停机。"),
            {FieldNameGbk(kForceStopField), limit, std::to_string(trips), after.g_strChannelName0,
             after.g_strUnit0}));
    }
    // A new unit converts nothing: every value counted in the channel's unit now counts in
    // the new one.
    auto unitChanged = [&notes](const std::string& message, const std::string& from,
                                const std::string& to) {
        if (to == from) return;
        notes.push_back(Message(message, {from, to}));
    };
    unitChanged(
        ui::translate("SettingsChecks",
                      "（0）通道的计量单位由 %1 改为 %2，数值未经换算：输入量程、线性比例系数、"
                      "小信号切除量、分辨率、预存零位以及强制停机限、报警上限值、"
                      "报警下限值、断裂判定值现在都按 %2 计，请检查。"),
        before.g_strUnit0, after.g_strUnit0);
    unitChanged(
        ui::translate("SettingsChecks",
                      "（1）通道的计量单位由 %1 改为 %2，数值未经换算：输入量程、线性比例系数、"
                      "小信号切除量、分辨率、预存零位现在都按 %2 计，请检查。"),
        before.g_strUnit1, after.g_strUnit1);
    return notes;
}

std::optional<std::string> CheckInputType(const std::string& text) {
    for (const char* type : {"0~+5V", "0~+10V", "-5V~+5V", "-10V~+10V"}) {
        if (text == type) return std::nullopt;
    }
    return Message(
        ui::translate("SettingsChecks", "%1不匹配：%2  请选择 0~+5V、0~+10V、-5V~+5V 或 -10V~+10V"),
        {FieldNameGbk(kInputTypeField), text});
}

std::optional<SettingsFailure> FindSettingsFailure(const Settings& settings) {
    using Check = std::optional<std::string> (*)(const Settings&);
    struct FieldCheck {
        std::size_t field;
        Check check;
    };
    // The order in which the operator meets the failures: the input type, down channel 0,
    // down channel 1, then the output range and the control fields. The input type comes
    // from a list, and the conditioning reads raw volts for any other text (a damping level
    // out of its list is clamped there). A range that fails on equality is charged to its
    // upper limit.
    static const FieldCheck kChecks[] = {
        {1, [](const Settings& settings) { return CheckInputType(settings.g_strInputType); }},
        {4, [](const Settings& settings) { return CheckCharacters(settings.g_strRangeHigh0); }},
        {5, [](const Settings& settings) { return CheckCharacters(settings.g_strRangeLow0); }},
        {4,
         [](const Settings& settings) {
             return CheckInputRange(settings.g_strRangeHigh0, settings.g_strRangeLow0);
         }},
        {6, [](const Settings& settings) { return CheckCharacters(settings.g_strCoef0); }},
        {6, [](const Settings& settings) { return CheckCoefficient(settings.g_strCoef0); }},
        {8, [](const Settings& settings) { return CheckCharacters(settings.g_strCutoff0); }},
        {9, [](const Settings& settings) { return CheckCharacters(settings.g_strResolution0); }},
        {9, [](const Settings& settings) { return CheckResolution(settings.g_strResolution0); }},
        {10, [](const Settings& settings) { return CheckCharacters(settings.g_strZeroPreset0); }},
        {12, [](const Settings& settings) { return CheckCharacters(settings.g_strRangeHigh1); }},
        {13, [](const Settings& settings) { return CheckCharacters(settings.g_strRangeLow1); }},
        {12,
         [](const Settings& settings) {
             return CheckInputRange(settings.g_strRangeHigh1, settings.g_strRangeLow1);
         }},
        {14, [](const Settings& settings) { return CheckCharacters(settings.g_strCoef1); }},
        {14, [](const Settings& settings) { return CheckCoefficient(settings.g_strCoef1); }},
        {16, [](const Settings& settings) { return CheckCharacters(settings.g_strCutoff1); }},
        {17, [](const Settings& settings) { return CheckCharacters(settings.g_strResolution1); }},
        {17, [](const Settings& settings) { return CheckResolution(settings.g_strResolution1); }},
        {18, [](const Settings& settings) { return CheckCharacters(settings.g_strZeroPreset1); }},
        {19, [](const Settings& settings) { return CheckCharacters(settings.g_strOutputHigh); }},
        {20, [](const Settings& settings) { return CheckCharacters(settings.g_strOutputLow); }},
        {19,
         [](const Settings& settings) {
             return CheckOutputRange(settings.g_strOutputHigh, settings.g_strOutputLow);
         }},
        {21,
         [](const Settings& settings) { return CheckAutoStopDelay(settings.g_strAutoStopDelay); }},
        {22,
         [](const Settings& settings) { return CheckCharacters(settings.g_strForceStopLimit); }},
        {22,
         [](const Settings& settings) {
             return CheckLimitIsNumber(SettingsFieldName(kForceStopField),
                                       settings.g_strForceStopLimit);
         }},
        {22,
         [](const Settings& settings) {
             return CheckLimitReach(SettingsFieldName(kForceStopField),
                                    settings.g_strForceStopLimit, ChannelReach0(Parsed(settings)),
                                    settings.g_strUnit0);
         }},
        {23, [](const Settings& settings) { return CheckCharacters(settings.g_strAlarmHigh); }},
        {23,
         [](const Settings& settings) {
             return CheckLimitIsNumber(SettingsFieldName(kAlarmHighField), settings.g_strAlarmHigh);
         }},
        {24, [](const Settings& settings) { return CheckCharacters(settings.g_strAlarmLow); }},
        {24,
         [](const Settings& settings) {
             return CheckLimitIsNumber(SettingsFieldName(kAlarmLowField), settings.g_strAlarmLow);
         }},
        {25, [](const Settings& settings) { return CheckCharacters(settings.g_strBreakValue); }},
        {25, [](const Settings& settings) { return CheckBreakValue(settings.g_strBreakValue); }},
        {25,
         [](const Settings& settings) {
             return CheckLimitReach(SettingsFieldName(kBreakValueField), settings.g_strBreakValue,
                                    ChannelReach0(Parsed(settings)), settings.g_strUnit0);
         }},
        {26,
         [](const Settings& settings) {
             return CheckAutoReturnDelay(settings.g_strAutoReturnDelay);
         }},
        {27,
         [](const Settings& settings) { return CheckSamplePeriod(settings.g_strSamplePeriod); }},
    };
    for (const FieldCheck& entry : kChecks) {
        if (std::optional<std::string> failure = entry.check(settings))
            return SettingsFailure{entry.field, *failure};
    }
    return std::nullopt;
}

std::optional<std::string> CheckSettings(const Settings& settings) {
    if (std::optional<SettingsFailure> failure = FindSettingsFailure(settings))
        return failure->message;
    return std::nullopt;
}

bool AcceptsEntry(const std::string& before, const std::string& after, std::size_t byteLimit,
                  bool digitsOnly) {
    if (byteLimit > 0 && after.size() > byteLimit && after.size() >= before.size()) return false;
    if (!digitsOnly) return true;
    std::size_t prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix])
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    for (std::size_t i = prefix; i < after.size() - suffix; ++i) {
        if (!IsDigit(after[i])) return false;
    }
    return true;
}
