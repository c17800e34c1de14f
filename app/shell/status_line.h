// The main window's status line: run state, test time, record interval, a notice, and the
// program's version at its right end. It shows the texts ComposeStatus makes.
#pragma once

#include <QStatusBar>

#include "shell/status_text.h"

class QLabel;
class CNoticeLabel;

class CStatusLine : public QStatusBar {
    Q_OBJECT

  public:
    explicit CStatusLine(QWidget* parent = nullptr);

    void Show(const StatusTexts& texts);

  private:
    QLabel* m_state = nullptr;
    QLabel* m_time = nullptr;
    QLabel* m_interval = nullptr;
    CNoticeLabel* m_notice = nullptr;
};
