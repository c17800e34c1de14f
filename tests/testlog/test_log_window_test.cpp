// The window 试验记录 on a real store file: re-indexed from archives in the data folder,
// searched, sorted, a changed archive flagged, a test's results opened from its files.
#include "testlog/test_log_window.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdio>
#include <memory>

#include "../common/english_texts.h"
#include "common/gbk_text.h"
#include "common/message_box.h"
#include "records/archive.h"
#include "records/archive_ini.h"
#include "results/results_window.h"
#include "run/run_state.h"
#include "series/series_window.h"
#include "settings/settings_record.h"
#include "store/results_store.h"
#include "store/shared_store_conf.h"
#include "testlog/test_log_model.h"

// Takes the URLs the desktop would open.
class UrlCatcher : public QObject {
    Q_OBJECT

  public:
    QUrl opened;

  public slots:
    void Open(const QUrl& url) { opened = url; }
};

class TestLogWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        QVERIFY(m_dir.isValid());
        m_folder = m_dir.path().toStdString() + "/";
        SetMessageBoxHandler([this](const QString& text, const QString&) { m_boxes << text; });
    }
    void cleanup() { SetMessageBoxHandler({}); }

    void reindexedTestsAreFoundSortedAndChecked() {
        WriteTest("拉伸A", "Tolvane", {"钢丝 B", 1, ""}, 40);
        WriteTest("拉伸B", "Orrin", {"钢丝 B", 2, "断于标距外"}, 50);
        WriteTest("薄膜", "Tolvane", {}, 60);
        CTestLogWnd window(m_folder);
        window.show();
        QSignalSpy listed(&window, &CTestLogWnd::Listed);
        QTRY_VERIFY_WITH_TIMEOUT(!window.Busy(), 10000);
        QCOMPARE(window.Model()->rowCount(), 0);

        window.Reindex();
        QTRY_VERIFY_WITH_TIMEOUT(!window.Busy() && window.Model()->rowCount() == 3, 20000);
        QCOMPARE(m_boxes, QStringList{QStringLiteral("已登记 3 个试验、0 个系列。")});

        auto* search = window.findChild<QLineEdit*>(QStringLiteral("search"));
        search->setText(QStringLiteral("钢丝"));
        QTRY_VERIFY_WITH_TIMEOUT(!window.Busy() && window.Model()->rowCount() == 2, 10000);
        const TestListing* excluded = nullptr;
        for (int row = 0; row < 2; ++row)
            if (window.Model()->TestAt(row)->specimenId == "钢丝 B-02")
                excluded = window.Model()->TestAt(row);
        QVERIFY(excluded != nullptr);
        QCOMPARE(window.Model()
                     ->data(window.Model()->index(excluded == window.Model()->TestAt(0) ? 0 : 1,
                                                  CTestLogModel::kValidity))
                     .toString(),
                 QStringLiteral("无效：断于标距外"));
        search->setText(QStringLiteral("Tolvane"));
        QTRY_VERIFY_WITH_TIMEOUT(!window.Busy() && window.Model()->rowCount() == 2, 10000);

        // Sorted by test name, one way and back.
        search->clear();
        QTRY_VERIFY_WITH_TIMEOUT(!window.Busy() && window.Model()->rowCount() == 3, 10000);
        auto* table = window.findChild<QTableView*>(QStringLiteral("tests"));
        emit table->horizontalHeader()->sectionClicked(CTestLogModel::kTestName);
        QTRY_VERIFY_WITH_TIMEOUT(!window.Busy(), 10000);
        const QString first = Name(window, 0);
        emit table->horizontalHeader()->sectionClicked(CTestLogModel::kTestName);
        QTRY_VERIFY_WITH_TIMEOUT(!window.Busy() && Name(window, 0) != first, 10000);
        QCOMPARE(Name(window, 2), first);

        // A byte of an archive changed after it was entered: the selection says so.
        int row = 0;
        while (window.Model()->TestAt(row)->testName != "薄膜") ++row;
        const std::string changed = m_folder + window.Model()->TestAt(row)->archiveName;
        {
            QFile file(QString::fromStdString(changed));
            QVERIFY(file.open(QIODevice::ReadWrite));
            file.seek(300000 % kArchiveBytes);
            file.write("x", 1);
        }
        QSignalSpy checked(&window, &CTestLogWnd::SelectionChecked);
        table->selectRow(row);
        QTRY_VERIFY_WITH_TIMEOUT(checked.count() == 1, 10000);
        QVERIFY(window.findChild<QLabel*>(QStringLiteral("selected"))
                    ->text()
                    .contains(QStringLiteral("存档与登记时不符")));

        // Another test opens its results from its files, whatever the window's table showed.
        row = (row + 1) % 3;
        table->selectRow(row);
        QTRY_VERIFY_WITH_TIMEOUT(checked.count() == 2, 10000);
        QVERIFY(!window.findChild<QLabel*>(QStringLiteral("selected"))
                     ->text()
                     .contains(QStringLiteral("不符")));
        window.findChild<QPushButton*>(QStringLiteral("results"))->click();
        QVERIFY(window.ResultsWindow() != nullptr);
        QCOMPARE(window.ResultsWindow()->Results().testName, window.Model()->TestAt(row)->testName);
        QCOMPARE(window.ResultsWindow()->Results().curve.force.size(),
                 std::size_t(window.Model()->TestAt(row)->testName == "拉伸A" ? 40 : 50));
        // Its files' folder goes to the desktop.
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "Open");
        window.findChild<QPushButton*>(QStringLiteral("folder"))->click();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(catcher.opened, QUrl::fromLocalFile(m_dir.path() + QStringLiteral("/")));
        // And its series, the excluded specimen shown but not counted.
        window.findChild<QPushButton*>(QStringLiteral("series"))->click();
        QVERIFY(window.SeriesWindow() != nullptr);
        QCOMPARE(window.SeriesWindow()->Table().specimens.size(), std::size_t(2));
        QCOMPARE(window.SeriesWindow()->Table().statistics.front().n, 1);
    }

    void storeThatIsNotADatabaseIsPutAsideAndSaid() {
        QFile junk(QString::fromStdString(ResultsStorePath(m_folder)));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(8192, 'j'));
        junk.close();
        QStringList notices;
        SetMessageBoxHandler([&notices](const QString& text, const QString&) { notices << text; });
        CTestLogWnd window(m_folder);
        QTRY_VERIFY_WITH_TIMEOUT(!window.Busy(), 10000);
        QCOMPARE(notices.size(), 1);
        QCOMPARE(window.Model()->rowCount(), 0);
        const QStringList aside = QDir(m_dir.path())
                                      .entryList({QStringLiteral("*.corrupt-*")})
                                      .filter(QRegularExpression(QStringLiteral("\\d$")));
        QCOMPARE(aside.size(), 1);
        QCOMPARE(QFileInfo(m_dir.filePath(aside[0])).size(), qint64(8192));
    }

    // The store's messages come in the language chosen, their paths and names as they are:
    // a store that cannot be made, and a shared database's file with a line it refuses.
    void storeMessagesInEnglish() {
        EnglishTexts english;
        const std::string path = m_folder + "无此文件夹/试验记录.sqlite";
        ResultsStore store;
        std::string message;
        QVERIFY(!store.Open(path, &message));
        const QString shown = QString::fromStdString(message);
        QVERIFY2(shown.startsWith(QStringLiteral("The test log ") + QString::fromStdString(path)),
                 qPrintable(shown));
        QVERIFY2(!HasChineseBesides(shown, {QString::fromStdString(path)}), qPrintable(shown));
        SharedStoreConf conf;
        QVERIFY(!ParseSharedStoreConf("host=db\npassword=x\n", "rig", &conf, &message));
        QVERIFY2(message.rfind("Line 2: ", 0) == 0 &&
                     message.find("PGPASSWORD") != std::string::npos &&
                     !HasChineseBesides(QString::fromStdString(message)),
                 message.c_str());
    }

    // In English only the tests' own data (names, operators, series, reasons) stays Chinese.
    void englishShowsOnlyTheTestsData() {
        // A folder of its own: the other cases' tests stay in theirs.
        m_folder = m_dir.path().toStdString() + "/english/";
        QVERIFY(QDir().mkpath(QString::fromStdString(m_folder)));
        WriteTest("拉伸A", "Tolvane", {"钢丝 B", 1, "断于标距外"}, 40);
        EnglishTexts english;
        QVERIFY(english.Count() >= 4);
        CTestLogWnd window(m_folder);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY_WITH_TIMEOUT(!window.Busy(), 10000);
        window.Reindex();
        QTRY_VERIFY_WITH_TIMEOUT(!window.Busy() && window.Model()->rowCount() == 1, 20000);
        QCOMPARE(m_boxes.last(), QStringLiteral("Tests entered: 1; series: 0."));
        const QStringList data = {QStringLiteral("拉伸A"), QStringLiteral("钢丝 B"),
                                  QStringLiteral("断于标距外")};
        QVERIFY(!HasChineseBesides(window.windowTitle()));
        for (QLabel* label : window.findChildren<QLabel*>())
            QVERIFY2(!HasChineseBesides(label->text(), data), qPrintable(label->text()));
        for (QAbstractButton* button : window.findChildren<QAbstractButton*>())
            QVERIFY2(!HasChineseBesides(button->text()), qPrintable(button->text()));
        QVERIFY(!HasChineseBesides(
            window.findChild<QLineEdit*>(QStringLiteral("search"))->placeholderText()));
        const CTestLogModel* model = window.Model();
        for (int c = 0; c < model->columnCount(); ++c) {
            const QString header = model->headerData(c, Qt::Horizontal).toString();
            QVERIFY2(!HasChineseBesides(header), qPrintable(header));
            const QString text = model->data(model->index(0, c)).toString();
            QVERIFY2(!HasChineseBesides(text, data), qPrintable(text));
        }
        QCOMPARE(model->data(model->index(0, CTestLogModel::kValidity)).toString(),
                 QStringLiteral("Invalid: 断于标距外"));
    }

  private:
    static QString Name(const CTestLogWnd& window, int row) {
        return QString::fromStdString(window.Model()->TestAt(row)->testName);
    }

    void WriteTest(const char* name, const char* operatorName, const SeriesMember& member,
                   int records) {
        auto settings = std::make_unique<Settings>();
        auto run = std::make_unique<TestRun>();
        settings->Parse();
        settings->g_strTestName = Utf8ToGbk(name);
        for (int i = 1; i <= records; ++i) {
            char text[32];
            std::snprintf(text, sizeof text, "%07.3f",
                          i < records / 2 ? i * 0.5 : (records - i) * 0.5);
            run->g_strRecord0[i] = text;
            std::snprintf(text, sizeof text, "%07.3f", i * 0.01);
            run->g_strRecord1[i] = text;
        }
        run->g_nRecordCount = records;
        run->g_strStartTime = "2026-12-09-10:00:00";
        run->g_strOperator = operatorName;
        run->g_seriesMember = member;
        const std::string archive = m_folder + name + std::to_string(++m_written) + ".dat";
        std::string error;
        QVERIFY2(WriteArchive(*settings, *run, archive, &error), error.c_str());
        QVERIFY2(WriteTestFile(*run, SpecimenDims{0.05, 50.0}, TestFilePathOf(archive), &error),
                 error.c_str());
    }

    QTemporaryDir m_dir;
    std::string m_folder;
    QStringList m_boxes;
    int m_written = 0;
};

QTEST_MAIN(TestLogWindowTest)
#include "test_log_window_test.moc"
