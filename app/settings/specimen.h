// The specimen's dimensions: cross-section S0 (mm²) and gauge length L0 (mm), each optional.
// They live in "Specimen.ini" in the data folder, a file of their own, so that the settings
// file keeps its 380 bytes.
#pragma once

#include <optional>
#include <string>

struct SpecimenDims {
    std::optional<double> area;         // S0, mm²
    std::optional<double> gaugeLength;  // L0, mm
    std::optional<double> finalArea{};  // Su, mm², measured after the break
    std::optional<double> finalGaugeLength{};  // Lu, mm, measured on the fitted pieces
    double proofOffset = 0.2;           // % of L0, the plastic extension of Rp
};

std::string SpecimenFilePath();
// The file's text: "[Specimen]", then "S0=<value>" and "L0=<value>", an empty value for a
// dimension not given; "Su=<value>" when the final cross-section is given and "Rp=<offset>"
// when the proof offset is not 0.2 %.
std::string SpecimenFileText(const SpecimenDims& dims);
// Reads the text back; a line that is missing, unknown or not a usable value leaves its
// dimension not given.
SpecimenDims ParseSpecimenText(const std::string& text);

// Loads the file into the dimensions in force; a missing file gives no dimensions. False
// when a file that exists cannot be read.
bool LoadSpecimenFile(SpecimenDims& specimen);
// Writes the dimensions through a temporary file renamed into place. False, with a message.
bool WriteSpecimenFile(const SpecimenDims& specimen, std::string* errorUtf8);

// A dimension as typed: an empty (or blank) text is "not given"; otherwise it must be a
// positive, finite number. On failure returns the message (UTF-8) naming the dimension.
std::optional<std::string> CheckDimension(const std::string& labelUtf8, const std::string& text,
                                          std::optional<double>* value);
