#include "shell/main_dialog.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QIcon>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLayout>
#include <QMenu>
#include <QMessageBox>
#include <algorithm>

#include "acquisition/high_speed.h"
#include "chart/chart_flags.h"
#include "chart/line_chart.h"
#include "common/font_faces.h"
#include "common/gbk_text.h"
#include "common/message_box.h"
#include "control/bound_texts.h"
#include "printing/print_frame.h"
#include "results/calibration_dialog.h"
#include "results/results_engine.h"
#include "results/results_window.h"
#include "run/run_state.h"
#include "series/series_dialog.h"
#include "series/series_window.h"
#include "settings/data_folder.h"
#include "settings/extensometer_dialog.h"
#include "settings/extensometer_settings.h"
#include "settings/settings_dialog.h"
#include "settings/settings_record.h"
#include "settings/specimen.h"
#include "settings/specimen_dialog.h"
#include "shell/archive_picker.h"
#include "shell/card_notices.h"
#include "shell/extensometer_readout.h"
#include "shell/language_dialog.h"
#include "shell/main_controls.h"
#include "shell/records_model.h"
#include "shell/status_line.h"
#include "shell/status_text.h"
#include "shell/window_style.h"
#include "store/shared_store_sender.h"
#include "testlog/test_log_window.h"

namespace {

const char kTitle[] =
    QT_TRANSLATE_NOOP("CTestDlg", "Orvane/计算机数据采集处理系统 http://www.velmora.example");

}  // namespace

CTestDlg::CTestDlg(QWidget* parent) : QDialog(parent) {
    Q_INIT_RESOURCE(velmora);
    m_card.highSpeed.SetHighSpeedFinishedNotifier(PostHighSpeedFinished);
    m_control.FollowSeries(m_series);
    m_control.UseExtensometer(m_extensometer);
    m_control.KeepStore(m_store, [this] {
        if (m_sender) m_sender->Notify();
    });

    InstallFontSubstitutions();
    setFont(QFont(QStringLiteral("宋体"), 9));
    setWindowTitle(QCoreApplication::translate("CTestDlg", kTitle));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowIcon(QIcon(QStringLiteral(":/icon143.png")));

    // The sample tick takes the records, each timed when it asks the card: its timer keeps
    // the period's phase, where a QTimer wakes up to a millisecond late at random.
    m_sampleTimer.setObjectName(QStringLiteral("timer1"));
    m_pollTimer.setObjectName(QStringLiteral("timer2"));
    connect(&m_sampleTimer, &PeriodTimer::timeout, this, &CTestDlg::SampleTick);
    connect(&m_pollTimer, &PeriodTimer::timeout, this, &CTestDlg::PollInputs);
    m_reopenTimer.setObjectName(QStringLiteral("reopen"));
    connect(&m_reopenTimer, &QTimer::timeout, this, [this] { Apply(m_control.TryReopenCard()); });

    m_controls = std::make_unique<CMainControls>(
        this, [this](ControlId id) { OnCommand(id); }, m_settings, *m_run, m_flags,
        m_card.g_bHighSpeed);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    m_extReadout = new CExtensometerReadout(this);
    OnInitDialog();
}

CTestDlg::~CTestDlg() = default;

CLineChartCtrl* CTestDlg::Chart() const {
    return m_controls->Chart();
}

void CTestDlg::OnInitDialog() {
    std::string error;
    if (!LoadOrCreateSettingsFile(m_settings, &error)) {
        ShowMessageBox(this, QString::fromStdString(error),
                       QCoreApplication::translate("CTestDlg", "设置错误"));
    }
    if (!LoadSpecimenFile(m_specimen)) {
        ShowMessageBox(this,
                       QCoreApplication::translate("CTestDlg", "试样参数文件无法读取：") +
                           QString::fromStdString(SpecimenFilePath()),
                       QCoreApplication::translate("CTestDlg", "设置错误"));
    }

    // A refused extensometer file leaves it off; the operator is told without a box that
    // holds the start-up.
    std::string extensometerError;
    if (!LoadExtensometerFile(m_extensometer, &extensometerError))
        ShowNotice(this, QString::fromStdString(extensometerError), tr("引伸计"));

    // The store is an index of the files: one that cannot be opened is said, and every save
    // goes on writing the files. Without a data folder the box above has said all.
    std::string storeMessage;
    if (EnsureDataFolder(&storeMessage))
        m_store.Open(ResultsStorePath(DataFolderPath()), &storeMessage);
    else
        storeMessage.clear();
    if (!storeMessage.empty())
        ShowNotice(this, QString::fromStdString(storeMessage),
                   QCoreApplication::translate("CTestDlg", "试验记录"));
    SharedStoreConf conf;
    std::string confMessage;
    switch (LoadSharedStoreConf(DataFolderPath(), &conf, &confMessage)) {
        case SharedStoreConfStatus::kAbsent:
            break;
        case SharedStoreConfStatus::kRefused:
            ShowNotice(this, QString::fromStdString(confMessage),
                       QCoreApplication::translate("CTestDlg", "共享数据库"));
            break;
        case SharedStoreConfStatus::kReady:
            m_sender =
                std::make_unique<SharedStoreSender>(conf, ResultsStorePath(DataFolderPath()));
            // The status line says what waits for the server; the poll only reads a copy.
            connect(&m_senderPoll, &QTimer::timeout, this, &CTestDlg::ShowStatus);
            m_senderPoll.start(2000);
            break;
    }

    SetColumnHeaders();
    Chart()->CalcLayout();
    RefreshControls();

    dqx7460_set_message_hook(ShowLibraryMessage);
    Apply(m_control.OpenCardAtStartup());
}

void CTestDlg::OnCommand(ControlId id) {
    switch (id) {
        case ControlId::kStart:
        case ControlId::kMenuStart:
            return OnStart();
        case ControlId::kStop:
            return OnStop();
        case ControlId::kSave:
        case ControlId::kMenuSave:
            return OnSave();
        case ControlId::kPrint:
            m_controls->PrintMenu()->exec(QCursor::pos());
            return;
        case ControlId::kClearList:
            return OnClearButton();
        case ControlId::kZeroSensors:
            return OnZeroSensors();
        case ControlId::kSettings:
        case ControlId::kMenuSettings:
            return OnSettings();
        case ControlId::kTravelLimit:
            return OnTravelLimit();
        case ControlId::kMenuOpen:
            return OnOpen();
        case ControlId::kMenuResults:
            return OnResults();
        case ControlId::kMenuSpecimen:
            return OnSpecimen();
        case ControlId::kMenuLanguage:
            return OnLanguage();
        case ControlId::kMenuSeriesNew:
            return OnNewSeries();
        case ControlId::kMenuSeriesExclude:
            return OnMarkExcluded();
        case ControlId::kMenuSeriesEnd:
            return OnEndSeries();
        case ControlId::kMenuTestLog:
            return OnTestLog();
        case ControlId::kMenuSeriesResults:
            return OnSeriesResults();
        case ControlId::kMenuCalibration:
            return OnCalibration();
        case ControlId::kMenuExtensometer:
            return OnExtensometer();
        case ControlId::kMenuExit:
            return OnExit();
        case ControlId::kMenuPrint:
            return OnPrintList();
        case ControlId::kMenuPrintPreview:
            return OnPrintPreview();
        default:
            return;
    }
}

void CTestDlg::Apply(const Reaction& reaction) {
    for (const Effect& effect : reaction) ApplyOne(effect);
}

void CTestDlg::ApplyOne(const Effect& e) {
    const QString text = QString::fromStdString(e.text);
    const QString caption = QString::fromStdString(e.caption);
    using Kind = Effect::Kind;
    switch (e.kind) {
        case Kind::kEnable:
            return m_controls->SetEnabled(e.id, e.on);
        case Kind::kEnableMenu:
            return m_controls->EnableMenu(e.id, e.on);
        case Kind::kEnableCheck:
            return m_controls->EnableCheck(e.id, e.on);
        case Kind::kCaption:
            return m_controls->SetCaption(e.id, text);
        case Kind::kShow:
            return m_controls->SetVisible(e.id, e.on);
        case Kind::kSampleTimer:
        case Kind::kPollTimer: {
            const int id = e.kind == Kind::kSampleTimer ? kSampleTimer : kPollTimer;
            return e.periodMs > 0 ? SetTimer(id, e.periodMs) : KillTimer(id);
        }
        case Kind::kChartRefresh:
            return e.on ? Chart()->StartRefresh() : Chart()->StopRefresh();
        case Kind::kRecords:
            return m_controls->Records()->Refresh();
        case Kind::kLamps:
            return m_controls->ShowLamps(m_control.LampStates());
        case Kind::kRefresh:
            return RefreshControls();
        case Kind::kColumnHeaders:
            return SetColumnHeaders();
        case Kind::kStatus:
            return ShowStatus();
        case Kind::kResults:
            return OnResults();
        case Kind::kResultsAgain:
            if (m_resultsWnd != nullptr && m_resultsWnd->isVisible()) OnResults();
            return;
        case Kind::kSeriesAgain:
            if (m_seriesWnd != nullptr && m_seriesWnd->isVisible()) m_seriesWnd->SpecimenChanged();
            return;
        case Kind::kMessage:
            return ShowMessageBox(this, text, caption);
        case Kind::kSafetyNotice:
            return ShowSingleNotice(this, m_safetyNotice, text, caption);
        case Kind::kStartNotice:
            return ShowSingleNotice(this, m_startNotice, text, caption);
        case Kind::kCardNotice:
            if (m_cardNotice) m_cardNotice->close();
            m_cardNotice = ShowNotice(this, text, caption);
            return;
        case Kind::kNotice:
            ShowNotice(this, text, caption);
            return;
        case Kind::kReopenIn:
            return m_reopenTimer.start(e.periodMs);
        case Kind::kStopReopen:
            return m_reopenTimer.stop();
    }
}

void CTestDlg::SampleTick() {
    // A record is timed when its tick asks the card for it: the timer keeps that instant to
    // the millisecond, while the card's answer may take anywhere from one to several.
    Apply(m_control.Tick(m_run->SecondsSinceTestStart()));
}

void CTestDlg::PollInputs() {
    Apply(m_control.Poll(TimerPeriod(kSampleTimer)));
}

void CTestDlg::OnOpen() {
    const QString path = PickArchive(this);
    if (!path.isEmpty()) OpenArchive(path);
}

// The records stay unless new settings describe them differently; an unsaved test is
// cleared only when the operator agrees. Cancel puts back the settings in force when the
// command began, whatever a refused OK left in the strings.
void CTestDlg::OnSettings() {
    KillTimer(kPollTimer);
    KillTimer(kSampleTimer);
    const bool chartRefreshing = Chart()->IsRefreshing();
    Chart()->StopRefresh();
    const SettingsTexts inForce = m_settings.Texts();
    std::string refusal;
    ReloadSettingsFile(m_settings, &refusal);
    if (!refusal.empty())
        ShowMessageBox(this, QString::fromStdString(refusal),
                       QCoreApplication::translate("CTestDlg", "设置错误"));
    bool accepted = false;
    {
        CSettingsDlg dialog(m_settings, this);
        dialog.SetConfirmation([this, &inForce] {
            return !m_run->HasUnsavedTest() ||
                   !DescribesRecordsDifferently(inForce, m_settings.Texts()) ||
                   AskMessageBox(this,
                                 QCoreApplication::translate(
                                     "CTestDlg",
                                     "列表区的测试数据尚未保存，新的参数将清除这些数据。\n"
                                     "是否清除测试数据并保存参数？"),
                                 QCoreApplication::translate("CTestDlg", "参数设置"));
        });
        accepted = dialog.exec() == QDialog::Accepted;
    }
    if (!accepted) m_settings.Restore(inForce);
    Apply(m_control.SettingsClosed(
        accepted && DescribesRecordsDifferently(inForce, m_settings.Texts()), chartRefreshing));
}

void CTestDlg::OnSpecimen() {
    CSpecimenDlg dialog(m_specimen, this);
    if (dialog.exec() != QDialog::Accepted) return;
    Apply(m_control.SpecimenChanged());
}

void CTestDlg::OnLanguage() {
    CLanguageDlg dialog(this);
    dialog.exec();
}

void CTestDlg::SetSpecimen(const SpecimenDims& specimen) {
    m_specimen = specimen;
    Apply(m_control.SpecimenChanged());
}

void CTestDlg::OnNewSeries() {
    CSeriesDlg dialog(m_series, DataFolderPath(), GbkToUtf8(m_settings.g_strTester), this);
    if (dialog.exec() == QDialog::Accepted) ShowStatus();
}

void CTestDlg::OnEndSeries() {
    m_series.active = false;
    ShowStatus();
}

void CTestDlg::OnMarkExcluded() {
    bool ok = false;
    const QString reason = QInputDialog::getText(
        this, QCoreApplication::translate("CTestDlg", "标记无效"),
        QCoreApplication::translate("CTestDlg",
                                    "无效的原因（例如：断于标距外）；留空则恢复为有效："),
        QLineEdit::Normal, QString::fromStdString(m_run->g_seriesMember.excludedReason), &ok);
    if (ok) MarkExcluded(reason.trimmed());
}

void CTestDlg::OnSeriesResults() {
    const std::string name = m_series.active ? m_series.info.name : m_run->g_seriesMember.series;
    if (name.empty()) {
        ShowMessageBox(this,
                       QCoreApplication::translate(
                           "CTestDlg", "没有进行中的系列，列表区的试验也不属于任何系列。"),
                       QCoreApplication::translate("CTestDlg", "系列结果"));
        return;
    }
    if (m_seriesWnd != nullptr && m_seriesWnd->SeriesName() != name) {
        m_seriesWnd->deleteLater();
        m_seriesWnd = nullptr;
    }
    if (m_seriesWnd == nullptr) {
        m_seriesWnd = new CSeriesWnd(DataFolderPath(), name, this);
    } else {
        m_seriesWnd->SpecimenChanged();
    }
    m_seriesWnd->show();
    m_seriesWnd->raise();
}

void CTestDlg::OnCalibration() {
    CCalibrationDlg dialog(ResultsOfCurrentTest(m_settings, *m_run, m_specimen), m_specimen, this);
    dialog.exec();
}

// The ticks and polls rest while the dialog is open, as they do for the settings dialog: no
// start from the rig can begin a test on settings about to change.
void CTestDlg::OnExtensometer() {
    if (m_run->g_bRecording) return;
    const bool sampling = IsTimerRunning(kSampleTimer);
    const bool polling = IsTimerRunning(kPollTimer);
    const int samplePeriod = TimerPeriod(kSampleTimer);
    KillTimer(kPollTimer);
    KillTimer(kSampleTimer);
    bool accepted = false;
    {
        CExtensometerDlg dialog(
            m_extensometer,
            [this](int channel) { return m_control.ReadExtensometerVolts(channel); }, this);
        accepted = dialog.exec() == QDialog::Accepted;
    }
    if (accepted) Apply(m_control.ExtensometerChanged());
    if (polling) SetTimer(kPollTimer, kPollPeriodMs);
    if (sampling) SetTimer(kSampleTimer, samplePeriod);
}

void CTestDlg::SetExtensometer(const ExtensometerSettings& extensometer) {
    m_extensometer = extensometer;
    Apply(m_control.ExtensometerChanged());
}

void CTestDlg::OnTestLog() {
    if (m_testLogWnd == nullptr) {
        m_testLogWnd = new CTestLogWnd(DataFolderPath(), this);
        connect(m_testLogWnd, &CTestLogWnd::Reindexed, this, [this] {
            if (m_sender) m_sender->Notify();
        });
    }
    m_testLogWnd->show();
    m_testLogWnd->raise();
    m_testLogWnd->activateWindow();
}

void CTestDlg::OnTerminate(int signalNumber) {
    if (m_nTerminationSignal != 0) return;
    m_nTerminationSignal = signalNumber;
    Apply(m_control.Terminate());
    // Every event loop ends, a box's or the settings dialog's as well as the window's.
    QCoreApplication::exit(128 + signalNumber);
}

void CTestDlg::SetColumnHeaders() {
    CRecordsModel* records = m_controls->Records();
    records->SetHeader(0, QCoreApplication::translate("CTestDlg", "次数"));
    records->SetHeader(1, FromGbk(m_settings.g_strChannelName0 + m_settings.g_strUnit0));
    records->SetHeader(2, FromGbk(m_settings.g_strChannelName1 + m_settings.g_strUnit1));
}

void CTestDlg::RefreshControls() {
    CMainControls& c = *m_controls;
    const bool unitChanged = !c.Shows(ControlId::kUnit0, m_settings.g_strUnit0);
    for (const BoundText& text : BoundTexts(m_settings, *m_run, m_control)) {
        if (text.id == ControlId::kShowCurve0 || text.id == ControlId::kShowCurve1) {
            c.ShowCheckCaption(text.id, text.gbk);
        } else {
            c.ShowBoundText(text.id, text.gbk);
        }
    }
    if (unitChanged) c.ShowLimitTips(FromGbk(m_settings.g_strUnit0));
    c.ShowCheckStates();
    m_extReadout->ShowFacts(ReadoutFactsOf(m_extensometer, *m_run, m_control.Playback()));
    ShowStatus();
}

void CTestDlg::ShowStatus() {
    StatusFacts facts = FactsOfRun(m_settings, *m_run, m_control, m_card.g_hDevice != nullptr,
                                   TimerPeriod(kSampleTimer));
    if (m_sender) {
        const SharedStoreState shared = m_sender->State();
        facts.sharedWaiting = shared.waiting;
        facts.sharedError = QString::fromStdString(shared.lastError);
    }
    m_controls->StatusLine()->Show(ComposeStatus(facts));
}

PeriodTimer& CTestDlg::TimerById(int id) {
    return id == kSampleTimer ? m_sampleTimer : m_pollTimer;
}

const PeriodTimer* CTestDlg::FindTimer(int id) const {
    if (id == kSampleTimer) return &m_sampleTimer;
    if (id == kPollTimer) return &m_pollTimer;
    return nullptr;
}

void CTestDlg::SetTimer(int id, int periodMs) {
    // A command that ran on while the program ends (a box that closed with the event
    // loops) starts nothing.
    if (!FindTimer(id) || m_nTerminationSignal != 0) return;
    PeriodTimer& timer = TimerById(id);
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
    const PeriodTimer* timer = FindTimer(id);
    return timer && timer->isActive();
}

int CTestDlg::TimerPeriod(int id) const {
    const PeriodTimer* timer = FindTimer(id);
    return timer ? timer->interval() : 0;
}

void CTestDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    QTimer::singleShot(0, this, [this] {
        m_extReadout->ShowFacts(ReadoutFactsOf(m_extensometer, *m_run, m_control.Playback()));
    });
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
                       QCoreApplication::translate(
                           "CTestDlg", "列表区的测试数据尚未保存，退出后将丢失。\n是否退出程序？"),
                       QCoreApplication::translate("CTestDlg", "退出"))) {
        return;
    }
    Apply(m_control.EndRun());
    done(result);
}

void CTestDlg::OnClearButton() {
    if (m_run->HasUnsavedTest() &&
        !AskMessageBox(this,
                       QCoreApplication::translate(
                           "CTestDlg", "列表区的测试数据尚未保存。\n是否清除测试数据？"),
                       QCoreApplication::translate("CTestDlg", "清除列表区"))) {
        return;
    }
    OnClearList();
}

ReportJob CTestDlg::Report() const {
    return {m_settings, *m_run, m_specimen, m_control.TestArchive()};
}

void CTestDlg::OnPrintList() {
    PrintReport(Report(), this);
}

void CTestDlg::OnPrintPreview() {
    PreviewReport(Report(), this);
}

void CTestDlg::OnResults() {
    if (m_resultsWnd == nullptr) m_resultsWnd = new CResultsWnd(this);
    m_resultsWnd->ShowResults(ResultsOfCurrentTest(m_settings, *m_run, m_specimen),
                              GbkToUtf8(m_run->g_strOperator));
}
