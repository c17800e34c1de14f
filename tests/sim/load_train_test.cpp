// The crosshead against the specimen: the load train's deflection, the grips' slack, the
// clip-on extensometer and the rigid calibration specimen.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "card.h"
#include "rig.h"

namespace {

using sim::Button;
using sim::RigParams;
using sim::RigState;

class LoadTrainTest : public ::testing::Test {
  protected:
    sim::Rig& MakeRig(const RigParams& params) {
        rig_ = std::make_unique<sim::Rig>(card_, params, [this] { return now_; });
        return *rig_;
    }
    void Step(double seconds = 0.01) {
        now_ += seconds;
        rig_->Update();
    }
    double Force() const {
        return card_.Voltage(sim::kTensionChannel) * rig_->Params().newtonsPerVolt;
    }
    double Crosshead() const {
        return card_.Voltage(sim::kDisplacementChannel) * rig_->Params().mmPerVolt;
    }
    // The extensometer's strain as the card reads it, in %.
    double ExtensometerStrain() const {
        const RigParams& p = rig_->Params();
        return 100.0 * card_.Voltage(sim::kExtensometerChannel) * p.extensometerMmPerVolt /
               p.extensometerLength;
    }
    double SpecimenStrain() const {
        return 100.0 * rig_->State().elongation / rig_->Params().specimen.gaugeLength;
    }
    void SetOutputs(std::uint16_t word) { card_.WriteRegister(dqx7460::kRegDigitalOut, word); }

    sim::Card card_;
    double now_ = 0.0;
    std::unique_ptr<sim::Rig> rig_;
};

// Least-squares slope of y over x.
double Slope(const std::vector<std::pair<double, double>>& points) {
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (const auto& [x, y] : points) {
        sx += x;
        sy += y;
        sxx += x * x;
        sxy += x * y;
    }
    const double n = static_cast<double>(points.size());
    return (n * sxy - sx * sy) / (n * sxx - sx * sx);
}

TEST_F(LoadTrainTest, CrossheadTravelsTheElongationTheTrainsDeflectionAndTheToe) {
    RigParams params;
    params.forceNoise = 0;
    params.displacementNoise = 0;
    sim::Rig& rig = MakeRig(params);
    ASSERT_GT(params.compliance, 0.0);
    ASSERT_GT(params.toe, 0.0);
    rig.Press(Button::kStart);
    double toe = 0;
    double peak = 0;
    while (rig.State().specimen != sim::SpecimenState::kBroken && now_ < 30) {
        Step(0.02);
        const RigState s = rig.State();
        ASSERT_NEAR(s.position - s.force * params.compliance, s.elongation + s.toe, 1e-6)
            << "at " << s.position << " mm";
        EXPECT_GE(s.toe, toe) << "the slack only tightens";
        toe = s.toe;
        peak = std::max(peak, s.force);
        if (s.force >= params.toeForce || peak > s.force) {
            EXPECT_EQ(s.toe, params.toe);
        }
    }
    ASSERT_EQ(rig.State().specimen, sim::SpecimenState::kBroken);
    // The specimen still breaks at its own elongation; the crosshead has gone further.
    const double beyond = params.compliance * params.specimen.breakForce + params.toe;
    EXPECT_NEAR(rig.State().position, params.specimen.breakElongation + beyond, 0.1);

    // Unloaded on the way home, the train springs back and the seated grips stay seated.
    rig.Press(Button::kStart);
    const double mount = rig.State().position;
    Step(1.0);
    SetOutputs(0x00FF & ~sim::kOutAutoReturn);
    for (int i = 0; i < 20; ++i) {
        Step(0.02);
        const RigState s = rig.State();
        ASSERT_NEAR(s.position - mount - s.force * params.compliance, s.elongation + s.toe, 1e-6);
        EXPECT_EQ(s.toe, params.toe);
    }
}

// In the toe the force climbs slowly, then ever faster, to the train's and specimen's
// combined stiffness: with the default rig, the crosshead's stiffness is more than a fifth
// below the specimen's, as on a real machine.
TEST_F(LoadTrainTest, ToeRisesSlowlyAndTheCrossheadStiffnessIsTooLow) {
    sim::Rig& rig = MakeRig(RigParams());
    const RigParams& p = rig.Params();
    rig.Press(Button::kStart);
    std::vector<std::pair<double, double>> toe, elastic;
    while (rig.State().specimen == sim::SpecimenState::kElastic && now_ < 10) {
        Step(0.005);
        const RigState s = rig.State();
        if (s.force < 0.5 * p.toeForce) toe.emplace_back(s.position, s.force);
        // The program fits its elastic line between 10 and 40 % of the yield.
        if (s.force > 0.1 * p.specimen.yieldForce && s.force < 0.4 * p.specimen.yieldForce) {
            elastic.emplace_back(Crosshead(), Force());
        }
    }
    ASSERT_GT(toe.size(), 5u);
    ASSERT_GT(elastic.size(), 50u);
    const double combined = 1.0 / (1.0 / p.specimen.stiffness + p.compliance);
    EXPECT_NEAR(Slope(elastic), combined, 0.02 * combined);
    EXPECT_LT(Slope(elastic), 0.8 * p.specimen.stiffness);
    EXPECT_LT(Slope(toe), 0.5 * combined);

    // With no compliance and no slack the crosshead is the specimen.
    RigParams ideal;
    ideal.compliance = 0;
    ideal.toe = 0;
    sim::Rig& stiff = MakeRig(ideal);
    stiff.Press(Button::kStart);
    Step(0.5);
    EXPECT_EQ(stiff.State().elongation, stiff.State().position);
    EXPECT_EQ(stiff.State().force, ideal.specimen.stiffness * stiff.State().position);
}

TEST_F(LoadTrainTest, ExtensometerReadsTheSpecimensStrainUntilTakenOff) {
    RigParams params;
    params.extensometerOffAt = 5.0;
    sim::Rig& rig = MakeRig(params);
    // Four standard deviations of its noise, as a strain.
    const double noise = 400.0 * params.extensometerNoise / params.extensometerLength;
    rig.Press(Button::kStart);
    int read = 0;
    for (Step(0.02); SpecimenStrain() < 5.0; Step(0.02)) {
        ASSERT_TRUE(rig.State().extensometer);
        ASSERT_NEAR(ExtensometerStrain(), SpecimenStrain(), noise) << "at " << SpecimenStrain();
        ++read;
        // Not the crosshead's strain: that holds the train's deflection and the slack too.
        if (SpecimenStrain() > 4.0) {
            EXPECT_GT(100.0 * Crosshead() / params.specimen.gaugeLength,
                      ExtensometerStrain() + 1.0);
        }
    }
    EXPECT_GT(read, 50);
    EXPECT_FALSE(rig.State().extensometer);
    EXPECT_EQ(card_.Voltage(sim::kExtensometerChannel), 0.0);
    Step(1.0);
    EXPECT_EQ(card_.Voltage(sim::kExtensometerChannel), 0.0);

    // Clipped on again by hand it reads on past the mark; off by hand it reads nothing.
    rig.SetExtensometer(true);
    EXPECT_TRUE(rig.State().extensometer);
    Step(0.5);
    EXPECT_NEAR(ExtensometerStrain(), SpecimenStrain(), noise);
    rig.SetExtensometer(false);
    EXPECT_EQ(card_.Voltage(sim::kExtensometerChannel), 0.0);
    EXPECT_FALSE(rig.State().extensometer);

    // Taken off by hand it stays off on the next specimen; taken off at the mark, the next
    // specimen gets it back.
    rig.NewSpecimen();
    Step(0.5);
    EXPECT_FALSE(rig.State().extensometer);
    EXPECT_EQ(card_.Voltage(sim::kExtensometerChannel), 0.0);
    rig.SetExtensometer(true);
    while (SpecimenStrain() < 5.0) Step(0.02);
    EXPECT_FALSE(rig.State().extensometer);
    rig.NewSpecimen();
    EXPECT_TRUE(rig.State().extensometer);
    Step(0.5);
    EXPECT_NEAR(ExtensometerStrain(), SpecimenStrain(), noise);
    EXPECT_GT(ExtensometerStrain(), 0.1);
}

// The calibration run: the crosshead's travel over force beyond the toe is the compliance,
// give or take the rigid bar's own 0.00005 mm/N and the sensors' noise.
TEST_F(LoadTrainTest, RigidSpecimenMeasuresTheCompliance) {
    for (double compliance : {0.04, 0.01, 0.2}) {
        SCOPED_TRACE(compliance);
        RigParams params;
        ASSERT_TRUE(sim::ApplyPreset("rigid", &params));
        params.compliance = compliance;
        ASSERT_EQ(sim::ValidateParams(params), "");
        SetOutputs(0x00FF);
        sim::Rig& rig = MakeRig(params);
        rig.Press(Button::kStart);
        std::vector<std::pair<double, double>> read, model;
        // The program's forced stop at 35 N.
        while (rig.State().motion == sim::Motion::kPulling && now_ < 100) {
            Step(0.001);
            const RigState s = rig.State();
            if (s.force > 2 * params.toeForce) {
                read.emplace_back(Force(), Crosshead());
                model.emplace_back(s.force, s.position);
            }
            if (Force() >= 35.0) SetOutputs(0x00FF & ~sim::kOutForcedStop);
        }
        EXPECT_EQ(rig.State().specimen, sim::SpecimenState::kElastic);
        ASSERT_GT(read.size(), 100u);
        EXPECT_NEAR(Slope(model), compliance + 1.0 / params.specimen.stiffness, 1e-9);
        EXPECT_NEAR(Slope(read), compliance, 1.5e-4);
    }

    // Left to pull, it reaches the end of travel far beyond the force range, unbroken.
    RigParams params;
    ASSERT_TRUE(sim::ApplyPreset("rigid", &params));
    SetOutputs(0x00FF);
    sim::Rig& rig = MakeRig(params);
    rig.Press(Button::kStart);
    while (rig.State().motion == sim::Motion::kPulling && now_ < 200) Step(0.05);
    EXPECT_EQ(rig.State().position, params.travelEnd);
    EXPECT_GT(rig.State().force, 1000.0);
    EXPECT_NE(rig.State().specimen, sim::SpecimenState::kBroken);
}

}  // namespace
