// velmora-results's command line: the files and folders to evaluate, the output format and
// the method settings that override what the files hold.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "results/results_engine.h"
#include "settings/specimen.h"

enum class OutputFormat { kTable, kCsv, kJson };

struct ReevaluationOptions {
    bool help = false;
    bool version = false;
    OutputFormat format = OutputFormat::kTable;
    std::optional<std::string> series;  // UTF-8: only that series' tests of the folders given
    // S0 directly, or from a round specimen's diameter, or a flat one's width and thickness.
    std::optional<double> area, diameter, width, thickness;
    std::optional<double> gaugeLength, finalArea, finalGaugeLength;  // L0, Su, Lu
    std::optional<double> proofOffset;                               // % of L0
    std::optional<FitRange> fitRange;
    // For a CSV from before it named its break record: the break rule's value.
    std::optional<double> breakValue;
    // The archives' results store takes the tests as evaluated here (never the archives).
    bool updateStore = false;
    // --lang: "en" or "zh"; empty when not given (the locale decides).
    std::string language;
    std::vector<std::string> inputs;  // files and folders, in the order given
};

// The value of the command line's --lang ("" without one), also where the rest of the line is
// refused, so that the refusal is said in the language asked for.
std::string LanguageAsked(const std::vector<std::string>& args);
// The arguments after the program's name. Empty on success, else what is wrong (one line).
std::string ParseReevaluationOptions(const std::vector<std::string>& args,
                                     ReevaluationOptions* options);
std::string ReevaluationUsage();
// Whether the table speaks English: --lang en, or without --lang a locale whose language is
// English (the first of LC_ALL, LC_MESSAGES and LANG that is set and not empty decides;
// each may be null). Chinese otherwise; CSV and JSON are the same in both.
bool TableInEnglish(const ReevaluationOptions& options, const char* lcAll, const char* lcMessages,
                    const char* lang);

// What the command line sets, over what a test's files hold.
struct MethodOverrides {
    SpecimenDims specimen;  // the dimensions given; proofOffset only when `proofOffset`
    bool proofOffset = false;
    std::optional<FitRange> fitRange;
};
MethodOverrides OverridesOfOptions(const ReevaluationOptions& options);
// The specimen with each dimension the command line gives put in.
SpecimenDims WithOverrides(SpecimenDims specimen, const MethodOverrides& overrides);
// "横截面积 S0 = 12.5 mm²", one for each value the command line gives (UTF-8); empty for none.
std::vector<std::string> OverrideTexts(const MethodOverrides& overrides);
