// Every message box of the program goes through ShowMessageBox, so that tests can answer
// (or simply record) them instead of a person.
#pragma once

#include <QFont>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <functional>
#include <string>

class QWidget;

// Every box is at least as wide as its caption in the title bar's font plus this room for the
// title bar's own parts: window managers put up to four buttons there (the window menu at
// the left; minimise, maximise and close at the right), each at most 32 px wide with its
// padding, and keep about 16 px free at either end: 4 x 32 + 2 x 16. A narrower box has its
// caption cut short ("安…息").
constexpr int kTitleBarAllowance = 160;
// The font captions are measured in: the platform's title font, bold, as most window managers
// draw titles (and bold is the wider of the two).
QFont TitleBarFont();

// Shows a modal box with an OK button; no icon unless one is given.
void ShowMessageBox(QWidget* parent, const QString& text, const QString& caption,
                    QMessageBox::Icon icon = QMessageBox::NoIcon);

// Shows a box with an OK button that does not block: the program goes on while it is open
// and the box deletes itself when closed. Returns it, or nullptr when the test handler took
// the message.
QMessageBox* ShowNotice(QWidget* parent, const QString& text, const QString& caption);
// One notice at a time in `notice`: an open one takes the new text, else a new one is shown.
// A condition that repeats at every poll then cannot stack boxes.
void ShowSingleNotice(QWidget* parent, QPointer<QMessageBox>& notice, const QString& text,
                      const QString& caption);
// Asks with the buttons Yes and No; true for Yes. No is the default and the Escape button,
// so that an operator who presses Enter by habit keeps what the question protects.
bool AskMessageBox(QWidget* parent, const QString& text, const QString& caption);

// Replaces the modal box: the handler receives text and caption and nothing is shown.
// An empty handler restores the real box. For tests.
using MessageBoxHandler = std::function<void(const QString& text, const QString& caption)>;
void SetMessageBoxHandler(MessageBoxHandler handler);
// Replaces the question box in the same way: the handler's answer is taken. For tests.
using QuestionHandler = std::function<bool(const QString& text, const QString& caption)>;
void SetQuestionHandler(QuestionHandler handler);

// QString of a GBK byte string, and back.
QString FromGbk(const std::string& gbk);
std::string ToGbk(const QString& text);
