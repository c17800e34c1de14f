// A series of five specimens run by the main window in exec() on the simulated rig: started
// from its dialog, each specimen pulled to its break and saved, the third marked invalid from
// the menu, 试验记录 listing the series while the last specimen is pulled; the series
// window's statistics against those worked out here from the store's results. The rig sends
// its tests to a shared PostgreSQL server of the test's own, stopped after the second
// specimen and started again after the fourth: the server ends with each test once.
#include <QAction>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>

#include "../common/modal_answer.h"
#include "../shared_store/pg_server.h"
#include "control/control_ids.h"
#include "series/series_window.h"
#include "simulated_rig_case.h"
#include "store/results_store.h"
#include "store/shared_store_sender.h"
#include "testlog/test_log_model.h"
#include "testlog/test_log_window.h"

namespace {

constexpr char kSeries[] = "钢丝 B";
constexpr char kRm[] = "抗拉强度 Rm";

}  // namespace

class SeriesEndToEndTest : public SimulatedRigCase {
    Q_OBJECT

  private slots:
    void init() { SetUpCase(QStringLiteral("/tmp/vlser-XXXXXX")); }
    void cleanup() { TearDownCase(); }
    void fiveSpecimensOneInvalid();

  private:
    void Trigger(ControlId id) {
        m_dlg->findChild<QAction*>(QString::number(Number(id)))->trigger();
    }
};

void SeriesEndToEndTest::fiveSpecimensOneInvalid() {
    PgServer server;
    QVERIFY2(server.Init() && server.Start(), server.Error().c_str());
    {
        std::string error;
        QVERIFY(EnsureDataFolder(&error));
        QFile conf(QString::fromStdString(DataFolderPath()) + QStringLiteral("共享数据库.conf"));
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write(("host=" + server.SocketFolder() + "\ndbname=postgres\nuser=" + PgServer::kUser +
                    "\nrig=拉伸机 1\n")
                       .c_str());
    }
    StartSimulator();
    if (QTest::currentTestFailed()) return;
    HoldRigClock();
    m_dlg = std::make_unique<CTestDlg>();
    m_dlg->show();
    QVERIFY(m_boxes.empty());
    CTestLogWnd* log = nullptr;
    RunInExec([&] {
        bool started = false;
        AnswerModal(Titled(QStringLiteral("新建系列")), [&](QWidget* dialog) {
            dialog->findChild<QLineEdit*>(QStringLiteral("name"))->setText(kSeries);
            dialog->findChild<QLineEdit*>(QStringLiteral("material"))->setText("Q235");
            dialog->findChild<QPushButton*>(QStringLiteral("1"))->click();
            started = true;
        });
        Trigger(ControlId::kMenuSeriesNew);
        QVERIFY(started);
        QVERIFY(m_dlg->Series().active);
        m_dlg->SetSpecimen(SpecimenDims{0.05, 50.0});

        for (int specimen = 1; specimen <= 5 && !QTest::currentTestFailed(); ++specimen) {
            if (specimen > 1) QCOMPARE(RigCommand("new-specimen"), std::string("ok"));
            if (specimen == 5) {
                // The log works during a test: it lists the four saved while the fifth runs.
                Trigger(ControlId::kMenuTestLog);
                log = m_dlg->TestLogWindow();
                QVERIFY(log != nullptr);
            }
            PullSpecimenToBreak([&] { return Archives().size() == specimen; });
            QCOMPARE(m_dlg->Run().g_seriesMember.number, specimen);
            if (specimen == 2) {
                QTRY_VERIFY_WITH_TIMEOUT(m_dlg->Sender()->State().waiting == 0, 60000);
                QVERIFY2(server.Stop(), server.Error().c_str());
            }
            if (specimen == 4) {
                // Saved here all the same, and said to wait for the server.
                QTRY_VERIFY_WITH_TIMEOUT(m_dlg->Sender()->State().waiting >= 2, 60000);
                QVERIFY2(server.Start(), server.Error().c_str());
            }
            if (specimen == 5) {
                QTRY_VERIFY_WITH_TIMEOUT(!log->Busy() && log->Model()->rowCount() >= 4, 20000);
            }
            if (specimen == 3) {
                AnswerModal(Titled(QStringLiteral("标记无效")), [](QWidget* modal) {
                    auto* ask = qobject_cast<QInputDialog*>(modal);
                    ask->setTextValue(QStringLiteral("断于标距外"));
                    ask->accept();
                });
                Trigger(ControlId::kMenuSeriesExclude);
                QCOMPARE(m_dlg->Run().g_seriesMember.excludedReason, std::string("断于标距外"));
            }
        }
        Trigger(ControlId::kMenuSeriesResults);
    });
    if (QTest::currentTestFailed()) return;
    QVERIFY2(m_boxes.empty(), m_boxes.empty() ? "" : qPrintable(m_boxes[0].first));

    ResultsStore store;
    std::string message;
    QVERIFY2(store.Open(ResultsStorePath(DataFolderPath()), &message), message.c_str());
    std::vector<StoredTest> stored;
    QVERIFY2(store.TestsOfSeries(kSeries, &stored, &message), message.c_str());
    QCOMPARE(int(stored.size()), 5);
    std::vector<double> rm;
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(stored[i].specimenNumber, i + 1);
        QCOMPARE(stored[i].excludedReason, std::string(i == 2 ? "断于标距外" : ""));
        for (const StoredResult& result : stored[i].results)
            if (result.name == kRm && result.value && i != 2) rm.push_back(*result.value);
    }
    QCOMPARE(int(rm.size()), 4);
    double mean = 0;
    for (double v : rm) mean += v / 4;
    double squares = 0;
    for (double v : rm) squares += (v - mean) * (v - mean);
    const double deviation = std::sqrt(squares / 3);
    // Student's t for three degrees of freedom, from a printed table.
    const double half = 3.182446305 * deviation / 2;

    CSeriesWnd* window = m_dlg->SeriesWindow();
    QVERIFY(window != nullptr && window->isVisible());
    const SeriesTable& table = window->Table();
    QCOMPARE(int(table.specimens.size()), 5);
    QCOMPARE(table.specimens[2].excludedReason, std::string("断于标距外"));
    std::size_t column = 0;
    while (column < table.columns.size() && table.columns[column].name != kRm) ++column;
    QVERIFY(column < table.columns.size());
    const SampleStatistics& s = table.statistics[column];
    QCOMPARE(s.n, 4);
    QVERIFY(std::fabs(*s.mean - mean) < 1e-9 * mean);
    QVERIFY(std::fabs(*s.deviation - deviation) < 1e-9 * mean);
    QVERIFY(std::fabs(*s.confidenceHigh - (mean + half)) < 1e-6 * mean);
    QVERIFY2(mean > 100 && deviation < mean, qPrintable(QString::number(mean)));

    // Every test once on the server, under this rig, the invalid one marked there too.
    std::string count;
    QTRY_VERIFY_WITH_TIMEOUT(
        server.Exec("SELECT count(*) FROM tests", "postgres", "", &count) && count == "5", 60000);
    QVERIFY(server.Exec("SELECT count(DISTINCT archive) FROM tests WHERE rig = '拉伸机 1'",
                        "postgres", "", &count));
    QCOMPARE(count, std::string("5"));
    QTRY_VERIFY_WITH_TIMEOUT(server.Exec("SELECT excluded_reason FROM tests WHERE "
                                         "specimen_no = 3",
                                         "postgres", "", &count) &&
                                 count == "断于标距外",
                             60000);
}

QTEST_MAIN(SeriesEndToEndTest)
#include "series_e2e_test.moc"
