// Stream control, raw block reads and the triggered capture.
#include <vector>

#include "DQX7460.h"
#include "card_fixture.h"

using namespace devlib_test;

namespace {

constexpr std::size_t kEntries = 16;
constexpr ULONG kUntouched = 0xDEADBEEF;

// Position 0 is the start marker; synchronised word k (from 1) carries code k.
ULONG NumberedWord(std::uint64_t position, std::uint64_t triggerAt) {
    if (position == 0) return kStartMarker;
    return Sample(position % 8, position & 0xFFFF, position == triggerAt);
}

}  // namespace

TEST_F(CardTest, StreamControlSequences) {
    EXPECT_EQ(DQX7460_StartAd(handle), 0);
    EXPECT_EQ(DQX7460_StopAd(handle), 0);
    EXPECT_EQ(DQX7460_FifoClear(handle), 0);
    EXPECT_EQ(DQX7460_SoftTrig(handle), 0);
    const std::vector<RegisterWrite> expected = {{0, 9, 1}, {0, 3, 1}, {0, 3, 0}, {0, 9, 0},
                                                 {0, 2, 1}, {0, 2, 0}, {0, 3, 1}, {0, 3, 0}};
    EXPECT_EQ(driver.Writes(), expected);

    driver.failWhen = [](const DriverCall& call) { return call.code == kIoctlBulkWrite; };
    EXPECT_EQ(DQX7460_FifoClear(handle), 1);
    EXPECT_EQ(DQX7460_StartAd(handle), 1);
}

TEST_F(CardTest, RawReadTransfersTheWordCount) {
    std::vector<ULONG> words(512, 0);
    ULONG* buffer = words.data();
    driver.stream = [](std::uint64_t position) { return static_cast<ULONG>(position); };
    ASSERT_EQ(DQX7460_ADReadData(handle, &buffer, 512), 0);
    EXPECT_EQ(buffer, words.data());
    EXPECT_EQ(driver.calls.back().outLen, 2048u);
    EXPECT_EQ(words[511], 511u);
    EXPECT_TRUE(driver.Writes().empty());

    driver.failWhen = [](const DriverCall& call) { return call.code == kIoctlBulkRead; };
    EXPECT_EQ(DQX7460_ADReadData(handle, &buffer, 512), 1);
}

TEST_F(CardTest, CaptureStoresFromWhereItsTriggerModeSays) {
    struct Case {
        const char* name;
        WORD triggerMode, subMode, n;
        std::uint64_t triggerAt;
        std::size_t zeros;    // entries before the first stored word
        std::uint64_t first;  // the first stored word
        bool flagKept;
    };
    const Case cases[] = {
        {"flag on the first word", 0, 0, 0, 1, 0, 1, false},
        {"pre-trigger 4, trigger on word 10", 1, 0, 4, 10, 0, 7, true},
        {"pre-trigger 4, trigger on word 2", 1, 0, 4, 2, 2, 1, true},
        {"delayed 2, trigger on word 5", 1, 1, 2, 5, 0, 9, true},
    };
    for (const Case& c : cases) {
        RecordingDriver fresh;  // each capture starts a new stream
        fresh.stream = [&c](std::uint64_t position) { return NumberedWord(position, c.triggerAt); };
        dqx7460::SetDriver(&fresh);
        std::vector<ULONG> data(kEntries, kUntouched);
        ASSERT_EQ(DQX7460_ADReadData2(handle, data.data(), kEntries, c.triggerMode, c.subMode, c.n),
                  0)
            << c.name;
        for (std::size_t entry = 0; entry < kEntries; ++entry) {
            const ULONG expected = entry < c.zeros ? 0
                                                   : NumberedWord(c.first + entry - c.zeros,
                                                                  c.flagKept ? c.triggerAt : 0);
            EXPECT_EQ(data[entry], expected) << c.name << ", entry " << entry;
        }
    }
}

TEST_F(CardTest, CaptureRunsUntilItsStoreIsFullThenStops) {
    driver.stream = [](std::uint64_t position) { return NumberedWord(position, 1); };
    std::vector<ULONG> data(kEntries, kUntouched);
    ASSERT_EQ(DQX7460_ADReadData2(handle, data.data(), kEntries, 0, 0, 0), 0);
    // 1023 entries from the first block, 1024 from each after it, until 163,840.
    EXPECT_EQ(driver.CountCalls(kIoctlBulkRead), 161u);
    const std::vector<RegisterWrite> start = {{0, 0, 0}, {0, 9, 1}, {0, 3, 1}, {0, 3, 0}};
    std::vector<RegisterWrite> writes = driver.Writes();
    EXPECT_EQ(std::vector<RegisterWrite>(writes.begin(), writes.begin() + 4), start);
    EXPECT_EQ(writes.back(), (RegisterWrite{0, 9, 0}));
}

TEST_F(CardTest, CaptureRefusesAnEmptyPreTriggerRing) {
    std::vector<ULONG> data(kEntries, kUntouched);
    EXPECT_EQ(DQX7460_ADReadData2(handle, data.data(), kEntries, 1, 0, 0), 1);
    EXPECT_TRUE(driver.calls.empty());
    EXPECT_EQ(data[0], kUntouched);
}

TEST_F(CardTest, CaptureWithoutTriggerGivesUpAndStops) {
    driver.stream = [](std::uint64_t position) { return NumberedWord(position, 0); };
    std::vector<ULONG> data(kEntries, kUntouched);
    EXPECT_EQ(DQX7460_ADReadData2(handle, data.data(), kEntries, 0, 0, 0), 1);
    EXPECT_EQ(driver.CountCalls(kIoctlBulkRead), 1024u);
    EXPECT_EQ(driver.Writes().back(), (RegisterWrite{0, 9, 0}));
    EXPECT_EQ(data[0], kUntouched);

    // A block that cannot be read ends the capture, even after the trigger.
    driver.calls.clear();
    driver.stream = [](std::uint64_t position) { return NumberedWord(position, 1); };
    driver.failWhen = [&](const DriverCall& call) {
        return call.code == kIoctlBulkRead && driver.CountCalls(kIoctlBulkRead) == 3;
    };
    EXPECT_EQ(DQX7460_ADReadData2(handle, data.data(), kEntries, 0, 0, 0), 1);
    EXPECT_EQ(driver.CountCalls(kIoctlBulkRead), 4u);
    EXPECT_EQ(data[0], kUntouched);
}
