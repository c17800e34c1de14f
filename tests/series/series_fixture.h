// Saved tests of a series written as the program writes them (archive and test file), from a
// force-extension model whose maximum force is known: linear to 20 N at 0.5 mm, hardening to
// Fm at 8 mm, necking to 0.8 Fm at 10 mm, the fracture (the force drops to 0.2 N), then the
// crosshead's return stroke back to 0 mm.
#pragma once

#include <string>

// Every specimen: S0 0.1 mm², L0 50 mm, so that Rm is Fm / 0.1 MPa.
constexpr double kSpecimenArea = 0.1;
constexpr double kSpecimenGauge = 50;
// The displacement of the fracture record, the last one before the drop.
constexpr double kFractureDisplacement = 10.0;

struct ModelSpecimen {
    int number;
    double maxForce;       // N
    std::string excluded;  // the reason it was marked invalid, or empty
    int records = 1601;    // at 0.01 mm to 10.2 mm, then the return
    bool withDimensions = true;
};

// "<folder><series>-<nn>.dat" and its "<base>.ini". False, with a message.
bool WriteModelSpecimen(const std::string& folderUtf8, const std::string& seriesUtf8,
                        const ModelSpecimen& specimen, std::string* errorUtf8);
// The force of the model at a displacement on the way out.
double ModelForce(double maxForce, double displacement);
