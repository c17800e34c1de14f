#include "rig.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {

// Motion is integrated in steps this short, so the travel end, home and the break are
// never overshot by more than a step's travel.
constexpr double kMaxStep = 0.001;
constexpr int kMaxStepsPerUpdate = 100000;

struct Preset {
    const char* name;
    SpecimenParams specimen;
};

// stiffness, yield force, plateau, ultimate force, ultimate elongation, break force,
// break elongation, S0, L0, Su. The wires (S0 0.05 mm², a diameter of about 0.25 mm) reach
// 620-840 MPa; the ductile one is a polymer film strip 10 mm wide and 0.05 mm thick.
const Preset kPresets[] = {
    {"default", {10.0, 20.0, 1.0, 32.5, 12.0, 26.0, 16.0, 0.05, 100.0, 0.03}},
    {"brittle", {12.0, 30.0, 0.0, 31.0, 3.0, 30.9, 3.1, 0.05, 100.0, 0.048}},
    {"ductile", {8.0, 16.0, 3.0, 31.5, 30.0, 20.0, 42.0, 0.5, 50.0, 0.25}},
    {"strong", {15.0, 30.0, 0.5, 42.0, 10.0, 36.0, 13.0, 0.05, 100.0, 0.035}},
};

}  // namespace

double FinalGaugeLength(const SpecimenParams& specimen) {
    return specimen.gaugeLength + specimen.breakElongation -
           specimen.breakForce / specimen.stiffness;
}

std::vector<std::string> PresetNames() {
    std::vector<std::string> names;
    for (const Preset& preset : kPresets) names.emplace_back(preset.name);
    return names;
}

bool ApplyPreset(const std::string& name, RigParams* params) {
    for (const Preset& preset : kPresets) {
        if (name == preset.name) {
            params->specimen = preset.specimen;
            return true;
        }
    }
    return false;
}

std::string ValidateParams(const RigParams& p) {
    const SpecimenParams& s = p.specimen;
    if (!(s.stiffness > 0.0)) return "stiffness must be positive";
    if (!(s.yieldForce > 0.0)) return "yield force must be positive";
    if (!(s.yieldPlateau >= 0.0)) return "yield plateau must not be negative";
    if (!(s.ultimateForce >= s.yieldForce)) return "ultimate force must be at least the yield";
    if (!(s.ultimateElongation >= s.yieldForce / s.stiffness + s.yieldPlateau)) {
        return "ultimate elongation must lie beyond the yield plateau";
    }
    if (!(s.breakElongation > s.ultimateElongation)) {
        return "break elongation must exceed the ultimate elongation";
    }
    if (!(s.breakForce >= 0.0 && s.breakForce <= s.ultimateForce)) {
        return "break force must lie between 0 and the ultimate force";
    }
    if (!(s.area > 0.0) || !(s.gaugeLength > 0.0)) return "specimen dimensions must be positive";
    if (!(s.finalArea > 0.0 && s.finalArea <= s.area)) {
        return "final area must lie between 0 and the area";
    }
    if (!(p.speed > 0.0) || !(p.returnSpeed > 0.0)) return "speeds must be positive";
    if (!(p.travelEnd > 0.0)) return "travel end must be positive";
    if (!(p.forceNoise >= 0.0) || !(p.displacementNoise >= 0.0)) {
        return "noise must not be negative";
    }
    if (!(p.buttonHoldMs > 0.0)) return "button hold time must be positive";
    if (!(p.newtonsPerVolt > 0.0) || !(p.mmPerVolt > 0.0)) return "sensor scales must be positive";
    return "";
}

const char* SpecimenStateName(SpecimenState state) {
    switch (state) {
        case SpecimenState::kElastic:
            return "elastic";
        case SpecimenState::kYield:
            return "yield";
        case SpecimenState::kHardening:
            return "hardening";
        case SpecimenState::kNecking:
            return "necking";
        case SpecimenState::kBroken:
            return "broken";
    }
    return "";
}

const char* MotionName(Motion motion) {
    switch (motion) {
        case Motion::kStopped:
            return "stopped";
        case Motion::kPulling:
            return "pulling";
        case Motion::kReturning:
            return "returning";
    }
    return "";
}

const char* ButtonName(Button button) {
    switch (button) {
        case Button::kStart:
            return "start";
        case Button::kStop:
            return "stop";
        case Button::kZero:
            return "zero";
        case Button::kClear:
            return "clear";
    }
    return "";
}

bool ParseButton(const std::string& name, Button* button) {
    for (Button b : {Button::kStart, Button::kStop, Button::kZero, Button::kClear}) {
        if (name == ButtonName(b)) {
            *button = b;
            return true;
        }
    }
    return false;
}

std::uint16_t ButtonBit(Button button) {
    switch (button) {
        case Button::kStart:
            return kInStart;
        case Button::kStop:
            return kInStop;
        case Button::kZero:
            return kInZero;
        case Button::kClear:
            return kInClear;
    }
    return 0;
}

double LoadingForce(const SpecimenParams& s, double e) {
    double yieldElongation = s.yieldForce / s.stiffness;
    double hardeningStart = yieldElongation + s.yieldPlateau;
    if (e <= 0.0) return 0.0;
    if (e < yieldElongation) return s.stiffness * e;
    if (e < hardeningStart) return s.yieldForce;
    if (e < s.ultimateElongation) {
        double t = (e - hardeningStart) / (s.ultimateElongation - hardeningStart);
        return s.yieldForce + (s.ultimateForce - s.yieldForce) * (1.0 - (1.0 - t) * (1.0 - t));
    }
    double u =
        std::min(1.0, (e - s.ultimateElongation) / (s.breakElongation - s.ultimateElongation));
    return s.ultimateForce - (s.ultimateForce - s.breakForce) * u * u;
}

SpecimenState LoadingStage(const SpecimenParams& s, double e) {
    double yieldElongation = s.yieldForce / s.stiffness;
    if (e < yieldElongation) return SpecimenState::kElastic;
    if (e < yieldElongation + s.yieldPlateau) return SpecimenState::kYield;
    if (e < s.ultimateElongation) return SpecimenState::kHardening;
    return SpecimenState::kNecking;
}

Rig::Rig(Card& card, RigParams params, Clock clock)
    : card_(card), params_(params), clock_(std::move(clock)), random_(params.seed), now_(clock_()) {
    std::lock_guard<std::mutex> lock(mutex_);
    // Only what the program does from now on moves the crosshead.
    card_.TakeOutputFalls();
    DriveCard();
}

void Rig::Update() {
    std::lock_guard<std::mutex> lock(mutex_);
    UpdateLocked();
}

void Rig::UpdateLocked() {
    ApplyOutputFalls();
    double target = clock_();
    double dt = target - now_;
    if (dt > 0.0) {
        int steps = static_cast<int>(std::ceil(dt / kMaxStep));
        steps = std::clamp(steps, 1, kMaxStepsPerUpdate);
        double h = dt / steps;
        for (int i = 0; i < steps; ++i) Step(h);
        now_ = target;
    }
    DriveCard();
}

// The lines act on their falling edge, as the drive's latching relays do, at the first
// update after it even while the rig's time stands.
void Rig::ApplyOutputFalls() {
    std::uint16_t fell = card_.TakeOutputFalls();
    if ((fell & (kOutForcedStop | kOutAutoStop)) != 0) motion_ = Motion::kStopped;
    if ((fell & kOutAutoReturn) != 0) motion_ = Motion::kReturning;
}

void Rig::Step(double h) {
    std::uint16_t outputs = card_.DigitalOutputs();
    bool stopLine = (outputs & kOutForcedStop) == 0 || (outputs & kOutAutoStop) == 0;
    // While a stop line stays active the drive is held, so a start pressed meanwhile takes
    // effect once the program releases the line.
    if (!stopLine) {
        if (motion_ == Motion::kPulling) {
            position_ += params_.speed * h;
            if (position_ >= params_.travelEnd) {
                position_ = params_.travelEnd;
                motion_ = Motion::kStopped;
            }
        } else if (motion_ == Motion::kReturning) {
            position_ -= params_.returnSpeed * h;
            if (position_ <= 0.0) {
                position_ = 0.0;
                motion_ = Motion::kStopped;
            }
        }
    }

    if (broken_) {
        force_ = 0.0;
        return;
    }
    double elongation = position_ - mountPosition_;
    const SpecimenParams& s = params_.specimen;
    if (elongation >= maxElongation_) {
        maxElongation_ = elongation;
        if (maxElongation_ >= s.breakElongation) {
            broken_ = true;
            force_ = 0.0;
            return;
        }
        force_ = LoadingForce(s, elongation);
    } else {
        // Unloading runs down the elastic line from the furthest point reached; a slack
        // specimen carries nothing.
        force_ = std::max(
            0.0, LoadingForce(s, maxElongation_) - s.stiffness * (maxElongation_ - elongation));
    }
    peakForce_ = std::max(peakForce_, force_);
}

std::uint16_t Rig::InputWord() const {
    std::uint16_t word = 0xFFFF;
    if (travelOverride_ || position_ >= params_.travelEnd) word &= ~kInTravelLimit;
    for (Button b : {Button::kStart, Button::kStop, Button::kZero, Button::kClear}) {
        int i = static_cast<int>(b);
        if (held_[i] || now_ < releaseAt_[i]) word &= ~ButtonBit(b);
    }
    return word;
}

void Rig::DriveCard() {
    if (!driving_) return;
    double force = force_ + params_.forceNoise * noise_(random_);
    double position = position_ + params_.displacementNoise * noise_(random_);
    card_.SetVoltage(kTensionChannel, force / params_.newtonsPerVolt);
    card_.SetVoltage(kDisplacementChannel, position / params_.mmPerVolt);
    card_.SetDigitalInputs(InputWord());
}

void Rig::ApplyButton(Button button) {
    if (button == Button::kStart) {
        if (broken_) MountSpecimen();
        motion_ = Motion::kPulling;
    } else if (button == Button::kStop) {
        motion_ = Motion::kStopped;
    }
}

void Rig::MountSpecimen() {
    mountPosition_ = position_;
    maxElongation_ = 0.0;
    force_ = 0.0;
    peakForce_ = 0.0;
    broken_ = false;
}

void Rig::Press(Button button, double holdMs) {
    std::lock_guard<std::mutex> lock(mutex_);
    UpdateLocked();
    double hold = std::max(holdMs < 0.0 ? params_.buttonHoldMs : holdMs, kMinButtonHoldMs);
    if (!(hold <= kMaxButtonHoldMs)) hold = kMaxButtonHoldMs;
    releaseAt_[static_cast<int>(button)] = now_ + hold / 1000.0;
    ApplyButton(button);
    DriveCard();
}

void Rig::SetButton(Button button, bool down) {
    std::lock_guard<std::mutex> lock(mutex_);
    UpdateLocked();
    int i = static_cast<int>(button);
    if (down && !held_[i]) {
        ApplyButton(button);
        pressedAt_[i] = now_;
    } else if (!down && held_[i]) {
        releaseAt_[i] = std::max(releaseAt_[i], pressedAt_[i] + kMinButtonHoldMs / 1000.0);
    }
    held_[i] = down;
    DriveCard();
}

void Rig::SetTravelLimitOverride(bool closed) {
    std::lock_guard<std::mutex> lock(mutex_);
    UpdateLocked();
    travelOverride_ = closed;
    DriveCard();
}

void Rig::SetDriving(bool on) {
    std::lock_guard<std::mutex> lock(mutex_);
    UpdateLocked();
    driving_ = on;
    DriveCard();
}

void Rig::ReturnHome() {
    std::lock_guard<std::mutex> lock(mutex_);
    UpdateLocked();
    if (position_ > 0.0) motion_ = Motion::kReturning;
}

void Rig::NewSpecimen() {
    std::lock_guard<std::mutex> lock(mutex_);
    UpdateLocked();
    MountSpecimen();
    DriveCard();
}

bool RigIsActive(const RigState& state) {
    constexpr std::uint16_t kButtonInputs = kInStart | kInStop | kInZero | kInClear;
    return state.motion != Motion::kStopped || (state.inputs & kButtonInputs) != kButtonInputs;
}

RigState Rig::State() const {
    std::lock_guard<std::mutex> lock(mutex_);
    RigState state;
    state.time = now_;
    state.position = position_;
    state.elongation = position_ - mountPosition_;
    state.force = force_;
    state.peakForce = peakForce_;
    state.specimen =
        broken_ ? SpecimenState::kBroken : LoadingStage(params_.specimen, maxElongation_);
    state.motion = motion_;
    state.travelLimit = (InputWord() & kInTravelLimit) == 0;
    state.driving = driving_;
    state.inputs = InputWord();
    state.outputs = card_.DigitalOutputs();
    return state;
}

}  // namespace sim
