// Analog output, digital I/O and counters.
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "DQX7460.h"
#include "card_fixture.h"

using namespace devlib_test;

namespace {

// Runs a test body in a fresh working directory.
class ScopedWorkingDirectory {
  public:
    ScopedWorkingDirectory() : previous_(std::filesystem::current_path()) {
        std::random_device random;
        do {
            folder_ =
                std::filesystem::temp_directory_path() / ("devlib-cwd-" + std::to_string(random()));
        } while (!std::filesystem::create_directory(folder_));
        std::filesystem::current_path(folder_);
    }
    ~ScopedWorkingDirectory() {
        std::filesystem::current_path(previous_);
        std::filesystem::remove_all(folder_);
    }

  private:
    std::filesystem::path previous_;
    std::filesystem::path folder_;
};

// A counter read-back block with valid frames at the given word indexes; counter j of the
// frame at p reads (p << 16) + j.
std::vector<std::uint8_t> CounterBlock(std::initializer_list<std::uint32_t> frames) {
    std::vector<WORD> words(2048, 0xFFFF);
    for (std::uint32_t start : frames) {
        for (WORD tag = 0; tag < 8; ++tag) words[start + 2 * tag + 1] = tag;
        for (WORD counter = 0; counter < 4; ++counter) {
            words[start + 4 * counter] = counter;
            words[start + 4 * counter + 2] = static_cast<WORD>(start);
        }
    }
    return BytesOf(words);
}

ULONG FrameValue(std::uint32_t start, ULONG counter) {
    return (start << 16) + counter;
}

}  // namespace

TEST_F(CardTest, OutputRangeModeAndValueRegisters) {
    EXPECT_EQ(DQX7460_DaConfig(handle, 2, 0), 0);
    EXPECT_EQ(DQX7460_DaConfig(handle, 4, 3), 0);
    EXPECT_EQ(DQX7460_DaConfig(handle, 2, 4), 0);
    EXPECT_EQ(DQX7460_DaConfig(handle, 0, 1), 0);
    EXPECT_EQ(DQX7460_DaModeSet(handle, 4, 9), 0);
    EXPECT_EQ(DQX7460_AOBinaryOut(handle, 1, 0x8000), 0);
    EXPECT_EQ(DQX7460_DaOutSet(handle, 3, 7), 0);
    EXPECT_EQ(DQX7460_DaOutSet(handle, 3, 0), 0);
    EXPECT_EQ(DQX7460_DaStart(handle), 0);
    const std::vector<RegisterWrite> expected = {{0, 115, 3},      {0, 117, 0}, {0, 122, 9},
                                                 {0, 123, 0x8000}, {0, 102, 0}, {0, 102, 1},
                                                 {0, 118, 0},      {0, 118, 1}, {0, 118, 0}};
    EXPECT_EQ(driver.Writes(), expected);

    driver.calls.clear();
    EXPECT_EQ(DQX7460_AOBinaryOut(handle, 5, 1), 1);
    EXPECT_EQ(DQX7460_DaModeSet(handle, 0, 1), 1);
    EXPECT_EQ(DQX7460_DaOutSet(handle, 5, 1), 0);
    EXPECT_TRUE(driver.calls.empty());
}

TEST_F(CardTest, WaveformLoadWritesLengthControlThenEverySample) {
    WORD samples[2] = {0x1111, 0x2222};
    EXPECT_EQ(DQX7460_DaDataSet(handle, 3, samples, 2), 0);
    const std::vector<RegisterWrite> expected = {
        {0, 112, 2}, {0, 102, 1}, {0, 98, 0x1111}, {0, 98, 0x2222}};
    EXPECT_EQ(driver.Writes(), expected);
    driver.calls.clear();
    EXPECT_EQ(DQX7460_DaDataSet(handle, 5, samples, 2), 0);
    EXPECT_TRUE(driver.calls.empty());
}

TEST_F(CardTest, WaveformFileLoadsChannelOneAndPadsWithZeros) {
    ScopedWorkingDirectory folder;
    EXPECT_EQ(DQX7460_DaDataFileSet(handle, 0), 1);
    EXPECT_TRUE(driver.calls.empty());

    std::ofstream("Da_Data_file.dat", std::ios::binary).write("\x01\x02\x03\x04\x05", 5);
    EXPECT_EQ(DQX7460_DaDataFileSet(handle, 0), 0);
    std::vector<RegisterWrite> writes = driver.Writes();
    ASSERT_EQ(writes.size(), 2u + 1024u);
    EXPECT_EQ(writes[0], (RegisterWrite{0, 104, 1024}));
    EXPECT_EQ(writes[1], (RegisterWrite{0, 100, 1}));
    EXPECT_EQ(writes[2], (RegisterWrite{0, 96, 0x0201}));
    EXPECT_EQ(writes[3], (RegisterWrite{0, 96, 0x0403}));
    EXPECT_EQ(writes[4], (RegisterWrite{0, 96, 0x0005}));
    for (std::size_t index = 5; index < writes.size(); ++index) {
        ASSERT_EQ(writes[index], (RegisterWrite{0, 96, 0})) << index;
    }
}

TEST_F(CardTest, DigitalOutputWord) {
    EXPECT_EQ(DQX7460_DioWriteWord2(handle, 0x00FF), 0);
    DioWordRecord record{0, 0x0A0B, 0};
    EXPECT_EQ(DQX7460_DioWriteWord(handle, &record), 0);
    EXPECT_EQ(driver.Writes(), (std::vector<RegisterWrite>{{0, 128, 0x00FF}, {0, 128, 0x0A0B}}));
    WORD current = 0x77;
    EXPECT_EQ(DQX7460_DioGetCurrentDOWord(handle, &current), 0);
    EXPECT_EQ(current, 0x77);
}

TEST_F(CardTest, DigitalInputWordFromItsBlock) {
    std::vector<std::uint8_t> block(4096, 0x55);
    block[4000] = 0xFE;
    block[4001] = 0x00;
    driver.QueueBlock(1, block);
    driver.QueueBlock(1, block);
    WORD value = 0;
    ASSERT_EQ(DQX7460_DioReadWord2(handle, &value), 0);
    EXPECT_EQ(value, 0x00FE);
    const std::vector<RegisterWrite> expected = {{0, 1, 1}, {0, 1, 0}, {0, 6, 1}, {0, 6, 0}};
    EXPECT_EQ(driver.Writes(), expected);
    EXPECT_EQ(driver.calls[7].outLen, 4096u);

    DioWordRecord record{0, 0, 0};
    ASSERT_EQ(DQX7460_DioReadWord(handle, &record), 0);
    EXPECT_EQ(record.Result, 0x00FEu);

    // A failed read delivers nothing, but the source is still set back.
    driver.calls.clear();
    driver.failWhen = [](const DriverCall& call) { return call.code == kIoctlBulkRead; };
    value = 0x1234;
    EXPECT_EQ(DQX7460_DioReadWord2(handle, &value), 1);
    EXPECT_EQ(value, 0x1234);
    EXPECT_EQ(driver.Writes().back(), (RegisterWrite{0, 6, 0}));
}

TEST_F(CardTest, DirectInputHoldsRegisterOneAroundItsRead) {
    driver.QueueBlock(0, {0x34, 0x12});
    WORD value = 0;
    ASSERT_EQ(DQX7460_DIOInput(handle, &value), 0);
    EXPECT_EQ(value, 0x1234);
    EXPECT_EQ(driver.Writes(), (std::vector<RegisterWrite>{{0, 1, 1}, {0, 1, 0}}));
    EXPECT_EQ(driver.calls[3].code, kIoctlBulkRead);
    EXPECT_EQ(driver.calls[3].outLen, 2u);
}

TEST_F(CardTest, CounterProgrammingSplitsAndAdjustsTheCounts) {
    EXPECT_EQ(DQX7460_SetCounter2(handle, 2, 1, 3, 6, 1000, 0x10000), 0);
    const std::vector<RegisterWrite> expected = {{0, 158, 1 | 4 | 2 << 3},
                                                 {0, 159, 999},
                                                 {0, 160, 0},
                                                 {0, 162, 0},
                                                 {0, 163, 1},
                                                 {0, 161, 0},
                                                 {0, 161, 1}};
    EXPECT_EQ(driver.Writes(), expected);

    driver.calls.clear();
    CounterConfig config{0, 0, 0, 0, 0x12340001};
    DQX7460_SetCounter(handle, 0, config);
    std::vector<RegisterWrite> writes = driver.Writes();
    EXPECT_EQ(writes[1], (RegisterWrite{0, 145, 0}));
    EXPECT_EQ(writes[2], (RegisterWrite{0, 146, 0}));
    EXPECT_EQ(writes[3], (RegisterWrite{0, 148, 0}));
    EXPECT_EQ(writes[4], (RegisterWrite{0, 149, 0x1234}));

    driver.calls.clear();
    EXPECT_EQ(DQX7460_SetCounter(handle, 4, config), 0);
    EXPECT_TRUE(driver.calls.empty());
}

TEST_F(CardTest, StartAndStopMasksAndClearing) {
    EXPECT_EQ(DQX7460_StartCounter(handle, 1, 0, 3, 2), 0);
    EXPECT_EQ(driver.Writes(), (std::vector<RegisterWrite>{{0, 150, 0}, {0, 150, 5}}));

    driver.calls.clear();
    EXPECT_EQ(DQX7460_StopCounter(handle, 2, 0, 0, 1), 0);
    const std::vector<RegisterWrite> expected = {
        {0, 157, 0}, {0, 157, 8}, {0, 144, 0}, {0, 145, 0}, {0, 146, 0}, {0, 148, 0}, {0, 149, 0},
        {0, 147, 0}, {0, 165, 0}, {0, 166, 0}, {0, 167, 0}, {0, 169, 0}, {0, 170, 0}, {0, 168, 0}};
    EXPECT_EQ(driver.Writes(), expected);
}

TEST_F(CardTest, CounterReadBackTakesTheLowestFrame) {
    driver.QueueBlock(2, CounterBlock({}));
    driver.QueueBlock(2, CounterBlock({1600, 1500}));
    ULONG counts[4] = {};
    ASSERT_EQ(DQX7460_ReadBackCount2(handle, &counts[0], &counts[1], &counts[2], &counts[3]), 0);
    for (ULONG counter = 0; counter < 4; ++counter) {
        EXPECT_EQ(counts[counter], FrameValue(1500, counter));
    }
    EXPECT_EQ(driver.CountCalls(kIoctlBulkRead), 2u);
    const std::vector<RegisterWrite> expected = {{0, 1, 1}, {0, 1, 0}, {0, 6, 2}, {0, 6, 0}};
    EXPECT_EQ(driver.Writes(), expected);

    driver.QueueBlock(2, CounterBlock({2031}));
    ASSERT_EQ(DQX7460_ReadBackCount(handle, &counts[0], &counts[1], &counts[2], &counts[3]), 0);
    EXPECT_EQ(counts[3], FrameValue(2031, 3));
}

TEST_F(CardTest, CounterReadBackGivesUpWithoutAFrame) {
    for (int block = 0; block < 64; ++block) driver.QueueBlock(2, CounterBlock({1023, 2032}));
    ULONG counts[4] = {9, 9, 9, 9};
    EXPECT_EQ(DQX7460_ReadBackCount2(handle, &counts[0], &counts[1], &counts[2], &counts[3]), 1);
    EXPECT_EQ(driver.CountCalls(kIoctlBulkRead), 64u);
    EXPECT_EQ(counts[0], 9u);
    EXPECT_EQ(driver.Writes().back(), (RegisterWrite{0, 6, 0}));
}
