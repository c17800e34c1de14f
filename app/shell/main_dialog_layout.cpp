// Template 102 of the main window: controls, colours, fonts and menus.
#include <QAction>
#include <QCheckBox>
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

#include "acquisition/high_speed.h"
#include "chart/chart_flags.h"
#include "chart/line_chart.h"
#include "shell/main_dialog.h"
#include "shell/records_model.h"
#include "shell/status_line.h"
#include "shell/window_style.h"

namespace {

constexpr int kClientWidth = 547;  // dialog units
constexpr int kClientHeight = 404;

QString Id(int id) {
    return QString::number(id);
}

struct ControlColours {
    int ids[6];
    QColor text;
    QColor background;
};

// Text and background colours of the readouts and captions.
const ControlColours kColours[] = {
    {{1014, 1000}, QColor(240, 240, 240), QColor(150, 150, 150)},
    {{1001, 1002, 1016, 1017}, QColor(0, 0, 255), QColor(128, 128, 128)},
    {{1010, 1018}, QColor(0, 255, 0), QColor(128, 128, 128)},
    {{1003, 1009, 1004, 1019}, QColor(255, 255, 255), QColor(0, 0, 0)},
    {{1005, 1006, 1007, 1008}, QColor(0, 255, 255), QColor(0, 0, 0)},
    {{1011, 1012, 1013, 1020, 1021}, QColor(0, 255, 255), QColor(0, 0, 0)},
};

const int kBannerFontIds[] = {1014, 1000};
const int kReadoutFontIds[] = {1001, 1002, 1010, 1016, 1017, 1018};
const int kCaptionFontIds[] = {1003, 1009, 1004, 1011, 1012, 1013, 1005,
                               1006, 1007, 1008, 1019, 1020, 1021};

}  // namespace

QLineEdit* CTestDlg::AddEdit(QWidget* parent, int id, int x, int y, int w, int h, bool border) {
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

QPushButton* CTestDlg::AddButton(QWidget* parent, int id, const QString& caption, int x, int y,
                                 void (CTestDlg::*handler)()) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(Id(id));
    button->setGeometry(DluRect(x, y, 65, 18));
    // No button answers the Enter key: the dialog must not close or start on it.
    button->setAutoDefault(false);
    button->setDefault(false);
    connect(button, &QPushButton::clicked, this, handler);
    m_buttons[id] = button;
    return button;
}

QCheckBox* CTestDlg::AddCheckBox(QWidget* parent, int id, const QString& caption, int x, int y,
                                 int w, int* flag) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(Id(id));
    box->setGeometry(DluRect(x, y, w, 12));
    QPalette palette = box->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    box->setPalette(palette);
    // The click inverts the flag; the check state follows at the next data exchange.
    connect(box, &QCheckBox::clicked, this, [this, box, flag] {
        *flag = *flag == 0 ? 1 : 0;
        box->setChecked(*flag != 0);
    });
    m_checks[id] = box;
    m_checkFlags[id] = flag;
    return box;
}

QLabel* CTestDlg::AddLamp(QWidget* parent, int id, int x, int y) {
    auto* lamp = new QLabel(parent);
    lamp->setObjectName(Id(id));
    lamp->setGeometry(DluRect(x, y, 12, 12));
    lamp->setPixmap(QPixmap(QStringLiteral(":/bitmap139.png")));
    lamp->setAlignment(Qt::AlignCenter);
    lamp->hide();
    m_lampLabels[id] = lamp;
    return lamp;
}

void CTestDlg::CreateControls() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* menuBar = new QMenuBar(this);
    menuBar->setObjectName(QStringLiteral("134"));
    layout->setMenuBar(menuBar);
    CreateMenus(menuBar);

    auto* client = new QWidget(this);
    const QRect clientRect = DluRect(0, 0, kClientWidth, kClientHeight);
    client->setFixedSize(clientRect.size());
    layout->addWidget(client);
    // Below the template's client area: the window grows by the status line's height.
    m_statusLine = new CStatusLine(this);
    layout->addWidget(m_statusLine);

    auto* background = new QLabel(client);
    background->setGeometry(DluRect(7, 7, 391, 205));
    background->setPixmap(QPixmap(QStringLiteral(":/bitmap131.png")));
    background->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // Upper left, over the background: banner, readouts, peaks, ratio, count, limits.
    AddEdit(client, 1014, 10, 10, 50, 12, false);
    AddEdit(client, 1000, 62, 10, 330, 12, false);
    AddEdit(client, 1011, 14, 26, 70, 14, false);
    AddEdit(client, 1012, 206, 26, 70, 14, false);
    AddEdit(client, 1001, 14, 42, 120, 28, true);
    AddEdit(client, 1003, 138, 50, 50, 14, false);
    AddEdit(client, 1002, 206, 42, 120, 28, true);
    AddEdit(client, 1009, 330, 50, 50, 14, false);
    AddEdit(client, 1020, 14, 82, 30, 14, false);
    AddEdit(client, 1016, 46, 76, 88, 28, true);
    AddEdit(client, 1021, 206, 82, 30, 14, false);
    AddEdit(client, 1017, 238, 76, 88, 28, true);
    AddEdit(client, 1019, 14, 116, 60, 14, false);
    AddEdit(client, 1018, 76, 110, 100, 28, true);
    AddEdit(client, 1013, 206, 116, 44, 14, false);
    AddEdit(client, 1010, 252, 110, 74, 28, true);
    AddEdit(client, 1004, 330, 116, 20, 14, false);
    AddLamp(client, 1067, 14, 147);
    AddEdit(client, 1005, 28, 146, 60, 14, false);
    AddLamp(client, 1068, 100, 147);
    AddEdit(client, 1006, 114, 146, 60, 14, false);
    AddLamp(client, 1069, 186, 147);
    AddEdit(client, 1007, 200, 146, 60, 14, false);
    AddLamp(client, 1070, 272, 147);
    AddEdit(client, 1008, 286, 146, 60, 14, false);
    AddLamp(client, 1073, 14, 165);
    AddLamp(client, 1072, 100, 165);
    m_edits[1000]->hide();
    m_edits[1014]->hide();

    AddCheckBox(client, 1071, QStringLiteral("坐标线"), 14, 182, 80, &m_flags.g_bShowGrid);
    AddCheckBox(client, 1075, QStringLiteral("报警线"), 100, 182, 80, &m_flags.g_bShowAlarmLines);
    AddCheckBox(client, 1076, QStringLiteral("峰值线"), 186, 182, 80, &m_flags.g_bShowPeakLine);
    AddCheckBox(client, 1077, QStringLiteral("动直线"), 272, 182, 80, &m_flags.g_bShowLevelLine);
    AddCheckBox(client, 1078, QStringLiteral("拉力线"), 14, 196, 80, &m_flags.g_bShowCurve0);
    AddCheckBox(client, 1081, QStringLiteral("位移线"), 100, 196, 80, &m_flags.g_bShowCurve1);
    AddCheckBox(client, 1082, QStringLiteral("计算线"), 186, 196, 80, &m_flags.g_bShowRatioCurve);
    AddCheckBox(client, 1083, QStringLiteral("曲线放大"), 272, 196, 80, &m_flags.g_bZoom);
    QCheckBox* highSpeed =
        AddCheckBox(client, 1079, QStringLiteral("250kHz 高速"), 330, 165, 64, &g_bHighSpeed);
    highSpeed->hide();
    highSpeed->setEnabled(false);

    m_chart = new CLineChartCtrl(m_settings, *m_run, m_flags, client);
    m_chart->setObjectName(QStringLiteral("1015"));
    // 391 x 179 units: the 586 x 269 pixels the chart's fixed rows are laid out for.
    m_chart->setGeometry(QRect(DluRect(7, 218, 0, 0).topLeft(), QSize(586, 269)));

    // Right: the records list and the buttons.
    m_records = new CRecordsModel(*m_run, this);
    m_list = new QTableView(client);
    m_list->setObjectName(QStringLiteral("1066"));
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
    m_list->addAction(m_actions[32782]);

    AddButton(client, 1035, QStringLiteral("开始采集"), 405, 312, &CTestDlg::OnStart);
    AddButton(client, 1063, QStringLiteral("停止采集"), 475, 312, &CTestDlg::OnStop);
    AddButton(client, 1064, QStringLiteral("保存"), 405, 333, &CTestDlg::OnSave);
    AddButton(client, 1080, QStringLiteral("打印"), 475, 333, &CTestDlg::OnPrintButton);
    AddButton(client, 1036, QStringLiteral("清除列表区"), 405, 354, &CTestDlg::OnClearButton);
    AddButton(client, 1065, QStringLiteral("传感器清零"), 475, 354, &CTestDlg::OnZeroSensors);
    AddButton(client, 1034, QStringLiteral("设置"), 405, 375, &CTestDlg::OnSettings);
    AddButton(client, 1033, QStringLiteral("行程限位断开"), 475, 375, &CTestDlg::OnTravelLimit);
    for (int id : {1065, 1064, 1033, 1035, 1063, 1036, 1080}) m_buttons[id]->setEnabled(false);

    ApplyColoursAndFonts();
}

void CTestDlg::CreateMenus(QMenuBar* menuBar) {
    auto addAction = [this](QAction* action, int id) {
        action->setObjectName(Id(id));
        m_actions[id] = action;
        return action;
    };
    QMenu* file = menuBar->addMenu(QStringLiteral("文件(&F)"));
    connect(addAction(file->addAction(QStringLiteral("打开(&O)...\tF1")), 32774),
            &QAction::triggered, this, &CTestDlg::OnOpen);
    connect(addAction(file->addAction(QStringLiteral("保存(&S)...\tF2")), 32775),
            &QAction::triggered, this, &CTestDlg::OnSave);
    connect(addAction(file->addAction(QStringLiteral("试验结果(&T)...")), 32782),
            &QAction::triggered, this, &CTestDlg::OnResults);
    connect(addAction(menuBar->addAction(QStringLiteral("设置(&U)")), 32776), &QAction::triggered,
            this, &CTestDlg::OnSettings);
    connect(addAction(menuBar->addAction(QStringLiteral("试样参数(&P)")), 32781),
            &QAction::triggered, this, &CTestDlg::OnSpecimen);
    connect(addAction(menuBar->addAction(QStringLiteral("开始采集(&R)")), 32777),
            &QAction::triggered, this, &CTestDlg::OnStart);
    connect(addAction(menuBar->addAction(QStringLiteral("退出(&X)")), 32778), &QAction::triggered,
            this, &CTestDlg::OnExit);
    m_actions[32775]->setEnabled(false);
    m_actions[32777]->setEnabled(false);

    m_printMenu = new QMenu(QStringLiteral("print"), this);
    m_printMenu->setObjectName(QStringLiteral("146"));
    connect(addAction(m_printMenu->addAction(QStringLiteral("打印")), 32779), &QAction::triggered,
            this, &CTestDlg::OnPrintList);
    connect(addAction(m_printMenu->addAction(QStringLiteral("打印预览")), 32780),
            &QAction::triggered, this, &CTestDlg::OnPrintPreview);
}

void CTestDlg::ApplyColoursAndFonts() {
    for (const ControlColours& entry : kColours) {
        for (int id : entry.ids) {
            auto found = m_edits.find(id);
            if (id == 0 || found == m_edits.end()) continue;
            QPalette palette = found->second->palette();
            palette.setColor(QPalette::Text, entry.text);
            palette.setColor(QPalette::Base, entry.background);
            found->second->setPalette(palette);
        }
    }
    const QFont banner = LogFont(QStringLiteral(" "), 20, 20);
    const QFont readout = LogFont(QStringLiteral("Gulim"), 35, 20);
    const QFont caption = LogFont(QStringLiteral("黑体"), 20, 20);
    for (int id : kBannerFontIds) m_edits[id]->setFont(banner);
    for (int id : kReadoutFontIds) m_edits[id]->setFont(readout);
    for (int id : kCaptionFontIds) m_edits[id]->setFont(caption);
}
