// Timer 1 (the sampling tick) and timer 2 (the poll of the rig's inputs).
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>

#include "acquisition/card_access.h"
#include "acquisition/card_config.h"
#include "acquisition/conditioning.h"
#include "acquisition/high_speed.h"
#include "acquisition/run_state.h"
#include "acquisition/safety.h"
#include "common/message_box.h"
#include "records/archive.h"
#include "settings/settings_record.h"
#include "shell/main_dialog.h"
#include "shell/records_model.h"

// A box the tick shows is its last step, so a tick that runs while the box is open (timer 1
// restarted by a start from the rig) finds nothing half done.
void CTestDlg::SampleTick() {
    // A record is timed when its tick asks the card for it: the timer keeps that instant to
    // the millisecond, while the card's answer may take anywhere from one to several.
    const double tickTime = m_run->SecondsSinceTestStart();
    if (!m_bPlayback) {
        if (g_bHighSpeed) {
            if (!g_bHighSpeedDone.load(std::memory_order_acquire)) return;
            WithCard([](HANDLE card) {
                DQX7460_StopAd(card);
                DQX7460_FifoClear(card);
            });
            g_bHighSpeedRun = 0;
            ProcessHighSpeedBurst(m_settings, *m_run, m_channels);
            g_bHighSpeedDone = 0;
        } else {
            const bool read = ReadChannels(m_channels);
            ReportCardRead(read);
            if (!read) return;
            ConditionChannels(m_settings, *m_run, m_channels);
        }
    }

    // A full table ends a live run as the stop command does; this tick's interlocks, and
    // those of every idle tick after it, still watch the rig, which may still be pulling.
    bool tableFull = false;
    if (m_run->g_bRecording && m_run->g_nRecordCount >= m_run->g_nRecordCapacity) {
        if (m_bPlayback) {
            m_run->g_bPlaybackEnded = 1;
            OnStop();
            if (m_bPlayback) OnResults();
            return;
        }
        OnStop();
        tableFull = true;
    }
    if (m_run->g_bRecording) {
        ++m_run->g_nRecordCount;
        if (!m_bPlayback) {
            m_run->g_strRecord0[m_run->g_nRecordCount] = m_run->g_strReadout0[0];
            m_run->g_strRecord1[m_run->g_nRecordCount] = m_run->g_strReadout1[0];
            m_run->g_dRecordTime[m_run->g_nRecordCount] = tickTime;
            m_run->g_bTestSaved = 0;
        } else if (PlaybackStep(m_settings, *m_run, m_run->g_nRecordCount)) {
            // The empty slot that ends the stored test is not a record of it.
            --m_run->g_nRecordCount;
            m_run->g_bPlaybackEnded = 1;
            OnStop();
            OnResults();
            return;
        }
        m_records->Refresh();
    }

    if (m_bForcedStopHeld) {
        RefreshControls();
        return;
    }

    const SafetyAction action =
        EvaluateSafety(m_settings, *m_run, m_wDigitalOut, m_lamps, m_bPlayback != 0);
    ShowLamps();
    if (action == SafetyAction::kStopAndSave) {
        RefreshControls();
        OnStop();
        if (!m_bPlayback) OnSave();
        OnResults();
        return;
    }
    if (action == SafetyAction::kForcedStop) {
        ForceStop(m_run->g_dValue0);
        return;
    }

    RefreshControls();
    if (!m_bPlayback) WriteOutputs(m_wDigitalOut);
    if (tableFull) {
        ShowMessageBox(this,
                       QStringLiteral("记录已满 %1 次，采集已停止。请保存测试数据。")
                           .arg(m_run->g_nRecordCapacity),
                       QStringLiteral("采集信息"));
    }
}

void CTestDlg::PollInputs() {
    if (m_bPlayback) return;
    WORD input = 0x00FF;
    const bool read = ReadInputs(&input);
    g_wDigitalIn = input;
    ReportCardRead(read);
    if (m_bCardLost) return;

    if (!(input & kInTravelLimit)) {
        if (!m_run->g_bTravelLimit) {
            SetCaption(1033, QStringLiteral("行程限位接通"));
            m_run->g_bTravelLimit = 1;
        }
    } else if (m_run->g_bTravelLimit) {
        SetCaption(1033, QStringLiteral("行程限位断开"));
        m_run->g_bTravelLimit = 0;
    }
    if (!(input & kInStop)) OnStop();
    if (!(input & kInZero) && !m_run->g_bRecording) OnZeroSensors();
    if (!(input & kInClear) && !m_run->g_bRecording) OnClearList();
    // The travel-limit switch wins over a held start button: no poll starts a test while
    // the switch is engaged.
    if (!(input & kInStart) && (input & kInTravelLimit)) OnStart();
    WatchBetweenTicks();
}

// Every poll of a live run whose ticks come less often than the polls also reads the
// tension and runs the interlocks on it, so that a sampling period of up to 10 s still
// stops the rig within a poll of a limit. Ticks at least as frequent as the polls (the
// default 30 ms, and the idle 50 ms ticks) watch by themselves, and a stored test then
// plays its break back at the record where the live run saw it.
void CTestDlg::WatchBetweenTicks() {
    if (!m_run->g_bRecording || m_bPlayback || m_bForcedStopHeld || g_bHighSpeed) return;
    if (TimerPeriod(kSampleTimer) <= kPollPeriodMs) return;
    const std::optional<double> polled = PolledTension();
    if (!polled) return;
    const double value = *polled;
    if (!m_run->g_bTravelLimit && value > m_dPolledPeak) m_dPolledPeak = value;
    const WORD before = m_wDigitalOut;
    const SafetyAction action =
        EvaluateBetweenTicks(m_settings, *m_run, m_wDigitalOut, m_lamps, value,
                             std::max(m_dPolledPeak, m_run->g_dHistory0[kPeakSlot]));
    ShowLamps();
    if (action == SafetyAction::kForcedStop) {
        ForceStop(value);
    } else if (m_wDigitalOut != before) {
        WriteOutputs(m_wDigitalOut);
    }
}

void CTestDlg::ForceStop(double value0) {
    WriteOutputs(m_wDigitalOut);
    m_forcedStop.forceLimit = value0 >= m_settings.g_dForceStopLimit;
    m_forcedStop.travelLimit = m_run->g_bTravelLimit != 0;
    OnStop();
    m_bForcedStopHeld = true;
    RefreshControls();
    ShowSingleNotice(this, m_safetyNotice, QStringLiteral("安全限制 强行停机"), kSafetyCaption);
}

bool CTestDlg::ForcedStopConditionNow() {
    WORD input = 0x00FF;
    if (ReadInputs(&input)) g_wDigitalIn = input;
    // The high-speed worker owns the card's conversions; its last burst's value stands.
    const double value =
        g_bHighSpeed ? m_run->g_dValue0 : PolledTension().value_or(m_run->g_dValue0);
    return ForcedStopCondition(m_settings, value, !(g_wDigitalIn & kInTravelLimit));
}

std::optional<double> CTestDlg::PolledTension() {
    ChannelVoltages polled = m_channels;
    if (!ReadChannels(polled)) return std::nullopt;
    return PolledValue0(m_settings, *m_run, polled, polled.rawVolt[0]);
}
