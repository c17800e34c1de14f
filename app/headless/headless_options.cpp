#include "headless/headless_options.h"

#include <cmath>
#include <sstream>

#include "common/number_text.h"

namespace {

struct NumberOption {
    const char* name;
    std::optional<double> HeadlessOptions::*value;
};

const NumberOption kNumberOptions[] = {
    {"--area", &HeadlessOptions::area},
    {"--diameter", &HeadlessOptions::diameter},
    {"--width", &HeadlessOptions::width},
    {"--thickness", &HeadlessOptions::thickness},
    {"--gauge-length", &HeadlessOptions::gaugeLength},
    {"--compliance", &HeadlessOptions::compliance},
};

std::string CheckDimensions(const HeadlessOptions& o) {
    const int sources = (o.area ? 1 : 0) + (o.diameter ? 1 : 0) + (o.width || o.thickness ? 1 : 0);
    if (sources > 1) return "give S0 one way: --area, --diameter, or --width with --thickness";
    if (o.width.has_value() != o.thickness.has_value())
        return "--width and --thickness go together";
    return {};
}

}  // namespace

std::string HeadlessUsage() {
    return "Usage: velmora-headless [options]\n"
           "Runs one whole test on the running dqx7460-sim without a display: the rig's start\n"
           "button, the break, the automatic save; then writes the report PDF and a screenshot\n"
           "and prints the main results.\n"
           "  --area MM2          cross-section S0 in mm²\n"
           "  --diameter MM       a round specimen's diameter: S0 = pi d² / 4\n"
           "  --width MM --thickness MM\n"
           "                      a flat specimen's width and thickness: S0 = width x thickness\n"
           "  --gauge-length MM   gauge length L0 in mm\n"
           "  --compliance MM/N   the load train's compliance: the results take F x C off the\n"
           "                      crosshead's travel\n"
           "  --name NAME         the test name (the archive's name begins with it)\n"
           "  --lang en|zh        the language of the window, the report's results page and\n"
           "                      the results printed (default: the one chosen in the\n"
           "                      program, else English for an English locale, else zh);\n"
           "                      the files are the same\n"
           "  --help              print this and exit\n"
           "  --version           print the version and exit\n"
           "S0 and L0 not given here are the simulator's specimen (its preset), else those of\n"
           "Specimen.ini in the data folder.\n";
}

std::string ParseHeadlessOptions(const std::vector<std::string>& args, HeadlessOptions* options) {
    HeadlessOptions parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            parsed.help = true;
            continue;
        }
        if (arg == "--version") {
            parsed.version = true;
            continue;
        }
        const bool named = arg == "--name";
        const bool language = arg == "--lang";
        const NumberOption* number = nullptr;
        for (const NumberOption& option : kNumberOptions)
            if (arg == option.name) number = &option;
        if (!named && !language && number == nullptr) return "unknown option: " + arg;
        if (i + 1 == args.size()) return arg + " needs a value";
        const std::string& value = args[++i];
        if (language) {
            parsed.language = ParseUiLanguage(value);
            if (!parsed.language) return "--lang takes en or zh: " + value;
            continue;
        }
        if (named) {
            if (value.empty()) return "--name needs a value";
            parsed.testName = value;
            continue;
        }
        double dimension = 0;
        if (!ParseNumber(value, &dimension) || !std::isfinite(dimension) || dimension <= 0)
            return arg + " takes a positive number of mm: " + value;
        parsed.*(number->value) = dimension;
    }
    if (std::string error = CheckDimensions(parsed); !error.empty()) return error;
    *options = parsed;
    return {};
}

SpecimenDims SpecimenOfOptions(const HeadlessOptions& options) {
    SpecimenDims specimen;
    specimen.area =
        CrossSectionOf(options.area, options.diameter, options.width, options.thickness);
    specimen.gaugeLength = options.gaugeLength;
    specimen.compliance = options.compliance;
    return specimen;
}

SpecimenDims SpecimenOfSimulatorReply(const std::string& reply) {
    SpecimenDims specimen;
    std::istringstream words(reply);
    std::string word;
    if (!(words >> word) || word != "ok") return specimen;
    while (words >> word) {
        const std::size_t equals = word.find('=');
        double value = 0;
        if (equals == std::string::npos ||
            !ParseNumber(std::string_view(word).substr(equals + 1), &value) ||
            !std::isfinite(value) || value <= 0)
            continue;
        const std::string key = word.substr(0, equals);
        if (key == "area") specimen.area = value;
        if (key == "gauge-length") specimen.gaugeLength = value;
        if (key == "final-area") specimen.finalArea = value;
        if (key == "final-gauge-length") specimen.finalGaugeLength = value;
    }
    return specimen;
}

SpecimenDims SpecimenForRun(const HeadlessOptions& options, const SpecimenDims& fromSimulator,
                            const SpecimenDims& fromFile) {
    const SpecimenDims typed = SpecimenOfOptions(options);
    // Su and Lu are measured on the broken specimen, after the test.
    SpecimenDims specimen = fromFile;
    specimen.finalArea.reset();
    specimen.finalGaugeLength.reset();
    specimen.area = typed.area           ? typed.area
                    : fromSimulator.area ? fromSimulator.area
                                         : fromFile.area;
    specimen.gaugeLength = typed.gaugeLength           ? typed.gaugeLength
                           : fromSimulator.gaugeLength ? fromSimulator.gaugeLength
                                                       : fromFile.gaugeLength;
    if (typed.compliance) specimen.compliance = typed.compliance;
    // Given for this run, not carried over from an earlier specimen.
    specimen.carriedOver = false;
    return specimen;
}

void MeasureBrokenSpecimen(SpecimenDims& specimen, const SpecimenDims& fromSimulator) {
    if (fromSimulator.finalArea) specimen.finalArea = fromSimulator.finalArea;
    if (fromSimulator.finalGaugeLength) specimen.finalGaugeLength = fromSimulator.finalGaugeLength;
}

std::vector<std::string> MissingDimensionLines(const SpecimenDims& specimen) {
    std::vector<std::string> lines;
    if (!specimen.area)
        lines.push_back(
            "S0 not given: the strengths need --area MM2 (or --diameter MM, or --width MM "
            "--thickness MM), or S0 in Specimen.ini");
    if (!specimen.gaugeLength)
        lines.push_back(
            "L0 not given: the elongations need --gauge-length MM, or L0 in Specimen.ini");
    return lines;
}
