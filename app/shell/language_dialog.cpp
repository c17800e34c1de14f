#include "shell/language_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "common/dialog_buttons.h"
#include "common/message_box.h"
#include "settings/data_folder.h"

std::string UiLanguageFilePath() {
    return DataFolderPath() + "Language.ini";
}

CLanguageDlg::CLanguageDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("界面语言"));
    auto* layout = new QVBoxLayout(this);
    // The language names stay in their own language, so that either reader finds theirs.
    m_chinese = new QRadioButton(QStringLiteral("中文"), this);
    m_chinese->setObjectName(QStringLiteral("chinese"));
    m_english = new QRadioButton(QStringLiteral("English"), this);
    m_english->setObjectName(QStringLiteral("english"));
    const UiLanguage saved =
        ReadSavedUiLanguage(UiLanguageFilePath()).value_or(InstalledUiLanguage());
    (saved == UiLanguage::English ? m_english : m_chinese)->setChecked(true);
    layout->addWidget(m_chinese);
    layout->addWidget(m_english);
    auto* note = new QLabel(tr("新的界面语言在程序下次启动时生效。"), this);
    note->setObjectName(QStringLiteral("note"));
    note->setWordWrap(true);
    layout->addWidget(note);
    QDialogButtonBox* buttons = OkCancelButtons(this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CLanguageDlg::OnOK);
    layout->addWidget(buttons);
}

void CLanguageDlg::OnOK() {
    const UiLanguage chosen = m_english->isChecked() ? UiLanguage::English : UiLanguage::Chinese;
    std::string error;
    if (!EnsureDataFolder(&error) || !SaveUiLanguage(UiLanguageFilePath(), chosen, &error)) {
        ShowMessageBox(this, QString::fromStdString(error), tr("界面语言"));
        return;
    }
    accept();
}
