#include "common/message_box.h"

#include <QCoreApplication>

#include "common/gbk_text.h"

namespace {
MessageBoxHandler& Handler() {
    static MessageBoxHandler handler;
    return handler;
}
QuestionHandler& Questions() {
    static QuestionHandler handler;
    return handler;
}
}  // namespace

void ShowMessageBox(QWidget* parent, const QString& text, const QString& caption,
                    QMessageBox::Icon icon) {
    if (Handler()) {
        Handler()(text, caption);
        return;
    }
    QMessageBox box(icon, caption.isEmpty() ? QCoreApplication::applicationName() : caption, text,
                    QMessageBox::Ok, parent);
    box.exec();
}

QMessageBox* ShowNotice(QWidget* parent, const QString& text, const QString& caption) {
    if (Handler()) {
        Handler()(text, caption);
        return nullptr;
    }
    auto* box = new QMessageBox(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
    return box;
}

void SetMessageBoxHandler(MessageBoxHandler handler) {
    Handler() = std::move(handler);
}

bool AskMessageBox(QWidget* parent, const QString& text, const QString& caption) {
    if (Questions()) return Questions()(text, caption);
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No,
                    parent);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void SetQuestionHandler(QuestionHandler handler) {
    Questions() = std::move(handler);
}

QString FromGbk(const std::string& gbk) {
    return QString::fromStdString(GbkToUtf8(gbk));
}

std::string ToGbk(const QString& text) {
    return Utf8ToGbk(text.toStdString());
}
