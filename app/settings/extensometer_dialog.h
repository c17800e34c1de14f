// The dialog "引伸计": whether the extensometer is on, its card channel, its gauge length Le,
// the unit of its value, its coefficient and zero (a button takes the present reading as
// the zero), and where it is taken off before the break, with the hold there. OK checks every
// value, writes the extensometer's file and stores the settings in those it was given.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <optional>

#include "settings/extensometer_settings.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

class CExtensometerDlg : public QDialog {
    Q_OBJECT

  public:
    // The voltage the extensometer's channel reads now; nothing when there is no card.
    using VoltsReader = std::function<std::optional<double>(int channel)>;
    // Shows and changes `settings`, which must outlive the dialog.
    CExtensometerDlg(ExtensometerSettings& settings, VoltsReader readVolts, QWidget* parent);

    // The main window's menu command that opens the dialog.
    static QString MenuText();

  private:
    void OnOK();
    void OnTakeZero();
    void ShowRemovalFields();
    QString FieldLabel(ExtensometerField field) const;
    // The edit's number into *value; false (the operator told, the edit selected) when it
    // is not one.
    bool TakeNumber(QLineEdit* edit, ExtensometerField field, double* value);

    ExtensometerSettings& m_settings;
    VoltsReader m_readVolts;
    QCheckBox* m_enabled = nullptr;
    QSpinBox* m_channel = nullptr;
    QLineEdit* m_gaugeLength = nullptr;
    QComboBox* m_unit = nullptr;
    QLineEdit* m_coefficient = nullptr;
    QLineEdit* m_zero = nullptr;
    QComboBox* m_removal = nullptr;
    QLineEdit* m_removalStrain = nullptr;
    QLineEdit* m_removalForce = nullptr;
    QCheckBox* m_hold = nullptr;
};
