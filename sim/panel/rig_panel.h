// The rig panel: the rig's push-buttons and travel-limit switch, the six output lines as
// lamps, the crosshead and the specimen, refreshed from the rig.
#pragma once

#include <signal.h>

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <string>

#include "rig.h"

class QCoreApplication;
class QLabel;
class QLocale;
class QPushButton;

namespace sim {

class RigPanel : public QWidget {
    Q_OBJECT

  public:
    explicit RigPanel(Rig& rig, QWidget* parent = nullptr);

    // Reads the rig's state into the lamps and readouts (the panel's timer calls it).
    void Refresh();

  private:
    QPushButton* AddButton(Button button, const QString& text);
    // The rig's states in the panel's language.
    static QString StateText(SpecimenState state);
    static QString MotionText(Motion motion);

    Rig& rig_;
    QLabel* lamps_[kOutputLines] = {};
    QLabel* position_ = nullptr;
    QLabel* force_ = nullptr;
    QLabel* specimen_ = nullptr;
    QLabel* motion_ = nullptr;
    QPushButton* travelLimit_ = nullptr;
};

// Where the panel's frame goes: the top left corner of the screen's free area. The program's
// window, which opens centred, then leaves the panel's title bar and its Start button free
// even on a 1366 x 768 screen, where the two cannot stand side by side.
QPoint PanelPosition(const QRect& available);
// Shows the panel there.
void ShowRigPanel(RigPanel& panel);

// Whether the panel speaks Chinese: for "zh", or for an empty choice when the locale's
// language is Chinese; "en" keeps it English.
bool PanelInChinese(const std::string& lang, const QLocale& locale);
// Installs the panel's Chinese texts in the application when PanelInChinese says so; false
// when they are asked for and cannot be loaded.
bool InstallPanelLanguage(QCoreApplication& app, const std::string& lang);
// Shows the panel until it is closed or one of the signals arrives (they must be blocked
// in every thread); returns the application's exit status.
int RunRigPanel(int& argc, char** argv, Rig& rig, const sigset_t& stopSignals,
                const std::string& lang);

}  // namespace sim
