// One-shot 250 kHz capture of channel 0 on a worker thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "DQX7460.h"
#include "acquisition/card_lock.h"

struct ChannelVoltages;
struct Settings;
struct TestRun;

// How the worker ended: its samples are in or the capture was stopped, or the card's reads
// kept failing and the worker gave up.
enum class HighSpeedEnd { kEnded, kCardFailed };

// The capture of one card. It reaches the card through the card's handle and lock and
// converts its burst into the card's voltage buffer; the card that owns the capture hands
// them over and outlives its worker.
class HighSpeedCapture {
  public:
    // burstVolts has room for the 250 entries of a burst.
    HighSpeedCapture(CardLock& cardLock, const HANDLE& device, double* burstVolts)
        : cardLock_(cardLock), device_(device), burstVolts_(burstVolts) {}
    HighSpeedCapture(const HighSpeedCapture&) = delete;
    HighSpeedCapture& operator=(const HighSpeedCapture&) = delete;

    // Called by the worker when it ends, before it sets g_bHighSpeedDone; the main window
    // uses it to show "250kHz 高速采集结束", or that the card stopped answering, on its own
    // thread.
    void SetHighSpeedFinishedNotifier(std::function<void(HighSpeedEnd)> notify);
    // The high-speed branch of the card's set-up (after its reset): programs the scan,
    // starts the conversion and the worker thread.
    void StartHighSpeedCapture(const Settings& settings);
    // The stop command's part: stops the scan, clears the FIFO and ends the worker, which is
    // joined before this returns.
    void StopHighSpeedCapture();
    // Converts the first 250 entries of the burst into channel 0 values and readouts.
    void ProcessHighSpeedBurst(const Settings& settings, TestRun& run, ChannelVoltages& ch);
    // Ends the worker without telling the owner, which is going too; the card is left as
    // it is.
    void EndWithoutNotice();

    AdScanConfig g_aiConfig{};

    // Shared with the worker. The worker publishes the buffer and the count by setting
    // g_bHighSpeedDone (release); the card owner's thread reads them after seeing it
    // (acquire).
    int g_nHighSpeedBuf[1024] = {};
    std::atomic<int> g_nHighSpeedCount{0};
    std::atomic<int> g_bHighSpeedSync{0};
    std::atomic<int> g_bHighSpeedStarted{0};
    std::atomic<int> g_bHighSpeedRun{0};
    std::atomic<unsigned char> g_bHighSpeedDone{0};

  private:
    // Reads the card's blocks into the buffer until the capture has its samples or is ended.
    void HighSpeedWorker();
    void EndAndJoinWorker();
    void PauseAfterFailedRead();

    CardLock& cardLock_;
    const HANDLE& device_;
    double* const burstVolts_;

    std::mutex g_notifierMutex;
    std::function<void(HighSpeedEnd)> g_notifyFinished;

    std::thread g_worker;
    // Wakes a worker that pauses after a failed read when the capture is ended.
    std::mutex g_pauseMutex;
    std::condition_variable g_pauseWake;
};
