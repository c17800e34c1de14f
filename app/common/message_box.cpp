#include "common/message_box.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QSpacerItem>

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
// A box sizes itself to its layout's minimum width whenever it is shown, so the caption's room
// goes into the layout, as a spacer across the whole box.
void MakeRoomForCaption(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid) return;
    const QMargins margins = grid->contentsMargins();
    const int width = QFontMetrics(TitleBarFont()).horizontalAdvance(box.windowTitle()) +
                      kTitleBarAllowance - margins.left() - margins.right();
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Fixed, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}
}  // namespace

QFont TitleBarFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    font.setBold(true);
    return font;
}

void ShowMessageBox(QWidget* parent, const QString& text, const QString& caption,
                    QMessageBox::Icon icon) {
    if (Handler()) {
        Handler()(text, caption);
        return;
    }
    QMessageBox box(icon, caption.isEmpty() ? QCoreApplication::applicationName() : caption, text,
                    QMessageBox::Ok, parent);
    MakeRoomForCaption(box);
    box.exec();
}

QMessageBox* ShowNotice(QWidget* parent, const QString& text, const QString& caption) {
    if (Handler()) {
        Handler()(text, caption);
        return nullptr;
    }
    auto* box = new QMessageBox(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, parent);
    MakeRoomForCaption(*box);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
    return box;
}

void ShowSingleNotice(QWidget* parent, QPointer<QMessageBox>& notice, const QString& text,
                      const QString& caption) {
    if (notice) {
        notice->setText(text);
        return;
    }
    notice = ShowNotice(parent, text, caption);
}

void SetMessageBoxHandler(MessageBoxHandler handler) {
    Handler() = std::move(handler);
}

bool AskMessageBox(QWidget* parent, const QString& text, const QString& caption) {
    if (Questions()) return Questions()(text, caption);
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No,
                    parent);
    MakeRoomForCaption(box);
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
