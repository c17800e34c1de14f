// The texts the results engine puts into its rows and notes (UTF-8, Chinese). The files keep
// them as they are; the windows and the printed page show them in the chosen language. A
// note with numbers is built from one of these templates, whose %1, %2, ... take the numbers
// and names, so that a view can find the template again and translate it.
#pragma once

#include <string>
#include <vector>

#include "common/text_template.h"

namespace result_text {

// The result rows' names.
inline constexpr const char* kMaxForce = QT_TRANSLATE_NOOP("ResultTexts", "最大力");
inline constexpr const char* kMaxForceDisplacement = QT_TRANSLATE_NOOP("ResultTexts", "最大力位移");
inline constexpr const char* kBreakForce = QT_TRANSLATE_NOOP("ResultTexts", "断裂力");
inline constexpr const char* kBreakDisplacement = QT_TRANSLATE_NOOP("ResultTexts", "断裂位移");
inline constexpr const char* kWork = QT_TRANSLATE_NOOP("ResultTexts", "断裂功");
inline constexpr const char* kTestTime = QT_TRANSLATE_NOOP("ResultTexts", "试验时间");
inline constexpr const char* kTensileStrength = QT_TRANSLATE_NOOP("ResultTexts", "抗拉强度 Rm");
inline constexpr const char* kElongation = QT_TRANSLATE_NOOP("ResultTexts", "断后伸长率 A");
inline constexpr const char* kStiffness = QT_TRANSLATE_NOOP("ResultTexts", "刚度");
inline constexpr const char* kModulus = QT_TRANSLATE_NOOP("ResultTexts", "弹性模量 E");
// %1: "Rp0.2", the offset the specimen sets.
inline constexpr const char* kProofStrengthOf =
    QT_TRANSLATE_NOOP("ResultTexts", "规定塑性延伸强度 %1");
inline constexpr const char* kProofStrength =
    QT_TRANSLATE_NOOP("ResultTexts", "规定塑性延伸强度 Rp");
inline constexpr const char* kTotalStrength =
    QT_TRANSLATE_NOOP("ResultTexts", "规定总延伸强度 Rt0.5");
inline constexpr const char* kUpperYield = QT_TRANSLATE_NOOP("ResultTexts", "上屈服强度 ReH");
inline constexpr const char* kLowerYield = QT_TRANSLATE_NOOP("ResultTexts", "下屈服强度 ReL");
inline constexpr const char* kYieldExtension = QT_TRANSLATE_NOOP("ResultTexts", "屈服点延伸率 Ae");
inline constexpr const char* kPlasticAtMax =
    QT_TRANSLATE_NOOP("ResultTexts", "最大力塑性延伸率 Ag");
inline constexpr const char* kTotalAtMax = QT_TRANSLATE_NOOP("ResultTexts", "最大力总延伸率 Agt");
inline constexpr const char* kTotalAtFracture = QT_TRANSLATE_NOOP("ResultTexts", "断裂总延伸率 At");
inline constexpr const char* kReductionOfArea = QT_TRANSLATE_NOOP("ResultTexts", "断面收缩率 Z");
inline constexpr const char* kCrossheadElongation =
    QT_TRANSLATE_NOOP("ResultTexts", "断后伸长率 A (横梁位移)");

// The notes.
inline constexpr const char* kForceUnitNote =
    QT_TRANSLATE_NOOP("ResultTexts", "力的单位“%1”无法换算为 N：强度与 E 不计算");
inline constexpr const char* kLengthUnitNote =
    QT_TRANSLATE_NOOP("ResultTexts", "位移的单位“%1”无法换算为 mm：延伸率与 E 不计算");
inline constexpr const char* kNoAreaNote = QT_TRANSLATE_NOOP(
    "ResultTexts", "横截面积 S0 未给定或无效（须为大于 0 的数，在 试样参数 中给出）：强度不计算");
inline constexpr const char* kNoGaugeNote = QT_TRANSLATE_NOOP(
    "ResultTexts", "标距 L0 未给定或无效（须为大于 0 的数，在 试样参数 中给出）：延伸率不计算");
inline constexpr const char* kNoPositiveForceNote =
    QT_TRANSLATE_NOOP("ResultTexts", "力值全部不大于 0：请检查力通道的方向与调零");
inline constexpr const char* kNotStraightNote = QT_TRANSLATE_NOOP(
    "ResultTexts", "弹性段不成直线（各力区间的两半斜率都不一致）：刚度、E、Rp、A、Ag 不计算");
// %1: the fit range, "10 %–40 %".
inline constexpr const char* kFitNotTiedNote =
    QT_TRANSLATE_NOOP("ResultTexts", "弹性段拟合未能取在 Rp 或 ReH 的 %1：取在 Fm 的 %1");
inline constexpr const char* kTooFewFitNote = QT_TRANSLATE_NOOP(
    "ResultTexts", "弹性段记录不足（力在 Fm 的 %1 之间少于 5 条）：刚度、E、Rp、A、Ag 不计算");
inline constexpr const char* kNoToeNote = QT_TRANSLATE_NOOP(
    "ResultTexts", "Rt0.5、Agt、At 未作起始段修正：没有弹性段直线，延伸从第一条记录的位移算起");
inline constexpr const char* kLuBelowL0Note =
    QT_TRANSLATE_NOOP("ResultTexts", "断后标距 Lu 小于 L0：A 不按 Lu 计算，取横梁位移的值");
inline constexpr const char* kSuAboveS0Note =
    QT_TRANSLATE_NOOP("ResultTexts", "断后最小横截面积 Su 大于 S0：Z 不计算");
// %1: the results, each as its row's name, value and "MPa", joined by "、".
inline constexpr const char* kUnreachableNote = QT_TRANSLATE_NOOP(
    "ResultTexts",
    "%1 超出任何材料可能的范围，不给出：力或位移的数值与其单位不符，请检查 设置 → 计量单位 "
    "与 线性比例系数（力、位移与断裂功的数值也受影响）");
inline constexpr const char* kListSeparator = QT_TRANSLATE_NOOP("ResultTexts", "、");
inline constexpr const char* kNoBreakNote = QT_TRANSLATE_NOOP(
    "ResultTexts",
    "试样未断裂（试验由操作者或限位停止）：断裂力、断裂位移、断裂总延伸率 At、断后伸长率 A "
    "无定义，不给出");
inline constexpr const char* kNoBreakWithLuNote = QT_TRANSLATE_NOOP(
    "ResultTexts",
    "试样未断裂（试验由操作者或限位停止）：断裂力、断裂位移、断裂总延伸率 At 无定义，不给出");
// %1: the compliance, %2: the date it was measured.
inline constexpr const char* kComplianceNote =
    QT_TRANSLATE_NOOP("ResultTexts", "横梁位移已按加载链柔度 %1 mm/N 修正：位移减去 力 × 柔度");
inline constexpr const char* kComplianceDatedNote = QT_TRANSLATE_NOOP(
    "ResultTexts", "横梁位移已按加载链柔度 %1 mm/N（标定于 %2） 修正：位移减去 力 × 柔度");
// %1, %2: the channels' units.
inline constexpr const char* kComplianceUnitsNote =
    QT_TRANSLATE_NOOP("ResultTexts", "加载链柔度无法换算到通道单位 %1、%2：横梁位移未修正");
inline constexpr const char* kSpecimenNotStoredNote =
    QT_TRANSLATE_NOOP("ResultTexts", "存档没有保存试样参数与启动时间：试样参数取当前 Specimen.ini");
inline constexpr const char* kNoRecordsNote = QT_TRANSLATE_NOOP("ResultTexts", "没有记录");
// %1: the record's number.
inline constexpr const char* kBreakAtNote = QT_TRANSLATE_NOOP("ResultTexts", "断裂于第 %1 条记录");
inline constexpr const char* kNoBreakDetectedNote =
    QT_TRANSLATE_NOOP("ResultTexts", "未检测到断裂：试样未断裂");
inline constexpr const char* kStrainSource =
    QT_TRANSLATE_NOOP("ResultTexts", "引伸计: 无，以横梁位移计算");
// %1, %2: the force range; %3: its unit; %4: the range it was taken on (one of the three
// below); %5: the records; %6: the correlation.
inline constexpr const char* kFitNote =
    QT_TRANSLATE_NOOP("ResultTexts", "弹性段拟合：力 %1–%2 %3（%4），%5 条记录，相关系数 %6");
inline constexpr const char* kFitOfFm = QT_TRANSLATE_NOOP("ResultTexts", "Fm 的 %1");
inline constexpr const char* kFitOfReH = QT_TRANSLATE_NOOP("ResultTexts", "ReH 的 %1");
inline constexpr const char* kFitOfRp = QT_TRANSLATE_NOOP("ResultTexts", "Rp 的 %1");
inline constexpr const char* kFitSearched =
    QT_TRANSLATE_NOOP("ResultTexts", "Fm 的 %1 不成直线，取其上最陡的直线段");
// Of a test with an extensometer. %1: Le; %2: the proof offset.
inline constexpr const char* kExtensometerSourceNote =
    QT_TRANSLATE_NOOP("ResultTexts",
                      "引伸计: 标距 Le %1 mm，E、Rp%2、Rt0.5、Ae、Ag、Agt 以引伸计的应变计算；"
                      "A、At 以横梁位移计算");
inline constexpr const char* kExtensometerSourceLuNote =
    QT_TRANSLATE_NOOP("ResultTexts",
                      "引伸计: 标距 Le %1 mm，E、Rp%2、Rt0.5、Ae、Ag、Agt 以引伸计的应变计算；"
                      "A 取自断后标距 Lu，At 以横梁位移计算");
inline constexpr const char* kNoExtensometerReadingsNote =
    QT_TRANSLATE_NOOP("ResultTexts", "引伸计没有可用的读数：应变以横梁位移计算");
inline constexpr const char* kNoGaugeWithExtensometerNote = QT_TRANSLATE_NOOP(
    "ResultTexts", "标距 L0 未给定或无效（须为大于 0 的数，在 试样参数 中给出）：A、At 不计算");
// As kFitNote, of the extensometer's and of the crosshead's elastic line.
inline constexpr const char* kExtensometerFitNote =
    QT_TRANSLATE_NOOP("ResultTexts", "引伸计弹性段拟合：力 %1–%2 %3（%4），%5 条记录，相关系数 %6");
inline constexpr const char* kCrossheadFitNote = QT_TRANSLATE_NOOP(
    "ResultTexts", "横梁位移弹性段拟合：力 %1–%2 %3（%4），%5 条记录，相关系数 %6");
// %1: the record after which it was taken off; %2: "L0" or "Le"; %3: that length.
inline constexpr const char* kRemovalNote = QT_TRANSLATE_NOOP(
    "ResultTexts",
    "引伸计于第 %1 条记录后取下：其后的应变为取下时的引伸计应变加横梁位移的增量除以 %2 %3 mm");
inline constexpr const char* kRemovalCorrectedNote = QT_TRANSLATE_NOOP(
    "ResultTexts",
    "引伸计于第 %1 条记录后取下：其后的应变为取下时的引伸计应变加横梁位移（已修正柔度）的增量除以 "
    "%2 %3 mm");
inline constexpr const char* kJoinedAtMaxNote =
    QT_TRANSLATE_NOOP("ResultTexts", "Ag、Agt 取自这一接续的应变");
inline constexpr const char* kJoinedYieldNote =
    QT_TRANSLATE_NOOP("ResultTexts", "Ae 取自这一接续的应变");
inline constexpr const char* kJoinedAllNote =
    QT_TRANSLATE_NOOP("ResultTexts", "Ag、Agt、Ae 取自这一接续的应变");

// Why an elastic line's results are missing or how its range was taken: the line bent; not
// tied to Rp or ReH (%1: the fit range); too few records (%1); the strains counted from the
// first record.
struct FitNotes {
    const char* bent;
    const char* notTied;
    const char* tooFew;
    const char* uncorrected;
};
// The only strain's.
inline constexpr FitNotes kFitNotes = {kNotStraightNote, kFitNotTiedNote, kTooFewFitNote,
                                       kNoToeNote};
// The crosshead's, beside an extensometer.
inline constexpr FitNotes kCrossheadFitNotes = {
    QT_TRANSLATE_NOOP("ResultTexts",
                      "横梁位移的弹性段不成直线（各力区间的两半斜率都不一致）：刚度、A 不计算"),
    QT_TRANSLATE_NOOP("ResultTexts", "横梁位移的弹性段拟合未能取在 Rp 或 ReH 的 %1：取在 Fm 的 %1"),
    QT_TRANSLATE_NOOP("ResultTexts",
                      "横梁位移的弹性段记录不足（力在 Fm 的 %1 之间少于 5 条）：刚度、A 不计算"),
    QT_TRANSLATE_NOOP("ResultTexts",
                      "At 未作起始段修正：没有横梁位移的弹性段直线，延伸从第一条记录的位移算起")};
// The extensometer's.
inline constexpr FitNotes kExtensometerFitNotes = {
    QT_TRANSLATE_NOOP("ResultTexts",
                      "引伸计的弹性段不成直线（各力区间的两半斜率都不一致）：E、Rp、Ag 不计算"),
    QT_TRANSLATE_NOOP("ResultTexts", "引伸计的弹性段拟合未能取在 Rp 或 ReH 的 %1：取在 Fm 的 %1"),
    QT_TRANSLATE_NOOP("ResultTexts",
                      "引伸计的弹性段记录不足（力在 Fm 的 %1 之间少于 5 条）：E、Rp、Ag 不计算"),
    QT_TRANSLATE_NOOP("ResultTexts",
                      "Rt0.5、Agt 未作起始段修正：没有引伸计的弹性段直线，应变从第一条记录算起")};

// Said by the specimen's dimensions; %1: "S0", "L0" or "S0、L0".
inline constexpr const char* kCarriedOverNote = QT_TRANSLATE_NOOP("ResultTexts", "%1 沿用上一试样");

}  // namespace result_text

// Every text above, for the views that look a row's or a note's template up again.
const std::vector<const char*>& ResultTextTemplates();

// A row's name as the program's own files write it: with the symbol beside the Chinese name
// where the engine's name has none, so that a reader of either language finds it ("最大力" ->
// "最大力 Fm"); every other name as the engine gives it. The views and the store keep the
// engine's name.
std::string FileResultName(const std::string& engineName);
// The engine's name of a row as those files write it, now or before the symbol was added.
std::string EngineResultName(const std::string& fileName);
