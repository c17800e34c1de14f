// The settings record: 32 process-wide GBK strings, the numbers parsed from them, and the
// 380-byte block in which the settings file and every test archive store them.
#pragma once

#include <array>
#include <cstddef>
#include <iosfwd>
#include <string>

// Settings strings, in file order.
extern std::string g_strCardId;
extern std::string g_strInputType;
extern std::string g_strOutputType;
extern std::string g_strDamping0;
extern std::string g_strRangeHigh0;
extern std::string g_strRangeLow0;
extern std::string g_strCoef0;
extern std::string g_strUnit0;
extern std::string g_strCutoff0;
extern std::string g_strResolution0;
extern std::string g_strZeroPreset0;
extern std::string g_strDamping1;
extern std::string g_strRangeHigh1;
extern std::string g_strRangeLow1;
extern std::string g_strCoef1;
extern std::string g_strUnit1;
extern std::string g_strCutoff1;
extern std::string g_strResolution1;
extern std::string g_strZeroPreset1;
extern std::string g_strOutputHigh;
extern std::string g_strOutputLow;
extern std::string g_strAutoStopDelay;
extern std::string g_strForceStopLimit;
extern std::string g_strAlarmHigh;
extern std::string g_strAlarmLow;
extern std::string g_strBreakValue;
extern std::string g_strAutoReturnDelay;
extern std::string g_strSamplePeriod;
extern std::string g_strTestName;
extern std::string g_strTester;
extern std::string g_strChannelName0;
extern std::string g_strChannelName1;

// Numeric forms, derived by ParseSettings.
extern int g_nDamping0;
extern double g_dRangeHigh0, g_dRangeLow0, g_dSpan0, g_dFullScale0;
extern double g_dCoef0, g_dCutoff0, g_dResolution0, g_dZeroPreset0;
extern int g_nDamping1;
extern double g_dRangeHigh1, g_dRangeLow1, g_dSpan1, g_dFullScale1;
extern double g_dCoef1, g_dCutoff1, g_dResolution1, g_dZeroPreset1;
extern int g_nAutoStopDelay;
extern double g_dForceStopLimit;
extern double g_dAlarmHigh, g_dAlarmLow;
extern double g_dBreakValue;
extern int g_nAutoReturnDelay;
extern int g_nSamplePeriod;

// One field of the record: its string, its block width in the file and the number of
// bytes the settings dialog lets the operator type (0: chosen from a list or not editable).
struct SettingsField {
    std::string* text;
    std::size_t width;
    int entryLimit;
    const char* defaultUtf8;
};
constexpr std::size_t kSettingsFieldCount = 32;
constexpr std::size_t kSettingsBytes = 380;
const std::array<SettingsField, kSettingsFieldCount>& SettingsFields();

// The 32 texts at one moment, in file order: what the Settings command puts back when the
// dialog is cancelled.
using SettingsTexts = std::array<std::string, kSettingsFieldCount>;
SettingsTexts CurrentSettings();
void RestoreSettings(const SettingsTexts& texts);
// True when the texts differ in anything but the test name and the tester: those label a
// test, every other setting describes how its records were taken and what they mean.
bool DescribesRecordsDifferently(const SettingsTexts& a, const SettingsTexts& b);

// Gives every settings string its default text (GBK) and the numeric forms their start
// values (0, except coefficient 1.0 and damping 1 of channel 0), as at program start.
void SetDefaultSettings();

// Fixed-width text block: the text's bytes, a zero byte, zero padding up to the width; a
// text of exactly the width is written without the zero byte. Longer texts are cut.
void WriteTextBlock(std::ostream& out, const std::string& text, std::size_t width);
// Reads one block; the text ends at the first zero byte or at the width. Returns false,
// leaving *text untouched, when the stream holds less than a whole block.
bool ReadTextBlock(std::istream& in, std::size_t width, std::string* text);

// The 32 blocks in file order. A stream that ends early keeps the current value of every
// field it does not hold completely.
void LoadSettings(std::istream& in);
void SaveSettings(std::ostream& out);
void ParseSettings();

// C library conversions, as the settings texts have always been read.
int LeadingInteger(const std::string& text);   // atoi
double DecimalValue(const std::string& text);  // atof
int TruncateToInt(double value);               // toward zero; NaN gives 0, saturates
