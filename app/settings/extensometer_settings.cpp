#include "settings/extensometer_settings.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <map>
#include <sstream>

#include "common/atomic_file.h"
#include "common/number_text.h"
#include "common/ui_text.h"
#include "settings/data_folder.h"

namespace {

constexpr char kSection[] = "[Extensometer]";
// Far above the dozen short lines the program writes: a larger file is not one of them.
constexpr std::size_t kMostFileBytes = 4096;
constexpr int kFirstChannel = 2;
constexpr int kLastChannel = 31;

const char* RemovalName(ExtensometerRemoval removal) {
    switch (removal) {
        case ExtensometerRemoval::AtStrain:
            return "strain";
        case ExtensometerRemoval::AfterPeak:
            return "peak";
        case ExtensometerRemoval::None:
            break;
    }
    return "none";
}

bool ParseRemoval(const std::string& text, ExtensometerRemoval* removal) {
    for (ExtensometerRemoval each : {ExtensometerRemoval::None, ExtensometerRemoval::AtStrain,
                                     ExtensometerRemoval::AfterPeak}) {
        if (text == RemovalName(each)) {
            *removal = each;
            return true;
        }
    }
    return false;
}

bool ParseFlag(const std::string& text, bool* flag) {
    if (text != "0" && text != "1") return false;
    *flag = text == "1";
    return true;
}

bool ParseChannel(const std::string& text, int* channel) {
    double value = 0;
    if (!ParseNumber(text, &value) || value != std::floor(value) || std::fabs(value) > 1000)
        return false;
    *channel = static_cast<int>(value);
    return true;
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return std::string();
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// The file's label of each field, as the refusals name them.
const char* FieldKey(ExtensometerField field) {
    switch (field) {
        case ExtensometerField::Channel:
            return "channel";
        case ExtensometerField::GaugeLength:
            return "gaugeLength";
        case ExtensometerField::Unit:
            return "unit";
        case ExtensometerField::Coefficient:
            return "coefficient";
        case ExtensometerField::Zero:
            return "zero";
        case ExtensometerField::RemovalStrain:
            return "removalStrain";
        case ExtensometerField::RemovalForcePercent:
            return "removalForcePercent";
    }
    return "";
}

// One key's text into its field; false when the text is not of the field's kind.
bool TakeValue(const std::string& key, const std::string& text, ExtensometerSettings& s) {
    if (key == "enabled") return ParseFlag(text, &s.enabled);
    if (key == "channel") return ParseChannel(text, &s.channel);
    if (key == "gaugeLength") return ParseNumber(text, &s.gaugeLength);
    if (key == "unit") {
        s.unit = text;
        return true;
    }
    if (key == "coefficient") return ParseNumber(text, &s.coefficient);
    if (key == "zero") return ParseNumber(text, &s.zero);
    if (key == "removal") return ParseRemoval(text, &s.removal);
    if (key == "removalStrain") return ParseNumber(text, &s.removalStrain);
    if (key == "removalForcePercent") return ParseNumber(text, &s.removalForcePercent);
    if (key == "holdAtRemoval") return ParseFlag(text, &s.holdAtRemoval);
    return false;
}

const char* const kKeys[] = {
    "enabled", "channel",       "gaugeLength",         "unit",         "coefficient", "zero",
    "removal", "removalStrain", "removalForcePercent", "holdAtRemoval"};

bool KnownKey(const std::string& key) {
    for (const char* known : kKeys) {
        if (key == known) return true;
    }
    return false;
}

void Refuse(std::string* errorUtf8, const std::string& message) {
    if (errorUtf8) *errorUtf8 = message;
}

}  // namespace

std::optional<ExtensometerField> FindExtensometerFailure(const ExtensometerSettings& s) {
    if (s.channel < kFirstChannel || s.channel > kLastChannel) return ExtensometerField::Channel;
    if (!(s.gaugeLength > 0) || !std::isfinite(s.gaugeLength))
        return ExtensometerField::GaugeLength;
    if (s.unit != "mm" && s.unit != "%") return ExtensometerField::Unit;
    if (s.coefficient == 0 || !std::isfinite(s.coefficient)) return ExtensometerField::Coefficient;
    if (!std::isfinite(s.zero)) return ExtensometerField::Zero;
    // The point not in use may stay 0; the one in use must lie where a test reaches it.
    const bool atStrain = s.removal == ExtensometerRemoval::AtStrain;
    if (!std::isfinite(s.removalStrain) || s.removalStrain < 0 ||
        (atStrain && s.removalStrain == 0))
        return ExtensometerField::RemovalStrain;
    const bool afterPeak = s.removal == ExtensometerRemoval::AfterPeak;
    if (!std::isfinite(s.removalForcePercent) || s.removalForcePercent < 0 ||
        s.removalForcePercent >= 100 || (afterPeak && s.removalForcePercent == 0))
        return ExtensometerField::RemovalForcePercent;
    return std::nullopt;
}

double ExtensionMillimetres(const ExtensometerSettings& settings, double value) {
    return settings.unit == "%" ? value / 100.0 * settings.gaugeLength : value;
}

std::string ExtensometerFilePath() {
    return DataFolderPath() + "Extensometer.ini";
}

std::string ExtensometerFileText(const ExtensometerSettings& s) {
    std::ostringstream out;
    out << kSection << "\n"
        << "enabled=" << (s.enabled ? 1 : 0) << "\n"
        << "channel=" << s.channel << "\n"
        << "gaugeLength=" << PlainNumber(s.gaugeLength) << "\n"
        << "unit=" << s.unit << "\n"
        << "coefficient=" << PlainNumber(s.coefficient) << "\n"
        << "zero=" << PlainNumber(s.zero) << "\n"
        << "removal=" << RemovalName(s.removal) << "\n"
        << "removalStrain=" << PlainNumber(s.removalStrain) << "\n"
        << "removalForcePercent=" << PlainNumber(s.removalForcePercent) << "\n"
        << "holdAtRemoval=" << (s.holdAtRemoval ? 1 : 0) << "\n";
    return out.str();
}

std::optional<ExtensometerSettings> ParseExtensometerText(const std::string& text,
                                                          std::string* errorUtf8) {
    std::istringstream in(text);
    std::string line;
    bool inSection = false;
    std::map<std::string, std::string> values;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (line.empty()) continue;
        if (!inSection) {
            if (line != kSection) {
                Refuse(errorUtf8, ui::Fill(ui::translate("ExtensometerSettings", "第一行不是 %1"),
                                           {kSection}));
                return std::nullopt;
            }
            inSection = true;
            continue;
        }
        const auto equals = line.find('=');
        const std::string key = Trim(line.substr(0, equals));
        if (equals == std::string::npos || !KnownKey(key)) {
            Refuse(errorUtf8,
                   ui::Fill(ui::translate("ExtensometerSettings", "未知的行：%1"), {line}));
            return std::nullopt;
        }
        if (!values.emplace(key, Trim(line.substr(equals + 1))).second) {
            Refuse(errorUtf8,
                   ui::Fill(ui::translate("ExtensometerSettings", "“%1”出现了两次"), {key}));
            return std::nullopt;
        }
    }
    ExtensometerSettings settings;
    for (const char* key : kKeys) {
        const auto found = values.find(key);
        if (found == values.end()) {
            Refuse(errorUtf8, ui::Fill(ui::translate("ExtensometerSettings", "缺少“%1”"), {key}));
            return std::nullopt;
        }
        if (!TakeValue(key, found->second, settings)) {
            Refuse(errorUtf8,
                   ui::Fill(ui::translate("ExtensometerSettings", "“%1”的值无法识别：%2"),
                            {key, found->second}));
            return std::nullopt;
        }
    }
    if (const auto failure = FindExtensometerFailure(settings)) {
        const char* key = FieldKey(*failure);
        Refuse(errorUtf8, ui::Fill(ui::translate("ExtensometerSettings", "“%1”的值不可用：%2"),
                                   {key, values[key]}));
        return std::nullopt;
    }
    return settings;
}

bool LoadExtensometerFile(ExtensometerSettings& settings, std::string* errorUtf8) {
    settings = ExtensometerSettings{};
    const std::string path = ExtensometerFilePath();
    std::string bytes;
    std::string error;
    int readError = 0;
    if (!ReadBoundedFile(path, kMostFileBytes, &bytes, &error, &readError)) {
        if (readError == ENOENT) return true;
        Refuse(errorUtf8, ui::Fill(ui::translate("ExtensometerSettings",
                                                 "引伸计设置文件无法读取：%1\n引伸计未启用。"),
                                   {error}));
        return false;
    }
    std::string refusal;
    if (const auto parsed = ParseExtensometerText(bytes, &refusal)) {
        settings = *parsed;
        return true;
    }
    std::string aside;
    std::string where;
    if (KeepFileAside(path, &aside)) {
        where = ui::Fill(ui::translate("ExtensometerSettings", "原文件已改名保存为 %1。"), {aside});
    } else {
        where =
            ui::Fill(ui::translate("ExtensometerSettings", "原文件无法改名保存（%1），仍在 %2。"),
                     {std::strerror(errno), path});
    }
    Refuse(errorUtf8,
           ui::Fill(ui::translate(
                        "ExtensometerSettings",
                        "引伸计设置文件 %1 未通过检查：%2\n该文件未被采用，引伸计未启用。\n%3"),
                    {path, refusal, where}));
    return false;
}

bool WriteExtensometerFile(const ExtensometerSettings& settings, std::string* errorUtf8) {
    return WriteFileAtomically(ExtensometerFilePath(), ExtensometerFileText(settings), errorUtf8);
}
