#include "results/result_texts.h"

namespace {

constexpr char kMaxForceInFiles[] = "最大力 Fm";

}  // namespace

std::string FileResultName(const std::string& engineName) {
    return engineName == result_text::kMaxForce ? kMaxForceInFiles : engineName;
}

std::string EngineResultName(const std::string& fileName) {
    return fileName == kMaxForceInFiles ? result_text::kMaxForce : fileName;
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
                                                       kCarriedOverNote,
                                                       kExtensometerSourceNote,
                                                       kExtensometerSourceLuNote,
                                                       kNoExtensometerReadingsNote,
                                                       kNoGaugeWithExtensometerNote,
                                                       kExtensometerFitNote,
                                                       kCrossheadFitNote,
                                                       kRemovalNote,
                                                       kRemovalCorrectedNote,
                                                       kJoinedAtMaxNote,
                                                       kJoinedYieldNote,
                                                       kJoinedAllNote,
                                                       kCrossheadFitNotes.bent,
                                                       kCrossheadFitNotes.notTied,
                                                       kCrossheadFitNotes.tooFew,
                                                       kCrossheadFitNotes.uncorrected,
                                                       kExtensometerFitNotes.bent,
                                                       kExtensometerFitNotes.notTied,
                                                       kExtensometerFitNotes.tooFew,
                                                       kExtensometerFitNotes.uncorrected};
    return templates;
}
