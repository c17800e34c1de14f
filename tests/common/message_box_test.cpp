// The program's message boxes keep their texts and are wide enough for the window manager to
// show their captions whole.
#include "common/message_box.h"

#include <QFontMetrics>
#include <QMessageBox>
#include <QtTest>
#include <functional>

#include "modal_answer.h"

namespace {

using Inspect = std::function<void(QMessageBox*)>;

// Answers the modal box about to open: inspects it, then closes it.
void InspectModal(const QString& caption, const Inspect& inspect) {
    AnswerModal(Titled(caption), [inspect](QWidget* modal) {
        inspect(qobject_cast<QMessageBox*>(modal));
        modal->close();
    });
}

}  // namespace

class MessageBoxTest : public QObject {
    Q_OBJECT

  private slots:
    void captionsFitTheTitleBar();
};

void MessageBoxTest::captionsFitTheTitleBar() {
    // Each way the program shows a box, with the box on screen handed to the inspection.
    const struct {
        const char* kind;
        std::function<void(const QString&, const QString&, const Inspect&)> show;
    } kinds[] = {
        {"ShowMessageBox",
         [](const QString& text, const QString& caption, const Inspect& inspect) {
             InspectModal(caption, inspect);
             ShowMessageBox(nullptr, text, caption);
         }},
        {"ShowMessageBox with an icon",
         [](const QString& text, const QString& caption, const Inspect& inspect) {
             InspectModal(caption, inspect);
             ShowMessageBox(nullptr, text, caption, QMessageBox::Warning);
         }},
        {"AskMessageBox",
         [](const QString& text, const QString& caption, const Inspect& inspect) {
             InspectModal(caption, inspect);
             AskMessageBox(nullptr, text, caption);
         }},
        {"ShowNotice",
         [](const QString& text, const QString& caption, const Inspect& inspect) {
             QMessageBox* box = ShowNotice(nullptr, text, caption);
             QVERIFY(box && QTest::qWaitForWindowExposed(box));
             inspect(box);
             box->close();
         }},
    };
    const QString texts[] = {
        QStringLiteral("。"),
        QStringLiteral("列表区的测试数据尚未保存，退出后将丢失。\n是否退出程序？")};
    const QString captions[] = {QStringLiteral("安全信息"), QStringLiteral("安全保护信息"),
                                QStringLiteral("设置错误"), QStringLiteral("参数设置")};
    for (const auto& kind : kinds) {
        for (const QString& caption : captions) {
            for (const QString& text : texts) {
                const int needed =
                    QFontMetrics(TitleBarFont()).horizontalAdvance(caption) + kTitleBarAllowance;
                int width = 0;
                QString shownText, shownCaption;
                kind.show(text, caption, [&](QMessageBox* box) {
                    width = box->width();
                    shownText = box->text();
                    shownCaption = box->windowTitle();
                });
                QVERIFY2(width >= needed,
                         qPrintable(QStringLiteral("%1 \"%2\" \"%3\": %4 px wide, "
                                                   "the caption needs %5")
                                        .arg(QLatin1String(kind.kind), caption, text.left(4))
                                        .arg(width)
                                        .arg(needed)));
                QCOMPARE(shownText, text);
                QCOMPARE(shownCaption, caption);
            }
        }
    }
}

QTEST_MAIN(MessageBoxTest)
#include "message_box_test.moc"
