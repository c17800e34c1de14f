// The data folder "测试数据存档" under the working directory the program started in, which
// holds the settings file and every archive and workbook.
#pragma once

#include <cstddef>
#include <string>

struct Settings;

// Every path the program stores must fit a 256-byte field, its zero byte included.
constexpr std::size_t kPathFieldBytes = 256;

// Takes the current working directory as the anchor of the data folder. Start-up calls it
// once, so that a file picker that changes the working directory moves nothing.
void AnchorDataFolder();
// The data folder's path (UTF-8, ending in '/').
std::string DataFolderPath();
// Creates the data folder when it is missing. On failure returns false with a message.
bool EnsureDataFolder(std::string* errorUtf8);
// The settings file "MyTestSet.dat" in the data folder.
std::string SettingsFilePath();
// True when the path, converted to GBK, fits kPathFieldBytes with its zero byte.
bool FitsPathField(const std::string& utf8Path);

// Moves a refused file to "<path>.refused-<date>-<time>" (then "-2", "-3", ... should that
// name be taken): its bytes stay for the operator to look at, and nothing is replaced. False
// (errno set) when it cannot be moved.
bool KeepFileAside(const std::string& pathUtf8, std::string* asideUtf8);

// Start-up: creates the data folder when missing, loads the settings file or creates it
// with the current (default) settings, then parses the strings. On failure (folder or file
// cannot be made, path too long) the defaults stay in force and *errorUtf8 says why.
// A file whose texts fail the settings dialog's checks is refused the same way: it is
// renamed to "MyTestSet.dat.refused-<date>-<time>", a file of the defaults replaces it,
// and *errorUtf8 names the field and the new name.
bool LoadOrCreateSettingsFile(Settings& settings, std::string* errorUtf8);
// Loads the settings file over the strings (the Settings command). False when unreadable.
// A file that fails the checks is refused as at start-up; *refusalUtf8 then says so and
// the defaults are in the strings (it is emptied otherwise).
bool ReloadSettingsFile(Settings& settings, std::string* refusalUtf8 = nullptr);
// Writes the 380-byte settings file over the existing one (the settings dialog's OK).
bool WriteSettingsFile(const Settings& settings, std::string* errorUtf8);
