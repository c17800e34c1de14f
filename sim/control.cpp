#include "control.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace sim {

namespace {

std::vector<std::string> Words(const std::string& line) {
    std::istringstream stream(line);
    std::vector<std::string> words;
    std::string word;
    while (stream >> word) words.push_back(word);
    return words;
}

bool ParseNumber(const std::string& text, double* value) {
    std::istringstream stream(text);
    stream >> *value;
    return !stream.fail() && stream.eof();
}

bool ParseInt(const std::string& text, int base, long min, long max, long* value) {
    if (text.empty()) return false;
    char* end = nullptr;
    long parsed = std::strtol(text.c_str(), &end, base);
    if (*end != '\0' || parsed < min || parsed > max) return false;
    *value = parsed;
    return true;
}

bool ParseOnOff(const std::string& text, bool* on) {
    if (text == "on") {
        *on = true;
    } else if (text == "off") {
        *on = false;
    } else {
        return false;
    }
    return true;
}

std::string Hex4(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof(text), "%04x", value & 0xFFFF);
    return text;
}

// printf into a string as long as the values need: a voltage of 1e300 is a reply of
// three hundred digits, never a cut one.
template <typename... Args>
std::string Format(const char* format, Args... args) {
    std::string text(std::snprintf(nullptr, 0, format, args...), '\0');
    std::snprintf(text.data(), text.size() + 1, format, args...);
    return text;
}

std::string FormatState(const RigState& s) {
    return Format(
        "ok time=%.3f position=%.3f elongation=%.3f force=%.3f peak=%.3f "
        "specimen=%s motion=%s travel-limit=%d inputs=%04x outputs=%04x rig=%s toe=%.3f "
        "extensometer=%s extension=%.4f",
        s.time, s.position, s.elongation, s.force, s.peakForce, SpecimenStateName(s.specimen),
        MotionName(s.motion), s.travelLimit ? 1 : 0, s.inputs, s.outputs, s.driving ? "on" : "off",
        s.toe, s.extensometer ? "on" : "off", s.extension);
}

const char* kUsage = "err usage: ";

}  // namespace

std::string ExecuteControl(const std::string& line, Card& card, Rig& rig, bool* quit,
                           SimClock* clock) {
    std::vector<std::string> w = Words(line);
    if (w.empty()) return "err empty command";
    const std::string& command = w[0];
    std::size_t args = w.size() - 1;
    long number = 0;
    if (command == "ping" && args == 0) return "ok";
    if (command == "set-voltage") {
        double volts = 0.0;
        if (args != 2 || !ParseInt(w[1], 10, 0, dqx7460::kPhysicalChannels - 1, &number) ||
            !ParseNumber(w[2], &volts)) {
            return std::string(kUsage) + "set-voltage <channel 0-31> <volts>";
        }
        if (rig.State().driving && (number == kTensionChannel || number == kDisplacementChannel ||
                                    number == kExtensometerChannel)) {
            return "err the rig drives channel " + w[1] + " (rig off first)";
        }
        card.SetVoltage(static_cast<int>(number), volts);
        return "ok";
    }
    if (command == "get-voltage") {
        if (args != 1 || !ParseInt(w[1], 10, 0, dqx7460::kPhysicalChannels - 1, &number)) {
            return std::string(kUsage) + "get-voltage <channel 0-31>";
        }
        return Format("ok %.6f", card.Voltage(static_cast<int>(number)));
    }
    if (command == "set-inputs") {
        if (args != 1 || !ParseInt(w[1], 16, 0, 0xFFFF, &number)) {
            return std::string(kUsage) + "set-inputs <hex word>";
        }
        if (rig.State().driving) return "err the rig drives the inputs (rig off first)";
        card.SetDigitalInputs(static_cast<std::uint16_t>(number));
        return "ok";
    }
    if (command == "get-inputs" && args == 0) return "ok " + Hex4(card.DigitalInputs());
    if (command == "get-outputs" && args == 0) return "ok " + Hex4(card.DigitalOutputs());
    if (command == "get-input-reads" && args == 0) return "ok " + std::to_string(card.InputReads());
    if (command == "get-register") {
        if (args != 1 || !ParseInt(w[1], 10, 0, kRegisterCount - 1, &number)) {
            return std::string(kUsage) + "get-register <0-255>";
        }
        return "ok " + std::to_string(card.Register(static_cast<int>(number)));
    }
    if (command == "press") {
        Button button;
        double ms = -1.0;
        if (args < 1 || args > 2 || !ParseButton(w[1], &button) ||
            (args == 2 && (!ParseNumber(w[2], &ms) || !(ms > 0.0 && ms <= kMaxButtonHoldMs)))) {
            return std::string(kUsage) + "press start|stop|zero|clear [ms 1-60000]";
        }
        rig.Press(button, ms);
        return "ok";
    }
    if (command == "hold" || command == "release") {
        Button button;
        if (args != 1 || !ParseButton(w[1], &button)) {
            return std::string(kUsage) + command + " start|stop|zero|clear";
        }
        rig.SetButton(button, command == "hold");
        return "ok";
    }
    if (command == "travel-limit") {
        bool on = false;
        if (args != 1 || !ParseOnOff(w[1], &on)) return std::string(kUsage) + "travel-limit on|off";
        rig.SetTravelLimitOverride(on);
        return "ok";
    }
    if (command == "rig") {
        bool on = false;
        if (args != 1 || !ParseOnOff(w[1], &on)) return std::string(kUsage) + "rig on|off";
        rig.SetDriving(on);
        return "ok";
    }
    if (command == "extensometer") {
        bool on = false;
        if (args != 1 || !ParseOnOff(w[1], &on)) return std::string(kUsage) + "extensometer on|off";
        rig.SetExtensometer(on);
        return "ok";
    }
    if (command == "rig-state" && args == 0) {
        rig.Update();
        return FormatState(rig.State());
    }
    if (command == "specimen" && args == 0) {
        const SpecimenParams& specimen = rig.Params().specimen;
        return Format("ok area=%.10g gauge-length=%.10g final-area=%.10g final-gauge-length=%.10g",
                      specimen.area, specimen.gaugeLength, specimen.finalArea,
                      FinalGaugeLength(specimen));
    }
    if (command == "return" && args == 0) {
        rig.ReturnHome();
        return "ok";
    }
    if (command == "new-specimen" && args == 0) {
        rig.NewSpecimen();
        return "ok";
    }
    if (command == "clock") {
        const char* usage = "clock hold|run|advance <seconds>";
        if (clock == nullptr) return "err this rig has no clock control";
        if (args == 1 && w[1] == "hold") {
            clock->Hold();
            return "ok";
        }
        if (args == 1 && w[1] == "run") {
            clock->Run();
            return "ok";
        }
        double seconds = 0.0;
        if (args != 2 || w[1] != "advance" || !ParseNumber(w[2], &seconds) || !(seconds > 0.0)) {
            return std::string(kUsage) + usage;
        }
        if (!clock->Advance(seconds)) return "err the clock runs (clock hold first)";
        // The card reads the rig's new state before the reply goes out.
        rig.Update();
        return "ok";
    }
    if (command == "quit" && args == 0) {
        *quit = true;
        return "ok";
    }
    return "err unknown command: " + line;
}

}  // namespace sim
