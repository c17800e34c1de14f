// Specimen data that change after a save reach every file holding the test's results, and
// nothing else: the archive stays as saved, the CSV keeps its records byte for byte, the
// workbook's records sheet is the one the save wrote.
#include "records/result_files.h"

#include <filesystem>

#include "records/archive.h"
#include "records/archive_ini.h"
#include "records/extensometer_records.h"
#include "records/records_csv.h"
#include "records/workbook.h"
#include "records_fixture.h"
#include "results/results_engine.h"
#include "run/run_state.h"
#include "settings/data_folder.h"

namespace {

class ResultFilesTest : public RecordsTest {
  protected:
    void SetUp() override {
        RecordsTest::SetUp();
        FillRecords(120);
        for (int i = 1; i <= 120; ++i) run.g_dRecordTime[i] = i * 0.031;
        run.g_strStartTime = "2025-03-07-14:05:09";
        run.g_strOperator = "Tolvane";
        run.g_nBreakRecord = 110;
        run.g_strReadout0[kPeakSlot] = run.g_strRecord0[120];
        run.g_strReadout1[kPeakSlot] = run.g_strRecord1[120];
        specimen = {20.0, 50.0};
        base = DataFolderPath() + "Dranvik2025-03-07-14-05-09";
        std::string error;
        ASSERT_TRUE(WriteArchive(settings, run, base + ".dat", &error)) << error;
        ASSERT_TRUE(ExportSpreadsheet(settings, run, specimen, base + ".xls", &error)) << error;
        ASSERT_TRUE(WriteRecordsCsv(settings, run, specimen, base + ".csv", &error)) << error;
        ASSERT_TRUE(WriteTestFile(run, specimen, base + ".ini", &error)) << error;
        archive = ReadWhole(base + ".dat");
        csv = ReadWhole(base + ".csv");
    }

    std::string base, archive, csv;
};

TEST_F(ResultFilesTest, NewSuReachesTheIniTheCsvBlockAndTheResultsSheetOnly) {
    // What the window shows after Su was typed; the test name was changed meanwhile, which
    // labels the next test, not this one.
    const Settings saved = settings;
    settings.g_strTestName = "Orvik";
    specimen.finalArea = 12.0;
    specimen.finalGaugeLength = 58.0;
    const ResultSet shown = ResultsOfCurrentTest(settings, run, specimen);
    std::string error;
    ASSERT_TRUE(RewriteResultFiles(shown, base + ".dat", &error)) << error;

    EXPECT_EQ(ReadWhole(base + ".dat"), archive);
    EXPECT_EQ(ReadWhole(base + ".ini"),
              "[Test]\nStartTime=2025-03-07-14:05:09\nOperator=Tolvane\n[Specimen]\nS0=20\nL0=50\n"
              "Su=12\nLu=58\n");

    const std::string block = ResultsCsvBlock(ResultsOfCurrentTest(saved, run, specimen));
    EXPECT_NE(block.find("结果,断后最小横截面积 Su,12,mm²\r\n结果,断后标距 Lu,58,mm\r\n"),
              std::string::npos);
    EXPECT_NE(block.find("结果,断面收缩率 Z,40,%\r\n"), std::string::npos) << block;
    EXPECT_NE(block.find("\r\n结果,断裂判定记录,110,\r\n"), std::string::npos) << block;
    const std::string records = csv.substr(csv.find("次数,"));
    EXPECT_EQ(ReadWhole(base + ".csv"), "\xEF\xBB\xBF" + block + records);

    // Byte for byte the workbook a save with the new specimen would have written.
    std::string expected;
    ASSERT_TRUE(
        WorkbookBytes(saved, run, ResultsOfCurrentTest(saved, run, specimen), &expected, &error));
    EXPECT_EQ(ReadWhole(base + ".xls"), expected);
    const XlrdSheet results = ReadWithXlrd(base + ".xls", 1);
    ASSERT_TRUE(results.ran);
    EXPECT_EQ(results.rows[0], (std::vector<std::string>{"试验名称", "Dranvik", ""}));
    EXPECT_EQ(results.rows[4], (std::vector<std::string>{"断后最小横截面积 Su", "12.0", "mm²"}));
}

// A CSV written before 最大力 had its symbol gets it with the new block; its records stay.
TEST_F(ResultFilesTest, AnOlderCsvIsRewrittenWithTheSymbol) {
    std::string older = csv;
    const std::size_t at = older.find("结果,最大力 Fm,");
    ASSERT_NE(at, std::string::npos) << csv;
    older.replace(at, sizeof "结果,最大力 Fm," - 1, "结果,最大力,");
    WriteWhole(base + ".csv", older);
    specimen.finalArea = 12.0;
    std::string error;
    ASSERT_TRUE(
        RewriteResultFiles(ResultsOfCurrentTest(settings, run, specimen), base + ".dat", &error))
        << error;
    const std::string rewritten = ReadWhole(base + ".csv");
    EXPECT_EQ(rewritten.find("结果,最大力,"), std::string::npos) << rewritten;
    EXPECT_NE(rewritten.find("\r\n结果,最大力 Fm,"), std::string::npos) << rewritten;
    EXPECT_EQ(rewritten.substr(rewritten.find("次数,")), csv.substr(csv.find("次数,")));
}

TEST_F(ResultFilesTest, ACsvNotOfTheProgramOrAMissingArchiveChangesNothing) {
    WriteWhole(base + ".csv", "a,b\r\n1,2\r\n");
    const std::string workbook = ReadWhole(base + ".xls");
    const std::string ini = ReadWhole(base + ".ini");
    specimen.finalArea = 12.0;
    const ResultSet shown = ResultsOfCurrentTest(settings, run, specimen);
    std::string error;
    EXPECT_FALSE(RewriteResultFiles(shown, base + ".dat", &error));
    EXPECT_NE(error.find(base + ".csv"), std::string::npos) << error;
    EXPECT_EQ(ReadWhole(base + ".xls"), workbook);
    EXPECT_EQ(ReadWhole(base + ".ini"), ini);

    std::filesystem::remove(base + ".csv");
    std::filesystem::rename(base + ".dat", base + ".moved");
    EXPECT_FALSE(RewriteResultFiles(shown, base + ".dat", &error));
    EXPECT_EQ(ReadWhole(base + ".ini"), ini);
    // Without its CSV the test's other files still follow.
    std::filesystem::rename(base + ".moved", base + ".dat");
    ASSERT_TRUE(RewriteResultFiles(shown, base + ".dat", &error)) << error;
    EXPECT_NE(ReadWhole(base + ".ini").find("Su=12\n"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(base + ".csv"));
}

// The 引伸计 sheet comes out as the save wrote it; when the extensometer's file was refused
// at the open, the CSV's records keep their column and the block its lines, so that it still
// reads back with them.
TEST_F(ResultFilesTest, TheExtensometerSheetAndColumnOutliveARewrite) {
    for (int i = 1; i <= 120; ++i) run.g_dRecordExt[i] = i * 0.003;
    run.g_bExtRecorded = 1;
    run.g_dExtGaugeLength = 50;
    run.g_nExtChannel = 2;
    std::string error;
    ASSERT_TRUE(WriteExtensometerRecords(run, base + ".dat", &error)) << error;
    ASSERT_TRUE(ExportSpreadsheet(settings, run, specimen, base + ".xls", &error)) << error;
    ASSERT_TRUE(WriteRecordsCsv(settings, run, specimen, base + ".csv", &error)) << error;
    const XlrdSheet saved = ReadWithXlrd(base + ".xls", 2);
    ASSERT_TRUE(saved.ran);

    specimen.finalArea = 12.0;
    ASSERT_TRUE(
        RewriteResultFiles(ResultsOfCurrentTest(settings, run, specimen), base + ".dat", &error))
        << error;
    EXPECT_EQ(ReadWithXlrd(base + ".xls", 2).rows, saved.rows);

    // The window opened it without the extensometer: its file had been cut.
    const std::string side = ExtensometerRecordsPathOf(base + ".dat");
    std::filesystem::resize_file(side, std::filesystem::file_size(side) - 4);
    run.g_bExtRecorded = 0;
    specimen.finalArea = 11.0;
    ASSERT_TRUE(
        RewriteResultFiles(ResultsOfCurrentTest(settings, run, specimen), base + ".dat", &error))
        << error;
    RecordsCsvContent read;
    ASSERT_TRUE(ReadRecordsCsv(base + ".csv", &read, &error)) << error;
    EXPECT_EQ(read.set.specimen.finalArea, 11.0);
    ASSERT_EQ(read.set.curve.extensometer.size(), 120u);
    EXPECT_EQ(read.set.curve.extensometer[9], 10 * 0.003);
    EXPECT_EQ(read.set.curve.extensometerGauge, 50);
    EXPECT_EQ(ReadWithXlrd(base + ".xls").summary.rfind("sheets=2 ", 0), 0u);
}

}  // namespace
