// The dialog "界面语言": Chinese or English for the windows, saved in its own file in the data
// folder (never in the settings file) and taking effect at the next start.
#pragma once

#include <QDialog>
#include <string>

#include "common/ui_language.h"

class QRadioButton;

// The saved choice's file, "Language.ini" in the data folder.
std::string UiLanguageFilePath();

class CLanguageDlg : public QDialog {
    Q_OBJECT

  public:
    // Shows the saved choice, else the language the windows speak now.
    explicit CLanguageDlg(QWidget* parent);

  private:
    void OnOK();

    QRadioButton* m_chinese = nullptr;
    QRadioButton* m_english = nullptr;
};
