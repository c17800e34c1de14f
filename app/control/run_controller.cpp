#include "control/run_controller.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>
#include <limits>

#include "acquisition/card_access.h"
#include "acquisition/extensometer.h"
#include "acquisition/high_speed.h"
#include "common/local_time.h"
#include "common/ui_text.h"
#include "records/archive.h"
#include "records/archive_ini.h"
#include "records/extensometer_records.h"
#include "records/records_csv.h"
#include "records/result_files.h"
#include "records/saved_test.h"
#include "records/store_entry.h"
#include "records/workbook.h"
#include "results/results_engine.h"
#include "run/run_state.h"
#include "settings/data_folder.h"
#include "settings/settings_record.h"

namespace {

const char kFileCaption[] = QT_TRANSLATE_NOOP("RunController", "文件信息");
const char kSafetyCaption[] = QT_TRANSLATE_NOOP("RunController", "安全保护信息");
const char kCardCaption[] = QT_TRANSLATE_NOOP("RunController", "设备信息");
const char kExtensometerCaption[] = QT_TRANSLATE_NOOP("RunController", "引伸计");

// The configured sampling period as a timer period; a foreign archive may hold anything.
int RunPeriodMs(const Settings& settings) {
    return std::clamp(settings.g_nSamplePeriod, 1, 10000);
}

void Enable(Reaction& r, ControlId id, bool on) {
    r.push_back({Effect::Kind::kEnable, id, on});
}

void EnableMenu(Reaction& r, ControlId id, bool on) {
    r.push_back({Effect::Kind::kEnableMenu, id, on});
}

void Caption(Reaction& r, ControlId id, std::string text) {
    r.push_back({Effect::Kind::kCaption, id, false, 0, std::move(text)});
}

void Show(Reaction& r, ControlId id, bool on) {
    r.push_back({Effect::Kind::kShow, id, on});
}

void Do(Reaction& r, Effect::Kind kind, bool on = false, int periodMs = 0) {
    r.push_back({kind, ControlId{}, on, periodMs});
}

// The caption is one of the texts above, shown in the window's language.
void Tell(Reaction& r, Effect::Kind kind, std::string text, const char* caption) {
    r.push_back(
        {kind, ControlId{}, false, 0, std::move(text), ui::translate("RunController", caption)});
}

}  // namespace

int RunController::ReopenDelayMs() {
    return static_cast<int>(m_cardWatch.NextReopenDelay().count());
}

Reaction RunController::ExtensometerChanged() {
    Reaction r;
    RestartExtensometerAverage(m_channels);
    if (!m_bPlayback && !m_bCardLost && !m_run.g_bRecording && m_card.g_hDevice != nullptr &&
        !m_card.g_bHighSpeed)
        m_card.ConfigureCard(m_settings, m_extensometer);
    Do(r, Effect::Kind::kRefresh);
    return r;
}

std::optional<double> RunController::ReadExtensometerVolts(int channel) {
    if (m_bPlayback || m_bCardLost || m_card.g_hDevice == nullptr) return std::nullopt;
    return m_card.ReadChannelVolts(m_settings, channel);
}

Reaction RunController::OpenCardAtStartup() {
    Reaction r;
    // Opening resets the card, so a card another program drives is not even opened.
    const bool inUse = m_card.m_cardClaim.Claim() == CardClaim::Result::kInUse;
    if (inUse) {
        m_card.CloseCard();
    } else {
        m_card.g_nLastError = m_card.OpenCard();
    }
    if (inUse || m_card.g_nLastError != 0) {
        Tell(r, Effect::Kind::kMessage,
             inUse ? ui::translate("RunController",
                                   "USB数据采集器正被另一个程序使用,只能<打开>历史文件回放。")
                   : ui::translate("RunController",
                                   "USB数据采集器未连接,只能<打开>历史文件回放。\n"
                                   "采集测试：请关闭程序，连接设备，重启程序。"),
             kCardCaption);
        EnableMenu(r, ControlId::kMenuSettings, false);
        EnableMenu(r, ControlId::kMenuExtensometer, false);
        Enable(r, ControlId::kSettings, false);
        Do(r, Effect::Kind::kRefresh);
        return r;
    }

    // The application's 940-byte feature buffer.
    std::array<FeatureBlock, 47> features{};
    static_assert(sizeof(features) == 940);
    FeatureQuery query{features.data(), static_cast<WORD>(sizeof(features))};
    if (m_card.WithCard(
            [&query](HANDLE card) { return DQX7460_DeviceGetFeatures(card, &query); }) != 0)
        return r;

    EnableMenu(r, ControlId::kMenuStart, true);
    EnableMenu(r, ControlId::kMenuOpen, false);
    if (!m_card.g_bHighSpeed) Enable(r, ControlId::kZeroSensors, true);
    Enable(r, ControlId::kStart, true);
    Enable(r, ControlId::kClearList, true);

    m_card.ConfigureCard(m_settings, m_extensometer);
    ReleaseLeftOutputs(r);

    m_cardWatch.Restart();
    Do(r, Effect::Kind::kPollTimer, false, kPollPeriodMs);
    Do(r, Effect::Kind::kSampleTimer, false, kIdleSamplePeriodMs);
    Do(r, Effect::Kind::kChartRefresh, true);
    Do(r, Effect::Kind::kStatus);
    return r;
}

// A previous program that left the card's outputs active: they are released and the
// operator is told.
void RunController::ReleaseLeftOutputs(Reaction& r) {
    const std::optional<WORD> left = m_card.LedgerOutputWord();
    if (!left || *left == kIdleOutputWord) return;
    m_card.WriteOutputs(kIdleOutputWord);
    char word[8];
    std::snprintf(word, sizeof word, "%04X", static_cast<unsigned>(*left));
    Tell(r, Effect::Kind::kNotice,
         ui::Fill(ui::translate("RunController",
                                "上次程序结束时采集器的输出未复位（输出字 %1），已写入空闲输出字 "
                                "00FF，报警、停机和返回信号均已释放。"),
                  {word}),
         kCardCaption);
}

Reaction RunController::Start() {
    Reaction r;
    StartInto(r);
    return r;
}

void RunController::StartInto(Reaction& r) {
    // After a forced stop the stop line stays active while its cause does: a start held
    // or stuck on the rig, issued again at every poll, would otherwise release the line
    // between two ticks and let the crosshead pull on past the limit.
    const bool stopLineActive = m_bForcedStopHeld && !(m_wDigitalOut & kOutForcedStop);
    if (stopLineActive && !m_bPlayback && ForcedStopConditionNow()) {
        Tell(r, Effect::Kind::kSafetyNotice,
             ui::translate(
                 "RunController",
                 "强制停机的原因仍在（张力未低于强制停机限或行程限位开关动作），不能开始采集。"),
             kSafetyCaption);
        return;
    }
    // A test that broke or was saved is finished: the next start begins a new test. A saved
    // one is cleared first; a broken one that is not saved is kept, and the start refused,
    // until the operator saves or clears it. A test stopped by hand and unsaved continues.
    if (!m_bPlayback && !m_run.g_bRecording && m_run.g_nRecordCount > 0 &&
        (m_run.g_bTestSaved || m_run.g_nBreakRecord > 0)) {
        if (!m_run.g_bTestSaved) {
            Tell(r, Effect::Kind::kStartNotice,
                 ui::translate("RunController",
                               "上一个试样已断裂，其测试数据尚未保存。\n请先保存或清除列表区，再开"
                               "始新的试验。"),
                 QT_TRANSLATE_NOOP("RunController", "采集信息"));
            return;
        }
        ClearInto(r);
    }
    for (ControlId id : {ControlId::kMenuOpen, ControlId::kMenuSave, ControlId::kMenuSettings,
                         ControlId::kMenuExtensometer, ControlId::kMenuStart})
        EnableMenu(r, id, false);
    for (ControlId id : {ControlId::kSettings, ControlId::kSave, ControlId::kPrint})
        Enable(r, id, false);
    if (!m_bPlayback) Enable(r, ControlId::kTravelLimit, true);
    Caption(r, ControlId::kStart, ui::translate("RunController", "已开始...."));
    Enable(r, ControlId::kStart, false);
    Caption(r, ControlId::kStop,
            m_bPlayback ? ui::translate("RunController", "停止回放")
                        : ui::translate("RunController", "停止采集"));
    Enable(r, ControlId::kStop, true);
    Enable(r, ControlId::kZeroSensors, false);
    Enable(r, ControlId::kClearList, false);
    if (!m_bPlayback) {
        Show(r, ControlId::kArchiveName, false);
        Show(r, ControlId::kPlaybackBanner, false);
    }
    r.push_back({Effect::Kind::kEnableCheck, ControlId::kHighSpeed, false});

    // A new test's first record is read at its own tick, not damped towards older readings.
    if (m_run.g_nRecordCount == 0 && !m_bPlayback) RestartDamping(m_channels);
    m_bForcedStopHeld = false;
    m_run.g_bRecording = 1;
    Do(r, Effect::Kind::kChartRefresh, true);
    if (!m_run.g_bStartTimeTaken && !m_bPlayback) {
        m_run.g_strStartTime = LocalTimeText(std::time(nullptr), "%Y-%m-%d-%H:%M:%S");
        m_run.g_strOperator = m_settings.g_strTester;
        // The number is the series' next until this test is saved; a test cleared unsaved
        // leaves it to the next one.
        m_run.g_seriesMember = SeriesMember{};
        if (m_series != nullptr && m_series->active)
            m_run.g_seriesMember = {m_series->info.name, m_series->nextNumber, ""};
        m_run.MarkTestStart();
        m_run.g_bStartTimeTaken = 1;
        // A new specimen: Su and Lu of the last one must not reach this test's results, nor
        // come back from the file at the next start of the program.
        std::string error;
        if (BeginNextSpecimen(m_specimen, m_bSpecimenEnteredForNext) &&
            !WriteSpecimenFile(m_specimen, &error))
            Tell(r, Effect::Kind::kNotice, error, kFileCaption);
        m_bSpecimenEnteredForNext = false;
    }
    Do(r, Effect::Kind::kPollTimer, false, kPollPeriodMs);
    Do(r, Effect::Kind::kSampleTimer, false, RunPeriodMs(m_settings));

    // An engaged switch stays engaged through a start, so the first tick stops the test.
    m_run.g_bTravelLimit = !m_bPlayback && !(m_card.g_wDigitalIn & kInTravelLimit);
    if (m_run.g_bTravelLimit)
        Caption(r, ControlId::kTravelLimit, ui::translate("RunController", "行程限位接通"));
    m_run.ResetBreakSequence();
    m_lamps.alarmHigh = m_lamps.alarmLow = m_lamps.broken = false;
    m_lamps.autoReturn = m_lamps.autoStop = false;
    Do(r, Effect::Kind::kLamps);

    m_wDigitalOut = kIdleOutputWord;
    if (!m_bPlayback) m_card.WriteOutputs(m_wDigitalOut);
    m_bRemovalHold = false;

    m_forcedStop = {};
    m_savedArchive.clear();
    m_nRunFirstRecord = m_run.g_nRecordCount + 1;
    Do(r, Effect::Kind::kStatus);
}

Reaction RunController::Stop() {
    Reaction r;
    StopInto(r);
    return r;
}

void RunController::StopInto(Reaction& r) {
    if (m_bPlayback) {
        Do(r, Effect::Kind::kSampleTimer);
        Do(r, Effect::Kind::kPollTimer);
    }
    Do(r, Effect::Kind::kChartRefresh, false);
    if (m_card.g_bHighSpeed) m_card.highSpeed.StopHighSpeedCapture();

    if (m_bPlayback) {
        EnableMenu(r, ControlId::kMenuOpen, true);
        Caption(r, ControlId::kStart,
                m_run.g_bPlaybackEnded ? ui::translate("RunController", "回放结束")
                                       : ui::translate("RunController", "继续回放"));
        Enable(r, ControlId::kStart, true);
        Enable(r, ControlId::kPrint, true);
    } else {
        for (ControlId id : {ControlId::kMenuSave, ControlId::kMenuSettings,
                             ControlId::kMenuExtensometer, ControlId::kMenuStart})
            EnableMenu(r, id, true);
        for (ControlId id : {ControlId::kSettings, ControlId::kSave, ControlId::kPrint})
            Enable(r, id, true);
        Enable(r, ControlId::kTravelLimit, false);
        Caption(r, ControlId::kStart, ui::translate("RunController", "开始采集"));
        Enable(r, ControlId::kStart, true);
        Enable(r, ControlId::kZeroSensors, true);
        Enable(r, ControlId::kClearList, true);
    }
    Caption(r, ControlId::kStop, ui::translate("RunController", "已停止...."));
    Enable(r, ControlId::kStop, false);

    m_run.g_bRecording = 0;
    Do(r, Effect::Kind::kSampleTimer, false, kIdleSamplePeriodMs);
    Do(r, Effect::Kind::kStatus);
}

Reaction RunController::Clear() {
    Reaction r;
    ClearInto(r);
    return r;
}

void RunController::ClearInto(Reaction& r) {
    m_dPolledPeak = 0;
    m_run.g_bStartTimeTaken = 0;
    m_run.g_nRecordCount = 0;
    m_run.g_nBreakRecord = 0;
    m_run.g_nExtRemovalRecord = 0;
    m_bRemovalHold = false;
    std::fill(std::begin(m_run.g_dHistory0), std::end(m_run.g_dHistory0), 0.0);
    std::fill(std::begin(m_run.g_dHistory1), std::end(m_run.g_dHistory1), 0.0);
    std::fill(std::begin(m_run.g_dRatioHistory), std::end(m_run.g_dRatioHistory), 0.0);
    m_run.g_bExtRecorded = 0;
    m_run.g_dExtGaugeLength = 0;
    m_run.g_nExtChannel = 0;
    if (!m_run.g_bRecording) Do(r, Effect::Kind::kChartRefresh, true);
    Do(r, Effect::Kind::kRecords);
    if (!m_bPlayback) {
        m_wDigitalOut = kIdleOutputWord;
        m_card.WriteOutputs(m_wDigitalOut);
        m_lamps = Lamps{};
        Do(r, Effect::Kind::kLamps);
    }
    m_forcedStop = {};
    m_savedArchive.clear();
    Do(r, Effect::Kind::kStatus);
}

void RunController::ZeroSensors() {
    m_dPolledPeak = 0;
    m_run.g_bZeroRequest0 = m_run.g_bZeroRequest1 = 1;
}

Reaction RunController::ToggleTravelLimit() {
    Reaction r;
    Caption(r, ControlId::kTravelLimit,
            m_run.g_bTravelLimit ? ui::translate("RunController", "行程限位断开")
                                 : ui::translate("RunController", "行程限位接通"));
    m_run.g_bTravelLimit = !m_run.g_bTravelLimit;
    return r;
}

Reaction RunController::Save() {
    Reaction r;
    SaveInto(r);
    return r;
}

void RunController::SaveInto(Reaction& r) {
    if (m_run.g_nRecordCount == 0) {
        Tell(r, Effect::Kind::kMessage,
             ui::translate("RunController", "列表区没有测试数据，没有保存。"), kFileCaption);
        return;
    }
    // The same records saved again would be a second set of files for one test.
    if (m_run.g_bTestSaved && !m_savedArchive.empty()) {
        Tell(r, Effect::Kind::kMessage,
             ui::Fill(ui::translate("RunController", "该测试数据已保存，没有再存一份：\n%1"),
                      {m_savedArchive}),
             kFileCaption);
        return;
    }
    std::string error;
    if (!SaveTestFiles(std::string(), &error)) {
        Tell(r, Effect::Kind::kMessage, error, kFileCaption);
        return;
    }
    EnterInStore(r, m_savedArchive);
    Do(r, Effect::Kind::kStatus);
    Do(r, Effect::Kind::kSeriesAgain);
}

void RunController::EnterInStore(Reaction& r, const std::string& archive) {
    if (m_store == nullptr) return;
    SavedTest saved;
    StoredTest entry;
    std::string error;
    if (LoadSavedTest(archive, m_specimen, &saved, &error) &&
        EntryOfSavedTest(saved, DataFolderPath(), &entry, &error) &&
        m_store->Enter(entry, &error)) {
        if (m_entered) m_entered();
    } else {
        Tell(r, Effect::Kind::kNotice,
             ui::Fill(ui::translate("RunController",
                                    "试验已保存，但未登记到试验记录库：%1\n"
                                    "试验记录窗口的“重建索引”可从存档补登。"),
                      {error}),
             QT_TRANSLATE_NOOP("RunController", "试验记录"));
    }
}

bool RunController::SaveTestFiles(const std::string& tagUtf8, std::string* errorUtf8) {
    std::string stampedBase;
    std::string basePath;
    const bool archived = ArchiveBasePath(m_settings.g_strTestName, std::time(nullptr),
                                          &stampedBase, errorUtf8, tagUtf8) &&
                          WriteNewArchive(m_settings, m_run, stampedBase, &basePath, errorUtf8);
    // The archive is the test; the workbook is a view of it.
    if (!archived) return false;
    m_run.g_bTestSaved = 1;
    // The extensometer's readings are part of the test: they follow the archive at once.
    if (!WriteExtensometerRecords(m_run, basePath + ".dat", errorUtf8)) {
        if (errorUtf8 != nullptr)
            *errorUtf8 =
                ui::Fill(ui::translate("RunController", "试验存档已保存，但引伸计记录没有保存：%1"),
                         {*errorUtf8});
        return false;
    }
    if (!ExportSpreadsheet(m_settings, m_run, m_specimen, basePath + ".xls", errorUtf8) ||
        !WriteRecordsCsv(m_settings, m_run, m_specimen, basePath + ".csv", errorUtf8) ||
        !WriteTestFile(m_run, m_specimen, TestFilePathOf(basePath + ".dat"), errorUtf8))
        return false;
    m_savedArchive = basePath + ".dat";
    const SeriesMember& member = m_run.g_seriesMember;
    if (m_series != nullptr && m_series->active && member.series == m_series->info.name)
        m_series->nextNumber = std::max(m_series->nextNumber, member.number + 1);
    return true;
}

Reaction RunController::OpenArchive(const std::string& path) {
    Reaction r;
    std::string archiveName;
    std::string error;
    if (!ReadArchive(m_settings, m_run, path, &archiveName, &error)) {
        Tell(r, Effect::Kind::kMessage, error, kFileCaption);
        return r;
    }
    m_strArchiveName = archiveName;
    m_run.g_bTestSaved = 1;
    // A new playback starts from a quiet rig: nothing of the previous one's lamps, outputs
    // or break sequence carries over.
    m_run.ResetBreakSequence();
    m_lamps = Lamps{};
    Do(r, Effect::Kind::kLamps);
    m_wDigitalOut = kIdleOutputWord;
    m_settings.Parse();
    Do(r, Effect::Kind::kColumnHeaders);

    Enable(r, ControlId::kPrint, false);
    Caption(r, ControlId::kStart, ui::translate("RunController", "回放中...."));
    Enable(r, ControlId::kStart, false);
    Caption(r, ControlId::kStop, ui::translate("RunController", "停止回放"));
    Enable(r, ControlId::kStop, true);
    Show(r, ControlId::kArchiveName, true);
    Show(r, ControlId::kPlaybackBanner, true);

    // The clear restarts the playback's count; the archive's own extensometer records are
    // taken after it.
    ClearInto(r);
    // The played test keeps its own start time (or none), never the playback's, and its own
    // operator: the test file's, else the tester of the archive's settings.
    m_run.g_strOperator = m_settings.g_strTester;
    TakeArchivedTest(m_run, m_specimen, path);
    std::string extensometerNotice;
    TakeExtensometerRecords(m_run, path, &extensometerNotice);
    if (!extensometerNotice.empty())
        Tell(r, Effect::Kind::kNotice, extensometerNotice, kFileCaption);
    m_openedArchive = path;
    m_run.g_bStartTimeTaken = 1;
    m_bPlayback = 1;
    m_run.g_bRecording = 1;
    m_run.g_bPlaybackEnded = 0;
    Do(r, Effect::Kind::kRefresh);
    Do(r, Effect::Kind::kSampleTimer, false, RunPeriodMs(m_settings));
    Do(r, Effect::Kind::kChartRefresh, true);
    return r;
}

Reaction RunController::SettingsClosed(bool clearRecords, bool chartWasRefreshing) {
    Reaction r;
    m_settings.Parse();
    Do(r, Effect::Kind::kRefresh);
    if (clearRecords) {
        ClearInto(r);
    } else if (chartWasRefreshing) {
        Do(r, Effect::Kind::kChartRefresh, true);
    }
    Do(r, Effect::Kind::kColumnHeaders);
    m_bForcedStopHeld = false;
    // A lost card is opened again by its own timer, which starts these two.
    if (m_bCardLost) return r;
    m_cardWatch.Restart();
    Do(r, Effect::Kind::kPollTimer, false, kPollPeriodMs);
    Do(r, Effect::Kind::kSampleTimer, false, kIdleSamplePeriodMs);
    return r;
}

// Su and Lu are measured after the test: every file of a saved or played test that holds
// its results takes what the dialog now says, so that they agree with the window and the
// report.
Reaction RunController::SpecimenChanged() {
    Reaction r;
    if (m_run.g_nRecordCount == 0 && !m_bPlayback) m_bSpecimenEnteredForNext = true;
    const std::string& archive = TestArchive();
    std::string error;
    if (!archive.empty()) {
        if (RewriteResultFiles(ResultsOfCurrentTest(m_settings, m_run, m_specimen), archive,
                               &error)) {
            EnterInStore(r, archive);
            Do(r, Effect::Kind::kSeriesAgain);
        } else {
            Tell(r, Effect::Kind::kMessage, error, kFileCaption);
        }
    }
    Do(r, Effect::Kind::kResultsAgain);
    return r;
}

Reaction RunController::MarkExcluded(const std::string& reasonUtf8) {
    Reaction r;
    const std::string& archive = TestArchive();
    std::string error;
    if (archive.empty() || m_run.g_seriesMember.series.empty()) {
        Tell(r, Effect::Kind::kMessage,
             ui::translate("RunController", "列表区的试验不是已保存的系列试样，不能标记。"),
             kFileCaption);
        return r;
    }
    if (!WriteExcludedReason(archive, reasonUtf8, &error)) {
        Tell(r, Effect::Kind::kMessage, error, kFileCaption);
        return r;
    }
    m_run.g_seriesMember.excludedReason = reasonUtf8;
    EnterInStore(r, archive);
    Do(r, Effect::Kind::kStatus);
    Do(r, Effect::Kind::kSeriesAgain);
    return r;
}

// A box the tick shows is its last step, so a tick that runs while the box is open (timer 1
// restarted by a start from the rig) finds nothing half done.
Reaction RunController::Tick(double tickTime) {
    Reaction r;
    if (!m_bPlayback) {
        if (m_card.g_bHighSpeed) {
            if (!m_card.highSpeed.g_bHighSpeedDone.load(std::memory_order_acquire)) return r;
            m_card.WithCard([](HANDLE card) {
                DQX7460_StopAd(card);
                DQX7460_FifoClear(card);
            });
            m_card.highSpeed.g_bHighSpeedRun = 0;
            m_card.highSpeed.ProcessHighSpeedBurst(m_settings, m_run, m_channels);
            m_card.highSpeed.g_bHighSpeedDone = 0;
        } else {
            const bool read = m_card.ReadChannels(m_channels);
            ReportCardRead(r, read);
            if (!read) return r;
            ConditionChannels(m_settings, m_run, m_channels);
            if (m_card.ExtensometerScanned() && m_extensometer != nullptr)
                ConditionExtensometer(*m_extensometer, m_run, m_channels, true);
        }
    }

    // A full table ends a live run as the stop command does; this tick's interlocks, and
    // those of every idle tick after it, still watch the rig, which may still be pulling.
    bool tableFull = false;
    if (m_run.g_bRecording && m_run.g_nRecordCount >= m_run.g_nRecordCapacity) {
        if (m_bPlayback) {
            m_run.g_bPlaybackEnded = 1;
            StopInto(r);
            Do(r, Effect::Kind::kResults);
            return r;
        }
        StopInto(r);
        tableFull = true;
    }
    if (m_run.g_bRecording) {
        if (!m_bPlayback) {
            AppendLiveRecord(tickTime);
            CheckExtensometerRemoval(r);
        } else if (PlaybackStep(m_settings, m_run, ++m_run.g_nRecordCount)) {
            // The empty slot that ends the stored test is not a record of it.
            --m_run.g_nRecordCount;
            m_run.g_bPlaybackEnded = 1;
            StopInto(r);
            Do(r, Effect::Kind::kResults);
            return r;
        }
        Do(r, Effect::Kind::kRecords);
    }

    if (m_bForcedStopHeld) {
        Do(r, Effect::Kind::kRefresh);
        return r;
    }

    const SafetyAction action =
        EvaluateSafety(m_settings, m_run, m_wDigitalOut, m_lamps, m_bPlayback != 0);
    Do(r, Effect::Kind::kLamps);
    if (action == SafetyAction::kStopAndSave) {
        Do(r, Effect::Kind::kRefresh);
        StopInto(r);
        if (!m_bPlayback) SaveInto(r);
        Do(r, Effect::Kind::kResults);
        return r;
    }
    if (action == SafetyAction::kForcedStop) {
        ForceStop(r, m_run.g_dValue0);
        return r;
    }

    Do(r, Effect::Kind::kRefresh);
    if (m_bRemovalHold) m_wDigitalOut = static_cast<WORD>(m_wDigitalOut & ~kOutForcedStop);
    if (!m_bPlayback) m_card.WriteOutputs(m_wDigitalOut);
    if (tableFull) {
        Tell(
            r, Effect::Kind::kMessage,
            ui::Fill(ui::translate("RunController", "记录已满 %1 次，采集已停止。请保存测试数据。"),
                     {std::to_string(m_run.g_nRecordCapacity)}),
            QT_TRANSLATE_NOOP("RunController", "采集信息"));
    }
    return r;
}

Reaction RunController::Poll(int samplePeriodMs) {
    Reaction r;
    if (m_bPlayback) return r;
    WORD input = 0x00FF;
    const bool read = m_card.ReadInputs(&input);
    m_card.g_wDigitalIn = input;
    ReportCardRead(r, read);
    if (m_bCardLost) return r;

    if (!(input & kInTravelLimit)) {
        if (!m_run.g_bTravelLimit) {
            Caption(r, ControlId::kTravelLimit, ui::translate("RunController", "行程限位接通"));
            m_run.g_bTravelLimit = 1;
        }
    } else if (m_run.g_bTravelLimit) {
        Caption(r, ControlId::kTravelLimit, ui::translate("RunController", "行程限位断开"));
        m_run.g_bTravelLimit = 0;
    }
    if (!(input & kInStop)) StopInto(r);
    if (!(input & kInZero) && !m_run.g_bRecording) ZeroSensors();
    if (!(input & kInClear) && !m_run.g_bRecording) ClearInto(r);
    // The travel-limit switch wins over a held start button: no poll starts a test while
    // the switch is engaged.
    if (!(input & kInStart) && (input & kInTravelLimit)) {
        StartInto(r);
        // The start may have set timer 1 to the run's period.
        if (m_run.g_bRecording) samplePeriodMs = RunPeriodMs(m_settings);
    }
    WatchBetweenTicks(r, samplePeriodMs);
    return r;
}

// Every poll of a live run whose ticks come less often than the polls also reads the
// tension and runs the interlocks on it, so that a sampling period of up to 10 s still
// stops the rig within a poll of a limit. Ticks at least as frequent as the polls (the
// default 30 ms, and the idle 50 ms ticks) watch by themselves, and a stored test then
// plays its break back at the record where the live run saw it.
void RunController::WatchBetweenTicks(Reaction& r, int samplePeriodMs) {
    if (!m_run.g_bRecording || m_bPlayback || m_bForcedStopHeld || m_card.g_bHighSpeed) return;
    if (samplePeriodMs <= kPollPeriodMs) return;
    ChannelVoltages read;
    const std::optional<double> polled = PolledTension(read);
    if (!polled) return;
    const double value = *polled;
    if (!m_run.g_bTravelLimit && value > m_dPolledPeak) m_dPolledPeak = value;
    const WORD before = m_wDigitalOut;
    const SafetyAction action =
        EvaluateBetweenTicks(m_settings, m_run, m_wDigitalOut, m_lamps, value,
                             std::max(m_dPolledPeak, m_run.g_dHistory0[kPeakSlot]));
    Do(r, Effect::Kind::kLamps);
    if (action == SafetyAction::kForcedStop) {
        ForceStop(r, value, &read);
    } else if (m_wDigitalOut != before) {
        m_card.WriteOutputs(m_wDigitalOut);
    }
}

void RunController::ForceStop(Reaction& r, double value0, const ChannelVoltages* tripReading) {
    m_card.WriteOutputs(m_wDigitalOut);
    // A reading between ticks is the test's last record, at the time it was read: the
    // stored test and its Fm reach the force that stopped the rig.
    if (tripReading && m_run.g_nRecordCount < m_run.g_nRecordCapacity) {
        m_channels = *tripReading;
        ConditionPolledReading(m_settings, m_run, m_channels);
        if (m_card.ExtensometerScanned() && m_extensometer != nullptr)
            ConditionExtensometer(*m_extensometer, m_run, m_channels, false);
        AppendLiveRecord(m_run.SecondsSinceTestStart());
        Do(r, Effect::Kind::kRecords);
    }
    m_forcedStop.forceLimit = value0 >= m_settings.g_dForceStopLimit;
    m_forcedStop.travelLimit = m_run.g_bTravelLimit != 0;
    StopInto(r);
    m_bForcedStopHeld = true;
    Do(r, Effect::Kind::kRefresh);
    Tell(r, Effect::Kind::kSafetyNotice, ui::translate("RunController", "安全限制 强行停机"),
         kSafetyCaption);
}

bool RunController::ForcedStopConditionNow() {
    WORD input = 0x00FF;
    if (m_card.ReadInputs(&input)) m_card.g_wDigitalIn = input;
    // The high-speed worker owns the card's conversions; its last burst's value stands.
    ChannelVoltages read;
    const double value =
        m_card.g_bHighSpeed ? m_run.g_dValue0 : PolledTension(read).value_or(m_run.g_dValue0);
    return ForcedStopCondition(m_settings, value, !(m_card.g_wDigitalIn & kInTravelLimit));
}

std::optional<double> RunController::PolledTension(ChannelVoltages& read) {
    read = m_channels;
    if (!m_card.ReadChannels(read)) return std::nullopt;
    return PolledValue0(m_settings, m_run, read, read.rawVolt[0]);
}

void RunController::AppendLiveRecord(double time) {
    const int n = ++m_run.g_nRecordCount;
    m_run.g_strRecord0[n] = m_run.g_strReadout0[0];
    m_run.g_strRecord1[n] = m_run.g_strReadout1[0];
    m_run.g_dRecordTime[n] = time;
    m_run.g_bTestSaved = 0;
    RecordExtensometer(n);
}

// A record of a test that carries the extensometer holds its reading, or NaN where it read
// nothing: once taken off, and at the records a stop and continue took without it.
void RunController::RecordExtensometer(int n) {
    constexpr double kNothing = std::numeric_limits<double>::quiet_NaN();
    const bool reading = m_card.ExtensometerScanned() && m_extensometer != nullptr;
    if (!reading && !m_run.g_bExtRecorded) return;
    if (!m_run.g_bExtRecorded) {
        std::fill(m_run.g_dRecordExt + 1, m_run.g_dRecordExt + n, kNothing);
        m_run.g_bExtRecorded = 1;
    }
    if (reading) {
        m_run.g_dExtGaugeLength = m_extensometer->gaugeLength;
        m_run.g_nExtChannel = m_extensometer->channel;
    }
    m_run.g_dRecordExt[n] =
        reading && m_run.g_nExtRemovalRecord == 0 ? m_run.g_dValueExt : kNothing;
}

void RunController::CheckExtensometerRemoval(Reaction& r) {
    if (m_extensometer == nullptr || !m_extensometer->enabled || m_run.g_nExtRemovalRecord != 0)
        return;
    const ExtensometerSettings& ext = *m_extensometer;
    const int n = m_run.g_nRecordCount;
    bool reached = false;
    if (ext.removal == ExtensometerRemoval::AtStrain) {
        // NaN, an extensometer that read nothing, never reaches it.
        reached = m_run.g_dRecordExt[n] / ext.gaugeLength * 100 >= ext.removalStrain;
    } else if (ext.removal == ExtensometerRemoval::AfterPeak) {
        // A peak below the break value is no specimen's Fm: the break rule could not end its
        // test. Without it the force of a test just begun, at its noise, would count.
        const double peak = std::max(m_run.g_dHistory0[kPeakSlot], m_run.g_dValue0);
        reached = peak > 0 && peak >= m_settings.g_dBreakValue &&
                  m_run.g_dValue0 <= ext.removalForcePercent / 100 * peak;
    }
    if (!reached) return;
    m_run.g_nExtRemovalRecord = n;
    if (ext.holdAtRemoval) {
        // The stop line first, so that the crosshead halts; the test stays, and the next
        // start continues it as after a stop by hand.
        m_bRemovalHold = true;
        m_wDigitalOut = static_cast<WORD>(m_wDigitalOut & ~kOutForcedStop);
        m_card.WriteOutputs(m_wDigitalOut);
        StopInto(r);
    }
    Tell(r, Effect::Kind::kNotice, ui::translate("RunController", kExtensometerRemovalNotice),
         kExtensometerCaption);
}

// A card that stops answering in the middle of the program: the test stops with its records
// kept, the operator is told without a box that blocks, and the card is opened again after
// growing pauses (CardWatch) until it answers; then it is configured as at start-up and
// driven again.
void RunController::ReportCardRead(Reaction& r, bool answered) {
    if (m_cardWatch.Report(answered)) CardLostInto(r);
}

void RunController::EnableCardCommands(Reaction& r, bool enabled) {
    EnableMenu(r, ControlId::kMenuStart, enabled);
    Enable(r, ControlId::kStart, enabled);
    Enable(r, ControlId::kZeroSensors, enabled && !m_card.g_bHighSpeed);
}

void RunController::CardLostInto(Reaction& r) {
    if (m_bCardLost) return;
    m_bCardLost = true;
    if (m_run.g_bRecording) {
        StopInto(r);
    } else if (m_card.g_bHighSpeed) {
        m_card.highSpeed.StopHighSpeedCapture();
    }
    Do(r, Effect::Kind::kSampleTimer);
    Do(r, Effect::Kind::kPollTimer);
    m_card.CloseCard();
    EnableCardCommands(r, false);
    Do(r, Effect::Kind::kRefresh);
    Tell(r, Effect::Kind::kCardNotice,
         ui::translate("RunController",
                       "USB数据采集器无应答，采集已停止，记录已保留。\n正在重新连接采集器……"),
         kCardCaption);
    Do(r, Effect::Kind::kReopenIn, false, ReopenDelayMs());
}

Reaction RunController::TryReopenCard() {
    Reaction r;
    if (m_card.OpenCard() != 0) {
        // Counted from the end of this attempt, however long the card held it.
        Do(r, Effect::Kind::kReopenIn, false, ReopenDelayMs());
        return r;
    }
    Do(r, Effect::Kind::kStopReopen);
    m_bCardLost = false;
    m_card.ConfigureCard(m_settings, m_extensometer);
    m_card.WriteOutputs(m_wDigitalOut);
    EnableCardCommands(r, true);
    m_cardWatch.Restart();
    Do(r, Effect::Kind::kPollTimer, false, kPollPeriodMs);
    Do(r, Effect::Kind::kSampleTimer, false, kIdleSamplePeriodMs);
    Do(r, Effect::Kind::kChartRefresh, true);
    Do(r, Effect::Kind::kStatus);
    Tell(r, Effect::Kind::kCardNotice,
         ui::translate("RunController", "USB数据采集器已重新连接，可以继续采集。"), kCardCaption);
    return r;
}

Reaction RunController::Terminate() {
    Reaction r;
    Do(r, Effect::Kind::kSampleTimer);
    Do(r, Effect::Kind::kPollTimer);
    Do(r, Effect::Kind::kStopReopen);
    const bool live = !m_bPlayback && m_card.g_hDevice != nullptr && !m_bCardLost;
    // The stop line first, so that the crosshead halts before anything else is done; it
    // stays active through the save.
    if (live) {
        m_wDigitalOut = static_cast<WORD>(m_wDigitalOut & ~kOutForcedStop);
        m_card.WriteOutputs(m_wDigitalOut);
    }
    if (m_run.g_bRecording) StopInto(r);
    bool saved = false;
    if (!m_bPlayback && m_run.HasUnsavedTest()) {
        std::string error;
        saved = SaveTestFiles("-终止保存", &error);
        if (saved) {
            std::fprintf(stderr, "Velmora: saved on termination: %s\n", m_savedArchive.c_str());
        } else {
            std::fprintf(stderr, "Velmora: the test could not be saved: %s\n", error.c_str());
        }
    }
    if (live) {
        m_wDigitalOut = kIdleOutputWord;
        m_card.WriteOutputs(m_wDigitalOut);
    }
    // The index last: the rig is quiet and the files are safe before it is touched.
    if (saved) EnterInStore(r, m_savedArchive);
    return r;
}

Reaction RunController::EndRun() {
    Reaction r;
    if (m_run.g_bRecording) StopInto(r);
    return r;
}
