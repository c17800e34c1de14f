// The interlocks end to end: the dqx7460-sim program serves the card and the rig over its
// sockets, the main window runs by exec() as the program runs it (or the Velmora program
// itself runs), and the rig's own state tells whether its lines were driven as they must be.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <ctime>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "acquisition/card_claim.h"
#include "acquisition/output_ledger.h"
#include "common/message_box.h"
#include "control/control_ids.h"
#include "records/archive.h"
#include "results/results_engine.h"
#include "run/run_state.h"
#include "settings/data_folder.h"
#include "settings/settings_record.h"
#include "shell/main_dialog.h"
#include "simulated_rig_case.h"
#include "store/results_store.h"

namespace {

// The object name each control of the main window has: its id's number.
QString Name(ControlId id) {
    return QString::number(Number(id));
}

constexpr int kRecordsOffset = 256 + int(kSettingsBytes) + 2 * 502 * 10;

// One field of the simulator's rig-state reply ("key=value").
std::string StateField(const std::string& state, const std::string& key) {
    std::istringstream words(state);
    std::string word;
    while (words >> word) {
        if (word.rfind(key + "=", 0) == 0) return word.substr(key.size() + 1);
    }
    return {};
}

unsigned StateOutputs(const std::string& state) {
    return unsigned(std::stoul("0" + StateField(state, "outputs"), nullptr, 16));
}

double StateNumber(const std::string& state, const std::string& key) {
    return std::atof(StateField(state, key).c_str());
}

// The records an archive holds: slot 1 up to the first empty channel 0 text.
int StoredRecords(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return -1;
    const QByteArray bytes = file.readAll();
    int count = 0;
    while (kRecordsOffset + (count + 1) * 20 < bytes.size() &&
           bytes.at(kRecordsOffset + (count + 1) * 20) != '\0')
        ++count;
    return count;
}

// The settings file of the given settings, written into a data folder.
QByteArray SettingsFileBytes(const Settings& settings) {
    std::ostringstream out;
    settings.Save(out);
    return QByteArray::fromStdString(out.str());
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

}  // namespace

class SafetyEndToEndTest : public SimulatedRigCase {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void settingsFileThatFailsTheChecksIsKeptAside();
    void longPeriodForcedStopBetweenTicks();
    void longPeriodBreakBetweenTicks();
    void heldStartNeverReleasesTheForcedStop();
    void terminationStopsTheRigAndSavesTheTest_data();
    void terminationStopsTheRigAndSavesTheTest();
    void restartReleasesOutputsLeftActive();
    void sameNameInOneSecondKeepsBothTests();
    void unreachableForcedStopInTheFileIsRefused();
    void everyWayOutLeavesTheLinesIdle_data();
    void everyWayOutLeavesTheLinesIdle();
    void forcedStopKeepsTheReadingThatTripped();

  private:
    // Makes the main window and runs it by exec() as main does; the scenario runs inside its
    // event loop, then every box is closed and the window ends.
    void ExecWindow(const std::function<void()>& scenario);
    QPushButton* Button(ControlId id) const;
    bool HasBox(const QString& caption, const QString& part) const;
    // The Velmora program in its own working folder, with the simulator's card; returns once
    // it holds the card's lock and its timers run.
    void StartProgram(QProcess& program, const QString& workDir);

    // The settings a case writes into the settings file before the program starts.
    Settings settings;
};

void SafetyEndToEndTest::init() {
    SetUpCase(QStringLiteral("/tmp/vlsafe-XXXXXX"));
    settings = Settings();
}

void SafetyEndToEndTest::cleanup() {
    TearDownCase();
}

void SafetyEndToEndTest::ExecWindow(const std::function<void()>& scenario) {
    m_dlg = std::make_unique<CTestDlg>();
    QTimer::singleShot(0, m_dlg.get(), [this, &scenario] {
        scenario();
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(widget)) box->done(QMessageBox::Ok);
        }
        m_dlg->done(QDialog::Accepted);
    });
    m_dlg->exec();
}

QPushButton* SafetyEndToEndTest::Button(ControlId id) const {
    return m_dlg->findChild<QPushButton*>(Name(id));
}

bool SafetyEndToEndTest::HasBox(const QString& caption, const QString& part) const {
    for (const auto& [text, boxCaption] : m_boxes) {
        if (boxCaption == caption && text.contains(part)) return true;
    }
    return false;
}

void SafetyEndToEndTest::StartProgram(QProcess& program, const QString& workDir) {
    program.setWorkingDirectory(workDir);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DQX7460_DRIVER_DIR"), m_driverDir->path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(QStringLiteral(VELMORA_PATH), {});
    QVERIFY2(program.waitForStarted(10000), qPrintable(program.errorString()));
    // The program claims the card's folder before it opens the card.
    const std::string lock = CardLockPath();
    auto claimed = [&lock] {
        const int fd = open(lock.c_str(), O_RDWR | O_CLOEXEC);
        if (fd < 0) return false;
        const bool held = flock(fd, LOCK_EX | LOCK_NB) != 0;
        close(fd);
        return held;
    };
    QTRY_VERIFY_WITH_TIMEOUT(claimed(), 30000);
    // The first tick's output write makes the ledger: from then on the timers run.
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(QString::fromStdString(OutputLedgerPath())), 30000);
}

// One wrong byte in the input type read 000.000 while the rig pulled a 42 N specimen to
// its break; now the file is refused, kept, and the defaults stop the rig at 35 N.
void SafetyEndToEndTest::settingsFileThatFailsTheChecksIsKeptAside() {
    StartSimulator({QStringLiteral("--preset"), QStringLiteral("strong")});
    if (QTest::currentTestFailed()) return;
    HoldRigClock();
    const QString settingsPath = QString::fromStdString(SettingsFilePath());
    QByteArray refusedBytes = SettingsFileBytes(settings);
    refusedBytes.replace(10, 10, QByteArray("-5V~+5X\0\0\0", 10));
    QVERIFY(WriteFile(settingsPath, refusedBytes));

    ExecWindow([&] {
        QCOMPARE(m_boxes.size(), std::size_t{1});
        QCOMPARE(m_boxes[0].second, QStringLiteral("设置错误"));
        QVERIFY2(m_boxes[0].first.contains(QStringLiteral("输入型号类型")),
                 qPrintable(m_boxes[0].first));
        QVERIFY(m_boxes[0].first.contains(QStringLiteral("-5V~+5X")));
        const QStringList aside =
            QDir(QFileInfo(settingsPath).path())
                .entryList({QStringLiteral("MyTestSet.dat.refused-*")}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        QVERIFY2(m_boxes[0].first.contains(aside[0]), qPrintable(m_boxes[0].first));
        QFile kept(QFileInfo(settingsPath).path() + QLatin1Char('/') + aside[0]);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), refusedBytes);
        settings.SetDefaults();
        QFile remade(settingsPath);
        QVERIFY(remade.open(QIODevice::ReadOnly));
        QCOMPARE(remade.readAll(), SettingsFileBytes(settings));

        const TestRun& run = m_dlg->Run();
        StartRigTest([&run] { return bool(run.g_bRecording); });
        // To 34 N at once (5.5 mm of crosshead, of which the load train's deflection and the
        // grips' slack take 1.7 mm), then on in steps of 0.25 N, each seen by two of the
        // 30 ms ticks.
        AdvanceRig(2.75);
        for (int step = 0; step < 100 && run.g_bRecording && !QTest::currentTestFailed(); ++step) {
            const int records = run.g_nRecordCount;
            AdvanceRig(0.05);
            QTRY_VERIFY_WITH_TIMEOUT(run.g_nRecordCount >= records + 2 || !run.g_bRecording, 20000);
        }
        QTRY_VERIFY_WITH_TIMEOUT((StateOutputs(RigCommand("rig-state")) & 0x01) == 0 &&
                                     StateField(RigCommand("rig-state"), "motion") == "stopped",
                                 20000);
        const std::string state = RigCommand("rig-state");
        QVERIFY2(StateNumber(state, "peak") >= 35.0 && StateNumber(state, "peak") < 36.0,
                 state.c_str());
        QVERIFY2(StateField(state, "specimen") != "broken", state.c_str());
        QVERIFY(HasBox(QStringLiteral("安全保护信息"), QStringLiteral("安全限制 强行停机")));

        // The Settings command reads the file again: one gone bad meanwhile is refused too.
        QByteArray garbage(int(kSettingsBytes), 'x');
        QVERIFY(WriteFile(settingsPath, garbage));
        m_boxes.clear();
        QTimer::singleShot(0, [] {
            if (QWidget* dialog = QApplication::activeModalWidget()) {
                if (auto* settings = qobject_cast<QDialog*>(dialog)) settings->reject();
            }
        });
        m_dlg->findChild<QAction*>(Name(ControlId::kMenuSettings))->trigger();
        QVERIFY(HasBox(QStringLiteral("设置错误"), QStringLiteral("未通过检查")));
        QCOMPARE(QDir(QFileInfo(settingsPath).path())
                     .entryList({QStringLiteral("MyTestSet.dat.refused-*")}, QDir::Files)
                     .size(),
                 2);
        QCOMPARE(m_dlg->SettingsRecord().g_strInputType, std::string("-5V~+5V"));
    });
}

// With a 10 s sampling period the first tick comes after the strong specimen has passed
// 35 N and broken; the polls between the ticks stop it at the limit. The rig moves on in
// steps of 0.25 N, each seen by a whole poll.
void SafetyEndToEndTest::longPeriodForcedStopBetweenTicks() {
    StartSimulator({QStringLiteral("--preset"), QStringLiteral("strong")});
    if (QTest::currentTestFailed()) return;
    HoldRigClock();
    settings.g_strSamplePeriod = "10000";
    QVERIFY(WriteFile(QString::fromStdString(SettingsFilePath()), SettingsFileBytes(settings)));

    ExecWindow([&] {
        QVERIFY(m_boxes.empty());
        const TestRun& run = m_dlg->Run();
        StartRigTest([&run] { return bool(run.g_bRecording); });
        AdvanceRig(2.75);
        for (int step = 0; step < 100 && run.g_bRecording && !QTest::currentTestFailed(); ++step)
            AdvanceRig(0.05);
        QTRY_VERIFY_WITH_TIMEOUT((StateOutputs(RigCommand("rig-state")) & 0x01) == 0 &&
                                     StateField(RigCommand("rig-state"), "motion") == "stopped",
                                 20000);
        const std::string state = RigCommand("rig-state");
        QVERIFY2(StateNumber(state, "peak") >= 35.0 && StateNumber(state, "peak") < 37.0,
                 state.c_str());
        QVERIFY(StateField(state, "specimen") != "broken");
        QCOMPARE(int(m_dlg->Run().g_bRecording), 0);
        QVERIFY(HasBox(QStringLiteral("安全保护信息"), QStringLiteral("安全限制 强行停机")));
    });
}

// With a 10 s sampling period the polls see the peak and then the break, before the first
// tick: the rig pulls to 10 mm of crosshead (31 N), then past its break at 17.3 mm (the
// specimen's 16 mm, the load train's 1 mm at 26 N and the grips' 0.3 mm of slack).
void SafetyEndToEndTest::longPeriodBreakBetweenTicks() {
    StartSimulator();
    if (QTest::currentTestFailed()) return;
    HoldRigClock();
    settings.g_strSamplePeriod = "10000";
    QVERIFY(WriteFile(QString::fromStdString(SettingsFilePath()), SettingsFileBytes(settings)));

    ExecWindow([&] {
        const TestRun& run = m_dlg->Run();
        StartRigTest([&run] { return bool(run.g_bRecording); });
        AdvanceRig(5.0);
        QVERIFY(!run.g_bBreakDetected);
        AdvanceRig(4.0);
        if (QTest::currentTestFailed()) return;
        const std::string state = RigCommand("rig-state");
        QCOMPARE(StateField(state, "specimen"), std::string("broken"));
        // The break's lines (broken, auto-stop) follow within a poll, not at the next tick.
        QVERIFY2((StateOutputs(state) & 0x18) == 0, state.c_str());
        QVERIFY(run.g_bBreakDetected);
        QVERIFY(run.g_nRecordCount <= 1);
    });
}

// A start button stuck low after a forced stop: the stop line stays active while the force
// is above the limit, and one notice tells of it.
void SafetyEndToEndTest::heldStartNeverReleasesTheForcedStop() {
    StartSimulator({QStringLiteral("--no-rig")});
    if (QTest::currentTestFailed()) return;
    QCOMPARE(RigCommand("set-voltage 0 4.0"), std::string("ok"));
    QCOMPARE(RigCommand("set-inputs ffef"), std::string("ok"));
    SetMessageBoxHandler({});

    std::vector<unsigned> outputs;
    int mostBoxes = 0;
    ExecWindow([&] {
        QTimer sampler;
        sampler.setInterval(5);
        connect(&sampler, &QTimer::timeout, [&] {
            if (outputs.size() >= 300) return;
            outputs.push_back(
                unsigned(std::stoul("0" + RigCommand("get-outputs").substr(3), nullptr, 16)));
            int boxes = 0;
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (qobject_cast<QMessageBox*>(widget) && widget->isVisible()) ++boxes;
            }
            mostBoxes = std::max(mostBoxes, boxes);
            // Ends from inside the sampler: boxes that wait in their own loops must close
            // for the scenario to go on.
            if (outputs.size() == 300) {
                RigCommand("set-inputs ffff");
                for (QWidget* widget : QApplication::topLevelWidgets()) {
                    if (auto* box = qobject_cast<QMessageBox*>(widget)) box->done(QMessageBox::Ok);
                }
            }
        });
        sampler.start();
        QTRY_VERIFY_WITH_TIMEOUT(outputs.size() >= 300, 60000);
    });
    std::size_t first = 0;
    while (first < outputs.size() && (outputs[first] & 0x01)) ++first;
    QVERIFY2(first < outputs.size() / 2, "no forced stop");
    for (std::size_t i = first; i < outputs.size(); ++i)
        QVERIFY2(
            (outputs[i] & 0x01) == 0,
            qPrintable(QStringLiteral("released at sample %1: %2").arg(i).arg(outputs[i], 4, 16)));
    QCOMPARE(mostBoxes, 1);
}

void SafetyEndToEndTest::terminationStopsTheRigAndSavesTheTest_data() {
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

// The program ended mid-test: the crosshead halts, the lines are released and the records
// are kept under a name that says why.
void SafetyEndToEndTest::terminationStopsTheRigAndSavesTheTest() {
    QFETCH(int, signalNumber);
    StartSimulator();
    if (QTest::currentTestFailed()) return;
    HoldRigClock();
    QTemporaryDir programDir;
    QVERIFY(programDir.isValid());
    QProcess program;
    StartProgram(program, programDir.path());
    if (QTest::currentTestFailed()) return;
    // The start held until a whole poll of the program has seen it; then to the 20 N yield,
    // 3.1 mm of crosshead with the load train's deflection and the grips' slack.
    QCOMPARE(RigCommand("hold start"), std::string("ok"));
    const long long reads = InputReads();
    QTRY_VERIFY_WITH_TIMEOUT(InputReads() >= reads + 2, 20000);
    QCOMPARE(RigCommand("release start"), std::string("ok"));
    AdvanceRig(1.8);
    QTRY_VERIFY2_WITH_TIMEOUT(StateNumber(RigCommand("rig-state"), "force") > 15.0 &&
                                  (StateOutputs(RigCommand("rig-state")) & 0x04) == 0,
                              RigCommand("rig-state").c_str(), 20000);
    QCOMPARE(StateField(RigCommand("rig-state"), "motion"), std::string("pulling"));

    QCOMPARE(::kill(pid_t(program.processId()), signalNumber), 0);
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 128 + signalNumber);

    const std::string state = RigCommand("rig-state");
    QCOMPARE(StateField(state, "motion"), std::string("stopped"));
    QCOMPARE(StateOutputs(state), 0x00FFu);
    QVERIFY2(StateField(state, "specimen") != "broken", state.c_str());

    const QDir data(programDir.path() + QStringLiteral("/测试数据存档"));
    const QStringList saved = data.entryList({QStringLiteral("*-终止保存.dat")}, QDir::Files);
    QCOMPARE(saved.size(), 1);
    const QString base = data.filePath(saved[0]).chopped(4);
    QCOMPARE(QFileInfo(base + QStringLiteral(".dat")).size(), qint64(kArchiveBytes));
    QVERIFY(StoredRecords(base + QStringLiteral(".dat")) > 0);
    QVERIFY(QFileInfo(base + QStringLiteral(".xls")).size() > 0);
    QVERIFY(QFileInfo(base + QStringLiteral(".csv")).size() > 0);
    QVERIFY(QFileInfo(base + QStringLiteral(".ini")).size() > 0);
    // No temporary file of a save is left; the results store holds the test.
    for (const QString& name : data.entryList(QDir::Files | QDir::Hidden))
        QVERIFY2(name.endsWith(QLatin1String(".dat")) || name.endsWith(QLatin1String(".xls")) ||
                     name.endsWith(QLatin1String(".csv")) || name.endsWith(QLatin1String(".ini")) ||
                     name.startsWith(QStringLiteral("试验记录.sqlite")),
                 qPrintable(name));
    ResultsStore store;
    std::string message;
    QVERIFY2(store.Open(ResultsStorePath(data.path().toStdString() + "/"), &message),
             message.c_str());
    StoredTest entered;
    QVERIFY2(store.ReadTest(saved[0].toStdString(), &entered, &message), message.c_str());
    QCOMPARE(entered.recordCount, StoredRecords(base + QStringLiteral(".dat")));
}

// A program killed while its forced-stop line was active left the card so; the next one
// releases the lines before anything else and says so.
void SafetyEndToEndTest::restartReleasesOutputsLeftActive() {
    StartSimulator({QStringLiteral("--no-rig")});
    if (QTest::currentTestFailed()) return;
    QCOMPARE(RigCommand("set-voltage 0 4.0"), std::string("ok"));
    QTemporaryDir programDir;
    QVERIFY(programDir.isValid());
    QProcess program;
    StartProgram(program, programDir.path());
    if (QTest::currentTestFailed()) return;
    QTRY_COMPARE_WITH_TIMEOUT(RigCommand("get-outputs"), std::string("ok 00f8"), 20000);
    program.kill();
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(RigCommand("get-outputs"), std::string("ok 00f8"));
    QCOMPARE(RigCommand("set-voltage 0 0"), std::string("ok"));

    ExecWindow([&] {
        // Before the window's first tick.
        QCOMPARE(RigCommand("get-outputs"), std::string("ok 00ff"));
        QVERIFY(HasBox(QStringLiteral("设备信息"), QStringLiteral("00F8")));
        QVERIFY(HasBox(QStringLiteral("设备信息"), QStringLiteral("未复位")));
    });
}

// Two tests under one name in the same second: the second save must not replace the first.
void SafetyEndToEndTest::sameNameInOneSecondKeepsBothTests() {
    StartSimulator({QStringLiteral("--no-rig")});
    if (QTest::currentTestFailed()) return;
    QCOMPARE(RigCommand("set-voltage 0 1.2"), std::string("ok"));
    QCOMPARE(RigCommand("set-inputs ffff"), std::string("ok"));

    ExecWindow([&] {
        const QDir data(QString::fromStdString(DataFolderPath()));
        bool sameSecond = false;
        int firstCount = 0;
        int secondCount = 0;
        for (int attempt = 0; attempt < 5 && !sameSecond; ++attempt) {
            for (const QString& name : data.entryList({QStringLiteral("Dranvik*")}, QDir::Files))
                QVERIFY(QFile::remove(data.filePath(name)));
            Button(ControlId::kStart)->click();
            QTRY_VERIFY_WITH_TIMEOUT(m_dlg->Run().g_nRecordCount >= 8, 10000);
            Button(ControlId::kStop)->click();
            firstCount = m_dlg->Run().g_nRecordCount;
            // Early in a second, so that both saves can fall into it.
            QTRY_VERIFY_WITH_TIMEOUT(QDateTime::currentMSecsSinceEpoch() % 1000 < 100, 2000);
            const std::time_t first = std::time(nullptr);
            Button(ControlId::kSave)->click();
            Button(ControlId::kClearList)->click();
            QCOMPARE(m_dlg->Run().g_nRecordCount, 0);
            Button(ControlId::kStart)->click();
            QTRY_VERIFY_WITH_TIMEOUT(m_dlg->Run().g_nRecordCount >= 3, 10000);
            Button(ControlId::kStop)->click();
            secondCount = m_dlg->Run().g_nRecordCount;
            Button(ControlId::kSave)->click();
            sameSecond = std::time(nullptr) == first;
        }
        QVERIFY(sameSecond);
        QVERIFY(m_boxes.empty());
        QStringList archives = data.entryList({QStringLiteral("Dranvik*.dat")}, QDir::Files);
        QCOMPARE(archives.size(), 2);
        archives.sort();
        // "<name><time>-2.dat" sorts before "<name><time>.dat".
        QVERIFY(archives[0].endsWith(QLatin1String("-2.dat")));
        QCOMPARE(StoredRecords(data.filePath(archives[1])), firstCount);
        QCOMPARE(StoredRecords(data.filePath(archives[0])), secondCount);
        QVERIFY(QFileInfo::exists(data.filePath(archives[0].chopped(4) + QStringLiteral(".xls"))));
        QVERIFY(QFileInfo::exists(data.filePath(archives[1].chopped(4) + QStringLiteral(".xls"))));
    });
}

// One byte of the file ("35.000" -> "350000") made a forced stop the +-50 N channel never
// reaches: the strong specimen was pulled past 35 N to its break. Now the file is refused
// and the defaults stop the rig at 35 N.
void SafetyEndToEndTest::unreachableForcedStopInTheFileIsRefused() {
    StartSimulator({QStringLiteral("--preset"), QStringLiteral("strong")});
    if (QTest::currentTestFailed()) return;
    QByteArray bytes = SettingsFileBytes(settings);
    QCOMPARE(bytes.mid(220, 6), QByteArray("35.000"));
    bytes[222] = '0';
    QVERIFY(WriteFile(QString::fromStdString(SettingsFilePath()), bytes));

    ExecWindow([&] {
        QCOMPARE(m_boxes.size(), std::size_t{1});
        QCOMPARE(m_boxes[0].second, QStringLiteral("设置错误"));
        for (const QString& part : {QStringLiteral("强制停机限"), QStringLiteral("350000"),
                                    QStringLiteral("最大只能读到 50 N")})
            QVERIFY2(m_boxes[0].first.contains(part), qPrintable(m_boxes[0].first));
        QCOMPARE(m_dlg->SettingsRecord().g_dForceStopLimit, 35.0);

        QCOMPARE(RigCommand("press start"), std::string("ok"));
        QTRY_VERIFY_WITH_TIMEOUT((StateOutputs(RigCommand("rig-state")) & 0x01) == 0 &&
                                     StateField(RigCommand("rig-state"), "motion") == "stopped",
                                 20000);
        const std::string state = RigCommand("rig-state");
        QVERIFY2(StateNumber(state, "peak") < 38.0, state.c_str());
        QVERIFY2(StateField(state, "specimen") != "broken", state.c_str());
    });
}

void SafetyEndToEndTest::everyWayOutLeavesTheLinesIdle_data() {
    QTest::addColumn<bool>("closeBox");
    QTest::newRow("退出") << false;
    QTest::newRow("close box") << true;
}

// A program ended after a forced stop used to leave the stop and alarm lines on (00F8), and
// the next start warned of a program that had not released them.
void SafetyEndToEndTest::everyWayOutLeavesTheLinesIdle() {
    QFETCH(bool, closeBox);
    StartSimulator({QStringLiteral("--preset"), QStringLiteral("strong")});
    if (QTest::currentTestFailed()) return;
    SetQuestionHandler([](const QString&, const QString&) { return true; });

    bool ended = false;
    ExecWindow([&] {
        QCOMPARE(RigCommand("press start"), std::string("ok"));
        QTRY_VERIFY_WITH_TIMEOUT(RigCommand("get-outputs") == "ok 00f8" &&
                                     StateField(RigCommand("rig-state"), "motion") == "stopped",
                                 20000);
        if (closeBox) {
            m_dlg->close();
        } else {
            m_dlg->findChild<QAction*>(Name(ControlId::kMenuExit))->trigger();
        }
        ended = !m_dlg->isVisible();
    });
    SetQuestionHandler({});
    QVERIFY(ended);
    m_dlg.reset();
    QCOMPARE(RigCommand("get-outputs"), std::string("ok 00ff"));

    m_boxes.clear();
    ExecWindow([&] { QVERIFY(!HasBox(QStringLiteral("设备信息"), QStringLiteral("未复位"))); });
}

// With a 1 s period the polls between the ticks trip the forced stop; the reading that
// tripped is the test's last record, so the stored test and its Fm reach the limit.
void SafetyEndToEndTest::forcedStopKeepsTheReadingThatTripped() {
    StartSimulator();
    if (QTest::currentTestFailed()) return;
    settings.g_strForceStopLimit = "25";
    settings.g_strSamplePeriod = "1000";
    QVERIFY(WriteFile(QString::fromStdString(SettingsFilePath()), SettingsFileBytes(settings)));

    ExecWindow([&] {
        QVERIFY(m_boxes.empty());
        QCOMPARE(RigCommand("press start"), std::string("ok"));
        QTRY_VERIFY_WITH_TIMEOUT(m_dlg->Run().g_bRecording, 5000);
        QTRY_VERIFY_WITH_TIMEOUT((StateOutputs(RigCommand("rig-state")) & 0x01) == 0 &&
                                     StateField(RigCommand("rig-state"), "motion") == "stopped",
                                 20000);
        QVERIFY(HasBox(QStringLiteral("安全保护信息"), QStringLiteral("安全限制 强行停机")));
        const TestRun& run = m_dlg->Run();
        const int last = run.g_nRecordCount;
        QVERIFY(last >= 2);
        const double tripped = std::atof(run.g_strRecord0[last].c_str());
        const std::string state = RigCommand("rig-state");
        QVERIFY2(tripped >= 25.0 && tripped <= StateNumber(state, "peak") + 0.5,
                 qPrintable(QString::fromStdString(run.g_strRecord0[last] + " " + state)));
        for (int i = 1; i < last; ++i) QVERIFY(std::atof(run.g_strRecord0[i].c_str()) <= tripped);
        QVERIFY(run.g_dRecordTime[last] >= run.g_dRecordTime[last - 1]);
        QVERIFY(run.g_dHistory0[kPeakSlot] >= 25.0);
        const ResultSet results =
            ResultsOfCurrentTest(m_dlg->SettingsRecord(), run, m_dlg->Specimen());
        QCOMPARE(results.rows[0].name, std::string("最大力"));
        QVERIFY(results.rows[0].value && *results.rows[0].value >= 25.0);

        // The stored test ends with it as well.
        Button(ControlId::kSave)->click();
        const QStringList archives = QDir(QString::fromStdString(DataFolderPath()))
                                         .entryList({QStringLiteral("Dranvik*.dat")}, QDir::Files);
        QCOMPARE(archives.size(), 1);
        QCOMPARE(StoredRecords(QString::fromStdString(DataFolderPath()) + archives[0]), last);
    });
}

QTEST_MAIN(SafetyEndToEndTest)
#include "safety_e2e_test.moc"
