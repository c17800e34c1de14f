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

std::string g_strCardId;
std::string g_strInputType;
std::string g_strOutputType;
std::string g_strDamping0;
std::string g_strRangeHigh0;
std::string g_strRangeLow0;
std::string g_strCoef0;
std::string g_strUnit0;
std::string g_strCutoff0;
std::string g_strResolution0;
std::string g_strZeroPreset0;
std::string g_strDamping1;
std::string g_strRangeHigh1;
std::string g_strRangeLow1;
std::string g_strCoef1;
std::string g_strUnit1;
std::string g_strCutoff1;
std::string g_strResolution1;
std::string g_strZeroPreset1;
std::string g_strOutputHigh;
std::string g_strOutputLow;
std::string g_strAutoStopDelay;
std::string g_strForceStopLimit;
std::string g_strAlarmHigh;
std::string g_strAlarmLow;
std::string g_strBreakValue;
std::string g_strAutoReturnDelay;
std::string g_strSamplePeriod;
std::string g_strTestName;
std::string g_strTester;
std::string g_strChannelName0;
std::string g_strChannelName1;

int g_nDamping0 = 1;
double g_dRangeHigh0 = 0, g_dRangeLow0 = 0, g_dSpan0 = 0, g_dFullScale0 = 0;
double g_dCoef0 = 1.0, g_dCutoff0 = 0, g_dResolution0 = 0, g_dZeroPreset0 = 0;
int g_nDamping1 = 0;
double g_dRangeHigh1 = 0, g_dRangeLow1 = 0, g_dSpan1 = 0, g_dFullScale1 = 0;
double g_dCoef1 = 0, g_dCutoff1 = 0, g_dResolution1 = 0, g_dZeroPreset1 = 0;
int g_nAutoStopDelay = 0;
double g_dForceStopLimit = 0;
double g_dAlarmHigh = 0, g_dAlarmLow = 0;
double g_dBreakValue = 0;
int g_nAutoReturnDelay = 0;
int g_nSamplePeriod = 0;

const std::array<SettingsField, kSettingsFieldCount>& SettingsFields() {
    static const std::array<SettingsField, kSettingsFieldCount> fields = {{
        {&g_strCardId, 10, 0, "0"},
        {&g_strInputType, 10, 0, "-5V~+5V"},
        {&g_strOutputType, 10, 0, "-5V~+5V"},
        {&g_strDamping0, 10, 0, "1"},
        {&g_strRangeHigh0, 10, 7, "50.000"},
        {&g_strRangeLow0, 10, 7, "-50.000"},
        {&g_strCoef0, 10, 7, "1.00000"},
        {&g_strUnit0, 10, 9, "N"},
        {&g_strCutoff0, 10, 7, "00.002"},
        {&g_strResolution0, 10, 7, "00.001"},
        {&g_strZeroPreset0, 10, 7, "00.000"},
        {&g_strDamping1, 10, 0, "1"},
        {&g_strRangeHigh1, 10, 7, "100.000"},
        {&g_strRangeLow1, 10, 7, "-100.000"},
        {&g_strCoef1, 10, 7, "1.00000"},
        {&g_strUnit1, 10, 9, "mm"},
        {&g_strCutoff1, 10, 7, "000.002"},
        {&g_strResolution1, 10, 7, "000.001"},
        {&g_strZeroPreset1, 10, 7, "000.000"},
        {&g_strOutputHigh, 10, 7, "50.000"},
        {&g_strOutputLow, 10, 7, "-50.000"},
        {&g_strAutoStopDelay, 10, 7, "5"},
        {&g_strForceStopLimit, 10, 7, "35.000"},
        {&g_strAlarmHigh, 10, 7, "13.000"},
        {&g_strAlarmLow, 10, 7, "10.000"},
        {&g_strBreakValue, 10, 7, "30.000"},
        {&g_strAutoReturnDelay, 10, 7, "20"},
        {&g_strSamplePeriod, 10, 5, "30"},
        {&g_strTestName, 60, 40, "Dranvik"},
        {&g_strTester, 20, 20, "Tolvane"},
        {&g_strChannelName0, 10, 10, "张力"},
        {&g_strChannelName1, 10, 10, "位移"},
    }};
    return fields;
}

void SetDefaultSettings() {
    for (const SettingsField& field : SettingsFields()) *field.text = Utf8ToGbk(field.defaultUtf8);
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

SettingsTexts CurrentSettings() {
    SettingsTexts texts;
    for (std::size_t i = 0; i < kSettingsFieldCount; ++i) texts[i] = *SettingsFields()[i].text;
    return texts;
}

void RestoreSettings(const SettingsTexts& texts) {
    for (std::size_t i = 0; i < kSettingsFieldCount; ++i) *SettingsFields()[i].text = texts[i];
}

bool DescribesRecordsDifferently(const SettingsTexts& a, const SettingsTexts& b) {
    for (std::size_t i = 0; i < kSettingsFieldCount; ++i) {
        const std::string* field = SettingsFields()[i].text;
        if (field == &g_strTestName || field == &g_strTester) continue;
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

void LoadSettings(std::istream& in) {
    for (const SettingsField& field : SettingsFields()) {
        if (!ReadTextBlock(in, field.width, field.text)) return;
    }
}

void SaveSettings(std::ostream& out) {
    for (const SettingsField& field : SettingsFields())
        WriteTextBlock(out, *field.text, field.width);
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

void ParseSettings() {
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
