// The extensometer's file beside an archive: written after it at full precision, read back
// strictly (a damaged or foreign file is refused with its reason and the test opens without
// the extensometer), removed when a test without it is saved under its name.
#include "records/extensometer_records.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>

#include "common/sha256.h"
#include "records/archive.h"
#include "records/saved_test.h"
#include "records_fixture.h"
#include "run/readouts.h"
#include "run/run_state.h"
#include "settings/data_folder.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

class ExtensometerRecordsTest : public RecordsTest {
  protected:
    // Six records; the extensometer, Le 50 mm on channel 2, read the first four and was then
    // taken off. The readings need every digit to come back.
    void SetUp() override {
        RecordsTest::SetUp();
        FillRecords(6);
        const double readings[] = {0, 0.1 + 0.2, 1.0 / 3, -1e-7, kNaN, kNaN};
        for (int i = 1; i <= 6; ++i) run.g_dRecordExt[i] = readings[i - 1];
        run.g_bExtRecorded = 1;
        run.g_nExtRemovalRecord = 4;
        run.g_dExtGaugeLength = 50;
        run.g_nExtChannel = 2;
        archive = DataFolderPath() + "t.dat";
        std::string error;
        ASSERT_TRUE(WriteArchive(settings, run, archive, &error)) << error;
    }

    // The archive as playback reads it, into a run that still holds another test's readings.
    std::unique_ptr<TestRun> Opened(std::string* notice, bool* taken) {
        auto opened = std::make_unique<TestRun>();
        opened->g_bExtRecorded = 1;
        opened->g_dRecordExt[1] = 9;
        opened->g_dExtGaugeLength = 25;
        Settings read;
        std::string name, error;
        EXPECT_TRUE(ReadArchive(read, *opened, archive, &name, &error)) << error;
        *taken = TakeExtensometerRecords(*opened, archive, notice);
        return opened;
    }

    std::string archive;
};

TEST_F(ExtensometerRecordsTest, RoundTripKeepsEveryDigitAndNothingAfterTheRemoval) {
    std::string error;
    // A slot after the removal that still holds a number is not a reading.
    run.g_dRecordExt[5] = 2.5;
    ASSERT_TRUE(WriteExtensometerRecords(run, archive, &error)) << error;
    const std::string path = archive + ".ext.csv";
    EXPECT_EQ(ExtensometerRecordsPathOf(archive), path);
    std::string digest;
    ASSERT_TRUE(Sha256OfFile(archive, &digest, &error)) << error;
    EXPECT_EQ(ReadWhole(path),
              "\xEF\xBB\xBF"
              "引伸计记录,1\r\n"
              "存档 SHA-256," +
                  digest +
                  "\r\n"
                  "标距 Le (mm),50\r\n通道,2\r\n单位,mm\r\n记录数,6\r\n"
                  "取下记录,4\r\n次数,引伸计 (mm)\r\n"
                  "1,0\r\n2,0.30000000000000004\r\n3,0.3333333333333333\r\n"
                  "4,-0.0000001\r\n5,\r\n6,\r\n");

    std::string notice;
    bool taken = false;
    const auto opened = Opened(&notice, &taken);
    ASSERT_TRUE(taken) << notice;
    EXPECT_EQ(notice, "");
    EXPECT_EQ(opened->g_bExtRecorded, 1);
    EXPECT_EQ(opened->g_nExtRemovalRecord, 4);
    EXPECT_EQ(opened->g_dExtGaugeLength, 50);
    EXPECT_EQ(opened->g_nExtChannel, 2);
    for (int i = 1; i <= 4; ++i)
        EXPECT_TRUE(SameBits(opened->g_dRecordExt[i], run.g_dRecordExt[i])) << i;
    for (int i : {0, 5, 6, 7, kRecordSlots - 1}) EXPECT_TRUE(std::isnan(opened->g_dRecordExt[i]));

    // The results see what the window sees.
    SavedTest saved;
    ASSERT_TRUE(LoadSavedTest(archive, SpecimenDims{}, &saved, &error)) << error;
    const TestCurve& curve = saved.set.curve;
    ASSERT_EQ(curve.extensometer.size(), 6u);
    EXPECT_TRUE(SameBits(curve.extensometer[1], 0.1 + 0.2));
    EXPECT_TRUE(std::isnan(curve.extensometer[4]));
    EXPECT_EQ(curve.extensometerGauge, 50);
    EXPECT_EQ(curve.removalRecord, 4);
    EXPECT_EQ(saved.extensometerNotice, "");
}

// Whatever is wrong with the file, none of its numbers is taken: the test opens without the
// extensometer, and the notice and the results' notes say why.
TEST_F(ExtensometerRecordsTest, DamagedOrForeignFileIsRefusedWithItsReason) {
    std::string error;
    ASSERT_TRUE(WriteExtensometerRecords(run, archive, &error)) << error;
    const std::string path = ExtensometerRecordsPathOf(archive);
    const std::string good = ReadWhole(path);
    auto replaced = [&good](const std::string& from, const std::string& to) {
        std::string text = good;
        const std::size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return at == std::string::npos ? text : text.replace(at, from.size(), to);
    };
    const struct {
        const char* what;
        std::string bytes;
        const char* reason;
    } damaged[] = {
        {"cut in a reading", good.substr(0, good.find("3,0.333") + 5), "末行没有结束"},
        {"cut after a line", good.substr(0, good.find("4,-0.")), "有 3 行记录，应为 6 行"},
        {"cut inside a line end", good.substr(0, good.size() - 1), "末行没有结束"},
        {"empty", "", "没有 UTF-8 字节顺序标记"},
        {"no byte-order mark", good.substr(3), "没有 UTF-8 字节顺序标记"},
        {"another kind of file", replaced("引伸计记录,1", "引伸计记录,2"), "不是引伸计记录文件"},
        {"another archive's", replaced("SHA-256,", "SHA-256,0"), "属于另一份存档"},
        {"Le zero", replaced("(mm),50", "(mm),0"), "标距 Le 不是正数"},
        {"Le not a number", replaced("(mm),50", "(mm),5O"), "标距 Le 不是正数"},
        {"a channel of the card's others", replaced("通道,2", "通道,1"), "通道"},
        {"readings in %", replaced("单位,mm", "单位,%"), "单位不是 mm"},
        {"another count", replaced("记录数,6", "记录数,7"), "记录数 7 与存档的 6 条不符"},
        {"removal past the records", replaced("取下记录,4", "取下记录,9"), "取下记录"},
        {"a reading after the removal", replaced("5,\r\n", "5,0.5\r\n"), "第 5 条记录在取下之后"},
        {"records out of order", replaced("2,0.3", "3,0.3"), "第 2 条记录的次数不符"},
        {"a reading that is no number", replaced("2,0.30000000000000004", "2,0.3x"),
         "第 2 条记录不是可用的数值：0.3x"},
        {"nan written out", replaced("2,0.30000000000000004", "2,nan"), "第 2 条记录不是可用的"},
        {"a line more", good + "7,\r\n", "有 7 行记录，应为 6 行"},
    };
    for (const auto& d : damaged) {
        SCOPED_TRACE(d.what);
        WriteWhole(path, d.bytes);
        std::string notice;
        bool taken = true;
        const auto opened = Opened(&notice, &taken);
        EXPECT_FALSE(taken);
        EXPECT_NE(notice.find(d.reason), std::string::npos) << notice;
        EXPECT_NE(notice.find("试验按没有引伸计打开：" + path), std::string::npos) << notice;
        EXPECT_EQ(opened->g_bExtRecorded, 0);
        EXPECT_EQ(opened->g_dExtGaugeLength, 0);
        EXPECT_TRUE(std::isnan(opened->g_dRecordExt[1]));
        EXPECT_TRUE(std::isnan(opened->g_dRecordExt[2]));

        SavedTest saved;
        ASSERT_TRUE(LoadSavedTest(archive, SpecimenDims{}, &saved, &error)) << error;
        EXPECT_TRUE(saved.set.curve.extensometer.empty());
        EXPECT_EQ(saved.extensometerNotice, notice);
        const std::vector<std::string> notes = ResultNotes(saved.set);
        EXPECT_NE(std::find(notes.begin(), notes.end(), notice), notes.end());
    }

    // A folder in its place cannot be read: told, not taken.
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    std::string notice;
    bool taken = true;
    Opened(&notice, &taken);
    EXPECT_FALSE(taken);
    EXPECT_NE(notice.find(path), std::string::npos) << notice;

    // No file at all: a test without the extensometer, nothing to tell.
    std::filesystem::remove(path);
    const auto opened = Opened(&notice, &taken);
    EXPECT_FALSE(taken);
    EXPECT_EQ(notice, "");
    EXPECT_EQ(opened->g_bExtRecorded, 0);
}

// A test without the extensometer saved under the name of one that had it leaves no file
// that could be taken for its own; a file that cannot be written or removed is told.
TEST_F(ExtensometerRecordsTest, SaveWithoutItRemovesAStaleFileAndFailuresAreTold) {
    std::string error;
    const std::string path = ExtensometerRecordsPathOf(archive);
    ASSERT_TRUE(WriteExtensometerRecords(run, archive, &error)) << error;
    ASSERT_TRUE(std::filesystem::exists(path));
    run.g_bExtRecorded = 0;
    ASSERT_TRUE(WriteExtensometerRecords(run, archive, &error)) << error;
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(WriteExtensometerRecords(run, archive, &error)) << "nothing to remove";
    EXPECT_EQ(DataFolderEntries(), std::vector<std::string>{"t.dat"});

    std::filesystem::create_directories(path + "/inside");
    EXPECT_FALSE(WriteExtensometerRecords(run, archive, &error));
    EXPECT_NE(error.find("旧的引伸计记录文件无法删除：" + path), std::string::npos) << error;
    run.g_bExtRecorded = 1;
    error.clear();
    EXPECT_FALSE(WriteExtensometerRecords(run, archive, &error));
    EXPECT_NE(error.find(path), std::string::npos) << error;
    std::filesystem::remove_all(path);

    // Records that do not say what they were taken with are not written as if they did.
    run.g_dExtGaugeLength = 0;
    EXPECT_FALSE(WriteExtensometerRecords(run, archive, &error));
    EXPECT_NE(error.find("没有标距 Le 或通道"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
