#include "shell/main_dialog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QPushButton>
#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>

#include "acquisition/card_access.h"
#include "acquisition/card_config.h"
#include "acquisition/high_speed.h"
#include "acquisition/output_ledger.h"
#include "acquisition/run_state.h"
#include "chart/chart_flags.h"
#include "chart/line_chart.h"
#include "common/font_faces.h"
#include "common/message_box.h"
#include "printing/print_frame.h"
#include "printing/report_page.h"
#include "printing/results_page.h"
#include "results/results_engine.h"
#include "results/results_window.h"
#include "settings/data_folder.h"
#include "settings/settings_record.h"
#include "settings/specimen.h"
#include "shell/limit_tips.h"
#include "shell/records_model.h"
#include "shell/status_line.h"
#include "shell/window_style.h"

namespace {

const char kTitle[] = "Orvane/计算机数据采集处理系统 http://www.velmora.example";

// The card library's one message to the operator.
void ShowLibraryMessage(const char* text, const char* caption) {
    ShowMessageBox(QApplication::activeWindow(), QString::fromUtf8(text),
                   QString::fromUtf8(caption));
}

// The worker of the high-speed capture ends on its own thread; the box belongs to the
// window's thread, so the notice is posted there.
void PostHighSpeedFinished(HighSpeedEnd end) {
    QMetaObject::invokeMethod(
        qApp,
        [end] {
            if (end == HighSpeedEnd::kCardFailed) {
                ShowMessageBox(QApplication::activeWindow(),
                               QStringLiteral("250kHz 高速采集中断：USB数据采集器无应答。"),
                               QStringLiteral("设备信息"));
            } else {
                ShowMessageBox(QApplication::activeWindow(), QStringLiteral("250kHz 高速采集结束"),
                               QString());
            }
        },
        Qt::QueuedConnection);
}

}  // namespace

CTestDlg::CTestDlg(QWidget* parent) : QDialog(parent), m_run(std::make_unique<TestRun>()) {
    Q_INIT_RESOURCE(velmora);
    // Start-up values of the process-wide card items. The card handle survives so that the
    // start-up's close releases a handle an earlier window left open.
    const HANDLE device = g_hDevice;
    ResetCardItems();
    g_hDevice = device;
    g_bHighSpeed = 0;
    std::fill(std::begin(g_nHighSpeedBuf), std::end(g_nHighSpeedBuf), 0);
    SetHighSpeedFinishedNotifier(PostHighSpeedFinished);

    InstallFontSubstitutions();
    setFont(QFont(QStringLiteral("宋体"), 9));
    setWindowTitle(QString::fromUtf8(kTitle));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowIcon(QIcon(QStringLiteral(":/icon143.png")));

    m_sampleTimer.setObjectName(QStringLiteral("timer1"));
    // The sample tick takes the records: it keeps its period to the millisecond, where a
    // coarse timer may shift each tick by up to 5 % of it.
    m_sampleTimer.setTimerType(Qt::PreciseTimer);
    m_pollTimer.setObjectName(QStringLiteral("timer2"));
    connect(&m_sampleTimer, &QTimer::timeout, this, &CTestDlg::SampleTick);
    connect(&m_pollTimer, &QTimer::timeout, this, &CTestDlg::PollInputs);
    m_reopenTimer.setObjectName(QStringLiteral("reopen"));
    connect(&m_reopenTimer, &QTimer::timeout, this, &CTestDlg::TryReopenCard);

    CreateControls();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    OnInitDialog();
}

CTestDlg::~CTestDlg() = default;

void CTestDlg::OnInitDialog() {
    std::string error;
    if (!LoadOrCreateSettingsFile(m_settings, &error)) {
        ShowMessageBox(this, QString::fromStdString(error), QStringLiteral("设置错误"));
    }
    if (!LoadSpecimenFile(m_specimen)) {
        ShowMessageBox(
            this,
            QStringLiteral("试样参数文件无法读取：") + QString::fromStdString(SpecimenFilePath()),
            QStringLiteral("设置错误"));
    }

    SetColumnHeaders();
    m_chart->CalcLayout();
    RefreshControls();

    dqx7460_set_message_hook(ShowLibraryMessage);
    // Opening resets the card, so a card another program drives is not even opened.
    const bool inUse = m_cardClaim.Claim() == CardClaim::Result::kInUse;
    if (inUse) {
        CloseCard();
    } else {
        g_nLastError = OpenCard();
    }
    if (inUse || g_nLastError != 0) {
        ShowMessageBox(
            this,
            inUse ? QStringLiteral("USB数据采集器正被另一个程序使用,只能<打开>历史文件回放。")
                  : QStringLiteral("USB数据采集器未连接,只能<打开>历史文件回放。\n"
                                   "采集测试：请关闭程序，连接设备，重启程序。"),
            QStringLiteral("设备信息"));
        EnableMenu(32776, false);
        SetEnabled(1034, false);
        RefreshControls();
        return;
    }

    // The application's 940-byte feature buffer.
    std::array<FeatureBlock, 47> features{};
    static_assert(sizeof(features) == 940);
    FeatureQuery query{features.data(), static_cast<WORD>(sizeof(features))};
    if (WithCard([&query](HANDLE card) { return DQX7460_DeviceGetFeatures(card, &query); }) != 0)
        return;

    EnableMenu(32777, true);
    EnableMenu(32774, false);
    if (!g_bHighSpeed) SetEnabled(1065, true);
    SetEnabled(1035, true);
    SetEnabled(1036, true);

    ConfigureCard(m_settings);
    ReleaseLeftOutputs();

    m_cardWatch.Restart();
    SetTimer(kPollTimer, kPollPeriodMs);
    SetTimer(kSampleTimer, kIdleSamplePeriodMs);
    m_chart->StartRefresh();
    ShowStatus();
}

void CTestDlg::ReleaseLeftOutputs() {
    const std::optional<WORD> left = LedgerOutputWord();
    if (!left || *left == kIdleOutputWord) return;
    WriteOutputs(kIdleOutputWord);
    ShowNotice(this,
               QStringLiteral("上次程序结束时采集器的输出未复位（输出字 %1），"
                              "已写入空闲输出字 00FF，报警、停机和返回信号均已释放。")
                   .arg(QString::number(*left, 16).rightJustified(4, QLatin1Char('0')).toUpper()),
               QStringLiteral("设备信息"));
}

void CTestDlg::OnTerminate(int signalNumber) {
    if (m_nTerminationSignal != 0) return;
    m_nTerminationSignal = signalNumber;
    KillTimer(kSampleTimer);
    KillTimer(kPollTimer);
    m_reopenTimer.stop();
    const bool live = !m_bPlayback && g_hDevice != nullptr && !m_bCardLost;
    // The stop line first, so that the crosshead halts before anything else is done; it
    // stays active through the save.
    if (live) {
        m_wDigitalOut = static_cast<WORD>(m_wDigitalOut & ~kOutForcedStop);
        WriteOutputs(m_wDigitalOut);
    }
    if (m_run->g_bRecording) OnStop();
    if (!m_bPlayback && m_run->HasUnsavedTest()) {
        std::string error;
        if (SaveTestFiles("-终止保存", &error)) {
            std::fprintf(stderr, "Velmora: saved on termination: %s\n",
                         m_savedArchive.toStdString().c_str());
        } else {
            std::fprintf(stderr, "Velmora: the test could not be saved: %s\n", error.c_str());
        }
    }
    if (live) {
        m_wDigitalOut = kIdleOutputWord;
        WriteOutputs(m_wDigitalOut);
    }
    // Every event loop ends, a box's or the settings dialog's as well as the window's.
    QCoreApplication::exit(128 + signalNumber);
}

void CTestDlg::SetColumnHeaders() {
    m_records->SetHeader(0, QStringLiteral("次数"));
    m_records->SetHeader(1, FromGbk(m_settings.g_strChannelName0 + m_settings.g_strUnit0));
    m_records->SetHeader(2, FromGbk(m_settings.g_strChannelName1 + m_settings.g_strUnit1));
}

void CTestDlg::ShowBoundText(int id, const std::string& gbk) {
    // Comparing bytes first keeps the tick free of conversions for texts that stay.
    auto shown = m_shownText.find(id);
    if (shown != m_shownText.end() && shown->second == gbk) return;
    m_shownText[id] = gbk;
    m_edits[id]->setText(DisplayText(gbk));
}

void CTestDlg::ShowLimitTips() {
    for (const ControlTip& tip : LimitTips(FromGbk(m_settings.g_strUnit0))) {
        QWidget* control = m_edits.count(tip.id) ? static_cast<QWidget*>(m_edits.at(tip.id))
                                                 : m_lampLabels.at(tip.id);
        control->setToolTip(tip.text);
    }
}

void CTestDlg::RefreshControls() {
    static const std::string kTimes = ToGbk(QStringLiteral("次"));
    static const std::string kCounter = ToGbk(QStringLiteral("计数器"));
    static const std::string kPeak = ToGbk(QStringLiteral("峰值"));
    static const std::string kPlaybackBanner = ToGbk(QStringLiteral("历史回放"));
    static const std::string kLine = ToGbk(QStringLiteral("线"));
    const int peakSlot = std::clamp(m_run->g_nHistoryLen + 1, 0, kHistorySlots - 1);
    ShowBoundText(1001, m_run->g_strReadout0[0]);
    ShowBoundText(1002, m_run->g_strReadout1[0]);
    ShowBoundText(1016, m_run->g_strReadout0[peakSlot]);
    ShowBoundText(1017, m_run->g_strReadout1[peakSlot]);
    ShowBoundText(1018, m_run->g_strRatio[0]);
    ShowBoundText(1010, std::to_string(m_run->g_nRecordCount));
    auto shownUnit = m_shownText.find(1003);
    const bool unitChanged =
        shownUnit == m_shownText.end() || shownUnit->second != m_settings.g_strUnit0;
    ShowBoundText(1003, m_settings.g_strUnit0);
    if (unitChanged) ShowLimitTips();
    ShowBoundText(1009, m_settings.g_strUnit1);
    ShowBoundText(1004, kTimes);
    ShowBoundText(1005, m_settings.g_strForceStopLimit);
    ShowBoundText(1006, m_settings.g_strAlarmHigh);
    ShowBoundText(1007, m_settings.g_strAlarmLow);
    ShowBoundText(1008, m_settings.g_strBreakValue);
    ShowBoundText(1011, m_settings.g_strChannelName0);
    ShowBoundText(1012, m_settings.g_strChannelName1);
    ShowBoundText(1013, kCounter);
    ShowBoundText(1019, m_settings.g_strChannelName0 + "/" + m_settings.g_strChannelName1);
    ShowBoundText(1020, kPeak);
    ShowBoundText(1021, kPeak);
    if (m_bPlayback) {
        ShowBoundText(1014, kPlaybackBanner);
        ShowBoundText(1000, m_strArchiveName);
    }
    const std::string caption0 = m_settings.g_strChannelName0 + kLine;
    const std::string caption1 = m_settings.g_strChannelName1 + kLine;
    if (m_shownText[1078] != caption0) {
        m_shownText[1078] = caption0;
        m_checks[1078]->setText(DisplayText(caption0));
    }
    if (m_shownText[1081] != caption1) {
        m_shownText[1081] = caption1;
        m_checks[1081]->setText(DisplayText(caption1));
    }
    for (const auto& [id, flag] : m_checkFlags) {
        QCheckBox* box = m_checks[id];
        if (box->isChecked() != (*flag != 0)) box->setChecked(*flag != 0);
    }
    ShowStatus();
}

void CTestDlg::ShowStatus() {
    StatusFacts facts;
    if (m_bPlayback) {
        facts.phase = m_run->g_bRecording       ? RunPhase::kPlayback
                      : m_run->g_bPlaybackEnded ? RunPhase::kPlaybackEnded
                                                : RunPhase::kStopped;
    } else if (m_run->g_bRecording) {
        facts.phase = RunPhase::kRecording;
        facts.intervalMs =
            RecentIntervalMs(m_run->g_dRecordTime, m_nRunFirstRecord, m_run->g_nRecordCount);
    } else {
        facts.phase =
            m_run->g_nRecordCount > 0 || m_forcedStop.Any() ? RunPhase::kStopped : RunPhase::kIdle;
    }
    if (m_bCardLost) {
        facts.card = CardState::kLost;
    } else if (g_hDevice == nullptr && !m_bPlayback) {
        facts.card = CardState::kAbsent;
    }
    facts.records = m_run->g_nRecordCount;
    facts.testSeconds =
        m_run->g_nRecordCount > 0 ? m_run->g_dRecordTime[m_run->g_nRecordCount] : 0.0;
    facts.periodMs = TimerPeriod(kSampleTimer);
    facts.forcedStop = m_forcedStop;
    if (m_forcedStop.forceLimit) {
        facts.channel0 = FromGbk(m_settings.g_strChannelName0);
        facts.unit0 = FromGbk(m_settings.g_strUnit0);
        facts.forceStopLimit = m_settings.g_dForceStopLimit;
    }
    facts.savedArchive = m_savedArchive;
    m_statusLine->Show(ComposeStatus(facts));
}

void CTestDlg::ShowLamps() {
    m_lampLabels[1067]->setVisible(m_lamps.forcedStop);
    m_lampLabels[1068]->setVisible(m_lamps.alarmHigh);
    m_lampLabels[1069]->setVisible(m_lamps.alarmLow);
    m_lampLabels[1070]->setVisible(m_lamps.broken);
    m_lampLabels[1073]->setVisible(m_lamps.autoStop);
    m_lampLabels[1072]->setVisible(m_lamps.autoReturn);
}

void CTestDlg::SetEnabled(int id, bool enabled) {
    m_buttons[id]->setEnabled(enabled);
}

void CTestDlg::SetCaption(int id, const QString& caption) {
    m_buttons[id]->setText(caption);
}

void CTestDlg::EnableMenu(int id, bool enabled) {
    m_actions[id]->setEnabled(enabled);
}

QTimer& CTestDlg::TimerById(int id) {
    return id == kSampleTimer ? m_sampleTimer : m_pollTimer;
}

const QTimer* CTestDlg::FindTimer(int id) const {
    if (id == kSampleTimer) return &m_sampleTimer;
    if (id == kPollTimer) return &m_pollTimer;
    return nullptr;
}

void CTestDlg::SetTimer(int id, int periodMs) {
    // A command that ran on while the program ends (a box that closed with the event
    // loops) starts nothing.
    if (!FindTimer(id) || m_nTerminationSignal != 0) return;
    QTimer& timer = TimerById(id);
    // A running timer keeps its phase when asked for the period it already has, so that a
    // command repeated on every poll (a held rig button) cannot hold the tick off.
    if (timer.isActive() && timer.interval() == periodMs) return;
    timer.start(periodMs);
}

void CTestDlg::KillTimer(int id) {
    if (!FindTimer(id)) return;
    TimerById(id).stop();
}

bool CTestDlg::IsTimerRunning(int id) const {
    const QTimer* timer = FindTimer(id);
    return timer && timer->isActive();
}

int CTestDlg::TimerPeriod(int id) const {
    const QTimer* timer = FindTimer(id);
    return timer ? timer->interval() : 0;
}

void CTestDlg::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
        case Qt::Key_Enter:
        case Qt::Key_Return:
            event->accept();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void CTestDlg::EndProgram(int result) {
    if (m_run->HasUnsavedTest() &&
        !AskMessageBox(this,
                       QStringLiteral("列表区的测试数据尚未保存，退出后将丢失。\n是否退出程序？"),
                       QStringLiteral("退出"))) {
        return;
    }
    if (m_run->g_bRecording) OnStop();
    done(result);
}

void CTestDlg::OnClearButton() {
    if (m_run->HasUnsavedTest() &&
        !AskMessageBox(this, QStringLiteral("列表区的测试数据尚未保存。\n是否清除测试数据？"),
                       QStringLiteral("清除列表区"))) {
        return;
    }
    OnClearList();
}

void CTestDlg::OnExit() {
    EndProgram(Accepted);
}

void CTestDlg::reject() {
    EndProgram(Rejected);
}

void CTestDlg::OnPrintButton() {
    m_printMenu->exec(QCursor::pos());
}

void CTestDlg::OnPrintList() {
    PrintReport(m_settings, *this);
}

void CTestDlg::OnPrintPreview() {
    PreviewReport(m_settings, *this);
}

void CTestDlg::OnReportBeginPrinting(QPrinter&) {
    m_reportFonts = CreateReportFonts();
}

void CTestDlg::OnReportPrintPage(QPainter& painter, QPrinter& printer, int page) {
    if (!m_reportFonts) m_reportFonts = CreateReportFonts();
    if (page == 1) {
        DrawReportPage(m_settings, *m_run, painter, printer, *m_reportFonts);
    } else {
        DrawResultsPage(painter, printer, *m_reportFonts,
                        ResultsOfCurrentTest(m_settings, *m_run, m_specimen));
    }
}

void CTestDlg::OnResults() {
    if (m_resultsWnd == nullptr) m_resultsWnd = new CResultsWnd(this);
    m_resultsWnd->ShowResults(ResultsOfCurrentTest(m_settings, *m_run, m_specimen));
}

void CTestDlg::OnReportEndPrinting(QPrinter&) {
    m_reportFonts.reset();
}
