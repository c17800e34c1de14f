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
// 620-840 MPa; the ductile one is a polymer film strip 10 mm wide and 0.05 mm thick. The
// rigid one, for measuring the load train's compliance, is a steel bar of 10 mm² whose
// 20 kN/mm make its own stretch a thousandth of the train's, which stays elastic far
// beyond the force range and necks so gently that a soft train does not snap it.
const Preset kPresets[] = {
    {"default", {10.0, 20.0, 1.0, 32.5, 12.0, 26.0, 16.0, 0.05, 100.0, 0.03}},
    {"brittle", {12.0, 30.0, 0.0, 31.0, 3.0, 30.9, 3.1, 0.05, 100.0, 0.048}},
    {"ductile", {8.0, 16.0, 3.0, 31.5, 30.0, 20.0, 42.0, 0.5, 50.0, 0.25}},
    {"strong", {15.0, 30.0, 0.5, 42.0, 10.0, 36.0, 13.0, 0.05, 100.0, 0.035}},
    {"rigid", {20000.0, 2000.0, 0.0, 4000.0, 1.0, 3990.0, 50.0, 10.0, 100.0, 8.0}},
};

// Bisection stops when the elongation is known this closely (mm).
constexpr double kElongationTolerance = 1e-9;

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
    if (!(p.compliance >= 0.0 && std::isfinite(p.compliance))) {
        return "compliance must not be negative";
    }
    // A train that springs back faster than the necking specimen loses force would fling
    // the specimen apart: there is no steady state to simulate.
    double neckingSlope =
        2.0 * (s.ultimateForce - s.breakForce) / (s.breakElongation - s.ultimateElongation);
    if (!(p.compliance * neckingSlope < 1.0)) {
        return "compliance too large: the necking specimen would snap";
    }
    if (!(p.toe >= 0.0 && std::isfinite(p.toe))) return "toe must not be negative";
    if (!(p.toeForce > 0.0 && std::isfinite(p.toeForce))) return "toe force must be positive";
    if (!(p.extensometerLength > 0.0 && std::isfinite(p.extensometerLength)) ||
        !(p.extensometerMmPerVolt > 0.0 && std::isfinite(p.extensometerMmPerVolt))) {
        return "extensometer gauge length and scale must be positive";
    }
    if (!(p.extensometerNoise >= 0.0)) return "noise must not be negative";
    if (p.extensometerOffAt && !(*p.extensometerOffAt > 0.0)) {
        return "extensometer off-at strain must be positive";
    }
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

double ToeTravel(const RigParams& p, double force) {
    if (force >= p.toeForce) return p.toe;
    double slack = 1.0 - std::max(0.0, force) / p.toeForce;
    return p.toe * (1.0 - slack * slack);
}

SpecimenState LoadingStage(const SpecimenParams& s, double e) {
    double yieldElongation = s.yieldForce / s.stiffness;
    if (e < yieldElongation) return SpecimenState::kElastic;
    if (e < yieldElongation + s.yieldPlateau) return SpecimenState::kYield;
    if (e < s.ultimateElongation) return SpecimenState::kHardening;
    return SpecimenState::kNecking;
}

Rig::Rig(Card& card, RigParams params, Clock clock)
    : card_(card),
      params_(params),
      clock_(std::move(clock)),
      random_(params.seed),
      extensometerRandom_(params.seed + 1),
      now_(clock_()) {
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

    // The crosshead's travel since the mount is the specimen's elongation, the load train's
    // deflection and the slack the grips have taken up.
    double travel = position_ - mountPosition_;
    if (broken_) {
        force_ = 0.0;
        elongation_ = travel - toe_;
        return;
    }
    const SpecimenParams& s = params_.specimen;
    double elongation = SolveElongation(travel);
    if (elongation >= maxElongation_) {
        maxElongation_ = elongation;
        if (maxElongation_ >= s.breakElongation) {
            broken_ = true;
            force_ = 0.0;
            elongation_ = travel - toe_;
            return;
        }
    }
    elongation_ = elongation;
    force_ = SpecimenForce(elongation);
    peakForce_ = std::max(peakForce_, force_);
    // Seated wedges stay seated: the slack does not come back as the force falls.
    toe_ = std::max(toe_, ToeTravel(params_, force_));
    // The operator takes the extensometer off once, as the strain passes the mark; one
    // clipped on again afterwards stays.
    if (params_.extensometerOffAt && !offAtPassed_ &&
        100.0 * elongation_ / s.gaugeLength >= *params_.extensometerOffAt) {
        offAtPassed_ = true;
        if (extensometerOn_) {
            extensometerOn_ = false;
            offAtStrain_ = true;
        }
    }
}

// Force at an elongation of the present specimen: the loading curve beyond the furthest
// point reached, below it the elastic line down from there; a slack specimen carries nothing.
double Rig::SpecimenForce(double elongation) const {
    const SpecimenParams& s = params_.specimen;
    if (elongation >= maxElongation_) return LoadingForce(s, elongation);
    return std::max(0.0,
                    LoadingForce(s, maxElongation_) - s.stiffness * (maxElongation_ - elongation));
}

// The elongation at which specimen, train and grips share the crosshead's travel. The
// travel rises with the elongation (the validation keeps the train stiffer than the
// necking), and the elongation lies between the travel less the most the train and grips
// can take and the travel itself.
double Rig::SolveElongation(double travel) const {
    auto travelAt = [this](double elongation) {
        double force = SpecimenForce(elongation);
        return elongation + params_.compliance * force + std::max(toe_, ToeTravel(params_, force));
    };
    double low = travel - params_.compliance * params_.specimen.ultimateForce - params_.toe;
    double high = travel;
    while (high - low > kElongationTolerance) {
        double middle = 0.5 * (low + high);
        (travelAt(middle) < travel ? low : high) = middle;
    }
    return high;
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
    double extensometer = 0.0;
    if (extensometerOn_) {
        extensometer =
            (Extension() + params_.extensometerNoise * extensometerNoise_(extensometerRandom_)) /
            params_.extensometerMmPerVolt;
    }
    card_.SetVoltage(kExtensometerChannel, extensometer);
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
    elongation_ = 0.0;
    maxElongation_ = 0.0;
    force_ = 0.0;
    peakForce_ = 0.0;
    toe_ = 0.0;
    broken_ = false;
    offAtPassed_ = false;
    if (offAtStrain_) extensometerOn_ = true;
    offAtStrain_ = false;
}

double Rig::Extension() const {
    return elongation_ * params_.extensometerLength / params_.specimen.gaugeLength;
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

void Rig::SetExtensometer(bool on) {
    std::lock_guard<std::mutex> lock(mutex_);
    UpdateLocked();
    extensometerOn_ = on;
    offAtStrain_ = false;
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
    state.elongation = elongation_;
    state.force = force_;
    state.peakForce = peakForce_;
    state.toe = toe_;
    state.extension = Extension();
    state.extensometer = extensometerOn_;
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
