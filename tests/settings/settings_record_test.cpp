#include "settings/settings_record.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "../common/scratch_folder.h"
#include "common/gbk_text.h"
#include "settings/data_folder.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Each test starts in an empty working directory with the default settings.
class SettingsFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(scratch_.Enter());
        dir_ = scratch_.Path();
        AnchorDataFolder();
    }
    std::string BlockAt(const std::string& bytes, std::size_t offset, std::size_t width) {
        std::string block = bytes.substr(offset, width);
        return block.substr(0, block.find('\0'));
    }
    ScratchFolder scratch_{"velmora-settings"};
    fs::path dir_;
    Settings settings;
};

TEST_F(SettingsFileTest, StartUpCreatesFolderAndFileWithTheDefaultsAtTheirOffsets) {
    std::string error;
    ASSERT_TRUE(LoadOrCreateSettingsFile(settings, &error)) << error;
    std::string bytes = ReadAll(dir_ / "测试数据存档" / "MyTestSet.dat");
    ASSERT_EQ(bytes.size(), 380u);
    EXPECT_EQ(BlockAt(bytes, 10, 10), "-5V~+5V");
    EXPECT_EQ(bytes.substr(130, 9), std::string("-100.000\0", 9));
    EXPECT_EQ(BlockAt(bytes, 270, 10), "30");
    EXPECT_EQ(BlockAt(bytes, 280, 60), "Dranvik");
    EXPECT_EQ(BlockAt(bytes, 340, 20), "Tolvane");
    EXPECT_EQ(GbkToUtf8(BlockAt(bytes, 360, 10)), "张力");
    EXPECT_EQ(GbkToUtf8(BlockAt(bytes, 370, 10)), "位移");
    EXPECT_EQ(settings.g_nSamplePeriod, 30);
    EXPECT_DOUBLE_EQ(settings.g_dSpan0, 100.0);
    EXPECT_DOUBLE_EQ(settings.g_dFullScale1, 100.0);
}

TEST_F(SettingsFileTest, AnExistingFileIsLoadedNotOverwritten) {
    ASSERT_TRUE(LoadOrCreateSettingsFile(settings, nullptr));
    settings.g_strTestName = "Edited";
    ASSERT_TRUE(WriteSettingsFile(settings, nullptr));
    settings.SetDefaults();
    ASSERT_TRUE(LoadOrCreateSettingsFile(settings, nullptr));
    EXPECT_EQ(settings.g_strTestName, "Edited");
    EXPECT_EQ(ReadAll(SettingsFilePath()).size(), 380u);
}

TEST_F(SettingsFileTest, WritingAfterTheFileVanishedIsReportedAndCreatesNothing) {
    ASSERT_TRUE(LoadOrCreateSettingsFile(settings, nullptr));
    fs::remove(SettingsFilePath());
    std::string error;
    EXPECT_FALSE(WriteSettingsFile(settings, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(fs::exists(SettingsFilePath()));
}

// Something that is not a file where the settings file belongs: start-up and the Settings
// command report it at once, keep the settings in memory and leave the thing alone.
TEST_F(SettingsFileTest, AFifoOrDeviceInPlaceOfTheFileIsRefusedWithoutWaiting) {
    const fs::path folder = dir_ / "测试数据存档";
    fs::create_directory(folder);
    const fs::path path = folder / "MyTestSet.dat";
    for (const char* kind : {"fifo", "device", "folder"}) {
        SCOPED_TRACE(kind);
        fs::remove_all(path);
        if (std::string(kind) == "fifo") {
            ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
        } else if (std::string(kind) == "device") {
            fs::create_symlink("/dev/zero", path);
        } else {
            fs::create_directory(path);
        }
        settings.g_strTestName = "InMemory";
        std::string error;
        auto startUp = std::async(std::launch::async, [this, &error] {
            return LoadOrCreateSettingsFile(settings, &error) || ReloadSettingsFile(settings);
        });
        if (startUp.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            // A reader blocked on the FIFO is let go by a writer that comes and goes.
            close(open(path.c_str(), O_WRONLY | O_NONBLOCK));
            startUp.wait();
            FAIL() << "the settings file was waited on";
        }
        EXPECT_FALSE(startUp.get());
        EXPECT_NE(error.find("MyTestSet.dat"), std::string::npos) << error;
        EXPECT_EQ(settings.g_strTestName, "InMemory");
        EXPECT_FALSE(WriteSettingsFile(settings, &error));
        EXPECT_FALSE(fs::is_regular_file(path));
        EXPECT_EQ(fs::is_fifo(path), std::string(kind) == "fifo");
    }
}

TEST(SettingsRecord, ConversionsFollowTheCLibraryRules) {
    Settings settings;
    settings.g_strForceStopLimit = "35.9";
    settings.g_strBreakValue = "30.999";
    settings.g_strAutoReturnDelay = "20.9";
    settings.g_strRangeHigh0 = "abc";
    settings.g_strRangeLow0 = "  -7.5xyz";
    settings.g_strRangeHigh1 = "50";
    settings.g_strRangeLow1 = "-80";
    settings.g_strSamplePeriod = "99999999999";
    settings.Parse();
    EXPECT_EQ(settings.g_dForceStopLimit, 35.0);
    EXPECT_EQ(settings.g_dBreakValue, 30.0);
    EXPECT_EQ(settings.g_nAutoReturnDelay, 20);
    EXPECT_EQ(settings.g_dRangeHigh0, 0.0);
    EXPECT_EQ(settings.g_dRangeLow0, -7.5);
    EXPECT_EQ(settings.g_dSpan1, 130.0);
    EXPECT_EQ(settings.g_dFullScale1, 80.0);
    EXPECT_EQ(settings.g_nSamplePeriod, 2147483647);
}

// Each object holds its own record: its field table points into it, and loading, parsing
// or restoring one leaves another as it was.
TEST(SettingsRecord, ObjectsKeepTheirOwnTextsAndNumbers) {
    Settings settings;
    Settings other;
    for (std::size_t i = 0; i < kSettingsFieldCount; ++i) {
        EXPECT_NE(settings.Fields()[i].text, other.Fields()[i].text);
        EXPECT_EQ(*settings.Fields()[i].text, *other.Fields()[i].text);
    }
    EXPECT_EQ(settings.Fields()[28].text, &settings.g_strTestName);
    *settings.Fields()[27].text = "75";
    settings.Parse();
    EXPECT_EQ(settings.g_strSamplePeriod, "75");
    EXPECT_EQ(settings.g_nSamplePeriod, 75);
    EXPECT_EQ(other.g_strSamplePeriod, "30");
    EXPECT_EQ(other.g_nSamplePeriod, 0);  // not parsed yet: the start value

    const SettingsTexts before = other.Texts();
    other.Restore(settings.Texts());
    EXPECT_EQ(other.g_strSamplePeriod, "75");
    EXPECT_TRUE(DescribesRecordsDifferently(before, other.Texts()));
    other.g_strTestName = "Another";
    other.g_strTester = "Someone";
    EXPECT_FALSE(DescribesRecordsDifferently(settings.Texts(), other.Texts()));
}

TEST(SettingsRecord, TruncationNeverLeavesTheIntRange) {
    EXPECT_EQ(TruncateToInt(-2.9), -2);
    EXPECT_EQ(TruncateToInt(1e300), 2147483647);
    EXPECT_EQ(TruncateToInt(-1e300), -2147483647 - 1);
    EXPECT_EQ(TruncateToInt(std::nan("")), 0);
}

TEST(SettingsRecord, BlocksThatFillTheirWidthHaveNoTerminatorAndReadBackWhole) {
    Settings settings;
    settings.g_strTester = std::string(20, 'T');
    settings.g_strChannelName1 = Utf8ToGbk("五个汉字啊");  // 10 bytes
    std::ostringstream out;
    settings.Save(out);
    ASSERT_EQ(out.str().size(), 380u);
    EXPECT_EQ(out.str().substr(340, 20), std::string(20, 'T'));
    settings.SetDefaults();
    std::istringstream in(out.str());
    settings.Load(in);
    EXPECT_EQ(settings.g_strTester, std::string(20, 'T'));
    EXPECT_EQ(GbkToUtf8(settings.g_strChannelName1), "五个汉字啊");
}

TEST(SettingsRecord, AShortFileKeepsTheFieldsItDoesNotHoldWhole) {
    Settings settings;
    std::string bytes(25, '\0');
    bytes.replace(0, 1, "7");       // card id
    bytes.replace(10, 6, "0~+5V");  // input type
    bytes.replace(20, 5, "0~+1");   // output type, only half a block
    std::istringstream in(bytes);
    settings.Load(in);
    EXPECT_EQ(settings.g_strCardId, "7");
    EXPECT_EQ(settings.g_strInputType, "0~+5V");
    EXPECT_EQ(settings.g_strOutputType, "-5V~+5V");
    EXPECT_EQ(settings.g_strTestName, "Dranvik");
}

TEST(SettingsRecord, FilesOfAnyLengthAndContentLoadWithoutFault) {
    Settings settings;
    std::mt19937 random(7);
    for (std::size_t length : {0u, 1u, 9u, 10u, 379u, 380u, 381u, 5000u}) {
        std::string bytes(length, '\0');
        for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
        settings.SetDefaults();
        std::istringstream in(bytes);
        settings.Load(in);
        settings.Parse();
        for (const SettingsField& field : settings.Fields())
            EXPECT_LE(field.text->size(), field.width);
    }
}

// A file that fails the dialog's checks is neither used nor lost: it moves aside, the
// defaults take its place and the message says which field and where the file went.
TEST_F(SettingsFileTest, AFileFailingTheChecksIsKeptAsideAndTheDefaultsUsed) {
    ASSERT_TRUE(LoadOrCreateSettingsFile(settings, nullptr));
    settings.g_strForceStopLimit = "1O";
    settings.g_strTestName = "Refused";
    ASSERT_TRUE(WriteSettingsFile(settings, nullptr));
    const std::string refused = ReadAll(SettingsFilePath());
    settings.SetDefaults();
    std::string message;
    EXPECT_FALSE(LoadOrCreateSettingsFile(settings, &message));
    EXPECT_NE(message.find("强制停机限"), std::string::npos) << message;
    EXPECT_NE(message.find("1O"), std::string::npos) << message;
    std::vector<fs::path> aside;
    for (const auto& entry : fs::directory_iterator(dir_ / "测试数据存档")) {
        if (entry.path().filename().string().rfind("MyTestSet.dat.refused-", 0) == 0)
            aside.push_back(entry.path());
    }
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_NE(message.find(aside[0].string()), std::string::npos) << message;
    EXPECT_EQ(ReadAll(aside[0]), refused);
    EXPECT_EQ(settings.g_strTestName, "Dranvik");
    EXPECT_DOUBLE_EQ(settings.g_dForceStopLimit, 35.0);
    std::ostringstream defaults;
    settings.Save(defaults);
    EXPECT_EQ(ReadAll(SettingsFilePath()), defaults.str());

    // The Settings command's reload refuses the same way; a second refusal within the
    // same second keeps the first one's file.
    std::ofstream(SettingsFilePath(), std::ios::binary | std::ios::trunc) << refused;
    settings.g_strTestName = "InMemory";
    EXPECT_TRUE(ReloadSettingsFile(settings, &message));
    EXPECT_NE(message.find("强制停机限"), std::string::npos) << message;
    EXPECT_EQ(settings.g_strTestName, "Dranvik");
    int refusedFiles = 0;
    for (const auto& entry : fs::directory_iterator(dir_ / "测试数据存档")) {
        if (entry.path().filename().string().rfind("MyTestSet.dat.refused-", 0) == 0) {
            EXPECT_EQ(ReadAll(entry.path()), refused);
            ++refusedFiles;
        }
    }
    EXPECT_EQ(refusedFiles, 2);
    EXPECT_TRUE(ReloadSettingsFile(settings, &message));
    EXPECT_TRUE(message.empty()) << message;
}

}  // namespace
