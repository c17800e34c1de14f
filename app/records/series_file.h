// A series of specimens tested together: what the operator gave when starting it, kept in
// "<name>.series.ini" in the data folder beside the tests' archives. Which tests belong to
// it is stored with each test (its test file), not here.
#pragma once

#include <string>

struct SeriesInfo {
    std::string name;          // UTF-8; also the start of every specimen id
    std::string material;      // UTF-8
    std::string method;        // UTF-8: the standard's method the series follows
    std::string operatorName;  // UTF-8
    int planned = 5;           // specimens planned
    std::string notes;         // UTF-8, one line
    std::string created;       // "%Y-%m-%d-%H:%M:%S"
};

// A series name is a file name's start and every specimen id's: none of "/", "\\", control
// characters; not empty, ".", or "..". Returns the message (UTF-8) when it cannot be one.
std::string SeriesNameProblem(const std::string& nameUtf8);

std::string SeriesFilePath(const std::string& dataFolderUtf8, const std::string& nameUtf8);
// "[Series]", then Name=, Material=, Method=, Operator=, Planned=, Notes=, Created= (line
// breaks in a value become blanks).
std::string SeriesFileText(const SeriesInfo& info);
// False when the text is not a series file (no "[Series]" line or no name).
bool ParseSeriesFileText(const std::string& text, SeriesInfo* info);
// Written through a temporary file renamed into place. False, with a message.
bool WriteSeriesFile(const std::string& dataFolderUtf8, const SeriesInfo& info,
                     std::string* errorUtf8);
bool ReadSeriesFile(const std::string& pathUtf8, SeriesInfo* info, std::string* errorUtf8);
