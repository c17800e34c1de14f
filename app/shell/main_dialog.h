// The main window: shows the run that the run controller drives, and wires the controls,
// the two timers (1: sampling tick, 2: input poll), the dialogs and the print job to it.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <memory>
#include <string>

#include "acquisition/card_access.h"
#include "chart/chart_flags.h"
#include "common/period_timer.h"
#include "control/run_controller.h"
#include "printing/report_job.h"
#include "run/run_state.h"

class CExtensometerReadout;
class CLineChartCtrl;
class CMainControls;
class CResultsWnd;
class CSeriesWnd;
class CTestLogWnd;
class SharedStoreSender;
class QKeyEvent;
class QShowEvent;
class QMessageBox;

// Window timer ids.
constexpr int kSampleTimer = 1;
constexpr int kPollTimer = 2;

class CTestDlg : public QDialog {
    Q_OBJECT

  public:
    explicit CTestDlg(QWidget* parent = nullptr);
    ~CTestDlg() override;

    // Timer 1 and timer 2.
    void SampleTick();
    void PollInputs();

    // Run-control commands (buttons, menu, rig inputs, automatic sequence).
    void OnStart() { Apply(m_control.Start()); }
    void OnStop() { Apply(m_control.Stop()); }
    void OnClearList() { Apply(m_control.Clear()); }
    void OnZeroSensors() { m_control.ZeroSensors(); }
    void OnTravelLimit() { Apply(m_control.ToggleTravelLimit()); }
    void OnSave() { Apply(m_control.Save()); }
    void OnOpen();
    // The open command after the file picker: loads the archive and starts its playback.
    void OpenArchive(const QString& path) { Apply(m_control.OpenArchive(path.toStdString())); }
    void OnSettings();
    // The specimen dialog "试样参数" (S0, L0, Su, Lu).
    void OnSpecimen();
    // The dialog "界面语言", whose choice the next start takes.
    void OnLanguage();
    // The specimen given as the dialog's OK gives it, without the dialog (the headless run).
    void SetSpecimen(const SpecimenDims& specimen);
    // 新建系列: each test started from now on is the next specimen of the series.
    void OnNewSeries();
    // 结束系列: the tests that follow are lone ones again.
    void OnEndSeries();
    // 标记无效: the saved or played test's specimen is invalid for the reason asked (none:
    // valid again).
    void OnMarkExcluded();
    void MarkExcluded(const QString& reason) {
        Apply(m_control.MarkExcluded(reason.toStdString()));
    }
    const SeriesSession& Series() const { return m_series; }
    // 系列结果: the series window of the active series, else of the test held.
    void OnSeriesResults();
    CSeriesWnd* SeriesWindow() const { return m_seriesWnd; }
    // 引伸计: the extensometer's dialog; not while a test runs.
    void OnExtensometer();
    // The extensometer's settings as the dialog's OK gives them, without the dialog (the
    // file is not written).
    void SetExtensometer(const ExtensometerSettings& extensometer);
    const ExtensometerSettings& Extensometer() const { return m_extensometer; }
    CExtensometerReadout* ExtensometerReadout() const { return m_extReadout; }
    // 加载链柔度标定: the compliance measured on the test in the list, for the tests after it.
    void OnCalibration();
    // The window "试验记录" over the results store.
    void OnTestLog();
    CTestLogWnd* TestLogWindow() const { return m_testLogWnd; }
    const SharedStoreSender* Sender() const { return m_sender.get(); }
    // The results window "试验结果" with the results of the test in the record tables.
    void OnResults();
    CResultsWnd* ResultsWindow() const { return m_resultsWnd; }
    void OnPrintList();
    void OnPrintPreview();
    // 退出: ends the program; a running test is stopped first. An unsaved test is given up
    // only when the operator agrees.
    void OnExit() { EndProgram(Accepted); }
    // Button 清除列表区: clears, asking first when the records are an unsaved test.
    void OnClearButton();
    // SIGTERM, SIGINT or SIGHUP: the test stops as the stop command stops it, the rig's
    // stop line is asserted, an unsaved test is saved under a name that says so, the idle
    // output word is written and the program ends.
    void OnTerminate(int signalNumber);
    // The signal that ended the program, or 0.
    int TerminationSignal() const { return m_nTerminationSignal; }

    // Data exchange towards the controls: readouts, count, limits, captions, check states.
    void RefreshControls();

    // Window timers by id: starting a running id with another period replaces the period.
    void SetTimer(int id, int periodMs);
    void KillTimer(int id);
    bool IsTimerRunning(int id) const;
    int TimerPeriod(int id) const;

    // The card stopped answering and the window is trying to open it again.
    bool CardLost() const { return m_control.CardLost(); }
    // The card the window drives; tests and the headless run look at its state.
    Card& TheCard() { return m_card; }
    // The state of the program the window runs: the test, the settings in force, the
    // specimen and what the chart draws.
    TestRun& Run() { return *m_run; }
    Settings& SettingsRecord() { return m_settings; }
    SpecimenDims& Specimen() { return m_specimen; }
    ChartFlags& Flags() { return m_flags; }
    WORD DigitalOut() const { return m_control.DigitalOut(); }
    bool Playback() const { return m_control.Playback(); }
    const std::string& ArchiveName() const { return m_control.ArchiveName(); }
    CLineChartCtrl* Chart() const;
    // The report of the test the window holds, for a print job.
    ReportJob Report() const;

  protected:
    // Escape and Enter do nothing here: the window is the program, and a key must not end it
    // (or reach a default button) while a test runs.
    void keyPressEvent(QKeyEvent* event) override;
    // The extensometer's readout follows the window onto the screen, once the window has
    // its place.
    void showEvent(QShowEvent* event) override;
    // The close box: ends the program as 退出 does.
    void reject() override { EndProgram(Rejected); }

  private:
    // Ends the program with the result; a running test is stopped first.
    void EndProgram(int result);
    void OnInitDialog();
    void OnCommand(ControlId id);
    // Carries out what the controller asked for, in its order.
    void Apply(const Reaction& reaction);
    void ApplyOne(const Effect& effect);
    void SetColumnHeaders();
    // The status line from the run state, the forced stop and the last save.
    void ShowStatus();

    PeriodTimer& TimerById(int id);
    const PeriodTimer* FindTimer(int id) const;

    std::unique_ptr<TestRun> m_run = std::make_unique<TestRun>();
    Settings m_settings;
    SpecimenDims m_specimen;
    ExtensometerSettings m_extensometer;
    SeriesSession m_series;
    ResultsStore m_store;
    // Sends the store's tests to the lab's shared database, when 共享数据库.conf names one.
    std::unique_ptr<SharedStoreSender> m_sender;
    QTimer m_senderPoll;
    ChartFlags m_flags;
    Card m_card;
    RunController m_control{m_card, m_settings, *m_run, m_specimen};
    std::unique_ptr<CMainControls> m_controls;
    PeriodTimer m_sampleTimer;
    PeriodTimer m_pollTimer;
    QTimer m_reopenTimer;
    QPointer<QMessageBox> m_cardNotice;
    // The notice of a start refused while a broken test waits to be saved; one at a time.
    QPointer<QMessageBox> m_startNotice;
    QPointer<QMessageBox> m_safetyNotice;
    int m_nTerminationSignal = 0;
    CResultsWnd* m_resultsWnd = nullptr;
    CTestLogWnd* m_testLogWnd = nullptr;
    CSeriesWnd* m_seriesWnd = nullptr;
    CExtensometerReadout* m_extReadout = nullptr;
};
