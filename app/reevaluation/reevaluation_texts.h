// The texts velmora-results adds to a test's values and notes (UTF-8, Chinese): its CSV, its
// JSON and the results store keep them as they are; its table shows them in English when
// asked to.
#pragma once

#include <vector>

#include "results/result_texts.h"

namespace reevaluation_text {

// %1: the value the command line gave.
inline constexpr const char* kGivenArea =
    QT_TRANSLATE_NOOP("ReevaluationTexts", "横截面积 S0 = %1 mm²");
inline constexpr const char* kGivenGauge =
    QT_TRANSLATE_NOOP("ReevaluationTexts", "标距 L0 = %1 mm");
inline constexpr const char* kGivenFinalArea =
    QT_TRANSLATE_NOOP("ReevaluationTexts", "断后最小横截面积 Su = %1 mm²");
inline constexpr const char* kGivenFinalGauge =
    QT_TRANSLATE_NOOP("ReevaluationTexts", "断后标距 Lu = %1 mm");
inline constexpr const char* kGivenProofOffset =
    QT_TRANSLATE_NOOP("ReevaluationTexts", "规定塑性延伸 = %1 % L0");
inline constexpr const char* kGivenFitRange =
    QT_TRANSLATE_NOOP("ReevaluationTexts", "弹性段拟合区间 = %1 %–%2 %");
inline constexpr const char* kGivenBreakValue =
    QT_TRANSLATE_NOOP("ReevaluationTexts", "断裂判定值 = %1");
inline constexpr const char* kNoSpecimenFileNote = QT_TRANSLATE_NOOP(
    "ReevaluationTexts", "存档所在文件夹也没有 Specimen.ini：试样参数只有命令行给出的");
inline constexpr const char* kBreakRuleNote = QT_TRANSLATE_NOOP(
    "ReevaluationTexts", "记录文件没有断裂判定记录（较早的文件）：按断裂判定值 %1 以断裂规则求得");
inline constexpr const char* kNoBreakValueNote = QT_TRANSLATE_NOOP(
    "ReevaluationTexts",
    "记录文件没有断裂判定记录（较早的文件）：没有给出 --break-value，按未检测到断裂计算");

// velmora-results --help.
inline constexpr const char* kUsage = QT_TRANSLATE_NOOP(
    "ReevaluationTexts",
    "用法：velmora-results [选项] 文件|文件夹 ...\n"
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
    "退出状态：0 全部读取；1 有文件被拒绝（其余照常输出）；2 用法错误。\n");

// The command line's refusals. %1: the option or value named.
inline constexpr const char* kAreaTwice = QT_TRANSLATE_NOOP(
    "ReevaluationTexts", "S0 只能以一种方式给出：--area、--diameter，或 --width 与 --thickness");
inline constexpr const char* kWidthAlone =
    QT_TRANSLATE_NOOP("ReevaluationTexts", "--width 与 --thickness 须一起给出");
inline constexpr const char* kUnknownOption =
    QT_TRANSLATE_NOOP("ReevaluationTexts", "未知选项：%1");
inline constexpr const char* kNeedsValue = QT_TRANSLATE_NOOP("ReevaluationTexts", "%1 需要一个值");
inline constexpr const char* kBadFormat =
    QT_TRANSLATE_NOOP("ReevaluationTexts", "--format 只取 table、csv 或 json：%1");
inline constexpr const char* kBadLanguage =
    QT_TRANSLATE_NOOP("ReevaluationTexts", "--lang 只取 en 或 zh：%1");
inline constexpr const char* kNoSeriesName =
    QT_TRANSLATE_NOOP("ReevaluationTexts", "--series 需要系列名称");
inline constexpr const char* kBadFitRange =
    QT_TRANSLATE_NOOP("ReevaluationTexts", "--fit-range 须为 LOW-HIGH，0 < LOW < HIGH <= 100：%1");
// %1: the option, %2: its unit, %3: the value given.
inline constexpr const char* kNotPositive =
    QT_TRANSLATE_NOOP("ReevaluationTexts", "%1 须为正数（%2）：%3");
inline constexpr const char* kNoInputs =
    QT_TRANSLATE_NOOP("ReevaluationTexts", "没有给出文件或文件夹");

}  // namespace reevaluation_text

// Every text above, for the table that looks them up again.
inline const std::vector<const char*>& ReevaluationTextTemplates() {
    using namespace reevaluation_text;
    static const std::vector<const char*> templates = {
        kGivenArea,     kGivenGauge,      kGivenFinalArea,     kGivenFinalGauge, kGivenProofOffset,
        kGivenFitRange, kGivenBreakValue, kNoSpecimenFileNote, kBreakRuleNote,   kNoBreakValueNote,
        kAreaTwice,     kWidthAlone,      kUnknownOption,      kNeedsValue,      kBadFormat,
        kBadLanguage,   kNoSeriesName,    kBadFitRange,        kNotPositive,     kNoInputs,
        kUsage};
    return templates;
}
