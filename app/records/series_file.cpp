#include "records/series_file.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "common/atomic_file.h"
#include "common/ui_text.h"

namespace {

constexpr char kHeader[] = "[Series]";
constexpr std::size_t kMaxSeriesFileBytes = 16384;

std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    return text;
}

}  // namespace

std::string SeriesNameProblem(const std::string& nameUtf8) {
    if (nameUtf8.empty()) return ui::translate("RecordTexts", "请输入系列名称。");
    if (nameUtf8 == "." || nameUtf8 == "..")
        return ui::translate("RecordTexts", "系列名称不能是 . 或 ..");
    for (unsigned char c : nameUtf8)
        if (c == '/' || c == '\\' || c < 0x20 || c == 0x7f)
            return ui::translate("RecordTexts", "系列名称不能含有 / \\ 或控制字符。");
    return std::string();
}

std::string SeriesFilePath(const std::string& dataFolderUtf8, const std::string& nameUtf8) {
    return dataFolderUtf8 + nameUtf8 + ".series.ini";
}

std::string SeriesFileText(const SeriesInfo& info) {
    return std::string(kHeader) + "\nName=" + OneLine(info.name) +
           "\nMaterial=" + OneLine(info.material) + "\nMethod=" + OneLine(info.method) +
           "\nOperator=" + OneLine(info.operatorName) +
           "\nPlanned=" + std::to_string(info.planned) + "\nNotes=" + OneLine(info.notes) +
           "\nCreated=" + OneLine(info.created) + "\n";
}

bool ParseSeriesFileText(const std::string& text, SeriesInfo* info) {
    std::istringstream lines(text);
    std::string line;
    bool isSeriesFile = false;
    SeriesInfo read;
    read.planned = 0;
    const auto take = [&line](const char* key, std::string* value) {
        const std::string prefix = std::string(key) + "=";
        if (line.rfind(prefix, 0) == 0) *value = line.substr(prefix.size());
    };
    std::string planned;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line == kHeader) isSeriesFile = true;
        take("Name", &read.name);
        take("Material", &read.material);
        take("Method", &read.method);
        take("Operator", &read.operatorName);
        take("Planned", &planned);
        take("Notes", &read.notes);
        take("Created", &read.created);
    }
    if (!isSeriesFile || !SeriesNameProblem(read.name).empty()) return false;
    read.planned = std::max(0, std::atoi(planned.c_str()));
    *info = read;
    return true;
}

bool WriteSeriesFile(const std::string& dataFolderUtf8, const SeriesInfo& info,
                     std::string* errorUtf8) {
    const std::string problem = SeriesNameProblem(info.name);
    if (!problem.empty()) {
        if (errorUtf8 != nullptr) *errorUtf8 = problem;
        return false;
    }
    return WriteFileAtomically(SeriesFilePath(dataFolderUtf8, info.name), SeriesFileText(info),
                               errorUtf8);
}

bool ReadSeriesFile(const std::string& pathUtf8, SeriesInfo* info, std::string* errorUtf8) {
    std::string bytes;
    if (!ReadBoundedFile(pathUtf8, kMaxSeriesFileBytes, &bytes, errorUtf8)) return false;
    if (!ParseSeriesFileText(bytes, info)) {
        if (errorUtf8 != nullptr)
            *errorUtf8 = ui::Fill(ui::translate("RecordTexts", "不是系列文件：%1"), {pathUtf8});
        return false;
    }
    return true;
}
