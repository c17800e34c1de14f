#include "settings/data_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <sstream>
#include <vector>

#include "common/atomic_file.h"
#include "common/gbk_text.h"
#include "settings/settings_record.h"

namespace {

std::string& Anchor() {
    static std::string anchor;
    return anchor;
}

std::string CurrentDirectory() {
    std::vector<char> buffer(4096);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) return ".";
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

}  // namespace

void AnchorDataFolder() {
    Anchor() = CurrentDirectory();
}

std::string DataFolderPath() {
    if (Anchor().empty()) AnchorDataFolder();
    std::string base = Anchor();
    if (base.empty() || base.back() != '/') base += '/';
    return base + "测试数据存档/";
}

bool EnsureDataFolder(std::string* errorUtf8) {
    std::string folder = DataFolderPath();
    folder.pop_back();
    if (mkdir(folder.c_str(), 0777) == 0 || errno == EEXIST) {
        struct stat info;
        if (stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return true;
    }
    if (errorUtf8) *errorUtf8 = "数据文件夹无法创建：" + folder + " (" + std::strerror(errno) + ")";
    return false;
}

std::string SettingsFilePath() {
    return DataFolderPath() + "MyTestSet.dat";
}

bool FitsPathField(const std::string& utf8Path) {
    return Utf8ToGbk(utf8Path).size() + 1 <= kPathFieldBytes;
}

namespace {

std::string SettingsBytes() {
    std::ostringstream out;
    SaveSettings(out);
    return out.str();
}

bool CheckSettingsPath(std::string* errorUtf8) {
    if (FitsPathField(SettingsFilePath())) return true;
    if (errorUtf8) *errorUtf8 = "设置文件路径过长：" + SettingsFilePath();
    return false;
}

// Reads the settings file over the strings, the way the archive reader reads an archive:
// a FIFO or a device in its place is refused at once instead of holding the window.
bool ReadSettingsFile(std::string* errorUtf8, int* error) {
    std::string bytes;
    if (!ReadFilePrefix(SettingsFilePath(), kSettingsBytes, &bytes, errorUtf8, error)) return false;
    std::istringstream in(bytes);
    LoadSettings(in);
    return true;
}

}  // namespace

bool LoadOrCreateSettingsFile(std::string* errorUtf8) {
    bool ok = CheckSettingsPath(errorUtf8) && EnsureDataFolder(errorUtf8);
    if (ok) {
        int error = 0;
        ok = ReadSettingsFile(errorUtf8, &error);
        // Only a missing file is made anew; one that is there but cannot be read is the
        // operator's to look at, not to be overwritten with the defaults.
        if (!ok && error == ENOENT)
            ok = WriteFileAtomically(SettingsFilePath(), SettingsBytes(), errorUtf8);
    }
    ParseSettings();
    return ok;
}

bool ReloadSettingsFile() {
    return FitsPathField(SettingsFilePath()) && ReadSettingsFile(nullptr, nullptr);
}

bool WriteSettingsFile(std::string* errorUtf8) {
    if (!CheckSettingsPath(errorUtf8)) return false;
    // The file is created at start-up; one that has gone since is reported, not re-made,
    // and whatever stands in its place that is not a file is left alone.
    struct stat info;
    if (stat(SettingsFilePath().c_str(), &info) != 0) {
        if (errorUtf8) *errorUtf8 = "设置文件不存在：" + SettingsFilePath();
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        if (errorUtf8) *errorUtf8 = "设置文件不是普通文件：" + SettingsFilePath();
        return false;
    }
    return WriteFileAtomically(SettingsFilePath(), SettingsBytes(), errorUtf8);
}
