// The texts of a series' statistics and overlay (UTF-8, Chinese), which the series files keep
// as they are and the series window and report show in the chosen language.
#pragma once

#include <vector>

#include "results/result_texts.h"

namespace series_text {

inline constexpr const char* kMean = QT_TRANSLATE_NOOP("SeriesTexts", "平均值");
inline constexpr const char* kDeviation = QT_TRANSLATE_NOOP("SeriesTexts", "标准差 s");
inline constexpr const char* kVariation = QT_TRANSLATE_NOOP("SeriesTexts", "变异系数 CV (%)");
inline constexpr const char* kMinimum = QT_TRANSLATE_NOOP("SeriesTexts", "最小值");
inline constexpr const char* kMaximum = QT_TRANSLATE_NOOP("SeriesTexts", "最大值");
inline constexpr const char* kLowerBound = QT_TRANSLATE_NOOP("SeriesTexts", "95% 置信下限");
inline constexpr const char* kUpperBound = QT_TRANSLATE_NOOP("SeriesTexts", "95% 置信上限");
inline constexpr const char* kStrainTitle = QT_TRANSLATE_NOOP("SeriesTexts", "应变 (%)");
inline constexpr const char* kStressTitle = QT_TRANSLATE_NOOP("SeriesTexts", "应力 (MPa)");
inline constexpr const char* kForce = QT_TRANSLATE_NOOP("SeriesTexts", "力");
inline constexpr const char* kDisplacement = QT_TRANSLATE_NOOP("SeriesTexts", "位移");
// %1: the specimen's id.
inline constexpr const char* kNotDrawnNote =
    QT_TRANSLATE_NOOP("SeriesTexts", "%1 无 S0、L0，未画入应力-应变曲线");

}  // namespace series_text

// Every text above, for the views that look them up again.
inline const std::vector<const char*>& SeriesTextTemplates() {
    using namespace series_text;
    static const std::vector<const char*> templates = {
        kMean,       kDeviation,   kVariation,   kMinimum, kMaximum,      kLowerBound,
        kUpperBound, kStrainTitle, kStressTitle, kForce,   kDisplacement, kNotDrawnNote};
    return templates;
}
