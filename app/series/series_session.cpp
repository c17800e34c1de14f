#include "series/series_session.h"

#include <dirent.h>

#include <algorithm>
#include <memory>

#include "common/atomic_file.h"
#include "records/archive_ini.h"

namespace {

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

std::vector<SeriesTestFile> SeriesTestFiles(const std::string& dataFolderUtf8,
                                            const std::string& seriesUtf8) {
    std::vector<SeriesTestFile> files;
    std::unique_ptr<DIR, int (*)(DIR*)> folder(opendir(dataFolderUtf8.c_str()), closedir);
    if (!folder || seriesUtf8.empty()) return files;
    while (const dirent* entry = readdir(folder.get())) {
        const std::string name = entry->d_name;
        if (!EndsWith(name, ".ini") || EndsWith(name, ".series.ini")) continue;
        std::string bytes, startTime, operatorName;
        SpecimenDims specimen;
        SeriesMember member;
        if (!ReadFilePrefix(dataFolderUtf8 + name, kMaxTestFileBytes, &bytes, nullptr) ||
            !ParseTestFileText(bytes, &startTime, &operatorName, &specimen, &member) ||
            member.series != seriesUtf8)
            continue;
        files.push_back({dataFolderUtf8 + name.substr(0, name.size() - 4) + ".dat", member});
    }
    std::sort(files.begin(), files.end(), [](const SeriesTestFile& a, const SeriesTestFile& b) {
        return a.member.number != b.member.number ? a.member.number < b.member.number
                                                  : a.archivePath < b.archivePath;
    });
    return files;
}
