#include "acquisition/high_speed.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>
#include <utility>

#include "acquisition/conditioning.h"
#include "acquisition/input_range.h"
#include "run/readouts.h"
#include "run/run_state.h"
#include "card_registers.h"
#include "settings/settings_record.h"

namespace {

constexpr WORD kBlockWords = 512;
constexpr int kCaptureTarget = 512;
constexpr int kBurstSamples = 250;
constexpr int kBurstPeakSlot = 251;

// The count is tested once per block and each block starts below the target, so the
// buffer never holds more than target - 1 + one block.
static_assert(kCaptureTarget - 1 + kBlockWords <= 1024, "the capture buffer must hold a block");

// A card that stops delivering ends the capture once its reads have failed for this long;
// between failed reads the worker pauses, so that it does not spin on the card's lock.
constexpr auto kFailingReadsBound = std::chrono::seconds(1);
constexpr auto kFailedReadPause = std::chrono::milliseconds(20);

double BurstCodeToVolts(const Settings& settings, int code) {
    if (settings.g_strInputType == "0~+5V") return code * 5.0 / 65536;
    if (settings.g_strInputType == "0~+10V") return code * 10.0 / 65536;
    if (settings.g_strInputType == "-5V~+5V") return code * 10.0 / 65536 - 5;
    if (settings.g_strInputType == "-10V~+10V") return code * 20.0 / 65536 - 10;
    return code;
}

}  // namespace

void HighSpeedCapture::EndAndJoinWorker() {
    {
        std::lock_guard<std::mutex> lock(g_pauseMutex);
        g_bHighSpeedRun.store(0);
    }
    g_pauseWake.notify_all();
    if (g_worker.joinable()) g_worker.join();
}

void HighSpeedCapture::PauseAfterFailedRead() {
    std::unique_lock<std::mutex> lock(g_pauseMutex);
    g_pauseWake.wait_for(lock, kFailedReadPause, [this] { return !g_bHighSpeedRun.load(); });
}

void HighSpeedCapture::HighSpeedWorker() {
    ULONG block[kBlockWords];
    ULONG* blockPointer = block;
    // The worker is the only writer of the flags, the count and the buffer while it runs:
    // they were set before it started and are reset only after it has been joined.
    int sync = g_bHighSpeedSync.load(std::memory_order_relaxed);
    int started = g_bHighSpeedStarted.load(std::memory_order_relaxed);
    int count = g_nHighSpeedCount.load(std::memory_order_relaxed);
    HighSpeedEnd end = HighSpeedEnd::kEnded;
    using Clock = std::chrono::steady_clock;
    bool failing = false;
    Clock::time_point failingSince;
    while (g_bHighSpeedRun.load()) {
        // A failed read leaves the block as it was; parsing it again would store its
        // samples twice.
        const LONG read = WithLockedHandle(cardLock_, device_, [&blockPointer](HANDLE handle) {
            return DQX7460_ADReadData(handle, &blockPointer, kBlockWords);
        });
        if (read != 0) {
            const Clock::time_point now = Clock::now();
            if (!failing) failingSince = now;
            failing = true;
            if (now - failingSince >= kFailingReadsBound) {
                end = HighSpeedEnd::kCardFailed;
                g_bHighSpeedRun.store(0);
                break;
            }
            PauseAfterFailedRead();
            continue;
        }
        failing = false;
        for (ULONG w : block) {
            if (!sync) {
                sync = dqx7460::IsStartMarker(w);
                continue;
            }
            if (!started) {
                if (!(w & dqx7460::kSampleTriggerFlag)) continue;
                started = 1;
            }
            g_nHighSpeedBuf[count++] = static_cast<int>(w & dqx7460::kSampleCodeAndChannel);
        }
        g_bHighSpeedSync.store(sync, std::memory_order_relaxed);
        g_bHighSpeedStarted.store(started, std::memory_order_relaxed);
        g_nHighSpeedCount.store(count, std::memory_order_relaxed);
        if (count >= kCaptureTarget) g_bHighSpeedRun.store(0);
    }
    {
        std::lock_guard<std::mutex> lock(g_notifierMutex);
        if (g_notifyFinished) g_notifyFinished(end);
    }
    g_bHighSpeedDone.store(1, std::memory_order_release);
}

void HighSpeedCapture::SetHighSpeedFinishedNotifier(std::function<void(HighSpeedEnd)> notify) {
    std::lock_guard<std::mutex> lock(g_notifierMutex);
    g_notifyFinished = std::move(notify);
}

void HighSpeedCapture::EndWithoutNotice() {
    SetHighSpeedFinishedNotifier({});
    EndAndJoinWorker();
}

void HighSpeedCapture::StartHighSpeedCapture(const Settings& settings) {
    // A capture still running from an earlier start ends before the card is reprogrammed.
    EndAndJoinWorker();

    WORD rangeCode = g_aiConfig.RangeCode[0];
    LONG bipolar = g_aiConfig.Bipolar;
    InputTypeRange(settings.g_strInputType, &rangeCode, &bipolar);
    g_aiConfig.RangeCode[0] = rangeCode;
    g_aiConfig.Reg4Value = 0;
    g_aiConfig.Bipolar = bipolar;
    g_aiConfig.Reg7Mode = 1;
    g_aiConfig.Reg7Bit2 = 0;
    g_aiConfig.Reg7Bit3 = 0;
    g_aiConfig.Reg10Value = 0;
    g_aiConfig.ChannelList[0] = 0;
    g_aiConfig.ChannelCount = 1;

    g_bHighSpeedSync.store(0);
    g_bHighSpeedStarted.store(0);
    g_nHighSpeedCount.store(0);

    g_bHighSpeedRun.store(1);
    g_bHighSpeedDone.store(0);
    WithLockedHandle(cardLock_, device_, [this](HANDLE card) {
        DQX7460_StopAd(card);
        DQX7460_FifoClear(card);
        DQX7460_Reset(card);
        DQX7460_AIConfig(card, g_aiConfig);
        DQX7460_StartAd(card);
    });
    // The worker holds the card until it is joined: by the next start or stop, or by the
    // card's destructor.
    g_worker = std::thread(&HighSpeedCapture::HighSpeedWorker, this);
}

void HighSpeedCapture::StopHighSpeedCapture() {
    // The worker ends after its current block and is joined before the card is touched
    // here: one handle is never used by two threads at once, and the counters are reset
    // only once nothing writes them any more.
    EndAndJoinWorker();
    WithLockedHandle(cardLock_, device_, [](HANDLE card) {
        DQX7460_StopAd(card);
        DQX7460_FifoClear(card);
    });
    g_bHighSpeedSync.store(0);
    g_bHighSpeedStarted.store(0);
    g_nHighSpeedCount.store(0);
}

void HighSpeedCapture::ProcessHighSpeedBurst(const Settings& settings, TestRun& run,
                                             ChannelVoltages& ch) {
    // Only samples of this capture are converted: a capture ended early (its count reset by
    // the stop command) leaves the values as they were instead of showing old entries.
    const int samples = std::min(kBurstSamples, g_nHighSpeedCount.load());
    for (int p = 0; p < samples; ++p) {
        const double v = BurstCodeToVolts(settings, g_nHighSpeedBuf[p]);
        burstVolts_[p] = v;
        ch.rawVolt[0] = v;
        ch.scaled[0] = (v - ch.zeroVolt[0]) * settings.g_dCoef0;
        if (!run.g_bZeroed0) ch.highSpeedZeroPreset = settings.g_dZeroPreset0;
        run.g_dValue0 = ch.scaled[0] - ch.highSpeedZeroPreset;
        run.g_dHistory0[p] = run.g_dValue0;
        if (run.g_dHistory0[p] > run.g_dHistory0[kBurstPeakSlot])
            run.g_dHistory0[kBurstPeakSlot] = run.g_dHistory0[p];
    }
    // The texts depend on the final values only, so one pass after the loop gives what a
    // pass per sample would.
    FormatReadouts(settings, run);
}
