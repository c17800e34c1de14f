#include "records/store_entry.h"

#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <memory>
#include <system_error>

#include "common/local_time.h"
#include "common/sha256.h"
#include "common/ui_text.h"
#include "records/archive.h"
#include "records/saved_test.h"
#include "records/series_file.h"

namespace fs = std::filesystem;

namespace {

constexpr char kSeriesSuffix[] = ".series.ini";
// Entries go to the new store this many at a time: one transaction each.
constexpr std::size_t kBatch = 200;

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The name beside the archive with another extension, when that file is there.
std::string Beside(const fs::path& archive, const fs::path& relative, const char* extension) {
    fs::path file = archive;
    file.replace_extension(extension);
    std::error_code error;
    if (!fs::is_regular_file(file, error)) return std::string();
    fs::path name = relative;
    return name.replace_extension(extension).string();
}

}  // namespace

bool EntryOfSavedTest(const SavedTest& test, const std::string& dataFolderUtf8, StoredTest* entry,
                      std::string* errorUtf8) {
    std::error_code error;
    const fs::path archive = fs::absolute(test.archivePath, error).lexically_normal();
    const fs::path folder = fs::absolute(dataFolderUtf8, error).lexically_normal();
    const fs::path relative = archive.lexically_relative(folder);
    if (error || relative.empty() || *relative.begin() == "..") {
        *errorUtf8 = ui::Fill(ui::translate("RecordTexts", "存档 %1 不在数据文件夹 %2 中"),
                              {test.archivePath, dataFolderUtf8});
        return false;
    }
    StoredTest made;
    if (!Sha256OfFile(archive.string(), &made.archiveSha256, errorUtf8)) return false;
    struct stat info {};
    if (::stat(archive.c_str(), &info) != 0) {
        *errorUtf8 = ui::Fill(ui::translate("RecordTexts", "文件无法读取：%1"), {test.archivePath});
        return false;
    }
    made.savedAt = LocalTimeText(info.st_mtime, kStoreTimeFormat);
    made.archiveName = relative.string();
    made.testFileName = Beside(archive, relative, ".ini");
    made.csvName = Beside(archive, relative, ".csv");
    made.xlsName = Beside(archive, relative, ".xls");

    const ResultSet& set = test.set;
    made.testName = set.testName;
    made.startTime = set.startTime;
    made.operatorName = test.operatorName;
    made.series = test.member.series;
    made.specimenNumber = test.member.series.empty() ? 0 : test.member.number;
    made.specimenId = SpecimenIdOf(test.member);
    made.excludedReason = test.member.excludedReason;
    made.area = set.specimen.area;
    made.gaugeLength = set.specimen.gaugeLength;
    made.finalArea = set.specimen.finalArea;
    made.finalGaugeLength = set.specimen.finalGaugeLength;
    made.proofOffset = set.specimen.proofOffset;
    made.breakRecord = set.results.breakDetected ? set.results.breakIndex + 1 : 0;
    made.recordCount = set.results.count;
    for (std::size_t i = 0; i < set.rows.size(); ++i)
        made.results.push_back(
            {static_cast<int>(i), set.rows[i].name, set.rows[i].value, set.rows[i].unit});
    const std::vector<std::string> notes = ResultNotes(set);
    for (std::size_t i = 0; i < notes.size(); ++i)
        made.notes.push_back({static_cast<int>(i), notes[i]});
    *entry = std::move(made);
    return true;
}

bool ReindexDataFolder(const std::string& folderUtf8, const std::string& storePathUtf8,
                       const ReindexProgress& progress, ReindexReport* report) {
    *report = ReindexReport();
    std::vector<fs::path> archives, seriesFiles;
    std::error_code error;
    for (const auto& item : fs::directory_iterator(folderUtf8, error)) {
        // Only regular files: a link or a device named like an archive is not one.
        std::error_code ignored;
        if (!item.is_regular_file(ignored) || item.is_symlink(ignored)) continue;
        const std::string name = item.path().filename().string();
        if (EndsWith(name, ".dat") && item.file_size(ignored) == kArchiveBytes)
            archives.push_back(item.path());
        else if (EndsWith(name, kSeriesSuffix))
            seriesFiles.push_back(item.path());
    }
    if (error) {
        report->failure = ui::Fill(ui::translate("RecordTexts", "数据文件夹无法读取：%1（%2）"),
                                   {folderUtf8, error.message()});
        return false;
    }
    std::sort(archives.begin(), archives.end());
    std::sort(seriesFiles.begin(), seriesFiles.end());

    // The old store is read for the history of its tests; one of a newer version, or held
    // beyond the timeout, is not replaced.
    std::unique_ptr<ResultsStore> old;
    if (fs::exists(storePathUtf8, error)) {
        old = std::make_unique<ResultsStore>();
        if (!old->Open(storePathUtf8, &report->notice)) {
            report->failure = report->notice;
            report->notice.clear();
            return false;
        }
    }
    const std::string builtPath = storePathUtf8 + ".reindex";
    for (const char* companion : {"", "-journal"}) fs::remove(builtPath + companion, error);
    bool built = false;
    {
        ResultsStore store;
        std::string message;
        if (!store.Open(builtPath, &message)) {
            report->failure = message;
            return false;
        }
        const int total = static_cast<int>(archives.size() + seriesFiles.size());
        int done = 0;
        std::vector<StoredTest> batch;
        auto flush = [&] {
            if (batch.empty()) return true;
            if (!store.EnterAll(batch, &message)) return false;
            report->entered += static_cast<int>(batch.size());
            if (old) {
                // The history stays with the tests, and what the new reading changes joins it.
                const std::string now = LocalTimeText(std::time(nullptr), kStoreTimeFormat);
                for (const StoredTest& entry : batch) {
                    StoredTest before;
                    std::string ignored;
                    if (!old->ReadTest(entry.archiveName, &before, &ignored)) continue;
                    std::vector<StoredChange> history;
                    if (!old->ChangesOf(entry.archiveName, &history, &message)) return false;
                    for (std::string& text : ChangesBetween(before, entry))
                        history.push_back({now, std::move(text)});
                    if (!history.empty() &&
                        !store.EnterChanges(entry.archiveName, history, &message))
                        return false;
                }
            }
            batch.clear();
            return true;
        };
        bool ok = true;
        for (const fs::path& path : archives) {
            SavedTest saved;
            StoredTest entry;
            std::string why;
            if (LoadSavedTest(path.string(), SpecimenDims{}, &saved, &why) &&
                EntryOfSavedTest(saved, folderUtf8, &entry, &why))
                batch.push_back(std::move(entry));
            else
                report->refused.push_back(path.filename().string() + ": " + why);
            if (batch.size() >= kBatch) ok = flush();
            if (!ok) break;
            if (progress) progress(++done, total);
        }
        ok = ok && flush();
        for (std::size_t i = 0; ok && i < seriesFiles.size(); ++i) {
            const fs::path& path = seriesFiles[i];
            SeriesInfo info;
            std::string why;
            if (ReadSeriesFile(path.string(), &info, &why)) {
                ok = store.EnterSeries({info.name, info.material, info.method, info.operatorName,
                                        info.planned, info.notes, info.created},
                                       &message);
                report->seriesEntered += ok ? 1 : 0;
            } else {
                report->refused.push_back(path.filename().string() + ": " + why);
            }
            if (progress) progress(++done, total);
        }
        if (!ok) report->failure = message;
        built = ok;
    }
    if (built) {
        old.reset();
        built = ReplaceStoreFile(builtPath, storePathUtf8, &report->failure);
    }
    if (!built) {
        fs::remove(builtPath, error);
        report->entered = 0;
        report->seriesEntered = 0;
    }
    return built;
}
