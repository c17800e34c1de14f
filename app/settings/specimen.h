// The specimen's dimensions: cross-section S0 (mm²) and gauge length L0 (mm), each optional.
// They live in "Specimen.ini" in the data folder, a file of their own, so that the settings
// file keeps its 380 bytes.
#pragma once

#include <optional>
#include <string>

struct SpecimenDims {
    std::optional<double> area;                // S0, mm²
    std::optional<double> gaugeLength;         // L0, mm
    std::optional<double> finalArea{};         // Su, mm², measured after the break
    std::optional<double> finalGaugeLength{};  // Lu, mm, measured on the fitted pieces
    double proofOffset = 0.2;                  // % of L0, the plastic extension of Rp
    // The load train's compliance (mm/N): the frame, grips and load cell give F × C of the
    // crosshead's travel, which the results take off. Set up before a test, it carries over.
    std::optional<double> compliance{};
    std::string complianceDate{};  // when a calibration run measured it; empty: typed in
    // S0 and L0 (those given) are the previous specimen's: nobody has confirmed them for the
    // present one. Never stored in a file.
    bool carriedOver = false;
};

// A new specimen's test begins: what was measured on the broken one (Su, Lu) no longer
// applies and is dropped; S0 and L0, measured before a test, stay, marked carried over
// unless they were entered for this specimen. True when Su or Lu were given, so the caller
// knows the file must follow.
bool BeginNextSpecimen(SpecimenDims& specimen, bool enteredForIt);
// "S0、L0 沿用上一试样" for the carried values (UTF-8); empty when nothing is carried.
std::string CarriedOverNote(const SpecimenDims& specimen);

// S0 from what a command line gives: the area itself, else pi d² / 4 of a round specimen's
// diameter, else width x thickness of a flat one; none when none of them is given.
std::optional<double> CrossSectionOf(std::optional<double> area, std::optional<double> diameter,
                                     std::optional<double> width, std::optional<double> thickness);

std::string SpecimenFilePath();
// The file's text: "[Specimen]", then "S0=<value>" and "L0=<value>", an empty value for a
// dimension not given; "Su=<value>" and "Lu=<value>" when the final cross-section and the
// final gauge length are given, "Rp=<offset>" when the proof offset is not 0.2 %, and
// "C=<compliance>" when a load-train compliance is given, with "CDate=<date>" when a
// calibration run measured it.
std::string SpecimenFileText(const SpecimenDims& dims);
// Reads the text back; a line that is missing, unknown or not a usable value leaves its
// dimension not given.
SpecimenDims ParseSpecimenText(const std::string& text);

// Loads the file into the dimensions in force, S0 and L0 marked carried over; a missing file
// gives no dimensions. False when a file that exists cannot be read.
bool LoadSpecimenFile(SpecimenDims& specimen);
// Writes the dimensions through a temporary file renamed into place. False, with a message.
bool WriteSpecimenFile(const SpecimenDims& specimen, std::string* errorUtf8);

// A dimension as typed: an empty (or blank) text is "not given"; otherwise it must be a
// positive, finite number. On failure returns the message (UTF-8) naming the dimension.
std::optional<std::string> CheckDimension(const std::string& labelUtf8, const std::string& text,
                                          std::optional<double>* value);
