// velmora-headless's command line: what it answers without a simulator (--help, --version)
// and the specimen and test name of the one test it runs.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/ui_language.h"
#include "settings/specimen.h"

struct HeadlessOptions {
    bool help = false;
    bool version = false;
    // S0 directly, or from a round specimen's diameter, or a flat one's width and thickness.
    std::optional<double> area, diameter, width, thickness;
    std::optional<double> gaugeLength;    // L0
    std::optional<double> compliance;     // the load train's, mm/N
    std::optional<std::string> testName;  // UTF-8
    // --lang: the windows, the report and the results; else the saved choice or the locale.
    std::optional<UiLanguage> language;
};

// The arguments after the program's name. Empty on success, else what is wrong (one line).
std::string ParseHeadlessOptions(const std::vector<std::string>& args, HeadlessOptions* options);
std::string HeadlessUsage();

// S0 and L0 the command line gives: --area, else pi d² / 4 of --diameter, else --width x
// --thickness; a dimension not given is none.
SpecimenDims SpecimenOfOptions(const HeadlessOptions& options);
// The specimen the simulator's "specimen" reply describes ("ok area=.. gauge-length=..
// final-area=.. final-gauge-length=.."); none of the dimensions for another reply.
SpecimenDims SpecimenOfSimulatorReply(const std::string& reply);
// The specimen of the run: each of S0 and L0 from the command line when given there, else the
// simulator's rig, else what Specimen.ini holds; no Su or Lu before the test.
SpecimenDims SpecimenForRun(const HeadlessOptions& options, const SpecimenDims& fromSimulator,
                            const SpecimenDims& fromFile);
// The broken specimen measured: Su and Lu as the rig gives them, each only when it does.
void MeasureBrokenSpecimen(SpecimenDims& specimen, const SpecimenDims& fromSimulator);
// The lines saying where to give S0 or L0 when the run had none; empty when both were given.
std::vector<std::string> MissingDimensionLines(const SpecimenDims& specimen);
