// The simulator's command line.
#pragma once

#include <string>
#include <vector>

#include "rig.h"

namespace sim {

struct CardOption {
    int instance = 0;
    int deviceNumber = 1;
};

struct Options {
    std::string dir;                // empty: the default driver folder
    std::vector<CardOption> cards;  // the rig is wired to the first
    RigParams rig;
    bool rigOn = true;
    bool panel = false;
    std::string lang;        // the panel's language: "en", "zh", or empty for the locale's
    double timeScale = 1.0;  // simulated seconds per wall-clock second
    std::string send;        // non-empty: send this command to a running simulator
    bool help = false;
    bool version = false;
};

// Fills *options from argv; false with a message on a bad option. Without --card one card
// numbered 1 is served on instance 0. A --preset applies before the single parameters,
// wherever it stands.
bool ParseOptions(int argc, const char* const* argv, Options* options, std::string* error);
std::string Usage();

}  // namespace sim
