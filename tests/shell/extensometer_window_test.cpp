// The extensometer in the main window, on an in-process card: its menu command, its readout
// window beside the main window, the records list's column that comes and goes with the
// records that carry it, and a refused settings file at start-up.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

#include "card.h"
#include "common/message_box.h"
#include "control/control_ids.h"
#include "driver.h"
#include "in_process_driver.h"
#include "run/run_state.h"
#include "settings/data_folder.h"
#include "settings/extensometer_settings.h"
#include "shell/extensometer_readout.h"
#include "shell/main_dialog.h"

class ExtensometerWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_previousDir = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir->path()));
        AnchorDataFolder();
        qputenv("DQX7460_DRIVER_DIR", QFile::encodeName(m_dir->filePath(QStringLiteral("drv"))));
        m_boxes.clear();
        SetMessageBoxHandler([this](const QString& text, const QString& caption) {
            m_boxes.emplace_back(text, caption);
        });
        m_card.SetDigitalInputs(0xFFFF);
        m_card.SetVoltage(2, 1.5);
        m_inProcess = std::make_unique<sim::InProcessDriver>();
        m_inProcess->AddCard(0, m_card);
        dqx7460::SetDriver(m_inProcess.get());
        std::string error;
        QVERIFY(EnsureDataFolder(&error));
    }
    void cleanup() {
        m_dlg.reset();
        dqx7460::SetDriver(nullptr);
        m_inProcess.reset();
        qunsetenv("DQX7460_DRIVER_DIR");
        SetMessageBoxHandler({});
        QDir::setCurrent(m_previousDir);
        m_dir.reset();
    }

    void offTheWindowIsAsItWas() {
        Open();
        QVERIFY(m_boxes.empty());
        QCOMPARE(List()->model()->columnCount(), 3);
        QAction* command = m_dlg->findChild<QAction*>(QString::number(32790));
        QVERIFY(command != nullptr);
        QCOMPARE(command->text(), QStringLiteral("引伸计(&Y)..."));
        QVERIFY(!m_dlg->ExtensometerReadout()->isVisible());
        m_dlg->OnStart();
        QVERIFY(!command->isEnabled());
        for (int i = 0; i < 3; ++i) m_dlg->SampleTick();
        QCOMPARE(List()->model()->columnCount(), 3);
        QVERIFY(!m_dlg->ExtensometerReadout()->isVisible());
        m_dlg->OnStop();
        QVERIFY(command->isEnabled());
    }

    void onItsReadoutAndColumnShowTheReading() {
        ExtensometerSettings on;
        on.enabled = true;
        std::string error;
        QVERIFY(WriteExtensometerFile(on, &error));
        Open();
        QVERIFY(m_dlg->Extensometer().enabled);
        CExtensometerReadout* readout = m_dlg->ExtensometerReadout();
        QTRY_VERIFY_WITH_TIMEOUT(readout->isVisible(), 5000);
        QCOMPARE(readout->windowTitle(), QStringLiteral("引伸计"));
        // Beside the main window, not over it.
        QVERIFY(!readout->frameGeometry().intersects(m_dlg->frameGeometry()));

        m_dlg->OnStart();
        for (int i = 0; i < 3; ++i) m_dlg->SampleTick();
        QCOMPARE(List()->model()->columnCount(), 4);
        QCOMPARE(List()->model()->headerData(3, Qt::Horizontal).toString(),
                 QStringLiteral("引伸计 (mm)"));
        // 1.5 V at 2 mm/V, to a code of the ±5 V range.
        const double shown = List()->model()->index(0, 3).data().toString().toDouble();
        QVERIFY2(std::abs(shown - 3.0) < 0.001, qPrintable(QString::number(shown)));
        const auto* reading = readout->findChild<QLabel*>(QStringLiteral("reading"));
        QVERIFY(std::abs(reading->text().toDouble() - 3.0) < 0.001);
        QVERIFY(readout->findChild<QLabel*>(QStringLiteral("strain"))->text().contains("6.0"));
        QVERIFY(readout->findChild<QLabel*>(QStringLiteral("removed"))->isHidden());

        m_dlg->Run().g_nExtRemovalRecord = m_dlg->Run().g_nRecordCount;
        m_dlg->SampleTick();
        QVERIFY(!readout->findChild<QLabel*>(QStringLiteral("removed"))->isHidden());
        QCOMPARE(readout->findChild<QLabel*>(QStringLiteral("removed"))->text(),
                 QStringLiteral("已取下"));
        QCOMPARE(List()->model()->index(0, 3).data().toString(), QString());

        m_dlg->OnStop();
        m_dlg->OnClearList();
        QCOMPARE(List()->model()->columnCount(), 3);
        on.enabled = false;
        m_dlg->SetExtensometer(on);
        QVERIFY(!readout->isVisible());
    }

    void refusedFileIsToldAndLeavesItOff() {
        QFile file(QString::fromStdString(ExtensometerFilePath()));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Extensometer]\nenabled=1\n");
        file.close();
        Open();
        QVERIFY(!m_dlg->Extensometer().enabled);
        QCOMPARE(m_boxes.size(), std::size_t{1});
        QCOMPARE(m_boxes[0].second, QStringLiteral("引伸计"));
        QVERIFY2(m_boxes[0].first.contains(QStringLiteral(".refused-")),
                 qPrintable(m_boxes[0].first));
        QVERIFY(!file.exists());
    }

    // A played test shows the played record's reading (which the playback puts in the run)
    // in mm over its Le, whatever the settings in force say, and nothing past its removal.
    void playbackShowsThePlayedRecord() {
        auto run = std::make_unique<TestRun>();
        ExtensometerSettings off;
        QVERIFY(!ReadoutFactsOf(off, *run, true).shown);
        run->g_bExtRecorded = 1;
        run->g_dExtGaugeLength = 25;
        run->g_dRecordExt[1] = 0.5;
        run->g_dRecordExt[2] = 1.25;
        run->g_nExtRemovalRecord = 2;
        run->g_nRecordCount = 2;
        run->g_dValueExt = run->ExtReadingOf(2);
        ExtensometerReadoutFacts facts = ReadoutFactsOf(off, *run, true);
        QVERIFY(facts.shown && facts.read && !facts.removed);
        QCOMPARE(facts.reading, std::string("1.2500"));
        QCOMPARE(facts.unit, std::string("mm"));
        QCOMPARE(facts.strain, std::string("5.000"));
        run->g_dRecordExt[3] = std::nan("");
        run->g_nRecordCount = 3;
        run->g_dValueExt = run->ExtReadingOf(3);
        facts = ReadoutFactsOf(off, *run, true);
        QVERIFY(facts.removed && !facts.read);
        // Live, the settings decide and the removal is the run's.
        ExtensometerSettings on;
        on.enabled = true;
        on.unit = "%";
        facts = ReadoutFactsOf(on, *run, false);
        QVERIFY(facts.shown && facts.removed && !facts.read);
        QCOMPARE(facts.unit, std::string("%"));
    }

  private:
    void Open() {
        m_dlg = std::make_unique<CTestDlg>();
        m_dlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dlg.get()));
        m_dlg->RefreshControls();
        m_dlg->KillTimer(kSampleTimer);
        m_dlg->KillTimer(kPollTimer);
    }
    QTableView* List() const {
        return m_dlg->findChild<QTableView*>(QString::number(Number(ControlId::kRecordsList)));
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_previousDir;
    sim::Card m_card{1};
    std::unique_ptr<sim::InProcessDriver> m_inProcess;
    std::unique_ptr<CTestDlg> m_dlg;
    std::vector<std::pair<QString, QString>> m_boxes;
};

// The offscreen platform with one screen wide enough for the readout beside the main window.
int main(int argc, char** argv) {
    QTemporaryDir configDir;
    const QString config = configDir.filePath(QStringLiteral("screen.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) return 1;
    file.write(
        "{\"windowFrameMargins\": true, \"screens\": [{\"name\": \"wide\", \"x\": 0, "
        "\"y\": 0, \"width\": 1600, \"height\": 900, \"logicalDpi\": 96, "
        "\"logicalBaseDpi\": 96, \"dpr\": 1}]}");
    file.close();
    qputenv("QT_QPA_PLATFORM", QFile::encodeName(QStringLiteral("offscreen:configfile=") + config));
    QApplication app(argc, argv);
    ExtensometerWindowTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "extensometer_window_test.moc"
