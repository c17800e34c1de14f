// A saved test's specimen data change after its save (Su measured on the broken specimen,
// a dimension corrected): the files that hold its results follow, the archive does not.
#pragma once

#include <string>

struct ResultSet;

// Writes again, each through a temporary file renamed into place, the test file (its start
// time and operator kept, the set's specimen), the CSV's result block (the records after it
// kept byte for byte) and the workbook (the records sheet rebuilt from the archive and the
// 引伸计 sheet from the extensometer file beside it, so they come out as the save wrote them;
// the 结果 sheet from the set). The archive is only read.
// The test name and start time are the saved test's, whatever the set says. Nothing is
// written, and false returned with a message, when the archive cannot be read or the CSV
// beside it is not the program's.
bool RewriteResultFiles(const ResultSet& set, const std::string& archivePathUtf8,
                        std::string* errorUtf8);
