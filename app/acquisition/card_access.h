// The program's one way to the card: every call into the card library holds the card's
// lock (card_lock.h).
#pragma once

#include <optional>

#include "DQX7460.h"
#include "acquisition/card_claim.h"
#include "acquisition/card_lock.h"
#include "acquisition/conditioning.h"
#include "acquisition/high_speed.h"
#include "acquisition/output_ledger.h"

struct ExtensometerSettings;

// Rig inputs on the digital input word, active low.
constexpr WORD kInTravelLimit = 0x01;
constexpr WORD kInStop = 0x02;
constexpr WORD kInZero = 0x04;
constexpr WORD kInClear = 0x08;
constexpr WORD kInStart = 0x10;

// One card as its owner drives it: the handle and its lock, the claim on the driver folder,
// the read records of the sampling tick, the high-speed capture and the output ledger. The
// capture's worker holds the card while it runs, so the card neither moves nor is copied,
// and ends the worker when it is destroyed.
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

    // Entries 0 and 1: channel voltages, 2 the extensometer's; 0..249 high-speed burst.
    double g_dVoltBuf[256] = {};
    // The results are designated from the start, so a read before the set-up cannot write
    // through a null pointer (with no channel listed it writes nothing at all).
    AdScanRequest g_maiVoltParam{AdScanConfig{}, g_dVoltBuf};
    AdScanRequest g_maiBinParam{AdScanConfig{}, g_wBinaryCodes};

    int g_bHighSpeed = 0;  // 250 kHz mode; read by ConfigureCard at start-up

  private:
    // Declared before the capture, whose worker takes it until the capture is ended.
    CardLock lock_;

  public:
    HighSpeedCapture highSpeed{lock_, g_hDevice, g_dVoltBuf};

    // Runs call(g_hDevice) under the card's lock and returns what it returns. The call must
    // not take the lock again (it is not recursive) nor wait for the high-speed worker.
    template <typename Call>
    auto WithCard(Call&& call) {
        return WithLockedHandle(lock_, g_hDevice, std::forward<Call>(call));
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
    // The word the output ledger of this card's folder holds, when there is a readable one.
    std::optional<WORD> LedgerOutputWord();

    // Resets the card and fills the two read records from g_strInputType; with g_bHighSpeed
    // set, starts the high-speed capture instead. An extensometer that is on is listed as
    // the scan's third channel; without one (or off) the scan is channels 0 and 1 alone.
    void ConfigureCard(const Settings& settings,
                       const ExtensometerSettings* extensometer = nullptr);
    // The tick's acquisition: DQX7460_MAIVoltageIn then DQX7460_MAIBinaryIn, codes into
    // g_nLastError. On success copies both voltages into ch.rawVolt, and the extensometer's
    // into ch.rawExt when it is scanned, and returns true.
    bool ReadChannels(ChannelVoltages& ch);
    // The single scans list the extensometer's channel.
    bool ExtensometerScanned() const { return g_maiVoltParam.Config.ChannelCount > 2; }
    // The mean of a few single reads of one channel on the extensometer's range (the zero
    // button of its dialog); nothing when the card does not answer.
    std::optional<double> ReadChannelVolts(const Settings& settings, int channel);

  private:
    // The codes DQX7460_MAIBinaryIn returns, one per listed channel; nothing reads them.
    WORD g_wBinaryCodes[3] = {};

    // Made at the first write or read, under the card's lock: a card may be made before its
    // instance folder is set (a test's fixture sets it after), never after its first use.
    OutputLedger& Ledger();
    std::optional<OutputLedger> ledger_;
};
