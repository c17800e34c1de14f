#include "records/workbook.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "../common/scratch_folder.h"
#include "common/gbk_text.h"
#include "records/biff8_writer.h"
#include "records/compound_file.h"
#include "records_fixture.h"
#include "results/results_engine.h"
#include "run/run_state.h"
#include "settings/data_folder.h"
#include "settings/settings_record.h"
#include "settings/specimen.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;

const char kCleanSheet[] = "sheets=%d rows=%d cols=3 nontext=0 warnings=0";

// The test's workbook has the records sheet and the results sheet 结果.
std::string CleanSummary(int rows, int sheets = 2) {
    char text[96];
    std::snprintf(text, sizeof text, kCleanSheet, sheets, rows);
    return text;
}

class WorkbookTest : public RecordsTest {
  protected:
    void SetUp() override {
        RecordsTest::SetUp();
        run.g_strStartTime = "2025-03-07-14:05:09";
        run.g_strReadout0[501] = "031.250";
        run.g_strReadout1[501] = "000.500";
    }

    std::string Export() {
        const std::string path = DataFolderPath() + "Dranvik2025-03-07-14-05-09.xls";
        std::string error;
        EXPECT_TRUE(ExportSpreadsheet(settings, run, specimen, path, &error)) << error;
        return path;
    }

    static Rows HeaderRows() {
        return {{"试验名称", "Dranvik", ""},
                {"测试员", "Tolvane", ""},
                {"启动时间", "2025-03-07-14:05:09", ""},
                {"采集周期", "30", "mS"},
                {"次数", "张力N", "位移mm"},
                {"峰值", "031.250", "000.500"}};
    }
};

TEST_F(WorkbookTest, HeaderRowsThenOneRowPerRecord) {
    for (int count : {0, 3, 10000}) {
        FillRecords(count);
        run.g_strRecord0[count + 1] = "left over";  // above the count: not part of this test
        const std::string path = Export();
        EXPECT_EQ(ReadWhole(path).substr(0, 8), "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
        const XlrdSheet sheet = ReadWithXlrd(path);
        ASSERT_TRUE(sheet.ran);
        EXPECT_EQ(sheet.summary, CleanSummary(6 + count));
        Rows expected = HeaderRows();
        for (int i = 1; i <= count; ++i)
            expected.push_back({std::to_string(i), run.g_strRecord0[i], run.g_strRecord1[i]});
        EXPECT_EQ(sheet.rows, expected) << count << " records";
    }
    EXPECT_EQ(run.g_strRecord0[3], "000.375");
    EXPECT_EQ(run.g_strRecord1[3], "000.006");
}

TEST_F(WorkbookTest, ChineseTextsArriveIntactAndASecondExportReplacesTheFirst) {
    FillRecords(3);
    Export();
    run.g_nRecordCount = 0;
    settings.g_strTestName = Utf8ToGbk("拉伸试验Ⅱ型");
    settings.g_strTester.clear();
    settings.g_strChannelName0 = Utf8ToGbk("拉力");
    settings.g_strUnit0 = Utf8ToGbk("千牛");
    const XlrdSheet sheet = ReadWithXlrd(Export());
    ASSERT_TRUE(sheet.ran);
    ASSERT_EQ(sheet.rows.size(), 6u);
    EXPECT_EQ(sheet.rows[0][1], "拉伸试验Ⅱ型");
    EXPECT_EQ(sheet.rows[1][1], "");  // an empty text leaves its cell empty
    EXPECT_EQ(sheet.rows[4][1], "拉力千牛");
    EXPECT_EQ(DataFolderEntries().size(), 1u);
}

// The second sheet holds the engine's results: names, number values (empty when a result
// cannot be computed), units; the first sheet is not touched by it.
TEST_F(WorkbookTest, ResultsSheetCarriesTheResultsAsNumbers) {
    FillRecords(200);
    for (int i = 1; i <= 200; ++i) run.g_dRecordTime[i] = i * 0.03;
    run.g_nBreakRecord = 150;
    specimen = {12.5, std::nullopt};
    specimen.finalGaugeLength = 55.25;
    const std::string path = Export();
    EXPECT_EQ(ReadWithXlrd(path).summary, CleanSummary(206));

    const XlrdSheet sheet = ReadWithXlrd(path, 1);
    ASSERT_TRUE(sheet.ran);
    // Without L0 the elongations and E stay empty; S0 and the rest are numbers. Under the
    // results, after a blank row, the notes.
    const ResultSet set = ResultsOfCurrentTest(settings, run, specimen);
    const std::vector<std::string> notes = ResultNotes(set);
    const std::size_t rows = 6 + set.rows.size() + 1 + notes.size();
    int numbers = 2;
    for (const ResultRow& row : set.rows) numbers += row.value.has_value();
    EXPECT_EQ(numbers, 10);  // S0, Lu, the six measured values, Rm and the slope
    EXPECT_EQ(sheet.summary, "sheets=2 rows=" + std::to_string(rows) +
                                 " cols=3 nontext=" + std::to_string(numbers) + " warnings=0");
    ASSERT_EQ(sheet.rows.size(), rows);
    EXPECT_EQ(sheet.rows[0], (std::vector<std::string>{"试验名称", "Dranvik", ""}));
    EXPECT_EQ(sheet.rows[1], (std::vector<std::string>{"启动时间", "2025-03-07-14:05:09", ""}));
    EXPECT_EQ(sheet.rows[2], (std::vector<std::string>{"横截面积 S0", "12.5", "mm²"}));
    EXPECT_EQ(sheet.rows[3], (std::vector<std::string>{"标距 L0", "", "mm"}));
    EXPECT_EQ(sheet.rows[4], (std::vector<std::string>{"断后最小横截面积 Su", "", "mm²"}));
    EXPECT_EQ(sheet.rows[5], (std::vector<std::string>{"断后标距 Lu", "55.25", "mm"}));
    ASSERT_EQ(set.rows.size(), 19u);
    for (std::size_t i = 0; i < set.rows.size(); ++i) {
        const std::vector<std::string>& row = sheet.rows[6 + i];
        ASSERT_EQ(row.size(), 3u);
        // 最大力 alone of the engine's names has no symbol; the file gives it one.
        EXPECT_EQ(row[0], i == 0 ? std::string("最大力 Fm") : set.rows[i].name);
        EXPECT_EQ(row[2], set.rows[i].unit);
        if (set.rows[i].value) {
            EXPECT_EQ(std::strtod(row[1].c_str(), nullptr), *set.rows[i].value) << row[0];
        } else {
            EXPECT_EQ(row[1], "") << row[0];
        }
    }
    EXPECT_EQ(sheet.rows[6][1], "18.75");  // 最大力: the rise ends with the break at 150
    EXPECT_EQ(sheet.rows[8][1], "18.75");  // 断裂力: no steep drop before record 150
    EXPECT_EQ(sheet.rows[7 + set.rows.size()][0], "引伸计: 无，以横梁位移计算");
    EXPECT_EQ(sheet.rows.back()[0], notes.back());
}

// A test whose records carry the extensometer gets a third sheet 引伸计: Le and the removal
// record, then per record its number, time, extension and strain in % of Le as numbers, empty
// after the removal; the records sheet is the one a test without it gets.
TEST_F(WorkbookTest, ExtensometerSheetHoldsTheReadingsAsNumbers) {
    FillRecords(4);
    for (int i = 1; i <= 4; ++i) run.g_dRecordTime[i] = i * 0.0312;
    const Rows without = ReadWithXlrd(Export()).rows;
    const double readings[] = {0, 0.1 + 0.2, -1.0 / 3, 7.0};
    for (int i = 1; i <= 4; ++i) run.g_dRecordExt[i] = readings[i - 1];
    run.g_bExtRecorded = 1;
    run.g_nExtRemovalRecord = 3;
    run.g_dExtGaugeLength = 40;
    run.g_nExtChannel = 2;
    const std::string path = Export();
    const XlrdSheet records = ReadWithXlrd(path);
    EXPECT_EQ(records.summary, CleanSummary(10, 3));
    EXPECT_EQ(records.rows, without);

    const XlrdSheet sheet = ReadWithXlrd(path, 2);
    ASSERT_TRUE(sheet.ran);
    EXPECT_EQ(sheet.summary, "sheets=3 rows=8 cols=4 nontext=16 warnings=0");
    ASSERT_EQ(sheet.rows.size(), 8u);
    EXPECT_EQ(sheet.rows[0], (std::vector<std::string>{"标距 Le", "40.0", "mm", ""}));
    EXPECT_EQ(sheet.rows[1], (std::vector<std::string>{"取下记录", "3.0", "", ""}));
    EXPECT_EQ(sheet.rows[2], (std::vector<std::string>{"", "", "", ""}));
    EXPECT_EQ(sheet.rows[3],
              (std::vector<std::string>{"次数", "时间 (s)", "引伸计 (mm)", "应变 (%)"}));
    for (int i = 1; i <= 4; ++i) {
        const std::vector<std::string>& row = sheet.rows[3 + i];
        ASSERT_EQ(row.size(), 4u);
        EXPECT_EQ(std::strtod(row[0].c_str(), nullptr), i);
        // The time as the CSV holds it: to the millisecond.
        EXPECT_EQ(std::strtod(row[1].c_str(), nullptr), std::round(i * 31.2) / 1000) << i;
        if (i <= 3) {
            EXPECT_EQ(std::strtod(row[2].c_str(), nullptr), readings[i - 1]) << i;
            EXPECT_EQ(std::strtod(row[3].c_str(), nullptr), readings[i - 1] / 40 * 100) << i;
        } else {
            EXPECT_EQ(row[2], "");
            EXPECT_EQ(row[3], "");
        }
    }

    if (!std::filesystem::exists("/usr/bin/libreoffice")) GTEST_SKIP() << "no LibreOffice";
    // LibreOffice writes the third sheet alone as "<name>-引伸计.csv".
    const ScratchFolder profile("velmora-lo");
    ASSERT_TRUE(profile.Made());
    const std::string command =
        "/usr/bin/libreoffice -env:UserInstallation=file://" + profile.Path() +
        " --headless --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,"
        "false,false,3' --outdir '" +
        DataFolderPath() + "' '" + path + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string csv = ReadWhole(DataFolderPath() + "Dranvik2025-03-07-14-05-09-引伸计.csv");
    EXPECT_EQ(csv,
              "标距 Le,40,mm,\n取下记录,3,,\n,,,\n次数,时间 (s),引伸计 (mm),应变 (%)\n"
              "1,0.031,0,0\n2,0.062,0.3,0.75\n3,0.094,-0.333333333333333,-0.833333333333333\n"
              "4,0.125,,\n");
}

TEST_F(WorkbookTest, UnwritableFolderFailsWithAMessage) {
    std::string error;
    EXPECT_FALSE(
        ExportSpreadsheet(settings, run, specimen, DataFolderPath() + "missing/test.xls", &error));
    EXPECT_NE(error.find("missing/test.xls"), std::string::npos) << error;
    EXPECT_TRUE(DataFolderEntries().empty());
}

// Strings longer than a record, and strings that start near a record's end, continue in
// CONTINUE records; both one-byte and two-byte character forms must survive the split.
TEST_F(WorkbookTest, LongStringsSplitAcrossContinueRecords) {
    std::vector<TextCell> cells;
    std::u16string wide, narrow;
    for (int i = 0; i < 9001; ++i) wide += static_cast<char16_t>(u'一' + i % 500);
    for (int i = 0; i < 20000; ++i) narrow += static_cast<char16_t>(u'a' + i % 26);
    cells.push_back({0, 0, wide});
    cells.push_back({0, 1, narrow});
    cells.push_back({0, 2, u"é" + narrow.substr(0, 8190)});
    for (std::uint16_t r = 1; r < 2000; ++r) {
        std::u16string text = r % 2 ? u"行" : u"row";
        text += std::u16string(r % 37, static_cast<char16_t>(u'x' + r % 3));
        for (std::uint16_t c = 0; c < 3; ++c)
            cells.push_back({r, c, text + static_cast<char16_t>(u'0' + c)});
    }
    std::string file;
    ASSERT_TRUE(BuildCompoundFile(BuildWorkbookStream(cells, u"Sheet1"), &file));
    const std::string path = DataFolderPath() + "long.xls";
    WriteWhole(path, file);

    const XlrdSheet sheet = ReadWithXlrd(path);
    ASSERT_TRUE(sheet.ran);
    EXPECT_EQ(sheet.summary, CleanSummary(2000, 1));
    ASSERT_EQ(sheet.rows.size(), 2000u);
    for (const TextCell& cell : cells) {
        std::string expected;
        for (char16_t c : cell.text) {
            // The texts here lie in the BMP: encode each as UTF-8 directly.
            if (c < 0x80) {
                expected += static_cast<char>(c);
            } else if (c < 0x800) {
                expected += static_cast<char>(0xC0 | (c >> 6));
                expected += static_cast<char>(0x80 | (c & 0x3F));
            } else {
                expected += static_cast<char>(0xE0 | (c >> 12));
                expected += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
                expected += static_cast<char>(0x80 | (c & 0x3F));
            }
        }
        ASSERT_EQ(sheet.rows[cell.row][cell.col], expected) << cell.row << "," << cell.col;
    }
}

TEST_F(WorkbookTest, CompoundFileChainsCoverTheStreamExactly) {
    std::string file;
    ASSERT_TRUE(BuildCompoundFile(std::string(10, 'w'), &file));
    // Header, eight stream sectors (4096 bytes), the directory and one FAT sector.
    EXPECT_EQ(file.size(), 512u * 11);
    ASSERT_TRUE(BuildCompoundFile(std::string(4097, 'w'), &file));
    EXPECT_EQ(file.size(), 512u * 19);
    EXPECT_FALSE(BuildCompoundFile(std::string(8u << 20, 'w'), &file));
}

TEST_F(WorkbookTest, LibreOfficeOpensTheWorkbook) {
    if (!std::filesystem::exists("/usr/bin/libreoffice")) GTEST_SKIP() << "no LibreOffice";
    FillRecords(3);
    const std::string path = Export();
    // A profile of its own: a LibreOffice already running on the shared one (another test
    // run) would take the request over and this one would fail.
    const ScratchFolder profile("velmora-lo");
    ASSERT_TRUE(profile.Made());
    const std::string command =
        "/usr/bin/libreoffice -env:UserInstallation=file://" + profile.Path() +
        " --headless --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76' --outdir '" +
        DataFolderPath() + "' '" + path + "' >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_EQ(status, 0);
    const std::string csv = ReadWhole(DataFolderPath() + "Dranvik2025-03-07-14-05-09.csv");
    EXPECT_NE(csv.find("次数,张力N,位移mm"), std::string::npos) << csv;
    EXPECT_NE(csv.find("3,000.375,000.006"), std::string::npos) << csv;
}

}  // namespace
