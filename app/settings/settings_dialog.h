// The settings dialog "参数设置": shows the 32 settings strings, checks the edited values
// in a fixed order and, when they pass, writes the settings file and closes.
#pragma once

#include <QDialog>
#include <QString>
#include <cstddef>
#include <functional>
#include <vector>

#include "settings/settings_record.h"

class QComboBox;
class QLineEdit;

class CSettingsDlg : public QDialog {
    Q_OBJECT

  public:
    // Shows and edits `settings`, which must outlive the dialog.
    CSettingsDlg(Settings& settings, QWidget* parent);

    // Asked when OK's checks have all passed, before the file is written; false ends the OK
    // with the dialog open, as a failed check does.
    void SetConfirmation(std::function<bool()> confirm) { m_confirm = std::move(confirm); }

  private:
    // An edit bound to one settings string, with the text it held before the edit under way
    // and the text the dialog opened with.
    struct BoundEdit {
        QLineEdit* edit;
        std::size_t field;
        bool digitsOnly;
        QString accepted;
        QString opened;
    };
    // A list whose selected item is stored in one settings string.
    struct BoundList {
        QComboBox* list;
        std::size_t field;
    };

    void BuildControls();
    void FillFromSettings();
    void OnTextEdited(BoundEdit& bound, const QString& text);
    void OnOK();

    Settings& m_settings;
    // The settings as the dialog opened with them: a changed unit is told against these.
    const Settings m_opened;
    std::vector<BoundEdit> m_edits;
    std::vector<BoundList> m_lists;
    std::function<bool()> m_confirm;
};
