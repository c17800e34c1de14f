#include "series/series_dialog.h"

#include <QComboBox>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include "common/dialog_buttons.h"
#include "common/message_box.h"
#include "series/series_session.h"

namespace {

// The series file keeps a method as it is written here, whatever the language shown.
const char* const kMethods[] = {
    QT_TRANSLATE_NOOP("CSeriesDlg", "GB/T 228.1 方法 A（应变速率控制）"),
    QT_TRANSLATE_NOOP("CSeriesDlg", "GB/T 228.1 方法 B（应力速率控制）"),
    QT_TRANSLATE_NOOP("CSeriesDlg", "ISO 6892-1 方法 A"),
    QT_TRANSLATE_NOOP("CSeriesDlg", "ISO 6892-1 方法 B")};

QLineEdit* AddEdit(QFormLayout* form, const QString& label, const char* name,
                   const std::string& text) {
    auto* edit = new QLineEdit(QString::fromStdString(text));
    edit->setObjectName(QString::fromUtf8(name));
    form->addRow(label, edit);
    return edit;
}

}  // namespace

CSeriesDlg::CSeriesDlg(SeriesSession& session, const std::string& dataFolderUtf8,
                       const std::string& operatorUtf8, QWidget* parent)
    : QDialog(parent), m_session(session), m_dataFolder(dataFolderUtf8) {
    setWindowTitle(tr("新建系列"));
    auto* form = new QFormLayout(this);
    m_name = AddEdit(form, tr("系列名称"), "name", std::string());
    m_material = AddEdit(form, tr("材料"), "material", std::string());
    m_method = new QComboBox;
    m_method->setObjectName(QStringLiteral("method"));
    m_method->setEditable(true);
    for (const char* method : kMethods) m_method->addItem(tr(method), QString::fromUtf8(method));
    form->addRow(tr("试验方法"), m_method);
    m_operator = AddEdit(form, tr("操作者"), "operator", operatorUtf8);
    m_planned = new QSpinBox;
    m_planned->setObjectName(QStringLiteral("planned"));
    m_planned->setRange(1, 999);
    m_planned->setValue(5);
    form->addRow(tr("计划试样数"), m_planned);
    m_notes = AddEdit(form, tr("备注"), "notes", std::string());
    QDialogButtonBox* buttons = OkCancelButtons(this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CSeriesDlg::OnOK);
}

void CSeriesDlg::OnOK() {
    const QString caption = tr("新建系列");
    SeriesInfo info;
    info.name = m_name->text().trimmed().toStdString();
    const std::string problem = SeriesNameProblem(info.name);
    if (!problem.empty()) {
        ShowMessageBox(this, QString::fromStdString(problem), caption);
        m_name->setFocus();
        return;
    }
    const std::vector<SeriesTestFile> tests = SeriesTestFiles(m_dataFolder, info.name);
    const int next = tests.empty() ? 1 : tests.back().member.number + 1;
    SeriesInfo existing;
    std::string error;
    const bool exists = ReadSeriesFile(SeriesFilePath(m_dataFolder, info.name), &existing, nullptr);
    if (exists || !tests.empty()) {
        // Two series under one name would share specimen ids: the name goes on with its own.
        if (!AskMessageBox(this,
                           tr("系列“%1”已有 %2 个试样。\n是否继续该系列？")
                               .arg(QString::fromStdString(info.name))
                               .arg(tests.size()),
                           caption))
            return;
    }
    if (exists) {
        info = existing;
    } else {
        info.material = m_material->text().toStdString();
        // A method chosen from the list as it is shown is stored as the list writes it.
        const int listed = m_method->findText(m_method->currentText());
        info.method =
            (listed >= 0 ? m_method->itemData(listed).toString() : m_method->currentText())
                .toStdString();
        info.operatorName = m_operator->text().toStdString();
        info.planned = m_planned->value();
        info.notes = m_notes->text().toStdString();
        info.created = QDateTime::currentDateTime()
                           .toString(QStringLiteral("yyyy-MM-dd-HH:mm:ss"))
                           .toStdString();
        if (!WriteSeriesFile(m_dataFolder, info, &error)) {
            ShowMessageBox(this, QString::fromStdString(error), caption, QMessageBox::Warning);
            return;
        }
    }
    m_session.active = true;
    m_session.info = info;
    m_session.nextNumber = next;
    accept();
}
