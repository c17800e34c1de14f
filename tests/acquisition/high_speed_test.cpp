#include "acquisition/high_speed.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <vector>

#include "acquisition/card_access.h"
#include "acquisition_fixture.h"
#include "card.h"
#include "fake_card_driver.h"
#include "in_process_driver.h"
#include "run/readouts.h"

namespace {

constexpr int kBlockWords = 512;

class HighSpeedTest : public AcquisitionTest {
  protected:
    void SetUp() override {
        AcquisitionTest::SetUp();
        daq.g_hDevice = card.Handle();
        daq.highSpeed.SetHighSpeedFinishedNotifier([this](HighSpeedEnd end) {
            if (end == HighSpeedEnd::kCardFailed) ++failed;
            ++finished;
        });
    }

    // Serves the blocks in order, then blocks of plain channel 0 samples with code 7.
    void StreamBlocks(std::vector<std::vector<std::uint32_t>> blocks) {
        card.SetStream(
            [blocks, next = std::size_t{0}](std::uint32_t* words, std::size_t count) mutable {
                for (std::size_t i = 0; i < count; ++i) {
                    words[i] = next < blocks.size() ? blocks[next].at(i) : SampleWord(0, 7);
                }
                ++next;
            });
    }
    // Plain samples without a start marker: the worker reads until it is stopped.
    void StreamWithoutMarker() {
        card.SetStream([](std::uint32_t* words, std::size_t count) {
            for (std::size_t i = 0; i < count; ++i) words[i] = SampleWord(0, 1);
        });
    }
    bool WaitDone() {
        return WaitFor(
            [this] { return daq.highSpeed.g_bHighSpeedDone.load(std::memory_order_acquire) != 0; });
    }

    FakeCardDriver card;
    std::atomic<int> finished{0};
    std::atomic<int> failed{0};
    // Destroyed first: its worker, which counts into the two above, ends with it.
    Card daq;
};

std::vector<std::uint32_t> Block(std::uint16_t firstCode) {
    std::vector<std::uint32_t> block(kBlockWords);
    for (int i = 0; i < kBlockWords; ++i) block[i] = SampleWord(0, firstCode + i);
    return block;
}

TEST_F(HighSpeedTest, MarkerAsLastWordYieldsNothingAndTheFirstFlaggedWordLeads) {
    auto first = Block(100);
    for (auto& w : first) w |= kTriggerFlag;  // flagged, but before the marker
    first.back() = kStartMarker;
    auto second = Block(1000);
    second[10] |= kTriggerFlag | 3u << 16;  // channel bits are kept, the flag is not
    StreamBlocks({first, second, Block(5000)});

    daq.highSpeed.StartHighSpeedCapture(settings);
    ASSERT_TRUE(WaitDone());
    EXPECT_EQ(daq.highSpeed.g_nHighSpeedCount.load(), 502 + kBlockWords);
    EXPECT_EQ(daq.highSpeed.g_nHighSpeedBuf[0], 3 << 16 | 1010);
    EXPECT_EQ(daq.highSpeed.g_nHighSpeedBuf[1], 1011);
    EXPECT_EQ(daq.highSpeed.g_nHighSpeedBuf[501], 1511);
    EXPECT_EQ(daq.highSpeed.g_nHighSpeedBuf[502], 5000);
    EXPECT_EQ(daq.highSpeed.g_nHighSpeedBuf[1013], 5511);
    EXPECT_EQ(daq.highSpeed.g_bHighSpeedRun.load(), 0);
    EXPECT_EQ(card.Reads(), 3);
    EXPECT_EQ(finished.load(), 1);
}

TEST_F(HighSpeedTest, EndsAfterTheBlockThatReaches512) {
    auto first = Block(0);
    first[211] = kStartMarker;
    first[212] |= kTriggerFlag;  // 212..511: 300 samples
    StreamBlocks({first, Block(2000)});

    daq.highSpeed.StartHighSpeedCapture(settings);
    ASSERT_TRUE(WaitDone());
    EXPECT_EQ(daq.highSpeed.g_nHighSpeedCount.load(), 812);
    EXPECT_EQ(daq.highSpeed.g_nHighSpeedBuf[0], 212);
    EXPECT_EQ(daq.highSpeed.g_nHighSpeedBuf[299], 511);
    EXPECT_EQ(daq.highSpeed.g_nHighSpeedBuf[300], 2000);
    EXPECT_EQ(daq.highSpeed.g_nHighSpeedBuf[811], 2511);
    EXPECT_EQ(daq.highSpeed.g_bHighSpeedSync.load(), 1);
    EXPECT_EQ(daq.highSpeed.g_bHighSpeedStarted.load(), 1);
    EXPECT_EQ(card.Reads(), 2);
    EXPECT_EQ(finished.load(), 1);
}

TEST_F(HighSpeedTest, StopEndsTheWorkerMidStreamBeforeTouchingTheCard) {
    StreamWithoutMarker();
    daq.highSpeed.StartHighSpeedCapture(settings);
    ASSERT_TRUE(WaitFor([this] { return card.Reads() >= 3; }));
    card.ClearWrites();
    daq.highSpeed.StopHighSpeedCapture();

    EXPECT_EQ(daq.highSpeed.g_bHighSpeedDone.load(), 1);
    EXPECT_EQ(finished.load(), 1);
    EXPECT_EQ(daq.highSpeed.g_bHighSpeedRun.load(), 0);
    EXPECT_EQ(daq.highSpeed.g_nHighSpeedCount.load(), 0);
    EXPECT_EQ(daq.highSpeed.g_bHighSpeedSync.load(), 0);
    // The worker was joined: no read comes after the stop and the FIFO clear.
    const int reads = card.Reads();
    const std::vector<FakeCardDriver::RegisterWrite> stop = {{9, 0}, {2, 1}, {2, 0}};
    EXPECT_EQ(card.Writes(), stop);
    EXPECT_EQ(card.Reads(), reads);
}

TEST_F(HighSpeedTest, StartingAgainEndsTheRunningCaptureFirst) {
    StreamWithoutMarker();
    daq.highSpeed.StartHighSpeedCapture(settings);
    ASSERT_TRUE(WaitFor([this] { return card.Reads() >= 1; }));
    daq.highSpeed.StartHighSpeedCapture(settings);
    // The first worker has ended; the second one reads on.
    EXPECT_EQ(finished.load(), 1);
    EXPECT_EQ(daq.highSpeed.g_bHighSpeedDone.load(), 0);
    const int reads = card.Reads();
    EXPECT_TRUE(WaitFor([&] { return card.Reads() > reads; }));
    daq.highSpeed.StopHighSpeedCapture();
    EXPECT_EQ(finished.load(), 2);
}

TEST_F(HighSpeedTest, DestroyedCardEndsItsCaptureWithoutTellingItsOwner) {
    StreamWithoutMarker();
    auto owned = std::make_unique<Card>();
    owned->g_hDevice = card.Handle();
    owned->highSpeed.SetHighSpeedFinishedNotifier([this](HighSpeedEnd) { ++finished; });
    owned->highSpeed.StartHighSpeedCapture(settings);
    ASSERT_TRUE(WaitFor([this] { return card.Reads() >= 2; }));
    owned.reset();
    // The worker was joined with the card, and the owner, which goes with it, heard nothing.
    const int reads = card.Reads();
    EXPECT_EQ(finished.load(), 0);
    EXPECT_EQ(card.Reads(), reads);
}

TEST_F(HighSpeedTest, CardThatStopsAnsweringEndsTheCaptureAndSaysSo) {
    StreamWithoutMarker();
    daq.highSpeed.StartHighSpeedCapture(settings);
    ASSERT_TRUE(WaitFor([this] { return card.Reads() >= 2; }));
    card.FailReads();
    const int readsBefore = card.Reads();
    ASSERT_TRUE(WaitDone());
    EXPECT_EQ(failed.load(), 1);
    EXPECT_EQ(finished.load(), 1);
    EXPECT_EQ(daq.highSpeed.g_bHighSpeedRun.load(), 0);
    // The worker paused between its failed reads instead of spinning on the card.
    EXPECT_LT(card.Reads() - readsBefore, 100);
}

TEST_F(HighSpeedTest, BurstConvertsTheFirst250SamplesOfChannel0) {
    for (int p = 0; p < 1024; ++p) daq.highSpeed.g_nHighSpeedBuf[p] = 32768 + 64 * (p % 300);
    daq.highSpeed.g_nHighSpeedCount.store(812);
    ChannelVoltages ch;
    ch.zeroVolt[0] = 0.5;
    settings.g_dCoef0 = 2;
    settings.g_dZeroPreset0 = 1;
    run.g_dHistory0[300] = 77;
    daq.highSpeed.ProcessHighSpeedBurst(settings, run, ch);

    const double last = 64 * 249 * 10.0 / 65536;  // -5V~+5V: code x 10 / 65536 - 5
    EXPECT_DOUBLE_EQ(daq.g_dVoltBuf[0], 0.0);
    EXPECT_DOUBLE_EQ(daq.g_dVoltBuf[249], last);
    EXPECT_DOUBLE_EQ(ch.rawVolt[0], last);
    EXPECT_DOUBLE_EQ(ch.scaled[0], (last - 0.5) * 2);
    EXPECT_EQ(ch.highSpeedZeroPreset, 1);
    EXPECT_DOUBLE_EQ(run.g_dHistory0[0], -2.0);
    EXPECT_DOUBLE_EQ(run.g_dValue0, (last - 0.5) * 2 - 1);
    EXPECT_DOUBLE_EQ(run.g_dHistory0[249], run.g_dValue0);
    EXPECT_DOUBLE_EQ(run.g_dHistory0[251], run.g_dValue0);
    EXPECT_EQ(run.g_dHistory0[300], 77);
    EXPECT_EQ(run.g_strReadout0[0], "-02.000");
    EXPECT_EQ(run.g_strReadout0[251], FormatChannelValue(0, run.g_dValue0, settings.g_dFullScale0));

    // Once zeroed, the preset is no longer subtracted.
    run.g_bZeroed0 = 1;
    ch.highSpeedZeroPreset = 0;
    daq.highSpeed.ProcessHighSpeedBurst(settings, run, ch);
    EXPECT_DOUBLE_EQ(run.g_dHistory0[0], -1.0);
}

TEST_F(HighSpeedTest, BurstVoltsFollowTheInputType) {
    daq.highSpeed.g_nHighSpeedBuf[0] = 32768;
    daq.highSpeed.g_nHighSpeedCount.store(1);
    ChannelVoltages ch;
    const struct {
        const char* type;
        double volts;
    } rows[] = {{"0~+5V", 2.5}, {"0~+10V", 5}, {"-5V~+5V", 0}, {"-10V~+10V", 0}, {"?", 32768}};
    for (const auto& row : rows) {
        settings.g_strInputType = row.type;
        daq.highSpeed.ProcessHighSpeedBurst(settings, run, ch);
        EXPECT_EQ(daq.g_dVoltBuf[0], row.volts) << row.type;
    }
}

TEST_F(HighSpeedTest, BurstOfAStoppedCaptureConvertsOnlyItsOwnSamples) {
    for (int p = 0; p < 250; ++p) run.g_dHistory0[p] = 3;
    daq.highSpeed.g_nHighSpeedBuf[0] = 32768;
    daq.highSpeed.g_nHighSpeedBuf[1] = 32768;
    daq.highSpeed.g_nHighSpeedCount.store(1);
    ChannelVoltages ch;
    daq.highSpeed.ProcessHighSpeedBurst(settings, run, ch);
    EXPECT_DOUBLE_EQ(run.g_dHistory0[0], 0.0);
    EXPECT_EQ(run.g_dHistory0[1], 3);
    daq.highSpeed.g_nHighSpeedCount.store(0);
    daq.highSpeed.ProcessHighSpeedBurst(settings, run, ch);
    EXPECT_DOUBLE_EQ(run.g_dHistory0[0], 0.0);
}

// Counts the stream's block reads on their way to the card.
class StreamReadCounter : public dqx7460::ForwardingDriver {
  public:
    using ForwardingDriver::ForwardingDriver;
    bool Control(HANDLE handle, std::uint32_t code, const void* in, std::uint32_t inLen, void* out,
                 std::uint32_t outLen, std::uint32_t* returned) override {
        if (code == dqx7460::kIoctlBulkRead && outLen == kBlockWords * 4) ++blocks;
        return ForwardingDriver::Control(handle, code, in, inLen, out, outLen, returned);
    }
    std::atomic<int> blocks{0};
};

// The input poll reads the rig's inputs on the window's thread while the worker captures
// from the same handle, capture after capture: every poll gets the input word, every
// capture gets the channel's samples and no read of the worker fails.
TEST(HighSpeedSharedCard, InputPollAndStreamTakeTurnsOnTheHandle) {
    Settings settings;
    settings.Parse();
    sim::Card card(1);
    card.SetDigitalInputs(0xFF6F);
    card.SetVoltage(0, 1.0);
    const int code = 39322;  // 1 V on -5..+5 V
    sim::InProcessDriver inProcess;
    inProcess.AddCard(0, card);
    StreamReadCounter driver(inProcess);
    dqx7460::SetDriver(&driver);
    Card daq;
    ASSERT_EQ(daq.OpenCard(), 0);
    std::atomic<int> failed{0};
    daq.highSpeed.SetHighSpeedFinishedNotifier([&failed](HighSpeedEnd end) {
        if (end == HighSpeedEnd::kCardFailed) ++failed;
    });

    int polls = 0;
    int failedPolls = 0;
    int wrongWords = 0;
    int captures = 0;
    int wrongSamples = 0;
    daq.highSpeed.StartHighSpeedCapture(settings);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while ((polls < 300 || driver.blocks.load() < 100) &&
           std::chrono::steady_clock::now() < deadline) {
        WORD input = 0;
        ++polls;
        if (!daq.ReadInputs(&input)) {
            ++failedPolls;
        } else if (input != 0xFF6F) {
            ++wrongWords;
        }
        if (daq.highSpeed.g_bHighSpeedDone.load(std::memory_order_acquire)) {
            ++captures;
            for (int i = 0; i < daq.highSpeed.g_nHighSpeedCount.load(); ++i)
                wrongSamples += std::abs(daq.highSpeed.g_nHighSpeedBuf[i] - code) > 2;
            daq.highSpeed.StartHighSpeedCapture(settings);
        }
    }
    daq.highSpeed.StopHighSpeedCapture();
    EXPECT_GE(driver.blocks.load(), 100);
    EXPECT_GT(captures, 10);
    EXPECT_EQ(failedPolls, 0);
    EXPECT_EQ(wrongWords, 0);
    EXPECT_EQ(wrongSamples, 0);
    EXPECT_EQ(failed.load(), 0);

    daq.highSpeed.SetHighSpeedFinishedNotifier({});
    daq.CloseCard();
    dqx7460::SetDriver(nullptr);
}

}  // namespace
