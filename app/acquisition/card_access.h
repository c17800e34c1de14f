// The program's one way to the card. The card library serialises nothing: two threads that
// use one handle at once interleave their requests, and the card (or the socket behind the
// handle) takes the mixture as a broken conversation. Every call the program makes into the
// library therefore holds one lock, and the handle itself is read and replaced under it.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>

#include "DQX7460.h"
#include "acquisition/card_claim.h"
#include "acquisition/conditioning.h"
#include "acquisition/high_speed.h"

// A lock taken in the order it was asked for: the worker, which asks again as soon as it
// has parsed a block, cannot hold the window's thread off, nor the other way round.
class CardLock {
  public:
    void lock();
    void unlock();

  private:
    std::mutex mutex_;
    std::condition_variable turn_;
    unsigned long long nextTicket_ = 0;
    unsigned long long serving_ = 0;
};

// One card as its owner drives it: the handle and its lock, the claim on the driver folder,
// the read records of the sampling tick and the high-speed capture. Its worker holds the
// card while it runs, so the card neither moves nor is copied, and ends the worker when it
// is destroyed.
class Card {
  public:
    Card() = default;
    Card(const Card&) = delete;
    Card& operator=(const Card&) = delete;
    // Ends the capture without telling its owner, which is going too, writes the idle output
    // word to an open card and closes the handle.
    ~Card();

    HANDLE g_hDevice = nullptr;
    ULONG g_nDeviceNumber = 1;
    int g_nLastError = 0;
    WORD g_wDigitalIn = 0x00FF;  // last input word; 0x00FF when nothing was read
    CardClaim m_cardClaim;

    double g_dVoltBuf[256] = {};  // entries 0 and 1: channel voltages; 0..249 high-speed burst
    // The results are designated from the start, so a read before the set-up cannot write
    // through a null pointer (with no channel listed it writes nothing at all).
    AdScanRequest g_maiVoltParam{AdScanConfig{}, g_dVoltBuf};
    AdScanRequest g_maiBinParam{AdScanConfig{}, g_wBinaryCodes};

    int g_bHighSpeed = 0;  // 250 kHz mode; read by ConfigureCard at start-up
    AdScanConfig g_aiConfig{};
    HighSpeedCapture highSpeed;

    // Runs call(g_hDevice) under the card's lock and returns what it returns. The call must
    // not take the lock again (it is not recursive) nor wait for the high-speed worker.
    template <typename Call>
    auto WithCard(Call&& call) {
        std::lock_guard<CardLock> lock(lock_);
        return call(g_hDevice);
    }

    // Closes the handle there is (none is fine) and opens card g_nDeviceNumber into
    // g_hDevice; the library's result: 0 opened, otherwise g_hDevice is null.
    LONG OpenCard();
    // Closes the handle and leaves g_hDevice null.
    void CloseCard();

    // The input poll's read: the rig's input word, or 0x00FF (all inputs released) when the
    // read failed. True when the card answered.
    bool ReadInputs(WORD* input);
    // Writes the output word; true when the card took it.
    bool WriteOutputs(WORD word);

    // Resets the card and fills the two read records from g_strInputType; with g_bHighSpeed
    // set, starts the high-speed capture instead.
    void ConfigureCard(const Settings& settings);
    // The tick's acquisition: DQX7460_MAIVoltageIn then DQX7460_MAIBinaryIn, codes into
    // g_nLastError. On success copies both voltages into ch.rawVolt and returns true.
    bool ReadChannels(ChannelVoltages& ch);

    // Called by the worker when it ends, before it sets g_bHighSpeedDone; the main window
    // uses it to show "250kHz 高速采集结束", or that the card stopped answering, on its own
    // thread.
    void SetHighSpeedFinishedNotifier(std::function<void(HighSpeedEnd)> notify);
    // The high-speed branch of ConfigureCard (after its reset): programs the scan, starts
    // the conversion and the worker thread.
    void StartHighSpeedCapture(const Settings& settings);
    // The stop command's part: stops the scan, clears the FIFO and ends the worker, which is
    // joined before this returns.
    void StopHighSpeedCapture();
    // Converts the first 250 entries of the burst into channel 0 values and readouts.
    void ProcessHighSpeedBurst(const Settings& settings, TestRun& run, ChannelVoltages& ch);

  private:
    // The codes DQX7460_MAIBinaryIn returns, one per listed channel; nothing reads them.
    WORD g_wBinaryCodes[2] = {};
    CardLock lock_;
};
