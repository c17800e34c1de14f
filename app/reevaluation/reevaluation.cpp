#include "reevaluation/reevaluation.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <system_error>

#include "common/atomic_file.h"
#include "common/local_time.h"
#include "common/number_text.h"
#include "records/archive_ini.h"
#include "records/extensometer_records.h"
#include "records/records_csv.h"
#include "records/saved_test.h"
#include "records/store_entry.h"
#include "reevaluation/reevaluation_texts.h"

namespace fs = std::filesystem;

namespace {

constexpr char kSettingsFileName[] = "MyTestSet.dat";

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The path's folder with its slash; empty for a name in the working directory.
std::string FolderOf(const std::string& pathUtf8) {
    const std::size_t slash = pathUtf8.rfind('/');
    return slash == std::string::npos ? std::string() : pathUtf8.substr(0, slash + 1);
}

// The series membership a test file beside the path names; a lone test's without one.
SeriesMember MemberBeside(const std::string& pathUtf8) {
    std::string bytes, startTime, operatorName;
    SpecimenDims specimen;
    SeriesMember member;
    if (ReadFilePrefix(TestFilePathOf(pathUtf8), kMaxTestFileBytes, &bytes, nullptr))
        ParseTestFileText(bytes, &startTime, &operatorName, &specimen, &member);
    return member;
}

void Finish(EvaluatedTest& test, const MethodOverrides& overrides,
            const std::vector<std::string>& ownNotes) {
    test.set.specimen = WithOverrides(test.set.specimen, overrides);
    EvaluateResultSet(test.set, overrides.fitRange.value_or(FitRange{}));
    test.notes = {BreakNoteText(test.set.results)};
    for (const std::string& note : ResultNotes(test.set)) test.notes.push_back(note);
    test.notes.insert(test.notes.end(), ownNotes.begin(), ownNotes.end());
    const std::vector<std::string> given = OverrideTexts(overrides);
    test.fromCommandLine.insert(test.fromCommandLine.end(), given.begin(), given.end());
}

}  // namespace

bool EvaluateArchive(const std::string& pathUtf8, const ReevaluationOptions& options,
                     EvaluatedTest* test, std::string* errorUtf8) {
    std::string specimenText;
    const bool specimenFile = ReadFilePrefix(FolderOf(pathUtf8) + "Specimen.ini", kMaxTestFileBytes,
                                             &specimenText, nullptr);
    SavedTest saved;
    if (!LoadSavedTest(pathUtf8, ParseSpecimenText(specimenFile ? specimenText : std::string()),
                       &saved, errorUtf8))
        return false;
    EvaluatedTest read;
    read.path = pathUtf8;
    read.archive = true;
    read.member = saved.member;
    read.operatorName = saved.operatorName;
    read.set = std::move(saved.set);
    std::vector<std::string> notes;
    if (!saved.hasTestFile && !specimenFile)
        notes.push_back(reevaluation_text::kNoSpecimenFileNote);
    // Evaluated again below, the set loses the notes LoadSavedTest added to it.
    if (!saved.extensometerNotice.empty()) notes.push_back(saved.extensometerNotice);
    Finish(read, OverridesOfOptions(options), notes);
    *test = std::move(read);
    return true;
}

bool EvaluateCsv(const std::string& pathUtf8, const ReevaluationOptions& options,
                 EvaluatedTest* test, std::string* errorUtf8) {
    RecordsCsvContent content;
    if (!ReadRecordsCsv(pathUtf8, &content, errorUtf8)) return false;
    EvaluatedTest read;
    read.path = pathUtf8;
    read.member = MemberBeside(pathUtf8);
    read.set = std::move(content.set);
    std::vector<std::string> notes;
    if (!content.breakRecordStored) {
        if (options.breakValue) {
            read.set.curve.breakRecord = BreakRecordOf(read.set.curve.force, *options.breakValue);
            const std::string value = PlainNumber(*options.breakValue);
            notes.push_back(FillText(reevaluation_text::kBreakRuleNote, {value}));
            read.fromCommandLine.push_back(FillText(reevaluation_text::kGivenBreakValue, {value}));
        } else {
            notes.push_back(reevaluation_text::kNoBreakValueNote);
        }
    }
    Finish(read, OverridesOfOptions(options), notes);
    *test = std::move(read);
    return true;
}

bool TestsOfFolder(const std::string& folderUtf8, const std::optional<std::string>& series,
                   std::vector<std::string>* paths, std::string* errorUtf8) {
    std::error_code error;
    std::vector<std::string> names;
    for (fs::directory_iterator it(folderUtf8, error), end; !error && it != end;
         it.increment(error)) {
        std::error_code typeError;
        if (it->is_regular_file(typeError)) names.push_back(it->path().filename().string());
    }
    if (error) {
        if (errorUtf8 != nullptr)
            *errorUtf8 = "文件夹无法读取：" + folderUtf8 + " (" + error.message() + ")";
        return false;
    }
    std::sort(names.begin(), names.end());
    const std::string folder = EndsWith(folderUtf8, "/") ? folderUtf8 : folderUtf8 + "/";
    auto has = [&names](const std::string& name) {
        return std::binary_search(names.begin(), names.end(), name);
    };
    const std::string extensometerSuffix = ExtensometerRecordsPathOf(std::string());
    std::vector<std::string> found;
    for (const std::string& name : names) {
        const bool archive = EndsWith(name, ".dat") && name != kSettingsFileName;
        // An archive's extensometer file is read with its archive.
        const bool extensometerFile = EndsWith(name, extensometerSuffix) &&
                                      has(name.substr(0, name.size() - extensometerSuffix.size()));
        const bool loneCsv = EndsWith(name, ".csv") && !extensometerFile &&
                             !has(name.substr(0, name.size() - 4) + ".dat");
        if (!archive && !loneCsv) continue;
        if (series && MemberBeside(folder + name).series != *series) continue;
        found.push_back(folder + name);
    }
    *paths = std::move(found);
    return true;
}

Evaluation EvaluateInputs(const ReevaluationOptions& options) {
    Evaluation evaluation;
    auto evaluate = [&](const std::string& path) {
        EvaluatedTest test;
        std::string error;
        const bool read = EndsWith(path, ".csv") || EndsWith(path, ".CSV")
                              ? EvaluateCsv(path, options, &test, &error)
                              : EvaluateArchive(path, options, &test, &error);
        if (read) {
            evaluation.tests.push_back(std::move(test));
        } else {
            evaluation.refused.push_back({path, error});
        }
    };
    for (const std::string& input : options.inputs) {
        std::error_code error;
        if (!fs::is_directory(input, error)) {
            evaluate(input);
            continue;
        }
        evaluation.withStatistics = true;
        std::vector<std::string> paths;
        std::string message;
        if (!TestsOfFolder(input, options.series, &paths, &message)) {
            evaluation.refused.push_back({input, message});
            continue;
        }
        if (paths.empty()) {
            evaluation.refused.push_back(
                {input, "文件夹中没有" +
                            (options.series ? "系列“" + *options.series + "”的" : std::string()) +
                            "试验：" + input});
        }
        for (const std::string& path : paths) evaluate(path);
    }
    if (evaluation.tests.size() > 1) evaluation.withStatistics = true;
    if (evaluation.withStatistics) {
        std::vector<SeriesSpecimen> specimens;
        for (const EvaluatedTest& test : evaluation.tests)
            specimens.push_back({test.member, test.set.rows});
        evaluation.statistics = StatisticsOfSeries(specimens);
    }
    return evaluation;
}

void UpdateStores(const Evaluation& evaluation, std::vector<RefusedFile>* refused,
                  std::vector<std::string>* lines) {
    std::map<std::string, std::unique_ptr<ResultsStore>> stores;
    std::map<std::string, int> entered;
    for (const EvaluatedTest& test : evaluation.tests) {
        if (!test.archive) {
            refused->push_back({test.path, "只有存档可以更新试验记录库：" + test.path});
            continue;
        }
        const std::string folder = FolderOf(test.path);
        std::string message;
        std::unique_ptr<ResultsStore>& store = stores[folder];
        if (!store) {
            store = std::make_unique<ResultsStore>();
            if (!store->Open(ResultsStorePath(folder), &message)) {
                refused->push_back({test.path, message});
                continue;
            }
            if (!message.empty()) lines->push_back(message);
        }
        SavedTest saved;
        saved.archivePath = test.path;
        saved.operatorName = test.operatorName;
        saved.member = test.member;
        saved.set = test.set;
        StoredTest entry;
        if (!EntryOfSavedTest(saved, folder, &entry, &message) || !store->Enter(entry, &message)) {
            refused->push_back({test.path, message});
            continue;
        }
        if (!test.fromCommandLine.empty()) {
            std::string text = "velmora-results 重新计算：";
            for (std::size_t i = 0; i < test.fromCommandLine.size(); ++i)
                text += (i ? "，" : "") + test.fromCommandLine[i];
            store->EnterChanges(entry.archiveName,
                                {{LocalTimeText(std::time(nullptr), kStoreTimeFormat), text}},
                                &message);
        }
        ++entered[folder];
    }
    for (const auto& [folder, count] : entered)
        lines->push_back("已更新试验记录库 " + ResultsStorePath(folder) + "：" +
                         std::to_string(count) + " 个试验");
}
