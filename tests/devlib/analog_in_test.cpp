// Scan configuration, code conversion and the single-scan readers.
#include <functional>
#include <vector>

#include "DQX7460.h"
#include "card_fixture.h"

using namespace devlib_test;

namespace {

constexpr std::size_t kBlockWords = 1024;

// A block of filler samples (a channel no test scans) with the given words placed.
std::vector<std::uint8_t> Block(std::initializer_list<std::pair<std::size_t, ULONG>> placed) {
    std::vector<ULONG> words(kBlockWords, Sample(kFillerChannel, 0));
    for (const auto& [position, word] : placed) words[position] = word;
    return BytesOf(words);
}

AdScanConfig TwoChannelConfig() {
    AdScanConfig config{};
    config.RangeCode[0] = 0;
    config.RangeCode[1] = 1;
    config.Bipolar = 1;
    config.ChannelList[0] = 0;
    config.ChannelList[1] = 1;
    config.ChannelCount = 2;
    return config;
}

std::vector<RegisterWrite> Tail(const std::vector<RegisterWrite>& writes, std::size_t count) {
    return std::vector<RegisterWrite>(writes.end() - static_cast<std::ptrdiff_t>(count),
                                      writes.end());
}

}  // namespace

TEST_F(CardTest, ScanConfigurationWritesItsRegistersInOrder) {
    AdScanConfig config = TwoChannelConfig();
    config.Reg4Value = 0x12345;
    config.Reg10Value = 77;
    config.RangeCode[31] = 9;   // above 7: sent as given
    config.ChannelList[2] = 6;  // the entry after the count is written too
    ASSERT_EQ(DQX7460_AIConfig(handle, config), 0);

    std::vector<RegisterWrite> expected = {{0, 10, 77}, {0, 4, 0x2345}, {0, 5, 1}};
    for (WORD channel = 0; channel < 32; ++channel) {
        expected.push_back({0, static_cast<WORD>(21 + channel), config.RangeCode[channel]});
    }
    expected.push_back({0, 85, 2});
    expected.push_back({0, 53, 0});
    expected.push_back({0, 54, 1});
    expected.push_back({0, 55, 6});
    expected.push_back({0, 7, 0});
    EXPECT_EQ(driver.Writes(), expected);
}

TEST_F(CardTest, FullScanListSendsItsLastWriteToTheCountRegister) {
    AdScanConfig config{};
    for (WORD entry = 0; entry < 32; ++entry) config.ChannelList[entry] = 31 - entry;
    config.ChannelCount = 32;
    DQX7460_AIConfig(handle, config);
    std::vector<RegisterWrite> writes = driver.Writes();
    ASSERT_EQ(writes.size(), 3u + 32u + 1u + 33u + 1u);
    EXPECT_EQ(writes[36], (RegisterWrite{0, 53, 31}));
    EXPECT_EQ(writes[67], (RegisterWrite{0, 84, 0}));
    EXPECT_EQ(writes[68], (RegisterWrite{0, 85, 32}));
}

TEST_F(CardTest, ScanModeRegisterForEveryModeAndBitCombination) {
    const WORD modeBits[5] = {0, 0, 2, 3, 0};
    for (WORD mode = 0; mode < 5; ++mode) {
        for (LONG bit2 : {0, 1, 2, 3}) {
            for (LONG bit3 : {0, 1, 2, 3}) {
                driver.calls.clear();
                AdScanConfig config{};
                config.Reg7Mode = mode;
                config.Reg7Bit2 = bit2;
                config.Reg7Bit3 = bit3;
                DQX7460_AIConfig(handle, config);
                WORD expected = static_cast<WORD>((bit2 & 1) * 4 + modeBits[mode]);
                if (mode <= 3) expected = static_cast<WORD>(expected + (bit3 & 1) * 8);
                EXPECT_EQ(driver.Writes().back(), (RegisterWrite{0, 7, expected}))
                    << "mode " << mode << " bits " << bit2 << "," << bit3;
            }
        }
    }
}

TEST_F(CardTest, ConfigurationFromArgumentsFillsRangesAndAConsecutiveList) {
    DQX7460_AIConfig2(handle, 4, 0, 0, 1, 0, 0, 0, 5, 3);
    std::vector<RegisterWrite> writes = driver.Writes();
    for (WORD channel = 0; channel < 32; ++channel) {
        EXPECT_EQ(writes[3 + channel], (RegisterWrite{0, static_cast<WORD>(21 + channel), 4}));
    }
    const std::vector<RegisterWrite> list = {{0, 85, 3}, {0, 53, 5}, {0, 54, 6},
                                             {0, 55, 7}, {0, 56, 0}, {0, 7, 0}};
    EXPECT_EQ(Tail(writes, list.size()), list);
}

TEST(CodeToVolts, ConvertsByTheRangeTable) {
    const struct {
        WORD code, range;
        bool bipolar;
        double volts;
    } rows[] = {{32768, 0, true, 0.0},
                {0, 0, true, -10.0},
                {65535, 4, false, 9.999847412109375},
                {16384, 3, true, -0.625},
                {32768, 6, false, 1.25}};
    for (const auto& row : rows) {
        double volts = 99.0;
        ASSERT_TRUE(dqx7460::CodeToVolts(row.code, row.range, row.bipolar, &volts));
        EXPECT_EQ(volts, row.volts) << row.code << " on range " << row.range;
    }
    double volts = 99.0;
    EXPECT_FALSE(dqx7460::CodeToVolts(100, 5, true, &volts));
    EXPECT_FALSE(dqx7460::CodeToVolts(100, 1, false, &volts));
    EXPECT_FALSE(dqx7460::CodeToVolts(100, 7, true, &volts));
    EXPECT_EQ(volts, 99.0);
}

TEST_F(CardTest, VoltageScanSkipsTheWordsAfterTheMarker) {
    // Words 1..32 after the marker would give wrong values if examined.
    std::vector<ULONG> words(kBlockWords, Sample(kFillerChannel, 0));
    words[10] = kStartMarker;
    for (std::size_t position = 11; position <= 42; ++position)
        words[position] = Sample(position % 2, 1);
    words[43] = Sample(1, 49152);
    words[44] = Sample(0, 49152);
    words[45] = Sample(1, 16384);
    driver.QueueBlock(0, BytesOf(words));
    double results[2] = {};
    AdScanRequest request{TwoChannelConfig(), results};
    ASSERT_EQ(DQX7460_MAIVoltageIn(handle, &request), 0);
    EXPECT_EQ(results[0], 5.0);
    EXPECT_EQ(results[1], -2.5);
    std::vector<RegisterWrite> writes = driver.Writes();
    EXPECT_EQ(writes[0], (RegisterWrite{0, 1, 1}));
    EXPECT_EQ(writes[1], (RegisterWrite{0, 1, 0}));
    const std::vector<RegisterWrite> start = {{0, 9, 1}, {0, 3, 1}, {0, 3, 0}};
    EXPECT_EQ(std::vector<RegisterWrite>(writes.begin() + 2 + 40, writes.begin() + 45), start);
    EXPECT_EQ(Tail(writes, 2), (std::vector<RegisterWrite>{{0, 6, 0}, {0, 9, 0}}));
    EXPECT_EQ(driver.CountCalls(kIoctlBulkRead), 1u);
}

TEST_F(CardTest, MarkerNearTheEndOfABlockDropsTheRestOfIt) {
    driver.QueueBlock(0, Block({{1000, kStartMarker}, {1001, Sample(0, 1)}, {1020, Sample(1, 1)}}));
    driver.QueueBlock(0, Block({{0, Sample(0, 40000)}, {1, Sample(1, 50000)}}));
    double results[2] = {};
    AdScanRequest request{TwoChannelConfig(), results};
    request.Config.Bipolar = 0;
    request.Config.RangeCode[0] = 4;
    request.Config.RangeCode[1] = 4;
    ASSERT_EQ(DQX7460_MAIVoltageIn(handle, &request), 0);
    EXPECT_EQ(results[0], 40000 * 10.0 / 65536);
    EXPECT_EQ(results[1], 50000 * 10.0 / 65536);
    EXPECT_EQ(driver.CountCalls(kIoctlBulkRead), 2u);
}

TEST_F(CardTest, ChannelWithoutARowForThePolarityKeepsItsElement) {
    driver.QueueBlock(0, Block({{0, kStartMarker}, {40, Sample(0, 100)}, {41, Sample(1, 32768)}}));
    double results[2] = {123.0, 123.0};
    AdScanRequest request{TwoChannelConfig(), results};
    request.Config.RangeCode[0] = 5;
    ASSERT_EQ(DQX7460_MAIVoltageIn(handle, &request), 0);
    EXPECT_EQ(results[0], 123.0);
    EXPECT_EQ(results[1], 0.0);
}

TEST_F(CardTest, BinaryScanTakesCodesRightAfterTheMarker) {
    driver.QueueBlock(
        0, Block({{3, kStartMarker}, {4, Sample(1, 7)}, {5, Sample(0, 8)}, {6, Sample(1, 9)}}));
    WORD codes[2] = {};
    AdScanRequest request{TwoChannelConfig(), codes};
    ASSERT_EQ(DQX7460_MAIBinaryIn(handle, &request), 0);
    EXPECT_EQ(codes[0], 8);
    EXPECT_EQ(codes[1], 9);
}

TEST_F(CardTest, EmptyScanCompletesAtTheFirstSynchronisedWord) {
    driver.QueueBlock(0, Block({{0, kStartMarker}, {1, Sample(0, 5)}}));
    WORD codes[1] = {0xABCD};
    AdScanRequest request{AdScanConfig{}, codes};
    ASSERT_EQ(DQX7460_MAIBinaryIn(handle, &request), 0);
    EXPECT_EQ(codes[0], 0xABCD);
    EXPECT_EQ(driver.CountCalls(kIoctlBulkRead), 1u);
}

TEST_F(CardTest, ScanGivesUpAfterItsBlockBoundAndStillStops) {
    double results[2] = {7.0, 7.0};
    AdScanRequest request{TwoChannelConfig(), results};
    EXPECT_EQ(DQX7460_MAIVoltageIn(handle, &request), 1);
    EXPECT_EQ(driver.CountCalls(kIoctlBulkRead), 64u);
    EXPECT_EQ(Tail(driver.Writes(), 2), (std::vector<RegisterWrite>{{0, 6, 0}, {0, 9, 0}}));
    EXPECT_EQ(results[0], 7.0);

    // A block that cannot be read ends the scan at once.
    driver.calls.clear();
    driver.failWhen = [](const DriverCall& call) { return call.code == kIoctlBulkRead; };
    EXPECT_EQ(DQX7460_MAIBinaryIn(handle, &request), 1);
    EXPECT_EQ(driver.CountCalls(kIoctlBulkRead), 1u);
    EXPECT_EQ(Tail(driver.Writes(), 2), (std::vector<RegisterWrite>{{0, 6, 0}, {0, 9, 0}}));
}

TEST_F(CardTest, SinglePointConfiguresOnlyItsChannel) {
    driver.QueueBlock(0, Block({{0, kStartMarker}, {1, Sample(3, 49152)}}));
    float volts = 0.0f;
    AiPointRequest request{3, 1, 1, 0, 0, &volts};
    ASSERT_EQ(DQX7460_AIVoltageIn(handle, &request), 0);
    EXPECT_EQ(volts, 2.5f);
    std::vector<RegisterWrite> writes = driver.Writes();
    for (WORD channel = 0; channel < 32; ++channel) {
        EXPECT_EQ(writes[5 + channel].value, channel == 3 ? 1 : 0) << channel;
    }
    request.Channel = 32;
    EXPECT_EQ(DQX7460_AIVoltageIn(handle, &request), 1);
}

TEST_F(CardTest, BinaryPointLeavesTheConverterRunning) {
    driver.QueueBlock(0, Block({}));
    driver.QueueBlock(0, Block({{1023, kStartMarker}}));
    driver.QueueBlock(0, Block({{0, Sample(2, 4321)}}));
    WORD code = 0;
    ASSERT_EQ(DQX7460_AIBinaryIn2(handle, 0, 1, 2, 3, &code), 0);
    EXPECT_EQ(code, 4321);
    std::vector<RegisterWrite> writes = driver.Writes();
    // The sampled channel's range register, and range slot 0 as well.
    EXPECT_EQ(writes[2 + 3 + 0], (RegisterWrite{0, 21, 3}));
    EXPECT_EQ(writes[2 + 3 + 1], (RegisterWrite{0, 22, 0}));
    EXPECT_EQ(writes[2 + 3 + 2], (RegisterWrite{0, 23, 3}));
    const std::vector<RegisterWrite> ending = {{0, 6, 0}, {0, 9, 1}, {0, 3, 1}, {0, 3, 0}};
    EXPECT_EQ(Tail(writes, 4), ending);

    driver.calls.clear();
    EXPECT_EQ(DQX7460_AIBinaryIn2(handle, 0, 1, 2, 3, &code), 1);
    EXPECT_EQ(driver.CountCalls(kIoctlBulkRead), 5u);
}

TEST_F(CardTest, RawBlockCopiesItsTailToTheCaller) {
    std::vector<std::uint8_t> block(4096);
    for (std::size_t at = 0; at < block.size(); ++at) block[at] = static_cast<std::uint8_t>(at);
    driver.QueueBlock(0, block);
    std::uint8_t tail[DQX7460_AI_BINARY_BYTES] = {};
    AdScanRequest request{AdScanConfig{}, tail};
    ASSERT_EQ(DQX7460_AIBinaryIn(handle, &request), 0);
    for (std::size_t at = 0; at < DQX7460_AI_BINARY_BYTES; ++at) {
        EXPECT_EQ(tail[at], static_cast<std::uint8_t>(4000 + at));
    }
    // The read is armed before the conversion starts.
    std::size_t arm = 0;
    std::size_t start = 0;
    for (std::size_t index = 0; index < driver.calls.size(); ++index) {
        const DriverCall& call = driver.calls[index];
        if (call.code == kIoctlVendorRequest && call.in[4] == dqx7460::kRequestReadArm) arm = index;
        if (call.code == kIoctlBulkWrite && dqx7460::ReadLe16(call.out.data()) == 9 && start == 0) {
            start = index;
        }
    }
    EXPECT_LT(arm, start);
}

TEST(GetAdVol, ReadsTheFirstMatchingWordOfItsWindow) {
    std::vector<ULONG> buffer(2048, Sample(kFillerChannel, 0));
    buffer[1023] = Sample(2, 0);
    buffer[1030] = Sample(2, 49152);
    buffer[1040] = Sample(2, 0);
    buffer[1088] = Sample(4, 0);
    float volts = 42.0f;
    EXPECT_EQ(DQX7460_GetAdVol(&volts, 2, buffer.data()), 0);
    EXPECT_EQ(volts, 5.0f);
    volts = 42.0f;
    EXPECT_EQ(DQX7460_GetAdVol(&volts, 4, buffer.data()), 0);
    EXPECT_EQ(volts, 42.0f);
}

TEST_F(CardTest, ReadSourceComesFromTheRecord) {
    WORD source = 2;
    ReadSourceRecord record{0, &source};
    EXPECT_EQ(DQX7460_MAIConfig(handle, &record), 0);
    EXPECT_EQ(driver.Writes(), (std::vector<RegisterWrite>{{0, 6, 2}}));
}

// Where data must go and there is nowhere to put it, nothing is sent and the call fails.
TEST_F(CardTest, NullOutputsSendNothingAndFail) {
    AdScanRequest scan{};
    scan.Config.ChannelCount = 1;
    AiPointRequest point{0, 1, 1, 0, 0, nullptr};
    ULONG count = 0;
    const std::pair<const char*, std::function<LONG()>> calls[] = {
        {"MAIVoltageIn", [&] { return DQX7460_MAIVoltageIn(handle, &scan); }},
        {"MAIBinaryIn", [&] { return DQX7460_MAIBinaryIn(handle, &scan); }},
        {"AIBinaryIn", [&] { return DQX7460_AIBinaryIn(handle, &scan); }},
        {"AIVoltageIn", [&] { return DQX7460_AIVoltageIn(handle, &point); }},
        {"AIBinaryIn2", [&] { return DQX7460_AIBinaryIn2(handle, 0, 1, 0, 1, nullptr); }},
        {"ReadBackCount2",
         [&] { return DQX7460_ReadBackCount2(handle, &count, &count, &count, nullptr); }},
        {"ReadBackCount",
         [&] { return DQX7460_ReadBackCount(handle, nullptr, &count, &count, &count); }},
    };
    for (const auto& [name, call] : calls) {
        EXPECT_EQ(call(), 1) << name;
        EXPECT_TRUE(driver.calls.empty()) << name;
        driver.calls.clear();
    }
}
