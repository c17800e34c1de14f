// The settings record: 32 GBK strings, the numbers parsed from them, and the 380-byte
// block in which the settings file and every test archive store them.
#pragma once

#include <array>
#include <cstddef>
#include <iosfwd>
#include <string>

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

// The 32 texts at one moment, in file order: what the Settings command puts back when the
// dialog is cancelled.
using SettingsTexts = std::array<std::string, kSettingsFieldCount>;
// True when the texts differ in anything but the test name and the tester: those label a
// test, every other setting describes how its records were taken and what they mean.
bool DescribesRecordsDifferently(const SettingsTexts& a, const SettingsTexts& b);

// The settings of the program: the 32 strings in file order and the numbers parsed from
// them. A new object holds the defaults, as the program has them before it reads its file.
struct Settings {
    Settings();

    // Gives every settings string its default text (GBK) and the numeric forms their start
    // values (0, except coefficient 1.0 and damping 1 of channel 0), as at program start.
    void SetDefaults();
    // The 32 blocks in file order. A stream that ends early keeps the current value of
    // every field it does not hold completely.
    void Load(std::istream& in);
    void Save(std::ostream& out) const;
    // Derives the numeric forms from the strings.
    void Parse();
    // The field table, its texts those of this object.
    std::array<SettingsField, kSettingsFieldCount> Fields();
    SettingsTexts Texts() const;
    void Restore(const SettingsTexts& texts);

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

    // Numeric forms, derived by Parse.
    int g_nDamping0;
    double g_dRangeHigh0, g_dRangeLow0, g_dSpan0, g_dFullScale0;
    double g_dCoef0, g_dCutoff0, g_dResolution0, g_dZeroPreset0;
    int g_nDamping1;
    double g_dRangeHigh1, g_dRangeLow1, g_dSpan1, g_dFullScale1;
    double g_dCoef1, g_dCutoff1, g_dResolution1, g_dZeroPreset1;
    int g_nAutoStopDelay;
    double g_dForceStopLimit;
    double g_dAlarmHigh, g_dAlarmLow;
    double g_dBreakValue;
    int g_nAutoReturnDelay;
    int g_nSamplePeriod;
};

// Fixed-width text block: the text's bytes, a zero byte, zero padding up to the width; a
// text of exactly the width is written without the zero byte. Longer texts are cut.
void WriteTextBlock(std::ostream& out, const std::string& text, std::size_t width);
// Reads one block; the text ends at the first zero byte or at the width. Returns false,
// leaving *text untouched, when the stream holds less than a whole block.
bool ReadTextBlock(std::istream& in, std::size_t width, std::string* text);

// C library conversions, as the settings texts have always been read.
int LeadingInteger(const std::string& text);   // atoi
double DecimalValue(const std::string& text);  // atof
int TruncateToInt(double value);               // toward zero; NaN gives 0, saturates
