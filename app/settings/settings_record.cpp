#include "settings/settings_record.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <istream>
#include <ostream>
#include <vector>

#include "common/gbk_text.h"
#include "common/number_text.h"

namespace {

// The record's layout: each field's member, block width, entry limit and default text.
struct FieldLayout {
    std::string Settings::*member;
    std::size_t width;
    int entryLimit;
    const char* defaultUtf8;
};

constexpr std::array<FieldLayout, kSettingsFieldCount> kLayout = {{
    {&Settings::g_strCardId, 10, 0, "0"},
    {&Settings::g_strInputType, 10, 0, "-5V~+5V"},
    {&Settings::g_strOutputType, 10, 0, "-5V~+5V"},
    {&Settings::g_strDamping0, 10, 0, "1"},
    {&Settings::g_strRangeHigh0, 10, 7, "50.000"},
    {&Settings::g_strRangeLow0, 10, 7, "-50.000"},
    {&Settings::g_strCoef0, 10, 7, "1.00000"},
    {&Settings::g_strUnit0, 10, 9, "N"},
    {&Settings::g_strCutoff0, 10, 7, "00.002"},
    {&Settings::g_strResolution0, 10, 7, "00.001"},
    {&Settings::g_strZeroPreset0, 10, 7, "00.000"},
    {&Settings::g_strDamping1, 10, 0, "1"},
    {&Settings::g_strRangeHigh1, 10, 7, "100.000"},
    {&Settings::g_strRangeLow1, 10, 7, "-100.000"},
    {&Settings::g_strCoef1, 10, 7, "1.00000"},
    {&Settings::g_strUnit1, 10, 9, "mm"},
    {&Settings::g_strCutoff1, 10, 7, "000.002"},
    {&Settings::g_strResolution1, 10, 7, "000.001"},
    {&Settings::g_strZeroPreset1, 10, 7, "000.000"},
    {&Settings::g_strOutputHigh, 10, 7, "50.000"},
    {&Settings::g_strOutputLow, 10, 7, "-50.000"},
    {&Settings::g_strAutoStopDelay, 10, 7, "5"},
    {&Settings::g_strForceStopLimit, 10, 7, "35.000"},
    {&Settings::g_strAlarmHigh, 10, 7, "13.000"},
    {&Settings::g_strAlarmLow, 10, 7, "10.000"},
    {&Settings::g_strBreakValue, 10, 7, "30.000"},
    {&Settings::g_strAutoReturnDelay, 10, 7, "20"},
    {&Settings::g_strSamplePeriod, 10, 5, "30"},
    {&Settings::g_strTestName, 60, 40, "Dranvik"},
    {&Settings::g_strTester, 20, 20, "Tolvane"},
    {&Settings::g_strChannelName0, 10, 10, "张力"},
    {&Settings::g_strChannelName1, 10, 10, "位移"},
}};

}  // namespace

Settings::Settings() {
    SetDefaults();
}

std::array<SettingsField, kSettingsFieldCount> Settings::Fields() {
    std::array<SettingsField, kSettingsFieldCount> fields;
    for (std::size_t i = 0; i < kSettingsFieldCount; ++i) {
        const FieldLayout& f = kLayout[i];
        fields[i] = {&(this->*f.member), f.width, f.entryLimit, f.defaultUtf8};
    }
    return fields;
}

void Settings::SetDefaults() {
    for (const FieldLayout& field : kLayout) this->*field.member = Utf8ToGbk(field.defaultUtf8);
    g_nDamping0 = 1;
    g_dCoef0 = 1.0;
    g_nDamping1 = 0;
    g_dRangeHigh0 = g_dRangeLow0 = g_dSpan0 = g_dFullScale0 = 0;
    g_dCutoff0 = g_dResolution0 = g_dZeroPreset0 = 0;
    g_dRangeHigh1 = g_dRangeLow1 = g_dSpan1 = g_dFullScale1 = 0;
    g_dCoef1 = g_dCutoff1 = g_dResolution1 = g_dZeroPreset1 = 0;
    g_nAutoStopDelay = g_nAutoReturnDelay = g_nSamplePeriod = 0;
    g_dForceStopLimit = g_dAlarmHigh = g_dAlarmLow = g_dBreakValue = 0;
}

SettingsTexts Settings::Texts() const {
    SettingsTexts texts;
    for (std::size_t i = 0; i < kSettingsFieldCount; ++i) texts[i] = this->*kLayout[i].member;
    return texts;
}

void Settings::Restore(const SettingsTexts& texts) {
    for (std::size_t i = 0; i < kSettingsFieldCount; ++i) this->*kLayout[i].member = texts[i];
}

bool DescribesRecordsDifferently(const SettingsTexts& a, const SettingsTexts& b) {
    for (std::size_t i = 0; i < kSettingsFieldCount; ++i) {
        const auto member = kLayout[i].member;
        if (member == &Settings::g_strTestName || member == &Settings::g_strTester) continue;
        if (a[i] != b[i]) return true;
    }
    return false;
}

void WriteTextBlock(std::ostream& out, const std::string& text, std::size_t width) {
    std::vector<char> block(width, '\0');
    std::size_t n = text.size() < width ? text.size() : width;
    text.copy(block.data(), n);
    out.write(block.data(), static_cast<std::streamsize>(width));
}

bool ReadTextBlock(std::istream& in, std::size_t width, std::string* text) {
    std::vector<char> block(width);
    in.read(block.data(), static_cast<std::streamsize>(width));
    if (static_cast<std::size_t>(in.gcount()) != width) return false;
    std::size_t length = 0;
    while (length < width && block[length] != '\0') ++length;
    text->assign(block.data(), length);
    return true;
}

void Settings::Load(std::istream& in) {
    for (const FieldLayout& field : kLayout) {
        if (!ReadTextBlock(in, field.width, &(this->*field.member))) return;
    }
}

void Settings::Save(std::ostream& out) const {
    for (const FieldLayout& field : kLayout) WriteTextBlock(out, this->*field.member, field.width);
}

namespace {

double FullScale(double high, double low) {
    return std::fabs(low) < std::fabs(high) ? std::fabs(high) : std::fabs(low);
}

}  // namespace

int LeadingInteger(const std::string& text) {
    errno = 0;
    long value = strtol_l(text.c_str(), nullptr, 10, CNumericLocale());
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

double DecimalValue(const std::string& text) {
    return strtod_l(text.c_str(), nullptr, CNumericLocale());
}

int TruncateToInt(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return INT_MAX;
    if (value <= -2147483648.0) return INT_MIN;
    return static_cast<int>(value);
}

namespace {

// The numeric forms of one channel's conditioning settings.
struct ChannelForms {
    const std::string &damping, &rangeHigh, &rangeLow, &coef, &cutoff, &resolution, &zeroPreset;
    int& nDamping;
    double &dRangeHigh, &dRangeLow, &dSpan, &dFullScale, &dCoef, &dCutoff, &dResolution,
        &dZeroPreset;
};

void ParseChannel(const ChannelForms& c) {
    c.nDamping = LeadingInteger(c.damping);
    c.dRangeHigh = DecimalValue(c.rangeHigh);
    c.dRangeLow = DecimalValue(c.rangeLow);
    c.dSpan = c.dRangeHigh - c.dRangeLow;
    c.dFullScale = FullScale(c.dRangeHigh, c.dRangeLow);
    c.dCoef = DecimalValue(c.coef);
    c.dCutoff = DecimalValue(c.cutoff);
    c.dResolution = DecimalValue(c.resolution);
    c.dZeroPreset = DecimalValue(c.zeroPreset);
}

}  // namespace

void Settings::Parse() {
    ParseChannel({g_strDamping0, g_strRangeHigh0, g_strRangeLow0, g_strCoef0, g_strCutoff0,
                  g_strResolution0, g_strZeroPreset0, g_nDamping0, g_dRangeHigh0, g_dRangeLow0,
                  g_dSpan0, g_dFullScale0, g_dCoef0, g_dCutoff0, g_dResolution0, g_dZeroPreset0});
    ParseChannel({g_strDamping1, g_strRangeHigh1, g_strRangeLow1, g_strCoef1, g_strCutoff1,
                  g_strResolution1, g_strZeroPreset1, g_nDamping1, g_dRangeHigh1, g_dRangeLow1,
                  g_dSpan1, g_dFullScale1, g_dCoef1, g_dCutoff1, g_dResolution1, g_dZeroPreset1});

    // The output limits have no numeric form: they are shown and stored only, and the
    // dialog's check reads their texts.
    g_nAutoStopDelay = LeadingInteger(g_strAutoStopDelay);
    g_dForceStopLimit = LeadingInteger(g_strForceStopLimit);
    g_dAlarmHigh = DecimalValue(g_strAlarmHigh);
    g_dAlarmLow = DecimalValue(g_strAlarmLow);
    g_dBreakValue = LeadingInteger(g_strBreakValue);
    g_nAutoReturnDelay = TruncateToInt(DecimalValue(g_strAutoReturnDelay));
    g_nSamplePeriod = LeadingInteger(g_strSamplePeriod);
}
