#include "records/archive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <utility>

#include "../common/comma_locale.h"
#include "run/readouts.h"
#include "run/run_state.h"
#include "common/gbk_text.h"
#include "records_fixture.h"
#include "settings/data_folder.h"
#include "settings/settings_record.h"

namespace {

constexpr std::size_t kSettingsAt = 256;
constexpr std::size_t kReadout0At = 636;
constexpr std::size_t kReadout1At = 5656;
constexpr std::size_t kRecordsAt = 10676;

std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

// The 10-byte block at offset as its text: bytes up to the first zero.
std::string BlockAt(const std::string& file, std::size_t offset) {
    std::string block = file.substr(offset, 10);
    return block.substr(0, block.find('\0'));
}

class ArchiveTest : public RecordsTest {
  protected:
    std::string SaveNow(std::time_t when) {
        std::string base, error;
        EXPECT_TRUE(ArchiveBasePath(settings.g_strTestName, when, &base, &error)) << error;
        EXPECT_TRUE(WriteArchive(settings, run, base + ".dat", &error)) << error;
        return base + ".dat";
    }
};

TEST_F(ArchiveTest, LayoutHoldsPathSettingsReadoutsAndOnlyTheRunsRecords) {
    ASSERT_TRUE(LoadOrCreateSettingsFile(settings, nullptr));
    for (int i = 0; i < 502; ++i) {
        run.g_strReadout0[i] = "r0-" + std::to_string(i);
        run.g_strReadout1[i] = "r1-" + std::to_string(i);
    }
    FillRecords(3);
    const std::string path = SaveNow(LocalTime(2025, 3, 7, 14, 5, 9));
    EXPECT_EQ(path, DataFolderPath() + "Dranvik2025-03-07-14-05-09.dat");

    const std::string file = ReadWhole(path);
    ASSERT_EQ(file.size(), 210716u);
    const std::string pathGbk = Utf8ToGbk(path);  // the data folder's name is Chinese
    EXPECT_EQ(file.substr(0, pathGbk.size() + 1), pathGbk + '\0');
    EXPECT_EQ(file.substr(kSettingsAt, kSettingsBytes), ReadWhole(SettingsFilePath()));
    EXPECT_EQ(BlockAt(file, kReadout0At), "r0-0");
    EXPECT_EQ(BlockAt(file, kReadout0At + 10 * 501), "r0-501");
    EXPECT_EQ(BlockAt(file, kReadout1At), "r1-0");
    EXPECT_EQ(BlockAt(file, kReadout1At + 10 * 501), "r1-501");
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(BlockAt(file, kRecordsAt + 20 * i), run.g_strRecord0[i]);
        EXPECT_EQ(BlockAt(file, kRecordsAt + 20 * i + 10), run.g_strRecord1[i]);
    }
    EXPECT_EQ(file.find_first_not_of('\0', kRecordsAt + 20 * 4), std::string::npos);
}

TEST_F(ArchiveTest, RoundTripRestoresSettingsReadoutsAndRecordsFromAnyFolder) {
    settings.g_strTestName = Utf8ToGbk("拉伸试验");
    settings.g_strSamplePeriod = "75";
    settings.g_strTester = "abcdefghij0123456789";  // fills its block without a zero byte
    run.g_strReadout0[0] = "012.345";
    run.g_strReadout1[501] = "099.999";
    FillRecords(10000);
    const std::string path = SaveNow(LocalTime(2025, 3, 7, 14, 5, 9));
    const std::string tester = settings.g_strTester;
    // Opened from another folder, the archive still names the path it was saved under.
    const std::string copy = DataFolderPath() + "../elsewhere.dat";
    WriteWhole(copy, ReadWhole(path));

    run.Reset();
    settings.SetDefaults();
    settings.Parse();
    std::string name, error;
    ASSERT_TRUE(ReadArchive(settings, run, copy, &name, &error)) << error;
    EXPECT_EQ(name, Utf8ToGbk(path));
    EXPECT_EQ(settings.g_strTestName, Utf8ToGbk("拉伸试验"));
    EXPECT_EQ(settings.g_strTester, tester);
    EXPECT_EQ(settings.g_strSamplePeriod, "75");
    EXPECT_EQ(settings.g_nSamplePeriod, 75);  // numeric forms follow the archive's settings
    EXPECT_EQ(run.g_strReadout0[0], "012.345");
    EXPECT_EQ(run.g_strReadout1[501], "099.999");
    EXPECT_EQ(run.g_strRecord0[1], "000.125");
    EXPECT_EQ(run.g_strRecord1[10000], "020.000");
    EXPECT_TRUE(run.g_strRecord0[10001].empty());
}

TEST_F(ArchiveTest, RefusedNamesWriteNothing) {
    const std::time_t when = LocalTime(2025, 3, 7, 14, 5, 9);
    const std::string tooLong(200, 'x');
    // Chinese takes 2 bytes in GBK but 3 in UTF-8: 80 characters fit the 256-byte field
    // but not a 255-byte file name.
    std::string tooLongInUtf8;
    for (int i = 0; i < 80; ++i) tooLongInUtf8 += Utf8ToGbk("拉");
    ASSERT_TRUE(
        FitsPathField(DataFolderPath() + GbkToUtf8(tooLongInUtf8) + "2025-03-07-14-05-09.dat"));
    for (const std::string& name :
         {std::string("a/b"), std::string("."), std::string(".."), std::string("a\0b", 3),
          std::string("\xFF\xFF"), tooLong, tooLongInUtf8}) {
        std::string base = "unchanged", error;
        EXPECT_FALSE(ArchiveBasePath(name, when, &base, &error)) << name;
        EXPECT_EQ(base, "unchanged");
        EXPECT_FALSE(error.empty());
    }
    std::string base, error;
    EXPECT_FALSE(ArchiveBasePath("a/b", when, &base, &error));
    EXPECT_EQ(error, "试验名称不能用作文件名：a/b");
    EXPECT_FALSE(ArchiveBasePath(tooLong, when, &base, &error));
    EXPECT_EQ(error.rfind("存档路径过长：", 0), 0u) << error;
    EXPECT_FALSE(ArchiveBasePath(tooLongInUtf8, when, &base, &error));
    EXPECT_EQ(error.rfind("试验名称过长", 0), 0u) << error;

    EXPECT_TRUE(DataFolderEntries().empty());

    // Each part of this path is a valid name; together they overflow the header's field.
    const std::string folder = DataFolderPath() + std::string(120, 'd');
    ASSERT_TRUE(std::filesystem::create_directory(folder));
    EXPECT_FALSE(
        WriteArchive(settings, run, folder + "/" + std::string(130, 'x') + ".dat", &error));
    EXPECT_EQ(error.rfind("存档路径过长：", 0), 0u) << error;
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

// The report's PDF lies in the data folder under the archive's name, or the name the test's
// archive would have now.
TEST_F(ArchiveTest, ReportPdfIsNamedAfterTheArchive) {
    const std::time_t when = LocalTime(2025, 3, 7, 14, 5, 9);
    EXPECT_EQ(ReportPdfPath("Dranvik", DataFolderPath() + "Dranvik2025-01-02-03-04-05-2.dat", when),
              DataFolderPath() + "Dranvik2025-01-02-03-04-05-2.pdf");
    // A test played back from elsewhere still prints into the data folder.
    EXPECT_EQ(ReportPdfPath("Dranvik", "/elsewhere/old.test/Pull7.dat", when),
              DataFolderPath() + "Pull7.pdf");
    EXPECT_EQ(ReportPdfPath(Utf8ToGbk("拉伸"), "", when),
              DataFolderPath() + "拉伸2025-03-07-14-05-09.pdf");
    EXPECT_EQ(ReportPdfPath("a/b", "", when), "");
}

TEST_F(ArchiveTest, UnreadableFileLeavesEverythingAsItWas) {
    FillRecords(3);
    run.g_strReadout0[0] = "012.345";
    settings.g_strSamplePeriod = "75";
    std::string name = "before", error;
    EXPECT_FALSE(ReadArchive(settings, run, DataFolderPath() + "missing.dat", &name, &error));
    EXPECT_EQ(error.rfind("文件无法打开：", 0), 0u) << error;
    EXPECT_FALSE(ReadArchive(settings, run, DataFolderPath(), &name, &error));  // a folder
    EXPECT_EQ(name, "before");
    EXPECT_EQ(run.g_strRecord0[3], "000.375");
    EXPECT_EQ(run.g_strReadout0[0], "012.345");
    EXPECT_EQ(settings.g_strSamplePeriod, "75");
}

// Only a file of an archive's size is an archive: the settings file, a workbook or a
// cut-off or lengthened copy is refused and changes nothing.
TEST_F(ArchiveTest, FilesOfAnotherSizeAreRefusedAndChangeNothing) {
    ASSERT_TRUE(LoadOrCreateSettingsFile(settings, nullptr));
    FillRecords(3);
    const std::string full = ReadWhole(SaveNow(LocalTime(2025, 3, 7, 14, 5, 9)));
    ASSERT_EQ(full.size(), kArchiveBytes);
    settings.g_strSamplePeriod = "75";
    run.g_strReadout0[0] = "012.345";
    const std::string path = DataFolderPath() + "foreign.dat";
    const struct {
        const char* what;
        std::string bytes;
    } files[] = {{"settings file", ReadWhole(SettingsFilePath())},
                 {"empty", ""},
                 {"cut off", full.substr(0, kReadout0At + 65)},
                 {"one byte short", full.substr(0, kArchiveBytes - 1)},
                 {"one byte long", full + "z"},
                 {"foreign and long", std::string(300000, 'z')}};
    for (const auto& f : files) {
        WriteWhole(path, f.bytes);
        std::string name = "before", error;
        EXPECT_FALSE(ReadArchive(settings, run, path, &name, &error)) << f.what;
        EXPECT_NE(error.find(path), std::string::npos) << f.what << ": " << error;
        EXPECT_EQ(name, "before") << f.what;
        EXPECT_EQ(settings.g_strSamplePeriod, "75") << f.what;
        EXPECT_EQ(run.g_strReadout0[0], "012.345") << f.what;
        EXPECT_EQ(run.g_strRecord0[3], "000.375") << f.what;
        EXPECT_TRUE(run.g_strRecord0[4].empty()) << f.what;
    }
}

// A record no channel could read (1e308 where the full scale is 50) marks a crafted or
// foreign file: it is refused like one, and nothing changes. Readings beyond the full
// scale by over-range or zero offset still open, as do texts after the end of the test.
TEST_F(ArchiveTest, RecordsBeyondTheChannelsReachAreRefused) {
    FillRecords(3);
    const std::string full = ReadWhole(SaveNow(LocalTime(2025, 3, 7, 14, 5, 9)));
    ASSERT_EQ(full.size(), kArchiveBytes);
    settings.g_strSamplePeriod = "75";
    const std::string path = DataFolderPath() + "crafted.dat";
    auto crafted = [&](int slot, int channel, const std::string& text) {
        std::string bytes = full;
        std::string block(10, '\0');
        text.copy(block.data(), std::min<std::size_t>(text.size(), 10));
        bytes.replace(kRecordsAt + 20 * slot + 10 * channel, 10, block);
        WriteWhole(path, bytes);
    };
    const struct {
        int slot, channel;
        const char* text;
    } refused[] = {{2, 0, "1e308"}, {2, 0, "-1e308"},  {1, 1, "1e308"}, {3, 1, "-1e308"},
                   {2, 0, "1e999"}, {2, 0, "inf"},     {2, 1, "nan"},   {2, 0, "9e9"},
                   {2, 1, "1e6"},   {3, 0, "-9999999"}};
    for (const auto& r : refused) {
        crafted(r.slot, r.channel, r.text);
        std::string name = "before", error;
        EXPECT_FALSE(ReadArchive(settings, run, path, &name, &error))
            << r.text << " in slot " << r.slot;
        EXPECT_EQ(error, "不是测试存档文件：" + path) << r.text;
        EXPECT_EQ(name, "before") << r.text;
        EXPECT_EQ(settings.g_strSamplePeriod, "75") << r.text;
        EXPECT_EQ(run.g_strRecord0[3], "000.375") << r.text;
    }

    const struct {
        int slot, channel;
        const char* text;
    } opened[] = {{2, 0, "-0400.000"}, {2, 1, "0800.0000"}, {5, 0, "1e308"}, {2, 0, "abc"}};
    for (const auto& o : opened) {
        crafted(o.slot, o.channel, o.text);
        std::string name, error;
        EXPECT_TRUE(ReadArchive(settings, run, path, &name, &error)) << o.text << ": " << error;
    }
}

TEST_F(ArchiveTest, ASecondSaveInTheSameSecondReplacesTheFirstWithoutItsRecords) {
    const std::time_t when = LocalTime(2025, 3, 7, 14, 5, 9);
    FillRecords(5);
    const std::string first = SaveNow(when);
    run.g_strRecord0[1] = "777.777";
    run.g_nRecordCount = 2;  // a longer test was cleared and a shorter one recorded
    const std::string second = SaveNow(when);
    EXPECT_EQ(first, second);
    EXPECT_EQ(DataFolderEntries().size(), 1u);  // and no temporary file left behind
    const std::string file = ReadWhole(second);
    EXPECT_EQ(BlockAt(file, kRecordsAt + 20), "777.777");
    EXPECT_EQ(BlockAt(file, kRecordsAt + 40), run.g_strRecord0[2]);
    EXPECT_EQ(file.find_first_not_of('\0', kRecordsAt + 60), std::string::npos);

    std::string name, error;
    ASSERT_TRUE(ReadArchive(settings, run, second, &name, &error)) << error;
    EXPECT_FALSE(run.g_strRecord0[2].empty());
    EXPECT_TRUE(run.g_strRecord0[3].empty());
    EXPECT_TRUE(run.g_strRecord1[5].empty());
}

// The save command's write: the second test under one name in one second is "-2", the
// first stays whole.
TEST_F(ArchiveTest, ANewArchiveNeverReplacesAnother) {
    const std::time_t when = LocalTime(2025, 3, 7, 14, 5, 9);
    std::string stamped, error;
    ASSERT_TRUE(ArchiveBasePath(settings.g_strTestName, when, &stamped, &error)) << error;
    FillRecords(5);
    std::string first, second, third;
    ASSERT_TRUE(WriteNewArchive(settings, run, stamped, &first, &error)) << error;
    run.g_nRecordCount = 2;
    ASSERT_TRUE(WriteNewArchive(settings, run, stamped, &second, &error)) << error;
    ASSERT_TRUE(WriteNewArchive(settings, run, stamped, &third, &error)) << error;
    EXPECT_EQ(first, stamped);
    EXPECT_EQ(second, stamped + "-2");
    EXPECT_EQ(third, stamped + "-3");
    EXPECT_EQ(DataFolderEntries().size(), 3u);
    const std::string firstFile = ReadWhole(first + ".dat");
    EXPECT_FALSE(BlockAt(firstFile, kRecordsAt + 5 * 20).empty());
    const std::string secondFile = ReadWhole(second + ".dat");
    EXPECT_EQ(secondFile.substr(0, secondFile.find('\0')), Utf8ToGbk(second + ".dat"));
    EXPECT_TRUE(BlockAt(secondFile, kRecordsAt + 3 * 20).empty());

    // A tag ends the name, before any "-2".
    ASSERT_TRUE(ArchiveBasePath(settings.g_strTestName, when, &stamped, &error, "-终止保存"))
        << error;
    EXPECT_EQ(stamped.substr(stamped.size() - std::string("2025-03-07-14-05-09-终止保存").size()),
              "2025-03-07-14-05-09-终止保存");
}

class PlaybackTest : public RecordsTest {
  protected:
    // Records 1, 2, ... with the texts of both channels.
    void SetRecords(std::initializer_list<std::pair<const char*, const char*>> records) {
        int i = 0;
        for (const auto& [text0, text1] : records) {
            run.g_strRecord0[++i] = text0;
            run.g_strRecord1[i] = text1;
        }
    }
};

TEST_F(PlaybackTest, PlaysStoredRecordsUntilTheFirstEmptyOne) {
    SetRecords({{"010.000", "002.000"},
                {"030.000", "030.000"},
                {"020.000", "004.000"},
                {"abc", "002.000"},
                {"006.000", "000.000"}});

    EXPECT_FALSE(PlaybackStep(settings, run, 1));
    EXPECT_DOUBLE_EQ(run.g_dValue0, 10.0);
    EXPECT_DOUBLE_EQ(run.g_dRatio, 5.0);
    EXPECT_FALSE(PlaybackStep(settings, run, 2));
    EXPECT_DOUBLE_EQ(run.g_dRatio, 1.0);  // equal values
    EXPECT_FALSE(PlaybackStep(settings, run, 3));
    EXPECT_DOUBLE_EQ(run.g_dRatio, 5.0);

    EXPECT_DOUBLE_EQ(run.g_dHistory0[0], 20.0);
    EXPECT_DOUBLE_EQ(run.g_dHistory0[1], 30.0);
    EXPECT_DOUBLE_EQ(run.g_dHistory0[2], 10.0);
    EXPECT_DOUBLE_EQ(run.g_dHistory1[2], 2.0);
    EXPECT_DOUBLE_EQ(run.g_dHistory0[501], 30.0);
    EXPECT_DOUBLE_EQ(run.g_dHistory1[501], 30.0);
    EXPECT_DOUBLE_EQ(run.g_dRatioHistory[0], 5.0);
    EXPECT_DOUBLE_EQ(run.g_dRatioHistory[2], 5.0);
    EXPECT_EQ(run.g_strReadout0[0], "020.000");
    EXPECT_EQ(run.g_strReadout0[501], "030.000");
    EXPECT_EQ(run.g_strReadout1[0], "004.000");
    EXPECT_EQ(run.g_bPlaybackEnded, 0);

    // A text that is not a number plays as 0; channel 1 at 0 keeps the previous ratio.
    EXPECT_FALSE(PlaybackStep(settings, run, 4));
    EXPECT_DOUBLE_EQ(run.g_dValue0, 0.0);
    EXPECT_DOUBLE_EQ(run.g_dRatio, 0.0);
    EXPECT_FALSE(PlaybackStep(settings, run, 5));
    EXPECT_DOUBLE_EQ(run.g_dRatio, 0.0);

    EXPECT_TRUE(PlaybackStep(settings, run, 6));
    EXPECT_EQ(run.g_bPlaybackEnded, 1);
    EXPECT_DOUBLE_EQ(run.g_dHistory0[0], 6.0);  // the end changes nothing
    EXPECT_TRUE(PlaybackStep(settings, run, kRecordSlots));
}

TEST_F(PlaybackTest, PeaksHeldWhileTravelLimited) {
    SetRecords({{"010.000", "001.000"}, {"040.000", "004.000"}, {"045.000", "005.000"}});
    EXPECT_FALSE(PlaybackStep(settings, run, 1));
    run.g_bTravelLimit = 1;
    EXPECT_FALSE(PlaybackStep(settings, run, 2));
    EXPECT_DOUBLE_EQ(run.g_dHistory0[501], 10.0);
    EXPECT_DOUBLE_EQ(run.g_dHistory1[501], 1.0);
    run.g_bTravelLimit = 0;
    EXPECT_FALSE(PlaybackStep(settings, run, 3));
    EXPECT_DOUBLE_EQ(run.g_dHistory0[501], 45.0);
    EXPECT_DOUBLE_EQ(run.g_dHistory1[501], 5.0);
}

// Under a comma-decimal locale (as QApplication sets it for a German operator) every
// number the program writes or reads in a text still uses a point.
TEST_F(PlaybackTest, ACommaLocaleChangesNoTextAndNoStoredValue) {
    std::string error;
    ASSERT_TRUE(CommaLocale::Enter(&error)) << error;
    struct LeaveAtEnd {
        ~LeaveAtEnd() { CommaLocale::Leave(); }
    } leave;

    EXPECT_EQ(FormatChannelValue(0, 0.489, 50), "000.489");
    EXPECT_EQ(FormatChannelValue(1, -12.5, 100), "-12.500");
    EXPECT_EQ(FormatChannelValue(0, 123456.0, 5e5), "123456.");
    EXPECT_EQ(FormatRatio(2.5), "002.500");
    EXPECT_DOUBLE_EQ(DecimalValue("13.5"), 13.5);

    SetRecords({{"012.345", "-00.500"}});
    run.g_nRecordCount = 1;
    const std::string path = DataFolderPath() + "comma.dat";
    ASSERT_TRUE(WriteArchive(settings, run, path, &error)) << error;
    run.Reset();
    std::string name;
    ASSERT_TRUE(ReadArchive(settings, run, path, &name, &error)) << error;
    EXPECT_FALSE(PlaybackStep(settings, run, 1));
    EXPECT_DOUBLE_EQ(run.g_dValue0, 12.345);
    EXPECT_DOUBLE_EQ(run.g_dValue1, -0.5);
    EXPECT_EQ(run.g_strReadout0[0], "012.345");
    EXPECT_EQ(run.g_strReadout1[0], "-00.500");
}

}  // namespace
