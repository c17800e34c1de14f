// The tensile rig behind the card: a crosshead pulling a specimen through a compliant load
// train and grips with slack, the tension and crosshead sensors on analog channels 0 and 1,
// a clip-on extensometer on channel 2, the push-buttons and the travel-limit switch on the
// digital inputs, and the stop and return lines on the digital outputs. Time comes from an
// injected clock so that tests can step it.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "card.h"

namespace sim {

// Digital inputs (active low).
constexpr std::uint16_t kInTravelLimit = 1u << 0;
constexpr std::uint16_t kInStop = 1u << 1;
constexpr std::uint16_t kInZero = 1u << 2;
constexpr std::uint16_t kInClear = 1u << 3;
constexpr std::uint16_t kInStart = 1u << 4;
// Digital outputs (active low).
constexpr std::uint16_t kOutForcedStop = 1u << 0;
constexpr std::uint16_t kOutAlarmHigh = 1u << 1;
constexpr std::uint16_t kOutAlarmLow = 1u << 2;
constexpr std::uint16_t kOutBroken = 1u << 3;
constexpr std::uint16_t kOutAutoStop = 1u << 4;
constexpr std::uint16_t kOutAutoReturn = 1u << 5;
constexpr int kOutputLines = 6;

// The shortest time a pressed button's input reads low, however briefly it was pressed:
// the program polls the inputs every 30 ms, so this spans two polls with room to spare.
constexpr double kMinButtonHoldMs = 70.0;
// The longest a press holds its button: a press meant for ever would keep the rig started
// (or stopped) with no way to take it back.
constexpr double kMaxButtonHoldMs = 60000.0;

constexpr int kTensionChannel = 0;
constexpr int kDisplacementChannel = 1;
constexpr int kExtensometerChannel = 2;

// Force over elongation while loading: elastic line up to the yield force, a yield plateau,
// hardening up to the ultimate force, then necking down to the break force at the break
// elongation, where the specimen parts.
struct SpecimenParams {
    double stiffness = 10.0;           // N/mm
    double yieldForce = 20.0;          // N
    double yieldPlateau = 1.0;         // mm
    double ultimateForce = 32.5;       // N
    double ultimateElongation = 12.0;  // mm
    double breakForce = 26.0;          // N, just before the break
    double breakElongation = 16.0;     // mm
    // The specimen's dimensions, for the program's strengths and strains: a thin wire whose
    // forces above give the stresses of a steel.
    double area = 0.05;          // S0, mm²
    double gaugeLength = 100.0;  // L0, mm
    double finalArea = 0.03;     // Su, mm², of the broken specimen's neck
};

// The gauge length of the broken specimen's pieces fitted together (Lu, mm): L0 plus the
// elongation at the break less the elastic part it gives back.
double FinalGaugeLength(const SpecimenParams& specimen);

struct RigParams {
    SpecimenParams specimen;
    double speed = 2.0;                // mm/s while pulling
    double returnSpeed = 5.0;          // mm/s while returning home
    double travelEnd = 95.0;           // mm; the travel-limit switch closes here
    double forceNoise = 0.02;          // N, standard deviation
    double displacementNoise = 0.005;  // mm, standard deviation
    double buttonHoldMs = 150.0;
    double newtonsPerVolt = 10.0;
    double mmPerVolt = 20.0;
    // The frame, load cell and grips deflect by force × compliance: the crosshead travels
    // that much more than the specimen stretches.
    double compliance = 0.04;  // mm/N
    // The grips' slack: toe mm of travel taken up while the force rises to toeForce.
    double toe = 0.3;       // mm
    double toeForce = 1.5;  // N
    // The clip-on extensometer: the specimen's own strain over its gauge length Le.
    double extensometerLength = 50.0;         // Le, mm
    double extensometerMmPerVolt = 2.0;       // ±10 mm on the ±5 V input
    double extensometerNoise = 0.0005;        // mm, standard deviation
    std::optional<double> extensometerOffAt;  // %, the strain at which it is taken off
    unsigned seed = 1;
};

std::vector<std::string> PresetNames();
// False for an unknown name.
bool ApplyPreset(const std::string& name, RigParams* params);
// Empty when the parameters make a usable rig, else what is wrong.
std::string ValidateParams(const RigParams& params);

enum class SpecimenState { kElastic, kYield, kHardening, kNecking, kBroken };
enum class Motion { kStopped, kPulling, kReturning };
enum class Button { kStart, kStop, kZero, kClear };

const char* SpecimenStateName(SpecimenState state);
const char* MotionName(Motion motion);
const char* ButtonName(Button button);
bool ParseButton(const std::string& name, Button* button);
std::uint16_t ButtonBit(Button button);

// Force on the loading curve at an elongation, and the stage it lies in (not broken).
double LoadingForce(const SpecimenParams& specimen, double elongation);
SpecimenState LoadingStage(const SpecimenParams& specimen, double elongation);
// The grips' slack taken up by a force: most of it over the first newtons, the whole toe at
// toeForce, so that over the crosshead's travel the force first climbs slowly, then ever
// faster.
double ToeTravel(const RigParams& params, double force);

struct RigState {
    double time = 0.0;        // s of simulated time
    double position = 0.0;    // mm from home
    double elongation = 0.0;  // mm since the specimen was mounted
    double force = 0.0;       // N, without sensor noise
    double peakForce = 0.0;   // N, of the present specimen
    double toe = 0.0;         // mm of the grips' slack taken up
    // What the extensometer spans of the elongation (mm over Le, without noise); it reads
    // only while on.
    double extension = 0.0;
    bool extensometer = true;
    SpecimenState specimen = SpecimenState::kElastic;
    Motion motion = Motion::kStopped;
    bool travelLimit = false;
    bool driving = true;
    std::uint16_t inputs = 0xFFFF;
    std::uint16_t outputs = 0x00FF;
};

// Whether the rig changes by itself: the crosshead travels or a button is down. A resting
// rig changes only through a command or the program's outputs.
bool RigIsActive(const RigState& state);

class Rig {
  public:
    using Clock = std::function<double()>;  // seconds, never decreasing

    Rig(Card& card, RigParams params, Clock clock);

    // Advances the rig to the clock's present and drives the card's inputs.
    void Update();

    // Press a button: its input reads low for holdMs (< 0: the rig's default; never less than
    // kMinButtonHoldMs, never more than kMaxButtonHoldMs), then releases.
    void Press(Button button, double holdMs = -1.0);
    // Hold a button down until released (the panel's buttons); a release sooner than
    // kMinButtonHoldMs after the press keeps the input low until that time.
    void SetButton(Button button, bool down);
    // Close the travel-limit switch by hand, or let it follow the crosshead again.
    void SetTravelLimitOverride(bool closed);
    // Whether the rig drives analog channels 0 and 1 and the input word.
    void SetDriving(bool on);
    // Drive the crosshead home, as the rig's own jog control does.
    void ReturnHome();
    // Mount a fresh specimen at the crosshead's present position.
    void NewSpecimen();
    // Clip the extensometer on or take it off; off, its channel reads 0 V.
    void SetExtensometer(bool on);

    RigState State() const;
    const RigParams& Params() const { return params_; }

  private:
    static constexpr int kButtons = 4;

    void UpdateLocked();
    void ApplyOutputFalls();
    void Step(double dt);
    double SpecimenForce(double elongation) const;
    double SolveElongation(double travel) const;
    double Extension() const;
    void ApplyButton(Button button);
    void MountSpecimen();
    void DriveCard();
    std::uint16_t InputWord() const;

    Card& card_;
    const RigParams params_;
    Clock clock_;
    mutable std::mutex mutex_;
    std::mt19937 random_;
    std::normal_distribution<double> noise_{0.0, 1.0};
    // The extensometer's own noise, apart from the sensors' so that clipping it on or off
    // leaves their readings as they were.
    std::mt19937 extensometerRandom_;
    std::normal_distribution<double> extensometerNoise_{0.0, 1.0};
    double now_;
    double position_ = 0.0;
    double mountPosition_ = 0.0;
    double elongation_ = 0.0;
    double maxElongation_ = 0.0;
    double force_ = 0.0;
    double peakForce_ = 0.0;
    double toe_ = 0.0;
    bool broken_ = false;
    bool extensometerOn_ = true;
    // Taken off at the off-at strain rather than by command: the next specimen gets it
    // clipped on again.
    bool offAtStrain_ = false;
    bool offAtPassed_ = false;  // the present specimen's strain has passed the off-at mark
    Motion motion_ = Motion::kStopped;
    bool travelOverride_ = false;
    bool driving_ = true;
    double releaseAt_[kButtons] = {};
    double pressedAt_[kButtons] = {};
    bool held_[kButtons] = {};
};

}  // namespace sim
