#include "settings/extensometer_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include "common/dialog_buttons.h"
#include "common/message_box.h"
#include "common/number_text.h"

namespace {

constexpr int kZeroDecimals = 6;

QLineEdit* NumberEdit(const char* name, double value) {
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::fromUtf8(name));
    edit->setText(QString::fromStdString(PlainNumber(value)));
    return edit;
}

// An edit with its unit to its right.
QHBoxLayout* WithUnit(QWidget* edit, const QString& unit) {
    auto* row = new QHBoxLayout;
    row->addWidget(edit);
    row->addWidget(new QLabel(unit));
    return row;
}

}  // namespace

CExtensometerDlg::CExtensometerDlg(ExtensometerSettings& settings, VoltsReader readVolts,
                                   QWidget* parent)
    : QDialog(parent), m_settings(settings), m_readVolts(std::move(readVolts)) {
    setWindowTitle(tr("引伸计"));
    auto* form = new QFormLayout(this);

    m_enabled = new QCheckBox(tr("使用引伸计"));
    m_enabled->setObjectName(QStringLiteral("enabled"));
    m_enabled->setChecked(settings.enabled);
    form->addRow(m_enabled);

    m_channel = new QSpinBox;
    m_channel->setObjectName(QStringLiteral("channel"));
    m_channel->setRange(2, 31);
    m_channel->setValue(settings.channel);
    form->addRow(FieldLabel(ExtensometerField::Channel), m_channel);

    m_gaugeLength = NumberEdit("gaugeLength", settings.gaugeLength);
    form->addRow(FieldLabel(ExtensometerField::GaugeLength),
                 WithUnit(m_gaugeLength, QStringLiteral("mm")));

    m_unit = new QComboBox;
    m_unit->setObjectName(QStringLiteral("unit"));
    m_unit->addItem(tr("mm（标距内的伸长）"), QStringLiteral("mm"));
    m_unit->addItem(tr("%（标距的应变）"), QStringLiteral("%"));
    m_unit->setCurrentIndex(settings.unit == "%" ? 1 : 0);
    form->addRow(FieldLabel(ExtensometerField::Unit), m_unit);

    m_coefficient = NumberEdit("coefficient", settings.coefficient);
    form->addRow(FieldLabel(ExtensometerField::Coefficient), WithUnit(m_coefficient, tr("单位/V")));

    m_zero = NumberEdit("zero", settings.zero);
    auto* takeZero = new QPushButton(tr("取当前读数为零点"));
    takeZero->setObjectName(QStringLiteral("takeZero"));
    takeZero->setAutoDefault(false);
    connect(takeZero, &QPushButton::clicked, this, &CExtensometerDlg::OnTakeZero);
    QHBoxLayout* zeroRow = WithUnit(m_zero, QStringLiteral("V"));
    zeroRow->addWidget(takeZero);
    form->addRow(FieldLabel(ExtensometerField::Zero), zeroRow);

    m_removal = new QComboBox;
    m_removal->setObjectName(QStringLiteral("removal"));
    m_removal->addItem(tr("不取下"), static_cast<int>(ExtensometerRemoval::None));
    m_removal->addItem(tr("应变达到设定值"), static_cast<int>(ExtensometerRemoval::AtStrain));
    m_removal->addItem(tr("过最大力后力降至设定值"),
                       static_cast<int>(ExtensometerRemoval::AfterPeak));
    m_removal->setCurrentIndex(m_removal->findData(static_cast<int>(settings.removal)));
    form->addRow(tr("取下点"), m_removal);

    m_removalStrain = NumberEdit("removalStrain", settings.removalStrain);
    form->addRow(FieldLabel(ExtensometerField::RemovalStrain),
                 WithUnit(m_removalStrain, tr("%（标距）")));
    m_removalForce = NumberEdit("removalForcePercent", settings.removalForcePercent);
    form->addRow(FieldLabel(ExtensometerField::RemovalForcePercent),
                 WithUnit(m_removalForce, tr("%（最大力）")));

    m_hold = new QCheckBox(tr("到取下点时停机，取下后再继续"));
    m_hold->setObjectName(QStringLiteral("hold"));
    m_hold->setChecked(settings.holdAtRemoval);
    form->addRow(m_hold);

    connect(m_removal, &QComboBox::currentIndexChanged, this, &CExtensometerDlg::ShowRemovalFields);
    ShowRemovalFields();

    QDialogButtonBox* buttons = OkCancelButtons(this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CExtensometerDlg::OnOK);
}

QString CExtensometerDlg::MenuText() {
    return tr("引伸计(&Y)...");
}

QString CExtensometerDlg::FieldLabel(ExtensometerField field) const {
    switch (field) {
        case ExtensometerField::Channel:
            return tr("通道");
        case ExtensometerField::GaugeLength:
            return tr("标距 Le");
        case ExtensometerField::Unit:
            return tr("单位");
        case ExtensometerField::Coefficient:
            return tr("系数");
        case ExtensometerField::Zero:
            return tr("零点");
        case ExtensometerField::RemovalStrain:
            return tr("取下应变");
        case ExtensometerField::RemovalForcePercent:
            return tr("取下力");
    }
    return QString();
}

// Only the point the chosen removal uses can be typed.
void CExtensometerDlg::ShowRemovalFields() {
    const auto removal = static_cast<ExtensometerRemoval>(m_removal->currentData().toInt());
    m_removalStrain->setEnabled(removal == ExtensometerRemoval::AtStrain);
    m_removalForce->setEnabled(removal == ExtensometerRemoval::AfterPeak);
    m_hold->setEnabled(removal != ExtensometerRemoval::None);
}

void CExtensometerDlg::OnTakeZero() {
    const std::optional<double> volts =
        m_readVolts ? m_readVolts(m_channel->value()) : std::nullopt;
    if (!volts) {
        ShowMessageBox(this, tr("引伸计通道无法读取：采集器未连接或正在回放、高速采集。"),
                       tr("引伸计"));
        return;
    }
    m_zero->setText(QString::fromStdString(FixedNumber(*volts, kZeroDecimals)));
}

bool CExtensometerDlg::TakeNumber(QLineEdit* edit, ExtensometerField field, double* value) {
    if (ParseNumber(edit->text().toStdString(), value)) return true;
    ShowMessageBox(this, tr("“%1”不是一个数：%2").arg(FieldLabel(field), edit->text()),
                   tr("设置错误"));
    edit->setFocus();
    edit->selectAll();
    return false;
}

void CExtensometerDlg::OnOK() {
    ExtensometerSettings typed;
    typed.enabled = m_enabled->isChecked();
    typed.channel = m_channel->value();
    typed.unit = m_unit->currentData().toString().toStdString();
    typed.removal = static_cast<ExtensometerRemoval>(m_removal->currentData().toInt());
    typed.holdAtRemoval = m_hold->isChecked();
    const struct {
        QLineEdit* edit;
        ExtensometerField field;
        double* value;
    } numbers[] = {
        {m_gaugeLength, ExtensometerField::GaugeLength, &typed.gaugeLength},
        {m_coefficient, ExtensometerField::Coefficient, &typed.coefficient},
        {m_zero, ExtensometerField::Zero, &typed.zero},
        {m_removalStrain, ExtensometerField::RemovalStrain, &typed.removalStrain},
        {m_removalForce, ExtensometerField::RemovalForcePercent, &typed.removalForcePercent},
    };
    for (const auto& number : numbers) {
        if (!TakeNumber(number.edit, number.field, number.value)) return;
    }
    if (const std::optional<ExtensometerField> failure = FindExtensometerFailure(typed)) {
        ShowMessageBox(this, tr("“%1”的值不可用。").arg(FieldLabel(*failure)), tr("设置错误"));
        for (const auto& number : numbers) {
            if (number.field == *failure) {
                number.edit->setFocus();
                number.edit->selectAll();
            }
        }
        return;
    }
    std::string error;
    if (!WriteExtensometerFile(typed, &error)) {
        ShowMessageBox(this, QString::fromStdString(error), tr("引伸计"), QMessageBox::Warning);
        return;
    }
    m_settings = typed;
    accept();
}
