// What the end-to-end cases share: a private driver folder and working folder for each case,
// the dqx7460-sim process on that folder with its control client, the main window under
// test and the message boxes it showed.
#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/message_box.h"
#include "control_client.h"
#include "run/run_state.h"
#include "settings/data_folder.h"
#include "shell/main_dialog.h"

class SimulatedRigCase : public QObject {
  protected:
    // Instance socket paths must fit 108 bytes, so the driver folder is short and in /tmp.
    void SetUpCase(const QString& driverDirTemplate) {
        m_driverDir = std::make_unique<QTemporaryDir>(driverDirTemplate);
        QVERIFY(m_driverDir->isValid());
        qputenv("DQX7460_DRIVER_DIR", QFile::encodeName(m_driverDir->path()));
        m_workDir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_workDir->isValid());
        m_previousDir = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_workDir->path()));
        AnchorDataFolder();
        m_boxes.clear();
        SetMessageBoxHandler([this](const QString& text, const QString& caption) {
            m_boxes.emplace_back(text, caption);
        });
    }

    void TearDownCase() {
        m_dlg.reset();
        m_rig.Close();
        StopSimulator();
        SetMessageBoxHandler({});
        QDir::setCurrent(m_previousDir);
        qunsetenv("DQX7460_DRIVER_DIR");
        m_workDir.reset();
        m_driverDir.reset();
    }

    void StartSimulator(const QStringList& options = {}) {
        const QString dir = m_driverDir->path();
        m_sim.setProgram(QStringLiteral(DQX7460_SIM_PATH));
        m_sim.setArguments(QStringList{QStringLiteral("--dir"), dir} + options);
        m_sim.setProcessChannelMode(QProcess::ForwardedChannels);
        m_sim.start();
        QVERIFY2(m_sim.waitForStarted(10000), qPrintable(m_sim.errorString()));
        const QString card = dir + QStringLiteral("/EZUSB-0");
        const QString control = dir + QStringLiteral("/dqx7460-sim.ctl");
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(card) && QFileInfo::exists(control), 10000);
        // A simulator killed earlier leaves its sockets behind until the new one replaces them.
        std::string error;
        QTRY_VERIFY2_WITH_TIMEOUT(m_rig.Connect(dir.toStdString(), &error), error.c_str(), 10000);
    }

    void StopSimulator() {
        if (m_sim.state() == QProcess::NotRunning) return;
        m_sim.terminate();
        if (!m_sim.waitForFinished(10000)) {
            m_sim.kill();
            m_sim.waitForFinished(10000);
        }
    }

    std::string RigCommand(const std::string& command) {
        std::string reply;
        if (!m_rig.Send(command, &reply)) return "no reply";
        return reply;
    }

    // The rig's time stands until the case moves it on, so the rig never runs ahead of a
    // program that a busy machine holds up.
    void HoldRigClock() { QCOMPARE(RigCommand("clock hold"), std::string("ok")); }

    // How often the program has read the card's inputs: once per poll.
    long long InputReads() {
        const std::string reply = RigCommand("get-input-reads");
        return reply.rfind("ok ", 0) == 0 ? std::stoll(reply.substr(3)) : -1;
    }

    // Moves the held rig on, then waits for two more polls: the first of them ran wholly on
    // the rig's new state.
    void AdvanceRig(double seconds) {
        QCOMPARE(RigCommand("clock advance " + std::to_string(seconds)), std::string("ok"));
        const long long reads = InputReads();
        QVERIFY(reads >= 0);
        QTRY_VERIFY_WITH_TIMEOUT(InputReads() >= reads + 2, 20000);
    }

    // The rig's start button held until the program records, as an operator holds it until
    // the program answers. On a held clock the input reads low until the clock has moved on
    // by 70 ms, the shortest press.
    void StartRigTest(const std::function<bool()>& recording) {
        QCOMPARE(RigCommand("hold start"), std::string("ok"));
        QTRY_VERIFY_WITH_TIMEOUT(recording(), 20000);
        QCOMPARE(RigCommand("release start"), std::string("ok"));
    }

    // Runs the script inside the window's exec(), as main runs it; a script that never
    // returns ends the case instead of hanging it.
    void RunInExec(const std::function<void()>& script) {
        constexpr int kScriptEnded = 7;
        bool stuck = false;
        QTimer::singleShot(0, m_dlg.get(), [&] {
            script();
            m_dlg->done(kScriptEnded);
        });
        QTimer deadline;
        deadline.setSingleShot(true);
        connect(&deadline, &QTimer::timeout, m_dlg.get(), [&] {
            stuck = true;
            m_dlg->done(QDialog::Rejected);
        });
        deadline.start(240000);
        QCOMPARE(m_dlg->exec(), kScriptEnded);
        QVERIFY(!stuck);
    }

    // On a held rig clock: the start button, then the rig pulled on in steps, each read by
    // the window's ticks, to the break, until the program has stopped and `saved` holds.
    void PullSpecimenToBreak(const std::function<bool()>& saved) {
        const TestRun& run = m_dlg->Run();
        StartRigTest([&run] { return bool(run.g_bRecording); });
        AdvanceRig(0.2);
        QTRY_VERIFY_WITH_TIMEOUT(run.g_nRecordCount > 3, 10000);
        QVERIFY2(run.g_dHistory0[501] < 15.0, qPrintable(QString::number(run.g_dHistory0[501])));
        PullOnToBreak(saved);
    }

    // The recording test pulled on in steps of `seconds` until `reached` holds; the test must
    // not stop before (`reached` may be what stops it).
    void PullUntil(const std::function<bool()>& reached, double seconds = 0.25) {
        const TestRun& run = m_dlg->Run();
        while (!reached() && !QTest::currentTestFailed()) {
            const int records = run.g_nRecordCount;
            AdvanceRig(seconds);
            QTRY_VERIFY_WITH_TIMEOUT(run.g_nRecordCount >= records + 2 || !run.g_bRecording, 20000);
            QVERIFY2(run.g_bRecording || reached(), RigCommand("rig-state").c_str());
        }
    }

    // The recording test pulled on to the break, until the program has stopped and `saved`
    // holds.
    void PullOnToBreak(const std::function<bool()>& saved) {
        const TestRun& run = m_dlg->Run();
        PullUntil([&run] { return bool(run.g_bBreakDetected); });
        QTRY_VERIFY_WITH_TIMEOUT(!run.g_bRecording && saved(), 120000);
        QVERIFY(RigCommand("rig-state").find("specimen=broken") != std::string::npos);
    }

    // The archives saved in the data folder, by name.
    QStringList Archives() const {
        return QDir(QString::fromStdString(DataFolderPath()))
            .entryList({QStringLiteral("*.dat")}, QDir::Files)
            .filter(QRegularExpression(QStringLiteral("^(?!MyTestSet)")));
    }

    std::unique_ptr<QTemporaryDir> m_driverDir;
    std::unique_ptr<QTemporaryDir> m_workDir;
    QString m_previousDir;
    QProcess m_sim;
    sim::ControlClient m_rig;
    std::unique_ptr<CTestDlg> m_dlg;
    std::vector<std::pair<QString, QString>> m_boxes;
};
