#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "run/run_state.h"
#include "common/gbk_text.h"
#include "records/archive.h"
#include "records/records_csv.h"
#include "records_fixture.h"
#include "results/results_engine.h"
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
    EXPECT_DOUBLE_EQ(run.g_dRecordTime[3], 0.094);
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
    EXPECT_NE(block.find("\r\n说明,引伸计: 无，以横梁位移计算,,\r\n"), std::string::npos);
    // Where the fracture was found, as the results window says it.
    const std::string breakNote =
        BreakNoteText(ResultsOfCurrentTest(settings, run, specimen).results);
    EXPECT_NE(block.find("\r\n说明," + breakNote + ",,\r\n"), std::string::npos) << block;
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
