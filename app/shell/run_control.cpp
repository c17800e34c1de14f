// Run-control commands of the main window: start, stop, clear, zero, travel limit, save,
// open and settings.
#include <QCheckBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <algorithm>
#include <ctime>

#include "acquisition/card_access.h"
#include "acquisition/high_speed.h"
#include "acquisition/run_state.h"
#include "chart/line_chart.h"
#include "common/message_box.h"
#include "records/archive.h"
#include "records/records_csv.h"
#include "records/test_file.h"
#include "records/workbook.h"
#include "settings/data_folder.h"
#include "settings/settings_dialog.h"
#include "settings/settings_record.h"
#include "settings/specimen_dialog.h"
#include "shell/main_dialog.h"
#include "shell/records_model.h"

namespace {

const QString kFileErrorCaption = QStringLiteral("文件信息");

// The configured sampling period as a timer period; a foreign archive may hold anything.
int RunPeriodMs(const Settings& settings) {
    return std::clamp(settings.g_nSamplePeriod, 1, 10000);
}

// The open picker lists folders and the files that can be archives: "*.dat" of an
// archive's size (not the settings file, whose name matches too).
class ArchivesOnly : public QSortFilterProxyModel {
  public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

  protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (files == nullptr) return true;
        const QFileInfo info = files->fileInfo(files->index(row, 0, parent));
        return info.isDir() || (info.suffix() == QLatin1String("dat") &&
                                info.size() == static_cast<qint64>(kArchiveBytes));
    }
};

std::string LocalTimeText(const char* format) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[64];
    const std::size_t length = std::strftime(text, sizeof text, format, &local);
    return std::string(text, length);
}

}  // namespace

void CTestDlg::OnStart() {
    // After a forced stop the stop line stays active while its cause does: a start held
    // or stuck on the rig, issued again at every poll, would otherwise release the line
    // between two ticks and let the crosshead pull on past the limit.
    const bool stopLineActive = m_bForcedStopHeld && !(m_wDigitalOut & kOutForcedStop);
    if (stopLineActive && !m_bPlayback && ForcedStopConditionNow()) {
        ShowSingleNotice(this, m_safetyNotice,
                         QStringLiteral("强制停机的原因仍在（张力未低于强制停机限或行程限位开关"
                                        "动作），不能开始采集。"),
                         kSafetyCaption);
        return;
    }
    // A test that broke or was saved is finished: the next start begins a new test. A saved
    // one is cleared first; a broken one that is not saved is kept, and the start refused,
    // until the operator saves or clears it. A test stopped by hand and unsaved continues.
    if (!m_bPlayback && !m_run->g_bRecording && m_run->g_nRecordCount > 0 &&
        (m_run->g_bTestSaved || m_run->g_nBreakRecord > 0)) {
        if (!m_run->g_bTestSaved) {
            ShowSingleNotice(this, m_startNotice,
                             QStringLiteral("上一个试样已断裂，其测试数据尚未保存。\n"
                                            "请先保存或清除列表区，再开始新的试验。"),
                             QStringLiteral("采集信息"));
            return;
        }
        OnClearList();
    }
    for (int id : {32774, 32775, 32776, 32777}) EnableMenu(id, false);
    for (int id : {1034, 1064, 1080}) SetEnabled(id, false);
    if (!m_bPlayback) SetEnabled(1033, true);
    SetCaption(1035, QStringLiteral("已开始...."));
    SetEnabled(1035, false);
    SetCaption(1063, m_bPlayback ? QStringLiteral("停止回放") : QStringLiteral("停止采集"));
    SetEnabled(1063, true);
    SetEnabled(1065, false);
    SetEnabled(1036, false);
    if (!m_bPlayback) {
        m_edits[1000]->hide();
        m_edits[1014]->hide();
    }
    m_checks[1079]->setEnabled(false);

    // A new test's first record is read at its own tick, not damped towards older readings.
    if (m_run->g_nRecordCount == 0 && !m_bPlayback) RestartDamping(m_channels);
    m_bForcedStopHeld = false;
    m_run->g_bRecording = 1;
    m_chart->StartRefresh();
    if (!m_run->g_bStartTimeTaken && !m_bPlayback) {
        m_run->g_strStartTime = LocalTimeText("%Y-%m-%d-%H:%M:%S");
        m_run->MarkTestStart();
        m_run->g_bStartTimeTaken = 1;
    }
    SetTimer(kPollTimer, kPollPeriodMs);
    SetTimer(kSampleTimer, RunPeriodMs(m_settings));

    // An engaged switch stays engaged through a start, so the first tick stops the test.
    m_run->g_bTravelLimit = !m_bPlayback && !(g_wDigitalIn & kInTravelLimit);
    if (m_run->g_bTravelLimit) SetCaption(1033, QStringLiteral("行程限位接通"));
    m_run->ResetBreakSequence();
    m_lamps.alarmHigh = m_lamps.alarmLow = m_lamps.broken = false;
    m_lamps.autoReturn = m_lamps.autoStop = false;
    ShowLamps();

    m_wDigitalOut = kIdleOutputWord;
    if (!m_bPlayback) WriteOutputs(m_wDigitalOut);

    m_forcedStop = {};
    m_savedArchive.clear();
    m_nRunFirstRecord = m_run->g_nRecordCount + 1;
    ShowStatus();
}

void CTestDlg::OnStop() {
    if (m_bPlayback) {
        KillTimer(kSampleTimer);
        KillTimer(kPollTimer);
    }
    m_chart->StopRefresh();
    if (g_bHighSpeed) StopHighSpeedCapture();

    if (m_bPlayback) {
        EnableMenu(32774, true);
        SetCaption(1035, m_run->g_bPlaybackEnded ? QStringLiteral("回放结束")
                                                 : QStringLiteral("继续回放"));
        SetEnabled(1035, true);
        SetEnabled(1080, true);
    } else {
        for (int id : {32775, 32776, 32777}) EnableMenu(id, true);
        for (int id : {1034, 1064, 1080}) SetEnabled(id, true);
        SetEnabled(1033, false);
        SetCaption(1035, QStringLiteral("开始采集"));
        SetEnabled(1035, true);
        SetEnabled(1065, true);
        SetEnabled(1036, true);
    }
    SetCaption(1063, QStringLiteral("已停止...."));
    SetEnabled(1063, false);

    m_run->g_bRecording = 0;
    SetTimer(kSampleTimer, kIdleSamplePeriodMs);
    ShowStatus();
}

void CTestDlg::OnClearList() {
    m_dPolledPeak = 0;
    m_run->g_bStartTimeTaken = 0;
    m_run->g_nRecordCount = 0;
    m_run->g_nBreakRecord = 0;
    std::fill(std::begin(m_run->g_dHistory0), std::end(m_run->g_dHistory0), 0.0);
    std::fill(std::begin(m_run->g_dHistory1), std::end(m_run->g_dHistory1), 0.0);
    std::fill(std::begin(m_run->g_dRatioHistory), std::end(m_run->g_dRatioHistory), 0.0);
    if (!m_run->g_bRecording) m_chart->StartRefresh();
    m_records->Refresh();
    if (!m_bPlayback) {
        m_wDigitalOut = kIdleOutputWord;
        WriteOutputs(m_wDigitalOut);
        m_lamps = Lamps{};
        ShowLamps();
    }
    m_forcedStop = {};
    m_savedArchive.clear();
    ShowStatus();
}

void CTestDlg::OnZeroSensors() {
    m_dPolledPeak = 0;
    m_run->g_bZeroRequest0 = m_run->g_bZeroRequest1 = 1;
}

void CTestDlg::OnTravelLimit() {
    if (m_run->g_bTravelLimit) {
        SetCaption(1033, QStringLiteral("行程限位断开"));
        m_run->g_bTravelLimit = 0;
    } else {
        SetCaption(1033, QStringLiteral("行程限位接通"));
        m_run->g_bTravelLimit = 1;
    }
}

void CTestDlg::OnSave() {
    if (m_run->g_nRecordCount == 0) {
        ShowMessageBox(this, QStringLiteral("列表区没有测试数据，没有保存。"), kFileErrorCaption);
        return;
    }
    // The same records saved again would be a second set of files for one test.
    if (m_run->g_bTestSaved && !m_savedArchive.isEmpty()) {
        ShowMessageBox(this, QStringLiteral("该测试数据已保存，没有再存一份：\n") + m_savedArchive,
                       kFileErrorCaption);
        return;
    }
    std::string error;
    if (!SaveTestFiles(std::string(), &error)) {
        ShowMessageBox(this, QString::fromStdString(error), kFileErrorCaption);
        return;
    }
    ShowStatus();
}

bool CTestDlg::SaveTestFiles(const std::string& tagUtf8, std::string* errorUtf8) {
    std::string stampedBase;
    std::string basePath;
    const bool archived = ArchiveBasePath(m_settings.g_strTestName, std::time(nullptr),
                                          &stampedBase, errorUtf8, tagUtf8) &&
                          WriteNewArchive(m_settings, *m_run, stampedBase, &basePath, errorUtf8);
    // The archive is the test; the workbook is a view of it.
    if (!archived) return false;
    m_run->g_bTestSaved = 1;
    if (!ExportSpreadsheet(m_settings, *m_run, m_specimen, basePath + ".xls", errorUtf8) ||
        !WriteRecordsCsv(m_settings, *m_run, m_specimen, basePath + ".csv", errorUtf8) ||
        !WriteTestFile(*m_run, m_specimen, TestFilePathOf(basePath + ".dat"), errorUtf8))
        return false;
    m_savedArchive = QString::fromStdString(basePath + ".dat");
    return true;
}

void CTestDlg::OnOpen() {
    QFileDialog picker(this);
    // Qt's own picker, whose list can be narrowed to the files that are archives.
    picker.setOption(QFileDialog::DontUseNativeDialog);
    picker.setProxyModel(new ArchivesOnly(&picker));
    picker.setAcceptMode(QFileDialog::AcceptOpen);
    picker.setFileMode(QFileDialog::ExistingFile);
    picker.setNameFilter(QStringLiteral("测试存档 (*.dat)"));
    picker.setDirectory(QString::fromStdString(DataFolderPath()));
    picker.selectFile(QStringLiteral("*.dat"));
    if (picker.exec() != QDialog::Accepted || picker.selectedFiles().isEmpty()) return;
    OpenArchive(picker.selectedFiles().constFirst());
}

void CTestDlg::OpenArchive(const QString& path) {
    std::string archiveName;
    std::string error;
    if (!ReadArchive(m_settings, *m_run, path.toStdString(), &archiveName, &error)) {
        ShowMessageBox(this, QString::fromStdString(error), kFileErrorCaption);
        return;
    }
    m_strArchiveName = archiveName;
    m_run->g_bTestSaved = 1;
    // A new playback starts from a quiet rig: nothing of the previous one's lamps, outputs
    // or break sequence carries over.
    m_run->ResetBreakSequence();
    m_lamps = Lamps{};
    ShowLamps();
    m_wDigitalOut = kIdleOutputWord;
    m_settings.Parse();
    SetColumnHeaders();

    SetEnabled(1080, false);
    SetCaption(1035, QStringLiteral("回放中...."));
    SetEnabled(1035, false);
    SetCaption(1063, QStringLiteral("停止回放"));
    SetEnabled(1063, true);
    m_edits[1000]->show();
    m_edits[1014]->show();

    OnClearList();
    // The played test keeps its own start time (or none), never the playback's.
    TakeArchivedTest(*m_run, m_specimen, path.toStdString());
    m_openedArchive = path;
    m_run->g_bStartTimeTaken = 1;
    m_bPlayback = 1;
    m_run->g_bRecording = 1;
    m_run->g_bPlaybackEnded = 0;
    RefreshControls();
    SetTimer(kSampleTimer, RunPeriodMs(m_settings));
    m_chart->StartRefresh();
}

// The records stay unless new settings describe them differently; an unsaved test is
// cleared only when the operator agrees. Cancel puts back the settings in force when the
// command began, whatever a refused OK left in the strings.
void CTestDlg::OnSettings() {
    KillTimer(kPollTimer);
    KillTimer(kSampleTimer);
    const bool chartRefreshing = m_chart->IsRefreshing();
    m_chart->StopRefresh();
    const SettingsTexts inForce = m_settings.Texts();
    std::string refusal;
    ReloadSettingsFile(m_settings, &refusal);
    if (!refusal.empty())
        ShowMessageBox(this, QString::fromStdString(refusal), QStringLiteral("设置错误"));
    bool accepted = false;
    {
        CSettingsDlg dialog(m_settings, this);
        dialog.SetConfirmation([this, &inForce] {
            return !m_run->HasUnsavedTest() ||
                   !DescribesRecordsDifferently(inForce, m_settings.Texts()) ||
                   AskMessageBox(
                       this,
                       QStringLiteral("列表区的测试数据尚未保存，新的参数将清除这些数据。\n"
                                      "是否清除测试数据并保存参数？"),
                       QStringLiteral("参数设置"));
        });
        accepted = dialog.exec() == QDialog::Accepted;
    }
    if (!accepted) m_settings.Restore(inForce);
    m_settings.Parse();
    RefreshControls();
    if (accepted && DescribesRecordsDifferently(inForce, m_settings.Texts())) {
        OnClearList();
    } else if (chartRefreshing) {
        m_chart->StartRefresh();
    }
    SetColumnHeaders();
    m_bForcedStopHeld = false;
    // A lost card is opened again by its own timer, which starts these two.
    if (m_bCardLost) return;
    m_cardWatch.Restart();
    SetTimer(kPollTimer, kPollPeriodMs);
    SetTimer(kSampleTimer, kIdleSamplePeriodMs);
}

// The final cross-section is measured after the test: a saved or played test keeps what
// the dialog now says beside its archive.
void CTestDlg::OnSpecimen() {
    CSpecimenDlg dialog(m_specimen, this);
    if (dialog.exec() != QDialog::Accepted) return;
    const QString archive = m_bPlayback ? m_openedArchive : m_savedArchive;
    std::string error;
    if (!archive.isEmpty() &&
        !WriteTestFile(*m_run, m_specimen, TestFilePathOf(archive.toStdString()), &error))
        ShowMessageBox(this, QString::fromStdString(error), kFileErrorCaption);
}
