// The dialog "试样参数": the specimen's cross-section S0, gauge length L0, final
// cross-section Su and final gauge length Lu, each optional, and the plastic extension of Rp
// (0.2 % when empty) and the load train's compliance; a line names the values carried over from the
// previous specimen. OK checks them, stores them in the dimensions it was given and writes the
// specimen file.
#pragma once

#include <QDialog>

struct SpecimenDims;
class QLineEdit;

class CSpecimenDlg : public QDialog {
    Q_OBJECT

  public:
    // Shows and changes `specimen`, which must outlive the dialog.
    CSpecimenDlg(SpecimenDims& specimen, QWidget* parent);

  private:
    void OnOK();

    SpecimenDims& m_specimen;
    QLineEdit* m_area = nullptr;
    QLineEdit* m_gaugeLength = nullptr;
    QLineEdit* m_finalArea = nullptr;
    QLineEdit* m_finalGaugeLength = nullptr;
    QLineEdit* m_offset = nullptr;
    QLineEdit* m_compliance = nullptr;
};
