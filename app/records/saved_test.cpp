#include "records/saved_test.h"

#include <memory>

#include "common/gbk_text.h"
#include "records/archive.h"
#include "records/archive_ini.h"
#include "records/extensometer_records.h"
#include "run/run_state.h"
#include "settings/settings_record.h"

bool LoadSavedTest(const std::string& archivePathUtf8, const SpecimenDims& fallback,
                   SavedTest* test, std::string* errorUtf8) {
    // Heap objects of their own: the record tables are large, and the run in force is not
    // touched.
    auto settings = std::make_unique<Settings>();
    auto run = std::make_unique<TestRun>();
    std::string archiveName;
    if (!ReadArchive(*settings, *run, archivePathUtf8, &archiveName, errorUtf8)) return false;
    run->g_strOperator = settings->g_strTester;
    SpecimenDims specimen = fallback;
    TakeArchivedTest(*run, specimen, archivePathUtf8);
    std::string extensometerNotice;
    TakeExtensometerRecords(*run, archivePathUtf8, &extensometerNotice);

    SavedTest read;
    read.archivePath = archivePathUtf8;
    read.hasTestFile = run->g_playedArchive.hasTestFile;
    read.member = run->g_seriesMember;
    read.operatorName = GbkToUtf8(run->g_strOperator);
    read.breakValue = settings->g_dBreakValue;
    read.set = ResultsOfCurrentTest(*settings, *run, specimen);
    if (!extensometerNotice.empty()) read.set.results.notes.push_back(extensometerNotice);
    read.extensometerNotice = std::move(extensometerNotice);
    *test = std::move(read);
    return true;
}
