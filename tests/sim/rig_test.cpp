#include "rig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "card.h"

namespace {

using sim::Button;
using sim::Card;
using sim::Rig;
using sim::RigParams;

class RigTest : public ::testing::Test {
  protected:
    Rig& MakeRig(const RigParams& params = RigParams()) {
        rig_ = std::make_unique<Rig>(card_, params, [this] { return now_; });
        return *rig_;
    }
    // Steps the test clock in the program's tick size, updating the rig as its thread does.
    void Advance(double seconds, double step = 0.01) {
        for (double t = 0.0; t < seconds - 1e-9; t += step) {
            now_ += step;
            rig_->Update();
        }
    }
    double Tension() const { return card_.Voltage(sim::kTensionChannel) * 10.0; }
    void SetOutputs(std::uint16_t word) { card_.WriteRegister(dqx7460::kRegDigitalOut, word); }

    Card card_;
    double now_ = 0.0;
    std::unique_ptr<Rig> rig_;
};

TEST_F(RigTest, DefaultSpecimenPeaksBetweenBreakValueAndForcedStopThenBreaks) {
    Rig& rig = MakeRig();
    rig.Press(Button::kStart);
    double peak = 0.0;
    double start = now_;
    while (rig.State().specimen != sim::SpecimenState::kBroken && now_ - start < 60.0) {
        Advance(0.03, 0.03);
        peak = std::max(peak, Tension());
        EXPECT_NEAR(card_.Voltage(sim::kDisplacementChannel) * 20.0, rig.State().position, 0.05);
    }
    ASSERT_EQ(rig.State().specimen, sim::SpecimenState::kBroken);
    EXPECT_GT(peak, 30.0);
    EXPECT_LT(peak, 35.0);
    EXPECT_GE(now_ - start, 5.0);
    EXPECT_LE(now_ - start, 15.0);
    Advance(0.1);
    EXPECT_GE(peak - Tension(), 30.0);
}

TEST_F(RigTest, PresetsStayBelowOrExceedTheForcedStopAsNamed) {
    for (const std::string& name : sim::PresetNames()) {
        RigParams params;
        ASSERT_TRUE(sim::ApplyPreset(name, &params));
        EXPECT_EQ(sim::ValidateParams(params), "") << name;
        double peak = 0.0;
        for (double e = 0.0; e < params.specimen.breakElongation; e += 0.01) {
            peak = std::max(peak, sim::LoadingForce(params.specimen, e));
        }
        if (name == "strong") {
            EXPECT_GT(peak, 35.0);
        } else if (name == "rigid") {
            EXPECT_GT(peak, 50.0) << "beyond the force range";
        } else {
            EXPECT_GT(peak, 30.0) << name;
            EXPECT_LT(peak, 35.0) << name;
        }
    }
    RigParams params;
    EXPECT_FALSE(sim::ApplyPreset("rubber", &params));
    params.specimen.breakElongation = params.specimen.ultimateElongation;
    EXPECT_NE(sim::ValidateParams(params), "");
}

// Each preset's specimen has the dimensions of a real one for its forces: steel-like
// strengths and a plausible modulus, so the program's results all come out.
TEST_F(RigTest, PresetSpecimensHaveDimensionsThatFitTheirForces) {
    for (const std::string& name : sim::PresetNames()) {
        RigParams params;
        ASSERT_TRUE(sim::ApplyPreset(name, &params));
        const sim::SpecimenParams& s = params.specimen;
        const double rm = s.ultimateForce / s.area;
        const double modulus = s.stiffness * s.gaugeLength / s.area;
        const double elongation = 100 * s.breakElongation / s.gaugeLength;
        EXPECT_GT(rm, 50.0) << name;
        EXPECT_LT(rm, 1000.0) << name;
        EXPECT_GT(modulus, 500.0) << name;
        EXPECT_GT(elongation, 1.0) << name;
        EXPECT_LT(elongation, 100.0) << name;
        EXPECT_LT(s.finalArea, s.area) << name;
        EXPECT_GT(sim::FinalGaugeLength(s), s.gaugeLength) << name;
    }
    RigParams params;
    EXPECT_NEAR(params.specimen.ultimateForce / params.specimen.area, 650.0, 1e-9);
    params.specimen.finalArea = 0.06;
    EXPECT_NE(sim::ValidateParams(params), "") << "Su above S0";
    params.specimen.area = 0;
    EXPECT_NE(sim::ValidateParams(params), "");
}

TEST_F(RigTest, StopLinesHaltTheCrossheadUntilStartedAgain) {
    for (std::uint16_t line : {sim::kOutForcedStop, sim::kOutAutoStop}) {
        SetOutputs(0x00FF);
        Rig& rig = MakeRig();
        rig.Press(Button::kStart);
        Advance(1.0);
        double before = rig.State().position;
        EXPECT_NEAR(before, 2.0, 0.05);
        SetOutputs(0x00FF & ~line);
        Advance(1.0);
        EXPECT_NEAR(rig.State().position, before, 0.01);
        SetOutputs(0x00FF);
        Advance(1.0);
        EXPECT_EQ(rig.State().motion, sim::Motion::kStopped) << "a released line does not restart";

        // A start pressed while the program still holds the line takes effect on release.
        SetOutputs(0x00FF & ~line);
        Advance(0.1);
        rig.Press(Button::kStart);
        Advance(0.5);
        EXPECT_NEAR(rig.State().position, before, 0.01);
        SetOutputs(0x00FF);
        Advance(1.0);
        EXPECT_NEAR(rig.State().position, before + 2.0, 0.05);
    }
}

TEST_F(RigTest, AutoReturnDrivesTheCrossheadHomeAndStopsThere) {
    Rig& rig = MakeRig();
    rig.Press(Button::kStart);
    Advance(3.0);
    ASSERT_NEAR(rig.State().position, 6.0, 0.05);
    SetOutputs(0x00FF & ~sim::kOutAutoReturn);
    Advance(0.6);
    SetOutputs(0x00FF);  // the program releases the line after its return phase
    EXPECT_NEAR(rig.State().position, 3.0, 0.05);
    EXPECT_EQ(rig.State().motion, sim::Motion::kReturning);
    Advance(2.0);
    EXPECT_EQ(rig.State().position, 0.0);
    EXPECT_EQ(rig.State().motion, sim::Motion::kStopped);
    EXPECT_LT(Tension(), 1.0) << "the unloaded specimen goes slack";
}

TEST_F(RigTest, PulsesBetweenTwoUpdatesStillAct) {
    // The program may raise and release a line between two of the rig's looks at the word
    // (a resting rig looks every 10 ms, a 1 ms period pulses for 1 ms).
    Rig& rig = MakeRig();
    rig.Press(Button::kStart);
    Advance(1.0);
    SetOutputs(0x00FF & ~sim::kOutForcedStop);
    SetOutputs(0x00FF);
    Advance(0.5);
    EXPECT_EQ(rig.State().motion, sim::Motion::kStopped);
    const double stoppedAt = rig.State().position;
    EXPECT_NEAR(stoppedAt, 2.0, 0.05);

    SetOutputs(0x00FF & ~sim::kOutAutoReturn);
    SetOutputs(0x00FF);
    Advance(0.2);
    EXPECT_EQ(rig.State().motion, sim::Motion::kReturning);
    EXPECT_NEAR(rig.State().position, stoppedAt - 1.0, 0.05);

    // Edges from before the rig existed move nothing.
    SetOutputs(0x00FF & ~sim::kOutAutoReturn);
    SetOutputs(0x00FF);
    Rig& fresh = MakeRig();
    Advance(0.2);
    EXPECT_EQ(fresh.State().motion, sim::Motion::kStopped);
}

// On a rig whose time stands, a line that fell acts at the next update, not at a later one
// that happens to find time passed: a stop meant for one specimen never stops the next.
TEST_F(RigTest, LinesActWhileTheTimeStands) {
    Rig& rig = MakeRig();
    rig.Press(Button::kStart);
    Advance(1.0);
    SetOutputs(0x00FF & ~sim::kOutAutoStop);
    SetOutputs(0x00FF);
    rig.Update();
    EXPECT_EQ(rig.State().motion, sim::Motion::kStopped);
    SetOutputs(0x00FF & ~sim::kOutAutoReturn);
    SetOutputs(0x00FF);
    rig.Update();
    EXPECT_EQ(rig.State().motion, sim::Motion::kReturning);
    rig.NewSpecimen();
    rig.Press(Button::kStart);
    Advance(0.5);
    EXPECT_EQ(rig.State().motion, sim::Motion::kPulling);
    EXPECT_NEAR(rig.State().position, 3.0, 0.05);
}

TEST_F(RigTest, ActiveWhileMovingOrAButtonIsDown) {
    sim::RigState state;
    EXPECT_FALSE(sim::RigIsActive(state));
    state.inputs = static_cast<std::uint16_t>(0xFFFF & ~sim::kInTravelLimit);
    EXPECT_FALSE(sim::RigIsActive(state)) << "resting at the end of travel";
    for (sim::Motion motion : {sim::Motion::kPulling, sim::Motion::kReturning}) {
        sim::RigState moving;
        moving.motion = motion;
        EXPECT_TRUE(sim::RigIsActive(moving));
    }
    for (std::uint16_t bit : {sim::kInStart, sim::kInStop, sim::kInZero, sim::kInClear}) {
        sim::RigState pressed;
        pressed.inputs = static_cast<std::uint16_t>(0xFFFF & ~bit);
        EXPECT_TRUE(sim::RigIsActive(pressed)) << bit;
    }
}

TEST_F(RigTest, AlarmLinesOnlySignal) {
    Rig& rig = MakeRig();
    rig.Press(Button::kStart);
    SetOutputs(0x00FF & ~(sim::kOutAlarmHigh | sim::kOutAlarmLow | sim::kOutBroken));
    Advance(1.0);
    EXPECT_EQ(rig.State().motion, sim::Motion::kPulling);
    EXPECT_NEAR(rig.State().position, 2.0, 0.05);
}

TEST_F(RigTest, TravelLimitClosesAtTheEndOfTravel) {
    RigParams params;
    params.travelEnd = 5.0;
    params.specimen.breakElongation = 4.0;
    params.specimen.ultimateElongation = 3.5;
    Rig& rig = MakeRig(params);
    EXPECT_NE(card_.DigitalInputs() & sim::kInTravelLimit, 0);
    rig.Press(Button::kStart);
    Advance(2.4);
    EXPECT_NE(card_.DigitalInputs() & sim::kInTravelLimit, 0);
    Advance(0.2);
    EXPECT_EQ(card_.DigitalInputs() & sim::kInTravelLimit, 0);
    EXPECT_EQ(rig.State().position, 5.0);
    EXPECT_EQ(rig.State().motion, sim::Motion::kStopped);

    rig.ReturnHome();
    Advance(0.1);
    EXPECT_NE(card_.DigitalInputs() & sim::kInTravelLimit, 0);
    rig.SetTravelLimitOverride(true);
    EXPECT_EQ(card_.DigitalInputs() & sim::kInTravelLimit, 0);
    rig.SetTravelLimitOverride(false);
    EXPECT_NE(card_.DigitalInputs() & sim::kInTravelLimit, 0);
}

TEST_F(RigTest, ButtonPressHoldsItsBitLowThenReleases) {
    Rig& rig = MakeRig();
    EXPECT_EQ(card_.DigitalInputs(), 0xFFFF);
    // The default hold is 150 ms; a press may ask for its own.
    const struct {
        Button button;
        double holdMs;
        std::uint16_t bit;
        double heldFor;
    } presses[] = {{Button::kZero, -1.0, sim::kInZero, 0.14},
                   {Button::kClear, 400, sim::kInClear, 0.39}};
    for (const auto& press : presses) {
        rig.Press(press.button, press.holdMs);
        Advance(press.heldFor);
        EXPECT_EQ(card_.DigitalInputs(), 0xFFFF & ~press.bit);
        Advance(0.02);
        EXPECT_EQ(card_.DigitalInputs(), 0xFFFF);
    }

    rig.SetButton(Button::kStop, true);
    Advance(2.0);
    EXPECT_EQ(card_.DigitalInputs(), 0xFFFF & ~sim::kInStop);
    rig.SetButton(Button::kStop, false);
    EXPECT_EQ(card_.DigitalInputs(), 0xFFFF);
}

// A press asking to be held for ever, or for longer than a minute, still ends in a minute.
TEST_F(RigTest, LongPressesReleaseAfterAMinute) {
    for (double holdMs : {1e300, std::numeric_limits<double>::infinity(),
                          std::numeric_limits<double>::quiet_NaN(), 120000.0}) {
        SCOPED_TRACE(holdMs);
        Rig& rig = MakeRig();
        rig.Press(Button::kStart, holdMs);
        Advance(sim::kMaxButtonHoldMs / 1000.0 - 0.01);
        EXPECT_EQ(card_.DigitalInputs() & sim::kInStart, 0);
        Advance(0.02);
        EXPECT_NE(card_.DigitalInputs() & sim::kInStart, 0);
    }
}

TEST_F(RigTest, ShortPressesStayLowForTwoInputPolls) {
    // However short the press, from the control socket or the panel, the program's 30 ms
    // input poll must see it at least twice.
    const struct {
        const char* source;
        bool panel;
        double holdMs;
    } presses[] = {{"press 0 ms", false, 0.0},
                   {"press 1 ms", false, 1.0},
                   {"panel click 1 ms", true, 1.0},
                   {"panel click 0 ms", true, 0.0}};
    for (const auto& press : presses) {
        SCOPED_TRACE(press.source);
        Rig& rig = MakeRig();
        if (press.panel) {
            rig.SetButton(Button::kZero, true);
            now_ += press.holdMs / 1000.0;
            rig.SetButton(Button::kZero, false);
        } else {
            rig.Press(Button::kZero, press.holdMs);
        }
        Advance(0.06, 0.001);
        EXPECT_EQ(card_.DigitalInputs(), 0xFFFF & ~sim::kInZero);
        Advance(0.011, 0.001);
        EXPECT_EQ(card_.DigitalInputs(), 0xFFFF);
    }
}

TEST_F(RigTest, StartAfterABreakMountsAFreshSpecimen) {
    Rig& rig = MakeRig();
    rig.Press(Button::kStart);
    Advance(17.0, 0.05);
    ASSERT_EQ(rig.State().specimen, sim::SpecimenState::kBroken);
    rig.Press(Button::kStop);
    rig.Press(Button::kStart);
    Advance(0.5);
    // Of the crosshead's 1 mm the fresh grips' slack takes the toe again; specimen and load
    // train share the rest.
    const RigParams& p = rig.Params();
    const double elongation = (1.0 - p.toe) / (1.0 + p.specimen.stiffness * p.compliance);
    sim::RigState state = rig.State();
    EXPECT_EQ(state.specimen, sim::SpecimenState::kElastic);
    EXPECT_NEAR(state.elongation, elongation, 0.05);
    EXPECT_NEAR(state.force, p.specimen.stiffness * elongation, 0.5);
}

TEST_F(RigTest, RigOffLeavesTheChannelsAndInputsAlone) {
    Rig& rig = MakeRig();
    rig.SetDriving(false);
    card_.SetVoltage(sim::kTensionChannel, 1.5);
    card_.SetDigitalInputs(0x1234);
    rig.Press(Button::kStart);
    Advance(1.0);
    EXPECT_EQ(card_.Voltage(sim::kTensionChannel), 1.5);
    EXPECT_EQ(card_.DigitalInputs(), 0x1234);
    EXPECT_GT(rig.State().position, 1.9) << "the mechanics run on";
}

}  // namespace
