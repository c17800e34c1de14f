// The dialog "新建系列": name, material, method, operator, specimens planned and notes of a
// series of specimens. OK writes the series file and makes the series the active one; a name
// that has a series already continues it after the operator agrees.
#pragma once

#include <QDialog>
#include <string>

struct SeriesSession;
class QComboBox;
class QLineEdit;
class QSpinBox;

class CSeriesDlg : public QDialog {
    Q_OBJECT

  public:
    // Changes `session` (which must outlive the dialog) on OK; the operator field starts with
    // `operatorUtf8`.
    CSeriesDlg(SeriesSession& session, const std::string& dataFolderUtf8,
               const std::string& operatorUtf8, QWidget* parent);

  private:
    void OnOK();

    SeriesSession& m_session;
    std::string m_dataFolder;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_material = nullptr;
    QComboBox* m_method = nullptr;
    QLineEdit* m_operator = nullptr;
    QSpinBox* m_planned = nullptr;
    QLineEdit* m_notes = nullptr;
};
