#include "rig_panel.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <clocale>
#include <ctime>
#include <thread>

namespace sim {

namespace {

constexpr int kRefreshMs = 100;
const char* const kLampNames[kOutputLines] = {"Forced stop", "Alarm high", "Alarm low",
                                              "Broken",      "Auto-stop",  "Auto-return"};
const char* const kLampOn = "background: #e53935; color: white; padding: 3px;";
const char* const kLampOff = "background: #9e9e9e; color: white; padding: 3px;";

}  // namespace

RigPanel::RigPanel(Rig& rig, QWidget* parent) : QWidget(parent), rig_(rig) {
    setWindowTitle("DQX7460 rig");
    auto* layout = new QVBoxLayout(this);

    // People expect the program's start to move the crosshead; on this rig only the
    // panel's Start does, and the program records what the rig does.
    auto* hint = new QLabel(
        "The crosshead moves with this panel's Start and stops with its Stop; "
        "the program's 开始采集 only records.");
    hint->setObjectName("crossheadHint");
    hint->setWordWrap(true);
    layout->addWidget(hint);

    auto* buttons = new QGroupBox("Buttons");
    auto* buttonRow = new QHBoxLayout(buttons);
    buttonRow->addWidget(AddButton(Button::kStart, "Start"));
    buttonRow->addWidget(AddButton(Button::kStop, "Stop"));
    buttonRow->addWidget(AddButton(Button::kZero, "Zero"));
    buttonRow->addWidget(AddButton(Button::kClear, "Clear"));
    layout->addWidget(buttons);

    auto* controls = new QHBoxLayout;
    travelLimit_ = new QPushButton("Travel limit");
    travelLimit_->setObjectName("travelLimit");
    travelLimit_->setCheckable(true);
    connect(travelLimit_, &QPushButton::toggled, this,
            [this](bool closed) { rig_.SetTravelLimitOverride(closed); });
    auto* home = new QPushButton("Return home");
    home->setObjectName("returnHome");
    connect(home, &QPushButton::clicked, this, [this] { rig_.ReturnHome(); });
    auto* mount = new QPushButton("New specimen");
    mount->setObjectName("newSpecimen");
    connect(mount, &QPushButton::clicked, this, [this] { rig_.NewSpecimen(); });
    controls->addWidget(travelLimit_);
    controls->addWidget(home);
    controls->addWidget(mount);
    layout->addLayout(controls);

    auto* outputs = new QGroupBox("Output lines");
    auto* lampGrid = new QGridLayout(outputs);
    for (int i = 0; i < kOutputLines; ++i) {
        lamps_[i] = new QLabel(kLampNames[i]);
        lamps_[i]->setObjectName(QString("lamp%1").arg(i));
        lamps_[i]->setAlignment(Qt::AlignCenter);
        lampGrid->addWidget(lamps_[i], i / 3, i % 3);
    }
    layout->addWidget(outputs);

    auto* readouts = new QGridLayout;
    auto addReadout = [readouts](int row, const char* caption, const char* name) {
        auto* value = new QLabel;
        value->setObjectName(name);
        readouts->addWidget(new QLabel(caption), row, 0);
        readouts->addWidget(value, row, 1);
        return value;
    };
    position_ = addReadout(0, "Crosshead", "position");
    force_ = addReadout(1, "Force", "force");
    specimen_ = addReadout(2, "Specimen", "specimen");
    motion_ = addReadout(3, "Motion", "motion");
    layout->addLayout(readouts);

    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &RigPanel::Refresh);
    timer->start(kRefreshMs);
    Refresh();
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
    force_->setText(QString::asprintf("%.2f N (peak %.2f N)", state.force, state.peakForce));
    specimen_->setText(SpecimenStateName(state.specimen));
    motion_->setText(QString(MotionName(state.motion)) +
                     (state.travelLimit ? ", travel limit closed" : ""));
}

QPoint PanelPosition(const QRect& available) {
    return available.topLeft();
}

void ShowRigPanel(RigPanel& panel) {
    panel.show();
    if (QScreen* screen = panel.screen()) panel.move(PanelPosition(screen->availableGeometry()));
}

int RunRigPanel(int& argc, char** argv, Rig& rig, const sigset_t& stopSignals) {
    QApplication app(argc, argv);
    // QApplication has taken the user's locale; numbers in texts stay "C" (a decimal point).
    setlocale(LC_NUMERIC, "C");
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
