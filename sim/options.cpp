#include "options.h"

#include <cstdlib>
#include <map>

#include "paths.h"

namespace sim {

namespace {

bool ParseDouble(const std::string& text, double* value) {
    if (text.empty()) return false;
    char* end = nullptr;
    *value = std::strtod(text.c_str(), &end);
    return *end == '\0';
}

bool ParseLong(const std::string& text, int base, long min, long max, long* value) {
    if (text.empty()) return false;
    char* end = nullptr;
    *value = std::strtol(text.c_str(), &end, base);
    return *end == '\0' && *value >= min && *value <= max;
}

bool ParseCard(const std::string& text, CardOption* card) {
    std::size_t colon = text.find(':');
    if (colon == std::string::npos) return false;
    long instance = 0;
    long number = 0;
    // The instance reads like the socket's digit: 0-9, A-F (or 10-15).
    std::string digit = text.substr(0, colon);
    bool instanceOk =
        ParseLong(digit, 10, 0, dqx7460::kInstanceCount - 1, &instance) ||
        (digit.size() == 1 && ParseLong(digit, 16, 0, dqx7460::kInstanceCount - 1, &instance));
    if (!instanceOk || !ParseLong(text.substr(colon + 1), 10, 0, 0xFFFF, &number)) return false;
    card->instance = static_cast<int>(instance);
    card->deviceNumber = static_cast<int>(number);
    return true;
}

std::map<std::string, double*> NumericOptions(RigParams& p) {
    return {
        {"--stiffness", &p.specimen.stiffness},
        {"--yield-force", &p.specimen.yieldForce},
        {"--yield-plateau", &p.specimen.yieldPlateau},
        {"--ultimate-force", &p.specimen.ultimateForce},
        {"--ultimate-elongation", &p.specimen.ultimateElongation},
        {"--break-force", &p.specimen.breakForce},
        {"--break-elongation", &p.specimen.breakElongation},
        {"--area", &p.specimen.area},
        {"--gauge-length", &p.specimen.gaugeLength},
        {"--final-area", &p.specimen.finalArea},
        {"--speed", &p.speed},
        {"--return-speed", &p.returnSpeed},
        {"--travel", &p.travelEnd},
        {"--force-noise", &p.forceNoise},
        {"--displacement-noise", &p.displacementNoise},
        {"--button-ms", &p.buttonHoldMs},
        {"--compliance", &p.compliance},
        {"--toe", &p.toe},
        {"--toe-force", &p.toeForce},
        {"--extensometer-le", &p.extensometerLength},
        {"--extensometer-mm-per-volt", &p.extensometerMmPerVolt},
        {"--extensometer-noise", &p.extensometerNoise},
    };
}

}  // namespace

std::string Usage() {
    std::string presets;
    for (const std::string& name : PresetNames()) presets += (presets.empty() ? "" : ", ") + name;
    return "usage: dqx7460-sim [options]\n"
           "  --dir DIR              folder of the sockets (default: the driver folder)\n"
           "  --card INSTANCE:NUMBER serve a card with this device number on EZUSB-<instance>\n"
           "                         (repeatable; default 0:1; the rig is wired to the first)\n"
           "  --preset NAME          specimen preset: " +
           presets +
           "\n"
           "  --stiffness N/mm  --yield-force N  --yield-plateau mm  --ultimate-force N\n"
           "  --ultimate-elongation mm  --break-force N  --break-elongation mm\n"
           "  --area mm2  --gauge-length mm  --final-area mm2\n"
           "                         the specimen's S0, L0 and Su (command specimen)\n"
           "  --speed mm/s  --return-speed mm/s  --travel mm  --force-noise N\n"
           "  --displacement-noise mm  --button-ms ms  --seed N\n"
           "  --compliance mm/N      the load train's deflection per newton (default 0.04)\n"
           "  --toe mm  --toe-force N\n"
           "                         the grips' slack and the force that takes it up\n"
           "                         (default 0.3, 1.5)\n"
           "  --extensometer-le mm   the clip-on extensometer's gauge length (default 50)\n"
           "  --extensometer-mm-per-volt mm  --extensometer-noise mm\n"
           "                         its scale and noise (default 2, 0.0005)\n"
           "  --extensometer-off-at PERCENT\n"
           "                         take it off at this strain (default never)\n"
           "  --time-scale FACTOR    simulated seconds per real second (default 1)\n"
           "  --no-rig               the rig does not drive the channels and inputs\n"
           "  --panel                show the rig panel (builds with the GUI only)\n"
           "  --lang en|zh           the panel's language (default: the locale's; Chinese for\n"
           "                         zh_*, else English)\n"
           "  --send COMMAND         send one control command to a running simulator\n"
           "  --version              print the version and exit\n";
}

bool ParseOptions(int argc, const char* const* argv, Options* options, std::string* error) {
    std::vector<std::string> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == "--preset" && !ApplyPreset(args[i + 1], &options->rig)) {
            *error = "unknown preset: " + args[i + 1];
            return false;
        }
    }
    auto numeric = NumericOptions(options->rig);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            options->help = true;
            continue;
        }
        if (arg == "--version") {
            options->version = true;
            continue;
        }
        if (arg == "--no-rig") {
            options->rigOn = false;
            continue;
        }
        if (arg == "--panel") {
            options->panel = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            *error = "unknown option or missing value: " + arg;
            return false;
        }
        const std::string& value = args[++i];
        double number = 0.0;
        long whole = 0;
        if (arg == "--preset") {
            continue;
        } else if (arg == "--dir") {
            options->dir = value;
        } else if (arg == "--send") {
            options->send = value;
        } else if (arg == "--lang") {
            if (value != "en" && value != "zh") {
                *error = "--lang wants en or zh, not " + value;
                return false;
            }
            options->lang = value;
        } else if (arg == "--card") {
            CardOption card;
            if (!ParseCard(value, &card)) {
                *error = "--card wants INSTANCE:NUMBER (instance 0-15), not " + value;
                return false;
            }
            for (const CardOption& other : options->cards) {
                if (other.instance == card.instance) {
                    *error = "instance given twice: " + value;
                    return false;
                }
            }
            options->cards.push_back(card);
        } else if (arg == "--seed") {
            if (!ParseLong(value, 10, 0, 0x7FFFFFFF, &whole)) {
                *error = "bad seed: " + value;
                return false;
            }
            options->rig.seed = static_cast<unsigned>(whole);
        } else if (arg == "--time-scale") {
            if (!ParseDouble(value, &number) || !(number > 0.0)) {
                *error = "bad time scale: " + value;
                return false;
            }
            options->timeScale = number;
        } else if (arg == "--extensometer-off-at") {
            if (!ParseDouble(value, &number)) {
                *error = "bad number for " + arg + ": " + value;
                return false;
            }
            options->rig.extensometerOffAt = number;
        } else if (numeric.count(arg) != 0) {
            if (!ParseDouble(value, &number)) {
                *error = "bad number for " + arg + ": " + value;
                return false;
            }
            *numeric[arg] = number;
        } else {
            *error = "unknown option: " + arg;
            return false;
        }
    }
    if (options->cards.empty()) options->cards.push_back(CardOption{});
    std::string invalid = ValidateParams(options->rig);
    if (!invalid.empty()) {
        *error = invalid;
        return false;
    }
    return true;
}

}  // namespace sim
