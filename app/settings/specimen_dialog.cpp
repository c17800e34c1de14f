#include "settings/specimen_dialog.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <tuple>

#include "common/dialog_buttons.h"
#include "common/message_box.h"
#include "common/number_text.h"
#include "settings/specimen.h"

namespace {

const char kAreaLabel[] = QT_TRANSLATE_NOOP("CSpecimenDlg", "横截面积 S0");
const char kGaugeLabel[] = QT_TRANSLATE_NOOP("CSpecimenDlg", "标距 L0");
const char kFinalAreaLabel[] = QT_TRANSLATE_NOOP("CSpecimenDlg", "断后最小横截面积 Su");
const char kFinalGaugeLabel[] = QT_TRANSLATE_NOOP("CSpecimenDlg", "断后标距 Lu");
const char kOffsetLabel[] = QT_TRANSLATE_NOOP("CSpecimenDlg", "规定塑性延伸 Rp");
const char kComplianceLabel[] = QT_TRANSLATE_NOOP("CSpecimenDlg", "加载链柔度 C");

QLineEdit* AddRow(QFormLayout* form, const char* label, const char* unit, const char* name,
                  const std::optional<double>& value) {
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::fromUtf8(name));
    edit->setPlaceholderText(QCoreApplication::translate("CSpecimenDlg", "不给定"));
    if (value) edit->setText(QString::fromStdString(PlainNumber(*value)));
    auto* row = new QHBoxLayout;
    row->addWidget(edit);
    row->addWidget(new QLabel(QString::fromUtf8(unit)));
    form->addRow(QCoreApplication::translate("CSpecimenDlg", label), row);
    return edit;
}

}  // namespace

CSpecimenDlg::CSpecimenDlg(SpecimenDims& specimen, QWidget* parent)
    : QDialog(parent), m_specimen(specimen) {
    setWindowTitle(tr("试样参数"));
    auto* form = new QFormLayout(this);
    // Values taken over from the previous specimen are named, so the operator measures
    // the new one rather than trusting them unseen.
    auto* carried = new QLabel(QString::fromStdString(CarriedOverNote(m_specimen)));
    carried->setObjectName(QStringLiteral("carried"));
    carried->setVisible(!carried->text().isEmpty());
    form->addRow(carried);
    m_area = AddRow(form, kAreaLabel, "mm²", "S0", m_specimen.area);
    m_gaugeLength = AddRow(form, kGaugeLabel, "mm", "L0", m_specimen.gaugeLength);
    // Measured on the broken specimen, so usually typed in after the test.
    m_finalArea = AddRow(form, kFinalAreaLabel, "mm²", "Su", m_specimen.finalArea);
    m_finalGaugeLength = AddRow(form, kFinalGaugeLabel, "mm", "Lu", m_specimen.finalGaugeLength);
    m_offset = AddRow(form, kOffsetLabel, "% (L0)", "Rp", m_specimen.proofOffset);
    m_offset->setPlaceholderText(QStringLiteral("0.2"));
    // The crosshead travels the frame's and grips' deflection too: F × C is taken off it.
    m_compliance = AddRow(form, kComplianceLabel, "mm/N", "C", m_specimen.compliance);
    m_compliance->setPlaceholderText(tr("不修正"));
    QDialogButtonBox* buttons = OkCancelButtons(this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CSpecimenDlg::OnOK);
}

void CSpecimenDlg::OnOK() {
    SpecimenDims typed;
    std::optional<double> offset;
    for (auto [edit, label, value] :
         {std::tuple{m_area, kAreaLabel, &typed.area},
          std::tuple{m_gaugeLength, kGaugeLabel, &typed.gaugeLength},
          std::tuple{m_finalArea, kFinalAreaLabel, &typed.finalArea},
          std::tuple{m_finalGaugeLength, kFinalGaugeLabel, &typed.finalGaugeLength},
          std::tuple{m_offset, kOffsetLabel, &offset},
          std::tuple{m_compliance, kComplianceLabel, &typed.compliance}}) {
        if (auto failure =
                CheckDimension(tr(label).toStdString(), edit->text().toStdString(), value)) {
            ShowMessageBox(this, QString::fromStdString(*failure), tr("设置错误"));
            edit->setFocus();
            edit->selectAll();
            return;
        }
    }
    // What OK stores has been seen for this specimen: nothing is carried over any more.
    // An empty offset is the usual 0.2 %.
    if (offset) typed.proofOffset = *offset;
    // A calibrated compliance keeps its date until another value is typed.
    if (typed.compliance == m_specimen.compliance) typed.complianceDate = m_specimen.complianceDate;
    const SpecimenDims previous = m_specimen;
    m_specimen = typed;
    std::string error;
    if (!WriteSpecimenFile(m_specimen, &error)) {
        m_specimen = previous;
        ShowMessageBox(this, QString::fromStdString(error), tr("试样参数"), QMessageBox::Warning);
        return;
    }
    accept();
}
