#include "settings/specimen.h"

#include <cerrno>
#include <cmath>
#include <sstream>

#include "common/atomic_file.h"
#include "common/number_text.h"
#include "common/ui_text.h"
#include "settings/data_folder.h"

namespace {

// Two short lines; anything much longer is not a file of the program.
constexpr std::size_t kSpecimenFileMaxBytes = 4096;

bool Usable(double value) {
    return std::isfinite(value) && value > 0;
}

std::string ValueText(const std::optional<double>& value) {
    return value ? PlainNumber(*value) : std::string();
}

}  // namespace

std::optional<double> CrossSectionOf(std::optional<double> area, std::optional<double> diameter,
                                     std::optional<double> width, std::optional<double> thickness) {
    if (area) return area;
    if (diameter) return std::acos(-1.0) * *diameter * *diameter / 4;
    if (width && thickness) return *width * *thickness;
    return std::nullopt;
}

std::string SpecimenFilePath() {
    return DataFolderPath() + "Specimen.ini";
}

std::string SpecimenFileText(const SpecimenDims& dims) {
    std::string text =
        "[Specimen]\nS0=" + ValueText(dims.area) + "\nL0=" + ValueText(dims.gaugeLength) + "\n";
    // Lines of their own only when they say something, so files of the two dimensions stay
    // as they were.
    if (dims.finalArea) text += "Su=" + ValueText(dims.finalArea) + "\n";
    if (dims.finalGaugeLength) text += "Lu=" + ValueText(dims.finalGaugeLength) + "\n";
    if (dims.proofOffset != SpecimenDims{}.proofOffset)
        text += "Rp=" + PlainNumber(dims.proofOffset) + "\n";
    if (dims.compliance) text += "C=" + ValueText(dims.compliance) + "\n";
    if (dims.compliance && !dims.complianceDate.empty())
        text += "CDate=" + dims.complianceDate + "\n";
    return text;
}

SpecimenDims ParseSpecimenText(const std::string& text) {
    SpecimenDims dims;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = line.substr(0, equals);
        if (key == "CDate") {
            dims.complianceDate = line.substr(equals + 1);
            if (!dims.complianceDate.empty() && dims.complianceDate.back() == '\r')
                dims.complianceDate.pop_back();
        }
        double value = 0;
        if (!ParseNumber(std::string_view(line).substr(equals + 1), &value) || !Usable(value))
            continue;
        if (key == "S0") dims.area = value;
        if (key == "L0") dims.gaugeLength = value;
        if (key == "Su") dims.finalArea = value;
        if (key == "Lu") dims.finalGaugeLength = value;
        if (key == "Rp") dims.proofOffset = value;
        if (key == "C") dims.compliance = value;
    }
    return dims;
}

bool BeginNextSpecimen(SpecimenDims& specimen, bool enteredForIt) {
    const bool measuredAfter = specimen.finalArea || specimen.finalGaugeLength;
    specimen.finalArea.reset();
    specimen.finalGaugeLength.reset();
    specimen.carriedOver = !enteredForIt && (specimen.area || specimen.gaugeLength);
    return measuredAfter;
}

std::string CarriedOverNote(const SpecimenDims& specimen) {
    if (!specimen.carriedOver) return {};
    std::string names;
    if (specimen.area) names = "S0";
    if (specimen.gaugeLength) names += names.empty() ? "L0" : "、L0";
    return names.empty() ? std::string()
                         : ui::Fill(ui::translate("Specimen", "%1 沿用上一试样"), {names});
}

bool LoadSpecimenFile(SpecimenDims& specimen) {
    std::string text;
    int reason = 0;
    if (!ReadBoundedFile(SpecimenFilePath(), kSpecimenFileMaxBytes, &text, nullptr, &reason)) {
        specimen = SpecimenDims{};
        return reason == ENOENT;
    }
    specimen = ParseSpecimenText(text);
    // The file holds the last specimen's dimensions, not necessarily the next one's.
    specimen.carriedOver = specimen.area || specimen.gaugeLength;
    return true;
}

bool WriteSpecimenFile(const SpecimenDims& specimen, std::string* errorUtf8) {
    return WriteFileAtomically(SpecimenFilePath(), SpecimenFileText(specimen), errorUtf8);
}

std::optional<std::string> CheckDimension(const std::string& labelUtf8, const std::string& text,
                                          std::optional<double>* value) {
    if (text.find_first_not_of(" \t") == std::string::npos) {
        value->reset();
        return std::nullopt;
    }
    double parsed = 0;
    if (!ParseNumber(text, &parsed) || !Usable(parsed)) {
        return ui::Fill(
            ui::translate("Specimen", "参数值：%1 %2  不匹配：请输入大于0的数值，或留空表示不给定"),
            {labelUtf8, text});
    }
    *value = parsed;
    return std::nullopt;
}
