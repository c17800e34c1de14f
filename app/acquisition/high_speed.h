// One-shot 250 kHz capture of channel 0 on a worker thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class Card;
struct Settings;
struct TestRun;

// How the worker ended: its samples are in or the capture was stopped, or the card's reads
// kept failing and the worker gave up.
enum class HighSpeedEnd { kEnded, kCardFailed };

// The capture's state, part of its Card (whose members start, stop and convert it).
class HighSpeedCapture {
  public:
    HighSpeedCapture() = default;
    HighSpeedCapture(const HighSpeedCapture&) = delete;
    HighSpeedCapture& operator=(const HighSpeedCapture&) = delete;

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
    friend class Card;

    // Reads the card's blocks into the buffer until the capture has its samples or is ended.
    void HighSpeedWorker(Card& card);
    void EndAndJoinWorker();
    void PauseAfterFailedRead();

    std::mutex g_notifierMutex;
    std::function<void(HighSpeedEnd)> g_notifyFinished;

    std::thread g_worker;
    // Wakes a worker that pauses after a failed read when the capture is ended.
    std::mutex g_pauseMutex;
    std::condition_variable g_pauseWake;
};
