#include "card.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <vector>

#include "driver.h"

namespace {

using sim::Card;

bool Arm(Card& card, std::uint8_t request) {
    std::uint8_t in[10] = {0, 2, 0, 0, request, 0, 0, 0, 0xEF, 0xBE};
    std::uint8_t data[16] = {};
    std::uint32_t returned = 0;
    return card.Control(dqx7460::kIoctlVendorRequest, in, sizeof(in), data, sizeof(data),
                        &returned);
}

bool BulkWrite(Card& card, std::uint16_t reg, std::uint16_t value) {
    std::uint8_t pipe[4] = {0, 0, 0, 0};
    std::uint8_t data[4] = {static_cast<std::uint8_t>(reg), static_cast<std::uint8_t>(reg >> 8),
                            static_cast<std::uint8_t>(value),
                            static_cast<std::uint8_t>(value >> 8)};
    std::uint32_t returned = 0;
    return card.Control(dqx7460::kIoctlBulkWrite, pipe, 4, data, 4, &returned) && returned == 4;
}

bool Write(Card& card, std::uint16_t reg, std::uint16_t value) {
    return Arm(card, dqx7460::kRequestWriteArm) && BulkWrite(card, reg, value);
}

bool BulkRead(Card& card, std::vector<std::uint8_t>& block) {
    std::uint8_t pipe[4] = {1, 0, 0, 0};
    std::uint32_t returned = 0;
    bool ok = card.Control(dqx7460::kIoctlBulkRead, pipe, 4, block.data(),
                           static_cast<std::uint32_t>(block.size()), &returned);
    return ok && returned == block.size();
}

bool Read(Card& card, std::vector<std::uint8_t>& block) {
    return Arm(card, dqx7460::kRequestReadArm) && BulkRead(card, block);
}

std::uint16_t Word16(const std::vector<std::uint8_t>& block, std::size_t offset) {
    return dqx7460::ReadLe16(&block[offset]);
}

std::uint32_t Word32(const std::vector<std::uint8_t>& block, std::size_t index) {
    return dqx7460::ReadLe32(&block[4 * index]);
}

// Two channels, 0 and 1, both on range code 1 (-5..+5 V, bipolar), then start and trigger.
void StartTwoChannelScan(Card& card) {
    ASSERT_TRUE(Write(card, dqx7460::kRegPolarity, 1));
    ASSERT_TRUE(Write(card, dqx7460::kRegRangeFirst + 0, 1));
    ASSERT_TRUE(Write(card, dqx7460::kRegRangeFirst + 1, 1));
    ASSERT_TRUE(Write(card, dqx7460::kRegScanCount, 2));
    ASSERT_TRUE(Write(card, dqx7460::kRegScanListFirst + 0, 0));
    ASSERT_TRUE(Write(card, dqx7460::kRegScanListFirst + 1, 1));
    ASSERT_TRUE(Write(card, dqx7460::kRegAdRun, 1));
    ASSERT_TRUE(Write(card, dqx7460::kRegTrigger, 1));
    ASSERT_TRUE(Write(card, dqx7460::kRegTrigger, 0));
}

// The frame search of the card library: the lowest index whose odd words carry tags 0..7.
int FindCounterFrame(const std::vector<std::uint8_t>& block) {
    for (std::uint32_t p = dqx7460::kCounterFrameFirstIndex; p <= dqx7460::kCounterFrameLastIndex;
         ++p) {
        bool tagged = true;
        for (int tag = 0; tag < 8 && tagged; ++tag) {
            tagged = Word16(block, 2 * (p + 2 * tag + 1)) == tag;
        }
        if (tagged) return static_cast<int>(p);
    }
    return -1;
}

std::uint32_t FrameCounter(const std::vector<std::uint8_t>& block, int p, int j) {
    return Word16(block, 2 * (p + 4 * j)) |
           (static_cast<std::uint32_t>(Word16(block, 2 * (p + 4 * j + 2))) << 16);
}

TEST(CardBus, TransfersNeedTheirOwnArmRequestEachTime) {
    Card card;
    EXPECT_FALSE(BulkWrite(card, 0, 7));
    EXPECT_EQ(card.Register(0), 0);

    ASSERT_TRUE(Arm(card, dqx7460::kRequestWriteArm));
    EXPECT_TRUE(BulkWrite(card, 0, 7));
    EXPECT_FALSE(BulkWrite(card, 0, 8)) << "one arm request covers one transfer";
    EXPECT_EQ(card.Register(0), 7);

    std::vector<std::uint8_t> block(dqx7460::kDigitalInBlockBytes);
    ASSERT_TRUE(Write(card, dqx7460::kRegReadSource, dqx7460::kSourceDigitalIn));
    EXPECT_FALSE(BulkRead(card, block));
    ASSERT_TRUE(Arm(card, dqx7460::kRequestWriteArm));
    EXPECT_FALSE(BulkRead(card, block)) << "a write-arm does not arm a read";
    EXPECT_TRUE(Read(card, block));
}

TEST(CardBus, RefusesMalformedRequests) {
    Card card;
    std::uint32_t returned = 99;
    std::uint8_t badIndex[10] = {0, 2, 0, 0, dqx7460::kRequestWriteArm, 0, 0, 0, 0, 0};
    std::uint8_t data[16] = {};
    EXPECT_FALSE(card.Control(dqx7460::kIoctlVendorRequest, badIndex, 10, data, 16, &returned));
    EXPECT_EQ(returned, 0u);
    std::uint8_t unknown[10] = {0, 2, 0, 0, 0xBC, 0, 0, 0, 0xEF, 0xBE};
    EXPECT_FALSE(card.Control(dqx7460::kIoctlVendorRequest, unknown, 10, data, 16, &returned));
    EXPECT_FALSE(card.Control(dqx7460::kIoctlVendorRequest, unknown, 4, data, 16, &returned));

    ASSERT_TRUE(Arm(card, dqx7460::kRequestWriteArm));
    std::uint8_t readPipe[4] = {1, 0, 0, 0};
    EXPECT_FALSE(card.Control(dqx7460::kIoctlBulkWrite, readPipe, 4, data, 4, &returned));
    ASSERT_TRUE(Arm(card, dqx7460::kRequestWriteArm));
    std::uint8_t writePipe[4] = {0, 0, 0, 0};
    EXPECT_FALSE(card.Control(dqx7460::kIoctlBulkWrite, writePipe, 4, data, 3, &returned));
    EXPECT_FALSE(card.Control(0x00222000, writePipe, 4, data, 4, &returned));
}

TEST(CardBus, OneBulkWriteMayCarrySeveralRegisterWrites) {
    Card card;
    std::vector<std::pair<std::uint16_t, std::uint16_t>> seen;
    card.SetWriteObserver(
        [&seen](std::uint16_t reg, std::uint16_t value) { seen.emplace_back(reg, value); });
    std::uint8_t pipe[4] = {0, 0, 0, 0};
    std::uint8_t data[8] = {0x80, 0x00, 0xFF, 0x00, 0x7B, 0x00, 0x34, 0x12};
    std::uint32_t returned = 0;
    ASSERT_TRUE(Arm(card, dqx7460::kRequestWriteArm));
    ASSERT_TRUE(card.Control(dqx7460::kIoctlBulkWrite, pipe, 4, data, 8, &returned));
    EXPECT_EQ(card.DigitalOutputs(), 0x00FF);
    EXPECT_EQ(card.AnalogOutput(1), 0x1234);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1], std::make_pair(std::uint16_t{123}, std::uint16_t{0x1234}));
}

TEST(CardStream, MarkerThenRoundRobinWithTheTriggerOnTheFirstSample) {
    Card card;
    card.SetVoltage(0, 1.25);
    card.SetVoltage(1, -2.5);
    StartTwoChannelScan(card);
    std::vector<std::uint8_t> block(4 * 5);
    ASSERT_TRUE(Read(card, block));
    EXPECT_EQ(Word32(block, 0), dqx7460::kStartMarker);
    EXPECT_EQ(Word32(block, 1), 40960u | dqx7460::kSampleTriggerFlag);
    EXPECT_EQ(Word32(block, 2), 16384u | (1u << 16));
    EXPECT_EQ(Word32(block, 3), 40960u);
    EXPECT_EQ(Word32(block, 4), 16384u | (1u << 16));

    // The round-robin carries over into the next read; a software trigger flags exactly
    // the sample converted next.
    ASSERT_TRUE(Write(card, dqx7460::kRegTrigger, 1));
    ASSERT_TRUE(Write(card, dqx7460::kRegTrigger, 0));
    std::vector<std::uint8_t> next(4 * 3);
    ASSERT_TRUE(Read(card, next));
    EXPECT_EQ(Word32(next, 0), 40960u | dqx7460::kSampleTriggerFlag);
    EXPECT_EQ(Word32(next, 1), 16384u | (1u << 16));
    EXPECT_EQ(Word32(next, 2), 40960u);
}

TEST(CardStream, StoppedConversionDeliversNothingAndARestartMarksAgain) {
    Card card;
    StartTwoChannelScan(card);
    std::vector<std::uint8_t> block(4 * 4);
    ASSERT_TRUE(Read(card, block));
    ASSERT_TRUE(Write(card, dqx7460::kRegAdRun, 0));
    EXPECT_FALSE(Read(card, block));

    ASSERT_TRUE(Write(card, dqx7460::kRegAdRun, 1));
    ASSERT_TRUE(Read(card, block));
    EXPECT_EQ(Word32(block, 0), dqx7460::kStartMarker);
    EXPECT_EQ(Word32(block, 1) >> 16, 0u) << "the scan starts over at list entry 0, unflagged";

    ASSERT_TRUE(Write(card, dqx7460::kRegFifoClear, 1));
    ASSERT_TRUE(Write(card, dqx7460::kRegFifoClear, 0));
    ASSERT_TRUE(Read(card, block));
    EXPECT_EQ(Word32(block, 0), 32768u) << "FIFO clear restarts the list without a marker";
}

TEST(CardStream, CodesInvertTheLibraryConversionOnEveryRange) {
    for (long code = 0; code < static_cast<long>(std::size(dqx7460::kRangeRows)); ++code) {
        const dqx7460::RangeRow& row = dqx7460::kRangeRows[code];
        for (int x : {0, 1, 12345, 32768, 65534, 65535}) {
            long double volts = x * row.span / dqx7460::kCodeSteps - row.offset;
            EXPECT_EQ(sim::VoltsToCode(static_cast<double>(volts), code, row.bipolar), x)
                << "range " << code << " code " << x;
        }
    }
    EXPECT_EQ(sim::VoltsToCode(7.0, 1, true), 65535);
    EXPECT_EQ(sim::VoltsToCode(-7.0, 1, true), 0);
    EXPECT_EQ(sim::VoltsToCode(-1.0, 5, false), 0);
    // No row for the polarity: the widest range converts.
    EXPECT_EQ(sim::VoltsToCode(0.0, 5, true), 32768);
    EXPECT_EQ(sim::VoltsToCode(0.0, 9, false), 32768);
}

TEST(CardReadBack, DigitalInputsDeviceNumberAndDirectInput) {
    Card card(3);
    card.SetDigitalInputs(0xFFEA);
    std::vector<std::uint8_t> block(dqx7460::kDigitalInBlockBytes);
    ASSERT_TRUE(Write(card, dqx7460::kRegReadSource, dqx7460::kSourceDigitalIn));
    ASSERT_TRUE(Read(card, block));
    EXPECT_EQ(Word16(block, dqx7460::kDigitalInWordOffset), 0xFFEA);

    std::vector<std::uint8_t> numberBlock(dqx7460::kDeviceNumberBlockBytes);
    ASSERT_TRUE(Write(card, dqx7460::kRegReadSource, dqx7460::kSourceDeviceNumber));
    ASSERT_TRUE(Read(card, numberBlock));
    EXPECT_EQ(Word16(numberBlock, dqx7460::kDeviceNumberOffset), 3);

    // Held in reset, a two-byte read is the input word itself.
    ASSERT_TRUE(Write(card, dqx7460::kRegReset, 1));
    std::vector<std::uint8_t> direct(2);
    ASSERT_TRUE(Read(card, direct));
    EXPECT_EQ(Word16(direct, 0), 0xFFEA);
    ASSERT_TRUE(Write(card, dqx7460::kRegReset, 0));
    // Both ways of reading the input word count; the device number does not.
    EXPECT_EQ(card.InputReads(), 2u);
}

TEST(CardOutputs, OutputWordAnalogValuesAndWaveform) {
    Card card;
    EXPECT_EQ(card.DigitalOutputs(), 0x00FF) << "the active-low lines power up released";
    ASSERT_TRUE(Write(card, dqx7460::kRegDigitalOut, 0x00E7));
    EXPECT_EQ(card.DigitalOutputs(), 0x00E7);

    ASSERT_TRUE(Write(card, dqx7460::kRegDaDirectBefore + 4, 4000));
    EXPECT_EQ(card.AnalogOutput(4), 4000);
    ASSERT_TRUE(Write(card, dqx7460::kRegDaControlBefore + 3, 1));
    ASSERT_TRUE(Write(card, dqx7460::kRegDaDataBefore + 3, 10));
    ASSERT_TRUE(Write(card, dqx7460::kRegDaDataBefore + 3, 20));
    EXPECT_EQ(card.Waveform(3), (std::vector<std::uint16_t>{10, 20}));
    ASSERT_TRUE(Write(card, dqx7460::kRegDaControlBefore + 3, 0));
    ASSERT_TRUE(Write(card, dqx7460::kRegDaControlBefore + 3, 1));
    EXPECT_TRUE(card.Waveform(3).empty()) << "a new load starts a new waveform";
}

TEST(CardCounters, LoadedStartedCounterCountsOnePerReadBackInAMovingFrame) {
    Card card;
    const int b = dqx7460::kRegCounterFirst + dqx7460::kCounterStride;  // counter 1
    ASSERT_TRUE(Write(card, b + 1, 0x0001));
    ASSERT_TRUE(Write(card, b + 2, 0x0002));
    ASSERT_TRUE(Write(card, b + 3, 0));
    ASSERT_TRUE(Write(card, b + 3, 1));
    EXPECT_EQ(card.CounterValue(1), 0x00020001u);
    ASSERT_TRUE(Write(card, dqx7460::kRegCounterStartMask, 0));
    ASSERT_TRUE(Write(card, dqx7460::kRegCounterStartMask, 0x2));
    EXPECT_TRUE(card.CounterRunning(1));
    EXPECT_FALSE(card.CounterRunning(0));

    ASSERT_TRUE(Write(card, dqx7460::kRegReadSource, dqx7460::kSourceCounters));
    std::vector<std::uint8_t> block(dqx7460::kCounterBlockBytes);
    ASSERT_TRUE(Read(card, block));
    int first = FindCounterFrame(block);
    ASSERT_GE(first, dqx7460::kCounterFrameFirstIndex);
    EXPECT_EQ(FrameCounter(block, first, 1), 0x00020002u);
    EXPECT_EQ(FrameCounter(block, first, 0), 0u);
    EXPECT_EQ(Word16(block, 2 * (first - 1)), 0xFFFF);

    ASSERT_TRUE(Read(card, block));
    int second = FindCounterFrame(block);
    EXPECT_NE(second, first);
    EXPECT_EQ(FrameCounter(block, second, 1), 0x00020003u);

    ASSERT_TRUE(Write(card, dqx7460::kRegCounterStopMask, 0x2));
    ASSERT_TRUE(Read(card, block));
    EXPECT_EQ(FrameCounter(block, FindCounterFrame(block), 1), 0x00020003u);

    // The frame index visits the whole window 1024..2031 and never leaves it.
    std::vector<bool> seen(dqx7460::kCounterFrameLastIndex + 1);
    for (int i = 0; i < 1008; ++i) {
        ASSERT_TRUE(Read(card, block));
        int p = FindCounterFrame(block);
        ASSERT_GE(p, dqx7460::kCounterFrameFirstIndex);
        seen[p] = true;
    }
    EXPECT_TRUE(seen[dqx7460::kCounterFrameFirstIndex]);
    EXPECT_TRUE(seen[dqx7460::kCounterFrameLastIndex]);
}

}  // namespace
