// The series the operator is testing now: each new test started while it is active is its
// next specimen. The window owns it; the run controller numbers the tests from it.
#pragma once

#include <string>
#include <vector>

#include "records/series_file.h"
#include "run/series_member.h"

struct SeriesSession {
    bool active = false;
    SeriesInfo info;
    int nextNumber = 1;  // the number the next specimen takes
};

// The test files in the folder that name the series, with their archives' paths (UTF-8),
// in specimen order: a series continued after a restart numbers on from the last.
struct SeriesTestFile {
    std::string archivePath;
    SeriesMember member;
};
std::vector<SeriesTestFile> SeriesTestFiles(const std::string& dataFolderUtf8,
                                            const std::string& seriesUtf8);
