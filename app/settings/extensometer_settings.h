// The extensometer: a clip-on strain gauge on a card channel of its own, beside the force
// and crosshead channels. Its settings live in "Extensometer.ini" in the data folder, a file
// of their own, so that the settings file keeps its 380 bytes; like that file, they are
// checked at load and a file that does not pass is refused as a whole.
#pragma once

#include <optional>
#include <string>

// What the operator takes the extensometer off at, before the specimen breaks.
enum class ExtensometerRemoval {
    None,       // it stays on to the break (or reads nothing once the rig takes it off)
    AtStrain,   // its strain reached removalStrain (% of Le)
    AfterPeak,  // after Fm, the force fell to removalForcePercent % of Fm
};

struct ExtensometerSettings {
    bool enabled = false;
    int channel = 2;          // card channel; 0 and 1 are force and crosshead
    double gaugeLength = 50;  // Le, mm
    // The conditioned value's unit: "mm" (extension over Le) or "%" (strain of Le).
    std::string unit = "mm";
    double coefficient = 2.0;  // unit per volt
    double zero = 0.0;         // volts read with the arms at Le, taken off every reading
    ExtensometerRemoval removal = ExtensometerRemoval::None;
    double removalStrain = 0;        // %, with AtStrain
    double removalForcePercent = 0;  // % of Fm, with AfterPeak
    // At the removal point the rig is stopped (the stop line) until the operator has taken
    // the extensometer off and starts again; without the hold the test runs on.
    bool holdAtRemoval = true;
};

// The first field whose value is not usable, in the dialog's order; nothing when all are.
enum class ExtensometerField {
    Channel,
    GaugeLength,
    Unit,
    Coefficient,
    Zero,
    RemovalStrain,
    RemovalForcePercent,
};
std::optional<ExtensometerField> FindExtensometerFailure(const ExtensometerSettings& settings);

// The extensometer's reading in mm over Le for a conditioned value in the settings' unit.
double ExtensionMillimetres(const ExtensometerSettings& settings, double value);

std::string ExtensometerFilePath();
// "[Extensometer]" then one "key=value" line per field.
std::string ExtensometerFileText(const ExtensometerSettings& settings);
// The settings of a file's text, or the message (UTF-8) saying what was refused: a missing
// or unknown key, a value that is not usable (a channel outside 2..31, Le not positive, a
// unit other than mm or %, a coefficient that is zero or not finite, a removal point not
// positive).
std::optional<ExtensometerSettings> ParseExtensometerText(const std::string& text,
                                                          std::string* errorUtf8);
// A missing file gives the defaults (off). False, with the message, when a file that
// exists cannot be read or is refused; the settings are then the defaults.
bool LoadExtensometerFile(ExtensometerSettings& settings, std::string* errorUtf8);
// Written through a temporary file renamed into place. False, with a message.
bool WriteExtensometerFile(const ExtensometerSettings& settings, std::string* errorUtf8);
