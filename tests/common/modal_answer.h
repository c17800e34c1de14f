// Answering modal windows in window tests: a bounded poll for the modal window a command is
// about to open, armed before the command runs.
#pragma once

#include <QApplication>
#include <QDeadlineTimer>
#include <QTimer>
#include <QWidget>
#include <functional>

// Polls, with a bound, for an active modal window that is ready and hands it to the answer.
// After the deadline it closes whatever is modal, so that a failing test never hangs.
inline void AnswerModal(std::function<bool(QWidget*)> ready, std::function<void(QWidget*)> answer) {
    auto* poll = new QTimer(qApp);
    poll->setInterval(10);
    const QDeadlineTimer deadline(10000);
    QObject::connect(poll, &QTimer::timeout, poll, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        const bool answered = modal != nullptr && ready(modal);
        if (!answered && !deadline.hasExpired()) return;
        poll->stop();
        poll->deleteLater();
        if (answered) {
            answer(modal);
        } else if (modal != nullptr) {
            modal->close();
        }
    });
    poll->start();
}

// A ready test for AnswerModal: the modal window has this title.
inline std::function<bool(QWidget*)> Titled(const QString& title) {
    return [title](QWidget* modal) { return modal->windowTitle() == title; };
}
