#include "rig_panel.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QTranslator>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <clocale>
#include <cstdio>
#include <ctime>
#include <thread>

namespace sim {

namespace {

constexpr int kRefreshMs = 100;
const char* const kLampNames[kOutputLines] = {QT_TRANSLATE_NOOP("sim::RigPanel", "Forced stop"),
                                              QT_TRANSLATE_NOOP("sim::RigPanel", "Alarm high"),
                                              QT_TRANSLATE_NOOP("sim::RigPanel", "Alarm low"),
                                              QT_TRANSLATE_NOOP("sim::RigPanel", "Broken"),
                                              QT_TRANSLATE_NOOP("sim::RigPanel", "Auto-stop"),
                                              QT_TRANSLATE_NOOP("sim::RigPanel", "Auto-return")};
const char* const kLampOn = "background: #e53935; color: white; padding: 3px;";
const char* const kLampOff = "background: #9e9e9e; color: white; padding: 3px;";

}  // namespace

RigPanel::RigPanel(Rig& rig, QWidget* parent) : QWidget(parent), rig_(rig) {
    setWindowTitle(tr("DQX7460 rig"));
    auto* layout = new QVBoxLayout(this);

    // People expect the program's start to move the crosshead; on this rig only the
    // panel's Start does, and the program records what the rig does.
    auto* hint =
        new QLabel(tr("The crosshead moves with this panel's Start and stops with its Stop; "
                      "the program's 开始采集 only records."));
    hint->setObjectName("crossheadHint");
    hint->setWordWrap(true);
    layout->addWidget(hint);

    auto* buttons = new QGroupBox(tr("Buttons"));
    auto* buttonRow = new QHBoxLayout(buttons);
    buttonRow->addWidget(AddButton(Button::kStart, tr("Start")));
    buttonRow->addWidget(AddButton(Button::kStop, tr("Stop")));
    buttonRow->addWidget(AddButton(Button::kZero, tr("Zero")));
    buttonRow->addWidget(AddButton(Button::kClear, tr("Clear")));
    layout->addWidget(buttons);

    auto* controls = new QHBoxLayout;
    travelLimit_ = new QPushButton(tr("Travel limit"));
    travelLimit_->setObjectName("travelLimit");
    travelLimit_->setCheckable(true);
    connect(travelLimit_, &QPushButton::toggled, this,
            [this](bool closed) { rig_.SetTravelLimitOverride(closed); });
    auto* home = new QPushButton(tr("Return home"));
    home->setObjectName("returnHome");
    connect(home, &QPushButton::clicked, this, [this] { rig_.ReturnHome(); });
    auto* mount = new QPushButton(tr("New specimen"));
    mount->setObjectName("newSpecimen");
    connect(mount, &QPushButton::clicked, this, [this] { rig_.NewSpecimen(); });
    controls->addWidget(travelLimit_);
    controls->addWidget(home);
    controls->addWidget(mount);
    layout->addLayout(controls);

    auto* outputs = new QGroupBox(tr("Output lines"));
    auto* lampGrid = new QGridLayout(outputs);
    for (int i = 0; i < kOutputLines; ++i) {
        lamps_[i] = new QLabel(tr(kLampNames[i]));
        lamps_[i]->setObjectName(QString("lamp%1").arg(i));
        lamps_[i]->setAlignment(Qt::AlignCenter);
        lampGrid->addWidget(lamps_[i], i / 3, i % 3);
    }
    layout->addWidget(outputs);

    auto* readouts = new QGridLayout;
    auto addReadout = [readouts](int row, const QString& caption, const char* name) {
        auto* value = new QLabel;
        value->setObjectName(name);
        readouts->addWidget(new QLabel(caption), row, 0);
        readouts->addWidget(value, row, 1);
        return value;
    };
    position_ = addReadout(0, tr("Crosshead"), "position");
    force_ = addReadout(1, tr("Force"), "force");
    specimen_ = addReadout(2, tr("Specimen"), "specimen");
    motion_ = addReadout(3, tr("Motion"), "motion");
    layout->addLayout(readouts);

    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &RigPanel::Refresh);
    timer->start(kRefreshMs);
    Refresh();
}

QString RigPanel::StateText(SpecimenState state) {
    switch (state) {
        case SpecimenState::kElastic:
            return tr("elastic");
        case SpecimenState::kYield:
            return tr("yield");
        case SpecimenState::kHardening:
            return tr("hardening");
        case SpecimenState::kNecking:
            return tr("necking");
        case SpecimenState::kBroken:
            return tr("broken");
    }
    return QString::fromUtf8(SpecimenStateName(state));
}

QString RigPanel::MotionText(Motion motion) {
    switch (motion) {
        case Motion::kStopped:
            return tr("stopped");
        case Motion::kPulling:
            return tr("pulling");
        case Motion::kReturning:
            return tr("returning");
    }
    return QString::fromUtf8(MotionName(motion));
}

QPushButton* RigPanel::AddButton(Button button, const QString& text) {
    auto* widget = new QPushButton(text);
    widget->setObjectName(ButtonName(button));
    // The bit stays low for as long as the button is held, as on the rig.
    connect(widget, &QPushButton::pressed, this, [this, button] { rig_.SetButton(button, true); });
    connect(widget, &QPushButton::released, this,
            [this, button] { rig_.SetButton(button, false); });
    return widget;
}

void RigPanel::Refresh() {
    RigState state = rig_.State();
    for (int i = 0; i < kOutputLines; ++i) {
        bool active = (state.outputs & (1u << i)) == 0;
        lamps_[i]->setStyleSheet(active ? kLampOn : kLampOff);
        lamps_[i]->setProperty("active", active);
    }
    position_->setText(QString::asprintf("%.2f mm", state.position));
    force_->setText(tr("%1 N (peak %2 N)")
                        .arg(QString::asprintf("%.2f", state.force),
                             QString::asprintf("%.2f", state.peakForce)));
    specimen_->setText(StateText(state.specimen));
    motion_->setText(state.travelLimit ? tr("%1, travel limit closed").arg(MotionText(state.motion))
                                       : MotionText(state.motion));
}

QPoint PanelPosition(const QRect& available) {
    return available.topLeft();
}

void ShowRigPanel(RigPanel& panel) {
    panel.show();
    if (QScreen* screen = panel.screen()) panel.move(PanelPosition(screen->availableGeometry()));
}

bool PanelInChinese(const std::string& lang, const QLocale& locale) {
    if (lang == "zh") return true;
    return lang.empty() && locale.language() == QLocale::Chinese;
}

bool InstallPanelLanguage(QCoreApplication& app, const std::string& lang) {
    if (!PanelInChinese(lang, QLocale::system())) return true;
    // The texts are built into the program, so nothing is looked for on the disk.
    auto* chinese = new QTranslator(&app);
    return chinese->load(QStringLiteral(":/i18n/dqx7460-sim_zh_CN.qm")) &&
           QCoreApplication::installTranslator(chinese);
}

int RunRigPanel(int& argc, char** argv, Rig& rig, const sigset_t& stopSignals,
                const std::string& lang) {
    QApplication app(argc, argv);
    // QApplication has taken the user's locale; numbers in texts stay "C" (a decimal point).
    setlocale(LC_NUMERIC, "C");
    if (!InstallPanelLanguage(app, lang))
        std::fprintf(stderr, "dqx7460-sim: the panel's Chinese texts are missing\n");
    RigPanel panel(rig);
    ShowRigPanel(panel);
    std::atomic<bool> done{false};
    std::thread watcher([&app, &done, stopSignals] {
        const timespec poll{0, 100 * 1000 * 1000};
        while (!done.load()) {
            if (sigtimedwait(&stopSignals, nullptr, &poll) > 0) {
                QMetaObject::invokeMethod(
                    &app, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
                return;
            }
        }
    });
    int status = app.exec();
    done = true;
    watcher.join();
    return status;
}

}  // namespace sim
