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
    if (sources > 1) return "S0 只能以一种方式给出：--area、--diameter，或 --width 与 --thickness";
    if (o.width.has_value() != o.thickness.has_value()) return "--width 与 --thickness 须一起给出";
    return {};
}

}  // namespace

std::string ReevaluationUsage() {
    return "用法：velmora-results [选项] 文件|文件夹 ...\n"
           "从保存的试验文件重新计算结果，不需要窗口：存档 <名称><时间>.dat（旁边的 .ini\n"
           "试验文件与 .csv 记录文件一并读取），或单独的记录文件 .csv。文件夹：其中每个存档，\n"
           "以及旁边没有存档的记录文件。几个试验时，最后给出有效试样的统计。\n"
           "  --format table|csv|json  输出格式（默认 table：名称、数值、单位对齐成列，然后说明）\n"
           "  --series NAME            只取所给文件夹中系列 NAME 的试验\n"
           "  --area MM2               横截面积 S0，mm²\n"
           "  --diameter MM            圆形试样直径：S0 = pi d² / 4\n"
           "  --width MM --thickness MM\n"
           "                           矩形试样宽度与厚度：S0 = 宽 x 厚\n"
           "  --gauge-length MM        标距 L0，mm\n"
           "  --final-area MM2         断后最小横截面积 Su，mm²\n"
           "  --final-gauge-length MM  断后标距 Lu，mm\n"
           "  --proof-offset PCT       Rp 的规定塑性延伸，L0 的 %（默认取文件中的值，否则 0.2）\n"
           "  --fit-range LOW-HIGH     弹性段拟合区间，参考力（Fm，再取 ReH 或 Rp）的 %，默认 "
           "10-40\n"
           "  --break-value N          较早的记录文件没有断裂判定记录时所用的断裂判定值\n"
           "  --update-store           以重新计算的结果更新存档所在文件夹的试验记录库（记下改动；\n"
           "                           存档不变，只有存档可以更新）\n"
           "  --lang en|zh             表格的语言（默认按区域设置：英语区域为 en，否则 zh）\n"
           "  --help                   显示本说明并退出\n"
           "  --version                显示版本并退出\n"
           "命令行给出的值优先于文件中的值，输出注明哪些值来自命令行。\n"
           "退出状态：0 全部读取；1 有文件被拒绝（其余照常输出）；2 用法错误。\n";
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
            return "未知选项：" + arg;
        if (i + 1 == args.size()) return arg + " 需要一个值";
        const std::string& value = args[++i];
        if (arg == "--format") {
            if (value == "table") {
                parsed.format = OutputFormat::kTable;
            } else if (value == "csv") {
                parsed.format = OutputFormat::kCsv;
            } else if (value == "json") {
                parsed.format = OutputFormat::kJson;
            } else {
                return "--format 只取 table、csv 或 json：" + value;
            }
        } else if (arg == "--lang") {
            if (value != "en" && value != "zh") return "--lang 只取 en 或 zh：" + value;
            parsed.language = value;
        } else if (arg == "--series") {
            if (value.empty()) return "--series 需要系列名称";
            parsed.series = value;
        } else if (arg == "--fit-range") {
            FitRange range;
            if (!ParseFitRange(value, &range))
                return "--fit-range 须为 LOW-HIGH，0 < LOW < HIGH <= 100：" + value;
            parsed.fitRange = range;
        } else {
            double positive = 0;
            if (!PositiveNumber(value, &positive))
                return arg + " 须为正数（" + number->unit + "）：" + value;
            parsed.*(number->value) = positive;
        }
    }
    if (std::string error = CheckDimensions(parsed); !error.empty()) return error;
    if (!parsed.help && !parsed.version && parsed.inputs.empty()) return "没有给出文件或文件夹";
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

bool TableInEnglish(const ReevaluationOptions& options, const char* lcAll, const char* lcMessages,
                    const char* lang) {
    if (!options.language.empty()) return options.language == "en";
    for (const char* value : {lcAll, lcMessages, lang}) {
        if (value == nullptr || *value == '\0') continue;
        return std::string(value).compare(0, 2, "en") == 0;
    }
    return false;
}
