// The dialog "试样参数": the specimen's cross-section S0 and gauge length L0, both optional.
// OK checks both, stores them in g_specimen and writes the specimen file.
#pragma once

#include <QDialog>

class QLineEdit;

class CSpecimenDlg : public QDialog {
    Q_OBJECT

  public:
    explicit CSpecimenDlg(QWidget* parent);

  private:
    void OnOK();

    QLineEdit* m_area = nullptr;
    QLineEdit* m_gaugeLength = nullptr;
};
