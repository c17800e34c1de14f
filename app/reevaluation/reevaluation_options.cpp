#include "reevaluation/reevaluation_options.h"

#include <cmath>

#include "common/number_text.h"
#include "reevaluation/reevaluation_texts.h"

namespace {

struct NumberOption {
    const char* name;
    std::optional<double> ReevaluationOptions::*value;
    const char* unit;  // what the value is, for the message
};

const NumberOption kNumberOptions[] = {
    {"--area", &ReevaluationOptions::area, "mm²"},
    {"--diameter", &ReevaluationOptions::diameter, "mm"},
    {"--width", &ReevaluationOptions::width, "mm"},
    {"--thickness", &ReevaluationOptions::thickness, "mm"},
    {"--gauge-length", &ReevaluationOptions::gaugeLength, "mm"},
    {"--final-area", &ReevaluationOptions::finalArea, "mm²"},
    {"--final-gauge-length", &ReevaluationOptions::finalGaugeLength, "mm"},
    {"--proof-offset", &ReevaluationOptions::proofOffset, "% of L0"},
    {"--break-value", &ReevaluationOptions::breakValue, "the force unit"},
};

bool PositiveNumber(const std::string& text, double* value) {
    return ParseNumber(text, value) && std::isfinite(*value) && *value > 0;
}

// "LOW-HIGH" in % of the reference force: 0 < LOW < HIGH <= 100.
bool ParseFitRange(const std::string& text, FitRange* range) {
    const std::size_t dash = text.find('-', 1);
    if (dash == std::string::npos) return false;
    FitRange parsed;
    if (!PositiveNumber(text.substr(0, dash), &parsed.lowPercent) ||
        !PositiveNumber(text.substr(dash + 1), &parsed.highPercent) ||
        !(parsed.lowPercent < parsed.highPercent) || parsed.highPercent > 100)
        return false;
    *range = parsed;
    return true;
}

std::string CheckDimensions(const ReevaluationOptions& o) {
    const int sources = (o.area ? 1 : 0) + (o.diameter ? 1 : 0) + (o.width || o.thickness ? 1 : 0);
    if (sources > 1) return reevaluation_text::kAreaTwice;
    if (o.width.has_value() != o.thickness.has_value()) return reevaluation_text::kWidthAlone;
    return {};
}

}  // namespace

std::string ReevaluationUsage() {
    return reevaluation_text::kUsage;
}

std::string ParseReevaluationOptions(const std::vector<std::string>& args,
                                     ReevaluationOptions* options) {
    ReevaluationOptions parsed;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-') {
            parsed.inputs.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            parsed.help = true;
            continue;
        }
        if (arg == "--version") {
            parsed.version = true;
            continue;
        }
        if (arg == "--update-store") {
            parsed.updateStore = true;
            continue;
        }
        const NumberOption* number = nullptr;
        for (const NumberOption& option : kNumberOptions)
            if (arg == option.name) number = &option;
        if (number == nullptr && arg != "--format" && arg != "--series" && arg != "--fit-range" &&
            arg != "--lang")
            return FillText(reevaluation_text::kUnknownOption, {arg});
        if (i + 1 == args.size()) return FillText(reevaluation_text::kNeedsValue, {arg});
        const std::string& value = args[++i];
        if (arg == "--format") {
            if (value == "table") {
                parsed.format = OutputFormat::kTable;
            } else if (value == "csv") {
                parsed.format = OutputFormat::kCsv;
            } else if (value == "json") {
                parsed.format = OutputFormat::kJson;
            } else {
                return FillText(reevaluation_text::kBadFormat, {value});
            }
        } else if (arg == "--lang") {
            if (value != "en" && value != "zh")
                return FillText(reevaluation_text::kBadLanguage, {value});
            parsed.language = value;
        } else if (arg == "--series") {
            if (value.empty()) return reevaluation_text::kNoSeriesName;
            parsed.series = value;
        } else if (arg == "--fit-range") {
            FitRange range;
            if (!ParseFitRange(value, &range))
                return FillText(reevaluation_text::kBadFitRange, {value});
            parsed.fitRange = range;
        } else {
            double positive = 0;
            if (!PositiveNumber(value, &positive))
                return FillText(reevaluation_text::kNotPositive, {arg, number->unit, value});
            parsed.*(number->value) = positive;
        }
    }
    if (std::string error = CheckDimensions(parsed); !error.empty()) return error;
    if (!parsed.help && !parsed.version && parsed.inputs.empty())
        return reevaluation_text::kNoInputs;
    *options = parsed;
    return {};
}

MethodOverrides OverridesOfOptions(const ReevaluationOptions& options) {
    MethodOverrides overrides;
    SpecimenDims& s = overrides.specimen;
    s.area = CrossSectionOf(options.area, options.diameter, options.width, options.thickness);
    s.gaugeLength = options.gaugeLength;
    s.finalArea = options.finalArea;
    s.finalGaugeLength = options.finalGaugeLength;
    overrides.proofOffset = options.proofOffset.has_value();
    if (options.proofOffset) s.proofOffset = *options.proofOffset;
    overrides.fitRange = options.fitRange;
    return overrides;
}

SpecimenDims WithOverrides(SpecimenDims specimen, const MethodOverrides& overrides) {
    const SpecimenDims& given = overrides.specimen;
    if (given.area) specimen.area = given.area;
    if (given.gaugeLength) specimen.gaugeLength = given.gaugeLength;
    if (given.finalArea) specimen.finalArea = given.finalArea;
    if (given.finalGaugeLength) specimen.finalGaugeLength = given.finalGaugeLength;
    if (overrides.proofOffset) specimen.proofOffset = given.proofOffset;
    return specimen;
}

std::vector<std::string> OverrideTexts(const MethodOverrides& overrides) {
    std::vector<std::string> texts;
    auto add = [&texts](const char* textTemplate, const std::optional<double>& value) {
        if (value) texts.push_back(FillText(textTemplate, {PlainNumber(*value)}));
    };
    using namespace reevaluation_text;
    const SpecimenDims& s = overrides.specimen;
    add(kGivenArea, s.area);
    add(kGivenGauge, s.gaugeLength);
    add(kGivenFinalArea, s.finalArea);
    add(kGivenFinalGauge, s.finalGaugeLength);
    if (overrides.proofOffset) add(kGivenProofOffset, s.proofOffset);
    if (overrides.fitRange) {
        texts.push_back(FillText(kGivenFitRange, {PlainNumber(overrides.fitRange->lowPercent),
                                                  PlainNumber(overrides.fitRange->highPercent)}));
    }
    return texts;
}

std::string LanguageAsked(const std::vector<std::string>& args) {
    std::string language;
    for (std::size_t i = 0; i + 1 < args.size() && args[i] != "--"; ++i)
        if (args[i] == "--lang") language = args[++i];
    return language;
}

bool TableInEnglish(const ReevaluationOptions& options, const char* lcAll, const char* lcMessages,
                    const char* lang) {
    if (!options.language.empty()) return options.language == "en";
    for (const char* value : {lcAll, lcMessages, lang}) {
        if (value == nullptr || *value == '\0') continue;
        return std::string(value).compare(0, 2, "en") == 0;
    }
    return false;
}
