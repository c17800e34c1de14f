#include "shell/main_controls.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "chart/chart_flags.h"
#include "chart/line_chart.h"
#include "settings/extensometer_dialog.h"
#include "shell/limit_tips.h"
#include "shell/records_model.h"
#include "shell/status_line.h"
#include "shell/window_style.h"

namespace {

constexpr int kClientWidth = 547;  // dialog units
constexpr int kClientHeight = 404;

QString Id(ControlId id) {
    return QString::number(Number(id));
}

struct ControlColours {
    ControlId ids[6];
    QColor text;
    QColor background;
};

// Text and background colours of the readouts and captions.
const ControlColours kColours[] = {
    {{ControlId::kPlaybackBanner, ControlId::kArchiveName},
     QColor(240, 240, 240),
     QColor(150, 150, 150)},
    {{ControlId::kReadout0, ControlId::kReadout1, ControlId::kPeak0, ControlId::kPeak1},
     QColor(0, 0, 255),
     QColor(128, 128, 128)},
    {{ControlId::kRecordCount, ControlId::kRatio}, QColor(0, 255, 0), QColor(128, 128, 128)},
    {{ControlId::kUnit0, ControlId::kUnit1, ControlId::kTimesCaption, ControlId::kRatioCaption},
     QColor(255, 255, 255),
     QColor(0, 0, 0)},
    {{ControlId::kForceStopLimit, ControlId::kAlarmHigh, ControlId::kAlarmLow,
      ControlId::kBreakValue},
     QColor(0, 255, 255),
     QColor(0, 0, 0)},
    {{ControlId::kChannelName0, ControlId::kChannelName1, ControlId::kCounterCaption,
      ControlId::kPeakCaption0, ControlId::kPeakCaption1},
     QColor(0, 255, 255),
     QColor(0, 0, 0)},
};

const ControlId kBannerFontIds[] = {ControlId::kPlaybackBanner, ControlId::kArchiveName};
const ControlId kReadoutFontIds[] = {ControlId::kReadout0,    ControlId::kReadout1,
                                     ControlId::kRecordCount, ControlId::kPeak0,
                                     ControlId::kPeak1,       ControlId::kRatio};
const ControlId kCaptionFontIds[] = {
    ControlId::kUnit0,          ControlId::kUnit1,        ControlId::kTimesCaption,
    ControlId::kChannelName0,   ControlId::kChannelName1, ControlId::kCounterCaption,
    ControlId::kForceStopLimit, ControlId::kAlarmHigh,    ControlId::kAlarmLow,
    ControlId::kBreakValue,     ControlId::kRatioCaption, ControlId::kPeakCaption0,
    ControlId::kPeakCaption1};

}  // namespace

CMainControls::CMainControls(QDialog* window, Command command, const Settings& settings,
                             TestRun& run, ChartFlags& flags, int& highSpeed)
    : m_command(std::move(command)) {
    CreateControls(window, settings, run, flags, highSpeed);
}

QLineEdit* CMainControls::AddEdit(QWidget* parent, ControlId id, int x, int y, int w, int h,
                                  bool border) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(Id(id));
    edit->setGeometry(DluRect(x, y, w, h));
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::NoFocus);
    edit->setFrame(border);
    if (border) edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_edits[id] = edit;
    return edit;
}

QPushButton* CMainControls::AddButton(QWidget* parent, ControlId id, const QString& caption, int x,
                                      int y) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(Id(id));
    button->setGeometry(DluRect(x, y, 65, 18));
    // No button answers the Enter key: the dialog must not close or start on it.
    button->setAutoDefault(false);
    button->setDefault(false);
    QObject::connect(button, &QPushButton::clicked, [this, id] { m_command(id); });
    m_buttons[id] = button;
    return button;
}

QCheckBox* CMainControls::AddCheckBox(QWidget* parent, ControlId id, const QString& caption, int x,
                                      int y, int w, int* flag) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(Id(id));
    box->setGeometry(DluRect(x, y, w, 12));
    QPalette palette = box->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    box->setPalette(palette);
    // The click inverts the flag; the check state follows at the next data exchange.
    QObject::connect(box, &QCheckBox::clicked, [box, flag] {
        *flag = *flag == 0 ? 1 : 0;
        box->setChecked(*flag != 0);
    });
    m_checks[id] = box;
    m_checkFlags[id] = flag;
    return box;
}

QLabel* CMainControls::AddLamp(QWidget* parent, ControlId id, int x, int y) {
    auto* lamp = new QLabel(parent);
    lamp->setObjectName(Id(id));
    lamp->setGeometry(DluRect(x, y, 12, 12));
    lamp->setPixmap(QPixmap(QStringLiteral(":/bitmap139.png")));
    lamp->setAlignment(Qt::AlignCenter);
    lamp->hide();
    m_lampLabels[id] = lamp;
    return lamp;
}

QAction* CMainControls::AddAction(QAction* action, ControlId id) {
    action->setObjectName(Id(id));
    QObject::connect(action, &QAction::triggered, [this, id] { m_command(id); });
    m_actions[id] = action;
    return action;
}

void CMainControls::CreateControls(QDialog* window, const Settings& settings, TestRun& run,
                                   ChartFlags& flags, int& highSpeed) {
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* menuBar = new QMenuBar(window);
    menuBar->setObjectName(Id(ControlId::kMenuBar));
    layout->setMenuBar(menuBar);
    CreateMenus(window, menuBar);

    auto* client = new QWidget(window);
    const QRect clientRect = DluRect(0, 0, kClientWidth, kClientHeight);
    client->setFixedSize(clientRect.size());
    layout->addWidget(client);
    // Below the template's client area: the window grows by the status line's height.
    m_statusLine = new CStatusLine(window);
    layout->addWidget(m_statusLine);
    auto* background = new QLabel(client);
    background->setGeometry(DluRect(7, 7, 391, 205));
    background->setPixmap(QPixmap(QStringLiteral(":/bitmap131.png")));
    background->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // Upper left, over the background: banner, readouts, peaks, ratio, count, limits.
    AddEdit(client, ControlId::kPlaybackBanner, 10, 10, 50, 12, false);
    AddEdit(client, ControlId::kArchiveName, 62, 10, 330, 12, false);
    AddEdit(client, ControlId::kChannelName0, 14, 26, 70, 14, false);
    AddEdit(client, ControlId::kChannelName1, 206, 26, 70, 14, false);
    AddEdit(client, ControlId::kReadout0, 14, 42, 120, 28, true);
    AddEdit(client, ControlId::kUnit0, 138, 50, 50, 14, false);
    AddEdit(client, ControlId::kReadout1, 206, 42, 120, 28, true);
    AddEdit(client, ControlId::kUnit1, 330, 50, 50, 14, false);
    AddEdit(client, ControlId::kPeakCaption0, 14, 82, 30, 14, false);
    AddEdit(client, ControlId::kPeak0, 46, 76, 88, 28, true);
    AddEdit(client, ControlId::kPeakCaption1, 206, 82, 30, 14, false);
    AddEdit(client, ControlId::kPeak1, 238, 76, 88, 28, true);
    AddEdit(client, ControlId::kRatioCaption, 14, 116, 60, 14, false);
    AddEdit(client, ControlId::kRatio, 76, 110, 100, 28, true);
    AddEdit(client, ControlId::kCounterCaption, 206, 116, 44, 14, false);
    AddEdit(client, ControlId::kRecordCount, 252, 110, 74, 28, true);
    AddEdit(client, ControlId::kTimesCaption, 330, 116, 20, 14, false);
    AddLamp(client, ControlId::kForcedStopLamp, 14, 147);
    AddEdit(client, ControlId::kForceStopLimit, 28, 146, 60, 14, false);
    AddLamp(client, ControlId::kAlarmHighLamp, 100, 147);
    AddEdit(client, ControlId::kAlarmHigh, 114, 146, 60, 14, false);
    AddLamp(client, ControlId::kAlarmLowLamp, 186, 147);
    AddEdit(client, ControlId::kAlarmLow, 200, 146, 60, 14, false);
    AddLamp(client, ControlId::kBrokenLamp, 272, 147);
    AddEdit(client, ControlId::kBreakValue, 286, 146, 60, 14, false);
    AddLamp(client, ControlId::kAutoStopLamp, 14, 165);
    AddLamp(client, ControlId::kAutoReturnLamp, 100, 165);
    m_edits[ControlId::kArchiveName]->hide();
    m_edits[ControlId::kPlaybackBanner]->hide();

    AddCheckBox(client, ControlId::kShowGrid,
                QCoreApplication::translate("CMainControls", "坐标线"), 14, 182, 80,
                &flags.g_bShowGrid);
    AddCheckBox(client, ControlId::kShowAlarmLines,
                QCoreApplication::translate("CMainControls", "报警线"), 100, 182, 80,
                &flags.g_bShowAlarmLines);
    AddCheckBox(client, ControlId::kShowPeakLine,
                QCoreApplication::translate("CMainControls", "峰值线"), 186, 182, 80,
                &flags.g_bShowPeakLine);
    AddCheckBox(client, ControlId::kShowLevelLine,
                QCoreApplication::translate("CMainControls", "动直线"), 272, 182, 80,
                &flags.g_bShowLevelLine);
    AddCheckBox(client, ControlId::kShowCurve0,
                QCoreApplication::translate("CMainControls", "拉力线"), 14, 196, 80,
                &flags.g_bShowCurve0);
    AddCheckBox(client, ControlId::kShowCurve1,
                QCoreApplication::translate("CMainControls", "位移线"), 100, 196, 80,
                &flags.g_bShowCurve1);
    AddCheckBox(client, ControlId::kShowRatioCurve,
                QCoreApplication::translate("CMainControls", "计算线"), 186, 196, 80,
                &flags.g_bShowRatioCurve);
    AddCheckBox(client, ControlId::kZoom, QCoreApplication::translate("CMainControls", "曲线放大"),
                272, 196, 80, &flags.g_bZoom);
    QCheckBox* highSpeedBox = AddCheckBox(
        client, ControlId::kHighSpeed, QCoreApplication::translate("CMainControls", "250kHz 高速"),
        330, 165, 64, &highSpeed);
    highSpeedBox->hide();
    highSpeedBox->setEnabled(false);

    m_chart = new CLineChartCtrl(settings, run, flags, client);
    m_chart->setObjectName(Id(ControlId::kChart));
    // 391 x 179 units: the 586 x 269 pixels the chart's fixed rows are laid out for.
    m_chart->setGeometry(QRect(DluRect(7, 218, 0, 0).topLeft(), QSize(586, 269)));

    // Right: the records list and the buttons.
    m_records = new CRecordsModel(run, window);
    m_list = new QTableView(client);
    m_list->setObjectName(Id(ControlId::kRecordsList));
    m_list->setGeometry(DluRect(405, 7, 135, 300));
    m_list->setModel(m_records);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 4);
    m_list->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->horizontalHeader()->setDefaultSectionSize(60);
    m_list->horizontalHeader()->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_list->setShowGrid(false);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setWordWrap(false);
    // The list's context menu offers the results of the test it shows.
    m_list->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_list->addAction(m_actions[ControlId::kMenuResults]);

    AddButton(client, ControlId::kStart, QCoreApplication::translate("CMainControls", "开始采集"),
              405, 312);
    AddButton(client, ControlId::kStop, QCoreApplication::translate("CMainControls", "停止采集"),
              475, 312);
    AddButton(client, ControlId::kSave, QCoreApplication::translate("CMainControls", "保存"), 405,
              333);
    AddButton(client, ControlId::kPrint, QCoreApplication::translate("CMainControls", "打印"), 475,
              333);
    AddButton(client, ControlId::kClearList,
              QCoreApplication::translate("CMainControls", "清除列表区"), 405, 354);
    AddButton(client, ControlId::kZeroSensors,
              QCoreApplication::translate("CMainControls", "传感器清零"), 475, 354);
    AddButton(client, ControlId::kSettings, QCoreApplication::translate("CMainControls", "设置"),
              405, 375);
    AddButton(client, ControlId::kTravelLimit,
              QCoreApplication::translate("CMainControls", "行程限位断开"), 475, 375);
    for (ControlId id :
         {ControlId::kZeroSensors, ControlId::kSave, ControlId::kTravelLimit, ControlId::kStart,
          ControlId::kStop, ControlId::kClearList, ControlId::kPrint})
        m_buttons[id]->setEnabled(false);

    ApplyColoursAndFonts();
}

void CMainControls::CreateMenus(QDialog* window, QMenuBar* menuBar) {
    QMenu* file = menuBar->addMenu(QCoreApplication::translate("CMainControls", "文件(&F)"));
    AddAction(file->addAction(QCoreApplication::translate("CMainControls", "打开(&O)...\tF1")),
              ControlId::kMenuOpen);
    AddAction(file->addAction(QCoreApplication::translate("CMainControls", "保存(&S)...\tF2")),
              ControlId::kMenuSave);
    AddAction(file->addAction(QCoreApplication::translate("CMainControls", "试验结果(&T)...")),
              ControlId::kMenuResults);
    AddAction(file->addAction(QCoreApplication::translate("CMainControls", "试验记录(&L)...")),
              ControlId::kMenuTestLog);
    AddAction(
        file->addAction(QCoreApplication::translate("CMainControls", "加载链柔度标定(&C)...")),
        ControlId::kMenuCalibration);
    AddAction(menuBar->addAction(QCoreApplication::translate("CMainControls", "设置(&U)")),
              ControlId::kMenuSettings);
    // Beside the settings command, which it follows in being refused while a test runs.
    AddAction(menuBar->addAction(CExtensometerDlg::MenuText()), ControlId::kMenuExtensometer);
    AddAction(menuBar->addAction(QCoreApplication::translate("CMainControls", "试样参数(&P)")),
              ControlId::kMenuSpecimen);
    AddAction(menuBar->addAction(QCoreApplication::translate("CMainControls", "界面语言(&G)")),
              ControlId::kMenuLanguage);
    QMenu* series = menuBar->addMenu(QCoreApplication::translate("CMainControls", "系列(&E)"));
    AddAction(series->addAction(QCoreApplication::translate("CMainControls", "新建系列(&N)...")),
              ControlId::kMenuSeriesNew);
    AddAction(series->addAction(QCoreApplication::translate("CMainControls", "系列结果(&V)...")),
              ControlId::kMenuSeriesResults);
    AddAction(series->addAction(QCoreApplication::translate("CMainControls", "标记无效(&I)...")),
              ControlId::kMenuSeriesExclude);
    AddAction(series->addAction(QCoreApplication::translate("CMainControls", "结束系列(&E)")),
              ControlId::kMenuSeriesEnd);
    AddAction(menuBar->addAction(QCoreApplication::translate("CMainControls", "开始采集(&R)")),
              ControlId::kMenuStart);
    AddAction(menuBar->addAction(QCoreApplication::translate("CMainControls", "退出(&X)")),
              ControlId::kMenuExit);
    m_actions[ControlId::kMenuSave]->setEnabled(false);
    m_actions[ControlId::kMenuStart]->setEnabled(false);

    m_printMenu = new QMenu(QStringLiteral("print"), window);
    m_printMenu->setObjectName(Id(ControlId::kPrintMenu));
    AddAction(m_printMenu->addAction(QCoreApplication::translate("CMainControls", "打印")),
              ControlId::kMenuPrint);
    AddAction(m_printMenu->addAction(QCoreApplication::translate("CMainControls", "打印预览")),
              ControlId::kMenuPrintPreview);
}

void CMainControls::ApplyColoursAndFonts() {
    for (const ControlColours& entry : kColours) {
        for (ControlId id : entry.ids) {
            auto found = m_edits.find(id);
            if (id == ControlId{} || found == m_edits.end()) continue;
            QPalette palette = found->second->palette();
            palette.setColor(QPalette::Text, entry.text);
            palette.setColor(QPalette::Base, entry.background);
            found->second->setPalette(palette);
        }
    }
    const QFont banner = LogFont(QStringLiteral(" "), 20, 20);
    const QFont readout = LogFont(QStringLiteral("Gulim"), 35, 20);
    const QFont caption = LogFont(QStringLiteral("黑体"), 20, 20);
    for (ControlId id : kBannerFontIds) m_edits[id]->setFont(banner);
    for (ControlId id : kReadoutFontIds) m_edits[id]->setFont(readout);
    for (ControlId id : kCaptionFontIds) m_edits[id]->setFont(caption);
}

void CMainControls::SetEnabled(ControlId id, bool enabled) {
    m_buttons.at(id)->setEnabled(enabled);
}

void CMainControls::SetCaption(ControlId id, const QString& caption) {
    m_buttons.at(id)->setText(caption);
}

void CMainControls::EnableMenu(ControlId id, bool enabled) {
    m_actions.at(id)->setEnabled(enabled);
}

void CMainControls::EnableCheck(ControlId id, bool enabled) {
    m_checks.at(id)->setEnabled(enabled);
}

void CMainControls::SetVisible(ControlId id, bool visible) {
    m_edits.at(id)->setVisible(visible);
}

void CMainControls::ShowBoundText(ControlId id, const std::string& gbk) {
    // Comparing bytes first keeps the tick free of conversions for texts that stay.
    auto shown = m_shownText.find(id);
    if (shown != m_shownText.end() && shown->second == gbk) return;
    m_shownText[id] = gbk;
    m_edits.at(id)->setText(DisplayText(gbk));
}

void CMainControls::ShowCheckCaption(ControlId id, const std::string& gbk) {
    if (m_shownText[id] == gbk) return;
    m_shownText[id] = gbk;
    m_checks.at(id)->setText(DisplayText(gbk));
}

void CMainControls::ShowCheckStates() {
    for (const auto& [id, flag] : m_checkFlags) {
        QCheckBox* box = m_checks[id];
        if (box->isChecked() != (*flag != 0)) box->setChecked(*flag != 0);
    }
}

void CMainControls::ShowLamps(const Lamps& lamps) {
    m_lampLabels[ControlId::kForcedStopLamp]->setVisible(lamps.forcedStop);
    m_lampLabels[ControlId::kAlarmHighLamp]->setVisible(lamps.alarmHigh);
    m_lampLabels[ControlId::kAlarmLowLamp]->setVisible(lamps.alarmLow);
    m_lampLabels[ControlId::kBrokenLamp]->setVisible(lamps.broken);
    m_lampLabels[ControlId::kAutoStopLamp]->setVisible(lamps.autoStop);
    m_lampLabels[ControlId::kAutoReturnLamp]->setVisible(lamps.autoReturn);
}

void CMainControls::ShowLimitTips(const QString& unit0) {
    for (const ControlTip& tip : LimitTips(unit0)) {
        const auto edit = m_edits.find(tip.id);
        QWidget* control =
            edit != m_edits.end() ? static_cast<QWidget*>(edit->second) : m_lampLabels.at(tip.id);
        control->setToolTip(tip.text);
    }
}

bool CMainControls::Shows(ControlId id, const std::string& gbk) const {
    const auto shown = m_shownText.find(id);
    return shown != m_shownText.end() && shown->second == gbk;
}
