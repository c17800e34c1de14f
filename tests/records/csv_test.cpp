#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "common/gbk_text.h"
#include "common/number_text.h"
#include "records/archive.h"
#include "records/records_csv.h"
#include "records_fixture.h"
#include "results/results_engine.h"
#include "run/run_state.h"
#include "settings/data_folder.h"
#include "settings/settings_record.h"
#include "settings/specimen.h"

namespace {

class CsvTest : public RecordsTest {
  protected:
    // Records 1..3 of FillRecords, taken 31.2 ms apart.
    void SetUp() override {
        RecordsTest::SetUp();
        FillRecords(3);
        for (int i = 1; i <= 3; ++i) run.g_dRecordTime[i] = i * 0.0312;
    }
};

TEST_F(CsvTest, BytesAreUtf8WithBomCommasAndCrlf) {
    EXPECT_EQ(RecordsCsvText(settings, run),
              "\xEF\xBB\xBF"
              "次数,时间(s),张力(N),位移(mm)\r\n"
              "1,0.031,0.125,0.002\r\n"
              "2,0.062,0.25,0.004\r\n"
              "3,0.094,0.375,0.006\r\n");

    // Records that are not plain numbers: negative, padded, not a number (0, as it plays).
    run.g_strRecord0[1] = "-01.500";
    run.g_strRecord1[1] = " 12";
    run.g_strRecord0[2] = "abc";
    run.g_nRecordCount = 2;
    EXPECT_EQ(RecordsCsvText(settings, run).substr(RecordsCsvText(settings, run).find("\r\n") + 2),
              "1,0.031,-1.5,12\r\n2,0.062,0,0.004\r\n");

    run.g_nRecordCount = 0;
    EXPECT_EQ(RecordsCsvText(settings, run), "\xEF\xBB\xBF次数,时间(s),张力(N),位移(mm)\r\n");
}

TEST_F(CsvTest, HeaderFieldsWithSeparatorsAreQuoted) {
    run.g_nRecordCount = 0;
    const struct {
        const char* name;
        const char* unit;
        const char* field;
    } cases[] = {{"拉力", "kN", "拉力(kN)"},
                 {"a,b", "N", "\"a,b(N)\""},
                 {"say \"F\"", "N", "\"say \"\"F\"\"(N)\""},
                 {"two\nlines", "N", "\"two\nlines(N)\""}};
    for (const auto& c : cases) {
        settings.g_strChannelName0 = Utf8ToGbk(c.name);
        settings.g_strUnit0 = Utf8ToGbk(c.unit);
        EXPECT_EQ(RecordsCsvText(settings, run),
                  std::string("\xEF\xBB\xBF次数,时间(s),") + c.field + ",位移(mm)\r\n")
            << c.name;
    }
}

// A played-back archive takes its times from the CSV beside it, else record x period; a
// CSV that does not match is ignored.
TEST_F(CsvTest, PlaybackTakesTheTimesFromTheCsvBesideTheArchive) {
    settings.g_strChannelName0 = Utf8ToGbk("a,\"b\"\n");  // a header that needs the quoting
    const std::string base = DataFolderPath() + "t";
    std::string error;
    ASSERT_TRUE(WriteArchive(settings, run, base + ".dat", &error)) << error;
    ASSERT_TRUE(WriteRecordsCsv(settings, run, specimen, base + ".csv", &error)) << error;

    std::string name;
    ASSERT_TRUE(ReadArchive(settings, run, base + ".dat", &name, &error)) << error;
    EXPECT_DOUBLE_EQ(run.g_dRecordTime[1], 0.031);
    EXPECT_EQ(run.g_dRecordTime[3], 3 * 0.0312);        // the block's 试验时间, full precision
    EXPECT_DOUBLE_EQ(run.g_dRecordTime[4], 4 * 0.030);  // beyond the CSV: the period

    const struct {
        const char* what;
        std::string bytes;
    } unusable[] = {
        {"no byte-order mark", "次数,时间(s),a,b\r\n1,5.000,1,1\r\n"},
        {"records out of order", "\xEF\xBB\xBF次数,时间(s),a,b\r\n2,5.000,1,1\r\n"},
        {"a time that is not a number", "\xEF\xBB\xBF次数,时间(s),a,b\r\n1,5,1,1\r\n2,x,1,1\r\n"},
        {"another header", "\xEF\xBB\xBFn,t,a,b\r\n1,5.000,1,1\r\n"}};
    for (const auto& u : unusable) {
        WriteWhole(base + ".csv", u.bytes);
        ASSERT_TRUE(ReadArchive(settings, run, base + ".dat", &name, &error)) << error;
        EXPECT_DOUBLE_EQ(run.g_dRecordTime[1], 0.030) << u.what;
    }
    std::remove((base + ".csv").c_str());
    ASSERT_TRUE(ReadArchive(settings, run, base + ".dat", &name, &error)) << error;
    EXPECT_DOUBLE_EQ(run.g_dRecordTime[2], 0.060);

    // Whatever stands at the CSV's name, the open goes on at once with the period's times.
    auto ignored = [&](const char* what) {
        run.g_dRecordTime[1] = 7;
        ASSERT_TRUE(ReadArchive(settings, run, base + ".dat", &name, &error))
            << what << ": " << error;
        EXPECT_DOUBLE_EQ(run.g_dRecordTime[1], 0.030) << what;
        std::filesystem::remove(base + ".csv");
    };
    ASSERT_EQ(mkfifo((base + ".csv").c_str(), 0600), 0);
    ignored("a FIFO");
    std::filesystem::create_symlink("/dev/zero", base + ".csv");
    ignored("a link to /dev/zero");
    ASSERT_TRUE(WriteRecordsCsv(settings, run, specimen, base + ".csv", &error)) << error;
    std::filesystem::resize_file(base + ".csv", 300u << 20);
    ignored("a 300 MB file");
}

// The file begins with the result set at full precision, then the record table as
// RecordsCsvText gives it.
TEST_F(CsvTest, FileBeginsWithTheResultBlock) {
    specimen = {12.5, std::nullopt};
    const std::string path = DataFolderPath() + "t.csv";
    std::string error;
    ASSERT_TRUE(WriteRecordsCsv(settings, run, specimen, path, &error)) << error;
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string block = ResultsCsvBlock(ResultsOfCurrentTest(settings, run, specimen));
    EXPECT_EQ(bytes, "\xEF\xBB\xBF" + block + RecordsCsvText(settings, run).substr(3));
    EXPECT_EQ(block.rfind("结果,横截面积 S0,12.5,mm²\r\n结果,标距 L0,,mm\r\n"
                          "结果,断后最小横截面积 Su,,mm²\r\n结果,断后标距 Lu,,mm\r\n",
                          0),
              0u)
        << block;
    EXPECT_NE(block.find("\r\n结果,抗拉强度 Rm,0.03,MPa\r\n"), std::string::npos) << block;
    EXPECT_NE(block.find("\r\n结果,断后伸长率 A,,%\r\n"), std::string::npos) << block;
    // 最大力 carries its symbol, as the other results do.
    EXPECT_NE(block.find("\r\n结果,最大力 Fm,0.375,N\r\n"), std::string::npos) << block;
    EXPECT_EQ(block.find("结果,最大力,"), std::string::npos) << block;
    EXPECT_NE(block.find("\r\n说明,引伸计: 无，以横梁位移计算,,\r\n"), std::string::npos);
    // Where the fracture was found, as the results window says it.
    const std::string breakNote =
        BreakNoteText(ResultsOfCurrentTest(settings, run, specimen).results);
    EXPECT_NE(block.find("\r\n说明," + breakNote + ",,\r\n"), std::string::npos) << block;
}

// The break record has a line of its own before the notes; readers that skip the block read
// the file with and without it.
TEST_F(CsvTest, TheBlockNamesTheBreakRecord) {
    run.g_nBreakRecord = 3;
    const std::string block = ResultsCsvBlock(ResultsOfCurrentTest(settings, run, specimen));
    const std::size_t line = block.find("\r\n结果,断裂判定记录,3,\r\n");
    ASSERT_NE(line, std::string::npos) << block;
    EXPECT_EQ(block.find("说明,"), line + sizeof "\r\n结果,断裂判定记录,3,\r\n" - 1);
    run.g_nBreakRecord = 0;
    EXPECT_NE(ResultsCsvBlock(ResultsOfCurrentTest(settings, run, specimen))
                  .find("\r\n结果,断裂判定记录,,\r\n"),
              std::string::npos);

    run.g_nBreakRecord = 3;
    const std::string base = DataFolderPath() + "t";
    std::string error;
    ASSERT_TRUE(WriteArchive(settings, run, base + ".dat", &error)) << error;
    ASSERT_TRUE(WriteRecordsCsv(settings, run, specimen, base + ".csv", &error)) << error;
    const std::string withLine = ReadWhole(base + ".csv");
    std::string withoutLine = withLine;
    withoutLine.erase(withoutLine.find("结果,断裂判定记录,3,\r\n"),
                      sizeof "结果,断裂判定记录,3,\r\n" - 1);
    for (const std::string& bytes : {withLine, withoutLine}) {
        WriteWhole(base + ".csv", bytes);
        const bool hasLine = bytes == withLine;
        std::string name;
        ASSERT_TRUE(ReadArchive(settings, run, base + ".dat", &name, &error)) << error;
        EXPECT_EQ(run.g_dRecordTime[3], 3 * 0.0312) << hasLine;
        const std::optional<std::string> replaced = WithResultsBlock(bytes, "结果,x,1,mm\r\n");
        ASSERT_TRUE(replaced) << hasLine;
        EXPECT_EQ(*replaced,
                  "\xEF\xBB\xBF结果,x,1,mm\r\n" + RecordsCsvText(settings, run).substr(3));
        RecordsCsvContent read;
        ASSERT_TRUE(ParseRecordsCsv(bytes, &read, &error)) << error;
        EXPECT_EQ(read.breakRecordStored, hasLine);
        EXPECT_EQ(read.set.curve.breakRecord, hasLine ? 3 : 0);
    }
}

// The file read back gives the result block it was written with, to the last digit: the last
// record's time, which the records hold to the millisecond, comes from the block's 试验时间.
TEST_F(CsvTest, TheFileReadsBackToItsResults) {
    // Elastic to 20 N at 2 mm, hardening to 30 N, necking; broken at record 281.
    for (int i = 1; i <= 300; ++i) {
        const double d = i * 0.05;
        const double f = i > 280 ? 0.01 : d <= 2 ? 10 * d : std::min(20 + 2 * (d - 2), 40 - d);
        char text[32];
        std::snprintf(text, sizeof text, "%07.3f", f);
        run.g_strRecord0[i] = text;
        std::snprintf(text, sizeof text, "%07.3f", d);
        run.g_strRecord1[i] = text;
        run.g_dRecordTime[i] = i * 0.0312;
    }
    run.g_nRecordCount = 300;
    run.g_nBreakRecord = 281;
    settings.g_strChannelName0 = Utf8ToGbk("拉力 (a,b)");
    settings.g_strUnit0 = "kN";
    specimen = {12.5, 50.0, 7.5, 61.0, 0.5};
    const std::string path = DataFolderPath() + "t.csv";
    std::string error;
    ASSERT_TRUE(WriteRecordsCsv(settings, run, specimen, path, &error)) << error;

    RecordsCsvContent read;
    ASSERT_TRUE(ReadRecordsCsv(path, &read, &error)) << error;
    EXPECT_EQ(read.set.forceName, "拉力 (a,b)");
    EXPECT_EQ(read.set.units.force, "kN");
    EXPECT_EQ(read.set.displacementName, "位移");
    EXPECT_EQ(read.set.units.length, "mm");
    EXPECT_EQ(read.set.specimen.area, 12.5);
    EXPECT_EQ(read.set.specimen.finalGaugeLength, 61.0);
    EXPECT_EQ(read.set.specimen.proofOffset, 0.5);
    ASSERT_EQ(read.set.curve.force.size(), 300u);
    EXPECT_EQ(read.set.curve.time[298], 9.329);
    EXPECT_EQ(read.set.curve.time[299], run.g_dRecordTime[300]);
    EXPECT_EQ(read.set.curve.displacement[9], 0.5);
    EXPECT_TRUE(read.breakRecordStored);
    EvaluateResultSet(read.set);
    const ResultSet written = ResultsOfCurrentTest(settings, run, specimen);
    ASSERT_TRUE(written.results.breakDetected && written.results.proofStrength &&
                written.results.modulus);
    EXPECT_EQ(ResultsCsvBlock(read.set), ResultsCsvBlock(written));

    // A 试验时间 that is not the last record's leaves the record's own time.
    std::string edited = ReadWhole(path);
    const std::size_t at = edited.find("结果,试验时间,");
    edited.replace(at, edited.find("\r\n", at) - at, "结果,试验时间,9.4,s");
    ASSERT_TRUE(ParseRecordsCsv(edited, &read, &error)) << error;
    EXPECT_EQ(read.set.curve.time[299], 9.36);
    WriteWhole(path, edited);
    ASSERT_TRUE(ReadRecordTimesCsv(run, path));
    EXPECT_EQ(run.g_dRecordTime[300], 9.36);
}

// Files written before 最大力 had its symbol read as the files written now: the records, their
// times and the specimen alike, and the block is replaced in front of the same records.
TEST_F(CsvTest, AFileWithTheBareMaxForceReadsAsANewOne) {
    run.g_nBreakRecord = 3;
    specimen = {12.5, 50.0, 7.5, 61.0};
    const std::string base = DataFolderPath() + "t";
    std::string error;
    ASSERT_TRUE(WriteArchive(settings, run, base + ".dat", &error)) << error;
    ASSERT_TRUE(WriteRecordsCsv(settings, run, specimen, base + ".csv", &error)) << error;
    const std::string now = ReadWhole(base + ".csv");
    std::string before = now;
    const std::size_t at = before.find("结果,最大力 Fm,");
    ASSERT_NE(at, std::string::npos) << now;
    before.replace(at, sizeof "结果,最大力 Fm," - 1, "结果,最大力,");

    RecordsCsvContent fromNow, fromBefore;
    ASSERT_TRUE(ParseRecordsCsv(now, &fromNow, &error)) << error;
    ASSERT_TRUE(ParseRecordsCsv(before, &fromBefore, &error)) << error;
    EXPECT_EQ(fromBefore.set.curve.time, fromNow.set.curve.time);
    EXPECT_EQ(fromBefore.set.curve.force, fromNow.set.curve.force);
    EXPECT_EQ(fromBefore.set.curve.breakRecord, 3);
    EXPECT_EQ(fromBefore.set.specimen.finalGaugeLength, 61.0);
    EvaluateResultSet(fromBefore.set);
    EXPECT_EQ(ResultsCsvBlock(fromBefore.set),
              ResultsCsvBlock(ResultsOfCurrentTest(settings, run, specimen)));

    WriteWhole(base + ".csv", before);
    run.g_dRecordTime[2] = 7;
    ASSERT_TRUE(ReadRecordTimesCsv(run, base + ".csv"));
    EXPECT_DOUBLE_EQ(run.g_dRecordTime[2], 0.062);
    EXPECT_EQ(WithResultsBlock(before, "结果,x,1,mm\r\n"),
              WithResultsBlock(now, "结果,x,1,mm\r\n"));
}

TEST_F(CsvTest, WhatIsNotTheProgramsCsvIsRefused) {
    const std::string header = "次数,时间(s),张力(N),位移(mm)\r\n";
    const struct {
        const char* what;
        std::string bytes;
        const char* said;
    } refused[] = {
        {"no byte-order mark", header, "字节顺序标记"},
        {"no header", "\xEF\xBB\xBF结果,标距 L0,50,mm\r\n", "表头"},
        {"a channel without its unit", "\xEF\xBB\xBF次数,时间(s),张力,位移(mm)\r\n", "表头"},
        {"a record out of order", "\xEF\xBB\xBF" + header + "2,0.030,1,1\r\n", "第 1 条记录"},
        {"a value that is not a number", "\xEF\xBB\xBF" + header + "1,0.030,1,x\r\n",
         "第 1 条记录"},
        {"a dimension that is not positive", "\xEF\xBB\xBF结果,横截面积 S0,-2,mm²\r\n" + header,
         "横截面积 S0"},
        {"a break record that is no record", "\xEF\xBB\xBF结果,断裂判定记录,2.5,\r\n" + header,
         "断裂判定记录"},
        {"a block line of three fields", "\xEF\xBB\xBF说明,a,\r\n" + header, "第 1 行"},
    };
    for (const auto& r : refused) {
        RecordsCsvContent read;
        std::string error;
        EXPECT_FALSE(ParseRecordsCsv(r.bytes, &read, &error)) << r.what;
        EXPECT_NE(error.find(r.said), std::string::npos) << r.what << ": " << error;
    }
    // A file of the program from before the result block still reads.
    RecordsCsvContent read;
    std::string error;
    ASSERT_TRUE(ParseRecordsCsv("\xEF\xBB\xBF" + header + "1,0.030,1.5,0.25\r\n", &read, &error))
        << error;
    EXPECT_FALSE(read.breakRecordStored);
    EXPECT_FALSE(read.set.specimen.area);
    EXPECT_EQ(read.set.curve.force, std::vector<double>{1.5});
    EXPECT_FALSE(ReadRecordsCsv(DataFolderPath() + "missing.csv", &read, &error));
    EXPECT_NE(error.find("missing.csv"), std::string::npos) << error;
}

// A test whose records carry the extensometer gets its column, blank after the removal, and
// its Le and removal record in the block; read back they give the same readings to the last
// digit. The file of a test without it is byte for byte what it was, whatever a cleared
// extensometer left in the run.
TEST_F(CsvTest, ExtensometerColumnRoundTripsAndATestWithoutItIsUnchanged) {
    const std::string plain = RecordsCsvText(settings, run);
    const std::string path = DataFolderPath() + "t.csv";
    std::string error;
    ASSERT_TRUE(WriteRecordsCsv(settings, run, specimen, path, &error)) << error;
    const std::string plainFile = ReadWhole(path);
    run.g_dRecordExt[1] = 0.1 + 0.2;
    run.g_dRecordExt[2] = -1.0 / 3;
    run.g_dRecordExt[3] = 4.5;  // after the removal: not a reading
    run.g_nExtRemovalRecord = 2;
    run.g_dExtGaugeLength = 25;
    run.g_nExtChannel = 3;
    EXPECT_EQ(RecordsCsvText(settings, run), plain);
    ASSERT_TRUE(WriteRecordsCsv(settings, run, specimen, path, &error)) << error;
    EXPECT_EQ(ReadWhole(path), plainFile);

    run.g_bExtRecorded = 1;
    EXPECT_EQ(RecordsCsvText(settings, run),
              "\xEF\xBB\xBF"
              "次数,时间(s),张力(N),位移(mm),引伸计 (mm)\r\n"
              "1,0.031,0.125,0.002,0.30000000000000004\r\n"
              "2,0.062,0.25,0.004,-0.3333333333333333\r\n"
              "3,0.094,0.375,0.006,\r\n");
    ASSERT_TRUE(WriteRecordsCsv(settings, run, specimen, path, &error)) << error;
    const std::string file = ReadWhole(path);
    EXPECT_NE(file.find("\r\n结果,引伸计标距 Le,25,mm\r\n"), std::string::npos) << file;
    EXPECT_NE(file.find("\r\n结果,断裂判定记录,,\r\n结果,引伸计取下记录,2,\r\n说明,"),
              std::string::npos)
        << file;

    RecordsCsvContent read;
    ASSERT_TRUE(ParseRecordsCsv(file, &read, &error)) << error;
    const TestCurve& curve = read.set.curve;
    ASSERT_EQ(curve.extensometer.size(), 3u);
    EXPECT_EQ(curve.extensometer[0], 0.1 + 0.2);
    EXPECT_EQ(curve.extensometer[1], -1.0 / 3);
    EXPECT_TRUE(std::isnan(curve.extensometer[2]));
    EXPECT_EQ(curve.extensometerGauge, 25);
    EXPECT_EQ(curve.removalRecord, 2);
    EXPECT_EQ(curve.force.size(), 3u);
    EvaluateResultSet(read.set);
    EXPECT_EQ(ResultsCsvBlock(read.set),
              ResultsCsvBlock(ResultsOfCurrentTest(settings, run, specimen)));
    // The playback's times come from it as from any other.
    run.g_dRecordTime[2] = 0;
    ASSERT_TRUE(ReadRecordTimesCsv(run, path));
    EXPECT_DOUBLE_EQ(run.g_dRecordTime[2], 0.062);

    auto edited = [&file](const std::string& from, const std::string& to) {
        std::string text = file;
        const std::size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return at == std::string::npos ? text : text.replace(at, from.size(), to);
    };
    const struct {
        const char* what;
        std::string bytes;
        const char* said;
    } refused[] = {
        {"a reading after the removal", edited("0.006,\r\n", "0.006,1\r\n"), "第 3 条记录"},
        {"a reading that is no number", edited("0.004,-0.33", "0.004,x0.33"), "第 2 条记录"},
        {"a record without the column", edited("0.006,\r\n", "0.006\r\n"), "第 3 条记录"},
        {"the column without its Le", edited("结果,引伸计标距 Le,25,mm\r\n", ""), "引伸计标距 Le"},
        {"a Le that is not positive", edited("Le,25,", "Le,0,"), "引伸计标距 Le"},
        {"a removal past the records", edited("取下记录,2,", "取下记录,4,"), "超出记录数"},
        {"its lines without the column", edited(",引伸计 (mm)\r\n", "\r\n"), "没有引伸计一栏"},
    };
    for (const auto& r : refused) {
        std::string why;
        EXPECT_FALSE(ParseRecordsCsv(r.bytes, &read, &why)) << r.what;
        EXPECT_NE(why.find(r.said), std::string::npos) << r.what << ": " << why;
    }
}

// A new result block goes in front of the records, which are kept as they are; a quoted
// note that holds a line looking like the header is not taken for it.
TEST_F(CsvTest, ResultBlockIsReplacedInFrontOfTheRecords) {
    const std::string records = RecordsCsvText(settings, run).substr(3);
    const std::string file =
        "\xEF\xBB\xBF结果,横截面积 S0,,mm²\r\n说明,\"a\r\n次数,b\",,\r\n" + records;
    const std::optional<std::string> replaced = WithResultsBlock(file, "结果,x,1,mm\r\n");
    ASSERT_TRUE(replaced);
    EXPECT_EQ(*replaced, "\xEF\xBB\xBF结果,x,1,mm\r\n" + records);
    EXPECT_FALSE(WithResultsBlock(records, "x"));                     // no byte-order mark
    EXPECT_FALSE(WithResultsBlock("\xEF\xBB\xBF结果,a,,\r\n", "x"));  // no records header
}

}  // namespace
