// A card that stops answering in the middle of the program: the test stops with its records
// kept, the operator is told without a box that blocks, and the card is opened again after
// growing pauses (CardWatch) until it answers; then it is configured as at start-up and
// driven again.
#include <QMessageBox>

#include "acquisition/card_access.h"
#include "acquisition/card_config.h"
#include "acquisition/high_speed.h"
#include "acquisition/run_state.h"
#include "chart/line_chart.h"
#include "common/message_box.h"
#include "shell/main_dialog.h"

namespace {

const QString kCardCaption = QStringLiteral("设备信息");

}  // namespace

void CTestDlg::ReportCardRead(bool answered) {
    if (m_cardWatch.Report(answered)) OnCardLost();
}

void CTestDlg::EnableCardCommands(bool enabled) {
    EnableMenu(32777, enabled);
    SetEnabled(1035, enabled);
    SetEnabled(1065, enabled && !g_bHighSpeed);
}

void CTestDlg::OnCardLost() {
    if (m_bCardLost) return;
    m_bCardLost = true;
    if (m_run->g_bRecording) {
        OnStop();
    } else if (g_bHighSpeed) {
        StopHighSpeedCapture();
    }
    KillTimer(kSampleTimer);
    KillTimer(kPollTimer);
    CloseCard();
    EnableCardCommands(false);
    RefreshControls();
    if (m_cardNotice) m_cardNotice->close();
    m_cardNotice = ShowNotice(this,
                              QStringLiteral("USB数据采集器无应答，采集已停止，记录已保留。\n"
                                             "正在重新连接采集器……"),
                              kCardCaption);
    m_reopenTimer.start(m_cardWatch.NextReopenDelay());
}

void CTestDlg::TryReopenCard() {
    if (OpenCard() != 0) {
        // Counted from the end of this attempt, however long the card held it.
        m_reopenTimer.start(m_cardWatch.NextReopenDelay());
        return;
    }
    m_reopenTimer.stop();
    m_bCardLost = false;
    ConfigureCard(m_settings);
    WriteOutputs(m_wDigitalOut);
    EnableCardCommands(true);
    m_cardWatch.Restart();
    SetTimer(kPollTimer, kPollPeriodMs);
    SetTimer(kSampleTimer, kIdleSamplePeriodMs);
    m_chart->StartRefresh();
    ShowStatus();
    if (m_cardNotice) m_cardNotice->close();
    m_cardNotice =
        ShowNotice(this, QStringLiteral("USB数据采集器已重新连接，可以继续采集。"), kCardCaption);
}
