#include "results/calibration_dialog.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "common/dialog_buttons.h"
#include "common/message_box.h"
#include "common/number_text.h"
#include "settings/specimen.h"

namespace {

const char kCaption[] = QT_TRANSLATE_NOOP("CCalibrationDlg", "加载链柔度标定");
const char kStiffnessLabel[] = QT_TRANSLATE_NOOP("CCalibrationDlg", "标定试样刚度");

}  // namespace

CCalibrationDlg::CCalibrationDlg(ResultSet set, SpecimenDims& specimen, QWidget* parent)
    : QDialog(parent), m_set(std::move(set)), m_specimen(specimen) {
    setWindowTitle(tr(kCaption));
    auto* form = new QFormLayout(this);
    auto* steps =
        new QLabel(tr("1. 装上远比机架与夹具刚硬的标定试样（如短而粗的钢块）。\n"
                      "2. 像试验一样拉伸，到强制停机限以下停止。\n"
                      "3. 此处按横梁位移对力拟合，得出加载链柔度；保存后用于以后的试验。"));
    steps->setWordWrap(true);  // the English steps are long lines
    form->addRow(steps);
    m_stiffness = new QLineEdit;
    m_stiffness->setObjectName(QStringLiteral("stiffness"));
    m_stiffness->setPlaceholderText(tr("刚硬，不计"));
    form->addRow(tr(kStiffnessLabel) + QStringLiteral(" (N/mm)"), m_stiffness);
    m_result = new QLabel;
    m_result->setObjectName(QStringLiteral("fit"));
    m_result->setWordWrap(true);
    form->addRow(m_result);
    QDialogButtonBox* buttons = OkCancelButtons(this);
    m_save = buttons->button(QDialogButtonBox::Ok);
    m_save->setText(tr("保存"));
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CCalibrationDlg::OnSave);
    connect(m_stiffness, &QLineEdit::textChanged, this, &CCalibrationDlg::Refit);
    Refit();
}

void CCalibrationDlg::Refit() {
    std::optional<double> stiffness;
    if (CheckDimension(kStiffnessLabel, m_stiffness->text().toStdString(), &stiffness)) {
        m_fit.reset();
        m_result->setText(tr("标定试样刚度须为正数，或留空。"));
        m_save->setEnabled(false);
        return;
    }
    m_fit = FitCompliance(m_set, stiffness);
    m_save->setEnabled(m_fit.has_value());
    if (!m_fit) {
        m_result->setText(
            tr("列表区的记录不能拟合：需要力在最大力 20 %–80 % 之间的至少 5 条上升记录，"
               "位移随力增大，通道单位可换算为 N 与 mm。"));
        return;
    }
    const ComplianceFit& f = *m_fit;
    m_result->setText(tr("加载链柔度 %1 mm/N（刚度 %2 N/mm）\n"
                         "%3 条记录，力 %4–%5 %6，相关系数 %7")
                          .arg(QString::fromStdString(FixedNumber(f.compliance, 6)))
                          .arg(QString::fromStdString(FixedNumber(1 / f.compliance, 2)))
                          .arg(f.points)
                          .arg(QString::fromStdString(FixedNumber(f.lowForce, 3)))
                          .arg(QString::fromStdString(FixedNumber(f.highForce, 3)))
                          .arg(QString::fromStdString(m_set.units.force))
                          .arg(QString::fromStdString(FixedNumber(f.correlation, 5))));
}

void CCalibrationDlg::OnSave() {
    if (!m_fit) return;
    const SpecimenDims previous = m_specimen;
    m_specimen.compliance = m_fit->compliance;
    m_specimen.complianceDate =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")).toStdString();
    std::string error;
    if (!WriteSpecimenFile(m_specimen, &error)) {
        m_specimen = previous;
        ShowMessageBox(this, QString::fromStdString(error), tr(kCaption), QMessageBox::Warning);
        return;
    }
    accept();
}
