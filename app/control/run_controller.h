// The run's state machine without a window: the commands (start, stop, clear, zero, travel
// limit, save, open), the sampling tick, the input poll, the card's loss and return, and the
// end on a termination signal. Each returns what the window must then do, in order: the
// controls to enable or caption, the timers, the lamps, the notices. The card is driven
// from here (outputs written, inputs and channels read); the window only shows.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "DQX7460.h"
#include "acquisition/card_access.h"
#include "acquisition/card_watch.h"
#include "acquisition/conditioning.h"
#include "acquisition/safety.h"
#include "common/ui_text.h"
#include "control/control_ids.h"
#include "series/series_session.h"
#include "settings/extensometer_settings.h"
#include "settings/settings_record.h"
#include "settings/specimen.h"
#include "store/results_store.h"

struct TestRun;

// The notice at the extensometer's removal point (UTF-8), shown in the chosen language.
inline constexpr const char* kExtensometerRemovalNotice =
    QT_TRANSLATE_NOOP("RunController", "请取下引伸计，然后按开始采集继续");

// The two window timers that drive a test, and the idle and poll periods.
constexpr int kIdleSamplePeriodMs = 50;
constexpr int kPollPeriodMs = 30;

// One step for the window. Texts are UTF-8.
struct Effect {
    enum class Kind {
        kEnable,         // button `id` enabled (`on`)
        kEnableMenu,     // menu command `id` enabled (`on`)
        kEnableCheck,    // check box `id` enabled (`on`)
        kCaption,        // button `id` shows `text`
        kShow,           // control `id` shown (`on`)
        kSampleTimer,    // timer 1 at `periodMs`; 0 stops it
        kPollTimer,      // timer 2 at `periodMs`; 0 stops it
        kChartRefresh,   // the chart's refresh runs (`on`)
        kRecords,        // the records list shows the records again
        kLamps,          // the lamps show Lamps()
        kRefresh,        // readouts, limits and check states show the run and the settings
        kColumnHeaders,  // the list's headers show the channels' names and units
        kStatus,         // the status line shows the run
        kResults,        // the results window shows the test's results
        kResultsAgain,   // the results window, when open, shows the test's results again
        kSeriesAgain,    // the series window, when open, reads its series again
        kMessage,        // a modal box
        kSafetyNotice,   // the one safety notice, which a later one replaces
        kStartNotice,    // the one notice of a refused start
        kCardNotice,     // the card's notice, which closes the one before
        kNotice,         // a notice that does not block
        kReopenIn,       // the card is opened again in `periodMs`
        kStopReopen,     // no more attempts to open the card
    };
    Kind kind;
    ControlId id{};
    bool on = false;
    int periodMs = 0;
    std::string text{};
    std::string caption{};
};
using Reaction = std::vector<Effect>;

class RunController {
  public:
    // The card, the settings, the test and the specimen are the owner's; the controller
    // drives the card and runs the test on them.
    RunController(Card& card, Settings& settings, TestRun& run, SpecimenDims& specimen)
        : m_card(card), m_settings(settings), m_run(run), m_specimen(specimen) {}

    // While the owner's series is active, each new test started is its next specimen.
    void FollowSeries(SeriesSession& series) { m_series = &series; }
    const SeriesSession* Series() const { return m_series; }
    // The owner's extensometer settings: while they are on, the tick records the
    // extensometer's channel with the others, and its removal point holds the test.
    void UseExtensometer(const ExtensometerSettings& extensometer) {
        m_extensometer = &extensometer;
    }
    // Every test saved, and every change to a saved test's files, is entered in the owner's
    // store after its files are written; a store that fails is reported, the files stand.
    // `entered` runs after each entry that succeeded (the shared store's sender looks then).
    void KeepStore(ResultsStore& store, std::function<void()> entered = {}) {
        m_store = &store;
        m_entered = std::move(entered);
    }

    // After the extensometer's settings changed (its dialog's OK): the card's scan lists its
    // channel while it is on, from the next tick. Not while a test runs.
    Reaction ExtensometerChanged();
    // The extensometer's channel read now, for its zero; nothing without a card to read
    // (none, lost, in playback or in the high-speed mode).
    std::optional<double> ReadExtensometerVolts(int channel);

    // Start-up: the card is claimed and opened; without it only playback is offered.
    Reaction OpenCardAtStartup();

    Reaction Start();
    Reaction Stop();
    Reaction Clear();
    void ZeroSensors();
    Reaction ToggleTravelLimit();
    Reaction Save();
    Reaction OpenArchive(const std::string& path);
    // After the settings dialog: the records are cleared when the new settings describe
    // them differently; the chart's refresh goes on if it ran before the dialog.
    Reaction SettingsClosed(bool clearRecords, bool chartWasRefreshing);
    // After the specimen dialog: a saved or played test's files that hold its results are
    // written again with the new specimen; the dimensions typed while the list is empty are
    // the next specimen's own.
    Reaction SpecimenChanged();
    // The saved or played test's specimen marked invalid with the reason (UTF-8), or valid
    // again with none: its test file follows; it stays in its series, counted in no statistic.
    Reaction MarkExcluded(const std::string& reasonUtf8);
    // Timer 1 at the instant the tick fired; timer 2 with timer 1's present period.
    Reaction Tick(double tickTime);
    Reaction Poll(int samplePeriodMs);
    // The reopen timer's attempt.
    Reaction TryReopenCard();
    // A termination signal: stop line first, the test stopped and saved if unsaved, the
    // outputs idle; the window's loops end after the reaction.
    Reaction Terminate();
    // The program ends: a running test is stopped first.
    Reaction EndRun();

    bool Playback() const { return m_bPlayback != 0; }
    bool CardLost() const { return m_bCardLost; }
    WORD DigitalOut() const { return m_wDigitalOut; }
    const Lamps& LampStates() const { return m_lamps; }
    const std::string& ArchiveName() const { return m_strArchiveName; }
    const ForcedStopCause& ForcedStop() const { return m_forcedStop; }
    // The archive the last save wrote, until the next start or clear; empty when none.
    const std::string& SavedArchive() const { return m_savedArchive; }
    int RunFirstRecord() const { return m_nRunFirstRecord; }
    // The archive that holds the test: the one played back, or the last save's.
    const std::string& TestArchive() const {
        return m_bPlayback ? m_openedArchive : m_savedArchive;
    }

  private:
    void StartInto(Reaction& r);
    void StopInto(Reaction& r);
    void ClearInto(Reaction& r);
    void SaveInto(Reaction& r);
    // Archive, then the extensometer's file (or no stale one), workbook, CSV and test file
    // under a name no other archive has; the tag ends the name.
    bool SaveTestFiles(const std::string& tagUtf8, std::string* errorUtf8);
    void EnterInStore(Reaction& r, const std::string& archive);
    void WatchBetweenTicks(Reaction& r, int samplePeriodMs);
    // Writes the word with the forced-stop line active, records the reading of a trip
    // between ticks (the voltages read then), stops the test and holds the interlocks until
    // the next start; the notice tells why.
    void ForceStop(Reaction& r, double value0, const ChannelVoltages* tripReading = nullptr);
    bool ForcedStopConditionNow();
    // Channel 0's value read now; `read` receives the voltages of both channels.
    std::optional<double> PolledTension(ChannelVoltages& read);
    // The live record of the present readout texts at `time` seconds into the test.
    void AppendLiveRecord(double time);
    // After a live record: at the extensometer's removal point, once a test, the record is
    // its last, the operator is told, and with the hold the test stops with the stop line
    // held until the next start.
    void CheckExtensometerRemoval(Reaction& r);
    void RecordExtensometer(int n);
    void ReportCardRead(Reaction& r, bool answered);
    void CardLostInto(Reaction& r);
    void EnableCardCommands(Reaction& r, bool enabled);
    void ReleaseLeftOutputs(Reaction& r);
    int ReopenDelayMs();

    Card& m_card;
    Settings& m_settings;
    TestRun& m_run;
    SpecimenDims& m_specimen;
    SeriesSession* m_series = nullptr;
    const ExtensometerSettings* m_extensometer = nullptr;
    ResultsStore* m_store = nullptr;
    std::function<void()> m_entered;
    ChannelVoltages m_channels;
    Lamps m_lamps;
    WORD m_wDigitalOut = kIdleOutputWord;
    // After a forced stop the ticks only show what the card reads: the interlocks and the
    // outputs rest (bit 0 stays active) until a start or the settings dialog.
    bool m_bForcedStopHeld = false;
    unsigned char m_bPlayback = 0;
    std::string m_strArchiveName;
    ForcedStopCause m_forcedStop;
    std::string m_savedArchive;
    std::string m_openedArchive;  // the file the playback was opened from
    int m_nRunFirstRecord = 1;
    // The specimen dialog was confirmed over an empty list since the last test began: S0
    // and L0 were entered for the next specimen, not carried over.
    bool m_bSpecimenEnteredForNext = false;
    // Held at the extensometer's removal: the stop line stays active until a start or clear.
    bool m_bRemovalHold = false;
    // The highest channel 0 value polled between the ticks of this test.
    double m_dPolledPeak = 0;
    CardWatch m_cardWatch;
    bool m_bCardLost = false;
};
