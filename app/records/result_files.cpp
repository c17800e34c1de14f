#include "records/result_files.h"

#include <cerrno>
#include <memory>

#include "common/atomic_file.h"
#include "common/gbk_text.h"
#include "common/ui_text.h"
#include "records/archive.h"
#include "records/archive_ini.h"
#include "records/extensometer_records.h"
#include "records/records_csv.h"
#include "records/workbook.h"
#include "results/results_engine.h"
#include "run/run_state.h"
#include "settings/settings_record.h"

namespace {

std::string BaseOf(const std::string& archivePathUtf8) {
    const std::string ini = TestFilePathOf(archivePathUtf8);
    return ini.substr(0, ini.size() - 4);
}

}  // namespace

bool RewriteResultFiles(const ResultSet& set, const std::string& archivePathUtf8,
                        std::string* errorUtf8) {
    // The saved test as its archive holds it: the settings and peaks of the save, and the
    // records, whatever the window has shown or changed since.
    auto settings = std::make_unique<Settings>();
    auto run = std::make_unique<TestRun>();
    std::string archiveName;
    if (!ReadArchive(*settings, *run, archivePathUtf8, &archiveName, errorUtf8)) return false;
    while (run->g_nRecordCount + 1 < kRecordSlots &&
           !run->g_strRecord0[run->g_nRecordCount + 1].empty())
        ++run->g_nRecordCount;
    // The 引伸计 sheet as the save wrote it; a file refused here was told when the test was
    // opened, and the workbook then shows the test as the window does, without it.
    TakeExtensometerRecords(*run, archivePathUtf8, nullptr);

    const std::string iniPath = TestFilePathOf(archivePathUtf8);
    std::string startTime = set.startTime;
    std::string operatorUtf8 = GbkToUtf8(settings->g_strTester);
    std::string iniBytes;
    SpecimenDims stored;
    SeriesMember member;
    if (ReadFilePrefix(iniPath, kMaxTestFileBytes, &iniBytes, nullptr))
        ParseTestFileText(iniBytes, &startTime, &operatorUtf8, &stored, &member);
    run->g_strStartTime = Utf8ToGbk(startTime);

    ResultSet results = set;
    results.testName = GbkToUtf8(settings->g_strTestName);
    results.startTime = startTime;

    const std::string csvPath = BaseOf(archivePathUtf8) + ".csv";
    std::string csvBytes;
    int csvErrno = 0;
    std::optional<std::string> csv;
    if (ReadBoundedFile(csvPath, kMaxRecordsCsvBytes, &csvBytes, nullptr, &csvErrno)) {
        // The block's extensometer lines belong to the records' column, which is kept: they
        // come from the CSV itself, whatever the set shows (a test whose extensometer file was
        // refused at the open, say), so that the CSV still reads back.
        ResultSet blockSet = results;
        RecordsCsvContent before;
        if (ParseRecordsCsv(csvBytes, &before, nullptr)) {
            blockSet.curve.extensometer = std::move(before.set.curve.extensometer);
            blockSet.curve.extensometerGauge = before.set.curve.extensometerGauge;
            blockSet.curve.removalRecord = before.set.curve.removalRecord;
        }
        csv = WithResultsBlock(csvBytes, ResultsCsvBlock(blockSet));
        if (!csv) {
            if (errorUtf8 != nullptr)
                *errorUtf8 = ui::Fill(
                    ui::translate("RecordTexts", "不是本程序的记录文件，没有改写：%1"), {csvPath});
            return false;
        }
    } else if (csvErrno != ENOENT) {
        if (errorUtf8 != nullptr)
            *errorUtf8 = ui::Fill(ui::translate("RecordTexts", "记录文件无法读取：%1"), {csvPath});
        return false;
    }
    std::string workbook;
    if (!WorkbookBytes(*settings, *run, results, &workbook, errorUtf8)) return false;

    return WriteFileAtomically(iniPath,
                               TestFileText(startTime, operatorUtf8, results.specimen, member),
                               errorUtf8) &&
           (!csv || WriteFileAtomically(csvPath, *csv, errorUtf8)) &&
           WriteFileAtomically(BaseOf(archivePathUtf8) + ".xls", workbook, errorUtf8);
}
