// The main window: readouts, records list, chart, run-control commands and the two timers
// that drive a test (1: sampling tick, 2: input poll).
#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "DQX7460.h"
#include "acquisition/card_claim.h"
#include "acquisition/card_watch.h"
#include "acquisition/conditioning.h"
#include "acquisition/safety.h"
#include "chart/chart_flags.h"
#include "printing/report_owner.h"
#include "settings/settings_record.h"
#include "settings/specimen.h"
#include "shell/status_text.h"

class CLineChartCtrl;
class CRecordsModel;
class CStatusLine;
class CResultsWnd;
class QAction;
class QCheckBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QMessageBox;
class QPushButton;
class QTableView;
struct ReportFonts;
struct TestRun;

// Window timer ids.
constexpr int kSampleTimer = 1;
constexpr int kPollTimer = 2;
constexpr int kIdleSamplePeriodMs = 50;
constexpr int kPollPeriodMs = 30;
// The caption of the interlocks' notices.
inline const QString kSafetyCaption = QStringLiteral("安全保护信息");

class CTestDlg : public QDialog, public ReportOwner {
    Q_OBJECT

  public:
    explicit CTestDlg(QWidget* parent = nullptr);
    ~CTestDlg() override;

    // Timer 1 and timer 2.
    void SampleTick();
    void PollInputs();

    // Run-control commands (buttons, menu, rig inputs, automatic sequence).
    void OnStart();
    void OnStop();
    void OnClearList();
    void OnZeroSensors();
    void OnTravelLimit();
    void OnSave();
    void OnOpen();
    // The open command after the file picker: loads the archive and starts its playback.
    void OpenArchive(const QString& path);
    void OnSettings();
    // The specimen dialog "试样参数" (S0 and L0).
    void OnSpecimen();
    // The results window "试验结果" with the results of the test in the record tables.
    void OnResults();
    CResultsWnd* ResultsWindow() const { return m_resultsWnd; }
    void OnPrintList();
    void OnPrintPreview();
    // 退出: ends the program; a running test is stopped first. An unsaved test is given up
    // only when the operator agrees.
    void OnExit();
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
    bool CardLost() const { return m_bCardLost; }
    WORD DigitalOut() const { return m_wDigitalOut; }
    bool Playback() const { return m_bPlayback != 0; }
    const std::string& ArchiveName() const { return m_strArchiveName; }
    CLineChartCtrl* Chart() const { return m_chart; }

    // The state of the program the window runs: the test, the settings in force, the
    // specimen and what the chart draws.
    TestRun& Run() { return *m_run; }
    Settings& SettingsRecord() { return m_settings; }
    SpecimenDims& Specimen() { return m_specimen; }
    ChartFlags& Flags() { return m_flags; }

    // ReportOwner
    QWidget* ReportWindow() override { return this; }
    void OnReportBeginPrinting(QPrinter& printer) override;
    // Page 1 is the specified report; page 2 the results and the force-extension curve.
    int ReportPageCount() override { return 2; }
    void OnReportPrintPage(QPainter& painter, QPrinter& printer, int page) override;
    void OnReportEndPrinting(QPrinter& printer) override;

  protected:
    // Escape and Enter do nothing here: the window is the program, and a key must not end it
    // (or reach a default button) while a test runs.
    void keyPressEvent(QKeyEvent* event) override;
    // The close box: ends the program as 退出 does.
    void reject() override;

  private:
    // Ends the program with the result; a running test is stopped first, as the stop
    // command does.
    void EndProgram(int result);

    // Controls, made in the layout of template 102.
    void CreateControls();
    void CreateMenus(QMenuBar* menuBar);
    QLineEdit* AddEdit(QWidget* parent, int id, int x, int y, int w, int h, bool border);
    QPushButton* AddButton(QWidget* parent, int id, const QString& caption, int x, int y,
                           void (CTestDlg::*handler)());
    QCheckBox* AddCheckBox(QWidget* parent, int id, const QString& caption, int x, int y, int w,
                           int* flag);
    QLabel* AddLamp(QWidget* parent, int id, int x, int y);
    void ApplyColoursAndFonts();

    void OnInitDialog();
    // A previous program left the card's outputs active: they are released and the
    // operator is told.
    void ReleaseLeftOutputs();
    // Archive, workbook and CSV of the test under a name no other archive has; the tag
    // ends the name.
    bool SaveTestFiles(const std::string& tagUtf8, std::string* errorUtf8);
    // The interlocks between ticks, on a fresh reading of the card (see
    // EvaluateBetweenTicks).
    void WatchBetweenTicks();
    // Writes the word with the forced-stop line active, stops the test and holds the
    // interlocks until the next start; the notice tells why.
    void ForceStop(double value0);
    // The forced-stop condition on a fresh reading of the rig's switch and tension.
    bool ForcedStopConditionNow();
    // Channel 0 read now and conditioned as PolledValue0 does; none when the card did not answer.
    std::optional<double> PolledTension();
    // A card that stopped answering: the test stops as the stop command stops it, the
    // operator is told, and the card is opened again in the background until it answers.
    void ReportCardRead(bool answered);
    void OnCardLost();
    void TryReopenCard();
    void EnableCardCommands(bool enabled);
    void SetColumnHeaders();
    void ShowLamps();
    // The status line from the run state, the forced stop and the last save.
    void ShowStatus();
    void SetEnabled(int id, bool enabled);
    void SetCaption(int id, const QString& caption);
    void EnableMenu(int id, bool enabled);
    void ShowBoundText(int id, const std::string& gbk);
    // Names each limit box and lamp with its unit; run when the unit shown changes.
    void ShowLimitTips();
    void OnPrintButton();

    QTimer& TimerById(int id);
    const QTimer* FindTimer(int id) const;

    // The window's own state.
    std::unique_ptr<TestRun> m_run;
    Settings m_settings;
    SpecimenDims m_specimen;
    ChartFlags m_flags;
    ChannelVoltages m_channels;
    Lamps m_lamps;
    WORD m_wDigitalOut = kIdleOutputWord;
    // After a forced stop the ticks only show what the card reads: the interlocks and the
    // outputs rest (bit 0 stays active) until a start or the settings dialog.
    bool m_bForcedStopHeld = false;
    unsigned char m_bPlayback = 0;
    std::string m_strArchiveName;
    // For the status line: what the last forced stop saw and the archive the last save wrote
    // (both until the next start or clear), and the first record of the present run.
    ForcedStopCause m_forcedStop;
    QString m_savedArchive;
    QString m_openedArchive;  // the file the playback was opened from
    int m_nRunFirstRecord = 1;

    QTimer m_sampleTimer;
    QTimer m_pollTimer;
    CardClaim m_cardClaim;
    CardWatch m_cardWatch;
    bool m_bCardLost = false;
    QTimer m_reopenTimer;
    QPointer<QMessageBox> m_cardNotice;
    // The notice of a start refused while a broken test waits to be saved; one at a time.
    QPointer<QMessageBox> m_startNotice;
    QPointer<QMessageBox> m_safetyNotice;
    // The highest channel 0 value polled between the ticks of this test.
    double m_dPolledPeak = 0;
    int m_nTerminationSignal = 0;
    CRecordsModel* m_records = nullptr;
    QTableView* m_list = nullptr;
    CLineChartCtrl* m_chart = nullptr;
    QMenu* m_printMenu = nullptr;
    CStatusLine* m_statusLine = nullptr;
    CResultsWnd* m_resultsWnd = nullptr;
    std::unique_ptr<ReportFonts> m_reportFonts;

    // Controls by id, and the GBK text each bound edit shows now.
    std::map<int, QLineEdit*> m_edits;
    std::map<int, QPushButton*> m_buttons;
    std::map<int, QCheckBox*> m_checks;
    std::map<int, int*> m_checkFlags;
    std::map<int, QLabel*> m_lampLabels;
    std::map<int, QAction*> m_actions;
    std::map<int, std::string> m_shownText;
};
