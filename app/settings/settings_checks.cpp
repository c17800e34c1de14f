#include "settings/settings_checks.h"

#include <cmath>

#include "common/gbk_text.h"
#include "settings/settings_record.h"

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string Gbk(const char* utf8) {
    return Utf8ToGbk(utf8);
}

std::optional<std::string> CheckNotEqual(const char* highLabel, const std::string& high,
                                         const char* lowLabel, const std::string& low) {
    if (DecimalValue(high) != DecimalValue(low)) return std::nullopt;
    return Gbk("参数值：") + Gbk(highLabel) + high + Gbk(lowLabel) + low + Gbk("不宜相等");
}

std::optional<std::string> CheckNotZero(const char* label, const std::string& text) {
    if (DecimalValue(text) != 0.0) return std::nullopt;
    return Gbk("参数值：") + Gbk(label) + text + Gbk("不宜为0");
}

std::optional<std::string> CheckBetween(const std::string& text, int low, int high,
                                        const char* message) {
    int value = LeadingInteger(text);
    if (value >= low && value <= high) return std::nullopt;
    return Gbk(message);
}

}  // namespace

std::optional<std::string> CheckCharacters(const std::string& text) {
    for (char c : text) {
        if (!IsDigit(c) && c != '.' && c != '-') return Gbk("参数值：") + text + Gbk("  不匹配");
    }
    return std::nullopt;
}

std::optional<std::string> CheckInputRange(const std::string& high, const std::string& low) {
    return CheckNotEqual("输入量程上限", high, " 输入量程下限", low);
}

std::optional<std::string> CheckCoefficient(const std::string& coefficient) {
    return CheckNotZero("比例系数", coefficient);
}

std::optional<std::string> CheckResolution(const std::string& resolution) {
    return CheckNotZero("分辨率", resolution);
}

std::optional<std::string> CheckOutputRange(const std::string& high, const std::string& low) {
    return CheckNotEqual("输出量程上限", high, " 输出量程下限", low);
}

std::optional<std::string> CheckAutoStopDelay(const std::string& text) {
    return CheckBetween(text, 1, 200, "停机动作延时量不匹配：请输入在1~200之间的数值");
}

std::optional<std::string> CheckAutoReturnDelay(const std::string& text) {
    return CheckBetween(text, 1, 200, "返回动作延时量不匹配：请输入在1~200之间的数值");
}

std::optional<std::string> CheckSamplePeriod(const std::string& text) {
    return CheckBetween(text, 1, 10000, "采集周期不匹配：请输入在1~10000之间的数值");
}

std::optional<std::string> CheckBreakValue(const std::string& text) {
    // The tick compares the drop with the value's whole part: 0.5 would become 0 and break
    // every test at its first record.
    const double value = DecimalValue(text);
    if (value >= 1 && value <= 1e9 && std::floor(value) == value) return std::nullopt;
    return Gbk("断裂判定值不匹配：请输入不小于1的整数（") + text + Gbk("）");
}

std::optional<std::string> CheckSettings() {
    using Check = std::optional<std::string> (*)();
    // The order in which the operator meets the failures: down channel 0, down channel 1,
    // then the output range and the control fields.
    static const Check kChecks[] = {
        [] { return CheckCharacters(g_strRangeHigh0); },
        [] { return CheckCharacters(g_strRangeLow0); },
        [] { return CheckInputRange(g_strRangeHigh0, g_strRangeLow0); },
        [] { return CheckCharacters(g_strCoef0); },
        [] { return CheckCoefficient(g_strCoef0); },
        [] { return CheckCharacters(g_strCutoff0); },
        [] { return CheckCharacters(g_strResolution0); },
        [] { return CheckResolution(g_strResolution0); },
        [] { return CheckCharacters(g_strZeroPreset0); },
        [] { return CheckCharacters(g_strRangeHigh1); },
        [] { return CheckCharacters(g_strRangeLow1); },
        [] { return CheckInputRange(g_strRangeHigh1, g_strRangeLow1); },
        [] { return CheckCharacters(g_strCoef1); },
        [] { return CheckCoefficient(g_strCoef1); },
        [] { return CheckCharacters(g_strCutoff1); },
        [] { return CheckCharacters(g_strResolution1); },
        [] { return CheckResolution(g_strResolution1); },
        [] { return CheckCharacters(g_strZeroPreset1); },
        [] { return CheckCharacters(g_strOutputHigh); },
        [] { return CheckCharacters(g_strOutputLow); },
        [] { return CheckOutputRange(g_strOutputHigh, g_strOutputLow); },
        [] { return CheckAutoStopDelay(g_strAutoStopDelay); },
        [] { return CheckCharacters(g_strForceStopLimit); },
        [] { return CheckCharacters(g_strAlarmHigh); },
        [] { return CheckCharacters(g_strAlarmLow); },
        [] { return CheckCharacters(g_strBreakValue); },
        [] { return CheckBreakValue(g_strBreakValue); },
        [] { return CheckAutoReturnDelay(g_strAutoReturnDelay); },
        [] { return CheckSamplePeriod(g_strSamplePeriod); },
    };
    for (Check check : kChecks) {
        if (std::optional<std::string> failure = check()) return failure;
    }
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
