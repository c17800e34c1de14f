// The main window with an in-process card: what it shows of start-up, the state table, the
// sampling tick, the input poll, the interlocks' consequences, save and playback, and its
// dialogs, menus and timers. What the run controller decides is tested without a window.
#include "shell/main_dialog.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <QtTest>
#include <cmath>
#include <functional>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "../common/comma_locale.h"
#include "../common/modal_answer.h"
#include "../common/text_fit.h"
#include "acquisition/card_claim.h"
#include "run/readouts.h"
#include "run/run_state.h"
#include "card.h"
#include "chart/chart_flags.h"
#include "chart/line_chart.h"
#include "common/message_box.h"
#include "control/control_ids.h"
#include "driver.h"
#include "in_process_driver.h"
#include "results/results_window.h"
#include "settings/data_folder.h"
#include "settings/settings_record.h"
#include "settings/specimen.h"
#include "shell/limit_tips.h"

namespace {

// The object name each control of the main window has: its id's number.
QString Name(ControlId id) {
    return QString::number(Number(id));
}

// Passes every call to the simulated card; tells onCall of each call first.
class ObservedDriver : public dqx7460::ForwardingDriver {
  public:
    using ForwardingDriver::ForwardingDriver;
    bool Control(HANDLE handle, std::uint32_t code, const void* in, std::uint32_t inLen, void* out,
                 std::uint32_t outLen, std::uint32_t* returned) override {
        if (onCall) onCall();
        return ForwardingDriver::Control(handle, code, in, inLen, out, outLen, returned);
    }
    std::function<void()> onCall;
};

constexpr int kOutputRegister = 128;
const std::set<ControlId> kButtons = {
    ControlId::kTravelLimit, ControlId::kSettings, ControlId::kStart,       ControlId::kClearList,
    ControlId::kStop,        ControlId::kSave,     ControlId::kZeroSensors, ControlId::kPrint};

}  // namespace

class TestDlgTest : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void startWithoutCard();
    void startWithCard();
    void cardInUseByAnotherProgramOffersOnlyPlayback();
    void liveStateTable();
    void continuedTestListsItsRecordsNewestFirst();
    void tickTimesTheRecordBeforeAskingTheCard();
    void forcedStopAtTheLimit();
    void readingsAfterAForcedStop();
    void breakRunsTheSequenceAndSaves();
    void refusedTestNameKeepsTheRecords();
    void playbackStateTable();
    void openCommandPicksFromTheDataFolder();
    void settingsFileThatCannotBeMadeKeepsTheDefaults();
    void settingsCommandReloadsAndRebuildsHeaders();
    void settingsKeepAnUnsavedTestUnlessTheOperatorAgrees();
    void limitBoxesAndLampsNameTheirUnit();
    void checkBoxesToggleTheirFlags();
    void resultsAndSpecimenCommands();
    void textsFitTheirRectangles();
    void keysDoNotEndTheProgram_data();
    void keysDoNotEndTheProgram();
    void clearButtonAsksForAnUnsavedTest();
    void aCommaLocaleChangesNoNumber();
    void previewEndsWithTheMainWindowRunning();

  private:
    void Open(bool withCard = true);
    QPushButton* Button(ControlId id) const;
    QAction* Action(ControlId id) const;
    QLabel* Lamp(ControlId id) const;
    QString Text(ControlId id) const;
    // A section of the status line; the notice's whole text (its tooltip).
    QString Status(const char* section) const;
    std::set<ControlId> EnabledButtons() const;
    QString Cell(int row, int column) const;
    // The enabled buttons and the captions of the start and stop buttons.
    void ExpectState(const std::set<ControlId>& buttons, const QString& start, const QString& stop);
    // Closes the window and the card, then opens a window without a card.
    void ReopenWithoutCard();
    // Ticks until the predicate holds; false when it still fails after maxTicks ticks.
    bool TickUntil(const std::function<bool()>& done, int maxTicks = 400);
    int OutputWrites() const { return m_outputWrites; }
    QStringList ArchivesInDataFolder() const;
    QString SaveThreeRecordArchive();
    // Runs the Settings command; `act` works the open dialog and must close it.
    bool RunSettings(const std::function<void(QWidget*)>& act);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_previousDir;
    sim::Card m_card{1};
    std::unique_ptr<sim::InProcessDriver> m_inProcess;
    std::unique_ptr<ObservedDriver> m_driver;
    std::unique_ptr<CTestDlg> m_dlg;
    std::vector<std::pair<QString, QString>> m_boxes;
    int m_outputWrites = 0;
};

void TestDlgTest::init() {
    m_previousDir = QDir::currentPath();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir::setCurrent(m_dir->path()));
    AnchorDataFolder();
    // The card claim's lock lives in the driver folder: a folder of its own keeps this test
    // apart from programs and tests running beside it.
    qputenv("DQX7460_DRIVER_DIR", QFile::encodeName(m_dir->filePath(QStringLiteral("driver"))));
    m_boxes.clear();
    SetMessageBoxHandler([this](const QString& text, const QString& caption) {
        m_boxes.emplace_back(text, caption);
    });
    m_card.SetDigitalInputs(0xFFFF);
    m_card.SetVoltage(0, 0.0);
    m_card.SetVoltage(1, 0.0);
    m_outputWrites = 0;
    m_card.SetWriteObserver([this](std::uint16_t reg, std::uint16_t) {
        if (reg == kOutputRegister) ++m_outputWrites;
    });
    m_inProcess = std::make_unique<sim::InProcessDriver>();
    m_driver = std::make_unique<ObservedDriver>(*m_inProcess);
    dqx7460::SetDriver(m_driver.get());
}

void TestDlgTest::cleanup() {
    m_dlg.reset();
    qunsetenv("DQX7460_DRIVER_DIR");
    dqx7460::SetDriver(nullptr);
    m_driver.reset();
    m_inProcess.reset();
    m_card.SetWriteObserver(nullptr);
    SetMessageBoxHandler({});
    QDir::setCurrent(m_previousDir);
    m_dir.reset();
}

void TestDlgTest::Open(bool withCard) {
    if (withCard) m_inProcess->AddCard(0, m_card);
    m_dlg = std::make_unique<CTestDlg>();
}

QPushButton* TestDlgTest::Button(ControlId id) const {
    return m_dlg->findChild<QPushButton*>(Name(id));
}

QAction* TestDlgTest::Action(ControlId id) const {
    return m_dlg->findChild<QAction*>(Name(id));
}

QLabel* TestDlgTest::Lamp(ControlId id) const {
    return m_dlg->findChild<QLabel*>(Name(id));
}

QString TestDlgTest::Text(ControlId id) const {
    return m_dlg->findChild<QLineEdit*>(Name(id))->text();
}

QString TestDlgTest::Status(const char* section) const {
    auto* label = m_dlg->findChild<QLabel*>(QLatin1String(section));
    if (qstrcmp(section, "statusNotice") == 0) return label->toolTip();
    return label->isHidden() ? QString() : label->text();
}

std::set<ControlId> TestDlgTest::EnabledButtons() const {
    std::set<ControlId> enabled;
    for (ControlId id : kButtons) {
        if (Button(id)->isEnabled()) enabled.insert(id);
    }
    return enabled;
}

QString TestDlgTest::Cell(int row, int column) const {
    auto* list = m_dlg->findChild<QTableView*>(Name(ControlId::kRecordsList));
    return list->model()->index(row, column).data().toString();
}

void TestDlgTest::ExpectState(const std::set<ControlId>& buttons, const QString& start,
                              const QString& stop) {
    QCOMPARE(EnabledButtons(), buttons);
    QCOMPARE(Button(ControlId::kStart)->text(), start);
    QCOMPARE(Button(ControlId::kStop)->text(), stop);
}

void TestDlgTest::ReopenWithoutCard() {
    m_dlg.reset();
    m_inProcess->RemoveCard(0);
    Open(false);
}

bool TestDlgTest::TickUntil(const std::function<bool()>& done, int maxTicks) {
    for (int i = 0; i < maxTicks; ++i) {
        if (done()) return true;
        m_dlg->SampleTick();
    }
    return done();
}

QStringList TestDlgTest::ArchivesInDataFolder() const {
    QStringList archives = QDir(QString::fromStdString(DataFolderPath()))
                               .entryList({QStringLiteral("*.dat")}, QDir::Files);
    archives.removeAll(QStringLiteral("MyTestSet.dat"));
    return archives;
}

// A live test of three records, saved; returns the archive's path.
QString TestDlgTest::SaveThreeRecordArchive() {
    Open();
    m_card.SetVoltage(0, 1.5);
    m_card.SetVoltage(1, -0.5);
    m_dlg->OnStart();
    for (int i = 0; i < 3; ++i) m_dlg->SampleTick();
    m_dlg->OnStop();
    m_dlg->OnSave();
    const QStringList archives = ArchivesInDataFolder();
    if (archives.size() != 1) return QString();
    return QString::fromStdString(DataFolderPath()) + archives.constFirst();
}

bool TestDlgTest::RunSettings(const std::function<void(QWidget*)>& act) {
    bool seen = false;
    AnswerModal([](QWidget* modal) { return modal->findChild<QLineEdit*>("1050") != nullptr; },
                [&](QWidget* dialog) {
                    seen = true;
                    act(dialog);
                });
    Button(ControlId::kSettings)->click();
    return seen;
}

void TestDlgTest::startWithoutCard() {
    Open(false);
    QCOMPARE(m_boxes.size(), std::size_t{1});
    QCOMPARE(m_boxes[0].second, QStringLiteral("设备信息"));
    QCOMPARE(m_boxes[0].first, QStringLiteral("USB数据采集器未连接,只能<打开>历史文件回放。\n"
                                              "采集测试：请关闭程序，连接设备，重启程序。"));
    QVERIFY(!Action(ControlId::kMenuSettings)->isEnabled());
    QVERIFY(!Action(ControlId::kMenuStart)->isEnabled());
    ExpectState({}, QStringLiteral("开始采集"), QStringLiteral("停止采集"));
    QVERIFY(Action(ControlId::kMenuOpen)->isEnabled());
    QVERIFY(!m_dlg->IsTimerRunning(kSampleTimer));
    QVERIFY(!m_dlg->IsTimerRunning(kPollTimer));
    QVERIFY(!m_dlg->Chart()->IsRefreshing());
    QCOMPARE(Status("statusNotice"), QStringLiteral("未连接采集器：只能打开历史文件回放"));
}

void TestDlgTest::startWithCard() {
    Open();
    QVERIFY(m_boxes.empty());
    QCOMPARE(Status("statusNotice"), QString());
    ExpectState(
        {ControlId::kSettings, ControlId::kStart, ControlId::kClearList, ControlId::kZeroSensors},
        QStringLiteral("开始采集"), QStringLiteral("停止采集"));
    QVERIFY(!Action(ControlId::kMenuOpen)->isEnabled());
    QVERIFY(!Action(ControlId::kMenuSave)->isEnabled());
    QVERIFY(Action(ControlId::kMenuSettings)->isEnabled());
    QVERIFY(Action(ControlId::kMenuStart)->isEnabled());
    QVERIFY(m_dlg->windowTitle().startsWith(QStringLiteral("Orvane/计算机数据采集处理系统 ")));

    auto* list = m_dlg->findChild<QTableView*>(Name(ControlId::kRecordsList));
    QCOMPARE(list->model()->rowCount(), 10000);
    QCOMPARE(list->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("次数"));
    QCOMPARE(list->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("张力N"));
    QCOMPARE(list->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("位移mm"));
    QCOMPARE(Cell(0, 0), QString());
    QCOMPARE(Text(ControlId::kForceStopLimit), QStringLiteral("35.000"));
    QVERIFY(m_dlg->findChild<QCheckBox*>(Name(ControlId::kHighSpeed))->isHidden());
    QCOMPARE(m_dlg->TimerPeriod(kSampleTimer), 50);
    QCOMPARE(m_dlg->TimerPeriod(kPollTimer), 30);
    QVERIFY(m_dlg->IsTimerRunning(kSampleTimer));
    QVERIFY(m_dlg->IsTimerRunning(kPollTimer));
    QCOMPARE(m_dlg->findChild<QWidget*>(Name(ControlId::kChart))->geometry(),
             QRect(10, 327, 586, 269));
}

// As without a card: playback only.
void TestDlgTest::cardInUseByAnotherProgramOffersOnlyPlayback() {
    CardClaim otherProgram;
    QCOMPARE(otherProgram.Claim(), CardClaim::Result::kClaimed);
    Open();
    QCOMPARE(m_boxes.size(), std::size_t{1});
    ExpectState({}, QStringLiteral("开始采集"), QStringLiteral("停止采集"));
    QVERIFY(Action(ControlId::kMenuOpen)->isEnabled());
    QVERIFY(!Action(ControlId::kMenuSettings)->isEnabled());
    QVERIFY(!m_dlg->IsTimerRunning(kSampleTimer));
    QVERIFY(!m_dlg->IsTimerRunning(kPollTimer));
}

void TestDlgTest::liveStateTable() {
    Open();
    QCOMPARE(Status("statusState"), QStringLiteral("空闲"));
    QCOMPARE(Status("statusTime"), QString());
    Button(ControlId::kStart)->click();
    ExpectState({ControlId::kTravelLimit, ControlId::kStop}, QStringLiteral("已开始...."),
                QStringLiteral("停止采集"));
    QCOMPARE(Status("statusState"), QStringLiteral("采集中"));
    m_dlg->SampleTick();
    QVERIFY(Status("statusTime").startsWith(QStringLiteral("测试时间 ")));
    for (ControlId id : {ControlId::kMenuOpen, ControlId::kMenuSave, ControlId::kMenuSettings,
                         ControlId::kMenuStart})
        QVERIFY(!Action(id)->isEnabled());
    QCOMPARE(m_dlg->TimerPeriod(kSampleTimer), m_dlg->SettingsRecord().g_nSamplePeriod);
    QCOMPARE(int(m_dlg->Run().g_bRecording), 1);

    m_dlg->OnStop();
    ExpectState({ControlId::kSettings, ControlId::kStart, ControlId::kClearList, ControlId::kSave,
                 ControlId::kZeroSensors, ControlId::kPrint},
                QStringLiteral("开始采集"), QStringLiteral("已停止...."));
    QVERIFY(!Action(ControlId::kMenuOpen)->isEnabled());
    for (ControlId id : {ControlId::kMenuSave, ControlId::kMenuSettings, ControlId::kMenuStart})
        QVERIFY(Action(id)->isEnabled());
    QCOMPARE(m_dlg->TimerPeriod(kSampleTimer), 50);
    QVERIFY(m_dlg->IsTimerRunning(kPollTimer));
    QCOMPARE(int(m_dlg->Run().g_bRecording), 0);
    QCOMPARE(Status("statusState"), QStringLiteral("已停止"));
    QCOMPARE(Status("statusInterval"), QString());
}

void TestDlgTest::continuedTestListsItsRecordsNewestFirst() {
    Open();
    m_card.SetVoltage(0, 2.0);
    m_dlg->OnStart();
    m_dlg->SampleTick();
    m_dlg->SampleTick();
    m_dlg->OnStop();
    m_dlg->OnStart();
    m_dlg->SampleTick();
    QCOMPARE(m_dlg->Run().g_nRecordCount, 3);
    // Row 0 is the newest record; the rows count down and end at the last record.
    QCOMPARE(Cell(0, 0), QStringLiteral("3"));
    QCOMPARE(Cell(2, 0), QStringLiteral("1"));
    QCOMPARE(Cell(3, 0), QString());
    QCOMPARE(Cell(0, 1), QString::fromStdString(m_dlg->Run().g_strRecord0[3]));
    QCOMPARE(Cell(1, 1), QString::fromStdString(m_dlg->Run().g_strRecord0[2]));
    QCOMPARE(Cell(0, 2), QString::fromStdString(m_dlg->Run().g_strRecord1[3]));
    QCOMPARE(Text(ControlId::kReadout0), QString::fromStdString(m_dlg->Run().g_strReadout0[0]));
    QCOMPARE(Text(ControlId::kRecordCount), QStringLiteral("3"));

    m_dlg->OnStop();
    m_dlg->OnClearList();
    QCOMPARE(Cell(0, 0), QString());
}

// A record is timed when its tick begins to read the card, not when the card has answered,
// so that a slow answer does not shift the record's time.
void TestDlgTest::tickTimesTheRecordBeforeAskingTheCard() {
    Open();
    m_dlg->OnStart();
    m_dlg->SampleTick();
    double firstCall = -1.0;
    m_driver->onCall = [this, &firstCall] {
        if (firstCall < 0.0) firstCall = m_dlg->Run().SecondsSinceTestStart();
    };
    m_dlg->SampleTick();
    m_driver->onCall = nullptr;
    QVERIFY(firstCall >= 0.0);
    QCOMPARE(m_dlg->Run().g_nRecordCount, 2);
    QVERIFY2(m_dlg->Run().g_dRecordTime[2] <= firstCall,
             qPrintable(QStringLiteral("record at %1 s, card asked at %2 s")
                            .arg(m_dlg->Run().g_dRecordTime[2], 0, 'f', 6)
                            .arg(firstCall, 0, 'f', 6)));
}

void TestDlgTest::forcedStopAtTheLimit() {
    Open();
    m_card.SetVoltage(0, 4.0);
    m_dlg->OnStart();
    QVERIFY(TickUntil([this] { return !m_boxes.empty(); }));
    QCOMPARE(m_boxes.size(), std::size_t{1});
    QCOMPARE(m_boxes[0].first, QStringLiteral("安全限制 强行停机"));
    QCOMPARE(m_boxes[0].second, QStringLiteral("安全保护信息"));
    QVERIFY(m_dlg->Run().g_dValue0 >= 35.0);
    QCOMPARE(m_dlg->TimerPeriod(kSampleTimer), kIdleSamplePeriodMs);
    QVERIFY(m_dlg->IsTimerRunning(kSampleTimer));
    QVERIFY(m_dlg->IsTimerRunning(kPollTimer));
    QCOMPARE(int(m_dlg->Run().g_bRecording), 0);
    QVERIFY(!Lamp(ControlId::kForcedStopLamp)->isHidden());
    QCOMPARE(m_card.DigitalOutputs() & 0x01, 0);
    QCOMPARE(m_dlg->DigitalOut() & 0x01, 0);
    QCOMPARE(Status("statusState"), QStringLiteral("已停止"));
    QVERIFY(
        Status("statusNotice").startsWith(QStringLiteral("强行停机：张力达到强制停机限 35 N。")));

    // The clear command releases the outputs and hides the lamps; until the next start the
    // ticks evaluate nothing and write nothing.
    m_dlg->OnClearList();
    QCOMPARE(m_card.DigitalOutputs() & 0xFF, 0xFF);
    QVERIFY(Lamp(ControlId::kForcedStopLamp)->isHidden());
    const int writes = OutputWrites();
    m_dlg->SampleTick();
    QCOMPARE(OutputWrites(), writes);
    QVERIFY(Lamp(ControlId::kForcedStopLamp)->isHidden());
    QCOMPARE(m_boxes.size(), std::size_t{1});
    QCOMPARE(Status("statusNotice"), QString());
    QCOMPARE(Status("statusState"), QStringLiteral("空闲"));

    // A start from the rig while the box is open restarts the ticks, and their interlocks
    // stop the test again; a start after that, with the stop line active and the force
    // still above the limit, is refused and the line stays active.
    m_boxes.clear();
    bool nested = false;
    SetMessageBoxHandler([this, &nested](const QString& text, const QString& caption) {
        m_boxes.emplace_back(text, caption);
        if (nested) return;
        nested = true;
        m_dlg->OnStart();
        m_dlg->SampleTick();
    });
    m_dlg->OnStart();
    m_dlg->SampleTick();
    SetMessageBoxHandler(nullptr);
    QCOMPARE(m_boxes.size(), std::size_t{2});
    QCOMPARE(m_boxes[0].first, QStringLiteral("安全限制 强行停机"));
    QVERIFY(m_boxes[1].first.startsWith(QStringLiteral("强制停机的原因仍在")));
    QCOMPARE(int(m_dlg->Run().g_bRecording), 0);
    QCOMPARE(m_card.DigitalOutputs() & 0x01, 0);
}

void TestDlgTest::readingsAfterAForcedStop() {
    Open();
    m_card.SetVoltage(1, 4.0);
    m_dlg->OnStart();
    m_dlg->SampleTick();
    m_card.SetVoltage(0, 4.0);
    QVERIFY(TickUntil([this] { return !m_boxes.empty(); }));
    // The reading that tripped the stop is shown and counted as the list shows it.
    QVERIFY(m_dlg->Run().g_dValue0 >= 35.0);
    QCOMPARE(Text(ControlId::kReadout0), QString::fromStdString(m_dlg->Run().g_strReadout0[0]));
    QCOMPARE(Text(ControlId::kReadout0), Cell(0, 1));
    QCOMPARE(Text(ControlId::kRecordCount), QString::number(m_dlg->Run().g_nRecordCount));
    QCOMPARE(Cell(0, 0), QString::number(m_dlg->Run().g_nRecordCount));

    // The window's own timer then keeps the readouts on the card, without evaluating the
    // limits again.
    const QString zero0 =
        QString::fromStdString(FormatChannelValue(0, 0.0, m_dlg->SettingsRecord().g_dFullScale0));
    const QString zero1 =
        QString::fromStdString(FormatChannelValue(1, 0.0, m_dlg->SettingsRecord().g_dFullScale1));
    m_card.SetVoltage(0, 0.0);
    m_card.SetVoltage(1, 0.0);
    QTRY_VERIFY_WITH_TIMEOUT(
        Text(ControlId::kReadout0) == zero0 && Text(ControlId::kReadout1) == zero1, 5000);
    QCOMPARE(m_boxes.size(), std::size_t{1});
    QCOMPARE(m_card.DigitalOutputs() & 0x01, 0);
    QVERIFY(!m_dlg->Run().g_bRecording);
}

// The break sequence's end saves the test: the window tells where, and shows its results.
void TestDlgTest::breakRunsTheSequenceAndSaves() {
    Open();
    m_card.SetVoltage(0, 3.2);
    m_dlg->OnStart();
    QVERIFY(TickUntil([this] { return m_dlg->Run().g_dHistory0[501] > 31.9; }));
    m_card.SetVoltage(0, 0.0);
    QVERIFY(TickUntil([this] { return m_dlg->Run().g_bBreakDetected != 0; }));
    QVERIFY(!Lamp(ControlId::kBrokenLamp)->isHidden());
    const QSize windowSize = m_dlg->size();
    QVERIFY(TickUntil([this] { return !m_dlg->Run().g_bRecording; }));
    const int records = m_dlg->Run().g_nRecordCount;
    QCOMPARE(ArchivesInDataFolder().size(), 1);
    const QString base = ArchivesInDataFolder().constFirst().chopped(4);
    QVERIFY(m_boxes.empty());
    // The saved archive's whole path is told; however long, it does not widen the window.
    QCOMPARE(Status("statusNotice"),
             QStringLiteral("已保存：") + QString::fromStdString(DataFolderPath()) + base + ".dat");
    QCOMPARE(m_dlg->size(), windowSize);
    // The results of the saved test show in their window, while the main window samples on.
    CResultsWnd* results = m_dlg->ResultsWindow();
    QVERIFY(results != nullptr && results->isVisible() && !results->isModal());
    QCOMPARE(results->Results().results.count, records);
    QVERIFY(results->Results().results.breakDetected);
    QVERIFY(m_dlg->IsTimerRunning(kSampleTimer));
    QCOMPARE(EnabledButtons(),
             (std::set<ControlId>{ControlId::kSettings, ControlId::kStart, ControlId::kClearList,
                                  ControlId::kSave, ControlId::kZeroSensors, ControlId::kPrint}));
}

void TestDlgTest::refusedTestNameKeepsTheRecords() {
    Open();
    m_dlg->OnStart();
    m_dlg->SampleTick();
    m_dlg->OnStop();
    m_dlg->SettingsRecord().g_strTestName = "a/b";
    m_dlg->OnSave();
    QCOMPARE(m_boxes.size(), std::size_t{1});
    QCOMPARE(m_boxes[0].second, QStringLiteral("文件信息"));
    QVERIFY(ArchivesInDataFolder().isEmpty());
    QCOMPARE(m_dlg->Run().g_nRecordCount, 1);
    QVERIFY(Button(ControlId::kSave)->isEnabled());

    // The advice of the message: another name in 设置, and save again.
    QVERIFY(RunSettings([](QWidget* dialog) {
        dialog->findChild<QLineEdit*>("1073")->setText(QStringLiteral("ok"));
        dialog->findChild<QPushButton*>("1")->click();
    }));
    QCOMPARE(m_dlg->Run().g_nRecordCount, 1);
    QVERIFY(m_dlg->Run().HasUnsavedTest());
    m_boxes.clear();
    m_dlg->OnSave();
    QVERIFY(m_boxes.empty());
    QCOMPARE(ArchivesInDataFolder().size(), 1);
    QVERIFY(ArchivesInDataFolder().constFirst().startsWith(QStringLiteral("ok")));
    QVERIFY(!m_dlg->Run().HasUnsavedTest());
}

void TestDlgTest::playbackStateTable() {
    const QString archive = SaveThreeRecordArchive();
    QVERIFY(!archive.isEmpty());
    const std::string record2 = m_dlg->Run().g_strRecord0[2];
    // The last record's time comes back at full precision, from the CSV's 试验时间.
    const double recordedTime3 = m_dlg->Run().g_dRecordTime[3];
    ReopenWithoutCard();
    m_boxes.clear();
    m_outputWrites = 0;
    m_dlg->SettingsRecord().g_strSamplePeriod = "77";
    m_dlg->OpenArchive(archive);
    QVERIFY(m_boxes.empty());
    QVERIFY(m_dlg->Playback());
    ExpectState({ControlId::kStop}, QStringLiteral("回放中...."), QStringLiteral("停止回放"));
    QCOMPARE(Status("statusState"), QStringLiteral("回放中"));
    QVERIFY(!Text(ControlId::kArchiveName).isEmpty());
    QCOMPARE(Text(ControlId::kPlaybackBanner), QStringLiteral("历史回放"));
    QCOMPARE(m_dlg->TimerPeriod(kSampleTimer), 30);
    QVERIFY(m_dlg->IsTimerRunning(kSampleTimer));
    QVERIFY(!m_dlg->IsTimerRunning(kPollTimer));

    m_dlg->SampleTick();
    m_dlg->SampleTick();
    QCOMPARE(Cell(0, 1), QString::fromStdString(record2));
    m_dlg->OnStop();
    ExpectState({ControlId::kStart, ControlId::kPrint}, QStringLiteral("继续回放"),
                QStringLiteral("已停止...."));
    QVERIFY(Action(ControlId::kMenuOpen)->isEnabled());
    QCOMPARE(m_dlg->TimerPeriod(kSampleTimer), 50);
    QVERIFY(!m_dlg->IsTimerRunning(kPollTimer));

    m_dlg->OnStart();
    ExpectState({ControlId::kStop}, QStringLiteral("已开始...."), QStringLiteral("停止回放"));
    m_dlg->SampleTick();
    QCOMPARE(m_dlg->Run().g_nRecordCount, 3);
    m_dlg->SampleTick();
    QCOMPARE(m_dlg->Run().g_nRecordCount, 3);
    QCOMPARE(Cell(0, 0), QStringLiteral("3"));
    ExpectState({ControlId::kStart, ControlId::kPrint}, QStringLiteral("回放结束"),
                QStringLiteral("已停止...."));
    QCOMPARE(Status("statusState"), QStringLiteral("回放结束"));
    // The end of the playback shows the played test's results; its CSV gave the times.
    QVERIFY(m_dlg->ResultsWindow() != nullptr && m_dlg->ResultsWindow()->isVisible());
    QCOMPARE(m_dlg->ResultsWindow()->Results().results.count, 3);
    QCOMPARE(m_dlg->ResultsWindow()->Results().curve.time[2], recordedTime3);
    QVERIFY(!m_dlg->IsTimerRunning(kPollTimer));
    // Idle ticks after the end read nothing, record nothing and write nothing.
    m_dlg->SampleTick();
    QCOMPARE(m_dlg->Run().g_nRecordCount, 3);
    QCOMPARE(m_outputWrites, 0);
}

void TestDlgTest::settingsCommandReloadsAndRebuildsHeaders() {
    Open();
    m_dlg->SettingsRecord().g_strChannelName0 = ToGbk(QStringLiteral("拉力"));
    std::string error;
    QVERIFY(WriteSettingsFile(m_dlg->SettingsRecord(), &error));
    m_dlg->SettingsRecord().g_strChannelName0 = ToGbk(QStringLiteral("张力"));
    m_dlg->OnStart();
    m_dlg->SampleTick();
    m_dlg->OnStop();

    SetQuestionHandler([](const QString&, const QString&) { return true; });
    QVERIFY(RunSettings([](QWidget* dialog) { dialog->findChild<QPushButton*>("1")->click(); }));
    SetQuestionHandler({});
    auto* list = m_dlg->findChild<QTableView*>(Name(ControlId::kRecordsList));
    QCOMPARE(list->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("拉力N"));
    QCOMPARE(Text(ControlId::kChannelName0), QStringLiteral("拉力"));
    QCOMPARE(m_dlg->Run().g_nRecordCount, 0);
    QCOMPARE(m_dlg->TimerPeriod(kSampleTimer), 50);
    QCOMPARE(m_dlg->TimerPeriod(kPollTimer), 30);
    QVERIFY(m_dlg->IsTimerRunning(kSampleTimer));
    QVERIFY(m_dlg->IsTimerRunning(kPollTimer));
}

// The limit boxes show bare numbers and the lamps bare pictures; their tooltips say what
// each is, in the unit the settings give channel 0, and follow a change of that unit.
void TestDlgTest::limitBoxesAndLampsNameTheirUnit() {
    Open();
    const ControlId limited[] = {ControlId::kForceStopLimit, ControlId::kAlarmHigh,
                                 ControlId::kAlarmLow,       ControlId::kBreakValue,
                                 ControlId::kForcedStopLamp, ControlId::kAlarmHighLamp,
                                 ControlId::kAlarmLowLamp,   ControlId::kBrokenLamp};
    auto tip = [this](ControlId id) { return m_dlg->findChild<QWidget*>(Name(id))->toolTip(); };
    for (ControlId id : limited)
        QVERIFY2(tip(id).contains(QStringLiteral("（N）")), qPrintable(tip(id)));
    QVERIFY(tip(ControlId::kForceStopLimit).contains(QStringLiteral("强行停机")));
    QVERIFY(tip(ControlId::kBreakValue).contains(QStringLiteral("断裂")));
    QVERIFY(!tip(ControlId::kAutoReturnLamp).isEmpty());
    QVERIFY(!tip(ControlId::kAutoStopLamp).isEmpty());

    m_dlg->SettingsRecord().g_strUnit0 = "kN";
    std::string error;
    QVERIFY(WriteSettingsFile(m_dlg->SettingsRecord(), &error));
    m_dlg->SettingsRecord().g_strUnit0 = "N";
    QVERIFY(RunSettings([](QWidget* dialog) { dialog->findChild<QPushButton*>("1")->click(); }));
    QCOMPARE(Text(ControlId::kUnit0), QStringLiteral("kN"));
    for (ControlId id : limited) {
        QVERIFY2(tip(id).contains(QStringLiteral("（kN）")), qPrintable(tip(id)));
        QVERIFY(!tip(id).contains(QStringLiteral("（N）")));
    }
    for (const ControlTip& t : LimitTips(QString()))
        QVERIFY(!t.text.contains(QStringLiteral("（")));
}

// An unsaved test survives the Settings command unless new settings describe its records
// differently and the operator agrees; whatever is not applied leaves the settings in force
// as they were, in memory and in the file.
void TestDlgTest::settingsKeepAnUnsavedTestUnlessTheOperatorAgrees() {
    Open();
    m_dlg->OnStart();
    m_dlg->SampleTick();
    m_dlg->SampleTick();
    m_dlg->OnStop();
    QVERIFY(m_dlg->Run().HasUnsavedTest());

    int questions = 0;
    bool answer = false;
    SetQuestionHandler([&](const QString&, const QString& caption) {
        ++questions;
        return caption == QStringLiteral("参数设置") && answer;
    });
    const struct {
        const char* what;
        int edit;
        const char* text;
        bool ok;
        bool answer;
        bool pressEnter;  // the real box, answered with its default button
        int questions;
        bool applied;
        int records;
    } cases[] = {
        {"cancel", 0, "", false, false, false, 0, false, 2},
        {"OK without a change", 0, "", true, false, false, 0, true, 2},
        {"coefficient 0, refused, then cancel", 1050, "0", true, false, false, 0, false, 2},
        {"new test name", 1073, "Renamed", true, false, false, 0, true, 2},
        {"new tester", 1074, "Someone", true, false, false, 0, true, 2},
        {"new range, not agreed, then cancel", 1048, "60.000", true, false, false, 1, false, 2},
        {"new range, Enter on the question", 1048, "60.000", true, false, true, 0, false, 2},
        {"new range, agreed", 1048, "60.000", true, true, false, 1, true, 0},
    };
    for (const auto& c : cases) {
        const SettingsTexts before = m_dlg->SettingsRecord().Texts();
        const double coefBefore = m_dlg->SettingsRecord().g_dCoef0,
                     rangeBefore = m_dlg->SettingsRecord().g_dRangeHigh0;
        questions = 0;
        answer = c.answer;
        bool enterAnswered = false;
        if (c.pressEnter) SetQuestionHandler({});
        QVERIFY2(RunSettings([&](QWidget* dialog) {
                     if (c.edit != 0)
                         dialog->findChild<QLineEdit*>(QString::number(c.edit))
                             ->setText(QString::fromUtf8(c.text));
                     if (c.pressEnter) {
                         AnswerModal(
                             [](QWidget* modal) { return qobject_cast<QMessageBox*>(modal); },
                             [&](QWidget* box) {
                                 enterAnswered = true;
                                 QTest::keyClick(box, Qt::Key_Return);
                             });
                     }
                     if (c.ok) dialog->findChild<QPushButton*>("1")->click();
                     if (dialog->isVisible()) dialog->findChild<QPushButton*>("2")->click();
                 }),
                 c.what);
        QCOMPARE(enterAnswered, c.pressEnter);
        QCOMPARE(questions, c.questions);
        QCOMPARE(m_dlg->Run().g_nRecordCount, c.records);
        if (c.pressEnter) {
            SetQuestionHandler([&](const QString&, const QString&) { return ++questions, answer; });
        }
        if (!c.applied) {
            QVERIFY2(m_dlg->SettingsRecord().Texts() == before, c.what);
            QCOMPARE(m_dlg->SettingsRecord().g_dCoef0, coefBefore);
            QCOMPARE(m_dlg->SettingsRecord().g_dRangeHigh0, rangeBefore);
        }
        // The file holds what is in force.
        const SettingsTexts inForce = m_dlg->SettingsRecord().Texts();
        QVERIFY(ReloadSettingsFile(m_dlg->SettingsRecord()));
        QVERIFY2(m_dlg->SettingsRecord().Texts() == inForce, c.what);
    }
    QCOMPARE(m_dlg->SettingsRecord().g_dRangeHigh0, 60.0);
    QCOMPARE(m_dlg->SettingsRecord().g_strTestName, std::string("Renamed"));
    SetQuestionHandler({});
}

void TestDlgTest::resultsAndSpecimenCommands() {
    Open();
    m_dlg->OnStart();
    for (int i = 0; i < 5; ++i) m_dlg->SampleTick();
    m_dlg->OnStop();
    QCOMPARE(m_dlg->ResultsWindow(), nullptr);
    // The command is in the file menu and in the records list's context menu.
    auto* list = m_dlg->findChild<QTableView*>(Name(ControlId::kRecordsList));
    QVERIFY(list->actions().contains(Action(ControlId::kMenuResults)));
    Action(ControlId::kMenuResults)->trigger();
    QVERIFY(m_dlg->ResultsWindow()->isVisible());
    QCOMPARE(m_dlg->ResultsWindow()->Results().results.count, 5);

    QString title;
    QTimer::singleShot(0, [&title] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            title = dialog->windowTitle();
            dialog->close();
        }
    });
    Action(ControlId::kMenuSpecimen)->trigger();
    QCOMPARE(title, QStringLiteral("试样参数"));
}

void TestDlgTest::checkBoxesToggleTheirFlags() {
    Open();
    for (const auto& [id, flag] : {std::pair{ControlId::kZoom, &m_dlg->Flags().g_bZoom},
                                   std::pair{ControlId::kShowGrid, &m_dlg->Flags().g_bShowGrid}}) {
        auto* box = m_dlg->findChild<QCheckBox*>(Name(id));
        QCOMPARE(int(box->isChecked()), *flag);
        box->click();
        QCOMPARE(int(box->isChecked()), *flag);
    }
    QCOMPARE(m_dlg->Flags().g_bZoom, 1);
    m_dlg->OnStart();
    QVERIFY(!m_dlg->findChild<QCheckBox*>(Name(ControlId::kHighSpeed))->isEnabled());
}

// The window and the specimen dialog it opens, in the fonts the program gives them.
void TestDlgTest::textsFitTheirRectangles() {
    Open();
    m_dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dlg.get()));
    QCOMPARE(QFontInfo(m_dlg->font()).family(), QStringLiteral("Noto Serif CJK SC"));
    QStringList faults = text_fit::Faults(m_dlg.get());
    bool seen = false;
    AnswerModal(Titled(QStringLiteral("试样参数")), [&](QWidget* dialog) {
        seen = true;
        faults << text_fit::Faults(dialog);
        dialog->close();
    });
    Action(ControlId::kMenuSpecimen)->trigger();
    QVERIFY(seen);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
}

void TestDlgTest::openCommandPicksFromTheDataFolder() {
    const QString archive = SaveThreeRecordArchive();
    QVERIFY(!archive.isEmpty());
    ReopenWithoutCard();

    QTimer::singleShot(0, [] {
        if (auto* picker = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            picker->reject();
        }
    });
    Action(ControlId::kMenuOpen)->trigger();
    QVERIFY(!m_dlg->Playback());

    // The list shows the archive only: not the settings file, not the workbook.
    QString shownFolder;
    QStringList listed;
    const QString archiveName = QFileInfo(archive).fileName();
    auto names = [](QFileDialog* picker) {
        QStringList names;
        auto* view = picker->findChild<QListView*>(QStringLiteral("listView"));
        for (int row = 0; view && row < view->model()->rowCount(view->rootIndex()); ++row)
            names << view->model()->index(row, 0, view->rootIndex()).data().toString();
        return names;
    };
    AnswerModal(
        [&](QWidget* modal) {
            auto* picker = qobject_cast<QFileDialog*>(modal);
            return picker != nullptr && names(picker).contains(archiveName);
        },
        [&](QWidget* modal) {
            auto* picker = qobject_cast<QFileDialog*>(modal);
            shownFolder = picker->directory().absolutePath() + QLatin1Char('/');
            listed = names(picker);
            // The name as the operator types it: the picker joins it to the folder it shows.
            picker->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(archiveName);
            static_cast<QDialog*>(picker)->accept();
        });
    Action(ControlId::kMenuOpen)->trigger();
    QCOMPARE(shownFolder, QString::fromStdString(DataFolderPath()));
    QCOMPARE(listed, QStringList{archiveName});
    QVERIFY(m_dlg->Playback());
    QCOMPARE(int(m_dlg->Run().g_bRecording), 1);
}

void TestDlgTest::settingsFileThatCannotBeMadeKeepsTheDefaults() {
    QString deep = m_dir->path();
    while (deep.toUtf8().size() < 300) deep += QLatin1Char('/') + QString(60, QLatin1Char('d'));
    QVERIFY(QDir().mkpath(deep));
    QVERIFY(QDir::setCurrent(deep));
    AnchorDataFolder();
    Open();
    QCOMPARE(m_boxes.size(), std::size_t{1});
    QCOMPARE(m_boxes[0].second, QStringLiteral("设置错误"));
    QCOMPARE(Text(ControlId::kRatioCaption), QStringLiteral("张力/位移"));
    QVERIFY(m_dlg->IsTimerRunning(kSampleTimer));
}

void TestDlgTest::keysDoNotEndTheProgram_data() {
    QTest::addColumn<bool>("viaCloseBox");
    QTest::newRow("退出") << false;
    QTest::newRow("close box") << true;
}

// 清除列表区 asks only while the records are an unsaved test; No keeps them.
void TestDlgTest::clearButtonAsksForAnUnsavedTest() {
    Open();
    QStringList questions;
    bool answer = false;
    SetQuestionHandler([&](const QString& text, const QString& caption) {
        questions << caption + QLatin1Char('|') + text;
        return answer;
    });
    m_dlg->OnStart();
    m_dlg->SampleTick();
    m_dlg->OnStop();
    Button(ControlId::kClearList)->click();
    QCOMPARE(questions.size(), 1);
    QVERIFY(questions[0].startsWith(QStringLiteral("清除列表区|")));
    QCOMPARE(m_dlg->Run().g_nRecordCount, 1);
    answer = true;
    Button(ControlId::kClearList)->click();
    QCOMPARE(questions.size(), 2);
    QCOMPARE(m_dlg->Run().g_nRecordCount, 0);

    // A saved test, and an empty list, are cleared without a question.
    m_dlg->OnStart();
    m_dlg->SampleTick();
    m_dlg->OnStop();
    m_dlg->OnSave();
    Button(ControlId::kClearList)->click();
    QCOMPARE(m_dlg->Run().g_nRecordCount, 0);
    Button(ControlId::kClearList)->click();
    QCOMPARE(questions.size(), 2);
    SetQuestionHandler(nullptr);
}

// The window runs in exec() as the program runs it: Escape and Enter during a test leave the
// test recording; the program ends only through 退出 or the close box, which stop the test.
void TestDlgTest::keysDoNotEndTheProgram() {
    QFETCH(bool, viaCloseBox);
    Open();
    m_dlg->OnStart();
    m_dlg->SampleTick();
    bool recordingAfterKeys = false;
    bool endedByKey = true;
    // The held test is unsaved: the first answer keeps the program and the test running.
    int questions = 0;
    bool recordingAfterNo = false;
    SetQuestionHandler([&](const QString&, const QString& caption) {
        ++questions;
        return caption == QStringLiteral("退出") && questions > 1;
    });
    QTimer::singleShot(0, m_dlg.get(), [&] {
        for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Enter, Qt::Key_Return}) {
            QWidget* target = QApplication::focusWidget();
            QTest::keyClick(target ? target : m_dlg.get(), key);
        }
        endedByKey = !m_dlg->isVisible();
        recordingAfterKeys = m_dlg->Run().g_bRecording != 0;
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (viaCloseBox) {
                m_dlg->close();
            } else {
                Action(ControlId::kMenuExit)->trigger();
            }
            if (attempt == 0) recordingAfterNo = m_dlg->isVisible() && m_dlg->Run().g_bRecording;
        }
    });
    // A window that ignores both ways out must not hang the test.
    bool stuck = false;
    QTimer::singleShot(10000, m_dlg.get(), [&] {
        stuck = true;
        m_dlg->done(QDialog::Rejected);
    });
    m_dlg->exec();
    QVERIFY(!endedByKey);
    QVERIFY(recordingAfterKeys);
    SetQuestionHandler(nullptr);
    QVERIFY(!stuck);
    QCOMPARE(questions, 2);
    QVERIFY(recordingAfterNo);
    QCOMPARE(int(m_dlg->Run().g_bRecording), 0);
    QCOMPARE(Button(ControlId::kStop)->text(), QStringLiteral("已停止...."));
}

// The window under a comma-decimal locale, as QApplication leaves it for a German operator:
// readouts, the list, the archive and playback keep their points.
void TestDlgTest::aCommaLocaleChangesNoNumber() {
    std::string error;
    QVERIFY2(CommaLocale::Enter(&error), error.c_str());
    struct LeaveAtEnd {
        ~LeaveAtEnd() { CommaLocale::Leave(); }
    } leave;
    Open();
    m_card.SetVoltage(0, 1.537);
    m_card.SetVoltage(1, -0.256);
    m_dlg->OnStart();
    for (int i = 0; i < 3; ++i) m_dlg->SampleTick();
    m_dlg->OnStop();
    for (ControlId id : {ControlId::kReadout0, ControlId::kReadout1, ControlId::kPeak0,
                         ControlId::kPeak1, ControlId::kRatio}) {
        QVERIFY2(Text(id).contains(QLatin1Char('.')) && !Text(id).contains(QLatin1Char(',')),
                 qPrintable(Text(id)));
    }
    QVERIFY2(!Cell(0, 1).contains(QLatin1Char(',')), qPrintable(Cell(0, 1)));
    m_dlg->OnSave();
    QCOMPARE(ArchivesInDataFolder().size(), 1);
    const QString archive =
        QString::fromStdString(DataFolderPath()) + ArchivesInDataFolder().constFirst();
    QFile file(archive);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const QByteArray record1 = bytes.mid(10676 + 20, 20);
    QVERIFY2(record1.contains('.') && !record1.contains(','), record1.constData());

    ReopenWithoutCard();
    m_dlg->OpenArchive(archive);
    m_dlg->SampleTick();
    QVERIFY(std::fabs(m_dlg->Run().g_dValue0 - std::round(m_dlg->Run().g_dValue0)) > 1e-6);
    QCOMPARE(QString::fromStdString(m_dlg->Run().g_strReadout0[0]),
             QString::fromLatin1(record1.left(record1.indexOf('\0'))));
}

// However the preview ends, the main window that main runs with exec() goes on running,
// with the test it holds, as before the preview.
void TestDlgTest::previewEndsWithTheMainWindowRunning() {
    Open();
    m_dlg->OnStart();
    m_dlg->SampleTick();
    m_dlg->SampleTick();
    m_dlg->OnStop();
    const std::set<ControlId> buttons = EnabledButtons();
    enum class End { kCloseTool, kWindowCloseButton, kPrint, kPrintCancelled };
    const struct {
        const char* what;
        End end;
    } cases[] = {{"its 关闭 button", End::kCloseTool},
                 {"the window's close button", End::kWindowCloseButton},
                 {"printing from it", End::kPrint},
                 {"cancelling the print dialog", End::kPrintCancelled}};
    constexpr int kStillRunning = 42;
    for (const auto& c : cases) {
        const QString pdf = m_dir->filePath(QStringLiteral("preview.pdf"));
        QFile::remove(pdf);
        bool previewSeen = false, visibleAfter = false;
        AnswerModal(Titled(QStringLiteral("打印预览")), [&](QWidget* preview) {
            previewSeen = true;
            switch (c.end) {
                case End::kCloseTool:
                    preview->findChild<QAction*>(QStringLiteral("close"))->trigger();
                    break;
                case End::kWindowCloseButton:
                    // The window system's close request, as its close button sends it.
                    preview->windowHandle()->close();
                    break;
                case End::kPrint:
                case End::kPrintCancelled:
                    AnswerModal(
                        [](QWidget* m) { return qobject_cast<QPrintDialog*>(m); },
                        [&](QWidget* dialog) {
                            if (c.end == End::kPrintCancelled) {
                                qobject_cast<QDialog*>(dialog)->reject();
                                return;
                            }
                            dialog->findChild<QLineEdit*>(QStringLiteral("filename"))->setText(pdf);
                            qobject_cast<QDialog*>(dialog)->accept();
                        });
                    preview->findChild<QAction*>(QStringLiteral("print"))->trigger();
                    break;
            }
        });
        // Posted once the command has returned: only a main loop still running takes it.
        QTimer::singleShot(0, m_dlg.get(), [&] {
            Action(ControlId::kMenuPrintPreview)->trigger();
            QTimer::singleShot(0, m_dlg.get(), [&] {
                visibleAfter = m_dlg->isVisible();
                m_dlg->done(kStillRunning);
            });
        });
        QCOMPARE(m_dlg->exec(), kStillRunning);
        QVERIFY2(previewSeen, c.what);
        QVERIFY2(visibleAfter, c.what);
        QCOMPARE(QFile::exists(pdf), c.end == End::kPrint);
        if (c.end == End::kPrint) {
            // The report and the results page, each on a sheet of its own.
            QFile printed(pdf);
            QVERIFY(printed.open(QIODevice::ReadOnly));
            QCOMPARE(printed.readAll().count("/Type /Page\n"), 2);
        }
        QCOMPARE(m_dlg->Run().g_nRecordCount, 2);
        QVERIFY(m_dlg->Run().HasUnsavedTest());
        QCOMPARE(EnabledButtons(), buttons);
        QVERIFY(m_dlg->IsTimerRunning(kPollTimer));
    }
}

QTEST_MAIN(TestDlgTest)
#include "main_dialog_test.moc"
