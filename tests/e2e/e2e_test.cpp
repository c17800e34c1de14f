// The main job end to end: the dqx7460-sim program serves the card and the rig, the
// velmora-headless program runs a whole test on it, and the main window talks to the
// simulator through its sockets when the simulator dies or comes up late.
#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "../common/modal_answer.h"
#include "common/gbk_text.h"
#include "common/message_box.h"
#include "control/control_ids.h"
#include "records/archive.h"
#include "results/calibration_dialog.h"
#include "results/results_window.h"
#include "run/run_state.h"
#include "settings/data_folder.h"
#include "settings/settings_record.h"
#include "shell/main_dialog.h"
#include "simulated_rig_case.h"

namespace {

// The object name each control of the main window has: its id's number.
QString Name(ControlId id) {
    return QString::number(Number(id));
}

constexpr int kSettingsOffset = 256;
constexpr int kRecordsOffset = kSettingsOffset + int(kSettingsBytes) + 2 * 502 * 10;
constexpr int kRecordSlotBytes = 20;
constexpr int kStoredSlots = 10002;
// Generous for AddressSanitizer builds; a test at half speed takes about 22 s.
constexpr int kHeadlessTimeoutMs = 90000;

// The run's records as the archive stores them: slot 1 up to the first empty slot.
struct StoredRun {
    std::vector<std::string> tension;
    std::vector<std::string> displacement;
};

std::string BlockText(const QByteArray& bytes, int offset, int width) {
    const QByteArray block = bytes.mid(offset, width);
    const int end = block.indexOf('\0');
    return block.left(end < 0 ? width : end).toStdString();
}

StoredRun ReadStoredRun(const QByteArray& archive) {
    StoredRun run;
    for (int slot = 1; slot < kStoredSlots; ++slot) {
        const int at = kRecordsOffset + slot * kRecordSlotBytes;
        std::string tension = BlockText(archive, at, 10);
        if (tension.empty()) break;
        run.tension.push_back(std::move(tension));
        run.displacement.push_back(BlockText(archive, at + 10, 10));
    }
    return run;
}

QByteArray ReadWhole(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The line "<label> <path>" of velmora-headless's output.
QString PrintedPath(const QString& output, const QString& label) {
    for (const QString& line : output.split(QLatin1Char('\n'))) {
        if (line.startsWith(label)) return line.mid(label.size()).trimmed();
    }
    return {};
}

}  // namespace

class EndToEndTest : public SimulatedRigCase {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void headlessRunWritesTheWholeTest();
    void archivePlaysBackWithoutACard();
    void simulatorKilledDuringALiveRunAndStartedAgain();
    void simulatorStartedAfterTheProgram();
    void secondProgramLeavesTheCardToTheFirst();
    void secondSpecimenAfterAnAutomaticSaveIsATestOfItsOwn();
    void savesAndSettingsAsAnOperatorMeetsThem();
    void specimenDataBelongToTheirOwnSpecimen();
    void calibrationRunMeasuresTheLoadTrain();

  private:
    // Runs the window in exec(), as main runs it, with the script in its event loop; the
    // window ends when the script returns, failed or not.
    void OpenWindow();
    QPushButton* Button(ControlId id) const;
    QString Text(ControlId id) const;
    QString Cell(int row, int column) const;
    QStringList ArchivesInDataFolder() const;
    // 试样参数 from the menu, the named fields typed, then OK.
    void TypeSpecimen(const std::vector<std::pair<const char*, QString>>& fields);

    // The headless run's folder and archive, played back by the next case.
    std::unique_ptr<QTemporaryDir> m_runDir;
    QString m_archivePath;
    int m_archiveRecords = 0;
};

void EndToEndTest::init() {
    SetUpCase(QStringLiteral("/tmp/vle2e-XXXXXX"));
}

void EndToEndTest::cleanup() {
    TearDownCase();
}

void EndToEndTest::OpenWindow() {
    m_dlg = std::make_unique<CTestDlg>();
    m_dlg->show();
}

QPushButton* EndToEndTest::Button(ControlId id) const {
    return m_dlg->findChild<QPushButton*>(Name(id));
}

QString EndToEndTest::Text(ControlId id) const {
    return m_dlg->findChild<QLineEdit*>(Name(id))->text();
}

QString EndToEndTest::Cell(int row, int column) const {
    auto* list = m_dlg->findChild<QTableView*>(Name(ControlId::kRecordsList));
    return list->model()->index(row, column).data().toString();
}

QStringList EndToEndTest::ArchivesInDataFolder() const {
    QStringList archives = QDir(QString::fromStdString(DataFolderPath()))
                               .entryList({QStringLiteral("*.dat")}, QDir::Files);
    archives.removeAll(QStringLiteral("MyTestSet.dat"));
    return archives;
}

void EndToEndTest::TypeSpecimen(const std::vector<std::pair<const char*, QString>>& fields) {
    bool typed = false;
    AnswerModal(Titled(QStringLiteral("试样参数")), [&](QWidget* dialog) {
        for (const auto& [name, text] : fields)
            dialog->findChild<QLineEdit*>(QString::fromUtf8(name))->setText(text);
        dialog->findChild<QPushButton*>(QStringLiteral("1"))->click();
        typed = true;
    });
    m_dlg->findChild<QAction*>(Name(ControlId::kMenuSpecimen))->trigger();
    QVERIFY(typed);
}

// The results sheet 结果 of a workbook as xlrd reads it: one "name<TAB>value" line a row.
QString ResultsSheetOf(const QString& path) {
    QProcess python;
    python.start(
        QStringLiteral("/usr/bin/python3"),
        {QStringLiteral("-c"),
         QStringLiteral("import sys, xlrd\n"
                        "sys.stdout.reconfigure(encoding='utf-8')\n"
                        "sheet = xlrd.open_workbook(sys.argv[1]).sheet_by_name('结果')\n"
                        "for r in range(sheet.nrows):\n"
                        "    print('\\t'.join(str(v) for v in sheet.row_values(r)[:2]))\n"),
         path});
    if (!python.waitForFinished(30000) || python.exitCode() != 0) return QString();
    return QString::fromUtf8(python.readAllStandardOutput());
}

void EndToEndTest::headlessRunWritesTheWholeTest() {
    // The rig runs on its own clock here, as it does for an operator: at half speed, a
    // program that a busy machine holds up still sees the start of the pull and its peak.
    StartSimulator({QStringLiteral("--time-scale"), QStringLiteral("0.5")});
    if (QTest::currentTestFailed()) return;

    m_runDir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_runDir->isValid());
    QProcess headless;
    headless.setWorkingDirectory(m_runDir->path());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DQX7460_DRIVER_DIR"), m_driverDir->path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    headless.setProcessEnvironment(environment);
    // The checks read its Chinese texts, whatever the machine's locale.
    headless.start(QStringLiteral(VELMORA_HEADLESS_PATH),
                   {QStringLiteral("--lang"), QStringLiteral("zh")});
    QVERIFY2(headless.waitForStarted(10000), qPrintable(headless.errorString()));
    const bool ended = headless.waitForFinished(kHeadlessTimeoutMs);
    const QString output = QString::fromUtf8(headless.readAllStandardOutput());
    const QString errors = QString::fromUtf8(headless.readAllStandardError());
    if (!ended) headless.kill();
    QVERIFY2(ended, qPrintable(QStringLiteral("velmora-headless did not end:\n") + output));
    QVERIFY2(headless.exitStatus() == QProcess::NormalExit && headless.exitCode() == 0,
             qPrintable(output + errors));
    // The run ended with its return line asserted (00D7); the program's end released it.
    QCOMPARE(RigCommand("get-outputs"), std::string("ok 00ff"));
    StopSimulator();

    const QString dataFolder =
        QDir(m_runDir->path()).canonicalPath() + QStringLiteral("/测试数据存档/");
    const QString archivePath = PrintedPath(output, QStringLiteral("Archive:"));
    QVERIFY2(archivePath.startsWith(dataFolder) && archivePath.endsWith(QStringLiteral(".dat")),
             qPrintable(output));
    const QString base = archivePath.chopped(4);
    QCOMPARE(PrintedPath(output, QStringLiteral("Workbook:")), base + QStringLiteral(".xls"));
    QCOMPARE(PrintedPath(output, QStringLiteral("Report PDF:")), base + QStringLiteral(".pdf"));
    QCOMPARE(PrintedPath(output, QStringLiteral("Screenshot:")), base + QStringLiteral(".png"));

    // The archive: its own path, the settings file's block, the run and empty slots after it.
    const QByteArray archive = ReadWhole(archivePath);
    QCOMPARE(archive.size(), qsizetype(kArchiveBytes));
    const std::string storedPath = Utf8ToGbk(archivePath.toStdString());
    QCOMPARE(archive.left(int(storedPath.size())).toStdString(), storedPath);
    QCOMPARE(archive.at(int(storedPath.size())), '\0');
    const QByteArray settingsFile = ReadWhole(dataFolder + QStringLiteral("MyTestSet.dat"));
    QCOMPARE(settingsFile.size(), qsizetype(kSettingsBytes));
    QCOMPARE(archive.mid(kSettingsOffset, int(kSettingsBytes)), settingsFile);

    const StoredRun run = ReadStoredRun(archive);
    const int records = int(run.tension.size());
    QVERIFY2(records > 50, qPrintable(QString::number(records)));
    QVERIFY2(output.contains(QStringLiteral("Test ended after %1 records").arg(records)),
             qPrintable(output));
    std::vector<double> tension;
    for (const std::string& text : run.tension) tension.push_back(std::atof(text.c_str()));
    const auto peak = std::max_element(tension.begin(), tension.end());
    QVERIFY2(*peak > 30.0 && *peak < 35.0, qPrintable(QString::number(*peak)));
    // Rising from the start, falling after the peak, and broken at the end.
    const auto peakAt = peak - tension.begin();
    QVERIFY(peakAt > records / 4);
    QVERIFY(tension.front() < 10.0);
    QVERIFY(tension.back() < *peak - 30.0);
    // Halfway to the peak's elongation the tension lies well between. Found by elongation, not
    // by record number: a loaded machine samples unevenly.
    std::vector<double> displacement;
    for (const std::string& text : run.displacement)
        displacement.push_back(std::atof(text.c_str()));
    const double halfway = displacement[peakAt] / 2;
    const auto middle = std::min_element(
        displacement.begin(), displacement.begin() + peakAt,
        [halfway](double a, double b) { return std::fabs(a - halfway) < std::fabs(b - halfway); });
    const double middleTension = tension[middle - displacement.begin()];
    QVERIFY2(middleTension > tension.front() + 5.0 && middleTension < *peak - 5.0,
             qPrintable(QString::number(middleTension)));
    // The crosshead pulled to the break at 17.3 mm (the specimen's 16 mm, the load train's
    // 1 mm at 26 N and the grips' 0.3 mm of slack), and the automatic return drove it back.
    const double farthest = *std::max_element(displacement.begin(), displacement.end());
    QVERIFY2(farthest > 15.0 && farthest < 17.5, qPrintable(QString::number(farthest)));
    QVERIFY(displacement.back() < farthest - 1.0);
    const QByteArray afterRun = archive.mid(kRecordsOffset + (records + 1) * kRecordSlotBytes);
    QCOMPARE(afterRun.size(), (kStoredSlots - records - 1) * kRecordSlotBytes);
    QCOMPARE(afterRun.count('\0'), afterRun.size());

    // The workbook holds the same records, row 7 on, as xlrd reads them.
    const QByteArray workbook = ReadWhole(base + QStringLiteral(".xls"));
    QCOMPARE(workbook.left(8), QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import sys, xlrd\n"
                                 "sys.stdout.reconfigure(encoding='utf-8')\n"
                                 "sheet = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)\n"
                                 "for r in range(sheet.nrows):\n"
                                 "    print('\\t'.join(str(v) for v in sheet.row_values(r)))\n"),
                  base + QStringLiteral(".xls")});
    QVERIFY(python.waitForFinished(30000));
    QVERIFY2(python.exitCode() == 0, python.readAllStandardError().constData());
    const QStringList rows = QString::fromUtf8(python.readAllStandardOutput())
                                 .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(rows.size(), 6 + records);
    for (int i = 1; i <= records; ++i) {
        const QString expected = QString::number(i) + QLatin1Char('\t') +
                                 QString::fromStdString(GbkToUtf8(run.tension[i - 1])) +
                                 QLatin1Char('\t') +
                                 QString::fromStdString(GbkToUtf8(run.displacement[i - 1]));
        QCOMPARE(rows[5 + i], expected);
    }

    const QByteArray pdf = ReadWhole(base + QStringLiteral(".pdf"));
    QVERIFY(pdf.startsWith("%PDF"));
    QCOMPARE(pdf.count("/Type /Page\n"), 2);  // the report and its results page

    // The CSV: the same records with their times since the start, which only rise; the
    // run took about 16 s of pulling to the break.
    QCOMPARE(PrintedPath(output, QStringLiteral("Records:")), base + QStringLiteral(".csv"));
    const QByteArray csvBytes = ReadWhole(base + QStringLiteral(".csv"));
    QVERIFY(csvBytes.startsWith("\xEF\xBB\xBF"));
    QStringList csv =
        QString::fromUtf8(csvBytes.mid(3)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    // First the result block, then the records.
    qsizetype header = 0;
    while (header < csv.size() && (csv[header].startsWith(QStringLiteral("结果,")) ||
                                   csv[header].startsWith(QStringLiteral("说明,"))))
        ++header;
    QVERIFY(csv.contains(QStringLiteral("说明,引伸计: 无，以横梁位移计算,,")));
    QVERIFY2(csv[header - 1].startsWith(QStringLiteral("说明,")), qPrintable(csv[header - 1]));
    csv = csv.mid(header);
    QCOMPARE(csv.size(), records + 1);
    QCOMPARE(csv[0], QStringLiteral("次数,时间(s),张力(N),位移(mm)"));
    double lastTime = 0;
    for (int i = 1; i <= records; ++i) {
        const QStringList fields = csv[i].split(QLatin1Char(','));
        QCOMPARE(fields.size(), 4);
        QCOMPARE(fields[0], QString::number(i));
        QVERIFY2(fields[1].toDouble() >= lastTime, qPrintable(csv[i]));
        lastTime = fields[1].toDouble();
        QCOMPARE(fields[2].toDouble(), std::atof(run.tension[i - 1].c_str()));
        QCOMPARE(fields[3].toDouble(), std::atof(run.displacement[i - 1].c_str()));
    }
    QVERIFY2(lastTime > 6 && lastTime < 40, qPrintable(QString::number(lastTime)));
    QVERIFY2(output.contains(QStringLiteral("最大力 %1 N").arg(*peak)), qPrintable(output));
    // The rig's specimen, a thin wire, gives the strengths and strains; Su and Lu measured
    // on the broken wire reach the files after the save.
    QVERIFY2(output.contains(QStringLiteral("Specimen: S0 0.05 mm², L0 100 mm")),
             qPrintable(output));
    const qsizetype rmAt = output.indexOf(QStringLiteral("  抗拉强度 Rm "));
    QVERIFY2(rmAt >= 0, qPrintable(output));
    const double rm = output.mid(rmAt + 10).section(QLatin1Char(' '), 0, 0).toDouble();
    QVERIFY2(std::fabs(rm - *peak / 0.05) < 1.0, qPrintable(output));
    // The strains need only L0; E, Rp and A also need enough records on the elastic line,
    // which a crowded machine may not take.
    for (const char* line : {"  断裂总延伸率 At ", "  最大力总延伸率 Agt "}) {
        const qsizetype at = output.indexOf(QString::fromUtf8(line));
        QVERIFY2(at >= 0, line);
        const QString rest = output.mid(at).section(QLatin1Char('\n'), 0, 0);
        QVERIFY2(!rest.contains(QStringLiteral(" - ")), qPrintable(rest));
    }
    QVERIFY2(output.contains(QStringLiteral("  断面收缩率 Z 40 %")), qPrintable(output));
    QVERIFY2(!output.contains(QStringLiteral("not given")), qPrintable(output));
    QVERIFY(
        csvBytes.startsWith("\xEF\xBB\xBF结果,横截面积 S0,0.05,mm²\r\n结果,标距 L0,100,mm\r\n"
                            "结果,断后最小横截面积 Su,0.03,mm²\r\n"
                            "结果,断后标距 Lu,113.4,mm\r\n"));
    QVERIFY(ReadWhole(base + QStringLiteral(".ini")).contains("\nSu=0.03\nLu=113.4\n"));

    const QImage screenshot(base + QStringLiteral(".png"));
    QVERIFY(!screenshot.isNull());
    OpenWindow();
    QCOMPARE(screenshot.size(), m_dlg->size());

    m_archivePath = archivePath;
    m_archiveRecords = records;
}

void EndToEndTest::archivePlaysBackWithoutACard() {
    if (m_archivePath.isEmpty()) QSKIP("needs the headless run's archive");

    OpenWindow();
    QCOMPARE(m_boxes.size(), std::size_t{1});
    QCOMPARE(m_boxes[0].second, QStringLiteral("设备信息"));
    m_dlg->OpenArchive(m_archivePath);
    QCOMPARE(m_boxes.size(), std::size_t{1});
    QVERIFY(m_dlg->Playback());
    QCOMPARE(Text(ControlId::kArchiveName), m_archivePath);

    // The stored break runs the automatic sequence again, which stops the playback at the
    // record where it stopped the live run; continuing from there reaches the end.
    std::vector<int> stops;
    for (int tick = 0; tick <= m_archiveRecords + 5; ++tick) {
        const QString caption = Button(ControlId::kStart)->text();
        if (caption == QStringLiteral("回放结束")) break;
        if (caption == QStringLiteral("继续回放")) {
            stops.push_back(m_dlg->Run().g_nRecordCount);
            Button(ControlId::kStart)->click();
        }
        m_dlg->SampleTick();
    }
    QCOMPARE(stops, std::vector<int>{m_archiveRecords});
    QCOMPARE(Button(ControlId::kStart)->text(), QStringLiteral("回放结束"));
    QCOMPARE(m_dlg->Run().g_nRecordCount, m_archiveRecords);
    QCOMPARE(Cell(0, 0), QString::number(m_archiveRecords));
    QCOMPARE(Cell(0, 1), QString::fromStdString(m_dlg->Run().g_strRecord0[m_archiveRecords]));
    QVERIFY(ArchivesInDataFolder().isEmpty());
}

void EndToEndTest::simulatorKilledDuringALiveRunAndStartedAgain() {
    StartSimulator();
    if (QTest::currentTestFailed()) return;
    HoldRigClock();
    OpenWindow();
    QVERIFY(m_boxes.empty());
    QVERIFY(m_dlg->TheCard().g_hDevice != nullptr);

    // The rig's start button begins the run; the window's own timers sample it. The rig
    // pulls to the yield (20 N, reached at 3.1 mm of crosshead with the load train's
    // deflection and the grips' slack) and stands there while the window records.
    StartRigTest([this] { return bool(m_dlg->Run().g_bRecording); });
    AdvanceRig(1.8);
    if (QTest::currentTestFailed()) return;
    QTRY_VERIFY_WITH_TIMEOUT(m_dlg->Run().g_bRecording && m_dlg->Run().g_nRecordCount > 5 &&
                                 m_dlg->Run().g_dValue0 > 15.0,
                             20000);

    m_rig.Close();
    m_sim.kill();
    QVERIFY(m_sim.waitForFinished(10000));
    const int records = m_dlg->Run().g_nRecordCount;
    const QString newest = Cell(0, 1);

    // Within about a second the test stops as the stop command stops it, with its records,
    // and the operator is told; the window keeps running meanwhile. The second is counted
    // in the window's own 50 ms ticks: a busy machine that holds the window up holds the
    // count up alike.
    QElapsedTimer clock;
    int windowTicks = 0;
    qint64 lastTick = 0;
    qint64 longestGap = 0;
    QTimer watch;
    connect(&watch, &QTimer::timeout, [&] {
        ++windowTicks;
        longestGap = std::max(longestGap, clock.elapsed() - lastTick);
        lastTick = clock.elapsed();
    });
    clock.start();
    watch.start(50);
    QTRY_VERIFY_WITH_TIMEOUT(m_dlg->CardLost(), 10000);
    QVERIFY2(windowTicks <= 40, qPrintable(QString::number(windowTicks)));
    QCOMPARE(int(m_dlg->Run().g_bRecording), 0);
    QCOMPARE(m_dlg->Run().g_nRecordCount, records);
    QCOMPARE(Cell(0, 0), QString::number(records));
    QCOMPARE(Cell(0, 1), newest);
    QCOMPARE(m_boxes.size(), std::size_t{1});
    QCOMPARE(m_boxes[0].second, QStringLiteral("设备信息"));
    QVERIFY(m_boxes[0].first.startsWith(QStringLiteral("USB数据采集器无应答")));
    auto* notice = m_dlg->findChild<QLabel*>(QStringLiteral("statusNotice"));
    QVERIFY(notice->toolTip().startsWith(QStringLiteral("采集器无应答")));
    QVERIFY(!Button(ControlId::kStart)->isEnabled());
    QVERIFY(Button(ControlId::kSave)->isEnabled());
    QCOMPARE(Button(ControlId::kStop)->text(), QStringLiteral("已停止...."));
    QVERIFY(ArchivesInDataFolder().isEmpty());

    // The attempts to open the card again (the first a second after the loss) never hold
    // the window up: its ticks go on through them. An attempt held for the library's 2 s
    // operation budget would leave a gap of as much.
    const int ticksBefore = windowTicks;
    longestGap = 0;
    QTRY_VERIFY_WITH_TIMEOUT(windowTicks - ticksBefore >= 50, 30000);
    QVERIFY2(longestGap < 1000, qPrintable(QString::number(longestGap)));
    QVERIFY(m_dlg->CardLost());

    // The card comes back: the window drives it again without a restart.
    StartSimulator();
    if (QTest::currentTestFailed()) return;
    HoldRigClock();
    QTRY_VERIFY_WITH_TIMEOUT(!m_dlg->CardLost(), 10000);
    QCOMPARE(m_boxes.size(), std::size_t{2});
    QCOMPARE(m_boxes[1].second, QStringLiteral("设备信息"));
    QVERIFY(m_boxes[1].first.startsWith(QStringLiteral("USB数据采集器已重新连接")));
    QVERIFY(!notice->toolTip().contains(QStringLiteral("采集器无应答")));
    QVERIFY(Button(ControlId::kStart)->isEnabled());
    QVERIFY(m_dlg->IsTimerRunning(kSampleTimer));
    QVERIFY(m_dlg->IsTimerRunning(kPollTimer));
    QTRY_COMPARE_WITH_TIMEOUT(
        RigCommand("get-outputs"),
        QStringLiteral("ok %1").arg(m_dlg->DigitalOut(), 4, 16, QLatin1Char('0')).toStdString(),
        5000);
    // Idle ticks show the new card's readings, and its start button continues the test.
    QTRY_VERIFY_WITH_TIMEOUT(std::fabs(m_dlg->Run().g_dValue0) < 2.0, 5000);
    StartRigTest([this] { return bool(m_dlg->Run().g_bRecording); });
    AdvanceRig(0.1);
    if (QTest::currentTestFailed()) return;
    QTRY_VERIFY_WITH_TIMEOUT(m_dlg->Run().g_bRecording && m_dlg->Run().g_nRecordCount > records + 3,
                             10000);
    QCOMPARE(Cell(0, 0), QString::number(m_dlg->Run().g_nRecordCount));
    m_dlg->OnStop();
    QCOMPARE(m_boxes.size(), std::size_t{2});
}

void EndToEndTest::simulatorStartedAfterTheProgram() {
    OpenWindow();
    QCOMPARE(m_boxes.size(), std::size_t{1});
    QCOMPARE(m_boxes[0].second, QStringLiteral("设备信息"));

    StartSimulator();
    if (QTest::currentTestFailed()) return;
    QCOMPARE(RigCommand("press start"), std::string("ok"));
    QTRY_VERIFY_WITH_TIMEOUT(RigCommand("rig-state").find("motion=pulling") != std::string::npos,
                             5000);

    QVERIFY(m_dlg->TheCard().g_hDevice == nullptr);
    QCOMPARE(int(m_dlg->Run().g_bRecording), 0);
    QVERIFY(m_dlg->findChild<QAction*>(Name(ControlId::kMenuOpen))->isEnabled());
    QVERIFY(!Button(ControlId::kStart)->isEnabled());
    QVERIFY(!m_dlg->IsTimerRunning(kSampleTimer));
    QVERIFY(!m_dlg->IsTimerRunning(kPollTimer));
    QCOMPARE(m_boxes.size(), std::size_t{1});
}

void EndToEndTest::secondProgramLeavesTheCardToTheFirst() {
    StartSimulator({QStringLiteral("--no-rig")});
    if (QTest::currentTestFailed()) return;
    // The first program records a steady 12 N, which holds the low alarm's output active.
    QCOMPARE(RigCommand("set-voltage 0 1.2"), std::string("ok"));
    QCOMPARE(RigCommand("set-inputs ffff"), std::string("ok"));
    OpenWindow();
    QVERIFY(m_boxes.empty());
    Button(ControlId::kStart)->click();
    QTRY_VERIFY_WITH_TIMEOUT(
        m_dlg->Run().g_nRecordCount > 3 && RigCommand("get-outputs") == "ok 00fb", 10000);
    const int recordsBefore = m_dlg->Run().g_nRecordCount;

    // A second program starts on the same card while the first one's test runs.
    QTemporaryDir secondDir;
    QVERIFY(secondDir.isValid());
    QProcess second;
    second.setWorkingDirectory(secondDir.path());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DQX7460_DRIVER_DIR"), m_driverDir->path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    second.setProcessEnvironment(environment);
    second.start(QStringLiteral(VELMORA_HEADLESS_PATH),
                 {QStringLiteral("--lang"), QStringLiteral("zh")});
    QVERIFY2(second.waitForStarted(10000), qPrintable(second.errorString()));
    std::set<std::string> outputs;
    QElapsedTimer clock;
    clock.start();
    while (second.state() != QProcess::NotRunning && clock.elapsed() < kHeadlessTimeoutMs) {
        QCoreApplication::processEvents();
        outputs.insert(RigCommand("get-outputs"));
    }
    QCOMPARE(second.state(), QProcess::NotRunning);
    const QString output = QString::fromUtf8(second.readAllStandardOutput());

    // The second program was told and ran without the card (velmora-headless then gives
    // up: it needs one); the first one's output word never changed and its test went on.
    QVERIFY2(output.contains(QStringLiteral(
                 "[设备信息] USB数据采集器正被另一个程序使用,只能<打开>历史文件回放。")),
             qPrintable(output));
    QCOMPARE(second.exitCode(), 1);
    QCOMPARE(outputs, std::set<std::string>{"ok 00fb"});
    QTRY_VERIFY_WITH_TIMEOUT(m_dlg->Run().g_nRecordCount > recordsBefore + 3, 5000);
    QVERIFY(m_dlg->Run().g_bRecording);
    QCOMPARE(m_dlg->TheCard().g_nLastError, 0);
    QVERIFY(!m_dlg->CardLost());
    QCOMPARE(m_boxes.size(), std::size_t{0});
    m_dlg->OnStop();
}

// The rig's start after a test that broke and was saved begins a new test: the second
// specimen is pulled to its own break and saved as an archive of its own records only.
void EndToEndTest::secondSpecimenAfterAnAutomaticSaveIsATestOfItsOwn() {
    StartSimulator();
    if (QTest::currentTestFailed()) return;
    HoldRigClock();
    OpenWindow();
    QVERIFY(m_boxes.empty());
    const QString folder = QString::fromStdString(DataFolderPath());
    std::vector<int> counts;
    RunInExec([&] {
        for (int specimen = 1; specimen <= 2; ++specimen) {
            if (specimen == 2) QCOMPARE(RigCommand("new-specimen"), std::string("ok"));
            // A new test: its first records are the new specimen's, not the old peak.
            PullSpecimenToBreak([&] { return ArchivesInDataFolder().size() == specimen; });
            counts.push_back(m_dlg->Run().g_nRecordCount);
        }
    });
    if (QTest::currentTestFailed()) return;
    QVERIFY2(m_boxes.empty(), m_boxes.empty() ? "" : qPrintable(m_boxes[0].first));
    QStringList archives = ArchivesInDataFolder();
    QCOMPARE(archives.size(), 2);
    // Names carry the time of saving: sorted, they are in the order of the saves.
    archives.sort();
    for (int i = 0; i < 2; ++i) {
        const StoredRun run = ReadStoredRun(ReadWhole(folder + archives[i]));
        QCOMPARE(int(run.tension.size()), counts[i]);
        std::vector<double> tension;
        for (const std::string& text : run.tension) tension.push_back(std::atof(text.c_str()));
        // Each rises from rest to its own peak and ends broken.
        QVERIFY2(tension.front() < 10.0, qPrintable(QString::number(tension.front())));
        const double peak = *std::max_element(tension.begin(), tension.end());
        QVERIFY2(peak > 30.0, qPrintable(QString::number(peak)));
        QVERIFY(tension.back() < peak - 30.0);
    }
}

// In exec() with the card: 保存 on an empty list saves nothing; the settings with their
// defaults unchanged save without a box; a saved test saved again says where it is.
void EndToEndTest::savesAndSettingsAsAnOperatorMeetsThem() {
    StartSimulator({QStringLiteral("--no-rig")});
    if (QTest::currentTestFailed()) return;
    QCOMPARE(RigCommand("set-voltage 0 0.5"), std::string("ok"));
    QCOMPARE(RigCommand("set-inputs ffff"), std::string("ok"));
    OpenWindow();
    QVERIFY(m_boxes.empty());
    const QString folder = QString::fromStdString(DataFolderPath());
    const QByteArray defaults = ReadWhole(folder + QStringLiteral("MyTestSet.dat"));
    QCOMPARE(defaults.size(), qsizetype(kSettingsBytes));
    bool settingsSeen = false;
    RunInExec([&] {
        // A test recorded, stopped and cleared leaves 保存 enabled over an empty list.
        Button(ControlId::kStart)->click();
        QTRY_VERIFY_WITH_TIMEOUT(m_dlg->Run().g_nRecordCount >= 2, 10000);
        Button(ControlId::kStop)->click();
        SetQuestionHandler([](const QString&, const QString&) { return true; });
        Button(ControlId::kClearList)->click();
        SetQuestionHandler({});
        QCOMPARE(m_dlg->Run().g_nRecordCount, 0);
        QVERIFY(Button(ControlId::kSave)->isEnabled());
        Button(ControlId::kSave)->click();
        m_dlg->findChild<QAction*>(Name(ControlId::kMenuSave))->trigger();
        QCOMPARE(m_boxes.size(), std::size_t{2});
        QCOMPARE(m_boxes[1], m_boxes[0]);
        QCOMPARE(m_boxes[0].first, QStringLiteral("列表区没有测试数据，没有保存。"));
        QVERIFY(ArchivesInDataFolder().isEmpty());
        m_boxes.clear();

        AnswerModal([](QWidget* modal) { return modal->findChild<QLineEdit*>("1050") != nullptr; },
                    [&](QWidget* dialog) {
                        settingsSeen = true;
                        dialog->findChild<QPushButton*>("1")->click();
                    });
        Button(ControlId::kSettings)->click();
        QVERIFY(settingsSeen);
        QVERIFY2(m_boxes.empty(), m_boxes.empty() ? "" : qPrintable(m_boxes[0].first));
        QCOMPARE(ReadWhole(folder + QStringLiteral("MyTestSet.dat")), defaults);

        Button(ControlId::kStart)->click();
        QTRY_VERIFY_WITH_TIMEOUT(m_dlg->Run().g_nRecordCount >= 5, 10000);
        Button(ControlId::kStop)->click();
        Button(ControlId::kSave)->click();
        QVERIFY(m_boxes.empty());
        QCOMPARE(ArchivesInDataFolder().size(), 1);
        Button(ControlId::kSave)->click();
        QCOMPARE(m_boxes.size(), std::size_t{1});
        QVERIFY2(m_boxes[0].first.endsWith(folder + ArchivesInDataFolder().constFirst()),
                 qPrintable(m_boxes[0].first));
        QStringList files = QDir(folder).entryList(QDir::Files);
        // The settings file and one archive with its workbook, CSV and test file, beside
        // the results store that holds the test (and its journal).
        QVERIFY(files.contains(QStringLiteral("试验记录.sqlite")));
        files = files.filter(QRegularExpression(QStringLiteral("^(?!试验记录\\.sqlite)")));
        QCOMPARE(files.size(), 5);
    });
}

// In exec() with the rig: Su typed after the automatic save reaches every file of the saved
// test and the results window, the archive untouched; the next specimen's test starts
// without it, with S0 and L0 carried over and marked so.
void EndToEndTest::specimenDataBelongToTheirOwnSpecimen() {
    StartSimulator();
    if (QTest::currentTestFailed()) return;
    OpenWindow();
    QVERIFY(m_boxes.empty());
    const QString folder = QString::fromStdString(DataFolderPath());
    QString first;
    RunInExec([&] {
        TypeSpecimen({{"S0", QStringLiteral("20")}, {"L0", QStringLiteral("50")}});
        QVERIFY(!m_dlg->Specimen().carriedOver);
        QCOMPARE(RigCommand("press start"), std::string("ok"));
        QTRY_VERIFY_WITH_TIMEOUT(m_dlg->Run().g_bRecording, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!m_dlg->Run().g_bRecording && ArchivesInDataFolder().size() == 1,
                                 120000);
        QVERIFY2(!m_dlg->Specimen().carriedOver, "entered for this specimen");
        first = folder + ArchivesInDataFolder().constFirst();
        const QString base = first.chopped(4);
        const QByteArray archive = ReadWhole(first);
        QVERIFY(ReadWhole(base + QStringLiteral(".csv")).contains("结果,断面收缩率 Z,,%\r\n"));
        QTRY_VERIFY_WITH_TIMEOUT(m_dlg->ResultsWindow() && m_dlg->ResultsWindow()->isVisible(),
                                 10000);

        TypeSpecimen({{"Su", QStringLiteral("12")}});
        QCOMPARE(ReadWhole(first), archive);
        QVERIFY(ReadWhole(base + QStringLiteral(".ini")).contains("\nSu=12\n"));
        const QByteArray csv = ReadWhole(base + QStringLiteral(".csv"));
        QVERIFY(csv.contains("结果,断后最小横截面积 Su,12,mm²\r\n"));
        QVERIFY(csv.contains("结果,断面收缩率 Z,40,%\r\n"));
        const QString sheet = ResultsSheetOf(base + QStringLiteral(".xls"));
        QVERIFY2(sheet.contains(QStringLiteral("断后最小横截面积 Su\t12.0\n")), qPrintable(sheet));
        QVERIFY2(sheet.contains(QStringLiteral("断面收缩率 Z\t40.0\n")), qPrintable(sheet));
        QCOMPARE(m_dlg->ResultsWindow()->Results().specimen.finalArea, std::optional<double>(12));
        // The files agree with the window: nothing is left for 保存 to do.
        m_boxes.clear();
        Button(ControlId::kSave)->click();
        QCOMPARE(m_boxes.size(), std::size_t{1});
        QVERIFY(m_boxes[0].first.startsWith(QStringLiteral("该测试数据已保存")));
        m_boxes.clear();

        QCOMPARE(RigCommand("new-specimen"), std::string("ok"));
        QCOMPARE(RigCommand("press start"), std::string("ok"));
        QTRY_VERIFY_WITH_TIMEOUT(m_dlg->Run().g_bRecording, 10000);
        QVERIFY(!m_dlg->Specimen().finalArea);
        QVERIFY(m_dlg->Specimen().carriedOver);
        QTRY_VERIFY_WITH_TIMEOUT(!m_dlg->Run().g_bRecording && ArchivesInDataFolder().size() == 2,
                                 120000);
    });
    if (QTest::currentTestFailed()) return;
    QStringList archives = ArchivesInDataFolder();
    archives.sort();
    QCOMPARE(folder + archives[0], first);
    const QString second = (folder + archives[1]).chopped(4);
    const QByteArray ini = ReadWhole(second + QStringLiteral(".ini"));
    QVERIFY2(!ini.contains("Su=") && ini.contains("\nS0=20\nL0=50\n"), ini.constData());
    const QByteArray csv = ReadWhole(second + QStringLiteral(".csv"));
    QVERIFY(csv.contains("结果,断后最小横截面积 Su,,mm²\r\n"));
    QVERIFY(csv.contains("结果,断面收缩率 Z,,%\r\n"));
    QVERIFY(csv.contains("结果,抗拉强度 Rm,"));
    QVERIFY(!ReadWhole(folder + QStringLiteral("Specimen.ini")).contains("Su="));
    const QString results = m_dlg->ResultsWindow()->findChild<QLabel*>("breakNote")->text();
    QVERIFY2(results.contains(QStringLiteral("S0、L0 沿用上一试样")), qPrintable(results));
}

// In exec() on the rig's rigid specimen: the crosshead's travel over force is the load
// train's compliance (the simulator's 0.04 mm/N); 加载链柔度标定 measures it from the records
// and 保存 makes it, with its date, the compliance of the tests that follow.
void EndToEndTest::calibrationRunMeasuresTheLoadTrain() {
    StartSimulator({QStringLiteral("--preset"), QStringLiteral("rigid")});
    if (QTest::currentTestFailed()) return;
    HoldRigClock();
    OpenWindow();
    QVERIFY(m_boxes.empty());
    std::optional<ComplianceFit> fit;
    RunInExec([&] {
        const TestRun& run = m_dlg->Run();
        StartRigTest([&run] { return bool(run.g_bRecording); });
        while (run.g_dValue0 < 30 && !QTest::currentTestFailed()) {
            const int records = run.g_nRecordCount;
            AdvanceRig(0.05);
            QTRY_VERIFY_WITH_TIMEOUT(run.g_nRecordCount >= records + 2, 20000);
        }
        Button(ControlId::kStop)->click();
        QVERIFY(!run.g_bRecording);
        AnswerModal(Titled(QStringLiteral("加载链柔度标定")), [&](QWidget* modal) {
            fit = static_cast<CCalibrationDlg*>(modal)->Fit();
            modal->findChild<QPushButton*>(QStringLiteral("1"))->click();
        });
        m_dlg->findChild<QAction*>(Name(ControlId::kMenuCalibration))->trigger();
    });
    if (QTest::currentTestFailed()) return;
    QVERIFY(fit.has_value());
    QVERIFY2(std::fabs(fit->compliance - 0.04) < 0.02 * 0.04,
             qPrintable(QString::number(fit->compliance, 'g', 8)));
    QVERIFY(fit->correlation > 0.999);
    QCOMPARE(m_dlg->Specimen().compliance, std::optional<double>(fit->compliance));
    QVERIFY(!m_dlg->Specimen().complianceDate.empty());
    const QByteArray file = ReadWhole(QString::fromStdString(SpecimenFilePath()));
    QVERIFY2(file.contains("\nC=") && file.contains("\nCDate="), file.constData());
}

QTEST_MAIN(EndToEndTest)
#include "e2e_test.moc"
