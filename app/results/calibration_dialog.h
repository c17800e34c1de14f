// The dialog "加载链柔度标定": the load train's compliance measured on the test in the list,
// run on a specimen far stiffer than the frame and grips. It shows the fit (compliance,
// records, force range, correlation); 保存 makes it the compliance of the following tests,
// with the date it was measured.
#pragma once

#include <QDialog>

#include "results/compliance_fit.h"

struct SpecimenDims;
class QLabel;
class QLineEdit;
class QPushButton;

class CCalibrationDlg : public QDialog {
    Q_OBJECT

  public:
    // `set` is the calibration run's; `specimen` (which must outlive the dialog) takes the
    // compliance on 保存.
    CCalibrationDlg(ResultSet set, SpecimenDims& specimen, QWidget* parent);
    const std::optional<ComplianceFit>& Fit() const { return m_fit; }

  private:
    void Refit();
    void OnSave();

    ResultSet m_set;
    SpecimenDims& m_specimen;
    std::optional<ComplianceFit> m_fit;
    QLineEdit* m_stiffness = nullptr;
    QLabel* m_result = nullptr;
    QPushButton* m_save = nullptr;
};
