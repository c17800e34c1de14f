// The main window's controls as template 102 lays them out: readouts, lamps, check boxes,
// chart, records list, buttons and menus, each named by its id. A click or a menu command
// reaches the window as its id; a check box inverts the flag it is bound to.
#pragma once

#include <QString>
#include <functional>
#include <map>
#include <string>

#include "acquisition/safety.h"
#include "control/control_ids.h"

class CLineChartCtrl;
struct ChartFlags;
struct Settings;
struct TestRun;
class CRecordsModel;
class CStatusLine;
class QAction;
class QCheckBox;
class QDialog;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QTableView;
class QWidget;

class CMainControls {
  public:
    using Command = std::function<void(ControlId)>;
    // Builds the controls into the window, whose layout it sets; the high-speed box is bound
    // to the card's mode flag.
    CMainControls(QDialog* window, Command command, const Settings& settings, TestRun& run,
                  ChartFlags& flags, int& highSpeed);

    void SetEnabled(ControlId id, bool enabled);
    void SetCaption(ControlId id, const QString& caption);
    void EnableMenu(ControlId id, bool enabled);
    void EnableCheck(ControlId id, bool enabled);
    void SetVisible(ControlId id, bool visible);
    // Shows the GBK text in the edit; a text already shown costs no conversion.
    void ShowBoundText(ControlId id, const std::string& gbk);
    // The check box's caption (GBK), converted only when it changed.
    void ShowCheckCaption(ControlId id, const std::string& gbk);
    // Check states from the flags they are bound to.
    void ShowCheckStates();
    void ShowLamps(const Lamps& lamps);
    // Names each limit box and lamp with the unit of channel 0.
    void ShowLimitTips(const QString& unit0);
    // Whether the edit shows this GBK text now.
    bool Shows(ControlId id, const std::string& gbk) const;

    CLineChartCtrl* Chart() const { return m_chart; }
    CRecordsModel* Records() const { return m_records; }
    CStatusLine* StatusLine() const { return m_statusLine; }
    QMenu* PrintMenu() const { return m_printMenu; }

  private:
    void CreateControls(QDialog* window, const Settings& settings, TestRun& run, ChartFlags& flags,
                        int& highSpeed);
    void CreateMenus(QDialog* window, QMenuBar* menuBar);
    QLineEdit* AddEdit(QWidget* parent, ControlId id, int x, int y, int w, int h, bool border);
    QPushButton* AddButton(QWidget* parent, ControlId id, const QString& caption, int x, int y);
    QCheckBox* AddCheckBox(QWidget* parent, ControlId id, const QString& caption, int x, int y,
                           int w, int* flag);
    QLabel* AddLamp(QWidget* parent, ControlId id, int x, int y);
    QAction* AddAction(QAction* action, ControlId id);
    void ApplyColoursAndFonts();

    Command m_command;
    CRecordsModel* m_records = nullptr;
    QTableView* m_list = nullptr;
    CLineChartCtrl* m_chart = nullptr;
    QMenu* m_printMenu = nullptr;
    CStatusLine* m_statusLine = nullptr;
    std::map<ControlId, QLineEdit*> m_edits;
    std::map<ControlId, QPushButton*> m_buttons;
    std::map<ControlId, QCheckBox*> m_checks;
    std::map<ControlId, int*> m_checkFlags;
    std::map<ControlId, QLabel*> m_lampLabels;
    std::map<ControlId, QAction*> m_actions;
    std::map<ControlId, std::string> m_shownText;
};
