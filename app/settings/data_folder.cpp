#include "settings/data_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <optional>
#include <sstream>
#include <vector>

#include "common/atomic_file.h"
#include "common/free_name.h"
#include "common/gbk_text.h"
#include "common/ui_text.h"
#include "settings/field_labels.h"
#include "settings/settings_checks.h"
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
    if (errorUtf8)
        *errorUtf8 = ui::Fill(ui::translate("DataFolder", "数据文件夹无法创建：%1 (%2)"),
                              {folder, std::strerror(errno)});
    return false;
}

std::string SettingsFilePath() {
    return DataFolderPath() + "MyTestSet.dat";
}

bool FitsPathField(const std::string& utf8Path) {
    return Utf8ToGbk(utf8Path).size() + 1 <= kPathFieldBytes;
}

bool KeepFileAside(const std::string& pathUtf8, std::string* asideUtf8) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char stamp[32] = "";
    if (localtime_r(&now, &local) != nullptr)
        std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string base = pathUtf8 + ".refused-" + stamp;
    const auto rename = [&pathUtf8](const std::string& aside) {
        if (RenameWithoutReplacing(pathUtf8, aside)) return NameAttempt::kDone;
        return errno == EEXIST ? NameAttempt::kTaken : NameAttempt::kFailed;
    };
    return WalkFreeNames(base, rename, asideUtf8) == NameAttempt::kDone;
}

namespace {

std::string SettingsBytes(const Settings& settings) {
    std::ostringstream out;
    settings.Save(out);
    return out.str();
}

bool CheckSettingsPath(std::string* errorUtf8) {
    if (FitsPathField(SettingsFilePath())) return true;
    if (errorUtf8)
        *errorUtf8 =
            ui::Fill(ui::translate("DataFolder", "设置文件路径过长：%1"), {SettingsFilePath()});
    return false;
}

// Reads the settings file over the strings, the way the archive reader reads an archive:
// a FIFO or a device in its place is refused at once instead of holding the window.
bool ReadSettingsFile(Settings& settings, std::string* errorUtf8, int* error) {
    std::string bytes;
    if (!ReadFilePrefix(SettingsFilePath(), kSettingsBytes, &bytes, errorUtf8, error)) return false;
    std::istringstream in(bytes);
    settings.Load(in);
    return true;
}

// Holds the loaded strings to the checks of the settings dialog's OK. A file that fails
// them is kept aside, the defaults take its place in memory and on disk, and *messageUtf8
// names the refused field and where the file went.
bool AcceptLoadedSettings(Settings& settings, std::string* messageUtf8) {
    const std::optional<SettingsFailure> failure = FindSettingsFailure(settings);
    if (!failure) return true;
    const std::string path = SettingsFilePath();
    const std::string refused = GbkToUtf8(*settings.Fields()[failure->field].text);
    settings.SetDefaults();
    std::string aside;
    std::string where;
    if (KeepFileAside(path, &aside)) {
        std::string error;
        where = ui::Fill(ui::translate("DataFolder", "原文件已改名保存为 %1。"), {aside});
        if (!WriteFileAtomically(path, SettingsBytes(settings), &error))
            where +=
                ui::Fill(ui::translate("DataFolder", "\n默认设置无法写入设置文件：%1"), {error});
    } else {
        where = ui::Fill(ui::translate("DataFolder", "原文件无法改名保存（%1），仍在 %2。"),
                         {std::strerror(errno), path});
    }
    if (messageUtf8) {
        *messageUtf8 = ui::Fill(ui::translate("DataFolder",
                                              "设置文件 %1 的“%2”（%3）未通过检查：%4\n"
                                              "该文件未被采用，现使用默认设置。\n%5"),
                                {path, GbkToUtf8(SettingsFieldLabel(failure->field)), refused,
                                 GbkToUtf8(failure->message), where});
    }
    return false;
}

}  // namespace

bool LoadOrCreateSettingsFile(Settings& settings, std::string* errorUtf8) {
    bool ok = CheckSettingsPath(errorUtf8) && EnsureDataFolder(errorUtf8);
    if (ok) {
        int error = 0;
        ok = ReadSettingsFile(settings, errorUtf8, &error);
        if (ok) {
            ok = AcceptLoadedSettings(settings, errorUtf8);
        } else if (error == ENOENT) {
            // Only a missing file is made anew; one that is there but cannot be read is the
            // operator's to look at, not to be overwritten with the defaults.
            ok = WriteFileAtomically(SettingsFilePath(), SettingsBytes(settings), errorUtf8);
        }
    }
    settings.Parse();
    return ok;
}

bool ReloadSettingsFile(Settings& settings, std::string* refusalUtf8) {
    if (refusalUtf8) refusalUtf8->clear();
    if (!FitsPathField(SettingsFilePath()) || !ReadSettingsFile(settings, nullptr, nullptr))
        return false;
    AcceptLoadedSettings(settings, refusalUtf8);
    return true;
}

bool WriteSettingsFile(const Settings& settings, std::string* errorUtf8) {
    if (!CheckSettingsPath(errorUtf8)) return false;
    // The file is created at start-up; one that has gone since is reported, not re-made,
    // and whatever stands in its place that is not a file is left alone.
    struct stat info;
    if (stat(SettingsFilePath().c_str(), &info) != 0) {
        if (errorUtf8)
            *errorUtf8 =
                ui::Fill(ui::translate("DataFolder", "设置文件不存在：%1"), {SettingsFilePath()});
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        if (errorUtf8)
            *errorUtf8 = ui::Fill(ui::translate("DataFolder", "设置文件不是普通文件：%1"),
                                  {SettingsFilePath()});
        return false;
    }
    return WriteFileAtomically(SettingsFilePath(), SettingsBytes(settings), errorUtf8);
}
