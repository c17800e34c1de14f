#include "results/result_texts.h"

#include <cctype>

std::string FillText(const char* textTemplate, std::initializer_list<std::string> args) {
    const std::vector<std::string> values(args);
    std::string text;
    for (const char* p = textTemplate; *p != '\0'; ++p) {
        const auto next = static_cast<unsigned char>(p[1]);
        if (*p == '%' && std::isdigit(next) && next != '0' &&
            static_cast<std::size_t>(next - '0') <= values.size()) {
            text += values[next - '1'];
            ++p;
        } else {
            text += *p;
        }
    }
    return text;
}

const std::vector<const char*>& ResultTextTemplates() {
    using namespace result_text;
    static const std::vector<const char*> templates = {kMaxForce,
                                                       kMaxForceDisplacement,
                                                       kBreakForce,
                                                       kBreakDisplacement,
                                                       kWork,
                                                       kTestTime,
                                                       kTensileStrength,
                                                       kElongation,
                                                       kStiffness,
                                                       kModulus,
                                                       kProofStrengthOf,
                                                       kProofStrength,
                                                       kTotalStrength,
                                                       kUpperYield,
                                                       kLowerYield,
                                                       kYieldExtension,
                                                       kPlasticAtMax,
                                                       kTotalAtMax,
                                                       kTotalAtFracture,
                                                       kReductionOfArea,
                                                       kCrossheadElongation,
                                                       kForceUnitNote,
                                                       kLengthUnitNote,
                                                       kNoAreaNote,
                                                       kNoGaugeNote,
                                                       kNoPositiveForceNote,
                                                       kNotStraightNote,
                                                       kFitNotTiedNote,
                                                       kTooFewFitNote,
                                                       kNoToeNote,
                                                       kLuBelowL0Note,
                                                       kSuAboveS0Note,
                                                       kUnreachableNote,
                                                       kNoBreakNote,
                                                       kNoBreakWithLuNote,
                                                       kComplianceNote,
                                                       kComplianceDatedNote,
                                                       kComplianceUnitsNote,
                                                       kSpecimenNotStoredNote,
                                                       kNoRecordsNote,
                                                       kBreakAtNote,
                                                       kNoBreakDetectedNote,
                                                       kStrainSource,
                                                       kFitNote,
                                                       kFitOfFm,
                                                       kFitOfReH,
                                                       kFitOfRp,
                                                       kFitSearched,
                                                       kCarriedOverNote};
    return templates;
}
