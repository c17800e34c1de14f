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

}  // namespace reevaluation_text

// Every text above, for the table that looks them up again.
inline const std::vector<const char*>& ReevaluationTextTemplates() {
    using namespace reevaluation_text;
    static const std::vector<const char*> templates = {
        kGivenArea,     kGivenGauge,      kGivenFinalArea,     kGivenFinalGauge, kGivenProofOffset,
        kGivenFitRange, kGivenBreakValue, kNoSpecimenFileNote, kBreakRuleNote,   kNoBreakValueNote};
    return templates;
}
